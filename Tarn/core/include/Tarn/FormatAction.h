#pragma once

#include <QString>

namespace Tarn {

/// The Format commands. `heading` carries its level; every other kind ignores `level`.
struct FormatAction
{
    enum class Kind {
        bold,
        italic,
        strikethrough,
        code,
        link,
        bulletedList,
        numberedList,
        taskList,
        blockquote,
        codeBlock,
        heading,
    };

    Kind kind = Kind::bold;
    int level = 0;

    static constexpr FormatAction heading(int level) { return {Kind::heading, level}; }

    /// The name used in the log and as the undo action name, e.g. "Bulleted List", "Heading 3".
    QString displayName() const;

    friend bool operator==(FormatAction, FormatAction) = default;
};

} // namespace Tarn

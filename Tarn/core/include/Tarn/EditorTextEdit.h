#pragma once

#include <Tarn/TextRange.h>

#include <QString>

namespace Tarn {

/// One replacement in the document text and the selection to show after it.
struct EditorTextEdit
{
    TextRange range;     ///< the text replaced
    QString replacement; ///< what takes its place
    TextRange selection; ///< in the coordinates of the edited text

    friend bool operator==(const EditorTextEdit &, const EditorTextEdit &) = default;
};

} // namespace Tarn

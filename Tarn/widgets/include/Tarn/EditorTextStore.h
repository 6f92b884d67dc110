#pragma once

#include <Tarn/TextRange.h>

#include <QObject>
#include <QPointer>

#include <optional>

namespace Tarn {

class EditorTextView;

/// Per-window editor state shared by the editor, the Format commands and the sidebar: the last
/// selection and a weak link to the live text view.
class EditorTextStore : public QObject
{
    Q_OBJECT

public:
    explicit EditorTextStore(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    /// The last selection reported by the text view or set by an edit; absent until one is.
    std::optional<TextRange> selection;
    /// Null until the editor creates its text view and again once that view is destroyed.
    QPointer<EditorTextView> textView;
};

} // namespace Tarn

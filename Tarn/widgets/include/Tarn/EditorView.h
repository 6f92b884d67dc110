#pragma once

#include <QPointer>
#include <QWidget>

namespace Tarn {

class DocumentOutlineModel;
class EditorCoordinator;
class EditorTextStore;
class EditorTextView;
class FindBar;
class MarkdownDocument;

/// Codes of the find actions the Find menu sends to the focused editor.
enum class TextFinderAction {
    showFindInterface = 1,
    nextMatch = 2,
    previousMatch = 3,
    setSearchString = 7,
    showReplaceInterface = 12,
};

/// The editor column: the text view bound to the window's document, with its find bar.
class EditorView : public QWidget
{
    Q_OBJECT

public:
    EditorView(MarkdownDocument *document, EditorTextStore *store, DocumentOutlineModel *outline,
               QWidget *parent = nullptr);
    ~EditorView() override;

    EditorTextView *textView() const { return m_textView; }
    FindBar *findBar() const { return m_findBar; }

    /// Handles a find action; returns false for an unknown code.
    bool performTextFinderAction(int code);

    /// The editor holding `widget` (the widget itself or an ancestor), or null.
    static EditorView *containing(QWidget *widget);

private:
    EditorTextView *m_textView = nullptr;
    FindBar *m_findBar = nullptr;
    EditorCoordinator *m_coordinator = nullptr;
};

} // namespace Tarn

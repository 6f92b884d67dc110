#include "EditorCoordinator.h"
#include "FindBar.h"

#include <Tarn/EditorTextView.h>
#include <Tarn/EditorView.h>

#include <QVBoxLayout>

namespace Tarn {

EditorView::EditorView(MarkdownDocument *document, EditorTextStore *store,
                       DocumentOutlineModel *outline, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("editorView"));
    m_textView = new EditorTextView(this);
    m_findBar = new FindBar(m_textView, this);
    m_coordinator = new EditorCoordinator(document, store, outline, m_textView, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_findBar);
    layout->addWidget(m_textView, 1);
    setFocusProxy(m_textView);
}

EditorView::~EditorView() = default;

bool EditorView::performTextFinderAction(int code)
{
    switch (TextFinderAction(code)) {
    case TextFinderAction::showFindInterface:
        m_findBar->showFind();
        return true;
    case TextFinderAction::showReplaceInterface:
        m_findBar->showFindAndReplace();
        return true;
    case TextFinderAction::nextMatch:
        m_findBar->findNext();
        return true;
    case TextFinderAction::previousMatch:
        m_findBar->findPrevious();
        return true;
    case TextFinderAction::setSearchString:
        m_findBar->useSelectionForFind();
        return true;
    }
    return false;
}

EditorView *EditorView::containing(QWidget *widget)
{
    for (QWidget *current = widget; current; current = current->parentWidget()) {
        if (auto *editor = qobject_cast<EditorView *>(current))
            return editor;
    }
    return nullptr;
}

} // namespace Tarn

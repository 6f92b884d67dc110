#include "EditorCoordinator.h"

#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/EditorTextStore.h>
#include <Tarn/EditorTextView.h>
#include <Tarn/MarkdownDocument.h>

#include <QTimer>

namespace Tarn {

EditorCoordinator::EditorCoordinator(MarkdownDocument *document, EditorTextStore *store,
                                     DocumentOutlineModel *outline, EditorTextView *textView,
                                     QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_store(store)
    , m_outline(outline)
    , m_textView(textView)
    , m_appliedDocumentRevision(document->revision())
{
    m_isApplyingExternalChange = true;
    textView->setPlainText(document->text());
    textView->document()->clearUndoRedoStacks();
    m_appliedDocumentRevision = document->revision();
    m_isApplyingExternalChange = false;
    store->textView = textView;

    connect(textView, &QPlainTextEdit::textChanged, this, &EditorCoordinator::textDidChange);
    connect(textView, &QPlainTextEdit::cursorPositionChanged, this,
            &EditorCoordinator::selectionDidChange);
    connect(textView, &QPlainTextEdit::selectionChanged, this,
            &EditorCoordinator::selectionDidChange);
    connect(document, &MarkdownDocument::textChanged, this, [this] {
        // Our own copy into the document already is what the view shows.
        if (!m_isWritingDocument)
            updateView();
    });
}

void EditorCoordinator::updateView()
{
    if (!m_document || !m_textView)
        return;
    if (m_appliedDocumentRevision == m_document->revision())
        return;
    m_isApplyingExternalChange = true;
    m_textView->setPlainText(m_document->text());
    m_appliedDocumentRevision = m_document->revision();
    if (m_store && m_store->selection)
        m_textView->setSelectedRange(*m_store->selection);
    m_isApplyingExternalChange = false;
}

void EditorCoordinator::textDidChange()
{
    if (m_isApplyingExternalChange || !m_document || !m_textView)
        return;
    m_isWritingDocument = true;
    m_document->setText(m_textView->text());
    m_isWritingDocument = false;
    m_appliedDocumentRevision = m_document->revision();
}

void EditorCoordinator::selectionDidChange()
{
    if (m_isApplyingExternalChange || !m_textView || !m_store)
        return;
    const TextRange range = m_textView->selectedRange();
    m_store->selection = range;
    if (range.length > 0 || !m_outline)
        return;
    const qsizetype section = m_outline->outline().sectionIndex(range.location);
    // After the current selection processing has finished.
    QTimer::singleShot(0, m_outline, [outline = m_outline, section] {
        if (outline)
            Q_EMIT outline->scrollToSection(section);
    });
}

} // namespace Tarn

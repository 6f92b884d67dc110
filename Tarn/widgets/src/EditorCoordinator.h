#pragma once

#include <QObject>
#include <QPointer>

#include <cstdint>

namespace Tarn {

class DocumentOutlineModel;
class EditorTextStore;
class EditorTextView;
class MarkdownDocument;

/// Keeps a text view and a document in step through the document's revision counter: edits in
/// the view are copied to the document, and only writes made elsewhere reach the view.
class EditorCoordinator : public QObject
{
    Q_OBJECT

public:
    EditorCoordinator(MarkdownDocument *document, EditorTextStore *store,
                      DocumentOutlineModel *outline, EditorTextView *textView,
                      QObject *parent = nullptr);

    std::uint64_t appliedDocumentRevision() const { return m_appliedDocumentRevision; }

    /// Shows the document's text in the view unless the view already shows this revision.
    void updateView();

private:
    void textDidChange();
    void selectionDidChange();

    QPointer<MarkdownDocument> m_document;
    QPointer<EditorTextStore> m_store;
    QPointer<DocumentOutlineModel> m_outline;
    QPointer<EditorTextView> m_textView;
    bool m_isApplyingExternalChange = false;
    bool m_isWritingDocument = false;
    std::uint64_t m_appliedDocumentRevision = 0;
};

} // namespace Tarn

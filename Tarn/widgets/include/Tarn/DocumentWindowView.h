#pragma once

#include <Tarn/FormatCommandTarget.h>
#include <Tarn/MenuCommands.h>
#include <Tarn/Outline.h>

#include <QMainWindow>
#include <QPointer>

#include <cstdint>

class QSplitter;

namespace Tarn {

class DocumentOutlineModel;
class EditorTextStore;
class EditorView;
class MarkdownDocument;
class SidebarState;
class SidebarView;

/// One document's window: the outline sidebar, the editor and the preview side by side under
/// the formatting toolbar. Owns the document, its editor store and its outline model.
class DocumentWindowView : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int sidebarMinimumWidth = 160;
    static constexpr int sidebarIdealWidth = 220;
    static constexpr int sidebarMaximumWidth = 360;
    static constexpr int editorMinimumWidth = 280;
    static constexpr int editorIdealWidth = 480;
    static constexpr int previewMinimumWidth = 240;
    static constexpr int previewIdealWidth = 400;
    static constexpr QSize minimumWindowSize{700, 480};

    /// A window on `text`; `filePath` is empty for a new document.
    DocumentWindowView(const QString &text, const QString &filePath, const MenuCommands &commands,
                       QWidget *parent = nullptr);
    ~DocumentWindowView() override;

    MarkdownDocument *document() const { return m_document; }
    EditorTextStore *editorStore() const { return m_editorStore; }
    DocumentOutlineModel *outline() const { return m_outline; }
    EditorView *editor() const { return m_editor; }
    SidebarView *sidebar() const { return m_sidebar; }
    QSplitter *splitter() const { return m_splitter; }
    const WindowActions &windowActions() const { return m_windowActions; }
    FormatCommandTarget formatCommandTarget() const;

    QString filePath() const { return m_filePath; }
    /// Unsaved changes since opening or the last save.
    bool isDirty() const;
    /// A new document nobody has typed into: opening a file may take its place.
    bool isUntouchedNewDocument() const;

    /// Moves the caret to the heading, scrolls its line to the top and the preview to its
    /// section. Works before the text view exists too.
    void selectHeading(const OutlineEntry &entry);

    /// Writes the document to its file, asking for one when it has none. False when nothing
    /// was written (cancelled or failed; a failure has been shown).
    bool save();
    bool saveAs();
    /// Writes the document to `path` atomically; on failure shows the error and returns false.
    bool writeTo(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildToolbar(const MenuCommands &commands);
    void buildWindowActions();
    void applySidebarVisibility(bool visible);
    void sidebarMovedByUser();
    void updateTitle();
    void updateUndoRedo();
    QString displayName() const;

    MarkdownDocument *m_document = nullptr;
    EditorTextStore *m_editorStore = nullptr;
    DocumentOutlineModel *m_outline = nullptr;
    QSplitter *m_splitter = nullptr;
    SidebarView *m_sidebar = nullptr;
    EditorView *m_editor = nullptr;
    QWidget *m_preview = nullptr;
    WindowActions m_windowActions;
    QString m_filePath;
    std::uint64_t m_savedRevision = 0;
    QList<int> m_sizesBeforeHiding;
};

} // namespace Tarn

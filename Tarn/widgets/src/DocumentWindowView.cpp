#include "ToolbarIcons.h"

#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/DocumentWindowView.h>
#include <Tarn/EditorTextStore.h>
#include <Tarn/EditorTextView.h>
#include <Tarn/EditorView.h>
#include <Tarn/MarkdownDocument.h>
#include <Tarn/PreviewView.h>
#include <Tarn/SidebarState.h>
#include <Tarn/SidebarView.h>

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSaveFile>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace Tarn {

namespace {

using Kind = FormatAction::Kind;

struct ToolbarButton
{
    FormatAction action;
    const char *themeName;
    ToolbarGlyph glyph;
};

QString helpText(FormatAction action)
{
    return QStringLiteral("%1 (%2)").arg(action.displayName(),
                                         formatShortcut(action).toString(QKeySequence::NativeText));
}

} // namespace

DocumentWindowView::DocumentWindowView(const QString &text, const QString &filePath,
                                       const MenuCommands &commands, QWidget *parent)
    : QMainWindow(parent)
    , m_filePath(filePath)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("documentWindow"));
    setMinimumSize(minimumWindowSize);
    setUnifiedTitleAndToolBarOnMac(true);

    m_document = new MarkdownDocument(text, /*revision=*/0, this);
    m_savedRevision = m_document->revision();
    m_editorStore = new EditorTextStore(this);
    m_outline = new DocumentOutlineModel(m_document, this);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("columns"));
    m_splitter->setChildrenCollapsible(false);
    m_sidebar = new SidebarView(
        m_outline, [this](const OutlineEntry &entry) { selectHeading(entry); }, m_splitter);
    m_sidebar->setMinimumWidth(sidebarMinimumWidth);
    m_sidebar->setMaximumWidth(sidebarMaximumWidth);
    m_editor = new EditorView(m_document, m_editorStore, m_outline, m_splitter);
    m_editor->setMinimumWidth(editorMinimumWidth);
    m_preview = new PreviewView(m_outline, m_splitter);
    m_preview->setMinimumWidth(previewMinimumWidth);
    m_splitter->addWidget(m_sidebar);
    m_splitter->addWidget(m_editor);
    m_splitter->addWidget(m_preview);
    m_splitter->setCollapsible(0, true);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setStretchFactor(2, 1);
    m_splitter->setSizes({sidebarIdealWidth, editorIdealWidth, previewIdealWidth});
    setCentralWidget(m_splitter);
    resize(sidebarIdealWidth + editorIdealWidth + previewIdealWidth + 8, 720);

    buildWindowActions();
    commands.populate(menuBar(), m_windowActions);
    buildToolbar(commands);

    SidebarState &sidebarState = SidebarState::instance();
    applySidebarVisibility(sidebarState.isVisible());
    connect(&sidebarState, &SidebarState::visibleChanged, this,
            &DocumentWindowView::applySidebarVisibility);
    connect(m_splitter, &QSplitter::splitterMoved, this, &DocumentWindowView::sidebarMovedByUser);

    connect(m_document, &MarkdownDocument::textChanged, this, &DocumentWindowView::updateTitle);
    connect(m_editor->textView(), &EditorTextView::undoRedoTextsChanged, this,
            &DocumentWindowView::updateUndoRedo);
    updateTitle();
    updateUndoRedo();
    m_editor->setFocus(Qt::OtherFocusReason);
}

DocumentWindowView::~DocumentWindowView() = default;

FormatCommandTarget DocumentWindowView::formatCommandTarget() const
{
    return {m_document, m_editorStore};
}

void DocumentWindowView::buildWindowActions()
{
    auto makeAction = [this](const QString &title, const QKeySequence &shortcut) {
        auto *action = new QAction(title, this);
        action->setShortcut(shortcut);
        return action;
    };
    m_windowActions.save = makeAction(tr("&Save"), QKeySequence::Save);
    m_windowActions.saveAs
        = makeAction(tr("Save &As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    m_windowActions.close = makeAction(tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W));
    m_windowActions.undo = makeAction(tr("Undo"), QKeySequence::Undo);
    m_windowActions.undo->setObjectName(QStringLiteral("undoAction"));
    m_windowActions.redo = makeAction(tr("Redo"), QKeySequence::Redo);
    m_windowActions.redo->setObjectName(QStringLiteral("redoAction"));
    m_windowActions.cut = makeAction(tr("Cu&t"), QKeySequence::Cut);
    m_windowActions.copy = makeAction(tr("&Copy"), QKeySequence::Copy);
    m_windowActions.paste = makeAction(tr("&Paste"), QKeySequence::Paste);
    m_windowActions.selectAll = makeAction(tr("Select &All"), QKeySequence::SelectAll);

    connect(m_windowActions.save, &QAction::triggered, this, [this] { save(); });
    connect(m_windowActions.saveAs, &QAction::triggered, this, [this] { saveAs(); });
    connect(m_windowActions.close, &QAction::triggered, this, &QWidget::close);
    EditorTextView *view = m_editor->textView();
    connect(m_windowActions.undo, &QAction::triggered, view, &QPlainTextEdit::undo);
    connect(m_windowActions.redo, &QAction::triggered, view, &QPlainTextEdit::redo);
    connect(m_windowActions.cut, &QAction::triggered, view, &QPlainTextEdit::cut);
    connect(m_windowActions.copy, &QAction::triggered, view, &QPlainTextEdit::copy);
    connect(m_windowActions.paste, &QAction::triggered, view, &QPlainTextEdit::paste);
    connect(m_windowActions.selectAll, &QAction::triggered, view, &QPlainTextEdit::selectAll);
    connect(view, &QPlainTextEdit::copyAvailable, m_windowActions.cut, &QAction::setEnabled);
    connect(view, &QPlainTextEdit::copyAvailable, m_windowActions.copy, &QAction::setEnabled);
    m_windowActions.cut->setEnabled(false);
    m_windowActions.copy->setEnabled(false);
}

void DocumentWindowView::buildToolbar(const MenuCommands &commands)
{
    Q_UNUSED(commands);
    auto *toolbar = addToolBar(tr("Format"));
    toolbar->setObjectName(QStringLiteral("formatToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(20, 20));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->toggleViewAction()->setVisible(false);
    setContextMenuPolicy(Qt::NoContextMenu);

    // The toolbar buttons carry no shortcuts: the Format menu holds them.
    auto addButton = [this, toolbar](const ToolbarButton &button) {
        auto *action = new QAction(toolbarIcon(QString::fromLatin1(button.themeName), button.glyph),
                                   button.action.displayName(), toolbar);
        action->setToolTip(helpText(button.action));
        action->setStatusTip(helpText(button.action));
        const FormatAction formatAction = button.action;
        connect(action, &QAction::triggered, this,
                [this, formatAction] { apply(formatCommandTarget(), formatAction); });
        toolbar->addAction(action);
    };

    const ToolbarButton leading[] = {
        {FormatAction{Kind::bold}, "format-text-bold", ToolbarGlyph::bold},
        {FormatAction{Kind::italic}, "format-text-italic", ToolbarGlyph::italic},
        {FormatAction{Kind::strikethrough}, "format-text-strikethrough",
         ToolbarGlyph::strikethrough},
        {FormatAction{Kind::code}, "format-text-code", ToolbarGlyph::code},
        {FormatAction{Kind::link}, "insert-link", ToolbarGlyph::link},
    };
    for (const auto &button : leading)
        addButton(button);

    auto *headingMenu = new QMenu(tr("Heading"), toolbar);
    for (int level = 1; level <= 6; ++level) {
        const FormatAction action = FormatAction::heading(level);
        QAction *item = headingMenu->addAction(action.displayName());
        connect(item, &QAction::triggered, this,
                [this, action] { apply(formatCommandTarget(), action); });
    }
    auto *headingButton = new QToolButton(toolbar);
    headingButton->setObjectName(QStringLiteral("headingButton"));
    headingButton->setIcon(
        toolbarIcon(QStringLiteral("format-text-heading"), ToolbarGlyph::heading));
    headingButton->setToolTip(tr("Heading"));
    headingButton->setMenu(headingMenu);
    headingButton->setPopupMode(QToolButton::InstantPopup);
    headingButton->setAutoRaise(true);
    toolbar->addWidget(headingButton);

    const ToolbarButton lists[] = {
        {FormatAction{Kind::bulletedList}, "format-list-unordered", ToolbarGlyph::bulletedList},
        {FormatAction{Kind::numberedList}, "format-list-ordered", ToolbarGlyph::numberedList},
        {FormatAction{Kind::taskList}, "format-list-checkbox", ToolbarGlyph::taskList},
    };
    for (const auto &button : lists)
        addButton(button);
    toolbar->addSeparator();
    const ToolbarButton blocks[] = {
        {FormatAction{Kind::blockquote}, "format-text-blockquote", ToolbarGlyph::blockquote},
        {FormatAction{Kind::codeBlock}, "format-text-code-block", ToolbarGlyph::codeBlock},
    };
    for (const auto &button : blocks)
        addButton(button);
}

void DocumentWindowView::applySidebarVisibility(bool visible)
{
    if (m_sidebar->isVisibleTo(this) == visible && (!visible || m_splitter->sizes().value(0) > 0))
        return;
    if (!visible)
        m_sizesBeforeHiding = m_splitter->sizes();
    m_sidebar->setVisible(visible);
    if (!visible)
        return;
    // Back to the widths the columns had; a change of window width meanwhile is shared out
    // in proportion.
    const QList<int> before = std::exchange(m_sizesBeforeHiding, {});
    if (before.size() == 3 && before[0] > 0) {
        m_splitter->setSizes(before);
        return;
    }
    QList<int> sizes = m_splitter->sizes();
    if (sizes.value(0) <= 0 && sizes.size() == 3) {
        // Back from a collapse: take the ideal width from the editor.
        sizes[0] = sidebarIdealWidth;
        sizes[1] = std::max(editorMinimumWidth, sizes[1] - sidebarIdealWidth);
        m_splitter->setSizes(sizes);
    }
}

void DocumentWindowView::sidebarMovedByUser()
{
    // Dragging the divider to the edge collapses the sidebar; that is the same as hiding it.
    const bool showing = m_sidebar->isVisibleTo(this) && m_splitter->sizes().value(0) > 0;
    if (showing != SidebarState::instance().isVisible())
        SidebarState::instance().setVisible(showing);
}

void DocumentWindowView::selectHeading(const OutlineEntry &entry)
{
    const TextRange caret{entry.sourceLocation, 0};
    if (EditorTextView *view = m_editorStore->textView) {
        view->setSelectedRange(caret);
        view->ensureCursorVisible();
        // Bring the heading's line to the top of the visible area.
        const QTextBlock block = view->textCursor().block();
        if (block.isValid() && block.layout() && block.layout()->lineCount() > 0)
            view->verticalScrollBar()->setValue(block.firstLineNumber());
        view->setFocus(Qt::OtherFocusReason);
    }
    m_editorStore->selection = caret;
    Q_EMIT m_outline->scrollToSection(entry.sectionIndex);
}

bool DocumentWindowView::isDirty() const { return m_document->revision() != m_savedRevision; }

bool DocumentWindowView::isUntouchedNewDocument() const
{
    return m_filePath.isEmpty() && !isDirty() && m_document->text().isEmpty();
}

QString DocumentWindowView::displayName() const
{
    return m_filePath.isEmpty() ? tr("Untitled") : QFileInfo(m_filePath).fileName();
}

void DocumentWindowView::updateTitle()
{
    setWindowTitle(displayName() + QStringLiteral("[*]"));
    setWindowFilePath(m_filePath);
    setWindowModified(isDirty());
}

void DocumentWindowView::updateUndoRedo()
{
    const EditorTextView *view = m_editor->textView();
    m_windowActions.undo->setText(view->undoText());
    m_windowActions.redo->setText(view->redoText());
    m_windowActions.undo->setEnabled(view->document()->isUndoAvailable());
    m_windowActions.redo->setEnabled(view->document()->isRedoAvailable());
}

bool DocumentWindowView::save()
{
    if (m_filePath.isEmpty())
        return saveAs();
    return writeTo(m_filePath);
}

bool DocumentWindowView::saveAs()
{
    QString proposed = m_filePath;
    if (proposed.isEmpty()) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        proposed = folder + QStringLiteral("/Untitled.md");
    }
    QString path = QFileDialog::getSaveFileName(this, tr("Save As"), proposed,
                                                tr("Markdown (*.md *.markdown)"));
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".md");
    if (!writeTo(path))
        return false;
    m_filePath = path;
    updateTitle();
    return true;
}

bool DocumentWindowView::writeTo(const QString &path)
{
    // Written to a temporary file and renamed over the old one only when complete, so a failed
    // save leaves the file on disk as it was.
    QSaveFile file(path);
    const std::uint64_t revision = m_document->revision();
    const QByteArray bytes = MarkdownDocument::encodeContents(m_document->snapshot());
    const bool written
        = file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        QMessageBox::critical(this, tr("Save Failed"),
                              tr("The document \u201c%1\u201d could not be saved.\n\n%2")
                                  .arg(QFileInfo(path).fileName(), file.errorString()));
        return false;
    }
    m_savedRevision = revision;
    updateTitle();
    return true;
}

void DocumentWindowView::closeEvent(QCloseEvent *event)
{
    if (!isDirty()) {
        event->accept();
        return;
    }
    QMessageBox prompt(
        QMessageBox::Warning, tr("Tarn"),
        tr("Do you want to save the changes you made to \u201c%1\u201d?").arg(displayName()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    prompt.setInformativeText(tr("Your changes will be lost if you don\u2019t save them."));
    prompt.button(QMessageBox::Discard)->setText(tr("Don\u2019t Save"));
    prompt.setDefaultButton(QMessageBox::Save);
    prompt.setObjectName(QStringLiteral("unsavedChangesPrompt"));
    switch (prompt.exec()) {
    case QMessageBox::Save:
        if (save()) {
            event->accept();
            return;
        }
        event->ignore();
        return;
    case QMessageBox::Discard:
        event->accept();
        return;
    default:
        event->ignore();
        return;
    }
}

} // namespace Tarn

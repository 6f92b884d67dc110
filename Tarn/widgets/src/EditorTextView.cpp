#include <Tarn/EditorTextView.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace Tarn {

namespace {

QList<QKeySequence> &commandShortcuts()
{
    static QList<QKeySequence> shortcuts;
    return shortcuts;
}

} // namespace

EditorTextView::EditorTextView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("editorTextView"));
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (general.pointSizeF() > 0)
        font.setPointSizeF(general.pointSizeF());
    font.setWeight(QFont::Normal);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    setFrameShape(QFrame::NoFrame);
    document()->setDocumentMargin(8);

    connect(this, &QPlainTextEdit::cursorPositionChanged, this,
            &EditorTextView::highlightCurrentLine);
    connect(document(), &QTextDocument::contentsChange, this, &EditorTextView::contentsChange);
    connect(document(), &QTextDocument::undoCommandAdded, this, &EditorTextView::undoCommandAdded);
    // Undo, redo and typing move the undo state; the menu titles follow.
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (m_isReplacing)
            return;
        m_lastUndoState = undoState();
        Q_EMIT undoRedoTextsChanged();
    });
    highlightCurrentLine();
}

QString EditorTextView::text() const { return m_text; }

QString EditorTextView::rawText(int from, int to) const
{
    QString text;
    if (to <= from)
        return text;
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    text = cursor.selectedText();
    char16_t *units = reinterpret_cast<char16_t *>(text.data());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        units[i] = unit == char16_t(QChar::ParagraphSeparator) ? u'\n' : unit;
    }
    return text;
}

void EditorTextView::contentsChange(int position, int removed, int added)
{
    // Keeps the copy of the text in step by splicing in what changed, instead of reading the
    // whole text back on every keystroke. The component may report a range reaching into its
    // final, implicit paragraph end; clamping both sides alike keeps the splice exact.
    const int textEnd = document()->characterCount() - 1;
    const qsizetype start = std::clamp<qsizetype>(position, 0, m_text.size());
    const qsizetype removedEnd
        = std::clamp<qsizetype>(qsizetype(position) + removed, start, m_text.size());
    const int addedEnd = std::clamp(position + added, int(start), textEnd);
    m_text.replace(start, removedEnd - start, rawText(int(start), addedEnd));
    if (m_text.size() != textEnd)
        m_text = rawText(0, textEnd); // never expected; rebuilt rather than left wrong
}

TextRange EditorTextView::selectedRange() const
{
    const QTextCursor cursor = textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

void EditorTextView::setSelectedRange(TextRange range)
{
    const qsizetype last = std::max(0, document()->characterCount() - 1);
    const qsizetype start = std::clamp<qsizetype>(range.location, 0, last);
    const qsizetype end
        = std::clamp<qsizetype>(range.location + std::max<qsizetype>(range.length, 0), start, last);
    QTextCursor cursor(document());
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void EditorTextView::replaceAsUserEdit(TextRange range, const QString &replacement,
                                       const QString &actionName)
{
    const qsizetype last = std::max(0, document()->characterCount() - 1);
    const qsizetype start = std::clamp<qsizetype>(range.location, 0, last);
    const qsizetype end
        = std::clamp<qsizetype>(range.location + std::max<qsizetype>(range.length, 0), start, last);
    m_replaceStartState = undoState();
    m_isReplacing = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    cursor.insertText(replacement);
    cursor.endEditBlock();
    m_isReplacing = false;
    const int endState = undoState();
    if (endState > m_replaceStartState)
        m_namedSteps[endState] = NamedStep{m_replaceStartState, actionName};
    m_lastUndoState = endState;
    Q_EMIT undoRedoTextsChanged();
}

int EditorTextView::undoState() const { return document()->availableUndoSteps(); }

void EditorTextView::undoCommandAdded()
{
    // A new step discards whatever could have been redone from the state before it.
    const int before = m_isReplacing ? m_replaceStartState : m_lastUndoState;
    m_namedSteps.erase(m_namedSteps.upper_bound(before), m_namedSteps.end());
    if (!m_isReplacing)
        m_lastUndoState = undoState();
}

QString EditorTextView::undoText() const
{
    const int state = undoState();
    const auto found = m_namedSteps.find(state);
    if (state > 0 && found != m_namedSteps.end())
        return QStringLiteral("Undo %1").arg(found->second.name);
    return QStringLiteral("Undo");
}

QString EditorTextView::redoText() const
{
    const int state = undoState();
    for (const auto &[endState, step] : m_namedSteps) {
        if (step.startState == state && endState > state)
            return QStringLiteral("Redo %1").arg(step.name);
    }
    return QStringLiteral("Redo");
}

void EditorTextView::setCommandShortcuts(QList<QKeySequence> shortcuts)
{
    commandShortcuts() = std::move(shortcuts);
}

bool EditorTextView::event(QEvent *event)
{
    // The text component binds some Ctrl keys itself (Ctrl+K deletes to the end of the line on
    // X11); menu commands keep their shortcuts.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(keyEvent->keyCombination());
        if (commandShortcuts().contains(pressed)) {
            event->ignore();
            return false;
        }
    }
    return QPlainTextEdit::event(event);
}

void EditorTextView::changeEvent(QEvent *event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        viewport()->update();
}

QRectF EditorTextView::caretLineInDocument() const
{
    const QTextCursor caret = textCursor();
    const QTextBlock block = caret.block();
    if (!block.isValid() || !block.isVisible() || !block.layout())
        return {};
    const QRectF blockRect = blockBoundingGeometry(block);
    const QTextLine line = block.layout()->lineForTextPosition(caret.positionInBlock());
    if (!line.isValid())
        return QRectF(0, blockRect.top(), viewport()->width(), blockRect.height());
    return QRectF(0, blockRect.top() + line.y(), viewport()->width(), line.height());
}

QColor EditorTextView::currentLineColor() const
{
    QColor color = palette().color(QPalette::Highlight);
    color.setAlpha(palette().color(QPalette::Base).lightness() < 128 ? 48 : 28);
    return color;
}

void EditorTextView::highlightCurrentLine()
{
    // Drawn under the text in paintEvent rather than as a full-width extra selection, which
    // would have the component lay out and draw the caret's line twice on every keystroke.
    const QRectF line = caretLineInDocument();
    if (line == m_highlightedLine)
        return;
    const QPointF offset = contentOffset();
    viewport()->update(m_highlightedLine.translated(offset).toAlignedRect());
    viewport()->update(line.translated(offset).toAlignedRect());
    m_highlightedLine = line;
}

void EditorTextView::paintEvent(QPaintEvent *event)
{
    const QRectF line = caretLineInDocument().translated(contentOffset());
    if (!line.isEmpty() && line.intersects(event->rect())) {
        QPainter painter(viewport());
        painter.fillRect(line.intersected(event->rect()), currentLineColor());
    }
    QPlainTextEdit::paintEvent(event);
}

void EditorTextView::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    m_highlightedLine = caretLineInDocument();
}

} // namespace Tarn

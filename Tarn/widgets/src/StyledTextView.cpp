#include "StyledTextView.h"

#include "PreviewStyle.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>

namespace Tarn {

namespace {

constexpr QChar lineSeparator(0x2028);

MDStyledText plainRuns(const QString &text)
{
    MDRun run;
    run.text = text;
    return {run};
}

QFont runFont(const MDRun &run, const QFont &base)
{
    if (run.font) {
        PreviewStyle::Weight weight = PreviewStyle::Weight::regular;
        switch (run.font->weight) {
        case MDFont::Weight::regular:
            break;
        case MDFont::Weight::semibold:
            weight = PreviewStyle::Weight::semibold;
            break;
        case MDFont::Weight::bold:
            weight = PreviewStyle::Weight::bold;
            break;
        }
        return PreviewStyle::font(run.font->size, weight, run.font->monospaced, run.font->italic);
    }
    QFont font = base;
    if (run.code) {
        // Monospaced at the surrounding size.
        QFont mono = PreviewStyle::font(PreviewStyle::bodySize, PreviewStyle::Weight::regular,
                                        /*monospaced=*/true);
        mono.setPointSizeF(base.pointSizeF());
        mono.setWeight(base.weight());
        mono.setItalic(base.italic());
        font = mono;
    }
    if (run.stronglyEmphasized)
        font.setWeight(QFont::Bold);
    if (run.emphasized)
        font.setItalic(true);
    return font;
}

} // namespace

StyledTextView::StyledTextView(MDStyledText runs, Style style, QWidget *parent)
    : QWidget(parent)
    , m_runs(std::move(runs))
    , m_style(std::move(style))
    , m_document(new QTextDocument(this))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(m_style.wraps);
    if (!m_style.wraps)
        policy.setHorizontalPolicy(QSizePolicy::Fixed);
    setSizePolicy(policy);
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setCursor(Qt::IBeamCursor);
    rebuildDocument();
}

StyledTextView::StyledTextView(const QString &plainText, Style style, QWidget *parent)
    : StyledTextView(plainRuns(plainText), std::move(style), parent)
{
}

void StyledTextView::rebuildDocument()
{
    const QPalette &pal = palette();
    const QColor baseColour = m_style.colour == Colour::primary ? PreviewStyle::primaryText(pal)
                                                                : PreviewStyle::secondaryText(pal);
    m_document->clear();
    m_document->setDocumentMargin(0);
    m_document->setDefaultFont(m_style.font);
    QTextOption option = m_document->defaultTextOption();
    option.setWrapMode(m_style.wraps ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                     : QTextOption::NoWrap);
    m_document->setDefaultTextOption(option);

    QTextCursor cursor(m_document);
    if (m_style.lineSpacing > 0) {
        QTextBlockFormat block;
        block.setLineHeight(m_style.lineSpacing, QTextBlockFormat::LineDistanceHeight);
        cursor.setBlockFormat(block);
    }
    for (const auto &run : m_runs) {
        QTextCharFormat format;
        const QFont font = runFont(run, m_style.font);
        format.setFont(font);
        format.setForeground(run.accentForeground ? PreviewStyle::accent(pal) : baseColour);
        if (run.strikethrough || run.strikethroughLine)
            format.setFontStrikeOut(true);
        if (run.underline)
            format.setFontUnderline(true);
        if (run.codeBackground)
            format.setBackground(PreviewStyle::inlineCodeBackground(pal));
        if (run.baselineOffset != 0) {
            // Qt takes the offset as a percentage of the run's font height.
            const double height = QFontMetricsF(font).height();
            if (height > 0)
                format.setBaselineOffset(run.baselineOffset / height * 100.0);
        }
        if (run.link) {
            format.setAnchor(true);
            format.setAnchorHref(run.link->toString());
        }
        QString text = run.text;
        text.replace(QLatin1Char('\n'), lineSeparator);
        cursor.insertText(text, format);
    }
    m_measuredWidth = -1;
    setAccessibleName(plainText()); // what a screen reader reads
    update();
}

void StyledTextView::setRuns(MDStyledText runs)
{
    const int oldHeight = m_style.wraps ? heightForWidth(width()) : sizeHint().height();
    m_runs = std::move(runs);
    m_anchor = m_position = -1;
    rebuildDocument();
    // Typing in a paragraph mostly keeps its line count: then nothing around it moves.
    const int newHeight = m_style.wraps ? heightForWidth(width()) : sizeHint().height();
    if (newHeight != oldHeight || !m_style.wraps)
        updateGeometry();
}

QString StyledTextView::plainText() const
{
    QString text = m_document->toPlainText();
    text.replace(lineSeparator, QLatin1Char('\n'));
    return text;
}

QString StyledTextView::selectedText() const
{
    if (m_anchor < 0 || m_anchor == m_position)
        return {};
    QTextCursor cursor(m_document);
    cursor.setPosition(m_anchor);
    cursor.setPosition(m_position, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    text.replace(lineSeparator, QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

int StyledTextView::heightForWidth(int width) const
{
    if (!m_style.wraps)
        return sizeHint().height();
    width = std::max(width, 1);
    if (width == m_measuredWidth)
        return m_measuredHeight;
    m_document->setTextWidth(width);
    m_measuredWidth = width;
    m_measuredHeight = int(std::ceil(m_document->size().height()));
    return m_measuredHeight;
}

QSize StyledTextView::sizeHint() const
{
    if (!m_style.wraps) {
        m_document->setTextWidth(-1);
        const QSizeF size = m_document->size();
        return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
    }
    const int ideal = int(std::ceil(m_document->idealWidth()));
    return {ideal, heightForWidth(width() > 0 ? width() : ideal)};
}

QSize StyledTextView::minimumSizeHint() const
{
    if (!m_style.wraps)
        return sizeHint();
    return {1, heightForWidth(width() > 0 ? width() : 1)};
}

void StyledTextView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_style.wraps)
        m_document->setTextWidth(width());
}

void StyledTextView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        rebuildDocument();
        updateGeometry();
    }
}

void StyledTextView::paintEvent(QPaintEvent *)
{
    if (m_style.wraps && !qFuzzyCompare(m_document->textWidth(), qreal(width())))
        m_document->setTextWidth(width());
    if (!m_style.wraps && m_document->textWidth() >= 0)
        m_document->setTextWidth(-1);
    QPainter painter(this);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    if (m_anchor >= 0 && m_anchor != m_position) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(m_document);
        selection.cursor.setPosition(m_anchor);
        selection.cursor.setPosition(m_position, QTextCursor::KeepAnchor);
        selection.format.setBackground(palette().color(QPalette::Highlight));
        selection.format.setForeground(palette().color(QPalette::HighlightedText));
        context.selections.append(selection);
    }
    m_document->documentLayout()->draw(&painter, context);
}

int StyledTextView::positionAt(const QPointF &point) const
{
    const int position = m_document->documentLayout()->hitTest(point, Qt::FuzzyHit);
    return std::max(position, 0);
}

QString StyledTextView::linkAt(const QPointF &point) const
{
    return m_document->documentLayout()->anchorAt(point);
}

void StyledTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressedLink = linkAt(event->position());
    m_anchor = m_position = positionAt(event->position());
    m_dragging = true;
    update();
}

void StyledTextView::mouseMoveEvent(QMouseEvent *event)
{
    setCursor(linkAt(event->position()).isEmpty() ? Qt::IBeamCursor : Qt::PointingHandCursor);
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    m_position = positionAt(event->position());
    update();
}

void StyledTextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    const bool clicked = m_anchor == m_position;
    if (clicked && !m_pressedLink.isEmpty() && linkAt(event->position()) == m_pressedLink)
        QDesktopServices::openUrl(QUrl(m_pressedLink));
    m_pressedLink.clear();
    if (!clicked && QGuiApplication::clipboard()->supportsSelection())
        QGuiApplication::clipboard()->setText(selectedText(), QClipboard::Selection);
}

void StyledTextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTextCursor cursor(m_document);
    cursor.setPosition(positionAt(event->position()));
    cursor.select(QTextCursor::WordUnderCursor);
    m_anchor = cursor.anchor();
    m_position = cursor.position();
    m_dragging = false;
    update();
}

void StyledTextView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_anchor = 0;
        m_position = m_document->characterCount() - 1;
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

void StyledTextView::copySelection() const
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text);
}

void StyledTextView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    m_anchor = m_position = -1;
    update();
}

void StyledTextView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copy = menu.addAction(tr("Copy"), this, [this] { copySelection(); });
    copy->setEnabled(!selectedText().isEmpty());
    menu.addAction(tr("Select All"), this, [this] {
        m_anchor = 0;
        m_position = m_document->characterCount() - 1;
        update();
    });
    menu.exec(event->globalPos());
}

} // namespace Tarn

#include "PreviewStyle.h"
#include "StyledTextView.h"

#include <Tarn/MDBlockView.h>
#include <Tarn/MermaidDiagramView.h>

#include <QFontMetricsF>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace Tarn {

namespace {

using PreviewStyle::Weight;

constexpr double codeSize = 12.5;
constexpr int markerMinimumWidth = 20;

StyledTextView::Colour colourOf(bool secondary)
{
    return secondary ? StyledTextView::Colour::secondary : StyledTextView::Colour::primary;
}

StyledTextView *textView(const MDStyledText &runs, const QFont &font, bool secondary,
                         QWidget *parent)
{
    return new StyledTextView(runs, StyledTextView::Style{font, colourOf(secondary)}, parent);
}

StyledTextView *plainTextView(const QString &text, const QFont &font, bool secondary, bool wraps,
                              QWidget *parent, double lineSpacing = 0)
{
    return new StyledTextView(
        text, StyledTextView::Style{font, colourOf(secondary), wraps, lineSpacing}, parent);
}

QVBoxLayout *stack(QWidget *owner, int spacing, QMargins margins = {})
{
    auto *layout = new QVBoxLayout(owner);
    layout->setContentsMargins(margins);
    layout->setSpacing(spacing);
    return layout;
}

QWidget *padded(QWidget *child, QMargins margins, QWidget *parent)
{
    auto *box = new QWidget(parent);
    child->setParent(box);
    stack(box, 0, margins)->addWidget(child);
    return box;
}

struct HeadingFont
{
    double size;
    Weight weight;
    int topPadding;
};

HeadingFont headingFont(int level)
{
    switch (std::clamp(level, 1, 6)) {
    case 1:
        return {28, Weight::bold, 10};
    case 2:
        return {22, Weight::bold, 10};
    case 3:
        return {18, Weight::semibold, 18};
    case 4:
        return {16, Weight::semibold, 16};
    case 5:
        return {14, Weight::semibold, 12};
    default:
        return {13, Weight::semibold, 12};
    }
}

/// A list marker, footnote number or checkbox, drawn right-aligned in at least 20 points with
/// its colour taken from the palette when painted.
class MarkerView : public QWidget
{
public:
    enum class Kind { text, checked, unchecked };
    enum class Tint { accent, secondary };

    MarkerView(Kind kind, QString text, QFont font, Tint tint, QWidget *parent)
        : QWidget(parent)
        , m_kind(kind)
        , m_text(std::move(text))
        , m_font(std::move(font))
        , m_tint(tint)
    {
        setObjectName(kind == Kind::checked     ? QStringLiteral("checkedBox")
                      : kind == Kind::unchecked ? QStringLiteral("uncheckedBox")
                                                : QStringLiteral("marker"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setProperty("markerText", m_text);
    }

    QString text() const { return m_text; }

    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(m_font);
        const double width
            = m_kind == Kind::text ? metrics.horizontalAdvance(m_text) : metrics.ascent();
        return {std::max(markerMinimumWidth, int(std::ceil(width))),
                int(std::ceil(metrics.height()))};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor colour = m_tint == Tint::accent ? PreviewStyle::accent(palette())
                                                     : PreviewStyle::secondaryText(palette());
        const QFontMetricsF metrics(m_font);
        if (m_kind == Kind::text) {
            painter.setFont(m_font);
            painter.setPen(colour);
            const double width = metrics.horizontalAdvance(m_text);
            painter.drawText(QPointF(width_() - width, metrics.ascent()), m_text);
            return;
        }
        // A rounded square sitting on the text line, filled and ticked when checked.
        const double side = std::round(metrics.ascent() * 0.95);
        const QRectF box(width_() - side - 0.5, (metrics.height() - side) / 2.0 + 0.5, side - 1,
                         side - 1);
        QPainterPath path;
        path.addRoundedRect(box, side * 0.2, side * 0.2);
        if (m_kind == Kind::unchecked) {
            painter.setPen(QPen(colour, 1.2));
            painter.drawPath(path);
            return;
        }
        painter.fillPath(path, colour);
        painter.setPen(QPen(Qt::white, side * 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF o = box.topLeft();
        const double s = box.width();
        painter.drawPolyline(
            QPolygonF({o + QPointF(s * 0.25, s * 0.52), o + QPointF(s * 0.43, s * 0.7),
                       o + QPointF(s * 0.76, s * 0.3)}));
    }

private:
    double width_() const { return width(); }

    Kind m_kind;
    QString m_text;
    QFont m_font;
    Tint m_tint;
};

/// The accent bar beside a block quote.
class QuoteBar : public QWidget
{
public:
    explicit QuoteBar(QWidget *parent)
        : QWidget(parent)
    {
        setFixedWidth(3);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QColor colour = PreviewStyle::accent(palette());
        colour.setAlphaF(0.5f);
        QPainter(this).fillRect(rect(), colour);
    }
};

/// A rounded panel-grey box without a border.
class HTMLBlockBox : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), PreviewStyle::cornerRadius, PreviewStyle::cornerRadius);
        painter.fillPath(path, PreviewStyle::panelGrey(palette()));
    }
};

/// Scrolls its code sideways; as tall as the code, plus the scroll bar when one shows.
class CodeScrollArea : public QScrollArea
{
public:
    explicit CodeScrollArea(QWidget *parent)
        : QScrollArea(parent)
    {
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setWidgetResizable(true);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        viewport()->setAutoFillBackground(false);
        setAutoFillBackground(false);
    }

    QSize sizeHint() const override
    {
        if (!widget())
            return {};
        const QSize content = widget()->sizeHint();
        const bool needsBar = content.width() > viewport()->width();
        const int bar = needsBar ? horizontalScrollBar()->sizeHint().height() : 0;
        return {content.width(), content.height() + bar};
    }
    QSize minimumSizeHint() const override { return {1, sizeHint().height()}; }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        if (sizeHint().height() != height())
            updateGeometry();
    }
    void wheelEvent(QWheelEvent *event) override
    {
        // Vertical wheeling belongs to the preview around us.
        if (std::abs(event->angleDelta().x()) <= std::abs(event->angleDelta().y())) {
            event->ignore();
            return;
        }
        QScrollArea::wheelEvent(event);
    }
};

QWidget *blockStack(const std::vector<MDBlock> &blocks, int spacing, MDTextContext context,
                    QWidget *parent)
{
    auto *box = new QWidget(parent);
    QVBoxLayout *layout = stack(box, spacing);
    for (const auto &block : blocks)
        layout->addWidget(new MDBlockView(block, context, box));
    return box;
}

QWidget *headingView(const MDBlocks::Heading &heading, MDTextContext context, QWidget *parent)
{
    const HeadingFont style = headingFont(heading.level);
    auto *box = new QWidget(parent);
    box->setObjectName(QStringLiteral("heading%1").arg(std::clamp(heading.level, 1, 6)));
    QVBoxLayout *layout = stack(box, 6, QMargins(0, style.topPadding, 0, 0));
    layout->addWidget(textView(heading.content, PreviewStyle::font(style.size, style.weight),
                               heading.level >= 6 || context.secondary, box));
    if (heading.level <= 2)
        layout->addWidget(new PreviewStyle::Divider(box));
    return box;
}

QWidget *blockQuoteView(const MDBlocks::BlockQuote &quote, MDTextContext context, QWidget *parent)
{
    auto *box = new QWidget(parent);
    box->setObjectName(QStringLiteral("blockQuote"));
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new QuoteBar(box));
    context.secondary = true;
    QWidget *blocks = blockStack(quote.blocks, 8, context, box);
    blocks->layout()->setContentsMargins(14, 0, 0, 0);
    row->addWidget(blocks, 1);
    return box;
}

QWidget *htmlBlockView(const MDBlocks::HTMLBlock &html, QWidget *parent)
{
    auto *box = new HTMLBlockBox(parent);
    box->setObjectName(QStringLiteral("htmlBlock"));
    stack(box, 0, QMargins(10, 10, 10, 10))
        ->addWidget(plainTextView(html.html, PreviewStyle::font(codeSize, Weight::regular, true),
                                  /*secondary=*/true, /*wraps=*/true, box));
    return box;
}

QWidget *thematicBreakView(QWidget *parent)
{
    auto *box = new QWidget(parent);
    box->setObjectName(QStringLiteral("thematicBreak"));
    stack(box, 0, QMargins(0, 6, 0, 6))->addWidget(new PreviewStyle::Divider(box));
    return box;
}

} // namespace

MDBlockView::MDBlockView(const MDBlock &block, MDTextContext context, QWidget *parent)
    : QWidget(parent)
{
    QVBoxLayout *layout = stack(this, 0);
    const QFont bodyFont = PreviewStyle::font(context.fontSize);
    QWidget *view = std::visit(
        [&](const auto &value) -> QWidget * {
            using T = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<T, MDBlocks::FrontMatter>)
                return new FrontMatterView(value.pairs, this);
            else if constexpr (std::is_same_v<T, MDBlocks::Heading>)
                return headingView(value, context, this);
            else if constexpr (std::is_same_v<T, MDBlocks::Paragraph>)
                return textView(value.content, bodyFont, context.secondary, this);
            else if constexpr (std::is_same_v<T, MDBlocks::CodeBlock>)
                return new CodeBlockView(value.language, value.code, this);
            else if constexpr (std::is_same_v<T, MDBlocks::Mermaid>)
                return new MermaidDiagramView(value.source, this);
            else if constexpr (std::is_same_v<T, MDBlocks::BlockQuote>)
                return blockQuoteView(value, context, this);
            else if constexpr (std::is_same_v<T, MDBlocks::UnorderedList>)
                return new MDListView(value.items, /*ordered=*/false, 1, context, this);
            else if constexpr (std::is_same_v<T, MDBlocks::OrderedList>)
                return new MDListView(value.items, /*ordered=*/true, value.start, context, this);
            else if constexpr (std::is_same_v<T, MDBlocks::Table>)
                return new MDTableView(value.head, value.rows, context, this);
            else if constexpr (std::is_same_v<T, MDBlocks::HTMLBlock>)
                return htmlBlockView(value, this);
            else if constexpr (std::is_same_v<T, MDBlocks::Footnotes>)
                return new FootnotesView(value.notes, this);
            else
                return thematicBreakView(this);
        },
        block.value);
    layout->addWidget(view);
}

MarkdownRendererView::MarkdownRendererView(const QString &source, QWidget *parent)
    : QWidget(parent)
    , m_source(source)
{
    QVBoxLayout *layout = stack(this, 14);
    m_blocks = MarkdownRenderer(source).blocks();
    for (const auto &block : m_blocks) {
        m_views.push_back(new MDBlockView(block, MDTextContext{}, this));
        layout->addWidget(m_views.back());
    }
}

void MarkdownRendererView::setSource(const QString &source)
{
    if (source == m_source)
        return;
    m_source = source;
    std::vector<MDBlock> blocks = MarkdownRenderer(source).blocks();
    const size_t oldCount = m_blocks.size();
    const size_t newCount = blocks.size();
    size_t prefix = 0;
    while (prefix < oldCount && prefix < newCount && m_blocks[prefix] == blocks[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix
           && m_blocks[oldCount - 1 - suffix] == blocks[newCount - 1 - suffix])
        ++suffix;

    // Typing inside one paragraph: its view shows the new runs in place.
    if (oldCount == newCount && prefix + suffix + 1 == newCount) {
        const auto *before = std::get_if<MDBlocks::Paragraph>(&m_blocks[prefix].value);
        const auto *after = std::get_if<MDBlocks::Paragraph>(&blocks[prefix].value);
        auto *text = m_views[prefix]->findChild<StyledTextView *>();
        if (before && after && text) {
            text->setRuns(after->content);
            m_blocks = std::move(blocks);
            return;
        }
    }

    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    for (size_t index = prefix; index < oldCount - suffix; ++index) {
        MDBlockView *view = m_views[index];
        layout->removeWidget(view);
        view->hide();
        view->deleteLater();
    }
    std::vector<MDBlockView *> middle;
    for (size_t index = prefix; index < newCount - suffix; ++index) {
        auto *view = new MDBlockView(blocks[index], MDTextContext{}, this);
        layout->insertWidget(int(prefix + middle.size()), view);
        middle.push_back(view);
    }
    m_views.erase(m_views.begin() + qsizetype(prefix),
                  m_views.begin() + qsizetype(oldCount - suffix));
    m_views.insert(m_views.begin() + qsizetype(prefix), middle.begin(), middle.end());
    m_blocks = std::move(blocks);
}

MDListView::MDListView(const std::vector<MDListItem> &items, bool ordered, int start,
                       MDTextContext context, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(ordered ? QStringLiteral("orderedList") : QStringLiteral("unorderedList"));
    QVBoxLayout *layout = stack(this, 6);
    const QFont bodyFont = PreviewStyle::font(context.fontSize);
    for (size_t index = 0; index < items.size(); ++index) {
        const MDListItem &item = items[index];
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        MarkerView *marker = nullptr;
        if (item.checkbox) {
            marker = new MarkerView(
                *item.checkbox ? MarkerView::Kind::checked : MarkerView::Kind::unchecked, QString(),
                bodyFont, *item.checkbox ? MarkerView::Tint::accent : MarkerView::Tint::secondary,
                this);
        } else if (ordered) {
            // Computed in 64 bits: a start near the top of int must not overflow.
            const qint64 number = qint64(start) + qint64(index);
            marker = new MarkerView(MarkerView::Kind::text, QString::number(number) + u'.',
                                    bodyFont, MarkerView::Tint::secondary, this);
        } else {
            marker = new MarkerView(MarkerView::Kind::text, QStringLiteral("\u2022"), bodyFont,
                                    MarkerView::Tint::accent, this);
        }
        row->addWidget(marker, 0, Qt::AlignTop);
        row->addWidget(blockStack(item.blocks, 6, context, this), 1);
        layout->addLayout(row);
    }
}

MDTableView::MDTableView(const std::vector<MDStyledText> &head,
                         const std::vector<std::vector<MDStyledText>> &rows, MDTextContext context,
                         QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("table"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(1, 1, 1, 1);
    grid->setSpacing(0);
    const QFont bodyFont = PreviewStyle::font(context.fontSize);
    auto addRow = [&](int rowIndex, const std::vector<MDStyledText> &cells) {
        for (size_t column = 0; column < cells.size(); ++column) {
            QWidget *cell = padded(textView(cells[column], bodyFont, context.secondary, this),
                                   QMargins(12, 7, 12, 7), this);
            grid->addWidget(cell, rowIndex, int(column));
            if (column == 0)
                m_firstCells.push_back(cell);
        }
        if (cells.empty()) {
            auto *empty = new QWidget(this);
            empty->setMinimumHeight(QFontMetrics(bodyFont).height() + 14);
            grid->addWidget(empty, rowIndex, 0);
            m_firstCells.push_back(empty);
        }
    };
    addRow(0, head);
    for (size_t row = 0; row < rows.size(); ++row)
        addRow(int(row) + 1, rows[row]);
    for (int column = 0; column < grid->columnCount(); ++column)
        grid->setColumnStretch(column, 1);
}

void MDTableView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), PreviewStyle::cornerRadius,
                        PreviewStyle::cornerRadius);
    painter.save();
    painter.setClipPath(clip);
    if (!m_firstCells.empty()) {
        const int headerBottom = m_firstCells.front()->geometry().bottom() + 1;
        painter.fillRect(QRect(0, 0, width(), headerBottom), PreviewStyle::headerGrey(palette()));
    }
    const QColor line = PreviewStyle::separator(palette());
    for (size_t row = 1; row < m_firstCells.size(); ++row)
        painter.fillRect(QRect(0, m_firstCells[row]->geometry().top() - 1, width(), 1), line);
    painter.restore();
    PreviewStyle::paintPanel(painter, QRectF(rect()), palette(), QColor());
}

CodeBlockView::CodeBlockView(const std::optional<QString> &language, const QString &code,
                             QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("codeBlock"));
    // One point inside, so that the scroll bar never covers the border.
    QVBoxLayout *layout = stack(this, 0, QMargins(1, 1, 1, 1));
    if (language && !language->isEmpty()) {
        auto *header
            = plainTextView(language->toLower(), PreviewStyle::font(11, Weight::semibold, true),
                            /*secondary=*/true, /*wraps=*/true, this);
        header->setObjectName(QStringLiteral("codeLanguage"));
        layout->addWidget(padded(header, QMargins(14, 6, 14, 6), this));
        layout->addWidget(new PreviewStyle::Divider(this));
    }
    auto *scroll = new CodeScrollArea(this);
    scroll->setObjectName(QStringLiteral("codeScroll"));
    auto *text = plainTextView(code, PreviewStyle::font(codeSize, Weight::regular, true),
                               /*secondary=*/false, /*wraps=*/false, nullptr, /*lineSpacing=*/2);
    text->setObjectName(QStringLiteral("code"));
    QWidget *content = padded(text, QMargins(14, 14, 14, 14), nullptr);
    scroll->setWidget(content);
    // The scroll area makes its content opaque; the panel grey behind must show through.
    content->setAutoFillBackground(false);
    layout->addWidget(scroll);
}

void CodeBlockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PreviewStyle::paintPanel(painter, QRectF(rect()), palette(),
                             PreviewStyle::panelGrey(palette()));
}

FrontMatterView::FrontMatterView(const std::vector<FrontMatterPair> &pairs, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frontMatter"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(6);
    const QFont keyFont = PreviewStyle::font(12, Weight::semibold, true);
    const QFont valueFont = PreviewStyle::font(12);
    for (size_t row = 0; row < pairs.size(); ++row) {
        grid->addWidget(plainTextView(pairs[row].key, keyFont, /*secondary=*/true,
                                      /*wraps=*/false, this),
                        int(row), 0, Qt::AlignRight | Qt::AlignTop);
        grid->addWidget(
            plainTextView(pairs[row].value, valueFont, /*secondary=*/false, /*wraps=*/true, this),
            int(row), 1, Qt::AlignTop);
    }
    grid->setColumnStretch(1, 1);
}

void FrontMatterView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PreviewStyle::paintPanel(painter, QRectF(rect()), palette(),
                             PreviewStyle::panelGrey(palette()));
}

FootnotesView::FootnotesView(const std::vector<MDFootnote> &entries, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("footnotes"));
    QVBoxLayout *layout = stack(this, 6, QMargins(0, 8, 0, 0));
    layout->addWidget(new PreviewStyle::Divider(this));
    auto *title = plainTextView(tr("Footnotes"), PreviewStyle::font(11, Weight::semibold),
                                /*secondary=*/true, /*wraps=*/true, this);
    title->setObjectName(QStringLiteral("footnotesTitle"));
    layout->addWidget(title);
    const MDTextContext callout{PreviewStyle::calloutSize, /*secondary=*/true};
    for (const auto &entry : entries) {
        auto *row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(new MarkerView(MarkerView::Kind::text, entry.id,
                                      PreviewStyle::font(PreviewStyle::captionSize),
                                      MarkerView::Tint::secondary, this),
                       0, Qt::AlignTop);
        row->addWidget(blockStack(entry.blocks, 6, callout, this), 1);
        layout->addLayout(row);
    }
}

} // namespace Tarn

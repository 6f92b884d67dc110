#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/MDBlockView.h>
#include <Tarn/PreviewView.h>

#include <QEvent>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace Tarn {

namespace {

// Rough height of a row not built yet; replaced by the measured one once the row is built.
constexpr int estimatedLineHeight = 20;
constexpr int estimateCeiling = 1'000'000;

int estimatedHeight(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    return int(std::min<qsizetype>(lines * estimatedLineHeight, estimateCeiling));
}

} // namespace

PreviewView::PreviewView(DocumentOutlineModel *outline, QWidget *parent)
    : QScrollArea(parent)
    , m_outline(outline)
{
    setObjectName(QStringLiteral("preview"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);

    m_stack = new QWidget;
    m_stack->setObjectName(QStringLiteral("previewSections"));
    m_stack->setAutoFillBackground(false);
    m_stack->installEventFilter(this);
    setWidget(m_stack);

    m_scrollAnimation = new QPropertyAnimation(verticalScrollBar(), "value", this);
    m_scrollAnimation->setDuration(scrollMilliseconds);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_scrollAnimation, &QPropertyAnimation::finished, this, &PreviewView::buildVisibleRows);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        // Moves made by the layout itself are followed by a build from the caller.
        if (!m_inRelayout && m_scrollAnimation->state() != QAbstractAnimation::Running)
            buildVisibleRows();
    });

    if (outline) {
        connect(outline, &DocumentOutlineModel::outlineChanged, this,
                [this] { showOutline(m_outline->outline()); });
        connect(outline, &DocumentOutlineModel::scrollToSection, this,
                [this](qsizetype index) { scrollToSection(index); });
        rebuild(outline->outline());
    }
}

PreviewView::~PreviewView() = default;

QString PreviewView::sectionAnchor(qsizetype index)
{
    return QStringLiteral("section-") + QString::number(index);
}

QStringList PreviewView::sectionAnchors() const
{
    QStringList anchors;
    anchors.reserve(sectionCount());
    for (qsizetype index = 0; index < sectionCount(); ++index)
        anchors.push_back(sectionAnchor(index));
    return anchors;
}

MarkdownRendererView *PreviewView::sectionRow(qsizetype index) const
{
    if (index < 0 || index >= sectionCount())
        return nullptr;
    return m_rows[size_t(index)].view;
}

MarkdownRendererView *PreviewView::buildSectionRow(qsizetype index)
{
    if (index < 0 || index >= sectionCount())
        return nullptr;
    if (!m_rows[size_t(index)].view) {
        buildRow(index);
        relayout();
    }
    return m_rows[size_t(index)].view;
}

std::optional<int> PreviewView::sectionTop(qsizetype index) const
{
    if (index < 0 || index >= sectionCount())
        return std::nullopt;
    return padding + m_rows[size_t(index)].top;
}

bool PreviewView::scrollToSection(qsizetype index)
{
    const std::optional<int> top = sectionTop(index);
    if (!top)
        return false;
    // Rows above the target keep their heights while the animation runs (nothing is built
    // until it ends), so the target stays where it was computed.
    QScrollBar *bar = verticalScrollBar();
    m_scrollAnimation->stop();
    m_scrollAnimation->setStartValue(bar->value());
    m_scrollAnimation->setEndValue(std::clamp(*top, bar->minimum(), bar->maximum()));
    m_scrollAnimation->start();
    return true;
}

PreviewView::Row PreviewView::makeRow(const QString &text) const
{
    Row row;
    row.text = text;
    row.height = estimatedHeight(text);
    return row;
}

void PreviewView::discardRow(Row &row)
{
    if (!row.view)
        return;
    row.view->removeEventFilter(this);
    row.view->hide();
    row.view->deleteLater();
    row.view = nullptr;
}

namespace {

// The number of leading characters two texts share, compared a page at a time.
qsizetype commonPrefixLength(QStringView a, QStringView b)
{
    constexpr qsizetype page = 4096;
    const qsizetype length = std::min(a.size(), b.size());
    qsizetype index = 0;
    while (index + page <= length
           && std::memcmp(a.data() + index, b.data() + index, page * sizeof(QChar)) == 0)
        index += page;
    while (index < length && a[index] == b[index])
        ++index;
    return index;
}

// The number of trailing characters two texts share.
qsizetype commonSuffixLength(QStringView a, QStringView b)
{
    constexpr qsizetype page = 4096;
    const qsizetype length = std::min(a.size(), b.size());
    qsizetype count = 0;
    while (count + page <= length
           && std::memcmp(a.data() + a.size() - count - page, b.data() + b.size() - count - page,
                          page * sizeof(QChar))
                  == 0)
        count += page;
    while (count < length && a[a.size() - 1 - count] == b[b.size() - 1 - count])
        ++count;
    return count;
}

} // namespace

void PreviewView::showOutline(const Outline &outline)
{
    // Compared in place: on a large document most sections are equal and copying every
    // section's text would cost more than the comparison.
    const auto sectionText = [&outline](size_t index) {
        const OutlineSection &range = outline.sectionRanges[index];
        return QStringView(outline.source).sliced(range.sourceLocation, range.length);
    };
    const size_t newCount = outline.sectionRanges.size();
    const size_t oldCount = m_rows.size();

    // An edit leaves the text before and after it alone: a section lying wholly in the common
    // beginning or the common end of the old and new text, at the same place, is unchanged
    // without comparing it. One pass over the text instead of one comparison per section.
    const QStringView oldSource(m_shownSource);
    const QStringView newSource(outline.source);
    const qsizetype commonStart = commonPrefixLength(oldSource, newSource);
    const qsizetype commonEnd = commonSuffixLength(oldSource, newSource);
    const auto unchanged = [&](size_t oldIndex, size_t newIndex) {
        const Row &row = m_rows[oldIndex];
        const OutlineSection &range = outline.sectionRanges[newIndex];
        if (row.text.size() != range.length)
            return false;
        if (row.sourceLocation == range.sourceLocation
            && range.sourceLocation + range.length <= commonStart)
            return true;
        const qsizetype fromEnd = newSource.size() - range.sourceLocation;
        if (oldSource.size() - row.sourceLocation == fromEnd && fromEnd <= commonEnd)
            return true;
        return row.text == sectionText(newIndex);
    };

    // Sections equal at both ends keep their rows; only the changed middle is replaced.
    size_t prefix = 0;
    while (prefix < oldCount && prefix < newCount && unchanged(prefix, prefix))
        ++prefix;
    size_t suffix = 0;
    while (suffix < oldCount - prefix && suffix < newCount - prefix
           && unchanged(oldCount - 1 - suffix, newCount - 1 - suffix))
        ++suffix;
    if (prefix == oldCount && prefix == newCount) {
        rememberShownOutline(outline);
        return;
    }

    // The row at the top of the view stays there: rows after the change move by the change in
    // count, and a replaced row hands its place to the new row at the same index.
    std::optional<ScrollAnchor> anchor = currentAnchor();
    if (anchor && size_t(anchor->row) >= prefix) {
        const size_t newMiddle = newCount - prefix - suffix;
        if (size_t(anchor->row) >= oldCount - suffix)
            anchor->row += qsizetype(newCount) - qsizetype(oldCount);
        else if (newMiddle == 0)
            anchor = ScrollAnchor{qsizetype(std::min(prefix, newCount - 1)), 0};
        else
            anchor->row = qsizetype(std::min(size_t(anchor->row), prefix + newMiddle - 1));
    }

    if (oldCount == newCount) {
        // The same sections with new text (typing): each row keeps the views of its
        // unchanged blocks.
        for (size_t index = prefix; index < newCount - suffix; ++index) {
            Row &row = m_rows[index];
            row.text = sectionText(index).toString();
            if (row.view)
                row.view->setSource(row.text);
            else
                row.height = estimatedHeight(row.text);
        }
        rememberShownOutline(outline);
        relayout(anchor);
        buildVisibleRows();
        return;
    }

    for (size_t index = prefix; index < oldCount - suffix; ++index)
        discardRow(m_rows[index]);
    std::vector<Row> middle;
    middle.reserve(newCount - prefix - suffix);
    for (size_t index = prefix; index < newCount - suffix; ++index)
        middle.push_back(makeRow(sectionText(index).toString()));
    const auto first = m_rows.begin() + qsizetype(prefix);
    m_rows.erase(first, m_rows.begin() + qsizetype(oldCount - suffix));
    m_rows.insert(m_rows.begin() + qsizetype(prefix), std::make_move_iterator(middle.begin()),
                  std::make_move_iterator(middle.end()));

    if (newCount != oldCount) {
        // Later sections moved to new indices: their anchors follow.
        for (size_t index = prefix; index < m_rows.size(); ++index) {
            if (m_rows[index].view)
                m_rows[index].view->setObjectName(sectionAnchor(qsizetype(index)));
        }
    }
    rememberShownOutline(outline);
    relayout(anchor);
    buildVisibleRows();
}

void PreviewView::rememberShownOutline(const Outline &outline)
{
    m_shownSource = outline.source;
    for (size_t index = 0; index < m_rows.size() && index < outline.sectionRanges.size(); ++index)
        m_rows[index].sourceLocation = outline.sectionRanges[index].sourceLocation;
}

void PreviewView::rebuild(const Outline &outline)
{
    std::optional<ScrollAnchor> anchor = currentAnchor();
    for (auto &row : m_rows)
        discardRow(row);
    m_rows.clear();
    const QStringList texts = outline.sectionTexts();
    m_rows.reserve(size_t(texts.size()));
    for (const auto &text : texts)
        m_rows.push_back(makeRow(text));
    rememberShownOutline(outline);
    if (anchor)
        anchor->row = std::min(anchor->row, sectionCount() - 1);
    relayout(anchor);
    buildVisibleRows();
}

void PreviewView::buildRow(qsizetype index)
{
    Row &row = m_rows[size_t(index)];
    auto *view = new MarkdownRendererView(row.text, m_stack);
    view->setObjectName(sectionAnchor(index));
    view->installEventFilter(this);
    row.view = view;
    view->show();
}

int PreviewView::innerWidth() const { return std::max(1, viewport()->width() - 2 * padding); }

qsizetype PreviewView::rowAt(int y) const
{
    // The last row starting at or above y.
    const auto after = std::upper_bound(m_rows.begin(), m_rows.end(), y - padding,
                                        [](int value, const Row &row) { return value < row.top; });
    if (after == m_rows.begin())
        return 0;
    return qsizetype(after - m_rows.begin()) - 1;
}

std::optional<PreviewView::ScrollAnchor> PreviewView::currentAnchor() const
{
    const QScrollBar *bar = verticalScrollBar();
    if (m_rows.empty() || bar->value() <= 0
        || m_scrollAnimation->state() == QAbstractAnimation::Running)
        return std::nullopt;
    const qsizetype row = rowAt(bar->value());
    return ScrollAnchor{row, bar->value() - (padding + m_rows[size_t(row)].top)};
}

void PreviewView::relayout() { relayout(currentAnchor()); }

void PreviewView::relayout(std::optional<ScrollAnchor> anchor)
{
    if (m_inRelayout)
        return;
    m_inRelayout = true;
    m_relayoutScheduled = false;
    const int width = innerWidth();
    int top = 0;
    for (auto &row : m_rows) {
        row.top = top;
        if (row.view) {
            const int measured = row.view->heightForWidth(width);
            row.height = measured >= 0 ? measured : row.view->sizeHint().height();
            const QRect geometry(padding, padding + top, width, row.height);
            if (row.view->geometry() != geometry)
                row.view->setGeometry(geometry);
        }
        top += row.height;
    }
    m_stack->resize(viewport()->width(), top + 2 * padding);
    // Rows above the view changed height: keep what the reader looks at in place.
    if (anchor && anchor->row >= 0 && anchor->row < sectionCount())
        verticalScrollBar()->setValue(padding + m_rows[size_t(anchor->row)].top + anchor->offset);
    m_inRelayout = false;
}

void PreviewView::scheduleRelayout()
{
    if (m_relayoutScheduled)
        return;
    m_relayoutScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_relayoutScheduled)
                return;
            relayout();
            buildVisibleRows();
        },
        Qt::QueuedConnection);
}

void PreviewView::buildVisibleRows()
{
    if (m_rows.empty() || m_scrollAnimation->state() == QAbstractAnimation::Running)
        return;
    // Rows within half a view above or below the visible area are built too, so that a
    // little scrolling never shows an empty stretch. Building changes heights, so repeat
    // until every row in reach is built; each pass builds at least one row.
    for (;;) {
        const int margin = viewport()->height() / 2;
        const int from = verticalScrollBar()->value() - margin;
        const int to = verticalScrollBar()->value() + viewport()->height() + margin;
        bool built = false;
        for (qsizetype index = rowAt(from); index < sectionCount(); ++index) {
            const Row &row = m_rows[size_t(index)];
            if (padding + row.top > to)
                break;
            if (row.view)
                continue;
            buildRow(index);
            built = true;
        }
        if (!built)
            return;
        relayout();
    }
}

void PreviewView::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    relayout();
    buildVisibleRows();
}

bool PreviewView::eventFilter(QObject *watched, QEvent *event)
{
    // A row's content changed size (a diagram finished, a panel collapsed): measure again.
    if (event->type() == QEvent::LayoutRequest && watched != viewport())
        scheduleRelayout();
    return QScrollArea::eventFilter(watched, event);
}

} // namespace Tarn

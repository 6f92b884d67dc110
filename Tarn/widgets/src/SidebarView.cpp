#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/SidebarView.h>

#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace Tarn {

namespace {

constexpr int levelRole = Qt::UserRole + 1;

/// Rows indented by heading level, titles on one line cut at the tail.
class OutlineRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const int level = index.data(levelRole).toInt();
        option->rect.adjust(SidebarView::rowInset + (level - 1) * SidebarView::indentPerLevel, 0,
                            -SidebarView::rowInset, 0);
        option->textElideMode = Qt::ElideRight;
        option->state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        // Hover shading spans the full row; the text starts at the indentation.
        if (option.state & QStyle::State_MouseOver) {
            QColor hover = option.palette.color(QPalette::Highlight);
            hover.setAlpha(40);
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(Qt::NoPen);
            painter->setBrush(hover);
            painter->drawRoundedRect(QRectF(option.rect).adjusted(4, 1, -4, -1), 5, 5);
            painter->restore();
        }
        QStyleOptionViewItem indented = option;
        indented.state &= ~QStyle::State_MouseOver;
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height() + 6, 24));
        return size;
    }
};

} // namespace

SidebarView::SidebarView(DocumentOutlineModel *outline,
                         std::function<void(const OutlineEntry &)> onSelectHeading, QWidget *parent)
    : QWidget(parent)
    , m_outline(outline)
    , m_onSelectHeading(std::move(onSelectHeading))
{
    setObjectName(QStringLiteral("sidebarView"));
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("outlineList"));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setUniformItemSizes(false);
    m_list->setMouseTracking(true);
    m_list->setItemDelegate(new OutlineRowDelegate(m_list));
    m_list->viewport()->setBackgroundRole(QPalette::Window);
    m_list->setBackgroundRole(QPalette::Window);

    m_placeholder = new QLabel(tr("No headings"), this);
    m_placeholder->setObjectName(QStringLiteral("noHeadingsLabel"));
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setForegroundRole(QPalette::PlaceholderText);
    QFont callout = m_placeholder->font();
    callout.setPointSizeF(callout.pointSizeF() * 0.92);
    m_placeholder->setFont(callout);

    m_stack = new QStackedWidget(this);
    m_stack->addWidget(m_placeholder);
    m_stack->addWidget(m_list);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    layout->addWidget(m_stack);

    connect(m_list, &QListWidget::clicked, this, [this](const QModelIndex &index) {
        const int row = index.row();
        if (row < 0 || std::size_t(row) >= m_entries.size() || !m_onSelectHeading)
            return;
        // Copied: the handler may lead to a new outline while it runs.
        const OutlineEntry entry = m_entries[std::size_t(row)];
        m_onSelectHeading(entry);
    });
    if (outline)
        connect(outline, &DocumentOutlineModel::outlineChanged, this, &SidebarView::reload);
    reload();
}

void SidebarView::reload()
{
    m_entries = m_outline ? m_outline->outline().entries : std::vector<OutlineEntry>{};
    m_list->clear();
    QFont regular = font();
    QFont semibold = regular;
    semibold.setWeight(QFont::DemiBold);
    for (const auto &entry : m_entries) {
        auto *item = new QListWidgetItem(entry.title, m_list);
        item->setData(levelRole, entry.level);
        item->setFont(entry.level == 1 ? semibold : regular);
        item->setToolTip(entry.title);
    }
    m_stack->setCurrentWidget(m_entries.empty() ? static_cast<QWidget *>(m_placeholder) : m_list);
}

} // namespace Tarn

#include "PreviewStyle.h"
#include "StyledTextView.h"

#include <Tarn/MermaidDiagramView.h>

#include <QBuffer>
#include <QComboBox>
#include <QEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPdfDocument>
#include <QProgressBar>
#include <QPropertyAnimation>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <cmath>

namespace Tarn {

namespace {

constexpr int animationMilliseconds = 150;

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A transparent square of `side` points, drawn at three times that so it stays sharp.
QPixmap emptyIconPixmap(int side)
{
    constexpr qreal scale = 3;
    QPixmap pixmap(int(side * scale), int(side * scale));
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// The chevron of the collapse button: pointing right, or down when `expanded`.
QIcon chevronIcon(const QColor &colour, bool expanded)
{
    constexpr int side = 10;
    QPixmap pixmap = emptyIconPixmap(side);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.translate(side / 2.0, side / 2.0);
    if (expanded)
        painter.rotate(90);
    painter.drawPolyline(QPolygonF({{-1.5, -3.5}, {2, 0}, {-1.5, 3.5}}));
    return QIcon(pixmap);
}

// A small warning triangle with an exclamation mark.
QPixmap warningPixmap(const QColor &colour, int side)
{
    QPixmap pixmap = emptyIconPixmap(side);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const qreal s = side;
    painter.drawPolygon(QPolygonF({{s / 2, 1}, {s - 1, s - 1.5}, {1, s - 1.5}}));
    painter.drawLine(QPointF(s / 2, s * 0.38), QPointF(s / 2, s * 0.62));
    painter.drawPoint(QPointF(s / 2, s * 0.76));
    return pixmap;
}

} // namespace

// ---------------------------------------------------------------------------------------------

struct MermaidPictureView::Decoded
{
    QByteArray data;
    QBuffer buffer;
    QPdfDocument document;
};

MermaidPictureView *MermaidPictureView::create(const QByteArray &pdfData, QSizeF naturalSize,
                                               QWidget *parent)
{
    auto decoded = std::make_unique<Decoded>();
    decoded->data = pdfData;
    decoded->buffer.setBuffer(&decoded->data);
    if (!decoded->buffer.open(QIODevice::ReadOnly))
        return nullptr;
    decoded->document.load(&decoded->buffer);
    if (decoded->document.status() != QPdfDocument::Status::Ready
        || decoded->document.pageCount() < 1)
        return nullptr;
    const QSizeF pageSize = decoded->document.pagePointSize(0);
    if (!(pageSize.width() > 0) || !(pageSize.height() > 0))
        return nullptr;
    return new MermaidPictureView(std::move(decoded), naturalSize, parent);
}

MermaidPictureView::MermaidPictureView(std::unique_ptr<Decoded> decoded, QSizeF naturalSize,
                                       QWidget *parent)
    : QWidget(parent)
    , m_decoded(std::move(decoded))
    , m_naturalSize(naturalSize)
    , m_maximumWidth(naturalSize.width())
{
    setObjectName(QStringLiteral("diagramPicture"));
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

MermaidPictureView::~MermaidPictureView() = default;

void MermaidPictureView::setMaximumDisplayWidth(double width)
{
    if (width == m_maximumWidth)
        return;
    m_maximumWidth = width;
    updateGeometry();
    update();
}

QSizeF MermaidPictureView::displaySize(double availableWidth) const
{
    const double aspect = m_naturalSize.width() / std::max(m_naturalSize.height(), 1.0);
    const double width = std::max(0.0, std::min(availableWidth, m_maximumWidth));
    return {width, aspect > 0 ? width / aspect : 0.0};
}

QRectF MermaidPictureView::displayRect() const
{
    const QSizeF size = displaySize(width());
    return {(width() - size.width()) / 2.0, 0, size.width(), size.height()};
}

int MermaidPictureView::heightForWidth(int width) const
{
    return int(std::ceil(displaySize(width).height()));
}

QSize MermaidPictureView::sizeHint() const
{
    const QSizeF size = displaySize(m_maximumWidth);
    return {int(std::ceil(size.width())), int(std::ceil(size.height()))};
}

QSize MermaidPictureView::minimumSizeHint() const { return {1, heightForWidth(1)}; }

void MermaidPictureView::paintEvent(QPaintEvent *)
{
    const QRectF target = displayRect();
    if (target.isEmpty())
        return;
    // Drawn from the vector page at the device's pixel size, so zoom never blurs it.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(int(std::ceil(target.width() * ratio)),
                       int(std::ceil(target.height() * ratio)));
    if (m_rendered.size() != pixels) {
        m_rendered = m_decoded->document.render(0, pixels);
        m_rendered.setDevicePixelRatio(ratio);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_rendered);
}

// ---------------------------------------------------------------------------------------------

MermaidDiagramView::MermaidDiagramView(QString source, QWidget *parent)
    : QWidget(parent)
    , m_source(std::move(source))
{
    setObjectName(QStringLiteral("mermaidDiagram"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildHeader();

    m_divider = new PreviewStyle::Divider(this);
    layout->addWidget(m_divider);

    m_content = new QWidget(this);
    auto *content = new QVBoxLayout(m_content);
    content->setContentsMargins(14, 14, 14, 14);
    content->setSpacing(0);
    layout->addWidget(m_content);

    m_loadingRow = new QWidget(m_content);
    auto *loading = new QHBoxLayout(m_loadingRow);
    loading->setContentsMargins(0, 0, 0, 0);
    loading->setSpacing(8);
    auto *progress = new QProgressBar(m_loadingRow);
    progress->setRange(0, 0);
    progress->setTextVisible(false);
    progress->setFixedSize(48, 6);
    m_loadingLabel = new QLabel(tr("Rendering diagram…"), m_loadingRow);
    m_loadingLabel->setObjectName(QStringLiteral("loadingLabel"));
    m_loadingLabel->setFont(PreviewStyle::font(PreviewStyle::captionSize));
    loading->addStretch();
    loading->addWidget(progress);
    loading->addWidget(m_loadingLabel);
    loading->addStretch();
    content->addWidget(m_loadingRow);

    m_failureBox = new QWidget(m_content);
    auto *failure = new QVBoxLayout(m_failureBox);
    failure->setContentsMargins(0, 0, 0, 0);
    failure->setSpacing(8);
    auto *labelRow = new QHBoxLayout;
    labelRow->setSpacing(6);
    m_failureIcon = new QLabel(m_failureBox);
    m_failureIcon->setAlignment(Qt::AlignTop);
    m_failureLabel = new QLabel(m_failureBox);
    m_failureLabel->setObjectName(QStringLiteral("failureLabel"));
    m_failureLabel->setWordWrap(true);
    m_failureLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_failureLabel->setFont(PreviewStyle::font(PreviewStyle::captionSize));
    labelRow->addStretch();
    labelRow->addWidget(m_failureIcon);
    labelRow->addWidget(m_failureLabel, 1);
    labelRow->addStretch();
    failure->addLayout(labelRow);
    m_sourceText = new StyledTextView(
        m_source,
        StyledTextView::Style{PreviewStyle::font(12.5, PreviewStyle::Weight::regular, true),
                              StyledTextView::Colour::primary, /*wraps=*/true, 0},
        m_failureBox);
    m_sourceText->setObjectName(QStringLiteral("diagramSource"));
    failure->addWidget(m_sourceText);
    content->addWidget(m_failureBox);

    updateColours();
    connect(&MermaidViewState::instance(), &MermaidViewState::stateChanged, this,
            [this](const QString &source) {
                if (source == m_source)
                    applyState(/*animated=*/true);
            });
    applyState(/*animated=*/false);
    load();
}

MermaidDiagramView::~MermaidDiagramView() = default;

void MermaidDiagramView::buildHeader()
{
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("diagramHeader"));
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(12, 5, 12, 5);
    row->setSpacing(8);

    m_collapseButton = new QToolButton(header);
    m_collapseButton->setObjectName(QStringLiteral("collapseButton"));
    m_collapseButton->setText(tr("Mermaid diagram"));
    m_collapseButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_collapseButton->setAutoRaise(true);
    m_collapseButton->setIconSize(QSize(10, 10));
    m_collapseButton->setFont(PreviewStyle::font(11, PreviewStyle::Weight::semibold));
    m_collapseButton->setCursor(Qt::PointingHandCursor);
    connect(m_collapseButton, &QToolButton::clicked, this,
            [this] { MermaidViewState::instance().setCollapsed(m_source, !m_collapsed); });
    row->addWidget(m_collapseButton);
    row->addStretch();

    m_zoomPicker = new QComboBox(header);
    m_zoomPicker->setObjectName(QStringLiteral("zoomPicker"));
    m_zoomPicker->setToolTip(tr("Diagram size"));
    m_zoomPicker->setFont(PreviewStyle::font(11));
    for (const MermaidZoom zoom : mermaidZoomSteps)
        m_zoomPicker->addItem(pickerLabel(zoom), rawValue(zoom));
    connect(m_zoomPicker, &QComboBox::activated, this, [this](int index) {
        const auto zoom = mermaidZoomFromRaw(m_zoomPicker->itemData(index).toInt());
        if (zoom)
            MermaidViewState::instance().setZoom(m_source, *zoom);
    });
    row->addWidget(m_zoomPicker);
    static_cast<QVBoxLayout *>(layout())->addWidget(header);
}

void MermaidDiagramView::load()
{
    const MermaidCache::Key key{m_source, PreviewStyle::isDark(palette())};
    m_loadDark = key.dark;
    const std::uint64_t generation = ++m_loadGeneration;
    if (const auto cached = MermaidCache::instance().lookup(key)) {
        present(*cached);
        return;
    }
    setPhase(Phase::loading);
    // The render runs on the thread pool; the cache is touched here, on the main thread, once
    // the result is back. A newer load supersedes this one but the result is still kept.
    auto *watcher = new QFutureWatcher<MermaidRender>(this);
    connect(watcher, &QFutureWatcher<MermaidRender>::finished, this,
            [this, watcher, key, generation] {
                watcher->deleteLater();
                if (watcher->isCanceled())
                    return;
                const MermaidRender render = watcher->result();
                MermaidCache::instance().insert(key, render);
                if (generation == m_loadGeneration)
                    present(render);
            });
    watcher->setFuture(QtConcurrent::run(&MermaidRender::render, m_source, key.dark));
}

void MermaidDiagramView::present(const MermaidRender &render)
{
    if (m_picture) {
        m_picture->hide();
        m_picture->deleteLater();
        m_picture = nullptr;
    }
    if (const auto *failed = std::get_if<MermaidRender::Failed>(&render.value)) {
        m_failureMessage = failed->message;
        setPhase(Phase::failed);
        Q_EMIT presented();
        return;
    }
    const auto &pdf = std::get<MermaidRender::Pdf>(render.value);
    m_picture = MermaidPictureView::create(pdf.data, pdf.size, m_content);
    if (!m_picture) {
        m_failureMessage = fromView(rasteriseFailureMessage);
        setPhase(Phase::failed);
        Q_EMIT presented();
        return;
    }
    m_content->layout()->addWidget(m_picture);
    m_failureMessage.clear();
    applyState(/*animated=*/false);
    setPhase(Phase::image);
    Q_EMIT presented();
}

void MermaidDiagramView::setPhase(Phase phase)
{
    m_phase = phase;
    m_loadingRow->setVisible(phase == Phase::loading);
    m_failureBox->setVisible(phase == Phase::failed);
    m_failureLabel->setText(m_failureMessage);
    if (m_picture)
        m_picture->setVisible(phase == Phase::image);
    updateHeader();
    Q_EMIT phaseChanged(phase);
}

void MermaidDiagramView::applyState(bool animated)
{
    const MermaidViewState::State state = MermaidViewState::instance().state(m_source);
    const int zoomIndex = m_zoomPicker->findData(rawValue(state.zoom));
    if (zoomIndex >= 0)
        m_zoomPicker->setCurrentIndex(zoomIndex);
    if (m_picture) {
        const double target = maximumDiagramWidth(state.zoom, m_picture->naturalSize().width());
        if (animated && isVisible() && !state.collapsed) {
            auto *animation = new QPropertyAnimation(m_picture, "maximumDisplayWidth", m_picture);
            animation->setDuration(animationMilliseconds);
            animation->setEasingCurve(QEasingCurve::InOutQuad);
            animation->setEndValue(target);
            animation->start(QAbstractAnimation::DeleteWhenStopped);
        } else {
            m_picture->setMaximumDisplayWidth(target);
        }
    }

    const bool collapsedChanged = state.collapsed != m_collapsed;
    m_collapsed = state.collapsed;
    if (m_collapseAnimation)
        m_collapseAnimation->stop();
    if (!animated || !collapsedChanged || !isVisible()) {
        m_content->setMaximumHeight(QWIDGETSIZE_MAX);
        m_content->setVisible(!m_collapsed);
        m_divider->setVisible(!m_collapsed);
        updateHeader();
        return;
    }
    // Animate the content's height between its natural height and nothing.
    const int natural = m_content->layout()->totalHeightForWidth(m_content->width());
    auto *animation = new QPropertyAnimation(m_content, "maximumHeight", this);
    animation->setDuration(animationMilliseconds);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    if (m_collapsed) {
        animation->setStartValue(m_content->height());
        animation->setEndValue(0);
        connect(animation, &QPropertyAnimation::finished, this, [this] {
            m_content->hide();
            m_divider->hide();
            m_content->setMaximumHeight(QWIDGETSIZE_MAX);
        });
    } else {
        m_content->setMaximumHeight(0);
        m_content->show();
        m_divider->show();
        animation->setStartValue(0);
        animation->setEndValue(natural);
        connect(animation, &QPropertyAnimation::finished, this,
                [this] { m_content->setMaximumHeight(QWIDGETSIZE_MAX); });
    }
    m_collapseAnimation = animation;
    updateHeader();
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MermaidDiagramView::updateHeader()
{
    m_collapseButton->setToolTip(m_collapsed ? tr("Expand diagram") : tr("Collapse diagram"));
    m_collapseButton->setIcon(
        chevronIcon(PreviewStyle::primaryText(palette()), /*expanded=*/!m_collapsed));
    m_zoomPicker->setVisible(!m_collapsed && m_phase == Phase::image);
}

void MermaidDiagramView::updateColours()
{
    const QColor secondary = PreviewStyle::secondaryText(palette());
    for (QLabel *label : {m_loadingLabel, m_failureLabel}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, secondary);
        label->setPalette(pal);
    }
    m_failureIcon->setPixmap(warningPixmap(secondary, 12));
    // A plain button: no frame, the title in the primary text colour of the appearance.
    m_collapseButton->setStyleSheet(
        QStringLiteral("QToolButton { border: none; padding: 0px; background: transparent; "
                       "color: %1; }")
            .arg(PreviewStyle::primaryText(palette()).name()));
    updateHeader();
}

void MermaidDiagramView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::PaletteChange)
        return;
    updateColours();
    // The other appearance is a new load: cached at once, or rendered now.
    if (PreviewStyle::isDark(palette()) != m_loadDark)
        load();
}

void MermaidDiagramView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    PreviewStyle::paintPanel(painter, QRectF(rect()), palette(), QColor());
}

} // namespace Tarn

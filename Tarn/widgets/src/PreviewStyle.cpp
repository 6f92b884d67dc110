#include "PreviewStyle.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace Tarn::PreviewStyle {

namespace {

double pointsPerPixel()
{
    // Our sizes are device-independent pixels; Qt's point sizes follow the logical DPI.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return 72.0 / (dpi > 0 ? dpi : 96.0);
}

QColor whiteLevel(double level, double alpha = 1)
{
    return QColor::fromRgbF(float(level), float(level), float(level), float(alpha));
}

} // namespace

QFont font(double size, Weight weight, bool monospaced, bool italic)
{
    QFont result = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                              : QGuiApplication::font();
    result.setPointSizeF(size * pointsPerPixel());
    switch (weight) {
    case Weight::regular:
        result.setWeight(QFont::Normal);
        break;
    case Weight::semibold:
        result.setWeight(QFont::DemiBold);
        break;
    case Weight::bold:
        result.setWeight(QFont::Bold);
        break;
    }
    result.setItalic(italic);
    return result;
}

bool isDark(const QPalette &palette) { return palette.color(QPalette::Window).lightness() < 128; }

QColor primaryText(const QPalette &palette) { return palette.color(QPalette::Text); }

QColor secondaryText(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(isDark(palette) ? 0.55f : 0.6f);
    return color;
}

QColor accent(const QPalette &palette) { return palette.color(QPalette::Highlight); }

QColor panelGrey(const QPalette &palette)
{
    return isDark(palette) ? whiteLevel(0.13) : whiteLevel(0.965);
}

QColor headerGrey(const QPalette &palette)
{
    return isDark(palette) ? whiteLevel(0.18) : whiteLevel(0.94);
}

QColor inlineCodeBackground(const QPalette &palette)
{
    return isDark(palette) ? whiteLevel(1, 0.12) : whiteLevel(0, 0.07);
}

QColor separator(const QPalette &palette)
{
    return isDark(palette) ? whiteLevel(1, 0.16) : whiteLevel(0, 0.12);
}

void paintPanel(QPainter &painter, const QRectF &rect, const QPalette &palette, const QColor &fill)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF inside = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(inside, cornerRadius, cornerRadius);
    if (fill.isValid())
        painter.fillPath(path, fill);
    QColor border = separator(palette);
    border.setAlphaF(border.alphaF() * 0.7f);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

Divider::Divider(QWidget *parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), separator(palette()));
}

} // namespace Tarn::PreviewStyle

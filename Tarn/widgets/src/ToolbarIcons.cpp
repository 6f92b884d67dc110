#include "ToolbarIcons.h"

#include <QApplication>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

namespace Tarn {

namespace {

class GlyphIconEngine : public QIconEngine
{
public:
    explicit GlyphIconEngine(ToolbarGlyph glyph)
        : m_glyph(glyph)
    {
    }

    QIconEngine *clone() const override { return new GlyphIconEngine(m_glyph); }
    QString key() const override { return QStringLiteral("TarnGlyph"); }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QPalette palette = QApplication::palette();
        const QColor color = palette.color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setRenderHint(QPainter::TextAntialiasing);
        // Draw on a 24-unit grid centred in the rectangle.
        const qreal side = std::min(rect.width(), rect.height());
        painter->translate(rect.x() + (rect.width() - side) / 2.0,
                           rect.y() + (rect.height() - side) / 2.0);
        painter->scale(side / 24.0, side / 24.0);
        drawGlyph(*painter, color);
        painter->restore();
    }

private:
    void drawText(QPainter &painter, const QColor &color, const QString &text, int pixelSize,
                  QFont::Weight weight, bool italic = false, const QString &family = {}) const
    {
        QFont font = QApplication::font();
        if (!family.isEmpty())
            font.setFamily(family);
        font.setPixelSize(pixelSize);
        font.setWeight(weight);
        font.setItalic(italic);
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, text);
    }

    static void drawLines(QPainter &painter, const QColor &color, qreal left)
    {
        painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
        for (const qreal y : {6.0, 12.0, 18.0})
            painter.drawLine(QPointF(left, y), QPointF(21, y));
    }

    void drawGlyph(QPainter &painter, const QColor &color) const
    {
        switch (m_glyph) {
        case ToolbarGlyph::bold:
            drawText(painter, color, QStringLiteral("B"), 17, QFont::Black);
            return;
        case ToolbarGlyph::italic:
            drawText(painter, color, QStringLiteral("I"), 18, QFont::Medium, /*italic=*/true,
                     QStringLiteral("Serif"));
            return;
        case ToolbarGlyph::strikethrough:
            drawText(painter, color, QStringLiteral("S"), 17, QFont::Medium);
            painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(4, 12.5), QPointF(20, 12.5));
            return;
        case ToolbarGlyph::code: {
            painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(QPolygonF({QPointF(8, 6), QPointF(2.5, 12), QPointF(8, 18)}));
            painter.drawPolyline(QPolygonF({QPointF(16, 6), QPointF(21.5, 12), QPointF(16, 18)}));
            painter.drawLine(QPointF(13.5, 5), QPointF(10.5, 19));
            return;
        }
        case ToolbarGlyph::link: {
            painter.setPen(QPen(color, 2));
            painter.setBrush(Qt::NoBrush);
            painter.translate(12, 12);
            painter.rotate(-45);
            painter.drawRoundedRect(QRectF(-10, -3.5, 11, 7), 3.5, 3.5);
            painter.drawRoundedRect(QRectF(-1, -3.5, 11, 7), 3.5, 3.5);
            return;
        }
        case ToolbarGlyph::heading:
            drawText(painter, color, QStringLiteral("H"), 18, QFont::Bold);
            return;
        case ToolbarGlyph::bulletedList:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            for (const qreal y : {6.0, 12.0, 18.0})
                painter.drawEllipse(QPointF(4.5, y), 1.8, 1.8);
            drawLines(painter, color, 9);
            return;
        case ToolbarGlyph::numberedList: {
            QFont font = QApplication::font();
            font.setPixelSize(7);
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(color);
            int number = 1;
            for (const qreal y : {6.0, 12.0, 18.0})
                painter.drawText(QRectF(0, y - 4, 8, 8), Qt::AlignCenter,
                                 QString::number(number++));
            drawLines(painter, color, 10);
            return;
        }
        case ToolbarGlyph::taskList:
            painter.setPen(QPen(color, 1.4));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(1.5, 3, 6, 6), 1.2, 1.2);
            painter.drawRoundedRect(QRectF(1.5, 15, 6, 6), 1.2, 1.2);
            painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(
                QPolygonF({QPointF(2.8, 5.8), QPointF(4.3, 7.4), QPointF(7, 3.8)}));
            painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPointF(10.5, 6), QPointF(21, 6));
            painter.drawLine(QPointF(10.5, 18), QPointF(21, 18));
            return;
        case ToolbarGlyph::blockquote:
            painter.setPen(Qt::NoPen);
            painter.setBrush(color);
            painter.drawRoundedRect(QRectF(3, 4, 2.6, 16), 1.2, 1.2);
            painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::RoundCap));
            for (const qreal y : {7.0, 12.0, 17.0})
                painter.drawLine(QPointF(9, y), QPointF(21, y));
            return;
        case ToolbarGlyph::codeBlock:
            drawText(painter, color, QStringLiteral("{ }"), 16, QFont::DemiBold, /*italic=*/false,
                     QStringLiteral("Monospace"));
            return;
        }
    }

    ToolbarGlyph m_glyph;
};

} // namespace

QIcon paintedIcon(ToolbarGlyph glyph) { return QIcon(new GlyphIconEngine(glyph)); }

QIcon applicationIcon()
{
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 64.0, side / 64.0);
        QLinearGradient sky(0, 0, 0, 64);
        sky.setColorAt(0, QColor(0x5b, 0x8d, 0xef));
        sky.setColorAt(1, QColor(0x2c, 0x4f, 0xa8));
        painter.setPen(Qt::NoPen);
        painter.setBrush(sky);
        painter.drawRoundedRect(QRectF(2, 2, 60, 60), 13, 13);
        QPainterPath mountain;
        mountain.moveTo(10, 40);
        mountain.lineTo(26, 16);
        mountain.lineTo(34, 27);
        mountain.lineTo(40, 20);
        mountain.lineTo(54, 40);
        mountain.closeSubpath();
        painter.setBrush(QColor(0xf4, 0xf6, 0xfb));
        painter.drawPath(mountain);
        painter.setBrush(QColor(0x9c, 0xd3, 0xf5));
        painter.drawRoundedRect(QRectF(10, 43, 44, 5), 2.5, 2.5);
        painter.drawRoundedRect(QRectF(17, 51, 30, 4), 2, 2);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon toolbarIcon(const QString &themeName, ToolbarGlyph glyph)
{
    // A theme may list an icon in a format no image plugin here can read; such an icon would
    // draw as a blank button.
    if (QIcon::hasThemeIcon(themeName)) {
        const QIcon themed = QIcon::fromTheme(themeName);
        if (!themed.pixmap(QSize(22, 22)).isNull())
            return themed;
    }
    return paintedIcon(glyph);
}

} // namespace Tarn

#include "ShapedLine.h"

#include <Mermaid/SceneDrawing.h>
#include <Mermaid/TextMeasure.h>

#include <QBuffer>
#include <QColorSpace>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace Mermaid {

namespace {

// The raster engine's coordinate range: larger images would not be drawn faithfully.
constexpr double maximumBitmapSide = 32767;

double unitComponent(double component)
{
    return std::isnan(component) ? 0 : std::clamp(component, 0.0, 1.0);
}

QColor qtColor(const Color &color)
{
    return QColor::fromRgbF(static_cast<float>(unitComponent(color.red)),
                            static_cast<float>(unitComponent(color.green)),
                            static_cast<float>(unitComponent(color.blue)),
                            static_cast<float>(unitComponent(color.alpha)));
}

QPointF qtPoint(Point point) { return {point.x, point.y}; }

QPainterPath qtPath(const Path &path)
{
    QPainterPath out;
    // After a close, SVG continues from the start of the closed subpath while Qt would start
    // from (0, 0); an explicit move keeps the two alike.
    QPointF subpathStart;
    bool closed = false;
    for (const auto &element : path.elements()) {
        if (closed && element.kind != PathElement::Kind::moveTo)
            out.moveTo(subpathStart);
        closed = false;
        switch (element.kind) {
        case PathElement::Kind::moveTo:
            subpathStart = qtPoint(element.points[0]);
            out.moveTo(subpathStart);
            break;
        case PathElement::Kind::lineTo:
            out.lineTo(qtPoint(element.points[0]));
            break;
        case PathElement::Kind::quadCurveTo:
            out.quadTo(qtPoint(element.points[0]), qtPoint(element.points[1]));
            break;
        case PathElement::Kind::curveTo:
            out.cubicTo(qtPoint(element.points[0]), qtPoint(element.points[1]),
                        qtPoint(element.points[2]));
            break;
        case PathElement::Kind::closeSubpath:
            out.closeSubpath();
            closed = true;
            break;
        }
    }
    return out;
}

// QPen measures dashes in pen widths and wants pairs; SVG repeats an odd list, and draws a
// solid line for a pattern with a negative entry or nothing but zeros.
QList<qreal> qtDashPattern(const std::vector<double> &dash, double width)
{
    double sum = 0;
    for (const double length : dash) {
        if (!(length >= 0) || !std::isfinite(length))
            return {};
        sum += length;
    }
    if (!(sum > 0))
        return {};
    QList<qreal> pattern;
    for (int repeat = 0; repeat < (dash.size() % 2 == 1 ? 2 : 1); ++repeat) {
        for (const double length : dash)
            pattern.push_back(length / width);
    }
    return pattern;
}

void paintShape(QPainter &painter, QPainterPath path, const ShapeStyle_ &style,
                Qt::FillRule fillRule)
{
    path.setFillRule(fillRule);
    if (style.fill)
        painter.fillPath(path, qtColor(*style.fill));
    // A width of 0 would be Qt's one-pixel cosmetic pen; SVG draws nothing.
    if (!style.stroke || !(style.strokeWidth > 0) || !std::isfinite(style.strokeWidth))
        return;
    QPen pen(qtColor(*style.stroke), style.strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (style.dash && !style.dash->empty()) {
        const QList<qreal> pattern = qtDashPattern(*style.dash, style.strokeWidth);
        if (!pattern.isEmpty()) {
            pen.setDashPattern(pattern);
            pen.setDashOffset(0);
        }
    }
    painter.strokePath(path, pen);
}

void paint(QPainter &painter, const SceneRect &rect)
{
    const QRectF bounds(rect.rect.minX(), rect.rect.minY(), rect.rect.width(), rect.rect.height());
    QPainterPath path;
    if (rect.cornerRadius > 0)
        path.addRoundedRect(bounds, rect.cornerRadius, rect.cornerRadius);
    else
        path.addRect(bounds);
    paintShape(painter, path, rect.style, Qt::WindingFill);
}

void paint(QPainter &painter, const ScenePath &path)
{
    paintShape(painter, qtPath(path.path), path.style, Qt::OddEvenFill);
}

void paint(QPainter &painter, const SceneText &text)
{
    const ShapedLine line(text.text, TextMeasure::platformFont(text.font));
    double shift = 0;
    switch (text.anchor) {
    case TextAnchor::start:
        break;
    case TextAnchor::middle:
        shift = -line.width() / 2;
        break;
    case TextAnchor::end:
        shift = -line.width();
        break;
    }
    painter.setPen(qtColor(text.color));
    line.draw(painter, QPointF(text.origin.x + shift, text.origin.y));
}

bool hasArea(const Size &size)
{
    return std::isfinite(size.width) && std::isfinite(size.height) && size.width > 0
           && size.height > 0;
}

} // namespace

void drawScene(const MermaidScene &scene, QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (scene.backgroundColor) {
        painter.fillRect(QRectF(0, 0, scene.size.width, scene.size.height),
                         qtColor(*scene.backgroundColor));
    }
    for (const auto &element : scene.elements) {
        painter.save();
        std::visit([&painter](const auto &payload) { paint(painter, payload); }, element);
        painter.restore();
    }
    painter.restore();
}

QByteArray pdfData(const MermaidScene &scene)
{
    if (!hasArea(scene.size))
        return {};
    QBuffer buffer;
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    {
        QPdfWriter writer(&buffer);
        // One device unit per point, so the painter works in scene coordinates.
        writer.setResolution(72);
        const QPageSize pageSize(QSizeF(scene.size.width, scene.size.height), QPageSize::Point,
                                 QString(), QPageSize::ExactMatch);
        if (!writer.setPageLayout(
                QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0))))
            return {};
        QPainter painter;
        if (!painter.begin(&writer))
            return {};
        drawScene(scene, painter);
        if (!painter.end())
            return {};
    }
    return buffer.data();
}

std::optional<QImage> bitmapImage(const MermaidScene &scene, double scale)
{
    const double s = scale >= 0.01 ? scale : 0.01;
    const double pixelWidth = std::ceil(scene.size.width * s);
    const double pixelHeight = std::ceil(scene.size.height * s);
    if (!(pixelWidth > 0) || !(pixelHeight > 0) || !(pixelWidth <= maximumBitmapSide)
        || !(pixelHeight <= maximumBitmapSide))
        return std::nullopt;
    QImage image(static_cast<int>(pixelWidth), static_cast<int>(pixelHeight),
                 QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return std::nullopt;
    image.setColorSpace(QColorSpace::SRgb);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(s, s);
    drawScene(scene, painter);
    painter.end();
    return image;
}

} // namespace Mermaid

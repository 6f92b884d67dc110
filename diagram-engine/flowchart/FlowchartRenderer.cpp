#include "FlowchartRenderer.h"

#include <Mermaid/TextMeasure.h>

#include <algorithm>
#include <cmath>

namespace Mermaid {

namespace {

constexpr double subgraphCornerRadius = 6;
constexpr double titleTopInset = 4;
constexpr double edgeWidth = 1.5;
constexpr double thickEdgeWidth = 3;
constexpr double arrowLength = 8;
constexpr double arrowHalfWidth = 4;
constexpr double circleHeadSize = 8;
constexpr double crossHalfSize = 5;
constexpr double labelPlateCornerRadius = 3;
constexpr double labelPlatePaddingX = 4;
constexpr double labelPlatePaddingY = 2;
constexpr double roundRectCornerRadius = 6;
constexpr double subroutineInset = 8;
constexpr double doubleCircleInset = 5;
constexpr double asymmetricNotch = 12;
constexpr double kappa = 0.5522847498; // cubic control distance of a quarter ellipse

const FontSpec titleFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::bold, false};
const FontSpec edgeLabelFont{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
const FontSpec nodeFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::regular, false};

Point plus(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
Point times(Point a, double s) { return {a.x * s, a.y * s}; }

ShapeStyle_ strokeOnly(const Color &stroke, double width)
{
    return {std::nullopt, stroke, width, std::nullopt};
}

ShapeStyle_ filled(const Color &fill, const Color &stroke, double width)
{
    return {fill, stroke, width, std::nullopt};
}

// Lines of a measured block centred vertically on centreY, one text element each.
void appendCentredLines(MermaidScene &scene, const TextMeasure::Block &block, Point centre,
                        const FontSpec &font, const Color &color)
{
    const double top = centre.y - double(block.lines.size()) * block.lineHeight / 2;
    for (qsizetype i = 0; i < block.lines.size(); ++i) {
        scene.elements.push_back(
            SceneText{block.lines[i].string,
                      {centre.x, top + block.firstBaseline + double(i) * block.lineHeight},
                      font,
                      color,
                      TextAnchor::middle});
    }
}

void appendSubgraph(MermaidScene &scene, const PositionedSubgraph &subgraph,
                    const ThemePalette &palette)
{
    scene.elements.push_back(SceneRect{subgraph.rect, subgraphCornerRadius,
                                       filled(palette.clusterFill, palette.clusterBorder, 1)});
    if (!subgraph.title || subgraph.title->isEmpty())
        return;
    const auto block = TextMeasure::measureBlock(*subgraph.title, titleFont);
    scene.elements.push_back(SceneText{
        *subgraph.title,
        {subgraph.rect.midX(), subgraph.rect.minY() + titleTopInset + block.firstBaseline},
        titleFont,
        palette.textColor,
        TextAnchor::middle});
}

// Two points: a segment. More: a curve through every point whose tangent at each inner point
// is parallel to the chord of its neighbours.
Path smoothLine(const QList<Point> &points)
{
    Path path;
    if (points.isEmpty())
        return path;
    path.moveTo(points.front());
    if (points.size() == 2) {
        path.lineTo(points[1]);
        return path;
    }
    const qsizetype last = points.size() - 1;
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const Point previous = points[std::max<qsizetype>(i - 1, 0)];
        const Point afterNext = points[std::min(i + 2, last)];
        const Point control1 = plus(points[i], times(minus(points[i + 1], previous), 1.0 / 6));
        const Point control2 = minus(points[i + 1], times(minus(afterNext, points[i]), 1.0 / 6));
        path.curveTo(control1, control2, points[i + 1]);
    }
    return path;
}

void appendHead(MermaidScene &scene, FlowArrow arrow, Point tip, Point from,
                const ThemePalette &palette)
{
    switch (arrow) {
    case FlowArrow::none:
        return;
    case FlowArrow::arrow: {
        const Point d = minus(tip, from);
        const double length = std::max(std::hypot(d.x, d.y), 0.0001);
        const Point u = times(d, 1 / length);
        const Point base = minus(tip, times(u, arrowLength));
        const Point n{-u.y, u.x};
        Path path;
        path.moveTo(tip);
        path.lineTo(plus(base, times(n, arrowHalfWidth)));
        path.lineTo(minus(base, times(n, arrowHalfWidth)));
        path.closeSubpath();
        scene.elements.push_back(
            ScenePath{path, filled(palette.edgeStroke, palette.edgeStroke, 1)});
        return;
    }
    case FlowArrow::circle: {
        Path path;
        path.addEllipse({{tip.x - circleHeadSize / 2, tip.y - circleHeadSize / 2},
                         {circleHeadSize, circleHeadSize}});
        scene.elements.push_back(
            ScenePath{path, filled(palette.background, palette.edgeStroke, edgeWidth)});
        return;
    }
    case FlowArrow::cross: {
        Path path;
        path.moveTo({tip.x - crossHalfSize, tip.y - crossHalfSize});
        path.lineTo({tip.x + crossHalfSize, tip.y + crossHalfSize});
        path.moveTo({tip.x - crossHalfSize, tip.y + crossHalfSize});
        path.lineTo({tip.x + crossHalfSize, tip.y - crossHalfSize});
        scene.elements.push_back(ScenePath{path, strokeOnly(palette.edgeStroke, edgeWidth)});
        return;
    }
    }
}

void appendRoute(MermaidScene &scene, const EdgeRoute &route, const ThemePalette &palette)
{
    ShapeStyle_ line = strokeOnly(palette.edgeStroke,
                                  route.kind == FlowEdgeKind::thick ? thickEdgeWidth : edgeWidth);
    if (route.kind == FlowEdgeKind::dotted)
        line.dash = std::vector<double>{4, 3};
    scene.elements.push_back(ScenePath{smoothLine(route.points), line});

    const auto &points = route.points;
    if (points.size() >= 2) {
        appendHead(scene, route.arrowEnd, points.back(), points[points.size() - 2], palette);
        appendHead(scene, route.arrowStart, points.front(), points[1], palette);
    }

    if (!route.label || route.label->isEmpty() || !route.labelPoint)
        return;
    const auto block = TextMeasure::measureBlock(*route.label, edgeLabelFont);
    const Point centre = *route.labelPoint;
    const Size s = block.size;
    scene.elements.push_back(
        SceneRect{{{centre.x - s.width / 2 - labelPlatePaddingX,
                    centre.y - s.height / 2 - labelPlatePaddingY},
                   {s.width + 2 * labelPlatePaddingX, s.height + 2 * labelPlatePaddingY}},
                  labelPlateCornerRadius,
                  {palette.edgeLabelBackground, std::nullopt, 1, std::nullopt}});
    appendCentredLines(scene, block, centre, edgeLabelFont, palette.edgeLabelColor);
}

Path polygon(std::initializer_list<Point> points)
{
    Path path;
    bool first = true;
    for (const Point &point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    path.closeSubpath();
    return path;
}

void appendCylinder(MermaidScene &scene, const Rect &r, const ShapeStyle_ &style,
                    const ThemePalette &palette)
{
    const double h = r.height();
    const double ry = std::min(10.0, 0.18 * h);
    const double rx = r.width() / 2;
    const double cx = r.midX();
    const double top = r.minY() + ry;
    const double bottom = r.maxY() - ry;
    const double k = kappa;

    Path body;
    body.moveTo({cx - rx, top});
    body.curveTo({cx - rx, top - k * ry}, {cx - k * rx, top - ry}, {cx, top - ry});
    body.curveTo({cx + k * rx, top - ry}, {cx + rx, top - k * ry}, {cx + rx, top});
    body.lineTo({cx + rx, bottom});
    body.curveTo({cx + rx, bottom + k * ry}, {cx + k * rx, bottom + ry}, {cx, bottom + ry});
    body.curveTo({cx - k * rx, bottom + ry}, {cx - rx, bottom + k * ry}, {cx - rx, bottom});
    body.lineTo({cx - rx, top});
    body.closeSubpath();
    scene.elements.push_back(ScenePath{body, style});

    Path rim;
    rim.moveTo({cx - rx, top});
    rim.curveTo({cx - rx, top + k * ry}, {cx - k * rx, top + ry}, {cx, top + ry});
    rim.curveTo({cx + k * rx, top + ry}, {cx + rx, top + k * ry}, {cx + rx, top});
    scene.elements.push_back(ScenePath{rim, strokeOnly(palette.nodeBorder, 1)});
}

void appendNodeShape(MermaidScene &scene, const PositionedNode &node, const ThemePalette &palette)
{
    const Rect &r = node.rect;
    const double minX = r.minX(), midX = r.midX(), maxX = r.maxX();
    const double minY = r.minY(), midY = r.midY(), maxY = r.maxY();
    const double w = r.width();
    const double h = r.height();
    const double slant = std::min(18.0, h / 2);
    const ShapeStyle_ style = filled(palette.nodeFill, palette.nodeBorder, 1);
    const auto addPath = [&](Path path) {
        scene.elements.push_back(ScenePath{std::move(path), style});
    };

    switch (node.shape) {
    case FlowNodeShape::rect:
        scene.elements.push_back(SceneRect{r, 0, style});
        return;
    case FlowNodeShape::roundRect:
        scene.elements.push_back(SceneRect{r, roundRectCornerRadius, style});
        return;
    case FlowNodeShape::stadium:
        scene.elements.push_back(SceneRect{r, h / 2, style});
        return;
    case FlowNodeShape::subroutine: {
        scene.elements.push_back(SceneRect{r, 0, style});
        for (const double x : {minX + subroutineInset, maxX - subroutineInset}) {
            Path line;
            line.moveTo({x, minY});
            line.lineTo({x, maxY});
            scene.elements.push_back(ScenePath{line, strokeOnly(palette.nodeBorder, 1)});
        }
        return;
    }
    case FlowNodeShape::cylinder:
        appendCylinder(scene, r, style, palette);
        return;
    case FlowNodeShape::circle: {
        Path ellipse;
        ellipse.addEllipse(r);
        addPath(ellipse);
        return;
    }
    case FlowNodeShape::doubleCircle: {
        Path outer;
        outer.addEllipse(r);
        addPath(outer);
        Path inner;
        inner.addEllipse({{minX + doubleCircleInset, minY + doubleCircleInset},
                          {w - 2 * doubleCircleInset, h - 2 * doubleCircleInset}});
        scene.elements.push_back(ScenePath{inner, strokeOnly(palette.nodeBorder, 1)});
        return;
    }
    case FlowNodeShape::rhombus:
        addPath(polygon({{midX, minY}, {maxX, midY}, {midX, maxY}, {minX, midY}}));
        return;
    case FlowNodeShape::hexagon: {
        const double i = std::min(0.4 * h, 0.25 * w);
        addPath(polygon({{minX + i, minY},
                         {maxX - i, minY},
                         {maxX, midY},
                         {maxX - i, maxY},
                         {minX + i, maxY},
                         {minX, midY}}));
        return;
    }
    case FlowNodeShape::parallelogramFwd:
        addPath(polygon({{minX + slant, minY}, {maxX, minY}, {maxX - slant, maxY}, {minX, maxY}}));
        return;
    case FlowNodeShape::parallelogramBack:
        addPath(polygon({{minX, minY}, {maxX - slant, minY}, {maxX, maxY}, {minX + slant, maxY}}));
        return;
    case FlowNodeShape::trapezoid:
        addPath(polygon({{minX, minY}, {maxX, minY}, {maxX - slant, maxY}, {minX + slant, maxY}}));
        return;
    case FlowNodeShape::trapezoidInv:
        addPath(polygon({{minX + slant, minY}, {maxX - slant, minY}, {maxX, maxY}, {minX, maxY}}));
        return;
    case FlowNodeShape::asymmetric:
        addPath(polygon({{minX, minY},
                         {maxX - asymmetricNotch, minY},
                         {maxX, midY},
                         {maxX - asymmetricNotch, maxY},
                         {minX, maxY}}));
        return;
    }
}

void appendNode(MermaidScene &scene, const PositionedNode &node, const ThemePalette &palette)
{
    appendNodeShape(scene, node, palette);
    const auto block = TextMeasure::measureBlock(node.label, nodeFont);
    appendCentredLines(scene, block, {node.rect.midX(), node.rect.midY()}, nodeFont,
                       palette.nodeTextColor);
}

} // namespace

MermaidScene FlowchartRenderer::render(const QList<PositionedNode> &nodes,
                                       const QList<EdgeRoute> &routes,
                                       const QList<PositionedSubgraph> &subgraphs,
                                       MermaidTheme theme, Size canvasSize)
{
    const ThemePalette &colors = palette(theme);
    MermaidScene scene;
    scene.size = canvasSize;
    scene.backgroundColor = colors.background;
    scene.elements.reserve(size_t(2 * subgraphs.size() + 4 * routes.size() + 3 * nodes.size()));

    QList<PositionedSubgraph> byDepth = subgraphs;
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const auto &a, const auto &b) { return a.depth < b.depth; });
    for (const auto &subgraph : std::as_const(byDepth))
        appendSubgraph(scene, subgraph, colors);
    for (const auto &route : routes)
        appendRoute(scene, route, colors);
    for (const auto &node : nodes)
        appendNode(scene, node, colors);
    return scene;
}

MermaidScene FlowchartRenderer::render(const FlowchartGeometry &geometry, MermaidTheme theme)
{
    return render(geometry.nodes, geometry.routes, geometry.subgraphs, theme, geometry.size);
}

} // namespace Mermaid

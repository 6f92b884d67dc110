#include <Mermaid/Path.h>

#include <cmath>
#include <numbers>

namespace Mermaid {

namespace {

constexpr double fullTurn = 2 * std::numbers::pi;
constexpr double quarterTurn = std::numbers::pi / 2;

Point pointOnCircle(Point centre, double radius, double angle)
{
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

// The signed angle an arc sweeps: never more than a full turn, and going round when the end
// lies behind the start for the direction.
double arcSweep(double startAngle, double endAngle, ArcDirection direction)
{
    const double span = direction == ArcDirection::increasingAngle ? endAngle - startAngle
                                                                   : startAngle - endAngle;
    double sweep = span;
    if (sweep >= fullTurn)
        sweep = fullTurn;
    else if (sweep < 0)
        sweep = std::fmod(sweep, fullTurn) + fullTurn;
    return direction == ArcDirection::increasingAngle ? sweep : -sweep;
}

} // namespace

void Path::moveTo(Point point) { m_elements.push_back({PathElement::Kind::moveTo, {point}}); }

void Path::lineTo(Point point) { m_elements.push_back({PathElement::Kind::lineTo, {point}}); }

void Path::quadCurveTo(Point control, Point end)
{
    m_elements.push_back({PathElement::Kind::quadCurveTo, {control, end}});
}

void Path::curveTo(Point control1, Point control2, Point end)
{
    m_elements.push_back({PathElement::Kind::curveTo, {control1, control2, end}});
}

void Path::closeSubpath() { m_elements.push_back({PathElement::Kind::closeSubpath, {}}); }

void Path::addRect(const Rect &rect)
{
    moveTo({rect.minX(), rect.minY()});
    lineTo({rect.maxX(), rect.minY()});
    lineTo({rect.maxX(), rect.maxY()});
    lineTo({rect.minX(), rect.maxY()});
    closeSubpath();
}

void Path::addEllipse(const Rect &rect)
{
    // A quarter ellipse as one cubic: control points at kappa of each radius.
    constexpr double kappa = 0.5522847498307936;
    const double rx = rect.width() / 2;
    const double ry = rect.height() / 2;
    const double cx = rect.midX();
    const double cy = rect.midY();
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + kappa * ry}, {cx + kappa * rx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kappa * rx, cy + ry}, {cx - rx, cy + kappa * ry}, {cx - rx, cy});
    curveTo({cx - rx, cy - kappa * ry}, {cx - kappa * rx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kappa * rx, cy - ry}, {cx + rx, cy - kappa * ry}, {cx + rx, cy});
    closeSubpath();
}

void Path::addArc(Point centre, double radius, double startAngle, double endAngle,
                  ArcDirection direction)
{
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius)
        || !std::isfinite(startAngle) || !std::isfinite(endAngle))
        return;
    const Point start = pointOnCircle(centre, radius, startAngle);
    if (m_elements.empty())
        moveTo(start);
    else
        lineTo(start);

    const double sweep = arcSweep(startAngle, endAngle, direction);
    const int segmentCount = static_cast<int>(std::ceil(std::abs(sweep) / quarterTurn - 1e-9));
    if (segmentCount <= 0)
        return;
    const double step = sweep / segmentCount;
    // Control points of a circular arc of angle `step`: tangents of length 4/3·tan(step/4)·r.
    const double handle = 4.0 / 3.0 * std::tan(step / 4) * radius;
    double angle = startAngle;
    for (int segment = 0; segment < segmentCount; ++segment) {
        const double next = segment + 1 == segmentCount ? startAngle + sweep : angle + step;
        const Point from = pointOnCircle(centre, radius, angle);
        const Point to = pointOnCircle(centre, radius, next);
        curveTo({from.x - handle * std::sin(angle), from.y + handle * std::cos(angle)},
                {to.x + handle * std::sin(next), to.y - handle * std::cos(next)}, to);
        angle = next;
    }
}

} // namespace Mermaid

#pragma once

// A vector outline made of the five element kinds the SVG writer and the drawing both know.

#include <Mermaid/Geometry.h>

#include <vector>

namespace Mermaid {

struct PathElement
{
    enum class Kind { moveTo, lineTo, quadCurveTo, curveTo, closeSubpath };

    Kind kind = Kind::moveTo;
    /// moveTo, lineTo: the point. quadCurveTo: control, end. curveTo: first control, second
    /// control, end. closeSubpath: none.
    std::vector<Point> points;

    bool operator==(const PathElement &) const = default;
};

/// Which way an arc turns. Angles grow from the positive x axis towards positive y, which is
/// clockwise on screen because y grows downwards.
enum class ArcDirection { increasingAngle, decreasingAngle };

class Path
{
public:
    const std::vector<PathElement> &elements() const { return m_elements; }
    bool isEmpty() const { return m_elements.empty(); }

    void moveTo(Point point);
    void lineTo(Point point);
    void quadCurveTo(Point control, Point end);
    void curveTo(Point control1, Point control2, Point end);
    void closeSubpath();

    /// A closed subpath around the standardised rectangle, clockwise on screen from its
    /// top-left corner.
    void addRect(const Rect &rect);
    /// A closed ellipse inscribed in the rectangle, as four cubic quarter arcs starting at the
    /// rightmost point.
    void addEllipse(const Rect &rect);
    /// A circular arc from startAngle to endAngle (radians) in the given direction, as cubic
    /// segments of a quarter turn or less. It starts with a line from the current point to the
    /// arc's start (a move when the path is empty). A span of a full turn or more draws the
    /// whole circle once; when the end lies behind the start for the chosen direction, the arc
    /// goes round to it. Non-finite input adds nothing.
    void addArc(Point centre, double radius, double startAngle, double endAngle,
                ArcDirection direction);

    bool operator==(const Path &) const = default;

private:
    std::vector<PathElement> m_elements;
};

} // namespace Mermaid

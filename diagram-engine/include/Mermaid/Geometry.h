#pragma once

// Geometry and colour of the diagram scene: points in a y-down space measured in points.

#include <algorithm>
#include <cstdint>

namespace Mermaid {

struct Point
{
    double x = 0;
    double y = 0;

    bool operator==(const Point &) const = default;
};

struct Size
{
    double width = 0;
    double height = 0;

    bool operator==(const Size &) const = default;
};

/// A rectangle; its derived values are those of the standardised rectangle, so a negative
/// width or height is folded onto the other side of the origin.
struct Rect
{
    Point origin;
    Size size;

    double minX() const { return std::min(origin.x, origin.x + size.width); }
    double maxX() const { return std::max(origin.x, origin.x + size.width); }
    double midX() const { return (minX() + maxX()) / 2; }
    double minY() const { return std::min(origin.y, origin.y + size.height); }
    double maxY() const { return std::max(origin.y, origin.y + size.height); }
    double midY() const { return (minY() + maxY()) / 2; }
    double width() const { return maxX() - minX(); }
    double height() const { return maxY() - minY(); }

    bool operator==(const Rect &) const = default;
};

/// An sRGB colour with components from 0 to 1.
struct Color
{
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    /// The opaque colour written in hex as 0xRRGGBB; each channel is exactly n/255.
    static constexpr Color rgb(std::uint32_t hex)
    {
        return {((hex >> 16) & 0xff) / 255.0, ((hex >> 8) & 0xff) / 255.0, (hex & 0xff) / 255.0, 1};
    }

    bool operator==(const Color &) const = default;
};

} // namespace Mermaid

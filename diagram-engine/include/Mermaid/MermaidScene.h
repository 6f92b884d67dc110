#pragma once

// The device-independent drawing every diagram renderer produces: a canvas size, an optional
// background and rectangles, paths and text runs painted in list order.

#include <Mermaid/Geometry.h>
#include <Mermaid/Path.h>

#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

namespace Mermaid {

struct FontSpec
{
    enum class Weight { regular, bold };

    QString family = QStringLiteral("Helvetica");
    double size = 13;
    Weight weight = Weight::regular;
    bool italic = false;

    bool operator==(const FontSpec &) const = default;
};

size_t qHash(const FontSpec &font, size_t seed = 0) noexcept;

struct FontWeightName
{
    FontSpec::Weight value;
    std::string_view raw;
};
inline constexpr std::array<FontWeightName, 2> fontWeightNames{{
    {FontSpec::Weight::regular, "regular"},
    {FontSpec::Weight::bold, "bold"},
}};
std::string_view rawValue(FontSpec::Weight weight);

/// How a text run sits horizontally against its origin.
enum class TextAnchor { start, middle, end };

struct TextAnchorName
{
    TextAnchor value;
    std::string_view raw;
};
inline constexpr std::array<TextAnchorName, 3> textAnchorNames{{
    {TextAnchor::start, "start"},
    {TextAnchor::middle, "middle"},
    {TextAnchor::end, "end"},
}};
std::string_view rawValue(TextAnchor anchor);

/// Fill and outline of a shape. Without a stroke colour the width and dash are ignored.
struct ShapeStyle_
{
    std::optional<Color> fill;
    std::optional<Color> stroke;
    double strokeWidth = 1;
    /// Dash lengths (on, off, ...) from phase 0; absent or empty: a solid line.
    std::optional<std::vector<double>> dash;

    bool operator==(const ShapeStyle_ &) const = default;
};

/// A rectangle, filled with the nonzero rule; cornerRadius 0 or less gives square corners.
struct SceneRect
{
    Rect rect;
    double cornerRadius = 0;
    ShapeStyle_ style;

    bool operator==(const SceneRect &) const = default;
};

/// A path, filled with the even-odd rule.
struct ScenePath
{
    Path path;
    ShapeStyle_ style;

    bool operator==(const ScenePath &) const = default;
};

/// One line of text whose baseline passes through origin; the anchor places its advance width
/// against origin.x.
struct SceneText
{
    QString text;
    Point origin;
    FontSpec font;
    Color color;
    TextAnchor anchor = TextAnchor::start;

    bool operator==(const SceneText &) const = default;
};

using MermaidElement = std::variant<SceneRect, ScenePath, SceneText>;

struct MermaidScene
{
    Size size;
    /// Absent: a transparent canvas.
    std::optional<Color> backgroundColor;
    /// Painted in order; later elements cover earlier ones.
    std::vector<MermaidElement> elements;

    bool operator==(const MermaidScene &) const = default;
};

} // namespace Mermaid

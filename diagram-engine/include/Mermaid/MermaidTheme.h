#pragma once

// The two fixed colour sets every diagram draws with.

#include <Mermaid/Geometry.h>

#include <array>
#include <optional>
#include <string_view>

namespace Mermaid {

/// `default_` carries an underscore only because `default` is a C++ keyword; its raw string is
/// "default".
enum class MermaidTheme { default_, dark };

struct MermaidThemeName
{
    MermaidTheme value;
    std::string_view raw;
};
inline constexpr std::array<MermaidThemeName, 2> mermaidThemeNames{{
    {MermaidTheme::default_, "default"},
    {MermaidTheme::dark, "dark"},
}};
std::string_view rawValue(MermaidTheme theme);
/// Exact match, no case folding.
std::optional<MermaidTheme> mermaidThemeFromRaw(std::string_view raw);

struct ThemePalette
{
    Color background;
    Color textColor;
    Color nodeFill;
    Color nodeBorder;
    Color nodeTextColor;
    Color clusterFill;
    Color clusterBorder;
    Color edgeStroke;
    Color edgeLabelBackground;
    Color edgeLabelColor;
    Color actorFill;
    Color actorBorder;
    Color actorTextColor;
    Color signalColor;
    Color signalTextColor;
    Color lifelineColor;
    Color labelBoxFill;
    Color labelBoxBorder;
    Color noteFill;
    Color noteBorder;
    Color noteTextColor;
    Color activationFill;
    Color activationBorder;
    Color pieStroke;
    Color pieTitleColor;
    /// Slice fills, used in order and repeated.
    std::array<Color, 12> pieSlices;
};

/// The theme's palette, built once on first use and shared by every thread afterwards.
const ThemePalette &palette(MermaidTheme theme);

} // namespace Mermaid

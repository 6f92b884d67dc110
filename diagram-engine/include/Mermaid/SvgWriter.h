#pragma once

// The SVG form of a scene: one line per element, no grouping, no definitions.

#include <Mermaid/MermaidScene.h>

#include <QString>

namespace Mermaid {

/// The SVG document of the scene. Non-finite numbers are written as 0.
QString svgString(const MermaidScene &scene);

/// A number rounded to two decimals, ties away from zero, without trailing zeros or a sign on
/// zero: 12.5, 0.13, -3, 0. Non-finite values are written as 0.
QString svgNumber(double value);

/// "#rrggbb" for an opaque colour (alpha 0.999 or more), otherwise "rgba(r,g,b,a)".
QString cssColor(const Color &color);

/// Replaces &, < and > by their entities; quotes stay as they are.
QString escapeXML(const QString &text);

/// The font's family followed by the fallback list ending in sans-serif.
QString cssFontFamily(const FontSpec &font);

} // namespace Mermaid

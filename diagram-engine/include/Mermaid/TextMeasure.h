#pragma once

// Label measurement in points, on the same fonts the scene drawing uses.

#include <Mermaid/Geometry.h>
#include <Mermaid/MermaidScene.h>

#include <QFont>
#include <QList>
#include <QString>

#include <optional>

namespace Mermaid {

/// A font ready for shaping. Qt's font engines round vertical metrics to whole pixels at
/// small sizes, so the font is set at a large pixel size (the face's units per em where it can)
/// and every measurement is scaled down to points by `scale`.
struct PlatformFont
{
    QFont font;
    /// Points per pixel of `font`; 0 for a size that is not a positive finite number.
    double scale = 0;
    /// The font's own metrics in points, never negative.
    double ascent = 0;
    double descent = 0;
    double leading = 0;
};

namespace TextMeasure {

struct Line
{
    QString string;
    /// Typographic advance width, never below 0.
    double width = 0;
    double ascent = 0;
    double descent = 0;
    double leading = 0;

    bool operator==(const Line &) const = default;
};

struct Block
{
    /// At least one line, possibly the empty one.
    QList<Line> lines;
    /// Width: ceiling of the widest line; height: ceiling of lines × lineHeight.
    Size size;
    /// From the top of the block to the first baseline.
    double firstBaseline = 0;
    /// Between consecutive baselines.
    double lineHeight = 0;

    bool operator==(const Block &) const = default;
};

/// The line spacing every renderer of the engine measures with.
inline constexpr double defaultLineSpacing = 1.15;

/// The cached platform font of a FontSpec; the same FontSpec always yields the same object.
/// Safe to call from several threads at once; entries live for the whole process.
const PlatformFont &platformFont(const FontSpec &font);

/// One line of text holding no line break.
Line measureLine(const QString &text, const FontSpec &font);

/// Breaks one line at single spaces to fit maxWidth; a word wider than maxWidth stays whole
/// on a line of its own. Never empty: an empty text gives one empty line.
QList<Line> wrapLine(const QString &text, const FontSpec &font, double maxWidth);

/// A label with "<br>" spellings and "\n" as line breaks, wrapped only when maxWidth is
/// present and positive.
Block measureBlock(const QString &text, const FontSpec &font,
                   std::optional<double> maxWidth = std::nullopt,
                   double lineSpacing = defaultLineSpacing);

} // namespace TextMeasure

} // namespace Mermaid

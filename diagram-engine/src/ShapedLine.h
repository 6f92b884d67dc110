#pragma once

// One line of text shaped in a platform font: what measurement reads and drawing paints, so
// the two always agree.

#include <Mermaid/TextMeasure.h>

#include <QPointF>
#include <QString>
#include <QTextLayout>

class QPainter;

namespace Mermaid {

class ShapedLine
{
public:
    ShapedLine(const QString &text, const PlatformFont &font);
    ShapedLine(const ShapedLine &) = delete;
    ShapedLine &operator=(const ShapedLine &) = delete;

    /// Typographic advance width in points, trailing spaces included; may be negative.
    double width() const;
    /// The shaped line's vertical metrics in points (a fallback font may raise them above the
    /// font's own).
    double ascent() const;
    double descent() const;
    double leading() const;

    /// Paints the line with its baseline starting at `baselineOrigin` (in points), in the
    /// painter's current pen colour.
    void draw(QPainter &painter, QPointF baselineOrigin) const;

private:
    QTextLayout m_layout;
    QTextLine m_line;
    double m_scale = 0;
};

} // namespace Mermaid

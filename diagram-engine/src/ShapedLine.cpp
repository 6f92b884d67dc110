#include "ShapedLine.h"

#include <QPainter>
#include <QTextOption>

#include <limits>

namespace Mermaid {

namespace {

// Text runs are single lines. Characters that would make Qt break the line or jump to a tab
// stop are shaped as spaces, which is also how SVG renderers show them.
QString singleLineText(const QString &text)
{
    QString line = text;
    for (QChar &character : line) {
        switch (character.unicode()) {
        case u'\t':
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x2028: // line separator
        case 0x2029: // paragraph separator
            character = u' ';
            break;
        default:
            break;
        }
    }
    return line;
}

// A private copy of the cached font: QFont keeps lazily loaded engine data in its shared
// private part, so every thread shapes with a copy that shares nothing with the cache.
QFont unsharedCopy(const QFont &cached)
{
    QFont font = cached;
    font.setPixelSize(cached.pixelSize());
    return font;
}

} // namespace

ShapedLine::ShapedLine(const QString &text, const PlatformFont &font)
    : m_layout(singleLineText(text), unsharedCopy(font.font))
    , m_scale(font.scale)
{
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setUseDesignMetrics(true);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    m_layout.setTextOption(option);
    m_layout.beginLayout();
    m_line = m_layout.createLine();
    if (m_line.isValid()) {
        m_line.setLineWidth(std::numeric_limits<int>::max() / 256.0);
        m_line.setPosition(QPointF(0, 0));
    }
    m_layout.endLayout();
}

double ShapedLine::width() const
{
    return m_line.isValid() ? m_line.naturalTextWidth() * m_scale : 0;
}

double ShapedLine::ascent() const { return m_line.isValid() ? m_line.ascent() * m_scale : 0; }

double ShapedLine::descent() const { return m_line.isValid() ? m_line.descent() * m_scale : 0; }

double ShapedLine::leading() const { return m_line.isValid() ? m_line.leading() * m_scale : 0; }

void ShapedLine::draw(QPainter &painter, QPointF baselineOrigin) const
{
    if (!m_line.isValid() || m_scale <= 0)
        return;
    painter.save();
    painter.translate(baselineOrigin);
    painter.scale(m_scale, m_scale);
    // The layout draws a line from its top; lift it so that the baseline lands on y = 0.
    m_layout.draw(&painter, QPointF(0, -m_line.ascent()));
    painter.restore();
}

} // namespace Mermaid

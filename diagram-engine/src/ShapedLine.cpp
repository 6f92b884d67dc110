#include "ShapedLine.h"

#include <QPainter>
#include <QTextOption>

#include <algorithm>
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

// QTextLayout measures in 26.6 fixed point, which overflows past about 33 million pixels.
// Texts long enough to get near that are shaped at a smaller pixel size, so that even two ems
// per character stay far below it; ordinary labels keep the reference size and its exact
// design metrics.
constexpr double pixelBudget = 8'000'000;

int shapingPixelSize(int referencePixelSize, qsizetype length)
{
    const double fitting = pixelBudget / (2.0 * std::max<qsizetype>(length, 1));
    if (fitting >= referencePixelSize)
        return referencePixelSize;
    return std::max(1, static_cast<int>(fitting));
}

// A private copy of the cached font: QFont keeps lazily loaded engine data in its shared
// private part, so every thread shapes with a copy that shares nothing with the cache.
QFont shapingFont(const QFont &cached, qsizetype length)
{
    QFont font = cached;
    font.setPixelSize(shapingPixelSize(cached.pixelSize(), length));
    return font;
}

} // namespace

ShapedLine::ShapedLine(const QString &text, const PlatformFont &font)
    : m_layout(singleLineText(text), shapingFont(font.font, text.size()))
    , m_scale(font.scale * font.font.pixelSize() / m_layout.font().pixelSize())
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

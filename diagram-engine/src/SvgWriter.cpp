#include "DecimalText.h"

#include <Mermaid/SvgWriter.h>

#include <QLatin1StringView>

#include <algorithm>
#include <cmath>

namespace Mermaid {

namespace {

int colorChannel(double component)
{
    if (std::isnan(component))
        return 0;
    return static_cast<int>(std::clamp(std::round(component * 255), 0.0, 255.0));
}

QString hexChannel(int channel) { return QString::number(channel, 16).rightJustified(2, u'0'); }

void appendStyle(QString &out, const ShapeStyle_ &style, bool evenOdd)
{
    out += QLatin1StringView(" fill=\"");
    out += style.fill ? cssColor(*style.fill) : QStringLiteral("none");
    out += u'"';
    if (evenOdd)
        out += QLatin1StringView(" fill-rule=\"evenodd\"");
    if (!style.stroke)
        return;
    out += QLatin1StringView(" stroke=\"") + cssColor(*style.stroke) + u'"';
    out += QLatin1StringView(" stroke-width=\"") + svgNumber(style.strokeWidth) + u'"';
    if (style.dash && !style.dash->empty()) {
        out += QLatin1StringView(" stroke-dasharray=\"");
        for (size_t i = 0; i < style.dash->size(); ++i) {
            if (i > 0)
                out += u',';
            out += svgNumber((*style.dash)[i]);
        }
        out += u'"';
    }
    out += QLatin1StringView(" stroke-linecap=\"round\" stroke-linejoin=\"round\"");
}

QChar commandLetter(PathElement::Kind kind)
{
    switch (kind) {
    case PathElement::Kind::moveTo:
        return u'M';
    case PathElement::Kind::lineTo:
        return u'L';
    case PathElement::Kind::quadCurveTo:
        return u'Q';
    case PathElement::Kind::curveTo:
        return u'C';
    case PathElement::Kind::closeSubpath:
        return u'Z';
    }
    return u'Z';
}

QString pathData(const Path &path)
{
    QString out;
    for (const auto &element : path.elements()) {
        out += commandLetter(element.kind);
        bool first = true;
        for (const Point &point : element.points) {
            if (!first)
                out += u' ';
            first = false;
            out += svgNumber(point.x) + u' ' + svgNumber(point.y);
        }
    }
    return out;
}

void appendElement(QString &out, const SceneRect &rect)
{
    out += QLatin1StringView("<rect x=\"") + svgNumber(rect.rect.minX())
           + QLatin1StringView("\" y=\"") + svgNumber(rect.rect.minY())
           + QLatin1StringView("\" width=\"") + svgNumber(rect.rect.width())
           + QLatin1StringView("\" height=\"") + svgNumber(rect.rect.height()) + u'"';
    if (rect.cornerRadius > 0) {
        const QString radius = svgNumber(rect.cornerRadius);
        out += QLatin1StringView(" rx=\"") + radius + QLatin1StringView("\" ry=\"") + radius + u'"';
    }
    appendStyle(out, rect.style, /*evenOdd=*/false);
    out += QLatin1StringView("/>");
}

void appendElement(QString &out, const ScenePath &path)
{
    out += QLatin1StringView("<path d=\"") + pathData(path.path) + u'"';
    appendStyle(out, path.style, /*evenOdd=*/true);
    out += QLatin1StringView("/>");
}

void appendElement(QString &out, const SceneText &text)
{
    QString family = escapeXML(cssFontFamily(text.font));
    family.replace(u'"', QLatin1StringView("&quot;"));
    out += QLatin1StringView("<text x=\"") + svgNumber(text.origin.x) + QLatin1StringView("\" y=\"")
           + svgNumber(text.origin.y) + QLatin1StringView("\" font-family=\"") + family
           + QLatin1StringView("\" font-size=\"") + svgNumber(text.font.size) + u'"';
    if (text.font.weight == FontSpec::Weight::bold)
        out += QLatin1StringView(" font-weight=\"bold\"");
    if (text.font.italic)
        out += QLatin1StringView(" font-style=\"italic\"");
    out += QLatin1StringView(" fill=\"") + cssColor(text.color) + u'"';
    out += QLatin1StringView(" text-anchor=\"") + QLatin1StringView(rawValue(text.anchor)) + u'"';
    out += QLatin1StringView(" dominant-baseline=\"alphabetic\">") + escapeXML(text.text)
           + QLatin1StringView("</text>");
}

} // namespace

QString svgNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    // std::round rounds ties away from zero. Beyond about 1e306 the scaling overflows, and such
    // values have no fractional part anyway.
    const double scaled = value * 100;
    const double rounded = std::isfinite(scaled) ? std::round(scaled) / 100 : value;
    QString text = fixedDecimal(rounded, rounded == std::round(rounded) ? 0 : 2);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == u"-0")
        return QStringLiteral("0");
    return text;
}

QString cssColor(const Color &color)
{
    const int red = colorChannel(color.red);
    const int green = colorChannel(color.green);
    const int blue = colorChannel(color.blue);
    if (color.alpha >= 0.999)
        return u'#' + hexChannel(red) + hexChannel(green) + hexChannel(blue);
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(red)
        .arg(green)
        .arg(blue)
        .arg(svgNumber(color.alpha));
}

QString escapeXML(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar character : text) {
        if (character == u'&')
            out += QLatin1StringView("&amp;");
        else if (character == u'<')
            out += QLatin1StringView("&lt;");
        else if (character == u'>')
            out += QLatin1StringView("&gt;");
        else
            out += character;
    }
    return out;
}

QString cssFontFamily(const FontSpec &font)
{
    return font.family + QLatin1StringView(", 'Helvetica Neue', Helvetica, Arial, sans-serif");
}

QString svgString(const MermaidScene &scene)
{
    const QString width = svgNumber(scene.size.width);
    const QString height = svgNumber(scene.size.height);
    QString out;
    out += QLatin1StringView("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"") + width
           + QLatin1StringView("\" height=\"") + height + QLatin1StringView("\" viewBox=\"0 0 ")
           + width + u' ' + height + QLatin1StringView("\">\n");
    if (scene.backgroundColor) {
        out += QLatin1StringView("<rect x=\"0\" y=\"0\" width=\"") + width
               + QLatin1StringView("\" height=\"") + height + QLatin1StringView("\" fill=\"")
               + cssColor(*scene.backgroundColor) + QLatin1StringView("\"/>\n");
    }
    for (const auto &element : scene.elements) {
        std::visit([&out](const auto &payload) { appendElement(out, payload); }, element);
        out += u'\n';
    }
    out += QLatin1StringView("</svg>\n");
    return out;
}

} // namespace Mermaid

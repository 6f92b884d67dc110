#include "PieRenderer.h"

#include "DecimalText.h"

#include <Mermaid/TextMeasure.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Mermaid {

namespace {

constexpr double pieCentreX = 180;
constexpr double pieRadius = 160;
constexpr double percentLabelRadius = 104;
constexpr double minimumContentHeight = 328;
constexpr double margin = 16;
constexpr double legendRowHeight = 22;
constexpr double legendSwatchX = 368;
constexpr double legendSwatchSize = 14;
constexpr double legendTextX = 388;
constexpr double legendPadding = 20;
constexpr double canvasExtraWidth = 384;
constexpr double titleGap = 12;
constexpr double smallestLabelledPercent = 4;

FontSpec font(double size, FontSpec::Weight weight)
{
    return {QStringLiteral("Helvetica"), size, weight, /*italic=*/false};
}

const FontSpec legendFont = font(13, FontSpec::Weight::regular);
const FontSpec percentFont = font(13, FontSpec::Weight::bold);
const FontSpec titleFont = font(18, FontSpec::Weight::bold);

// Whole numbers never show a sign on zero.
QString decimalText(double value, int decimals)
{
    const QString text = fixedDecimal(value, decimals);
    return text == u"-0" ? QStringLiteral("0") : text;
}

// A whole number without decimals, anything else (infinities and NaN included) with one.
QString legendValue(double value)
{
    if (std::isfinite(value) && value == std::trunc(value))
        return decimalText(value, 0);
    return decimalText(value, 1);
}

QString legendText(const PieSlice &slice, double total)
{
    if (!(total > 0))
        return slice.label;
    return slice.label + QStringLiteral(" \u2014 ") + legendValue(slice.value);
}

SceneText text(QString string, Point origin, const FontSpec &font, const Color &color,
               TextAnchor anchor)
{
    return {std::move(string), origin, font, color, anchor};
}

} // namespace

MermaidScene PieRenderer::render(const PieChart &chart, MermaidTheme theme)
{
    const ThemePalette &colors = palette(theme);
    const qsizetype count = chart.slices.size();
    double total = 0;
    for (const PieSlice &slice : chart.slices)
        total += slice.value;

    QList<QString> legendTexts;
    QList<TextMeasure::Block> legendBlocks;
    double widestLegend = 0;
    for (const PieSlice &slice : chart.slices) {
        legendTexts.push_back(legendText(slice, total));
        legendBlocks.push_back(TextMeasure::measureBlock(legendTexts.back(), legendFont));
        widestLegend = std::max(widestLegend, legendBlocks.back().size.width);
    }
    const double legendWidth = legendPadding + widestLegend;
    const double legendHeight = legendRowHeight * count;
    const double contentHeight = std::max(legendHeight, minimumContentHeight);

    const bool hasTitle = chart.title && !chart.title->isEmpty();
    TextMeasure::Block titleBlock;
    double titleHeight = 0;
    if (hasTitle) {
        titleBlock = TextMeasure::measureBlock(*chart.title, titleFont);
        titleHeight = titleBlock.size.height + titleGap;
    }

    MermaidScene scene;
    scene.size = {legendWidth + canvasExtraWidth, titleHeight + contentHeight + 2 * margin};
    scene.backgroundColor = colors.background;
    const double top = margin + titleHeight;
    const Point centre{pieCentreX, top + contentHeight / 2};

    if (hasTitle) {
        scene.elements.push_back(text(*chart.title,
                                      {scene.size.width / 2, margin + titleBlock.firstBaseline},
                                      titleFont, colors.pieTitleColor, TextAnchor::middle));
    }

    if (total > 0) {
        double start = -std::numbers::pi / 2;
        for (qsizetype i = 0; i < count; ++i) {
            const double value = chart.slices[i].value;
            const double end = start + value / total * 2 * std::numbers::pi;
            ScenePath slice;
            slice.path.moveTo(centre);
            // A negative value sweeps backwards over its neighbour rather than round the pie.
            slice.path.addArc(centre, pieRadius, start, end,
                              end >= start ? ArcDirection::increasingAngle
                                           : ArcDirection::decreasingAngle);
            slice.path.closeSubpath();
            slice.style = {colors.pieSlices[i % colors.pieSlices.size()], colors.pieStroke, 1,
                           std::nullopt};
            scene.elements.push_back(std::move(slice));

            const double percent = std::round(value / total * 100);
            if (percent >= smallestLabelledPercent) {
                const QString label = decimalText(percent, 0) + u'%';
                const auto block = TextMeasure::measureBlock(label, percentFont);
                const double angle = (start + end) / 2;
                const Point origin{pieCentreX + percentLabelRadius * std::cos(angle),
                                   centre.y + percentLabelRadius * std::sin(angle)
                                       + block.firstBaseline - block.size.height / 2};
                scene.elements.push_back(
                    text(label, origin, percentFont, colors.textColor, TextAnchor::middle));
            }
            start = end;
        }
    } else {
        scene.elements.push_back(text(QStringLiteral("(no data)"), centre, legendFont,
                                      colors.textColor, TextAnchor::middle));
        if (count == 0)
            return scene;
    }

    const double offset = std::max((contentHeight - legendHeight) / 2, 0.0);
    for (qsizetype i = 0; i < count; ++i) {
        const double rowTop = top + offset + legendRowHeight * i + 4;
        const Color &fill = colors.pieSlices[i % colors.pieSlices.size()];
        scene.elements.push_back(
            SceneRect{{{legendSwatchX, rowTop}, {legendSwatchSize, legendSwatchSize}},
                      /*cornerRadius=*/0,
                      {fill, colors.pieStroke, 1, std::nullopt}});
        const TextMeasure::Block &block = legendBlocks[i];
        const double baseline
            = rowTop + legendSwatchSize / 2 + block.firstBaseline - block.size.height / 2;
        scene.elements.push_back(text(legendTexts[i], {legendTextX, baseline}, legendFont,
                                      colors.textColor, TextAnchor::start));
    }
    return scene;
}

} // namespace Mermaid

// Feeds arbitrary bytes through the whole flowchart path: parser, built-in layout, renderer and
// SVG writer. The first byte picks the header's direction so that most inputs reach the
// statements. Any crash, sanitizer report, hang or unbounded recursion is a bug, and so is a
// non-finite coordinate in the geometry.

#include "flowchart/FlowchartLayout.h"
#include "flowchart/FlowchartParser.h"
#include "flowchart/FlowchartRenderer.h"

#include <Mermaid/SvgWriter.h>

#include <QGuiApplication>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool isFinite(Mermaid::Point point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

bool isFinite(const Mermaid::Rect &rect)
{
    return isFinite(rect.origin) && std::isfinite(rect.size.width)
           && std::isfinite(rect.size.height);
}

bool geometryIsFinite(const Mermaid::FlowchartGeometry &geometry)
{
    if (!std::isfinite(geometry.size.width) || !std::isfinite(geometry.size.height))
        return false;
    for (const auto &node : geometry.nodes) {
        if (!isFinite(node.rect))
            return false;
    }
    for (const auto &route : geometry.routes) {
        for (const auto &point : route.points) {
            if (!isFinite(point))
                return false;
        }
        if (route.labelPoint && !isFinite(*route.labelPoint))
            return false;
    }
    for (const auto &subgraph : geometry.subgraphs) {
        if (!isFinite(subgraph.rect))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const char *const headers[] = {"flowchart TB\n", "graph BT\n", "graph LR\n",
                                          "flowchart RL\n", ""};
    const QString source
        = QString::fromLatin1(headers[data[0] % 5])
          + QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
                              static_cast<qsizetype>(size - 1));
    const auto chart = Mermaid::FlowchartParser::parse(source);
    if (!chart) {
        if (!chart.error().description().startsWith(u"Parse error"))
            std::abort();
        return 0;
    }
    if (chart->nodes.size() != chart->nodeOrder.size())
        std::abort();
    const auto geometry = Mermaid::FlowchartLayout::layout(*chart);
    if (geometry.nodes.size() != chart->nodeOrder.size() || !geometryIsFinite(geometry))
        std::abort();
    const auto scene = Mermaid::FlowchartRenderer::render(
        geometry, size % 2 ? Mermaid::MermaidTheme::dark : Mermaid::MermaidTheme::default_);
    const QString svg = Mermaid::svgString(scene);
    if (!svg.startsWith(u"<svg ") || !svg.endsWith(u"</svg>\n"))
        std::abort();
    return 0;
}

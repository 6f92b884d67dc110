#include "flowchart/FlowchartLayout.h"
#include "flowchart/FlowchartParser.h"
#include "flowchart/FlowchartRenderer.h"
#include "pie/PieParser.h"
#include "pie/PieRenderer.h"

#include <Mermaid/Mermaid.h>

#include <QtGlobal>

namespace Mermaid {

namespace {

using SceneResult = Tarn::Common::Result<MermaidScene, MermaidError>;

SceneResult renderPie(const PreparedSource &prepared)
{
    const auto chart = PieParser::parse(prepared.text);
    if (!chart)
        return Tarn::Common::Unexpected(chart.error());
    return PieRenderer::render(*chart, prepared.theme);
}

// The layered engine's adapter is not part of this build yet; until it is, both backends lay
// flowcharts out with the built-in layout, which is also the layered layout's fallback.
FlowchartGeometry layOutFlowchart(const Flowchart &chart, LayoutBackend backend)
{
    switch (backend) {
    case LayoutBackend::builtin:
    case LayoutBackend::dagre:
        return FlowchartLayout::layout(chart);
    }
    return FlowchartLayout::layout(chart);
}

SceneResult renderFlowchart(const PreparedSource &prepared, LayoutBackend backend)
{
    const auto chart = FlowchartParser::parse(prepared.text);
    if (!chart)
        return Tarn::Common::Unexpected(chart.error());
    return FlowchartRenderer::render(layOutFlowchart(*chart, backend), prepared.theme);
}

// Refused kinds fail under the keyword the user wrote; so do the kinds this build recognises
// as drawable but does not draw yet (sequence, class and architecture diagrams).
SceneResult refuse(const PreparedSource &prepared)
{
    return Tarn::Common::Unexpected(MermaidError::unsupportedDiagramType(prepared.keyword));
}

} // namespace

LayoutBackend layoutBackendFromEnvironment()
{
    return qgetenv("MERMAID_DAGRE") == "0" ? LayoutBackend::builtin : LayoutBackend::dagre;
}

Tarn::Common::Result<MermaidScene, MermaidError> render(const QString &source, bool darkMode,
                                                        LayoutBackend backend)
{
    const PreparedSource prepared = prepareSource(source, darkMode);
    switch (prepared.kind) {
    case DiagramKind::pie:
        return renderPie(prepared);
    case DiagramKind::flowchart:
        return renderFlowchart(prepared, backend);
    case DiagramKind::sequence:
    case DiagramKind::classDiagram:
    case DiagramKind::architecture:
        return refuse(prepared);
    case DiagramKind::state:
        return Tarn::Common::Unexpected(
            MermaidError::unsupportedDiagramType(QStringLiteral("stateDiagram")));
    case DiagramKind::erDiagram:
    case DiagramKind::gantt:
    case DiagramKind::gitGraph:
    case DiagramKind::journey:
    case DiagramKind::mindmap:
    case DiagramKind::timeline:
    case DiagramKind::quadrantChart:
    case DiagramKind::requirement:
    case DiagramKind::c4:
    case DiagramKind::sankey:
    case DiagramKind::xyChart:
    case DiagramKind::block:
    case DiagramKind::unknown:
        return refuse(prepared);
    }
    return refuse(prepared);
}

} // namespace Mermaid

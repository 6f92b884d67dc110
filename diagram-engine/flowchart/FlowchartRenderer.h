#pragma once

#include "FlowchartLayout.h"

#include <Mermaid/MermaidScene.h>
#include <Mermaid/MermaidTheme.h>

#include <QList>

namespace Mermaid::FlowchartRenderer {

/// Subgraph boxes (outer first), then edges with their heads and label plates, then nodes in
/// their shapes, on a canvas of the given size with the palette's background. Never fails.
MermaidScene render(const QList<PositionedNode> &nodes, const QList<EdgeRoute> &routes,
                    const QList<PositionedSubgraph> &subgraphs, MermaidTheme theme,
                    Size canvasSize);

/// The scene of a laid-out flowchart.
MermaidScene render(const FlowchartGeometry &geometry, MermaidTheme theme);

} // namespace Mermaid::FlowchartRenderer

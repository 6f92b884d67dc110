#pragma once

// Compact descriptions of parsed flowcharts, so that a table row can state a whole graph.

#include "flowchart/FlowchartParser.h"

#include <QString>
#include <QStringList>

namespace FlowchartTestSupport {

inline QString kindName(Mermaid::FlowEdgeKind kind)
{
    switch (kind) {
    case Mermaid::FlowEdgeKind::solid:
        return QStringLiteral("solid");
    case Mermaid::FlowEdgeKind::dotted:
        return QStringLiteral("dotted");
    case Mermaid::FlowEdgeKind::thick:
        return QStringLiteral("thick");
    }
    return {};
}

inline QString arrowName(Mermaid::FlowArrow arrow)
{
    switch (arrow) {
    case Mermaid::FlowArrow::none:
        return QStringLiteral("none");
    case Mermaid::FlowArrow::arrow:
        return QStringLiteral("arrow");
    case Mermaid::FlowArrow::circle:
        return QStringLiteral("circle");
    case Mermaid::FlowArrow::cross:
        return QStringLiteral("cross");
    }
    return {};
}

inline QString shapeName(Mermaid::FlowNodeShape shape)
{
    using Mermaid::FlowNodeShape;
    switch (shape) {
    case FlowNodeShape::rect:
        return QStringLiteral("rect");
    case FlowNodeShape::roundRect:
        return QStringLiteral("roundRect");
    case FlowNodeShape::stadium:
        return QStringLiteral("stadium");
    case FlowNodeShape::subroutine:
        return QStringLiteral("subroutine");
    case FlowNodeShape::cylinder:
        return QStringLiteral("cylinder");
    case FlowNodeShape::circle:
        return QStringLiteral("circle");
    case FlowNodeShape::doubleCircle:
        return QStringLiteral("doubleCircle");
    case FlowNodeShape::rhombus:
        return QStringLiteral("rhombus");
    case FlowNodeShape::hexagon:
        return QStringLiteral("hexagon");
    case FlowNodeShape::parallelogramFwd:
        return QStringLiteral("parallelogramFwd");
    case FlowNodeShape::parallelogramBack:
        return QStringLiteral("parallelogramBack");
    case FlowNodeShape::trapezoid:
        return QStringLiteral("trapezoid");
    case FlowNodeShape::trapezoidInv:
        return QStringLiteral("trapezoidInv");
    case FlowNodeShape::asymmetric:
        return QStringLiteral("asymmetric");
    }
    return {};
}

/// "A->B solid none/arrow 1", with " 'label'" appended when a label is present.
inline QString describeEdges(const Mermaid::Flowchart &chart)
{
    QStringList edges;
    for (const auto &edge : chart.edges) {
        QString text = edge.from + QStringLiteral("->") + edge.to + u' ' + kindName(edge.kind)
                       + u' ' + arrowName(edge.arrowStart) + u'/' + arrowName(edge.arrowEnd) + u' '
                       + QString::number(edge.length);
        if (edge.label)
            text += QStringLiteral(" '") + *edge.label + u'\'';
        edges.push_back(text);
    }
    return edges.join(QStringLiteral("; "));
}

/// "A rect 'A'; B circle 'x'" in node order, with "@S" for a node owned by subgraph S.
inline QString describeNodes(const Mermaid::Flowchart &chart)
{
    QStringList nodes;
    for (const auto &id : chart.nodeOrder) {
        const auto &node = chart.nodes[id];
        QString text
            = id + u' ' + shapeName(node.shape) + QStringLiteral(" '") + node.label + u'\'';
        if (node.subgraphID)
            text += u'@' + *node.subgraphID;
        nodes.push_back(text);
    }
    return nodes.join(QStringLiteral("; "));
}

inline Mermaid::Flowchart parsed(const QString &source)
{
    auto result = Mermaid::FlowchartParser::parse(source);
    if (!result)
        return {};
    return std::move(result).value();
}

} // namespace FlowchartTestSupport

#pragma once

// The engine's own layered layout for flowcharts: node sizes from labels, cycle breaking,
// longest-path ranks, virtual nodes on long edges, barycentre ordering, fixed gaps, routes
// through the bends; computed top to bottom and turned to the chart's direction at the end.

#include "Flowchart.h"

#include <Mermaid/Geometry.h>

#include <QList>
#include <QString>

#include <optional>

namespace Mermaid {

struct PositionedNode
{
    QString id;
    Rect rect;
    QString label;
    FlowNodeShape shape = FlowNodeShape::rect;
    std::optional<QString> subgraphID;

    bool operator==(const PositionedNode &) const = default;
};

struct EdgeRoute
{
    QString from;
    QString to;
    /// From the from-node's boundary to the to-node's boundary.
    QList<Point> points;
    FlowEdgeKind kind = FlowEdgeKind::solid;
    FlowArrow arrowStart = FlowArrow::none;
    FlowArrow arrowEnd = FlowArrow::none;
    std::optional<QString> label;
    /// Centre of the label; absent when there is no non-empty label.
    std::optional<Point> labelPoint;
    /// Zero when there is no label.
    Size labelSize;

    bool operator==(const EdgeRoute &) const = default;
};

struct PositionedSubgraph
{
    QString id;
    std::optional<QString> title;
    /// The box, title band included.
    Rect rect;
    double titleHeight = 0;
    /// 0 without a parent, the parent's depth + 1 otherwise.
    int depth = 0;

    bool operator==(const PositionedSubgraph &) const = default;
};

struct FlowchartGeometry
{
    Size size;
    FlowDirection direction = FlowDirection::TB;
    /// In node order.
    QList<PositionedNode> nodes;
    QList<EdgeRoute> routes;
    QList<PositionedSubgraph> subgraphs;

    bool operator==(const FlowchartGeometry &) const = default;
};

namespace FlowchartLayout {

/// A bend point of a long edge: "__v" + a counter over all edges (from 1) + "_" + the index of
/// the edge among the edges that are not self loops.
struct VirtualNode
{
    QString id;
    int rank = 0;
    int edgeIndex = 0;

    bool operator==(const VirtualNode &) const = default;
};

/// An edge with its way through the ranks. The chain runs in ranking direction, so it starts
/// at the edge's to-node when the edge was reversed to break a cycle.
struct RoutedEdge
{
    QString sourceID;
    QString targetID;
    QList<QString> chain;
    int originalIndex = 0;
    bool reversed = false;
    std::optional<QString> label;
    FlowEdgeKind kind = FlowEdgeKind::solid;
    FlowArrow arrowStart = FlowArrow::none;
    FlowArrow arrowEnd = FlowArrow::none;
    int length = 1;

    bool operator==(const RoutedEdge &) const = default;
};

/// The graph after ranking and ordering, before any coordinate: what the layout decided
/// independently of text metrics.
struct Ranking
{
    /// The rank of each node, in node order.
    QList<int> ranks;
    QList<VirtualNode> virtualNodes;
    /// The edges that are not self loops, in order.
    QList<RoutedEdge> edges;
    /// The ids on each rank that holds any, lowest rank first, in their final order.
    QList<QList<QString>> layers;
};

/// Long edges beyond this many bend points in total are drawn straight, so that a handful of
/// very long edges cannot exhaust memory.
inline constexpr int maxVirtualNodes = 200000;

/// The node's size from its label and shape, at least 60 × 36, rounded.
Size nodeSize(const FlowNode &node);

/// Cycle breaking, ranking, virtual nodes and ordering.
Ranking rank(const Flowchart &chart);

/// The geometry of the chart in its direction. Never fails.
FlowchartGeometry layout(const Flowchart &chart);

/// The boxes of the subgraphs around the given node rects, in subgraph order; a subgraph with
/// no node anywhere inside it gets no box.
QList<PositionedSubgraph> subgraphBoxes(const Flowchart &chart, const QList<PositionedNode> &nodes);

/// Where the ray from the rect's centre towards target leaves the rect; the centre itself
/// when target is the centre.
Point boundaryPoint(const Rect &rect, Point target);

/// The point halfway along the polyline; (0, 0) for no points.
Point pointAtHalfLength(const QList<Point> &points);

} // namespace FlowchartLayout

} // namespace Mermaid

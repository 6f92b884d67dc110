#pragma once

// A parsed flowchart: direction, nodes with shapes and labels, edges and nested subgraphs.

#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <string_view>

namespace Mermaid {

enum class FlowDirection { TB, BT, LR, RL };

struct FlowDirectionName
{
    FlowDirection value;
    std::string_view raw;
};
inline constexpr std::array<FlowDirectionName, 4> flowDirectionNames{{
    {FlowDirection::TB, "TB"},
    {FlowDirection::BT, "BT"},
    {FlowDirection::LR, "LR"},
    {FlowDirection::RL, "RL"},
}};

constexpr std::string_view rawValue(FlowDirection direction)
{
    for (const auto &name : flowDirectionNames) {
        if (name.value == direction)
            return name.raw;
    }
    return {};
}

/// Exact match on the raw string ("TB", "BT", "LR", "RL"); callers upper-case first.
inline std::optional<FlowDirection> flowDirectionFromRaw(const QString &raw)
{
    for (const auto &name : flowDirectionNames) {
        if (raw == QLatin1StringView(name.raw.data(), qsizetype(name.raw.size())))
            return name.value;
    }
    return std::nullopt;
}

enum class FlowNodeShape {
    rect,
    roundRect,
    stadium,
    subroutine,
    cylinder,
    circle,
    doubleCircle,
    rhombus,
    hexagon,
    parallelogramFwd,
    parallelogramBack,
    trapezoid,
    trapezoidInv,
    asymmetric,
};

enum class FlowEdgeKind { solid, dotted, thick };

enum class FlowArrow { none, arrow, circle, cross };

struct FlowNode
{
    QString id;
    /// The id until a shape gives another label.
    QString label;
    FlowNodeShape shape = FlowNodeShape::rect;
    /// The subgraph that owns the node; a node never leaves a subgraph once it has one.
    std::optional<QString> subgraphID;

    bool operator==(const FlowNode &) const = default;
};

struct FlowEdge
{
    QString from;
    QString to;
    FlowEdgeKind kind = FlowEdgeKind::solid;
    FlowArrow arrowStart = FlowArrow::none;
    FlowArrow arrowEnd = FlowArrow::none;
    /// May be present and empty (A -->|| B).
    std::optional<QString> label;
    /// Requested rank span, at least 1.
    int length = 1;

    bool operator==(const FlowEdge &) const = default;
};

struct FlowSubgraph
{
    QString id;
    std::optional<QString> title;
    /// Nodes owned directly, in order of assignment.
    QList<QString> nodeIDs;
    /// Directly nested subgraphs, in order of closing.
    QList<QString> childSubgraphIDs;
    std::optional<QString> parentID;
    std::optional<FlowDirection> direction;

    bool operator==(const FlowSubgraph &) const = default;
};

struct Flowchart
{
    FlowDirection direction = FlowDirection::TB;
    QHash<QString, FlowNode> nodes;
    /// Node ids in order of first mention.
    QList<QString> nodeOrder;
    /// In creation order.
    QList<FlowEdge> edges;
    QHash<QString, FlowSubgraph> subgraphs;
    /// Subgraph ids in order of first opening.
    QList<QString> subgraphOrder;

    bool operator==(const Flowchart &) const = default;
};

} // namespace Mermaid

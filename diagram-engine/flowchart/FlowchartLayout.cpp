#include "FlowchartLayout.h"

#include <Mermaid/TextMeasure.h>

#include <QSet>

#include <algorithm>
#include <climits>
#include <cmath>
#include <deque>
#include <unordered_set>
#include <utility>
#include <vector>

namespace Mermaid {

namespace {

constexpr double minimumNodeWidth = 60;
constexpr double minimumNodeHeight = 36;
constexpr double rankGap = 50;
constexpr double nodeGap = 50;
constexpr double minimumRankThickness = 30;
constexpr double virtualNodeExtent = 30;
constexpr int orderingIterations = 8;
constexpr double canvasMargin = 16;
constexpr double selfLoopReach = 24;
constexpr double selfLoopLabelOffset = 28;
constexpr double subgraphPadding = 16;
constexpr double titleBandPadding = 8;
constexpr double titleWidthPadding = 32;
constexpr double labelPlatePaddingX = 4;
constexpr double labelPlatePaddingY = 2;

const FontSpec nodeFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::regular, false};
const FontSpec edgeLabelFont{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
const FontSpec titleFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::bold, false};

// Nearest integer, ties away from zero.
double rounded(double value) { return std::round(value); }

int saturatingAdd(int a, int b) { return int(std::min<long long>((long long)a + b, INT_MAX)); }

bool hasText(const std::optional<QString> &label) { return label && !label->isEmpty(); }

Rect rectAround(Point centre, Size size)
{
    return {{centre.x - size.width / 2, centre.y - size.height / 2}, size};
}

Point centreOf(const Rect &rect) { return {rect.midX(), rect.midY()}; }

// Grows as rects and points are added; empty until the first one.
struct Bounds
{
    bool empty = true;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;

    void add(Point point)
    {
        if (empty) {
            minX = maxX = point.x;
            minY = maxY = point.y;
            empty = false;
            return;
        }
        minX = std::min(minX, point.x);
        minY = std::min(minY, point.y);
        maxX = std::max(maxX, point.x);
        maxY = std::max(maxY, point.y);
    }
    void add(const Rect &rect)
    {
        add(Point{rect.minX(), rect.minY()});
        add(Point{rect.maxX(), rect.maxY()});
    }
    Rect rect() const { return {{minX, minY}, {maxX - minX, maxY - minY}}; }
};

// ---- Ranking and ordering on node indices ----------------------------------------------------

struct LayerEdge
{
    int sourceEdge = 0; // index into the chart's edges
    int originalIndex = 0;
    int from = 0;
    int to = 0;
    bool reversed = false;
    int length = 1;
    /// Node indices in ranking direction; virtual nodes follow the real ones.
    std::vector<int> chain;
};

struct VirtualInfo
{
    int counter = 0;
    int edgeIndex = 0;
};

// The ranked and ordered graph. Nodes 0..realCount-1 are the chart's nodes in node order, the
// rest are virtual.
struct Layering
{
    int realCount = 0;
    std::vector<int> rank;
    std::vector<VirtualInfo> virtuals;
    std::vector<LayerEdge> edges;
    std::vector<int> selfLoops; // indices into the chart's edges
    /// Non-empty ranks in ascending order, each with its nodes in order.
    std::vector<int> layerRanks;
    std::vector<std::vector<int>> layers;
};

std::vector<std::vector<int>> successorLists(const Layering &layering)
{
    std::vector<std::vector<int>> successors(layering.realCount);
    for (const auto &edge : layering.edges)
        successors[edge.from].push_back(edge.to);
    return successors;
}

// Depth-first search with an explicit stack (the depth is the user's chain length); an edge
// into a node still on the stack is a back edge.
std::unordered_set<unsigned long long> backEdges(const Layering &layering)
{
    const auto successors = successorLists(layering);
    std::unordered_set<unsigned long long> back;
    std::vector<char> visited(layering.realCount, 0);
    std::vector<char> onStack(layering.realCount, 0);
    std::vector<std::pair<int, size_t>> stack;
    for (int start = 0; start < layering.realCount; ++start) {
        if (visited[start])
            continue;
        visited[start] = onStack[start] = 1;
        stack.push_back({start, 0});
        while (!stack.empty()) {
            auto &[v, next] = stack.back();
            if (next == successors[v].size()) {
                onStack[v] = 0;
                stack.pop_back();
                continue;
            }
            const int w = successors[v][next++];
            if (!visited[w]) {
                visited[w] = onStack[w] = 1;
                stack.push_back({w, 0});
            } else if (onStack[w]) {
                back.insert((unsigned long long)(unsigned)v << 32 | (unsigned)w);
            }
        }
    }
    return back;
}

// Longest path over a topological order by Kahn's method.
void assignRanks(Layering &layering)
{
    const int n = layering.realCount;
    std::vector<std::vector<std::pair<int, int>>> rankingEdges(n);
    std::vector<int> inDegree(n, 0);
    for (const auto &edge : layering.edges) {
        const int u = edge.reversed ? edge.to : edge.from;
        const int v = edge.reversed ? edge.from : edge.to;
        rankingEdges[u].push_back({v, std::max(edge.length, 1)});
        ++inDegree[v];
    }
    std::deque<int> queue;
    for (int v = 0; v < n; ++v) {
        if (inDegree[v] == 0)
            queue.push_back(v);
    }
    std::vector<int> order;
    std::vector<char> placed(n, 0);
    while (!queue.empty()) {
        const int u = queue.front();
        queue.pop_front();
        order.push_back(u);
        placed[u] = 1;
        for (const auto &[v, length] : rankingEdges[u]) {
            if (--inDegree[v] == 0)
                queue.push_back(v);
        }
    }
    for (int v = 0; v < n; ++v) {
        if (!placed[v])
            order.push_back(v);
    }
    layering.rank.assign(n, 0);
    for (const int u : order) {
        for (const auto &[v, length] : rankingEdges[u])
            layering.rank[v] = std::max(layering.rank[v], saturatingAdd(layering.rank[u], length));
    }
}

// Chains through one virtual node per crossed rank, then the layers of real and virtual nodes.
void insertVirtualNodes(Layering &layering)
{
    int virtualCount = 0;
    for (auto &edge : layering.edges) {
        const int u = edge.reversed ? edge.to : edge.from;
        const int v = edge.reversed ? edge.from : edge.to;
        edge.chain.push_back(u);
        const long long span = (long long)layering.rank[v] - layering.rank[u] - 1;
        if (span > 0 && virtualCount + span <= FlowchartLayout::maxVirtualNodes) {
            for (int r = layering.rank[u] + 1; r < layering.rank[v]; ++r) {
                ++virtualCount;
                edge.chain.push_back(int(layering.rank.size()));
                layering.rank.push_back(r);
                layering.virtuals.push_back({virtualCount, edge.originalIndex});
            }
        }
        edge.chain.push_back(v);
    }

    std::vector<int> nodesByRank(layering.rank.size());
    for (size_t i = 0; i < nodesByRank.size(); ++i)
        nodesByRank[i] = int(i);
    // Real nodes in node order, then virtual nodes in creation order, within each rank.
    std::stable_sort(nodesByRank.begin(), nodesByRank.end(),
                     [&](int a, int b) { return layering.rank[a] < layering.rank[b]; });
    for (const int node : nodesByRank) {
        if (layering.layerRanks.empty() || layering.layerRanks.back() != layering.rank[node]) {
            layering.layerRanks.push_back(layering.rank[node]);
            layering.layers.emplace_back();
        }
        layering.layers.back().push_back(node);
    }
}

// Barycentre sweeps: each node moves to the mean position of its neighbours on the adjacent
// rank already swept; nodes without such neighbours keep their place as key.
void orderLayers(Layering &layering)
{
    if (layering.layerRanks.empty() || layering.layerRanks.back() == 0)
        return;
    const size_t total = layering.rank.size();
    std::vector<std::vector<int>> up(total);
    std::vector<std::vector<int>> down(total);
    for (const auto &edge : layering.edges) {
        for (size_t i = 0; i + 1 < edge.chain.size(); ++i) {
            const int a = edge.chain[i];
            const int b = edge.chain[i + 1];
            // A long edge drawn straight joins ranks that are not adjacent; it takes no part.
            if ((long long)layering.rank[b] != (long long)layering.rank[a] + 1)
                continue;
            down[a].push_back(b);
            up[b].push_back(a);
        }
    }
    std::vector<int> position(total, 0);
    for (const auto &layer : layering.layers) {
        for (size_t i = 0; i < layer.size(); ++i)
            position[layer[i]] = int(i);
    }
    std::vector<double> key(total, 0);
    const auto sweepLayer = [&](std::vector<int> &layer,
                                const std::vector<std::vector<int>> &neighbours) {
        for (size_t i = 0; i < layer.size(); ++i) {
            const auto &adjacent = neighbours[layer[i]];
            if (adjacent.empty()) {
                key[layer[i]] = double(i);
                continue;
            }
            double sum = 0;
            for (const int other : adjacent)
                sum += position[other];
            key[layer[i]] = sum / double(adjacent.size());
        }
        std::stable_sort(layer.begin(), layer.end(), [&](int a, int b) { return key[a] < key[b]; });
        for (size_t i = 0; i < layer.size(); ++i)
            position[layer[i]] = int(i);
    };
    const size_t layerCount = layering.layers.size();
    for (int iteration = 0; iteration < orderingIterations; ++iteration) {
        for (size_t k = 0; k < layerCount; ++k) {
            if (layering.layerRanks[k] >= 1)
                sweepLayer(layering.layers[k], up);
        }
        for (size_t k = layerCount; k-- > 0;) {
            if (layering.layerRanks[k] < layering.layerRanks.back())
                sweepLayer(layering.layers[k], down);
        }
    }
}

Layering buildLayering(const Flowchart &chart)
{
    Layering layering;
    layering.realCount = int(chart.nodeOrder.size());
    QHash<QString, int> index;
    index.reserve(chart.nodeOrder.size());
    for (int i = 0; i < layering.realCount; ++i)
        index.insert(chart.nodeOrder[i], i);
    for (qsizetype i = 0; i < chart.edges.size(); ++i) {
        const FlowEdge &edge = chart.edges[i];
        const int from = index.value(edge.from, -1);
        const int to = index.value(edge.to, -1);
        if (from < 0 || to < 0)
            continue; // an edge to a node the chart does not hold
        if (from == to) {
            layering.selfLoops.push_back(int(i));
            continue;
        }
        LayerEdge layerEdge;
        layerEdge.sourceEdge = int(i);
        layerEdge.originalIndex = int(layering.edges.size());
        layerEdge.from = from;
        layerEdge.to = to;
        layerEdge.length = std::max(edge.length, 1);
        layering.edges.push_back(std::move(layerEdge));
    }
    const auto back = backEdges(layering);
    for (auto &edge : layering.edges)
        edge.reversed
            = back.contains((unsigned long long)(unsigned)edge.from << 32 | (unsigned)edge.to);
    assignRanks(layering);
    insertVirtualNodes(layering);
    orderLayers(layering);
    return layering;
}

QString virtualNodeID(const VirtualInfo &info)
{
    return QStringLiteral("__v") + QString::number(info.counter) + u'_'
           + QString::number(info.edgeIndex);
}

// ---- Geometry --------------------------------------------------------------------------------

bool isTransposed(FlowDirection direction)
{
    return direction == FlowDirection::LR || direction == FlowDirection::RL;
}

// Maps a top-to-bottom point into the chart's direction; the result is moved into place later.
Point oriented(Point point, FlowDirection direction)
{
    switch (direction) {
    case FlowDirection::TB:
        return point;
    case FlowDirection::BT:
        return {point.x, -point.y};
    case FlowDirection::LR:
        return {point.y, point.x};
    case FlowDirection::RL:
        return {-point.y, point.x};
    }
    return point;
}

void translate(Point &point, Point offset)
{
    point.x += offset.x;
    point.y += offset.y;
}

Rect united(const Rect &a, const Rect &b)
{
    const double minX = std::min(a.minX(), b.minX());
    const double minY = std::min(a.minY(), b.minY());
    const double maxX = std::max(a.maxX(), b.maxX());
    const double maxY = std::max(a.maxY(), b.maxY());
    return {{minX, minY}, {maxX - minX, maxY - minY}};
}

// Depth of every subgraph: 0 without a parent, the parent's depth + 1 otherwise. Each chain of
// parent links is walked once with an explicit stack; a circular chain (which the parser never
// builds) counts from where it closes.
QHash<QString, int> subgraphDepths(const Flowchart &chart)
{
    QHash<QString, int> depths;
    depths.reserve(chart.subgraphs.size());
    QSet<QString> walking;
    std::vector<QString> path;
    for (const QString &start : chart.subgraphOrder) {
        QString current = start;
        int base = -1;
        while (true) {
            const auto known = depths.constFind(current);
            if (known != depths.cend()) {
                base = *known;
                break;
            }
            const auto subgraph = chart.subgraphs.constFind(current);
            if (subgraph == chart.subgraphs.cend() || walking.contains(current))
                break;
            walking.insert(current);
            path.push_back(current);
            if (!subgraph->parentID || !chart.subgraphs.contains(*subgraph->parentID))
                break;
            current = *subgraph->parentID;
        }
        while (!path.empty()) {
            depths.insert(path.back(), ++base);
            walking.remove(path.back());
            path.pop_back();
        }
    }
    return depths;
}

} // namespace

Size FlowchartLayout::nodeSize(const FlowNode &node)
{
    const TextMeasure::Block block = TextMeasure::measureBlock(node.label, nodeFont);
    const double tw = block.size.width;
    const double th = block.size.height;
    Size size{tw + 36, th + 24};
    switch (node.shape) {
    case FlowNodeShape::rect:
    case FlowNodeShape::roundRect:
        break;
    case FlowNodeShape::stadium:
    case FlowNodeShape::hexagon:
    case FlowNodeShape::parallelogramFwd:
    case FlowNodeShape::parallelogramBack:
    case FlowNodeShape::trapezoid:
    case FlowNodeShape::trapezoidInv:
        size.width = tw + 36 + th;
        break;
    case FlowNodeShape::subroutine:
    case FlowNodeShape::asymmetric:
        size.width = tw + 48;
        break;
    case FlowNodeShape::cylinder:
        size = {tw + 48, th + 48};
        break;
    case FlowNodeShape::circle:
    case FlowNodeShape::doubleCircle: {
        const double side = std::max(tw + 36, th + 24);
        size = {side, side};
        break;
    }
    case FlowNodeShape::rhombus:
        size = {tw + 36 + th / 2, th + 24 + tw / 4};
        break;
    }
    return {rounded(std::max(size.width, minimumNodeWidth)),
            rounded(std::max(size.height, minimumNodeHeight))};
}

FlowchartLayout::Ranking FlowchartLayout::rank(const Flowchart &chart)
{
    const Layering layering = buildLayering(chart);
    const auto idOf = [&](int node) {
        return node < layering.realCount
                   ? chart.nodeOrder[node]
                   : virtualNodeID(layering.virtuals[node - layering.realCount]);
    };
    Ranking ranking;
    for (int i = 0; i < layering.realCount; ++i)
        ranking.ranks.push_back(layering.rank[i]);
    for (size_t i = 0; i < layering.virtuals.size(); ++i) {
        ranking.virtualNodes.push_back({virtualNodeID(layering.virtuals[i]),
                                        layering.rank[layering.realCount + i],
                                        layering.virtuals[i].edgeIndex});
    }
    for (const auto &edge : layering.edges) {
        const FlowEdge &source = chart.edges[edge.sourceEdge];
        RoutedEdge routed{source.from,     source.to,    {},          edge.originalIndex,
                          edge.reversed,   source.label, source.kind, source.arrowStart,
                          source.arrowEnd, source.length};
        for (const int node : edge.chain)
            routed.chain.push_back(idOf(node));
        ranking.edges.push_back(std::move(routed));
    }
    for (const auto &layer : layering.layers) {
        QList<QString> ids;
        for (const int node : layer)
            ids.push_back(idOf(node));
        ranking.layers.push_back(std::move(ids));
    }
    return ranking;
}

Point FlowchartLayout::boundaryPoint(const Rect &rect, Point target)
{
    const Point c = centreOf(rect);
    if (target == c)
        return c;
    const double dx = target.x - c.x;
    const double dy = target.y - c.y;
    const double w = rect.width();
    const double h = rect.height();
    const double scale = std::abs(dx) * h / 2 >= std::abs(dy) * w / 2
                             ? (w / 2) / std::max(std::abs(dx), 0.0001)
                             : (h / 2) / std::max(std::abs(dy), 0.0001);
    return {c.x + dx * scale, c.y + dy * scale};
}

Point FlowchartLayout::pointAtHalfLength(const QList<Point> &points)
{
    if (points.isEmpty())
        return {0, 0};
    if (points.size() == 1)
        return points.front();
    const auto segmentLength = [&](qsizetype i) {
        return std::hypot(points[i + 1].x - points[i].x, points[i + 1].y - points[i].y);
    };
    double total = 0;
    for (qsizetype i = 0; i + 1 < points.size(); ++i)
        total += segmentLength(i);
    const double half = total / 2;
    double before = 0;
    for (qsizetype i = 0; i + 1 < points.size(); ++i) {
        const double length = segmentLength(i);
        if (before + length >= half) {
            const double t = (half - before) / std::max(length, 0.0001);
            return {points[i].x + (points[i + 1].x - points[i].x) * t,
                    points[i].y + (points[i + 1].y - points[i].y) * t};
        }
        before += length;
    }
    return points.back();
}

QList<PositionedSubgraph> FlowchartLayout::subgraphBoxes(const Flowchart &chart,
                                                         const QList<PositionedNode> &nodes)
{
    QHash<QString, Rect> nodeRects;
    nodeRects.reserve(nodes.size());
    for (const auto &node : nodes)
        nodeRects.insert(node.id, node.rect);

    // Content rects bottom-up with an explicit stack: the nesting depth is the user's.
    QHash<QString, std::optional<Rect>> content;
    QHash<QString, char> state; // 1: children pending, 2: done
    for (const QString &rootID : chart.subgraphOrder) {
        if (state.contains(rootID))
            continue;
        std::vector<QString> stack{rootID};
        while (!stack.empty()) {
            const QString id = stack.back();
            const auto subgraph = chart.subgraphs.constFind(id);
            if (subgraph == chart.subgraphs.cend()) {
                state.insert(id, 2);
                stack.pop_back();
                continue;
            }
            if (!state.contains(id)) {
                state.insert(id, 1);
                for (const QString &child : subgraph->childSubgraphIDs) {
                    if (!state.contains(child))
                        stack.push_back(child);
                }
                continue;
            }
            stack.pop_back();
            if (state.value(id) == 2)
                continue;
            std::optional<Rect> rect;
            const auto include
                = [&](const Rect &other) { rect = rect ? united(*rect, other) : other; };
            for (const QString &nodeID : subgraph->nodeIDs) {
                const auto found = nodeRects.constFind(nodeID);
                if (found != nodeRects.cend())
                    include(*found);
            }
            for (const QString &child : subgraph->childSubgraphIDs) {
                const auto childContent = content.value(child);
                if (childContent)
                    include(*childContent);
            }
            content.insert(id, rect);
            state.insert(id, 2);
        }
    }

    const QHash<QString, int> depths = subgraphDepths(chart);
    QList<PositionedSubgraph> boxes;
    for (const QString &id : chart.subgraphOrder) {
        const auto rect = content.value(id);
        const auto subgraph = chart.subgraphs.constFind(id);
        if (!rect || subgraph == chart.subgraphs.cend())
            continue;
        const Rect enlarged{
            {rect->minX() - subgraphPadding, rect->minY() - subgraphPadding},
            {rect->width() + 2 * subgraphPadding, rect->height() + 2 * subgraphPadding}};
        double minimumWidth = titleWidthPadding;
        double band = 0;
        if (subgraph->title) {
            const auto block = TextMeasure::measureBlock(*subgraph->title, titleFont);
            minimumWidth = block.size.width + titleWidthPadding;
            band = block.size.height > 0 ? block.size.height + titleBandPadding : 0;
        }
        const Rect box{{enlarged.minX(), enlarged.minY() - band},
                       {std::max(enlarged.width(), minimumWidth), enlarged.height() + band}};
        boxes.push_back({id, subgraph->title, box, band, depths.value(id)});
    }
    return boxes;
}

FlowchartGeometry FlowchartLayout::layout(const Flowchart &chart)
{
    const FlowDirection direction = chart.direction;
    const bool transposed = isTransposed(direction);
    const Layering layering = buildLayering(chart);
    const int realCount = layering.realCount;

    // Sizes as seen top to bottom: for LR and RL the rank axis is the node's width, so the
    // sizes are exchanged here and exchanged back when the geometry is turned.
    std::vector<Size> sizes(realCount);
    std::vector<Size> rankSpaceSizes(realCount);
    for (int i = 0; i < realCount; ++i) {
        sizes[i] = nodeSize(chart.nodes.value(chart.nodeOrder[i]));
        rankSpaceSizes[i] = transposed ? Size{sizes[i].height, sizes[i].width} : sizes[i];
    }

    // Coordinates: ranks stacked with fixed gaps, nodes packed from the start of each rank.
    std::vector<Point> centre(layering.rank.size());
    double cursor = 0;
    int previousRank = -1;
    for (size_t k = 0; k < layering.layers.size(); ++k) {
        const int rankNumber = layering.layerRanks[k];
        // Ranks without nodes between two filled ones keep their thickness and gap.
        cursor
            += (double(rankNumber) - double(previousRank) - 1) * (minimumRankThickness + rankGap);
        previousRank = rankNumber;
        double thickness = minimumRankThickness;
        for (const int node : layering.layers[k]) {
            if (node < realCount)
                thickness = std::max(thickness, rankSpaceSizes[node].height);
        }
        const double rankPosition = cursor + thickness / 2;
        cursor = rankPosition + thickness / 2 + rankGap;
        double orderCursor = 0;
        for (const int node : layering.layers[k]) {
            const double extent = node < realCount ? rankSpaceSizes[node].width : virtualNodeExtent;
            const double middle = orderCursor + extent / 2;
            orderCursor = middle + extent / 2 + nodeGap;
            centre[node] = {middle, rankPosition};
        }
    }
    std::vector<Rect> rankSpaceRects(realCount);
    for (int i = 0; i < realCount; ++i)
        rankSpaceRects[i] = rectAround(centre[i], rankSpaceSizes[i]);

    FlowchartGeometry geometry;
    geometry.direction = direction;

    // Routes through the chain, clipped to the end nodes' borders.
    for (const auto &edge : layering.edges) {
        const FlowEdge &source = chart.edges[edge.sourceEdge];
        EdgeRoute route{source.from,     source.to,    {},           source.kind, source.arrowStart,
                        source.arrowEnd, source.label, std::nullopt, {}};
        for (const int node : edge.chain)
            route.points.push_back(centre[node]);
        if (edge.reversed)
            std::reverse(route.points.begin(), route.points.end());
        if (route.points.size() >= 2) {
            route.points.front() = boundaryPoint(rankSpaceRects[edge.from], route.points[1]);
            route.points.back()
                = boundaryPoint(rankSpaceRects[edge.to], route.points[route.points.size() - 2]);
        }
        if (hasText(source.label)) {
            route.labelPoint = pointAtHalfLength(route.points);
            route.labelSize = TextMeasure::measureBlock(*source.label, edgeLabelFont).size;
        }
        geometry.routes.push_back(std::move(route));
    }

    // Self loops leave the right side and come back through the top.
    QHash<QString, int> index;
    for (int i = 0; i < realCount; ++i)
        index.insert(chart.nodeOrder[i], i);
    for (const int edgeIndex : layering.selfLoops) {
        const FlowEdge &source = chart.edges[edgeIndex];
        const Rect &r = rankSpaceRects[index.value(source.from)];
        const double w = r.width();
        const double h = r.height();
        EdgeRoute route{source.from,     source.to,    {},           source.kind, source.arrowStart,
                        source.arrowEnd, source.label, std::nullopt, {}};
        route.points = {{r.maxX(), r.midY() - h / 4},
                        {r.maxX() + selfLoopReach, r.midY() - h / 4},
                        {r.maxX() + selfLoopReach, r.minY() - selfLoopReach},
                        {r.midX() + w / 4, r.minY() - selfLoopReach},
                        {r.midX() + w / 4, r.minY()}};
        if (hasText(source.label)) {
            route.labelSize = TextMeasure::measureBlock(*source.label, edgeLabelFont).size;
            route.labelPoint
                = Point{r.maxX() + selfLoopLabelOffset, r.minY() - selfLoopLabelOffset};
        }
        geometry.routes.push_back(std::move(route));
    }

    // Turn everything into the chart's direction. Bounds are measured afterwards, on what is
    // drawn, so that labels, transposed nodes and title bands all stay on the canvas.
    for (int i = 0; i < realCount; ++i) {
        const FlowNode node = chart.nodes.value(chart.nodeOrder[i]);
        geometry.nodes.push_back(
            {node.id, rectAround(oriented(centreOf(rankSpaceRects[i]), direction), sizes[i]),
             node.label, node.shape, node.subgraphID});
    }
    for (auto &route : geometry.routes) {
        for (auto &point : route.points)
            point = oriented(point, direction);
        if (route.labelPoint)
            route.labelPoint = oriented(*route.labelPoint, direction);
    }

    // Bounds and margin.
    Bounds bounds;
    for (const auto &node : std::as_const(geometry.nodes))
        bounds.add(node.rect);
    for (const auto &box : subgraphBoxes(chart, geometry.nodes))
        bounds.add(box.rect);
    for (const auto &route : std::as_const(geometry.routes)) {
        for (const auto &point : route.points)
            bounds.add(point);
        if (route.labelPoint) {
            const Point &p = *route.labelPoint;
            bounds.add(Rect{{p.x - route.labelSize.width / 2 - labelPlatePaddingX,
                             p.y - route.labelSize.height / 2 - labelPlatePaddingY},
                            {route.labelSize.width + 2 * labelPlatePaddingX,
                             route.labelSize.height + 2 * labelPlatePaddingY}});
        }
    }
    if (bounds.empty) {
        geometry.size = {2 * canvasMargin, 2 * canvasMargin};
    } else {
        const Point offset{canvasMargin - bounds.minX, canvasMargin - bounds.minY};
        for (auto &node : geometry.nodes)
            translate(node.rect.origin, offset);
        for (auto &route : geometry.routes) {
            for (auto &point : route.points)
                translate(point, offset);
            if (route.labelPoint)
                translate(*route.labelPoint, offset);
        }
        const Rect area = bounds.rect();
        geometry.size = {area.width() + 2 * canvasMargin, area.height() + 2 * canvasMargin};
    }

    geometry.subgraphs = subgraphBoxes(chart, geometry.nodes);
    for (const auto &box : std::as_const(geometry.subgraphs)) {
        geometry.size.width = std::max(geometry.size.width, box.rect.maxX() + canvasMargin);
        geometry.size.height = std::max(geometry.size.height, box.rect.maxY() + canvasMargin);
    }
    return geometry;
}

} // namespace Mermaid

#include "flowchart/FlowchartLayout.h"

#include "FlowchartTestSupport.h"

#include <Mermaid/TextMeasure.h>

#include <gtest/gtest.h>

using namespace Mermaid;
using namespace FlowchartTestSupport;

namespace {

const FontSpec nodeFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::regular, false};

FlowchartGeometry laidOut(const QString &source) { return FlowchartLayout::layout(parsed(source)); }

const PositionedNode &nodeNamed(const FlowchartGeometry &geometry, const QString &id)
{
    for (const auto &node : geometry.nodes) {
        if (node.id == id)
            return node;
    }
    static const PositionedNode missing;
    ADD_FAILURE() << "no node " << id.toStdString();
    return missing;
}

// A label of one short line gives the minimum width and its block height + 24.
double oneLineNodeHeight()
{
    return std::max(TextMeasure::measureBlock(QStringLiteral("A"), nodeFont).size.height + 24,
                    36.0);
}

TEST(FlowchartLayout, SingleNodeSitsInsideTheMargin)
{
    const auto geometry = laidOut(QStringLiteral("graph\nA"));
    ASSERT_EQ(geometry.nodes.size(), 1);
    const Rect rect = geometry.nodes[0].rect;
    EXPECT_EQ(rect, (Rect{{16, 16}, {60, std::round(oneLineNodeHeight())}}));
    EXPECT_EQ(geometry.size, (Size{rect.width() + 32, rect.height() + 32}));
}

TEST(FlowchartLayout, EmptyChartIsOnlyTheMargin)
{
    const auto geometry = laidOut(QStringLiteral("graph TD"));
    EXPECT_TRUE(geometry.nodes.isEmpty());
    EXPECT_EQ(geometry.size, (Size{32, 32}));
}

TEST(FlowchartLayout, RanksAreFiftyApartAndRoutesRunBorderToBorder)
{
    const auto geometry = laidOut(QStringLiteral("graph TD\nA --> B"));
    const double h = std::round(oneLineNodeHeight());
    const Rect a = nodeNamed(geometry, "A").rect;
    const Rect b = nodeNamed(geometry, "B").rect;
    EXPECT_DOUBLE_EQ(a.midY(), 16 + h / 2);
    EXPECT_DOUBLE_EQ(b.midY(), 16 + 1.5 * h + 50);
    ASSERT_EQ(geometry.routes.size(), 1);
    EXPECT_EQ(geometry.routes[0].points,
              (QList<Point>{{a.midX(), a.maxY()}, {b.midX(), b.minY()}}));
    EXPECT_EQ(geometry.routes[0].labelPoint, std::nullopt);
    EXPECT_EQ(geometry.routes[0].labelSize, (Size{}));
}

TEST(FlowchartLayout, BackEdgeIsDrawnFromItsOwnSource)
{
    const auto chart = parsed(QStringLiteral("graph\nA --> B\nB --> A"));
    const auto ranking = FlowchartLayout::rank(chart);
    EXPECT_EQ(ranking.ranks, (QList<int>{0, 1}));
    ASSERT_EQ(ranking.edges.size(), 2);
    EXPECT_FALSE(ranking.edges[0].reversed);
    EXPECT_TRUE(ranking.edges[1].reversed);
    EXPECT_EQ(ranking.edges[1].chain, (QList<QString>{"A", "B"}));

    const auto geometry = FlowchartLayout::layout(chart);
    const Rect a = nodeNamed(geometry, "A").rect;
    const Rect b = nodeNamed(geometry, "B").rect;
    const auto &upwards = geometry.routes[1].points;
    EXPECT_EQ(upwards.front(), (Point{b.midX(), b.minY()}));
    EXPECT_EQ(upwards.back(), (Point{a.midX(), a.maxY()}));
}

struct RankCase
{
    const char *source;
    QList<int> ranks;
    QList<QString> virtualIDs;
    QList<int> virtualRanks;
};

const RankCase rankCases[] = {
    {"graph\nA ---> B", {0, 2}, {"__v1_0"}, {1}},
    // The self loop does not count among the edge indices.
    {"graph\nA ---> B\nX --> X\nC ----> D",
     {0, 2, 0, 0, 3},
     {"__v1_0", "__v2_1", "__v3_1"},
     {1, 1, 2}},
    // Longest path: C sits below B, and A --> C bends once.
    {"graph\nA --> B --> C\nA --> C", {0, 1, 2}, {"__v1_2"}, {1}},
    {"graph\nA -.-> B\nA -..-> C", {0, 1, 2}, {"__v1_1"}, {1}},
    // A cycle A -> B -> C -> A: the closing edge is reversed and bends through rank 1.
    {"graph\nA --> B --> C --> A", {0, 1, 2}, {"__v1_2"}, {1}},
};

TEST(FlowchartLayout, RanksByLongestPathWithVirtualNodes)
{
    for (const auto &c : rankCases) {
        SCOPED_TRACE(c.source);
        const auto ranking = FlowchartLayout::rank(parsed(QString::fromUtf8(c.source)));
        EXPECT_EQ(ranking.ranks, c.ranks);
        QList<QString> ids;
        QList<int> ranks;
        for (const auto &node : ranking.virtualNodes) {
            ids.push_back(node.id);
            ranks.push_back(node.rank);
        }
        EXPECT_EQ(ids, c.virtualIDs);
        EXPECT_EQ(ranks, c.virtualRanks);
    }
}

TEST(FlowchartLayout, LongEdgeChainPassesItsVirtualNodes)
{
    const auto ranking = FlowchartLayout::rank(parsed(QStringLiteral("graph\nA ----> B")));
    ASSERT_EQ(ranking.edges.size(), 1);
    EXPECT_EQ(ranking.edges[0].chain, (QList<QString>{"A", "__v1_0", "__v2_0", "B"}));
    EXPECT_EQ(ranking.edges[0].length, 3);
    EXPECT_EQ(ranking.virtualNodes[1].edgeIndex, 0);

    // The route bends through the virtual nodes: one point per rank.
    const auto geometry = laidOut(QStringLiteral("graph\nA ----> B"));
    EXPECT_EQ(geometry.routes[0].points.size(), 4);
}

TEST(FlowchartLayout, BarycentresUncrossEdges)
{
    const auto ranking
        = FlowchartLayout::rank(parsed(QStringLiteral("graph\nA\nB\nC\nD\nB --> C\nA --> D")));
    EXPECT_EQ(ranking.layers, (QList<QList<QString>>{{"A", "B"}, {"D", "C"}}));
}

struct DirectionCase
{
    const char *source;
    double dx; // sign of B's centre minus A's centre
    double dy;
};

const DirectionCase directionCases[] = {
    {"graph TB\nA --> B", 0, 1},
    {"graph BT\nA --> B", 0, -1},
    {"graph LR\nA --> B", 1, 0},
    {"graph RL\nA --> B", -1, 0},
};

TEST(FlowchartLayout, DirectionsTurnTheRankAxis)
{
    for (const auto &c : directionCases) {
        SCOPED_TRACE(c.source);
        const auto geometry = laidOut(QString::fromUtf8(c.source));
        const Rect a = nodeNamed(geometry, "A").rect;
        const Rect b = nodeNamed(geometry, "B").rect;
        const auto sign = [](double v) { return double((v > 1e-9) - (v < -1e-9)); };
        EXPECT_EQ(sign(b.midX() - a.midX()), c.dx);
        EXPECT_EQ(sign(b.midY() - a.midY()), c.dy);
        // Nodes keep their own size, and the gap between the ranks is 50 on the rank axis.
        EXPECT_EQ(a.size, b.size);
        EXPECT_EQ(a.width(), 60);
        const double gap = c.dy != 0 ? std::max(b.minY() - a.maxY(), a.minY() - b.maxY())
                                     : std::max(b.minX() - a.maxX(), a.minX() - b.maxX());
        EXPECT_DOUBLE_EQ(gap, 50);
        // The route still runs from A to B.
        const auto &points = geometry.routes[0].points;
        EXPECT_EQ(points.front(), FlowchartLayout::boundaryPoint(a, {b.midX(), b.midY()}));
        EXPECT_EQ(points.back(), FlowchartLayout::boundaryPoint(b, {a.midX(), a.midY()}));
    }
}

TEST(FlowchartLayout, SelfLoopLeavesRightAndReturnsThroughTop)
{
    const auto geometry = laidOut(QStringLiteral("graph\nA --> A"));
    const Rect r = nodeNamed(geometry, "A").rect;
    ASSERT_EQ(geometry.routes.size(), 1);
    const double w = r.width();
    const double h = r.height();
    EXPECT_EQ(geometry.routes[0].points, (QList<Point>{{r.maxX(), r.midY() - h / 4},
                                                       {r.maxX() + 24, r.midY() - h / 4},
                                                       {r.maxX() + 24, r.minY() - 24},
                                                       {r.midX() + w / 4, r.minY() - 24},
                                                       {r.midX() + w / 4, r.minY()}}));
    // The loop's excursion widens the bounds: the node moves down by 24, the canvas grows.
    EXPECT_EQ(r.origin, (Point{16, 40}));
    EXPECT_EQ(geometry.size, (Size{w + 24 + 32, h + 24 + 32}));
}

bool onBorder(const Rect &r, Point p)
{
    const bool onVertical = (std::abs(p.x - r.minX()) < 1e-9 || std::abs(p.x - r.maxX()) < 1e-9)
                            && p.y >= r.minY() && p.y <= r.maxY();
    const bool onHorizontal = (std::abs(p.y - r.minY()) < 1e-9 || std::abs(p.y - r.maxY()) < 1e-9)
                              && p.x >= r.minX() && p.x <= r.maxX();
    return onVertical || onHorizontal;
}

// Turned with the rest of the chart, the loop still leaves and enters the node on its border.
TEST(FlowchartLayout, SelfLoopStaysOnTheNodeInEveryDirection)
{
    for (const char *direction : {"TB", "BT", "LR", "RL"}) {
        SCOPED_TRACE(direction);
        const auto geometry = laidOut(QStringLiteral("graph ") + direction
                                      + QStringLiteral("\nA[A wide label] --> A"));
        const Rect r = nodeNamed(geometry, "A").rect;
        const auto &points = geometry.routes[0].points;
        ASSERT_EQ(points.size(), 5);
        EXPECT_TRUE(onBorder(r, points.front()));
        EXPECT_TRUE(onBorder(r, points.back()));
        EXPECT_TRUE(onBorder(r, points.front()) && !onBorder(r, points[2]));
    }
}

TEST(FlowchartLayout, SelfLoopsFollowTheOtherRoutesWithTheirLabel)
{
    const auto geometry = laidOut(QStringLiteral("graph\nA -->|again| A\nA --> B"));
    ASSERT_EQ(geometry.routes.size(), 2);
    EXPECT_EQ(geometry.routes[0].to, QStringLiteral("B"));
    const auto &loop = geometry.routes[1];
    const Rect r = nodeNamed(geometry, "A").rect;
    EXPECT_EQ(loop.labelPoint, (Point{r.maxX() + 28, r.minY() - 28}));
    EXPECT_GT(loop.labelSize.width, 0);
}

TEST(FlowchartLayout, LabelSitsHalfwayAlongTheRoute)
{
    const auto geometry = laidOut(QStringLiteral("graph\nA -- yes --> B"));
    const auto &route = geometry.routes[0];
    ASSERT_TRUE(route.labelPoint.has_value());
    EXPECT_EQ(*route.labelPoint, FlowchartLayout::pointAtHalfLength(route.points));
    const FontSpec labelFont{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
    EXPECT_EQ(route.labelSize, TextMeasure::measureBlock(QStringLiteral("yes"), labelFont).size);
}

TEST(FlowchartLayout, SubgraphBoxHasPaddingAndTitleBand)
{
    const auto geometry = laidOut(QStringLiteral("graph\nsubgraph G [Group]\nA\nend"));
    const FontSpec titleFont{QStringLiteral("Helvetica"), 16, FontSpec::Weight::bold, false};
    const auto title = TextMeasure::measureBlock(QStringLiteral("Group"), titleFont);
    const Rect a = nodeNamed(geometry, "A").rect;
    ASSERT_EQ(geometry.subgraphs.size(), 1);
    const auto &box = geometry.subgraphs[0];
    const double band = title.size.height + 8;
    EXPECT_EQ(box.titleHeight, band);
    EXPECT_EQ(box.depth, 0);
    EXPECT_EQ(box.rect,
              (Rect{{a.minX() - 16, a.minY() - 16 - band},
                    {std::max(a.width() + 32, title.size.width + 32), a.height() + 32 + band}}));
    // The box and its band are on the canvas.
    EXPECT_GE(box.rect.minY(), 16);
    EXPECT_LE(box.rect.maxY() + 16, geometry.size.height);
}

TEST(FlowchartLayout, NestedBoxesGrowFromNodesNotFromInnerBoxes)
{
    const auto geometry = laidOut(
        QStringLiteral("graph\nsubgraph outer\nsubgraph inner\nA\nend\nend\nsubgraph empty\nend"));
    ASSERT_EQ(geometry.subgraphs.size(), 2); // the empty subgraph gets no box
    const auto &outer = geometry.subgraphs[0];
    const auto &inner = geometry.subgraphs[1];
    EXPECT_EQ(outer.id, QStringLiteral("outer"));
    EXPECT_EQ(outer.depth, 0);
    EXPECT_EQ(inner.depth, 1);
    const Rect a = nodeNamed(geometry, "A").rect;
    EXPECT_EQ(outer.rect.minX(), a.minX() - 16);
    EXPECT_EQ(inner.rect.minX(), a.minX() - 16);
    EXPECT_EQ(outer.rect.maxY(), a.maxY() + 16);
    EXPECT_EQ(inner.rect.maxY(), a.maxY() + 16);
}

// Everything drawn stays inside the canvas in every direction.
TEST(FlowchartLayout, CanvasHoldsEverythingInEveryDirection)
{
    for (const char *direction : {"TB", "BT", "LR", "RL"}) {
        SCOPED_TRACE(direction);
        const auto geometry = laidOut(
            QStringLiteral("graph ") + direction
            + QStringLiteral("\nsubgraph S [A rather long subgraph title]\n"
                             "A[A very wide node label that is much wider than tall]\nend\n"
                             "A -->|a long edge label here| B\nB --> B\nB -- loop back --> A\n"
                             "A ----> C((c))"));
        Rect canvas{{0, 0}, geometry.size};
        const auto inside = [&](const Rect &r) {
            return r.minX() >= 0 && r.minY() >= 0 && r.maxX() <= canvas.maxX()
                   && r.maxY() <= canvas.maxY();
        };
        for (const auto &node : geometry.nodes)
            EXPECT_TRUE(inside(node.rect)) << node.id.toStdString();
        for (const auto &box : geometry.subgraphs)
            EXPECT_TRUE(inside(box.rect)) << box.id.toStdString();
        for (const auto &route : geometry.routes) {
            for (const auto &p : route.points)
                EXPECT_TRUE(inside(Rect{p, {0, 0}}));
            if (route.labelPoint) {
                const Point c = *route.labelPoint;
                EXPECT_TRUE(
                    inside(Rect{{c.x - route.labelSize.width / 2, c.y - route.labelSize.height / 2},
                                route.labelSize}));
            }
        }
    }
}

struct BoundaryCase
{
    Point target;
    Point expected;
};

TEST(FlowchartLayout, BoundaryPointAndHalfLength)
{
    const Rect rect{{0, 0}, {100, 40}}; // centre (50, 20)
    const BoundaryCase cases[] = {
        {{50, 20}, {50, 20}},   // the centre itself
        {{150, 20}, {100, 20}}, // through the right side
        {{50, -80}, {50, 0}},   // through the top
        {{150, 60}, {100, 40}}, // the corner direction leaves through the vertical side
        {{-50, 21}, {0, 20.5}},
    };
    for (const auto &c : cases) {
        const Point p = FlowchartLayout::boundaryPoint(rect, c.target);
        EXPECT_NEAR(p.x, c.expected.x, 1e-9);
        EXPECT_NEAR(p.y, c.expected.y, 1e-9);
    }
    EXPECT_EQ(FlowchartLayout::pointAtHalfLength({}), (Point{0, 0}));
    EXPECT_EQ(FlowchartLayout::pointAtHalfLength({{3, 4}}), (Point{3, 4}));
    EXPECT_EQ(FlowchartLayout::pointAtHalfLength({{0, 0}, {10, 0}, {10, 30}}), (Point{10, 10}));
}

} // namespace

#include "flowchart/FlowchartRenderer.h"

#include "FlowchartTestSupport.h"

#include <Mermaid/Mermaid.h>
#include <Mermaid/TextMeasure.h>

#include <gtest/gtest.h>

using namespace Mermaid;
using namespace FlowchartTestSupport;

namespace {

const ThemePalette &colors = palette(MermaidTheme::default_);

// "rect", "path" or "text:<content>" per element, to state element order compactly.
QStringList elementKinds(const MermaidScene &scene)
{
    QStringList kinds;
    for (const auto &element : scene.elements) {
        if (std::holds_alternative<SceneRect>(element))
            kinds.push_back(QStringLiteral("rect"));
        else if (std::holds_alternative<ScenePath>(element))
            kinds.push_back(QStringLiteral("path"));
        else
            kinds.push_back(QStringLiteral("text:") + std::get<SceneText>(element).text);
    }
    return kinds;
}

EdgeRoute straightRoute(FlowEdgeKind kind, FlowArrow start, FlowArrow end)
{
    EdgeRoute route;
    route.from = QStringLiteral("A");
    route.to = QStringLiteral("B");
    route.points = {{10, 10}, {10, 100}};
    route.kind = kind;
    route.arrowStart = start;
    route.arrowEnd = end;
    return route;
}

MermaidScene sceneOf(const QList<EdgeRoute> &routes)
{
    return FlowchartRenderer::render({}, routes, {}, MermaidTheme::default_, {200, 200});
}

struct LineStyleCase
{
    FlowEdgeKind kind;
    double width;
    std::optional<std::vector<double>> dash;
};

TEST(FlowchartRenderer, LineStylesFollowTheEdgeKind)
{
    const LineStyleCase cases[] = {
        {FlowEdgeKind::solid, 1.5, std::nullopt},
        {FlowEdgeKind::dotted, 1.5, std::vector<double>{4, 3}},
        {FlowEdgeKind::thick, 3, std::nullopt},
    };
    for (const auto &c : cases) {
        const auto scene = sceneOf({straightRoute(c.kind, FlowArrow::none, FlowArrow::none)});
        ASSERT_EQ(scene.elements.size(), 1);
        const auto &line = std::get<ScenePath>(scene.elements[0]);
        EXPECT_EQ(line.style.fill, std::nullopt);
        EXPECT_EQ(line.style.stroke, colors.edgeStroke);
        EXPECT_EQ(line.style.strokeWidth, c.width);
        EXPECT_EQ(line.style.dash, c.dash);
        EXPECT_EQ(line.path.elements().size(), 2); // a straight segment
    }
}

TEST(FlowchartRenderer, EndHeadIsDrawnBeforeStartHeadOnTheEndPoints)
{
    const auto scene
        = sceneOf({straightRoute(FlowEdgeKind::solid, FlowArrow::cross, FlowArrow::arrow)});
    ASSERT_EQ(scene.elements.size(), 3);
    // The arrow at the end: a closed triangle whose tip is the last point, 8 long, 8 wide.
    const auto &arrow = std::get<ScenePath>(scene.elements[1]);
    const auto &triangle = arrow.path.elements();
    ASSERT_EQ(triangle.size(), 4);
    EXPECT_EQ(triangle[0].points[0], (Point{10, 100}));
    EXPECT_EQ(triangle[1].points[0], (Point{6, 92}));
    EXPECT_EQ(triangle[2].points[0], (Point{14, 92}));
    EXPECT_EQ(triangle[3].kind, PathElement::Kind::closeSubpath);
    EXPECT_EQ(arrow.style.fill, colors.edgeStroke);
    // The cross at the start: two strokes through the first point.
    const auto &cross = std::get<ScenePath>(scene.elements[2]);
    EXPECT_EQ(cross.path.elements()[0].points[0], (Point{5, 5}));
    EXPECT_EQ(cross.path.elements()[1].points[0], (Point{15, 15}));
    EXPECT_EQ(cross.style.fill, std::nullopt);
    EXPECT_EQ(cross.style.strokeWidth, 1.5);
}

TEST(FlowchartRenderer, CircleHeadLooksHollow)
{
    const auto scene
        = sceneOf({straightRoute(FlowEdgeKind::solid, FlowArrow::none, FlowArrow::circle)});
    ASSERT_EQ(scene.elements.size(), 2);
    const auto &circle = std::get<ScenePath>(scene.elements[1]);
    EXPECT_EQ(circle.style.fill, colors.background);
    EXPECT_EQ(circle.style.stroke, colors.edgeStroke);
    Path expected;
    expected.addEllipse({{6, 96}, {8, 8}});
    EXPECT_EQ(circle.path, expected);
}

TEST(FlowchartRenderer, CurveThroughThreePointsUsesNeighbourChords)
{
    EdgeRoute route = straightRoute(FlowEdgeKind::solid, FlowArrow::none, FlowArrow::none);
    route.points = {{0, 0}, {60, 60}, {0, 120}};
    const auto scene = sceneOf({route});
    const auto &elements = std::get<ScenePath>(scene.elements[0]).path.elements();
    ASSERT_EQ(elements.size(), 3);
    EXPECT_EQ(elements[1].kind, PathElement::Kind::curveTo);
    EXPECT_EQ(elements[1].points, (std::vector<Point>{{10, 10}, {60, 40}, {60, 60}}));
    EXPECT_EQ(elements[2].points, (std::vector<Point>{{60, 80}, {10, 110}, {0, 120}}));
}

TEST(FlowchartRenderer, LabelPlateIsCentredAndPadded)
{
    EdgeRoute route = straightRoute(FlowEdgeKind::solid, FlowArrow::none, FlowArrow::none);
    route.label = QStringLiteral("one<br>two");
    route.labelPoint = Point{50, 60};
    const auto scene = sceneOf({route});
    EXPECT_EQ(elementKinds(scene), (QStringList{"path", "rect", "text:one", "text:two"}));
    const FontSpec font{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
    const auto block = TextMeasure::measureBlock(*route.label, font);
    const auto &plate = std::get<SceneRect>(scene.elements[1]);
    EXPECT_EQ(plate.rect, (Rect{{50 - block.size.width / 2 - 4, 60 - block.size.height / 2 - 2},
                                {block.size.width + 8, block.size.height + 4}}));
    EXPECT_EQ(plate.cornerRadius, 3);
    EXPECT_EQ(plate.style.fill, colors.edgeLabelBackground);
    EXPECT_EQ(plate.style.stroke, std::nullopt);
    const auto &second = std::get<SceneText>(scene.elements[3]);
    EXPECT_DOUBLE_EQ(second.origin.y,
                     60 - block.lineHeight + block.firstBaseline + block.lineHeight);
    EXPECT_EQ(second.anchor, TextAnchor::middle);
    EXPECT_EQ(second.color, colors.edgeLabelColor);
}

TEST(FlowchartRenderer, EmptyLabelDrawsNoPlate)
{
    EdgeRoute route = straightRoute(FlowEdgeKind::solid, FlowArrow::none, FlowArrow::none);
    route.label = QString();
    route.labelPoint = Point{50, 60};
    EXPECT_EQ(elementKinds(sceneOf({route})), QStringList{"path"});
}

struct ShapeCase
{
    const char *node;
    QStringList kinds;
};

TEST(FlowchartRenderer, ShapesAreDrawnWithTheirElements)
{
    const ShapeCase cases[] = {
        {"A[x]", {"rect", "text:x"}},
        {"A(x)", {"rect", "text:x"}},
        {"A([x])", {"rect", "text:x"}},
        {"A[[x]]", {"rect", "path", "path", "text:x"}},
        {"A[(x)]", {"path", "path", "text:x"}},
        {"A((x))", {"path", "text:x"}},
        {"A(((x)))", {"path", "path", "text:x"}},
        {"A{x}", {"path", "text:x"}},
        {"A{{x}}", {"path", "text:x"}},
        {"A[/x/]", {"path", "text:x"}},
        {"A[\\x\\]", {"path", "text:x"}},
        {"A[/x\\]", {"path", "text:x"}},
        {"A[\\x/]", {"path", "text:x"}},
        {"A>x]", {"path", "text:x"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.node);
        const auto geometry = FlowchartLayout::layout(parsed(QStringLiteral("graph\n") + c.node));
        const auto scene = FlowchartRenderer::render(geometry, MermaidTheme::default_);
        EXPECT_EQ(elementKinds(scene), c.kinds);
        // The outline comes first, filled with the node colours.
        const auto &first = scene.elements.front();
        const ShapeStyle_ style = std::holds_alternative<SceneRect>(first)
                                      ? std::get<SceneRect>(first).style
                                      : std::get<ScenePath>(first).style;
        EXPECT_EQ(style.fill, colors.nodeFill);
        EXPECT_EQ(style.stroke, colors.nodeBorder);
    }
}

TEST(FlowchartRenderer, CornerRadiiOfTheRectangularShapes)
{
    const auto geometry
        = FlowchartLayout::layout(parsed(QStringLiteral("graph\nA[x]\nB(x)\nC([x])")));
    const auto scene = FlowchartRenderer::render(geometry, MermaidTheme::default_);
    ASSERT_EQ(scene.elements.size(), 6);
    EXPECT_EQ(std::get<SceneRect>(scene.elements[0]).cornerRadius, 0);
    EXPECT_EQ(std::get<SceneRect>(scene.elements[2]).cornerRadius, 6);
    const auto &stadium = std::get<SceneRect>(scene.elements[4]);
    EXPECT_EQ(stadium.cornerRadius, stadium.rect.height() / 2);
}

TEST(FlowchartRenderer, SubgraphsThenEdgesThenNodes)
{
    const auto geometry = FlowchartLayout::layout(parsed(QStringLiteral(
        "graph\nsubgraph inner_first [Inner]\nA\nend\n"
        "subgraph outer\nsubgraph inner_first\nend\nsubgraph plain\nB\nend\nend\nA --> B")));
    // inner_first is declared first but nested later: it is drawn after its parent.
    ASSERT_EQ(geometry.subgraphs.size(), 3);
    const auto scene = FlowchartRenderer::render(geometry, MermaidTheme::dark);
    EXPECT_EQ(elementKinds(scene),
              (QStringList{"rect", "text:outer", "rect", "text:Inner", "rect", "text:plain", "path",
                           "path", "rect", "text:A", "rect", "text:B"}));
    const auto &box = std::get<SceneRect>(scene.elements[0]);
    const auto &dark = palette(MermaidTheme::dark);
    EXPECT_EQ(box.cornerRadius, 6);
    EXPECT_EQ(box.style.fill, dark.clusterFill);
    EXPECT_EQ(box.style.stroke, dark.clusterBorder);
    EXPECT_EQ(scene.backgroundColor, dark.background);
    const auto &title = std::get<SceneText>(scene.elements[1]);
    EXPECT_EQ(title.font.weight, FontSpec::Weight::bold);
    EXPECT_EQ(title.origin.x, box.rect.midX());
}

TEST(FlowchartRenderer, UntitledSubgraphDrawsOnlyItsBox)
{
    const auto geometry
        = FlowchartLayout::layout(parsed(QStringLiteral("graph\nsubgraph\nA\nend")));
    const auto scene = FlowchartRenderer::render(geometry, MermaidTheme::default_);
    EXPECT_EQ(elementKinds(scene), (QStringList{"rect", "rect", "text:A"}));
}

TEST(FlowchartRenderer, HeaderOnlyChartIsAnEmptyScene)
{
    const auto scene
        = Mermaid::render(QStringLiteral("flowchart LR"), false, LayoutBackend::builtin);
    ASSERT_TRUE(scene.has_value());
    EXPECT_TRUE(scene->elements.empty());
    EXPECT_EQ(scene->size, (Size{32, 32}));
}

TEST(FlowchartRenderer, EntryDrawsFlowchartsWithEitherBackend)
{
    const QString source = QStringLiteral("graph LR\nA --> B");
    const auto builtin = Mermaid::render(source, false, LayoutBackend::builtin);
    const auto layered = Mermaid::render(source, true, LayoutBackend::dagre);
    ASSERT_TRUE(builtin.has_value());
    ASSERT_TRUE(layered.has_value());
    EXPECT_EQ(elementKinds(*builtin),
              (QStringList{"path", "path", "rect", "text:A", "rect", "text:B"}));
    EXPECT_EQ(layered->backgroundColor, palette(MermaidTheme::dark).background);
}

} // namespace

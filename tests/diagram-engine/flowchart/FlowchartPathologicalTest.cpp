// Inputs built to break a naive reader: deep nesting, long runs of openers, huge chains. Each
// must come back as a scene or an error without overflowing the stack; ctest's TIMEOUT catches
// a hang.

#include "FlowchartTestSupport.h"
#include "flowchart/FlowchartLayout.h"
#include "flowchart/FlowchartParser.h"

#include <Mermaid/Mermaid.h>
#include <Mermaid/SvgWriter.h>

#include <functional>
#include <gtest/gtest.h>
#include <ostream>

using namespace Mermaid;

namespace {

QString repeated(const QString &piece, int count)
{
    QString text;
    text.reserve(piece.size() * count);
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

QString chainOnOneLine(int count)
{
    QString text = QStringLiteral("graph TD\nn0");
    for (int i = 1; i < count; ++i)
        text += QStringLiteral(" --> n") + QString::number(i);
    return text;
}

QString chainOnLines(int count, const QString &extra = {})
{
    QString text = QStringLiteral("graph LR\n");
    for (int i = 1; i < count; ++i)
        text += QStringLiteral("n%1 --> n%2\n").arg(i - 1).arg(i);
    return text + extra;
}

QString nestedSubgraphs(int depth)
{
    QString text = QStringLiteral("graph TD\n");
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("subgraph s%1 [Level %1]\n").arg(i);
    text += QStringLiteral("A --> B\n");
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("end\n");
    return text;
}

// Every subgraph reopened inside its own innermost descendant.
QString reopenedInsideDescendants(int depth)
{
    QString text = nestedSubgraphs(depth);
    text += QStringLiteral("subgraph s%1\n").arg(depth - 1);
    for (int i = 0; i < depth; ++i)
        text += QStringLiteral("subgraph s%1\nend\n").arg(i);
    return text + QStringLiteral("end\n");
}

struct PathologicalCase
{
    const char *name;
    std::function<QString()> source;
    /// Empty: the source parses; otherwise the error's description.
    const char *error = "";
};

// Read by the parser alone: a reader that rescans from every position would not finish.
const PathologicalCase parserCases[] = {
    {"100,000 stray ends", [] { return QStringLiteral("graph\n") + repeated("end\n", 100000); }},
    {"100,000 opening brackets", [] { return QStringLiteral("graph\nA") + repeated("[", 100000); }},
    {"100,000 opening parentheses",
     [] { return QStringLiteral("graph\nA") + repeated("(", 100000); }},
    {"100,000 unclosed cylinders in one group",
     [] { return QStringLiteral("graph\nA") + repeated(" & A[(x", 100000); }},
    {"100,000 unclosed slanted shapes in one group",
     [] { return QStringLiteral("graph\nA") + repeated(" & A[/x", 100000); }},
    {"100,000 unterminated quotes in shapes",
     [] { return QStringLiteral("graph\nA") + repeated(" & A[\"x", 100000); }},
    {"100,000 references in one group",
     [] { return QStringLiteral("graph\nA") + repeated(" & A", 100000) + " --> B"; }},
    {"100,000 semicolons", [] { return QStringLiteral("graph") + repeated(";", 100000); }},
    {"100,000 inline label halves",
     [] { return QStringLiteral("graph\nA") + repeated(" -- x", 100000); }},
    {"100,000 pipes", [] { return QStringLiteral("graph\nA -->") + repeated("|", 100000) + "B"; },
     "Parse error (line 2): Edge has no destination"},
    {"100,000 open links", [] { return QStringLiteral("graph\nA") + repeated(" --- B", 100000); }},
    {"100,000 colons", [] { return QStringLiteral("graph\nA") + repeated(":::", 100000); }},
    {"10,000 subgraphs reopened inside their descendants",
     [] { return reopenedInsideDescendants(10000); }},
};

TEST(FlowchartPathological, ParserReadsHugeRunsInLinearTime)
{
    for (const auto &c : parserCases) {
        SCOPED_TRACE(c.name);
        const auto chart = FlowchartParser::parse(c.source());
        if (*c.error) {
            ASSERT_FALSE(chart.has_value());
            EXPECT_EQ(chart.error().description().toStdString(), c.error);
            continue;
        }
        ASSERT_TRUE(chart.has_value()) << chart.error().description().toStdString();
    }
}

// Parsed, laid out and drawn; one test each, so that each has the whole timeout.
struct RenderCase
{
    const char *name; // a test name
    std::function<QString()> source;
};

const RenderCase renderCases[] = {
    {"ChainOf100000NodesInOneStatement", [] { return chainOnOneLine(100000); }},
    {"ChainOf100000NodesOneEdgeALine", [] { return chainOnLines(100000); }},
    {"CycleClosingA100000NodeChain",
     [] { return chainOnLines(100000, QStringLiteral("n99999 --> n0\n")); }},
    {"SubgraphsNested10000Deep", [] { return nestedSubgraphs(10000); }},
    {"OperatorOf100000Dashes",
     [] { return QStringLiteral("graph\nA ") + repeated("-", 100000) + "> B"; }},
    {"TenThousandLabelledSelfLoops",
     [] { return QStringLiteral("graph\n") + repeated("A -->|loop| A\n", 10000); }},
};

void PrintTo(const RenderCase &c, std::ostream *os) { *os << c.name; }

class FlowchartPathologicalRender : public testing::TestWithParam<RenderCase>
{
};

TEST_P(FlowchartPathologicalRender, RendersWithoutExhaustingTheStack)
{
    const auto scene = Mermaid::render(GetParam().source(), false, LayoutBackend::builtin);
    ASSERT_TRUE(scene.has_value()) << scene.error().description().toStdString();
    EXPECT_GT(scene->size.width, 0);
    EXPECT_FALSE(scene->elements.empty());
}

INSTANTIATE_TEST_SUITE_P(Huge, FlowchartPathologicalRender, testing::ValuesIn(renderCases),
                         [](const testing::TestParamInfo<RenderCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(FlowchartPathological, NestedSubgraphsWriteSvg)
{
    const auto scene = Mermaid::render(nestedSubgraphs(1000), false, LayoutBackend::builtin);
    ASSERT_TRUE(scene.has_value());
    EXPECT_EQ(svgString(*scene).count(QStringLiteral("<rect")), 1000 + 2 + 1);
}

TEST(FlowchartPathological, DeepNestingKeepsEveryLevel)
{
    const auto chart = FlowchartTestSupport::parsed(nestedSubgraphs(10000));
    ASSERT_EQ(chart.subgraphOrder.size(), 10000);
    EXPECT_EQ(chart.nodes["A"].subgraphID, QStringLiteral("s9999"));
    const auto geometry = FlowchartLayout::layout(chart);
    ASSERT_EQ(geometry.subgraphs.size(), 10000);
    EXPECT_EQ(geometry.subgraphs.back().depth, 9999);
    // Every level encloses the node rects with the same padding.
    EXPECT_EQ(geometry.subgraphs.front().rect.minX(), geometry.subgraphs.back().rect.minX());
}

TEST(FlowchartPathological, LongEdgesBeyondTheBudgetAreDrawnStraight)
{
    QString text = chainOnLines(2000);
    for (int i = 0; i < 300; ++i)
        text += QStringLiteral("n0 --> n1999\n");
    const auto ranking = FlowchartLayout::rank(FlowchartTestSupport::parsed(text));
    EXPECT_LE(ranking.virtualNodes.size(), FlowchartLayout::maxVirtualNodes);
    EXPECT_EQ(ranking.edges.back().chain, (QList<QString>{"n0", "n1999"}));
    EXPECT_EQ(ranking.edges[1999].chain.size(), 2000); // the first long edge still bends
}

} // namespace

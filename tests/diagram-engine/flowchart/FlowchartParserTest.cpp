#include "flowchart/FlowchartParser.h"

#include "FlowchartTestSupport.h"
#include "flowchart/LexicalHelpers.h"

#include <gtest/gtest.h>

using namespace Mermaid;
using namespace FlowchartTestSupport;

namespace {

struct EdgeCase
{
    const char *body; // statements after a "flowchart TD" header line
    const char *edges;
};

const EdgeCase edgeCases[] = {
    {"A --> B", "A->B solid none/arrow 1"},
    // "-" belongs to identifiers: A-- is one node and ">B" starts nothing.
    {"A-->B", ""},
    {"A[a]-->B[b]", "A->B solid none/arrow 1"},
    {"A -- text --> B", "A->B solid none/arrow 1 'text'"},
    {"A -->|text| B", "A->B solid none/arrow 1 'text'"},
    {"A -->|| B", "A->B solid none/arrow 1 ''"},
    {"A -->| spaced |B", "A->B solid none/arrow 1 'spaced'"},
    {"A --- B", "A->B solid none/none 1"},
    {"A -- B", "A->B solid none/none 1"},
    {"A ---|open| B", "A->B solid none/none 1 'open'"},
    {"A === B", ""},
    {"A -.- B", ""},
    {"A ==> B", "A->B thick none/arrow 1"},
    {"A == heavy ==> B", "A->B thick none/arrow 1 'heavy'"},
    {"A -.-> B", "A->B dotted none/arrow 1"},
    {"A -. text .-> B", ""},
    {"A -. text -.-> B", "A->B dotted none/arrow 1 'text'"},
    {"A -- a-b=c --> B", "A->B solid none/arrow 1 'a-b=c'"},
    {"A <--> B", "A->B solid arrow/arrow 1"},
    {"A <-- both --> B", "A->B solid arrow/arrow 1 'both'"},
    {"A <-- B", ""},
    {"A --o B", "A->B solid none/circle 1"},
    {"A --x B", "A->B solid none/cross 1"},
    {"A ---other", "A->ther solid none/circle 2"},
    {"A ---> B", "A->B solid none/arrow 2"},
    {"A ----> B", "A->B solid none/arrow 3"},
    {"A ---- B", "A->B solid none/none 2"},
    {"A -..-> B", "A->B dotted none/arrow 2"},
    {"A -- x ----> B", "A->B solid none/arrow 3 'x'"},
    {"A - B", ""},
    {"A & B --> C & D",
     "A->C solid none/arrow 1; A->D solid none/arrow 1; B->C solid none/arrow 1; "
     "B->D solid none/arrow 1"},
    {"A & --> B", ""}, // the group ends after A; "&" starts no operator
    {"A --> B --> C", "A->B solid none/arrow 1; B->C solid none/arrow 1"},
    {"A --> B C", "A->B solid none/arrow 1"},
    {"A:::warm --> B:::cold", "A->B solid none/arrow 1"},
    {"A --> B:::x & C", "A->B solid none/arrow 1; A->C solid none/arrow 1"},
    {"A --> B %% a comment --> C", "A->B solid none/arrow 1"},
    {"A --> B%%x --> C", "A->B solid none/arrow 1"},
    {"A --> B; B --> C", "A->B solid none/arrow 1; B->C solid none/arrow 1"},
    {"1A --> B", ""},
    {"style A fill:#f9f\nclassDef x fill:#fff\nclass A x\nclick A call\nlinkStyle 0 x", ""},
    {"accTitle: A --> B", ""},
    {"A(((x))) --> B{y} -.->|z| C>w]", "A->B solid none/arrow 1; B->C dotted none/arrow 1 'z'"},
};

TEST(FlowchartParser, ReadsOperatorsLabelsAndGroups)
{
    for (const auto &c : edgeCases) {
        SCOPED_TRACE(c.body);
        const auto result = FlowchartParser::parse(QStringLiteral("flowchart TD\n") + c.body);
        ASSERT_TRUE(result.has_value()) << result.error().description().toStdString();
        EXPECT_EQ(describeEdges(*result).toStdString(), c.edges);
    }
}

struct NodeCase
{
    const char *body;
    const char *nodes;
};

const NodeCase nodeCases[] = {
    {"A[t]", "A rect 't'"},
    {"A(t)", "A roundRect 't'"},
    {"A([t])", "A stadium 't'"},
    {"A[[t]]", "A subroutine 't'"},
    {"A[(t)]", "A cylinder 't'"},
    {"A((t))", "A circle 't'"},
    {"A(((t)))", "A doubleCircle 't'"},
    {"A{t}", "A rhombus 't'"},
    {"A{{t}}", "A hexagon 't'"},
    {"A[/t/]", "A parallelogramFwd 't'"},
    {"A[\\t\\]", "A parallelogramBack 't'"},
    {"A[/t\\]", "A trapezoid 't'"},
    {"A[\\t/]", "A trapezoidInv 't'"},
    {"A>t]", "A asymmetric 't'"},
    {"A[\"a ] b\"]", "A rect 'a ] b'"},
    {"A[ spaced out ]", "A rect 'spaced out'"},
    {"A[]", "A rect ''"},
    {"A((x)", "A rect 'A'"},     // the doubled opening decides; its closing is missing
    {"A[/path]", "A rect 'A'"},  // a slanted opening without a slanted closing
    {"A[\"open]", "A rect 'A'"}, // an unterminated quote hides the closing bracket
    {"A[Hello]\nA(World)", "A rect 'Hello'"},
    {"A(A)\nA[Hi]", "A roundRect 'Hi'"},
    {"A\nA[Hi]", "A rect 'Hi'"},
    {"A[x;y] --> B[\"p;q\"]", "A rect 'x;y'; B rect 'p;q'"},
    {"accTitle: hello", "accTitle rect 'accTitle'"},
    {"Ünïcødé --> 名前", "Ünïcødé rect 'Ünïcødé'; 名前 rect '名前'"},
    {"A.b-c_d", "A.b-c_d rect 'A.b-c_d'"},
};

TEST(FlowchartParser, ReadsNodeShapesAndFirstDefinitionWins)
{
    for (const auto &c : nodeCases) {
        SCOPED_TRACE(c.body);
        const auto result
            = FlowchartParser::parse(QStringLiteral("graph\n") + QString::fromUtf8(c.body));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(describeNodes(*result).toStdString(), c.nodes);
    }
}

struct ErrorCase
{
    const char *source;
    const char *description;
};

const ErrorCase errorCases[] = {
    {"", "Parse error: Empty flowchart source"},
    {"  \n\t\n", "Parse error: Empty flowchart source"},
    {";;", "Parse error: Empty flowchart source"},
    {"123 graph", "Parse error (line 1): Expected `flowchart` or `graph`"},
    {"\n\nSequenceDiagram",
     "Parse error (line 3): Expected `flowchart` or `graph`, got `sequencediagram`"},
    {"graph-TD", "Parse error (line 1): Expected `flowchart` or `graph`, got `graph-td`"},
    {"graph TD\nA --> B\nA -->", "Parse error (line 3): Edge has no destination"},
    {"graph TD\n\nA -->|unclosed B", "Parse error (line 3): Edge has no destination"},
    {"graph TD; A --> B; C -- x --> ;", "Parse error (line 1): Edge has no destination"},
    {"graph\nA --> 1", "Parse error (line 2): Edge has no destination"},
    {"graph\nA --> B\nC -->\nD -->", "Parse error (line 3): Edge has no destination"},
};

TEST(FlowchartParser, FailsWithMessageAndLine)
{
    for (const auto &c : errorCases) {
        SCOPED_TRACE(c.source);
        const auto result = FlowchartParser::parse(QString::fromUtf8(c.source));
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().description().toStdString(), c.description);
    }
}

struct DirectionCase
{
    const char *source;
    FlowDirection direction;
};

const DirectionCase directionCases[] = {
    {"graph", FlowDirection::TB},
    {"graph TD", FlowDirection::TB},
    {"graph LR", FlowDirection::LR},
    {"flowchart rl", FlowDirection::RL},
    {"flowchart-elk BT", FlowDirection::BT},
    {"graph\ndirection LR", FlowDirection::LR},
    {"graph LR\nsubgraph S\ndirection RL\nend", FlowDirection::LR},
    {"graph\ndirection XY", FlowDirection::TB},
};

TEST(FlowchartParser, ReadsDirections)
{
    for (const auto &c : directionCases) {
        SCOPED_TRACE(c.source);
        const auto result = FlowchartParser::parse(QString::fromUtf8(c.source));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->direction, c.direction);
    }
}

TEST(FlowchartParser, HeaderWordAfterKeywordIsTakenAsDirection)
{
    // The word after the keyword is consumed even when it is not a direction.
    const auto chart = parsed(QStringLiteral("graph TD A --> B"));
    EXPECT_EQ(describeEdges(chart), QStringLiteral("A->B solid none/arrow 1"));
    const auto swallowed = parsed(QStringLiteral("flowchart A --> B"));
    EXPECT_TRUE(swallowed.edges.isEmpty());
    EXPECT_TRUE(swallowed.nodeOrder.isEmpty());
}

TEST(FlowchartParser, OpensNamesAndTitlesSubgraphs)
{
    const auto chart = parsed(QStringLiteral("graph\n"
                                             "subgraph \"Quoted title\"\nA\nend\n"
                                             "subgraph one\nB\nend\n"
                                             "subgraph two [Bracket title]\nend\n"
                                             "subgraph three \"Third\"\nend\n"
                                             "subgraph four[unterminated\nend\n"
                                             "subgraph\nC\nend"));
    EXPECT_EQ(chart.subgraphOrder,
              (QList<QString>{"__subgraph1", "one", "two", "three", "four", "__subgraph2"}));
    EXPECT_EQ(chart.subgraphs["__subgraph1"].title, QStringLiteral("Quoted title"));
    EXPECT_EQ(chart.subgraphs["one"].title, QStringLiteral("one"));
    EXPECT_EQ(chart.subgraphs["two"].title, QStringLiteral("Bracket title"));
    EXPECT_EQ(chart.subgraphs["three"].title, QStringLiteral("Third"));
    EXPECT_EQ(chart.subgraphs["four"].title, QString());
    EXPECT_EQ(chart.subgraphs["__subgraph2"].title, std::nullopt);
    EXPECT_EQ(describeNodes(chart),
              QStringLiteral("A rect 'A'@__subgraph1; B rect 'B'@one; C rect 'C'@__subgraph2"));
}

TEST(FlowchartParser, NestsReopensAndOwnsNodes)
{
    const auto chart = parsed(QStringLiteral("graph\n"
                                             "X\n"
                                             "subgraph outer\n"
                                             "  subgraph inner\n    A --> X\n  end\n"
                                             "  B\n  direction RL\n"
                                             "END\n"
                                             "subgraph other\nA\nend\n"
                                             "subgraph outer\nC\nend\n"
                                             "D"));
    EXPECT_EQ(describeNodes(chart), QStringLiteral("X rect 'X'@inner; A rect 'A'@inner; "
                                                   "B rect 'B'@outer; C rect 'C'@outer; "
                                                   "D rect 'D'"));
    const auto &outer = chart.subgraphs["outer"];
    const auto &inner = chart.subgraphs["inner"];
    EXPECT_EQ(outer.childSubgraphIDs, QList<QString>{"inner"});
    EXPECT_EQ(outer.parentID, std::nullopt);
    EXPECT_EQ(outer.direction, FlowDirection::RL);
    EXPECT_EQ(inner.parentID, QStringLiteral("outer"));
    EXPECT_EQ(inner.direction, std::nullopt);
    EXPECT_TRUE(chart.subgraphs["other"].nodeIDs.isEmpty());
    EXPECT_EQ(outer.nodeIDs, (QList<QString>{"B", "C"}));
    EXPECT_EQ(chart.direction, FlowDirection::TB);
}

TEST(FlowchartParser, UnclosedAndStrayEndsChangeNoLinks)
{
    const auto chart = parsed(QStringLiteral("graph\nend\nsubgraph O\nsubgraph I\nA"));
    // I knows O as the subgraph open when it was created, but O never lists I: it was never
    // closed inside O.
    EXPECT_EQ(chart.subgraphs["I"].parentID, QStringLiteral("O"));
    EXPECT_TRUE(chart.subgraphs["O"].childSubgraphIDs.isEmpty());
}

TEST(FlowchartParser, ReopeningInsideADescendantMakesNoCircle)
{
    const auto chart = parsed(QStringLiteral("graph\n"
                                             "subgraph A\nsubgraph B\nend\nend\n"
                                             "subgraph B\nsubgraph A\nend\nend\n"
                                             "subgraph A\nsubgraph A\nend\nend\n"
                                             "subgraph A\nsubgraph B\nend\nend"));
    EXPECT_EQ(chart.subgraphs["A"].parentID, std::nullopt);
    EXPECT_EQ(chart.subgraphs["B"].parentID, QStringLiteral("A"));
    EXPECT_EQ(chart.subgraphs["A"].childSubgraphIDs, QList<QString>{"B"});
    EXPECT_TRUE(chart.subgraphs["B"].childSubgraphIDs.isEmpty());
}

struct SplitCase
{
    const char *line;
    QList<QString> pieces;
};

const SplitCase splitCases[] = {
    {"graph TD; A --> B; B --> C", {"graph TD", "A --> B", "B --> C"}},
    {"A[a;b]; C(x;y); D{p;q}", {"A[a;b]", "C(x;y)", "D{p;q}"}},
    {"A[\"x];y\"]; B", {"A[\"x];y\"]", "B"}},
    {"A]];B", {"A]]", "B"}}, // a stray closer leaves its depth at zero
    {" ; ;A; ", {"A"}},
    {"A[(;", {"A[(;"}},
};

TEST(FlowchartParser, SplitsAtTopLevelSemicolons)
{
    for (const auto &c : splitCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(FlowchartParser::splitTopLevel(QString::fromUtf8(c.line)), c.pieces);
    }
}

TEST(LexicalHelpers, ReadQuotedTakesEscapesAndStopsAfterTheQuote)
{
    const std::u32string text = U"\"a \\\"b\\\\\" rest";
    size_t pos = 0;
    EXPECT_EQ(Lexical::readQuoted(text, pos), U"a \"b\\");
    EXPECT_EQ(pos, 9u);
    const std::u32string open = U"\" unterminated ";
    pos = 0;
    EXPECT_EQ(Lexical::readQuoted(open, pos), U" unterminated ");
    EXPECT_EQ(pos, open.size());
}

TEST(LexicalHelpers, ReadIdentifierNeedsALetterOrUnderscoreFirst)
{
    const std::u32string text = U"_a.b-1 x";
    size_t pos = 0;
    EXPECT_EQ(Lexical::readIdentifier(text, pos), U"_a.b-1");
    EXPECT_EQ(pos, 6u);
    const std::u32string digit = U"1a";
    pos = 0;
    EXPECT_EQ(Lexical::readIdentifier(digit, pos), std::nullopt);
    EXPECT_EQ(pos, 0u);
    const std::u32string astral = U"\U0001D49Cx"; // a letter outside the BMP
    pos = 0;
    EXPECT_EQ(Lexical::readIdentifier(astral, pos), astral);
}

} // namespace

#include <Tarn/MarkdownPreprocessing.h>

#include <gtest/gtest.h>

using Tarn::FootnoteDefinition;
using Tarn::FrontMatterPair;

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

} // namespace

TEST(FrontMatter, SplitsRawPairs)
{
    struct Case
    {
        const char *name;
        const char *source;
        std::optional<std::vector<FrontMatterPair>> pairs;
        const char *body;
    };
    const Case cases[] = {
        {"quoted value keeps its colon", "---\ntitle: \"A: B\"\n---\ntext",
         std::vector<FrontMatterPair>{{q("title"), q("A: B")}}, "text"},
        {"list stays verbatim, word is a key", "---\ntags: [a, b]\n  word  \n\n---\n",
         std::vector<FrontMatterPair>{{q("tags"), q("[a, b]")}, {q("word"), q("")}}, ""},
        {"apostrophes, one pair removed, no unescaping", "---\na: ''x''\nb: '\n---\nz",
         std::vector<FrontMatterPair>{{q("a"), q("'x'")}, {q("b"), q("'")}}, "z"},
        {"duplicate keys each kept", "---\nk: 1\nk: 2\n---",
         std::vector<FrontMatterPair>{{q("k"), q("1")}, {q("k"), q("2")}}, ""},
        {"delimiters trimmed of blanks", " ---\t\nk: v\n---  \nbody\nmore",
         std::vector<FrontMatterPair>{{q("k"), q("v")}}, "body\nmore"},
        {"empty block disappears without pairs", "---\n\n---\nrest", std::nullopt, "rest"},
        {"unclosed block is ordinary text", "---\nk: v\ntext", std::nullopt, "---\nk: v\ntext"},
        {"not on the first line", "\n---\nk: v\n---\n", std::nullopt, "\n---\nk: v\n---\n"},
        {"four dashes are no delimiter", "----\nk: v\n---\n", std::nullopt, "----\nk: v\n---\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto split = Tarn::splitFrontMatter(q(c.source));
        EXPECT_EQ(split.pairs, c.pairs);
        EXPECT_EQ(split.body, q(c.body));
    }
}

TEST(FootnoteDefinitions, ExtractsWholeLineDefinitions)
{
    struct Case
    {
        const char *name;
        const char *body;
        const char *text;
        std::vector<FootnoteDefinition> definitions;
    };
    const Case cases[] = {
        {"definition removed",
         "See [^1].\n[^1]: Note.\nafter",
         "See [^1].\nafter",
         {{q("1"), q("Note.")}}},
        {"identifier with a space, trimmed", "[^ a b ]:\tText", "", {{q("a b"), q("Text")}}},
        {"inside a code block too", "```\n[^x]: y\n```", "```\n```", {{q("x"), q("y")}}},
        {"indented line is no definition", "  [^x]: y", "  [^x]: y", {}},
        {"missing colon", "[^x] y", "[^x] y", {}},
        {"empty identifier", "[^]: y", "[^]: y", {}},
        {"empty text", "[^x]:", "", {{q("x"), q("")}}},
        {"duplicates each kept",
         "[^d]: one\n[^d]: two",
         "",
         {{q("d"), q("one")}, {q("d"), q("two")}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto extraction = Tarn::extractFootnoteDefinitions(q(c.body));
        EXPECT_EQ(extraction.text, q(c.text));
        EXPECT_EQ(extraction.definitions, c.definitions);
    }
}

TEST(FootnoteReferences, FindsIdentifiersWithoutBlanks)
{
    struct Case
    {
        const char *text;
        std::vector<const char *> ids;
    };
    const Case cases[] = {
        {"a [^1] b [^note]", {"1", "note"}},
        {"[^a b] [^] [^x", {}},
        {"[^[^a]", {"[^a"}}, // leftmost match; "[" and "^" may be part of an identifier
        {"[^a][^b]", {"a", "b"}},
        {"[^caf\xC3\xA9]", {"caf\xC3\xA9"}},
        {"[^a\xC2\xA0"
         "b]",
         {}}, // a no-break space is whitespace
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = q(c.text);
        std::vector<QString> found;
        for (const auto &reference : Tarn::findFootnoteReferences(text))
            found.push_back(reference.id.toString());
        std::vector<QString> expected;
        for (const char *id : c.ids)
            expected.push_back(q(id));
        EXPECT_EQ(found, expected);
    }
}

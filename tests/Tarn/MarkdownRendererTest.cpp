#include <Tarn/MarkdownRenderer.h>

#include <gtest/gtest.h>

using namespace Tarn;
using namespace Tarn::MDBlocks;

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

std::vector<MDBlock> blocksOf(const char *markdown)
{
    return MarkdownRenderer(q(markdown)).blocks();
}

// The single block of `blocks`, which must be of kind T.
template <typename T> T only(const std::vector<MDBlock> &blocks)
{
    if (blocks.size() != 1 || !std::holds_alternative<T>(blocks.front().value)) {
        ADD_FAILURE() << "expected exactly one block of the wanted kind, got " << blocks.size();
        return T{};
    }
    return std::get<T>(blocks.front().value);
}

MDStyledText paragraphRuns(const char *markdown)
{
    return only<Paragraph>(blocksOf(markdown)).content;
}

MDRun run(const char *text, void (*style)(MDRun &) = nullptr)
{
    MDRun r;
    r.text = q(text);
    if (style)
        style(r);
    return r;
}

} // namespace

namespace Tarn {
void PrintTo(const MDRun &r, std::ostream *out)
{
    *out << '"' << r.text.toStdString() << "\" em=" << r.emphasized
         << " strong=" << r.stronglyEmphasized << " code=" << r.code
         << " strike=" << r.strikethrough << " font=" << (r.font ? r.font->size : 0)
         << " offset=" << r.baselineOffset << " underline=" << r.underline
         << " bg=" << r.codeBackground
         << " link=" << (r.link ? r.link->toString().toStdString() : "-")
         << " accent=" << r.accentForeground;
}
} // namespace Tarn

TEST(MarkdownRenderer, InlineRunsAndTags)
{
    struct Case
    {
        const char *name;
        const char *markdown;
        MDStyledText runs;
    };
    const auto bold = [](MDRun &r) { r.stronglyEmphasized = true; };
    const auto italic = [](MDRun &r) { r.emphasized = true; };
    const auto code = [](MDRun &r) {
        r.code = true;
        r.codeBackground = true;
    };
    const auto struck = [](MDRun &r) { r.strikethrough = true; };
    const auto sub = [](MDRun &r) {
        r.font = MDFont{10, MDFont::Weight::regular, false, false};
        r.baselineOffset = -3;
    };
    const auto sup = [](MDRun &r) {
        r.font = MDFont{10, MDFont::Weight::regular, false, false};
        r.baselineOffset = 4;
    };
    const auto boldSup = [](MDRun &r) {
        r.font = MDFont{10, MDFont::Weight::bold, false, false};
        r.baselineOffset = 4;
    };
    const auto footnote = [](MDRun &r) {
        r.font = MDFont{9.5, MDFont::Weight::semibold, false, false};
        r.baselineOffset = 4;
        r.accentForeground = true;
    };
    const auto link = [](MDRun &r) {
        r.link = QUrl(QStringLiteral("https://example.com/a"));
        r.underline = true;
        r.accentForeground = true;
    };
    const auto underline = [](MDRun &r) { r.underline = true; };
    const Case cases[] = {
        {"emphasis flags",
         "*a* **b** ~~c~~ `d`",
         {run("a", italic), run(" "), run("b", bold), run(" "), run("c", struck), run(" "),
          run("d", code)}},
        {"sub and sup tags",
         "H<sub>2</sub>O x<sup>2</sup>",
         {run("H"), run("2", sub), run("O x"), run("2", sup)}},
        {"sup wins over sub, bold carries into the script font",
         "<b><sub><sup>n</sup></sub></b>",
         {run("n", boldSup)}},
        {"b tag around one letter", "a<b>b</b>c", {run("a"), run("b", bold), run("c")}},
        {"closing tag clears however many opened", "<i><i>x</i>y", {run("x", italic), run("y")}},
        {"u and br tags", "<u>u</u><br>n", {run("u", underline), run("\n"), run("n")}},
        {"comment and unlisted tags give nothing",
         "a<!-- c --><span>b</span>",
         {run("a"), run("b")}},
        {"footnote reference run ignores the style",
         "**x[^n]**",
         {run("x", bold), run("n", footnote)}},
        {"link",
         "[go *on*](https://example.com/a)",
         {run("go ", link), run("on",
                                [](MDRun &r) {
                                    r.link = QUrl(QStringLiteral("https://example.com/a"));
                                    r.underline = true;
                                    r.accentForeground = true;
                                    r.emphasized = true;
                                })}},
        {"soft and hard breaks", "a\nb  \nc", {run("a"), run(" "), run("b"), run("\n"), run("c")}},
        {"image placeholder", "![alt *t*](i.png)", {run("[alt t]")}},
        {"smart punctuation", "\"a\" -- b", {run("\u201ca\u201d \u2013 b")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(paragraphRuns(c.markdown), c.runs);
    }
}

TEST(MarkdownRenderer, UnclosedTagEndsWithItsParagraph)
{
    const auto blocks = blocksOf("a <b>b\n\nc");
    ASSERT_EQ(blocks.size(), 2u);
    const auto &first = std::get<Paragraph>(blocks[0].value).content;
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(first[1].stronglyEmphasized);
    const auto &second = std::get<Paragraph>(blocks[1].value).content;
    ASSERT_EQ(second.size(), 1u);
    EXPECT_FALSE(second[0].stronglyEmphasized);

    // A paragraph holding only an unlisted tag is an empty paragraph.
    EXPECT_TRUE(only<Paragraph>(blocksOf("<span></span>")).content.empty());
}

TEST(MarkdownRenderer, BlockConversion)
{
    const auto code = blocksOf("```c\nint x;\n\n\n\n```\n\n```Mermaid\npie\n```\n\n    indented\n");
    ASSERT_EQ(code.size(), 3u);
    EXPECT_EQ(code[0], (MDBlock{CodeBlock{q("c"), q("int x;")}}));
    EXPECT_EQ(code[1], (MDBlock{MDBlocks::Mermaid{q("pie")}}));
    EXPECT_EQ(code[2], (MDBlock{CodeBlock{std::nullopt, q("indented")}}));

    EXPECT_EQ(only<CodeBlock>(blocksOf("```mermaid extra\nx\n```")).language, q("mermaid extra"));
    EXPECT_EQ(only<OrderedList>(blocksOf("7. a\n8. b")).start, 7);
    EXPECT_EQ(only<HTMLBlock>(blocksOf("<div>\n  x\n</div>\n\n")).html, q("<div>\n  x\n</div>"));
    EXPECT_EQ(only<Heading>(blocksOf("###### six")).level, 6);
    EXPECT_TRUE(std::holds_alternative<ThematicBreak>(blocksOf("***").at(0).value));

    const auto list = only<UnorderedList>(blocksOf("- [x] done\n- [ ] todo\n- plain"));
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.items[0].checkbox, std::optional<bool>(true));
    EXPECT_EQ(list.items[1].checkbox, std::optional<bool>(false));
    EXPECT_EQ(list.items[2].checkbox, std::nullopt);
    EXPECT_EQ(list.items[2].blocks, (std::vector<MDBlock>{{Paragraph{{run("plain")}}}}));

    const auto table = only<Table>(blocksOf("| h |\n|---|\n| c |"));
    ASSERT_EQ(table.head.size(), 1u);
    EXPECT_TRUE(table.head[0].at(0).stronglyEmphasized);
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_FALSE(table.rows[0][0].at(0).stronglyEmphasized);

    const auto quote = only<BlockQuote>(blocksOf("> # In\n> text"));
    EXPECT_EQ(quote.blocks.size(), 2u);
}

TEST(MarkdownRenderer, FrontMatterAndFootnotes)
{
    const auto blocks = blocksOf("---\r\ntitle: T\r\n---\r\nSee [^1].\r\n[^1]: *Note.*\r\n");
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0], (MDBlock{FrontMatter{{{q("title"), q("T")}}}}));
    EXPECT_TRUE(std::holds_alternative<Paragraph>(blocks[1].value));
    const auto &notes = std::get<Footnotes>(blocks[2].value).notes;
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].id, q("1"));
    ASSERT_EQ(notes[0].blocks.size(), 1u);

    const auto onlyNotes = only<Footnotes>(blocksOf("[^a]: one\n[^b]: two"));
    EXPECT_EQ(onlyNotes.notes.size(), 2u);
}

// Nesting comes from the user: deep documents are flattened below a fixed depth, never walked
// by unbounded recursion.
TEST(MarkdownRenderer, DeepNestingIsBounded)
{
    const std::pair<const char *, QString> cases[] = {
        {"quotes", QString(100000, u'>') + QStringLiteral(" deep text")},
        {"lists", QStringLiteral("- ").repeated(50000) + QStringLiteral("deep text")},
        {"emphasis", QStringLiteral("*a ").repeated(20000) + QStringLiteral("deep text")
                         + QStringLiteral(" a*").repeated(20000)},
    };
    for (const auto &[name, markdown] : cases) {
        SCOPED_TRACE(name);
        const auto blocks = MarkdownRenderer(markdown).blocks();
        ASSERT_FALSE(blocks.empty());
        // Walk down the first block's nesting; it must stop at the limit.
        int depth = 0;
        const std::vector<MDBlock> *level = &blocks;
        while (!level->empty()) {
            const MDBlock &first = level->front();
            if (const auto *quote = std::get_if<BlockQuote>(&first.value))
                level = &quote->blocks;
            else if (const auto *list = std::get_if<UnorderedList>(&first.value))
                level = list->items.empty() ? nullptr : &list->items.front().blocks;
            else
                break;
            if (!level)
                break;
            ++depth;
        }
        EXPECT_LE(depth, MarkdownRenderer::maxNestingDepth + 1);
    }
}

#include <Tarn/HTMLRenderer.h>

#include <gtest/gtest.h>

namespace {

QString q(const char *utf8) { return QString::fromUtf8(utf8); }

// The text between "<body>\n" and "\n</body>\n</html>".
QString bodyOf(const QString &markdown)
{
    const QString page = Tarn::makeHTMLPage(markdown, QStringLiteral("t"));
    const qsizetype start = page.indexOf(QStringLiteral("<body>\n")) + 7;
    const qsizetype end = page.lastIndexOf(QStringLiteral("\n</body>\n</html>"));
    return page.mid(start, end - start);
}

struct BodyCase
{
    const char *name;
    const char *markdown;
    const char *body;
};

void expectBodies(const BodyCase *begin, const BodyCase *end)
{
    for (const auto *c = begin; c != end; ++c) {
        SCOPED_TRACE(c->name);
        EXPECT_EQ(bodyOf(q(c->markdown)).toStdString(), c->body);
    }
}

} // namespace

TEST(HTMLPage, SkeletonByteForByte)
{
    const char *const headLines[] = {
        "<!DOCTYPE html>",
        "<html lang=\"en\">",
        "<head>",
        "<meta charset=\"UTF-8\">",
        "<title>A &lt;b&gt; &amp; \"c\"</title>",
        "<style>",
        "body { font-family: -apple-system, BlinkMacSystemFont, \"Segoe UI\", sans-serif; "
        "max-width: 800px; margin: 2em auto; padding: 0 1em; line-height: 1.5; color: #333; }",
        "h1, h2, h3, h4, h5, h6 { line-height: 1.2; color: #111; margin-top: 1.4em; "
        "margin-bottom: 0.5em; }",
        "h1 { border-bottom: 1px solid #eaecef; padding-bottom: 0.3em; }",
        "h2 { border-bottom: 1px solid #eaecef; padding-bottom: 0.3em; }",
        "code { font-family: \"Menlo\", \"SF Mono\", monospace; background: #f4f4f4; "
        "padding: 0.1em 0.3em; border-radius: 3px; font-size: 0.9em; }",
        "pre { background: #f6f8fa; padding: 1em; border-radius: 4px; overflow-x: auto; }",
        "pre code { background: none; padding: 0; font-size: 0.9em; }",
        "blockquote { border-left: 4px solid #dfe2e5; margin: 0; padding: 0 1em; color: #6a737d; }",
        "a { color: #0366d6; }",
        "table { border-collapse: collapse; margin: 1em 0; }",
        "th, td { border: 1px solid #dfe2e5; padding: 6px 12px; }",
        "th { background: #f6f8fa; }",
        "hr { border: none; border-top: 1px solid #dfe2e5; margin: 2em 0; }",
        "img { max-width: 100%; }",
        "table.frontmatter { border-collapse: collapse; margin: 0 0 1.5em 0; background: "
        "#f6f8fa; border: 1px solid #dfe2e5; border-radius: 4px; }",
        "table.frontmatter th { text-align: right; color: #6a737d; font-weight: 600; "
        "white-space: nowrap; vertical-align: top; border: none; }",
        "table.frontmatter td { border: none; }",
        "ul.has-tasks, ol.has-tasks { list-style: none; padding-left: 1.2em; }",
        "li.task-list-item input { margin: 0 0.4em 0 -1.2em; }",
        "sup.footnote-ref a { text-decoration: none; }",
        "section.footnotes { font-size: 0.9em; color: #6a737d; margin-top: 2.5em; }",
        "section.footnotes hr { margin-bottom: 1em; }",
        "section.footnotes ol { padding-left: 1.2em; }",
        "figure.mermaid-diagram { margin: 1.2em 0; text-align: center; }",
        "figure.mermaid-diagram svg { max-width: 100%; height: auto; }",
        "</style>",
        "</head>",
        "<body>",
    };
    QString expected;
    for (const char *line : headLines)
        expected += q(line) + u'\n';
    expected += q("<h1>Title</h1>\n<p>Some <em>text</em>.</p>\n</body>\n</html>");

    EXPECT_EQ(Tarn::makeHTMLPage(q("# Title\n\nSome *text*.\n"), q("A <b> & \"c\"")).toStdString(),
              expected.toStdString());
}

TEST(HTMLPage, FrontMatterAndFootnotes)
{
    const BodyCase cases[] = {
        {"only front matter", "---\na: 1\n---\n",
         "<table class=\"frontmatter\"><tr><th>a</th><td>1</td></tr></table>\n"},
        {"front matter is escaped", "---\n<k>: a & b\n---\nx",
         "<table class=\"frontmatter\"><tr><th>&lt;k&gt;</th><td>a &amp; b</td></tr></table>\n"
         "<p>x</p>"},
        {"unclosed front matter is a thematic break", "---\nk: v", "<hr>\n<p>k: v</p>"},
        {"reference and definition", "See [^1].\n\n[^1]: Note.",
         "<p>See <sup class=\"footnote-ref\"><a href=\"#fn-1\">1</a></sup>.</p>\n"
         "<section class=\"footnotes\"><hr><ol><li id=\"fn-1\"><p>Note.</p></li></ol></section>"},
        {"reference without definition, id escaped", "x [^a<&]",
         "<p>x <sup class=\"footnote-ref\"><a href=\"#fn-a&lt;&amp;\">a&lt;&amp;</a></sup></p>"},
        {"identifier with a space is no reference, definition still extracted",
         "[^a b] here\n[^a b]: *def*",
         "<p>[^a b] here</p>\n<section class=\"footnotes\"><hr><ol><li id=\"fn-a "
         "b\"><p><em>def</em>"
         "</p></li></ol></section>"},
        {"references in code stay literal", "`[^1]`\n\n    [^2]",
         "<p><code>[^1]</code></p>\n<pre><code>[^2]\n</code></pre>"},
    };
    expectBodies(std::begin(cases), std::end(cases));
}

TEST(HTMLPage, BlocksAndLists)
{
    const BodyCase cases[] = {
        {"headings clamp and separate blocks", "# a\n###### b\n\n---",
         "<h1>a</h1>\n<h6>b</h6>\n<hr>"},
        {"tight items lose the paragraph", "- a\n- b", "<ul>\n<li>a</li>\n<li>b</li>\n</ul>"},
        {"loose items keep paragraphs", "- a\n\n  b\n- c",
         "<ul>\n<li><p>a</p><p>b</p></li>\n<li>c</li>\n</ul>"},
        {"nested list follows directly", "- a\n  - b",
         "<ul>\n<li><p>a</p><ul>\n<li>b</li>\n</ul></li>\n</ul>"},
        {"ordered list has no start attribute", "3. x\n4. y",
         "<ol>\n<li>x</li>\n<li>y</li>\n</ol>"},
        {"task items", "- [ ] a\n- [X] b\n- c",
         "<ul class=\"has-tasks\">\n"
         "<li class=\"task-list-item\"><input type=\"checkbox\" disabled> a</li>\n"
         "<li class=\"task-list-item\"><input type=\"checkbox\" checked disabled> b</li>\n"
         "<li>c</li>\n</ul>"},
        {"ordered task list", "1. [x] done",
         "<ol class=\"has-tasks\">\n<li class=\"task-list-item\">"
         "<input type=\"checkbox\" checked disabled> done</li>\n</ol>"},
        {"block quote", "> a\n> b", "<blockquote><p>a\nb</p></blockquote>"},
        {"table with header and body", "| a | b |\n|---|--:|\n| 1 | *2* |\n| 3 | 4 |",
         "<table><thead><tr><th>a</th><th>b</th></tr></thead><tbody><tr><td>1</td><td><em>2</em>"
         "</td></tr><tr><td>3</td><td>4</td></tr></tbody></table>"},
        {"table without body rows", "| a |\n|---|",
         "<table><thead><tr><th>a</th></tr></thead></table>"},
        {"raw HTML block passes through", "<div class=\"x\">\n<b>hi</b>\n</div>\n\nafter",
         "<div class=\"x\">\n<b>hi</b>\n</div>\n\n<p>after</p>"},
        {"inline HTML passes through", "a <kbd>b</kbd> <!-- c -->",
         "<p>a <kbd>b</kbd> <!-- c --></p>"},
        {"CRLF input", "# T\r\n\r\nline one\r\nline two\r\n",
         "<h1>T</h1>\n<p>line one\nline two</p>"},
        {"lone CR stays", "a\rb", "<p>a\nb</p>"},
    };
    expectBodies(std::begin(cases), std::end(cases));
}

TEST(HTMLPage, InlinesLinksAndImages)
{
    const BodyCase cases[] = {
        {"emphasis, strong, strikethrough, code", "*a* **b** ~~c~~ `<d>`",
         "<p><em>a</em> <strong>b</strong> <del>c</del> <code>&lt;d&gt;</code></p>"},
        {"smart punctuation", "\"q\" 'a' -- --- ...",
         "<p>\u201cq\u201d \u2018a\u2019 \u2013 \u2014 \u2026</p>"},
        {"text escapes but leaves quotes", "a < b & \"c\" > d",
         "<p>a &lt; b &amp; \u201cc\u201d &gt; d</p>"},
        {"link title dropped, destination escaped", "[x](http://a.b/?q=1&r=\"2\" \"T\")",
         "<p><a href=\"http://a.b/?q=1&amp;r=&quot;2&quot;\">x</a></p>"},
        {"empty destination", "[x]()", "<p><a href=\"\">x</a></p>"},
        {"image alt is plain text", "![a *b* `c`](i.png \"t\")",
         "<p><img src=\"i.png\" alt=\"a b c\"></p>"},
        {"hard and soft breaks", "a  \nb\nc", "<p>a<br>b\nc</p>"},
        {"no autolinks", "www.example.com", "<p>www.example.com</p>"},
    };
    expectBodies(std::begin(cases), std::end(cases));
}

TEST(HTMLPage, CodeBlocksAndLanguages)
{
    const BodyCase cases[] = {
        {"fenced with language", "```c++\na<b\n```",
         "<pre><code class=\"language-c++\">a&lt;b\n</code></pre>"},
        {"whole info string, escaped with text rules", "```a \"b\" <c>\nx\n```",
         "<pre><code class=\"language-a \"b\" &lt;c&gt;\">x\n</code></pre>"},
        {"no language", "```\nx\n```", "<pre><code>x\n</code></pre>"},
        {"indented", "    x", "<pre><code>x\n</code></pre>"},
        {"mermaid followed by a word is code", "```mermaid extra\npie\n```",
         "<pre><code class=\"language-mermaid extra\">pie\n</code></pre>"},
    };
    expectBodies(std::begin(cases), std::end(cases));
}

TEST(HTMLPage, MermaidBlocksBecomeFiguresOrDegradeToCode)
{
    const QString figure = bodyOf(q("```MerMaid\npie\n  \"a\" : 1\n```"));
    EXPECT_TRUE(figure.startsWith(q("<figure class=\"mermaid-diagram\"><svg ")))
        << figure.toStdString();
    EXPECT_TRUE(figure.endsWith(q("</svg>\n</figure>")));

    const BodyCase failures[] = {
        {"unknown diagram keeps the language as written", "```Mermaid\nnot a diagram\n```",
         "<pre><code class=\"language-Mermaid\">not a diagram\n</code></pre>"},
        {"empty diagram", "```mermaid\n```", "<pre><code class=\"language-mermaid\"></code></pre>"},
    };
    expectBodies(std::begin(failures), std::end(failures));
}

// Inputs that once made renderers slow, deep or crash; each must give a page promptly.
TEST(HTMLPage, PathologicalInputsGiveAPage)
{
    struct Case
    {
        const char *name;
        QString markdown;
    };
    const Case cases[] = {
        {"deeply nested quotes", QString(50000, u'>') + u'x'},
        {"deeply nested lists",
         [] {
             QString s;
             for (int i = 0; i < 5000; ++i)
                 s += QString(i * 2, u' ') + QStringLiteral("- a\n");
             return s;
         }()},
        {"long run of openers", QString(100000, u'[') + QString(100000, u'*')},
        {"enormous table",
         [] {
             QString s = QStringLiteral("|a|b|\n|-|-|\n");
             for (int i = 0; i < 20000; ++i)
                 s += QStringLiteral("|x|y|\n");
             return s;
         }()},
        {"NUL and replacement characters", QStringView(u"a\0b\uFFFD", 4).toString()},
        {"lone surrogates", QString(QChar(0xD800)) + u'x' + QChar(0xDC00)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString page = Tarn::makeHTMLPage(c.markdown, QStringLiteral("p"));
        EXPECT_TRUE(page.endsWith(QStringLiteral("\n</body>\n</html>")));
    }
}

TEST(HTMLEscaping, EntitiesInOrder)
{
    EXPECT_EQ(Tarn::escapeHTML(q("&lt; <a href=\"x\">'")), q("&amp;lt; &lt;a href=\"x\"&gt;'"));
    EXPECT_EQ(Tarn::escapeAttribute(q("\"&'")), q("&quot;&amp;'"));
}

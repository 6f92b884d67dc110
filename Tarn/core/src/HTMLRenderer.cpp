#include <Mermaid/Mermaid.h>
#include <Mermaid/SvgWriter.h>
#include <Tarn/HTMLRenderer.h>
#include <Tarn/MarkdownParser.h>
#include <Tarn/MarkdownPreprocessing.h>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace Tarn {

namespace {

constexpr std::string_view headTail
    = "</title>\n"
      "<style>\n"
      "body { font-family: -apple-system, BlinkMacSystemFont, \"Segoe UI\", sans-serif; "
      "max-width: 800px; margin: 2em auto; padding: 0 1em; line-height: 1.5; color: #333; }\n"
      "h1, h2, h3, h4, h5, h6 { line-height: 1.2; color: #111; margin-top: 1.4em; "
      "margin-bottom: 0.5em; }\n"
      "h1 { border-bottom: 1px solid #eaecef; padding-bottom: 0.3em; }\n"
      "h2 { border-bottom: 1px solid #eaecef; padding-bottom: 0.3em; }\n"
      "code { font-family: \"Menlo\", \"SF Mono\", monospace; background: #f4f4f4; "
      "padding: 0.1em 0.3em; border-radius: 3px; font-size: 0.9em; }\n"
      "pre { background: #f6f8fa; padding: 1em; border-radius: 4px; overflow-x: auto; }\n"
      "pre code { background: none; padding: 0; font-size: 0.9em; }\n"
      "blockquote { border-left: 4px solid #dfe2e5; margin: 0; padding: 0 1em; "
      "color: #6a737d; }\n"
      "a { color: #0366d6; }\n"
      "table { border-collapse: collapse; margin: 1em 0; }\n"
      "th, td { border: 1px solid #dfe2e5; padding: 6px 12px; }\n"
      "th { background: #f6f8fa; }\n"
      "hr { border: none; border-top: 1px solid #dfe2e5; margin: 2em 0; }\n"
      "img { max-width: 100%; }\n"
      "table.frontmatter { border-collapse: collapse; margin: 0 0 1.5em 0; "
      "background: #f6f8fa; border: 1px solid #dfe2e5; border-radius: 4px; }\n"
      "table.frontmatter th { text-align: right; color: #6a737d; font-weight: 600; "
      "white-space: nowrap; vertical-align: top; border: none; }\n"
      "table.frontmatter td { border: none; }\n"
      "ul.has-tasks, ol.has-tasks { list-style: none; padding-left: 1.2em; }\n"
      "li.task-list-item input { margin: 0 0.4em 0 -1.2em; }\n"
      "sup.footnote-ref a { text-decoration: none; }\n"
      "section.footnotes { font-size: 0.9em; color: #6a737d; margin-top: 2.5em; }\n"
      "section.footnotes hr { margin-bottom: 1em; }\n"
      "section.footnotes ol { padding-left: 1.2em; }\n"
      "figure.mermaid-diagram { margin: 1.2em 0; text-align: center; }\n"
      "figure.mermaid-diagram svg { max-width: 100%; height: auto; }\n"
      "</style>\n"
      "</head>\n"
      "<body>\n";

// Escaping on UTF-8 bytes: the characters replaced are all ASCII.
void appendEscaped(QByteArray &out, std::string_view text, bool attribute)
{
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char *entity = nullptr;
        switch (text[i]) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '"':
            entity = attribute ? "&quot;" : nullptr;
            break;
        default:
            break;
        }
        if (!entity)
            continue;
        out.append(text.data() + runStart, qsizetype(i - runStart));
        out.append(entity);
        runStart = i + 1;
    }
    out.append(text.data() + runStart, qsizetype(text.size() - runStart));
}

void appendEscaped(QByteArray &out, const QString &text, bool attribute)
{
    const QByteArray utf8 = text.toUtf8();
    appendEscaped(out, std::string_view(utf8.constData(), std::size_t(utf8.size())), attribute);
}

std::string_view literalOf(cmark_node *node)
{
    const char *literal = cmark_node_get_literal(node);
    return literal ? std::string_view(literal) : std::string_view();
}

std::string_view urlOf(cmark_node *node)
{
    const char *url = cmark_node_get_url(node);
    return url ? std::string_view(url) : std::string_view();
}

// Text with its footnote references turned into superscript links.
void appendText(QByteArray &out, std::string_view text)
{
    if (text.find("[^") == std::string_view::npos) {
        appendEscaped(out, text, /*attribute=*/false);
        return;
    }
    const QString decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
    qsizetype done = 0;
    for (const auto &reference : findFootnoteReferences(decoded)) {
        appendEscaped(out, decoded.sliced(done, reference.start - done), false);
        const QString id = reference.id.toString();
        out.append("<sup class=\"footnote-ref\"><a href=\"#fn-");
        appendEscaped(out, id, /*attribute=*/true);
        out.append("\">");
        appendEscaped(out, id, /*attribute=*/false);
        out.append("</a></sup>");
        done = reference.start + reference.length;
    }
    appendEscaped(out, decoded.sliced(done), false);
}

bool listHasTasks(cmark_node *list)
{
    for (cmark_node *item = cmark_node_first_child(list); item; item = cmark_node_next(item)) {
        if (isTaskItem(item))
            return true;
    }
    return false;
}

// A paragraph that is the only child of a list item is written without its element.
bool isTightParagraph(cmark_node *paragraph)
{
    cmark_node *parent = cmark_node_parent(paragraph);
    return parent && cmark_node_get_type(parent) == CMARK_NODE_ITEM
           && cmark_node_first_child(parent) == paragraph && !cmark_node_next(paragraph);
}

bool isHeaderRow(cmark_node *row) { return cmark_gfm_extensions_get_table_row_is_header(row) != 0; }

// A diagram as an inline SVG figure, drawn with the light theme; false when the engine
// reports an error, so that the block falls back to code.
bool appendDiagram(QByteArray &out, std::string_view code)
{
    const auto scene = Mermaid::render(QString::fromUtf8(code.data(), qsizetype(code.size())),
                                       /*darkMode=*/false, Mermaid::layoutBackendFromEnvironment());
    if (!scene)
        return false;
    out.append("<figure class=\"mermaid-diagram\">");
    out.append(Mermaid::svgString(*scene).toUtf8());
    out.append("</figure>");
    return true;
}

void appendCodeBlock(QByteArray &out, cmark_node *node)
{
    const std::string_view language = cmark_node_get_fence_info(node)
                                          ? std::string_view(cmark_node_get_fence_info(node))
                                          : std::string_view();
    const std::string_view code = literalOf(node);
    if (isMermaidLanguage(QString::fromUtf8(language.data(), qsizetype(language.size())))
        && appendDiagram(out, code))
        return;
    out.append("<pre><code");
    if (!language.empty()) {
        out.append(" class=\"language-");
        appendEscaped(out, language, /*attribute=*/false);
        out.append('"');
    }
    out.append('>');
    appendEscaped(out, code, /*attribute=*/false);
    out.append("</code></pre>");
}

void enterTableRow(QByteArray &out, cmark_node *row)
{
    if (isHeaderRow(row)) {
        if (cmark_node_first_child(row))
            out.append("<thead><tr>");
        return;
    }
    cmark_node *previous = cmark_node_previous(row);
    if (!previous || isHeaderRow(previous))
        out.append("<tbody>");
    out.append("<tr>");
}

void exitTableRow(QByteArray &out, cmark_node *row)
{
    if (isHeaderRow(row)) {
        if (cmark_node_first_child(row))
            out.append("</tr></thead>");
        return;
    }
    out.append("</tr>");
    if (!cmark_node_next(row))
        out.append("</tbody>");
}

void enterTableCell(QByteArray &out, cmark_node *cell)
{
    cmark_node *row = cmark_node_parent(cell);
    out.append(row && isHeaderRow(row) ? "<th>" : "<td>");
}

void exitTableCell(QByteArray &out, cmark_node *cell)
{
    cmark_node *row = cmark_node_parent(cell);
    out.append(row && isHeaderRow(row) ? "</th>" : "</td>");
}

// Opening and closing markup of container nodes; leaves are written whole on entry.
void enterNode(QByteArray &out, cmark_node *node, cmark_iter *iter)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_HEADING:
        out.append("<h" + QByteArray::number(std::clamp(cmark_node_get_heading_level(node), 1, 6))
                   + '>');
        return;
    case CMARK_NODE_PARAGRAPH:
        if (!isTightParagraph(node))
            out.append("<p>");
        return;
    case CMARK_NODE_BLOCK_QUOTE:
        out.append("<blockquote>");
        return;
    case CMARK_NODE_THEMATIC_BREAK:
        out.append("<hr>");
        return;
    case CMARK_NODE_HTML_BLOCK:
    case CMARK_NODE_HTML_INLINE: {
        const std::string_view raw = literalOf(node);
        out.append(raw.data(), qsizetype(raw.size()));
        return;
    }
    case CMARK_NODE_CODE_BLOCK:
        appendCodeBlock(out, node);
        return;
    case CMARK_NODE_LIST:
        out.append(cmark_node_get_list_type(node) == CMARK_ORDERED_LIST ? "<ol" : "<ul");
        if (listHasTasks(node))
            out.append(" class=\"has-tasks\"");
        out.append(">\n");
        return;
    case CMARK_NODE_ITEM:
        if (cmark_node_previous(node))
            out.append('\n');
        if (!isTaskItem(node)) {
            out.append("<li>");
            return;
        }
        out.append(isTaskItemChecked(node)
                       ? "<li class=\"task-list-item\"><input type=\"checkbox\" checked disabled> "
                       : "<li class=\"task-list-item\"><input type=\"checkbox\" disabled> ");
        return;
    case CMARK_NODE_TEXT:
        appendText(out, literalOf(node));
        return;
    case CMARK_NODE_SOFTBREAK:
        out.append('\n');
        return;
    case CMARK_NODE_LINEBREAK:
        out.append("<br>");
        return;
    case CMARK_NODE_CODE:
        out.append("<code>");
        appendEscaped(out, literalOf(node), /*attribute=*/false);
        out.append("</code>");
        return;
    case CMARK_NODE_EMPH:
        out.append("<em>");
        return;
    case CMARK_NODE_STRONG:
        out.append("<strong>");
        return;
    case CMARK_NODE_LINK:
        out.append("<a href=\"");
        appendEscaped(out, urlOf(node), /*attribute=*/true);
        out.append("\">");
        return;
    case CMARK_NODE_IMAGE:
        out.append("<img src=\"");
        appendEscaped(out, urlOf(node), /*attribute=*/true);
        out.append("\" alt=\"");
        appendEscaped(out, plainText(node), /*attribute=*/true);
        out.append("\">");
        cmark_iter_reset(iter, node, CMARK_EVENT_EXIT); // the children are in the alt text
        return;
    default:
        break;
    }
    if (isTableNode(node))
        out.append("<table>");
    else if (isTableRowNode(node))
        enterTableRow(out, node);
    else if (isTableCellNode(node))
        enterTableCell(out, node);
    else if (isStrikethroughNode(node))
        out.append("<del>");
}

void exitNode(QByteArray &out, cmark_node *node)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_HEADING:
        out.append("</h" + QByteArray::number(std::clamp(cmark_node_get_heading_level(node), 1, 6))
                   + '>');
        return;
    case CMARK_NODE_PARAGRAPH:
        if (!isTightParagraph(node))
            out.append("</p>");
        return;
    case CMARK_NODE_BLOCK_QUOTE:
        out.append("</blockquote>");
        return;
    case CMARK_NODE_LIST:
        out.append(cmark_node_get_list_type(node) == CMARK_ORDERED_LIST ? "\n</ol>" : "\n</ul>");
        return;
    case CMARK_NODE_ITEM:
        out.append("</li>");
        return;
    case CMARK_NODE_EMPH:
        out.append("</em>");
        return;
    case CMARK_NODE_STRONG:
        out.append("</strong>");
        return;
    case CMARK_NODE_LINK:
        out.append("</a>");
        return;
    default:
        break;
    }
    if (isTableNode(node))
        out.append("</table>");
    else if (isTableRowNode(node))
        exitTableRow(out, node);
    else if (isTableCellNode(node))
        exitTableCell(out, node);
    else if (isStrikethroughNode(node))
        out.append("</del>");
}

void appendNode(QByteArray &out, cmark_node *root)
{
    cmark_iter *iter = cmark_iter_new(root);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
        cmark_node *node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_EXIT) {
            exitNode(out, node);
            continue;
        }
        // The document's top-level blocks are separated by line breaks.
        if (node != root && cmark_node_parent(node) == root
            && cmark_node_get_type(root) == CMARK_NODE_DOCUMENT && cmark_node_previous(node)) {
            out.append('\n');
        }
        enterNode(out, node, iter);
    }
    cmark_iter_free(iter);
}

QByteArray renderMarkdown(const QString &markdown)
{
    QByteArray html;
    const CMarkDocument document = parseMarkdown(markdown.toUtf8());
    appendNode(html, document.get());
    return html;
}

} // namespace

QString escapeHTML(const QString &text)
{
    QByteArray out;
    appendEscaped(out, text, /*attribute=*/false);
    return QString::fromUtf8(out);
}

QString escapeAttribute(const QString &text)
{
    QByteArray out;
    appendEscaped(out, text, /*attribute=*/true);
    return QString::fromUtf8(out);
}

QByteArray HTMLVisitor::visit(cmark_node *node) const
{
    QByteArray html;
    appendNode(html, node);
    return html;
}

QByteArray makeHTMLPageUtf8(const QString &markdown, const QString &title)
{
    QString source = markdown;
    source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const FrontMatterSplit frontMatter = splitFrontMatter(source);
    const FootnoteExtraction footnotes = extractFootnoteDefinitions(frontMatter.body);

    QByteArray page;
    page.reserve(qsizetype(markdown.size() * 1.5) + 4096);
    page.append("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"UTF-8\">\n<title>");
    appendEscaped(page, title, /*attribute=*/false);
    page.append(headTail.data(), qsizetype(headTail.size()));

    if (frontMatter.pairs) {
        page.append("<table class=\"frontmatter\">");
        for (const auto &pair : *frontMatter.pairs) {
            page.append("<tr><th>");
            appendEscaped(page, pair.key, false);
            page.append("</th><td>");
            appendEscaped(page, pair.value, false);
            page.append("</td></tr>");
        }
        page.append("</table>\n");
    }

    page.append(renderMarkdown(footnotes.text));

    if (!footnotes.definitions.empty()) {
        page.append("\n<section class=\"footnotes\"><hr><ol>");
        for (const auto &definition : footnotes.definitions) {
            page.append("<li id=\"fn-");
            appendEscaped(page, definition.id, /*attribute=*/true);
            page.append("\">");
            page.append(renderMarkdown(definition.text));
            page.append("</li>");
        }
        page.append("</ol></section>");
    }
    page.append("\n</body>\n</html>");
    return page;
}

QString makeHTMLPage(const QString &markdown, const QString &title)
{
    return QString::fromUtf8(makeHTMLPageUtf8(markdown, title));
}

} // namespace Tarn

#include <Tarn/MarkdownParser.h>
#include <Tarn/MarkdownRenderer.h>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <vector>

namespace Tarn {

namespace {

constexpr double scriptFontSize = 10;
constexpr double superscriptOffset = 4;
constexpr double subscriptOffset = -3;
constexpr double footnoteFontSize = 9.5;
constexpr double footnoteOffset = 4;

QString literalOf(cmark_node *node)
{
    const char *literal = cmark_node_get_literal(node);
    return literal ? QString::fromUtf8(literal) : QString();
}

bool isLeaf(cmark_node *node)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_HTML_BLOCK:
    case CMARK_NODE_THEMATIC_BREAK:
    case CMARK_NODE_CODE_BLOCK:
    case CMARK_NODE_TEXT:
    case CMARK_NODE_SOFTBREAK:
    case CMARK_NODE_LINEBREAK:
    case CMARK_NODE_CODE:
    case CMARK_NODE_HTML_INLINE:
        return true;
    default:
        return false;
    }
}

MDRun plainRun(const QString &text)
{
    MDRun run;
    run.text = text;
    return run;
}

MDRun footnoteReferenceRun(const QString &id)
{
    MDRun run;
    run.text = id;
    run.font = MDFont{footnoteFontSize, MDFont::Weight::semibold, false, false};
    run.baselineOffset = footnoteOffset;
    run.accentForeground = true;
    return run;
}

void appendText(MDStyledText &out, const QString &text, const InlineStyle &style)
{
    qsizetype done = 0;
    for (const auto &reference : findFootnoteReferences(text)) {
        if (reference.start > done)
            out.push_back(styledRun(text.sliced(done, reference.start - done), style));
        out.push_back(footnoteReferenceRun(reference.id.toString()));
        done = reference.start + reference.length;
    }
    if (done < text.size())
        out.push_back(styledRun(text.sliced(done), style));
}

struct HTMLTag
{
    QString name;
    bool closing = false;
};

// "<b>", "</ b >", "<br/>", "<span class=x>": the lower-cased name and whether it closes.
std::optional<HTMLTag> parseTag(const QString &fragment)
{
    const QStringView text = trimmedHorizontal(fragment);
    if (!text.startsWith(u'<') || !text.endsWith(u'>') || text.startsWith(u"<!"))
        return std::nullopt;
    QStringView inner = text.sliced(1, text.size() - 2).trimmed();
    HTMLTag tag;
    if (inner.startsWith(u'/')) {
        tag.closing = true;
        inner = inner.sliced(1).trimmed();
    }
    qsizetype end = 0;
    while (end < inner.size() && !inner[end].isSpace() && inner[end] != u'/')
        ++end;
    if (end == 0)
        return std::nullopt;
    tag.name = inner.first(end).toString().toLower();
    return tag;
}

// Inline HTML switches flags on the style in force; they are switches, not counters.
void applyTag(const HTMLTag &tag, InlineStyle &style, MDStyledText &out)
{
    const bool on = !tag.closing;
    const QString &name = tag.name;
    if (name == u"b" || name == u"strong")
        style.bold = on;
    else if (name == u"i" || name == u"em")
        style.italic = on;
    else if (name == u"code" || name == u"kbd" || name == u"tt")
        style.monospaced = on;
    else if (name == u"del" || name == u"s" || name == u"strike")
        style.strikethrough = on;
    else if (name == u"u" || name == u"ins")
        style.underline = on;
    else if (name == u"sub")
        style.isSubscript = on;
    else if (name == u"sup")
        style.isSuperscript = on;
    else if (name == u"br" && on)
        out.push_back(plainRun(QStringLiteral("\n")));
}

std::optional<QUrl> linkDestination(cmark_node *node)
{
    const char *url = cmark_node_get_url(node);
    if (!url || !*url)
        return std::nullopt;
    QUrl parsed(QString::fromUtf8(url), QUrl::StrictMode);
    if (!parsed.isValid())
        return std::nullopt;
    return parsed;
}

QString codeOf(cmark_node *node)
{
    QString code = literalOf(node);
    while (code.endsWith(u'\n'))
        code.chop(1);
    return code;
}

std::optional<QString> languageOf(cmark_node *node)
{
    const char *info = cmark_node_get_fence_info(node);
    if (!info || !*info)
        return std::nullopt;
    return QString::fromUtf8(info);
}

std::vector<MDBlock> convertChildren(cmark_node *parent, int depth);

bool isContainerBlock(cmark_node *node)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_BLOCK_QUOTE:
    case CMARK_NODE_LIST:
    case CMARK_NODE_ITEM:
        return true;
    default:
        return false;
    }
}

std::optional<MDBlock> convertLeafBlock(cmark_node *node);

// Past the nesting limit, containers give way to their leaf blocks in document order, found
// without recursion.
std::vector<MDBlock> flattenedLeaves(cmark_node *container)
{
    std::vector<MDBlock> blocks;
    cmark_iter *iter = cmark_iter_new(container);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
        cmark_node *node = cmark_iter_get_node(iter);
        if (event != CMARK_EVENT_ENTER || node == container || isContainerBlock(node))
            continue;
        if (auto block = convertLeafBlock(node))
            blocks.push_back(std::move(*block));
        if (!isLeaf(node))
            cmark_iter_reset(iter, node, CMARK_EVENT_EXIT);
    }
    cmark_iter_free(iter);
    return blocks;
}

std::vector<MDListItem> convertItems(cmark_node *list, int depth)
{
    std::vector<MDListItem> items;
    for (cmark_node *item = cmark_node_first_child(list); item; item = cmark_node_next(item)) {
        MDListItem converted;
        converted.blocks = convertChildren(item, depth + 1);
        if (isTaskItem(item))
            converted.checkbox = isTaskItemChecked(item);
        items.push_back(std::move(converted));
    }
    return items;
}

MDStyledText headerCellText(cmark_node *cell)
{
    InlineStyle bold;
    bold.bold = true;
    return MarkdownRenderer::convertInlines(cell, bold);
}

MDBlocks::Table convertTable(cmark_node *table)
{
    MDBlocks::Table converted;
    for (cmark_node *row = cmark_node_first_child(table); row; row = cmark_node_next(row)) {
        const bool header = cmark_gfm_extensions_get_table_row_is_header(row) != 0;
        std::vector<MDStyledText> cells;
        for (cmark_node *cell = cmark_node_first_child(row); cell; cell = cmark_node_next(cell)) {
            cells.push_back(header ? headerCellText(cell)
                                   : MarkdownRenderer::convertInlines(cell, InlineStyle{}));
        }
        if (header)
            converted.head = std::move(cells);
        else
            converted.rows.push_back(std::move(cells));
    }
    return converted;
}

std::optional<MDBlock> convertLeafBlock(cmark_node *node)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_HEADING:
        return MDBlock{MDBlocks::Heading{std::clamp(cmark_node_get_heading_level(node), 1, 6),
                                         MarkdownRenderer::convertInlines(node, InlineStyle{})}};
    case CMARK_NODE_PARAGRAPH:
        return MDBlock{MDBlocks::Paragraph{MarkdownRenderer::convertInlines(node, InlineStyle{})}};
    case CMARK_NODE_CODE_BLOCK: {
        const std::optional<QString> language = languageOf(node);
        if (language && isMermaidLanguage(*language))
            return MDBlock{MDBlocks::Mermaid{codeOf(node)}};
        return MDBlock{MDBlocks::CodeBlock{language, codeOf(node)}};
    }
    case CMARK_NODE_HTML_BLOCK:
        return MDBlock{MDBlocks::HTMLBlock{literalOf(node).trimmed()}};
    case CMARK_NODE_THEMATIC_BREAK:
        return MDBlock{MDBlocks::ThematicBreak{}};
    default:
        break;
    }
    if (isTableNode(node))
        return MDBlock{convertTable(node)};
    return std::nullopt;
}

std::optional<MDBlock> convertBlock(cmark_node *node, int depth)
{
    switch (cmark_node_get_type(node)) {
    case CMARK_NODE_BLOCK_QUOTE:
        return MDBlock{MDBlocks::BlockQuote{convertChildren(node, depth + 1)}};
    case CMARK_NODE_LIST:
        if (cmark_node_get_list_type(node) == CMARK_ORDERED_LIST)
            return MDBlock{
                MDBlocks::OrderedList{cmark_node_get_list_start(node), convertItems(node, depth)}};
        return MDBlock{MDBlocks::UnorderedList{convertItems(node, depth)}};
    default:
        return convertLeafBlock(node);
    }
}

std::vector<MDBlock> convertChildren(cmark_node *parent, int depth)
{
    if (depth >= MarkdownRenderer::maxNestingDepth)
        return flattenedLeaves(parent);
    std::vector<MDBlock> blocks;
    for (cmark_node *child = cmark_node_first_child(parent); child;
         child = cmark_node_next(child)) {
        if (auto block = convertBlock(child, depth))
            blocks.push_back(std::move(*block));
    }
    return blocks;
}

std::vector<MDBlock> convertDocument(const QString &markdown)
{
    const CMarkDocument document = parseMarkdown(markdown.toUtf8());
    return convertChildren(document.get(), 0);
}

} // namespace

MDRun styledRun(const QString &text, const InlineStyle &style)
{
    MDRun run;
    run.text = text;
    if (style.isSubscript || style.isSuperscript) {
        run.font
            = MDFont{scriptFontSize, style.bold ? MDFont::Weight::bold : MDFont::Weight::regular,
                     style.monospaced, style.italic};
        run.baselineOffset = style.isSuperscript ? superscriptOffset : subscriptOffset;
        run.strikethroughLine = style.strikethrough;
        run.codeBackground = style.monospaced;
    } else {
        run.stronglyEmphasized = style.bold;
        run.emphasized = style.italic;
        run.code = style.monospaced;
        run.strikethrough = style.strikethrough;
        run.codeBackground = style.monospaced;
    }
    run.underline = style.underline;
    if (style.link) {
        run.link = style.link;
        run.accentForeground = true;
        run.underline = true;
    }
    return run;
}

std::optional<MDBlock> MarkdownRenderer::convertBlock(cmark_node *node)
{
    return Tarn::convertBlock(node, 0);
}

// Walks the inline tree with cmark's iterator and a stack of styles: nesting costs no stack.
MDStyledText MarkdownRenderer::convertInlines(cmark_node *container, const InlineStyle &style)
{
    MDStyledText out;
    std::vector<InlineStyle> styles{style};
    cmark_iter *iter = cmark_iter_new(container);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
        cmark_node *node = cmark_iter_get_node(iter);
        if (node == container)
            continue;
        if (event == CMARK_EVENT_EXIT) {
            styles.pop_back(); // flags switched inside a container end with it
            continue;
        }
        InlineStyle &current = styles.back();
        switch (cmark_node_get_type(node)) {
        case CMARK_NODE_TEXT:
            appendText(out, literalOf(node), current);
            continue;
        case CMARK_NODE_CODE: {
            InlineStyle code = current;
            code.monospaced = true;
            out.push_back(styledRun(literalOf(node), code));
            continue;
        }
        case CMARK_NODE_SOFTBREAK:
            out.push_back(plainRun(QStringLiteral(" ")));
            continue;
        case CMARK_NODE_LINEBREAK:
            out.push_back(plainRun(QStringLiteral("\n")));
            continue;
        case CMARK_NODE_HTML_INLINE:
            if (const auto tag = parseTag(literalOf(node)))
                applyTag(*tag, current, out);
            continue;
        case CMARK_NODE_IMAGE:
            out.push_back(styledRun(u'[' + plainText(node) + u']', current));
            cmark_iter_reset(iter, node, CMARK_EVENT_EXIT); // the children are in the text
            continue;
        default:
            break;
        }
        if (isLeaf(node))
            continue;
        InlineStyle nested = current;
        switch (cmark_node_get_type(node)) {
        case CMARK_NODE_STRONG:
            nested.bold = true;
            break;
        case CMARK_NODE_EMPH:
            nested.italic = true;
            break;
        case CMARK_NODE_LINK:
            nested.link = linkDestination(node);
            break;
        default:
            if (isStrikethroughNode(node))
                nested.strikethrough = true;
            break;
        }
        styles.push_back(std::move(nested));
    }
    cmark_iter_free(iter);
    return out;
}

std::vector<MDBlock> MarkdownRenderer::blocks() const
{
    QString source = m_source;
    source.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const FrontMatterSplit frontMatter = splitFrontMatter(source);
    const FootnoteExtraction footnotes = extractFootnoteDefinitions(frontMatter.body);

    std::vector<MDBlock> blocks;
    if (frontMatter.pairs)
        blocks.push_back(MDBlock{MDBlocks::FrontMatter{*frontMatter.pairs}});
    for (auto &block : convertDocument(footnotes.text))
        blocks.push_back(std::move(block));
    if (!footnotes.definitions.empty()) {
        MDBlocks::Footnotes notes;
        for (const auto &definition : footnotes.definitions)
            notes.notes.push_back(MDFootnote{definition.id, convertDocument(definition.text)});
        blocks.push_back(MDBlock{std::move(notes)});
    }
    return blocks;
}

} // namespace Tarn

#include <Tarn/MarkdownParser.h>

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

// Node types registered by the extensions library; exported but not declared in its headers.
extern "C" {
extern cmark_node_type CMARK_NODE_TABLE;
extern cmark_node_type CMARK_NODE_TABLE_ROW;
extern cmark_node_type CMARK_NODE_TABLE_CELL;
extern cmark_node_type CMARK_NODE_STRIKETHROUGH;
}

namespace Tarn {

namespace {

struct Extensions
{
    cmark_syntax_extension *table = nullptr;
    cmark_syntax_extension *strikethrough = nullptr;
    cmark_syntax_extension *tasklist = nullptr;
};

// Registration touches a process-wide registry: done once, before any parse.
const Extensions &extensions()
{
    static const Extensions registered = [] {
        cmark_gfm_core_extensions_ensure_registered();
        return Extensions{cmark_find_syntax_extension("table"),
                          cmark_find_syntax_extension("strikethrough"),
                          cmark_find_syntax_extension("tasklist")};
    }();
    return registered;
}

constexpr int parserOptions = CMARK_OPT_SOURCEPOS | CMARK_OPT_SMART;

} // namespace

void CMarkNodeDeleter::operator()(cmark_node *node) const { cmark_node_free(node); }

CMarkDocument parseMarkdown(const QByteArray &utf8)
{
    const Extensions &available = extensions();
    cmark_parser *parser = cmark_parser_new(parserOptions);
    for (cmark_syntax_extension *extension :
         {available.table, available.strikethrough, available.tasklist}) {
        if (extension)
            cmark_parser_attach_syntax_extension(parser, extension);
    }
    cmark_parser_feed(parser, utf8.constData(), size_t(utf8.size()));
    CMarkDocument document(cmark_parser_finish(parser));
    cmark_parser_free(parser);
    return document;
}

bool isTableNode(cmark_node *node) { return cmark_node_get_type(node) == CMARK_NODE_TABLE; }

bool isTableRowNode(cmark_node *node) { return cmark_node_get_type(node) == CMARK_NODE_TABLE_ROW; }

bool isTableCellNode(cmark_node *node)
{
    return cmark_node_get_type(node) == CMARK_NODE_TABLE_CELL;
}

bool isStrikethroughNode(cmark_node *node)
{
    return cmark_node_get_type(node) == CMARK_NODE_STRIKETHROUGH;
}

QString plainText(cmark_node *node)
{
    QString text;
    cmark_iter *iter = cmark_iter_new(node);
    for (cmark_event_type event; (event = cmark_iter_next(iter)) != CMARK_EVENT_DONE;) {
        if (event != CMARK_EVENT_ENTER)
            continue;
        cmark_node *current = cmark_iter_get_node(iter);
        switch (cmark_node_get_type(current)) {
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE:
            text += QString::fromUtf8(cmark_node_get_literal(current));
            break;
        case CMARK_NODE_SOFTBREAK:
        case CMARK_NODE_LINEBREAK:
            text += u' ';
            break;
        default:
            break;
        }
    }
    cmark_iter_free(iter);
    return text;
}

bool isMermaidLanguage(QStringView language)
{
    return language.compare(u"mermaid", Qt::CaseInsensitive) == 0;
}

bool isTaskItem(cmark_node *node)
{
    return cmark_node_get_type(node) == CMARK_NODE_ITEM && extensions().tasklist
           && cmark_node_get_syntax_extension(node) == extensions().tasklist;
}

bool isTaskItemChecked(cmark_node *node)
{
    return isTaskItem(node) && cmark_gfm_extensions_get_tasklist_item_checked(node);
}

} // namespace Tarn

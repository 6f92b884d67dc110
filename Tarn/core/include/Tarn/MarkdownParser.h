#pragma once

// The one place that knows how Markdown is parsed: cmark-gfm with the table, strikethrough and
// tasklist extensions, source positions and smart punctuation. The export and the preview both
// parse through here so that they always agree.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>

struct cmark_node;

namespace Tarn {

struct CMarkNodeDeleter
{
    void operator()(cmark_node *node) const;
};

/// The root of a parsed document; frees the whole tree.
using CMarkDocument = std::unique_ptr<cmark_node, CMarkNodeDeleter>;

/// Parses UTF-8 Markdown. Never fails: malformed input is whatever the parser makes of it.
/// Safe to call from several threads at once.
CMarkDocument parseMarkdown(const QByteArray &utf8);

/// Node kinds that come from the extensions (their values are assigned at run time).
bool isTableNode(cmark_node *node);
bool isTableRowNode(cmark_node *node);
bool isTableCellNode(cmark_node *node);
bool isStrikethroughNode(cmark_node *node);

/// The literal text below a node (text and code spans; breaks as spaces), as images show it.
QString plainText(cmark_node *node);

/// A code block's language names a diagram: "mermaid" in any letter case, nothing more.
bool isMermaidLanguage(QStringView language);

/// Whether a list item carries a task checkbox, and whether it is ticked.
bool isTaskItem(cmark_node *node);
bool isTaskItemChecked(cmark_node *node);

} // namespace Tarn

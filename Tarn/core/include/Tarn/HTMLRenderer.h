#pragma once

// A Markdown document as one self-contained HTML page: fixed template and style sheet, an
// optional front-matter table, the body, footnotes, and Mermaid diagrams as inline SVG.

#include <QByteArray>
#include <QString>

struct cmark_node;

namespace Tarn {

/// "&", "<" and ">" as entities, in that order; quotes untouched.
QString escapeHTML(const QString &text);
/// escapeHTML, then '"' as "&quot;"; apostrophes untouched.
QString escapeAttribute(const QString &text);

/// Renders parsed nodes to HTML. Holds no state; walks the tree with cmark's iterator, so
/// nesting depth costs no stack. Diagrams are drawn on the calling thread.
class HTMLVisitor
{
public:
    /// The HTML of `node` and everything below it, UTF-8 encoded.
    QByteArray visit(cmark_node *node) const;
};

/// The complete page for `markdown`, with `title` in the title element.
QString makeHTMLPage(const QString &markdown, const QString &title);
/// The same page, UTF-8 encoded, as written to a file.
QByteArray makeHTMLPageUtf8(const QString &markdown, const QString &title);

} // namespace Tarn

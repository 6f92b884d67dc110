#pragma once

// Line-based preparation of Markdown text shared by the HTML export and the preview: front
// matter, footnote definitions and footnote references. None of it parses Markdown.

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace Tarn {

/// One "key: value" line of a front-matter block, trimmed, one pair of quotes removed.
struct FrontMatterPair
{
    QString key;
    QString value;

    friend bool operator==(const FrontMatterPair &, const FrontMatterPair &) = default;
};

struct FrontMatterSplit
{
    /// Absent when there is no closed block or the block holds no pairs.
    std::optional<std::vector<FrontMatterPair>> pairs;
    /// The text after the block; the whole source when there is no closed block.
    QString body;
};

/// Splits a leading block between two "---" lines (spaces and tabs around them ignored) from
/// the text. No YAML: every non-blank line is one raw pair. An unclosed block is ordinary text.
FrontMatterSplit splitFrontMatter(const QString &source);

/// A one-line footnote definition "[^id]: text".
struct FootnoteDefinition
{
    QString id;
    QString text;

    friend bool operator==(const FootnoteDefinition &, const FootnoteDefinition &) = default;
};

struct FootnoteExtraction
{
    QString text; ///< the remaining lines
    std::vector<FootnoteDefinition> definitions;
};

/// Removes every definition line, wherever it stands (code blocks included).
FootnoteExtraction extractFootnoteDefinitions(const QString &body);

/// A footnote reference "[^id]" found in text: the id holds neither "]" nor whitespace.
struct FootnoteReference
{
    qsizetype start = 0;  ///< offset of "["
    qsizetype length = 0; ///< up to and including "]"
    QStringView id;
};

/// The footnote references of `text`, leftmost first, not overlapping.
std::vector<FootnoteReference> findFootnoteReferences(QStringView text);

/// Characters that end a line for the line patterns of the outline and the footnote scan:
/// "." never matches them and "$" may stand before one only at the very end of a line, so
/// "# Title\r" is the heading "Title" and "# A\rB" is no heading.
bool isLineTerminator(QChar c);

/// Spaces, tabs and the other horizontal blanks (Unicode space separators).
bool isHorizontalWhitespace(QChar c);

/// `text` without leading and trailing horizontal whitespace.
QStringView trimmedHorizontal(QStringView text);

} // namespace Tarn

#pragma once

// The preview's model of Markdown: blocks with their inline content already turned into styled
// runs, drawn natively by the preview. Shares the pre-processing and parser settings of the
// HTML export, with an inline model of its own that understands a few inline HTML tags.

#include <Tarn/MarkdownPreprocessing.h>

#include <QString>
#include <QUrl>

#include <optional>
#include <variant>
#include <vector>

struct cmark_node;

namespace Tarn {

/// A font chosen by the run itself rather than inherited from the block.
struct MDFont
{
    enum class Weight { regular, semibold, bold };

    double size = 0;
    Weight weight = Weight::regular;
    bool monospaced = false;
    bool italic = false;

    friend bool operator==(const MDFont &, const MDFont &) = default;
};

/// A stretch of text with its attributes.
struct MDRun
{
    QString text;
    // Emphasis flags: drawn italic, bold, monospaced and struck through at the block's size.
    bool emphasized = false;
    bool stronglyEmphasized = false;
    bool code = false;
    bool strikethrough = false;

    std::optional<MDFont> font;
    double baselineOffset = 0; ///< points, positive upwards
    bool strikethroughLine = false;
    bool underline = false;
    bool codeBackground = false; ///< the inline-code background of the current appearance
    std::optional<QUrl> link;
    bool accentForeground = false;

    friend bool operator==(const MDRun &, const MDRun &) = default;
};

using MDStyledText = std::vector<MDRun>;

/// The state while converting inline content.
struct InlineStyle
{
    bool bold = false;
    bool italic = false;
    bool monospaced = false;
    bool strikethrough = false;
    bool underline = false;
    bool isSubscript = false;
    bool isSuperscript = false;
    std::optional<QUrl> link;

    friend bool operator==(const InlineStyle &, const InlineStyle &) = default;
};

/// A run of `text` styled by `style`.
MDRun styledRun(const QString &text, const InlineStyle &style);

struct MDBlock;

struct MDListItem
{
    std::vector<MDBlock> blocks;
    std::optional<bool> checkbox; ///< absent for an ordinary item; true when ticked

    friend bool operator==(const MDListItem &, const MDListItem &);
};

struct MDFootnote
{
    QString id;
    std::vector<MDBlock> blocks;

    friend bool operator==(const MDFootnote &, const MDFootnote &);
};

namespace MDBlocks {

struct FrontMatter
{
    std::vector<FrontMatterPair> pairs;
    friend bool operator==(const FrontMatter &, const FrontMatter &) = default;
};
struct Heading
{
    int level = 1;
    MDStyledText content;
    friend bool operator==(const Heading &, const Heading &) = default;
};
struct Paragraph
{
    MDStyledText content;
    friend bool operator==(const Paragraph &, const Paragraph &) = default;
};
struct CodeBlock
{
    std::optional<QString> language;
    QString code;
    friend bool operator==(const CodeBlock &, const CodeBlock &) = default;
};
struct Mermaid
{
    QString source;
    friend bool operator==(const Mermaid &, const Mermaid &) = default;
};
struct BlockQuote
{
    std::vector<MDBlock> blocks;
    friend bool operator==(const BlockQuote &, const BlockQuote &);
};
struct UnorderedList
{
    std::vector<MDListItem> items;
    friend bool operator==(const UnorderedList &, const UnorderedList &);
};
struct OrderedList
{
    int start = 1;
    std::vector<MDListItem> items;
    friend bool operator==(const OrderedList &, const OrderedList &);
};
struct Table
{
    std::vector<MDStyledText> head;
    std::vector<std::vector<MDStyledText>> rows;
    friend bool operator==(const Table &, const Table &) = default;
};
struct HTMLBlock
{
    QString html;
    friend bool operator==(const HTMLBlock &, const HTMLBlock &) = default;
};
struct Footnotes
{
    std::vector<MDFootnote> notes;
    friend bool operator==(const Footnotes &, const Footnotes &);
};
struct ThematicBreak
{
    friend bool operator==(const ThematicBreak &, const ThematicBreak &) = default;
};

} // namespace MDBlocks

/// One block of the preview, in the order of the cases.
struct MDBlock
{
    using Value = std::variant<MDBlocks::FrontMatter, MDBlocks::Heading, MDBlocks::Paragraph,
                               MDBlocks::CodeBlock, MDBlocks::Mermaid, MDBlocks::BlockQuote,
                               MDBlocks::UnorderedList, MDBlocks::OrderedList, MDBlocks::Table,
                               MDBlocks::HTMLBlock, MDBlocks::Footnotes, MDBlocks::ThematicBreak>;
    Value value;

    friend bool operator==(const MDBlock &, const MDBlock &) = default;
};

inline bool operator==(const MDListItem &a, const MDListItem &b)
{
    return a.blocks == b.blocks && a.checkbox == b.checkbox;
}
inline bool operator==(const MDFootnote &a, const MDFootnote &b)
{
    return a.id == b.id && a.blocks == b.blocks;
}
namespace MDBlocks {
inline bool operator==(const BlockQuote &a, const BlockQuote &b) { return a.blocks == b.blocks; }
inline bool operator==(const UnorderedList &a, const UnorderedList &b)
{
    return a.items == b.items;
}
inline bool operator==(const OrderedList &a, const OrderedList &b)
{
    return a.start == b.start && a.items == b.items;
}
inline bool operator==(const Footnotes &a, const Footnotes &b) { return a.notes == b.notes; }
} // namespace MDBlocks

/// Converts a piece of Markdown (usually one outline section) to preview blocks. Pure; safe on
/// any thread. Nesting deeper than `maxNestingDepth` is flattened into the deepest level kept.
class MarkdownRenderer
{
public:
    static constexpr int maxNestingDepth = 64;

    explicit MarkdownRenderer(QString source)
        : m_source(std::move(source))
    {
    }

    const QString &source() const { return m_source; }

    /// Computed from the source each time.
    std::vector<MDBlock> blocks() const;

    /// One parsed block node as a block; absent for nodes without a case.
    static std::optional<MDBlock> convertBlock(cmark_node *node);
    /// The children of an inline container, starting from `style`.
    static MDStyledText convertInlines(cmark_node *container, const InlineStyle &style);

private:
    QString m_source;
};

} // namespace Tarn

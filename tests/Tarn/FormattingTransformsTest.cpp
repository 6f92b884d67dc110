#include <Tarn/FormattingTransforms.h>

#include <gtest/gtest.h>

using Tarn::EditorTextEdit;
using Tarn::FormatAction;
using Tarn::TextRange;
using Kind = Tarn::FormatAction::Kind;

namespace {

struct TransformCase
{
    const char *name;
    FormatAction action;
    const char *text;
    TextRange selection;
    TextRange range;
    const char *replacement;
    TextRange selectionAfter;
};

QString applied(const QString &text, const EditorTextEdit &edit)
{
    QString result = text;
    result.replace(edit.range.location, edit.range.length, edit.replacement);
    return result;
}

} // namespace

namespace Tarn {
void PrintTo(const EditorTextEdit &edit, std::ostream *out)
{
    *out << "{range (" << edit.range.location << ", " << edit.range.length << "), \""
         << edit.replacement.toStdString() << "\", selection (" << edit.selection.location << ", "
         << edit.selection.length << ")}";
}
} // namespace Tarn

TEST(FormattingTransforms, EditsForEveryAction)
{
    const TransformCase cases[] = {
        // Wrap
        {"bold, empty document", {Kind::bold}, "", {0, 0}, {0, 0}, "**bold**", {2, 4}},
        {"italic, caret", {Kind::italic}, "ab", {1, 0}, {1, 0}, "*italic*", {2, 6}},
        {"strikethrough, word",
         {Kind::strikethrough},
         "a word",
         {2, 4},
         {2, 4},
         "~~word~~",
         {4, 4}},
        {"code, word", {Kind::code}, "x y", {2, 1}, {2, 1}, "`y`", {3, 1}},
        {"bold twice wraps twice", {Kind::bold}, "**b**", {0, 5}, {0, 5}, "****b****", {2, 5}},
        {"italic over two lines, second blank",
         {Kind::italic},
         "one\n  \n",
         {0, 6},
         {0, 6},
         "*one*\n  ",
         {0, 8}},
        {"bold over lines keeps blanks inside markers",
         {Kind::bold},
         " a \nb",
         {0, 5},
         {0, 5},
         "** a **\n**b**",
         {0, 13}},
        // Link
        {"link, word", {Kind::link}, "Home", {0, 4}, {0, 4}, "[Home](url)", {7, 3}},
        {"link, caret", {Kind::link}, "", {0, 0}, {0, 0}, "[text](url)", {7, 3}},
        // Line prefixes
        {"bulleted, already bulleted",
         {Kind::bulletedList},
         "- item\nnext",
         {3, 0},
         {0, 7},
         "- item\n",
         {0, 6}},
        {"bulleted, several lines and an empty one",
         {Kind::bulletedList},
         "a\n\nb",
         {0, 4},
         {0, 4},
         "- a\n- \n- b",
         {0, 10}},
        {"blockquote, selection ending after a line break",
         {Kind::blockquote},
         "a\nb\n",
         {0, 2},
         {0, 2},
         "> a\n",
         {0, 3}},
        {"blockquote, caret after final line break",
         {Kind::blockquote},
         "a\n",
         {2, 0},
         {2, 0},
         "> ",
         {2, 2}},
        // Headings
        {"heading 2 over heading 4",
         FormatAction::heading(2),
         "#### Title\n",
         {3, 0},
         {0, 11},
         "## Title\n",
         {0, 8}},
        {"heading 2 on an empty line", FormatAction::heading(2), "", {0, 0}, {0, 0}, "## ", {0, 3}},
        {"heading 1, same level stays",
         FormatAction::heading(1),
         "# A",
         {0, 0},
         {0, 3},
         "# A",
         {0, 3}},
        {"heading, seven hashes are text",
         FormatAction::heading(1),
         "####### x",
         {0, 0},
         {0, 9},
         "# ####### x",
         {0, 11}},
        {"heading, hashes without space are text",
         FormatAction::heading(3),
         "##x",
         {0, 0},
         {0, 3},
         "### ##x",
         {0, 7}},
        {"heading level clamped to six",
         FormatAction::heading(9),
         "t",
         {0, 0},
         {0, 1},
         "###### t",
         {0, 8}},
        // Numbering and tasks
        {"numbered over numbered lines",
         {Kind::numberedList},
         "1. a\n2. b\n3. c",
         {0, 14},
         {0, 14},
         "1. 1. a\n2. 2. b\n3. 3. c",
         {0, 23}},
        {"task list mix",
         {Kind::taskList},
         "* a\n- [x] b\nc",
         {0, 13},
         {0, 13},
         "- [ ] a\n- [x] b\n- [ ] c",
         {0, 23}},
        {"task list, indented bullet loses indentation",
         {Kind::taskList},
         "  + a",
         {0, 0},
         {0, 5},
         "- [ ] a",
         {0, 7}},
        {"task list, indented task stays",
         {Kind::taskList},
         "  - [X] done",
         {0, 0},
         {0, 12},
         "  - [X] done",
         {0, 12}},
        // Fences
        {"code block at caret", {Kind::codeBlock}, "ab", {1, 0}, {1, 0}, "```\n\n```", {5, 0}},
        {"code block inside one line",
         {Kind::codeBlock},
         "x\nline\ny",
         {3, 2},
         {2, 5},
         "```\nline\n```\n",
         {2, 12}},
        {"code block on the last line",
         {Kind::codeBlock},
         "a\nb",
         {2, 1},
         {2, 1},
         "```\nb\n```",
         {2, 9}},
        // Clamping
        {"selection past the end is clamped",
         {Kind::bold},
         "abc",
         {2, 50},
         {2, 1},
         "**c**",
         {4, 1}},
        {"location past the end is clamped",
         {Kind::link},
         "abc",
         {10, 5},
         {3, 0},
         "[text](url)",
         {10, 3}},
        {"line transform past the end is clamped",
         {Kind::bulletedList},
         "abc",
         {10, 5},
         {0, 3},
         "- abc",
         {0, 5}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString text = QString::fromUtf8(c.text);
        const EditorTextEdit edit = Tarn::formatEdit(c.action, text, c.selection);
        EXPECT_EQ(edit,
                  (EditorTextEdit{c.range, QString::fromUtf8(c.replacement), c.selectionAfter}));
        const QString result = applied(text, edit);
        EXPECT_LE(edit.selection.end(), result.size());
    }
}

TEST(FormattingTransforms, SelectionPicksTheInsertedPlaceholder)
{
    const QString text = QStringLiteral("caf\u00e9 ");
    const EditorTextEdit edit = Tarn::formatEdit({Kind::bold}, text, {5, 0});
    EXPECT_EQ(applied(text, edit).mid(edit.selection.location, edit.selection.length),
              QStringLiteral("bold"));
}

TEST(FormatAction, DisplayNames)
{
    const std::pair<FormatAction, const char *> names[] = {
        {{Kind::bold}, "Bold"},
        {{Kind::italic}, "Italic"},
        {{Kind::strikethrough}, "Strikethrough"},
        {{Kind::code}, "Code"},
        {{Kind::link}, "Link"},
        {{Kind::bulletedList}, "Bulleted List"},
        {{Kind::numberedList}, "Numbered List"},
        {{Kind::taskList}, "Task List"},
        {{Kind::blockquote}, "Blockquote"},
        {{Kind::codeBlock}, "Code Block"},
        {FormatAction::heading(3), "Heading 3"},
    };
    for (const auto &[action, name] : names)
        EXPECT_EQ(action.displayName(), QString::fromUtf8(name));
}

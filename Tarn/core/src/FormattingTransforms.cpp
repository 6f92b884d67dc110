#include <Tarn/FormattingTransforms.h>

#include <QStringList>

#include <algorithm>
#include <functional>

namespace Tarn {

namespace {

using LineRewrite = std::function<QString(qsizetype lineNumber, const QString &line)>;

TextRange clamp(TextRange selection, qsizetype textLength)
{
    const qsizetype location = std::clamp<qsizetype>(selection.location, 0, textLength);
    const qsizetype length = std::clamp<qsizetype>(selection.length, 0, textLength - location);
    return {location, length};
}

// The whole lines the selection touches, with the line break that ends the last of them.
// A selection ending right after a line break does not reach into the next line.
TextRange lineBlock(const QString &text, TextRange selection)
{
    const TextRange clamped = clamp(selection, text.size());
    const qsizetype start
        = clamped.location == 0 ? 0 : text.lastIndexOf(u'\n', clamped.location - 1) + 1;
    const qsizetype lastCharacter = clamped.length > 0 ? clamped.end() - 1 : clamped.location;
    const qsizetype newline = lastCharacter < text.size() ? text.indexOf(u'\n', lastCharacter) : -1;
    const qsizetype end = newline < 0 ? text.size() : newline + 1;
    return {start, end - start};
}

EditorTextEdit wrap(const QString &text, TextRange selection, const QString &marker,
                    const QString &placeholder)
{
    const qsizetype markerLength = marker.size();
    if (selection.length == 0) {
        const QString replacement = marker + placeholder + marker;
        return {selection, replacement, {selection.location + markerLength, placeholder.size()}};
    }
    const QString selected = text.mid(selection.location, selection.length);
    if (!selected.contains(u'\n')) {
        return {selection,
                marker + selected + marker,
                {selection.location + markerLength, selection.length}};
    }
    QStringList lines = selected.split(u'\n');
    for (auto &line : lines) {
        const bool blank = std::all_of(line.cbegin(), line.cend(),
                                       [](QChar c) { return c == u' ' || c == u'\t'; });
        if (!blank)
            line = marker + line + marker;
    }
    const QString replacement = lines.join(u'\n');
    return {selection, replacement, {selection.location, replacement.size()}};
}

EditorTextEdit link(const QString &text, TextRange selection)
{
    const QString label = selection.length > 0 ? text.mid(selection.location, selection.length)
                                               : QStringLiteral("text");
    return {selection,
            u'[' + label + QStringLiteral("](url)"),
            {selection.location + label.size() + 3, 3}};
}

// The selection's line block with a final line break set aside.
struct LineBlock
{
    TextRange range;
    QString body;
    bool endsWithNewline = false;

    EditorTextEdit replaceBody(const QString &newBody) const
    {
        return {
            range, endsWithNewline ? newBody + u'\n' : newBody, {range.location, newBody.size()}};
    }
};

LineBlock lineBlockOf(const QString &text, TextRange selection)
{
    LineBlock block{lineBlock(text, selection), {}, false};
    block.body = text.mid(block.range.location, block.range.length);
    block.endsWithNewline = block.body.endsWith(u'\n');
    if (block.endsWithNewline)
        block.body.chop(1);
    return block;
}

EditorTextEdit rewriteLines(const QString &text, TextRange selection, const LineRewrite &rewrite)
{
    const LineBlock block = lineBlockOf(text, selection);
    QStringList lines = block.body.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        lines[i] = rewrite(i + 1, lines[i]);
    return block.replaceBody(lines.join(u'\n'));
}

LineRewrite prefixUnlessPresent(QString prefix)
{
    return [prefix](qsizetype, const QString &line) {
        return line.startsWith(prefix) ? line : prefix + line;
    };
}

// Length of a leading "#{1,6} +" marker, or 0.
qsizetype headingMarkerLength(const QString &line)
{
    qsizetype hashes = 0;
    while (hashes < line.size() && line[hashes] == u'#')
        ++hashes;
    if (hashes == 0 || hashes > 6)
        return 0;
    qsizetype end = hashes;
    while (end < line.size() && line[end] == u' ')
        ++end;
    return end > hashes ? end : 0;
}

LineRewrite headingLine(int level)
{
    const QString prefix = QString(std::clamp(level, 1, 6), u'#') + u' ';
    return [prefix](qsizetype, const QString &line) {
        return prefix + line.mid(headingMarkerLength(line));
    };
}

// Length of leading whitespace, a bullet and one space ("^\s*[-*+] "), or 0.
qsizetype bulletLength(const QString &line)
{
    qsizetype i = 0;
    while (i < line.size() && line[i].isSpace())
        ++i;
    if (i + 1 >= line.size())
        return 0;
    const QChar bullet = line[i];
    if ((bullet != u'-' && bullet != u'*' && bullet != u'+') || line[i + 1] != u' ')
        return 0;
    return i + 2;
}

// "^\s*[-*+] \[[ xX]\] "
bool isTaskItem(const QString &line)
{
    const qsizetype bullet = bulletLength(line);
    if (bullet == 0 || bullet + 4 > line.size())
        return false;
    const QChar mark = line[bullet + 1];
    return line[bullet] == u'[' && (mark == u' ' || mark == u'x' || mark == u'X')
           && line[bullet + 2] == u']' && line[bullet + 3] == u' ';
}

QString taskLine(qsizetype, const QString &line)
{
    if (isTaskItem(line))
        return line;
    return QStringLiteral("- [ ] ") + line.mid(bulletLength(line));
}

QString numberedLine(qsizetype lineNumber, const QString &line)
{
    return QString::number(lineNumber) + QStringLiteral(". ") + line;
}

// An empty selection gets an empty fence at the caret; otherwise its whole lines are fenced.
EditorTextEdit fence(const QString &text, TextRange selection)
{
    if (selection.length == 0)
        return {selection, QStringLiteral("```\n\n```"), {selection.location + 4, 0}};
    const LineBlock block = lineBlockOf(text, selection);
    return block.replaceBody(QStringLiteral("```\n") + block.body + QStringLiteral("\n```"));
}

} // namespace

EditorTextEdit formatEdit(FormatAction action, const QString &text, TextRange selection)
{
    const TextRange clamped = clamp(selection, text.size());
    using Kind = FormatAction::Kind;
    switch (action.kind) {
    case Kind::bold:
        return wrap(text, clamped, QStringLiteral("**"), QStringLiteral("bold"));
    case Kind::italic:
        return wrap(text, clamped, QStringLiteral("*"), QStringLiteral("italic"));
    case Kind::strikethrough:
        return wrap(text, clamped, QStringLiteral("~~"), QStringLiteral("strikethrough"));
    case Kind::code:
        return wrap(text, clamped, QStringLiteral("`"), QStringLiteral("code"));
    case Kind::link:
        return link(text, clamped);
    case Kind::bulletedList:
        return rewriteLines(text, selection, prefixUnlessPresent(QStringLiteral("- ")));
    case Kind::numberedList:
        return rewriteLines(text, selection, numberedLine);
    case Kind::taskList:
        return rewriteLines(text, selection, taskLine);
    case Kind::blockquote:
        return rewriteLines(text, selection, prefixUnlessPresent(QStringLiteral("> ")));
    case Kind::codeBlock:
        return fence(text, clamped);
    case Kind::heading:
        return rewriteLines(text, selection, headingLine(action.level));
    }
    return {};
}

} // namespace Tarn

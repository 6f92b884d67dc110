// Preparing a diagram source: line endings, front matter, directives, comments, theme and the
// detection of the diagram kind.

#include <Mermaid/Mermaid.h>

#include <QStringList>

#include <optional>

namespace Mermaid {

namespace {

struct KindKeyword
{
    std::u16string_view keyword; // lower-case
    DiagramKind kind;
};

// First match wins.
constexpr KindKeyword kindKeywords[] = {
    {u"flowchart", DiagramKind::flowchart},
    {u"graph", DiagramKind::flowchart},
    {u"flowchart-elk", DiagramKind::flowchart},
    {u"sequencediagram", DiagramKind::sequence},
    {u"statediagram", DiagramKind::state},
    {u"statediagram-v2", DiagramKind::state},
    {u"classdiagram", DiagramKind::classDiagram},
    {u"classdiagram-v2", DiagramKind::classDiagram},
    {u"pie", DiagramKind::pie},
    {u"erdiagram", DiagramKind::erDiagram},
    {u"gantt", DiagramKind::gantt},
    {u"gitgraph", DiagramKind::gitGraph},
    {u"journey", DiagramKind::journey},
    {u"mindmap", DiagramKind::mindmap},
    {u"timeline", DiagramKind::timeline},
    {u"quadrantchart", DiagramKind::quadrantChart},
    {u"requirementdiagram", DiagramKind::requirement},
    {u"c4context", DiagramKind::c4},
    {u"c4container", DiagramKind::c4},
    {u"c4component", DiagramKind::c4},
    {u"c4dynamic", DiagramKind::c4},
    {u"c4deployment", DiagramKind::c4},
    {u"sankey-beta", DiagramKind::sankey},
    {u"xychart-beta", DiagramKind::xyChart},
    {u"block-beta", DiagramKind::block},
    {u"architecture-beta", DiagramKind::architecture},
    {u"architecture", DiagramKind::architecture},
};

bool isBlank(QChar character) { return character == u' ' || character == u'\t'; }

// Trims spaces and tabs only: other whitespace is part of a line's content here.
QStringView trimmedBlanks(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin);
}

std::optional<MermaidTheme> themeFromValue(QStringView value)
{
    if (value == u"default")
        return MermaidTheme::default_;
    if (value == u"dark")
        return MermaidTheme::dark;
    return std::nullopt;
}

// "theme: dark" anywhere in a front-matter line.
std::optional<MermaidTheme> frontMatterTheme(QStringView line)
{
    const qsizetype found = line.indexOf(u"theme:");
    if (found < 0)
        return std::nullopt;
    QStringView value = line.sliced(found + 6);
    const auto isStripped = [](QChar c) { return c == u' ' || c == u'"' || c == u'\''; };
    while (!value.isEmpty() && isStripped(value.front()))
        value = value.sliced(1);
    while (!value.isEmpty() && isStripped(value.back()))
        value.chop(1);
    return themeFromValue(value);
}

// The theme of a directive such as %%{init: {'theme':'dark'}}%%.
std::optional<MermaidTheme> directiveTheme(QStringView line)
{
    const qsizetype found = line.indexOf(u"theme");
    if (found < 0)
        return std::nullopt;
    qsizetype position = found + 5;
    const auto isSkipped
        = [](QChar c) { return c == u':' || c == u' ' || c == u'\'' || c == u'"'; };
    while (position < line.size() && isSkipped(line[position]))
        ++position;
    if (position >= line.size() || line[position] == u'}' || line[position] == u',')
        return std::nullopt;
    const qsizetype start = position++;
    while (position < line.size() && line[position].isLetterOrNumber())
        ++position;
    return themeFromValue(line.sliced(start, position - start));
}

// Blanks the front-matter block, when the first non-blank line opens one that is closed.
void blankFrontMatter(QStringList &lines, std::optional<MermaidTheme> &theme)
{
    qsizetype opening = 0;
    while (opening < lines.size() && trimmedBlanks(lines[opening]).isEmpty())
        ++opening;
    if (opening == lines.size() || trimmedBlanks(lines[opening]) != u"---")
        return;
    qsizetype closing = opening + 1;
    while (closing < lines.size() && trimmedBlanks(lines[closing]) != u"---")
        ++closing;
    if (closing == lines.size())
        return;
    for (qsizetype i = opening + 1; i < closing && !theme; ++i)
        theme = frontMatterTheme(trimmedBlanks(lines[i]));
    for (qsizetype i = opening; i <= closing; ++i)
        lines[i].clear();
}

void blankDirectivesAndComments(QStringList &lines, std::optional<MermaidTheme> &theme)
{
    for (QString &line : lines) {
        const QStringView trimmed = trimmedBlanks(line);
        if (trimmed.startsWith(u"%%{")) {
            if (!theme)
                theme = directiveTheme(trimmed);
            line.clear();
        } else if (trimmed.startsWith(u"%%")) {
            line.clear();
        }
    }
}

// Letters and numbers in the Unicode sense and "-"; a combining mark stays with the character
// before it.
bool continuesKeyword(char32_t codePoint, bool afterKeywordCharacter)
{
    if (codePoint == U'-' || QChar::isLetterOrNumber(codePoint))
        return true;
    return afterKeywordCharacter && QChar::isMark(codePoint);
}

QString headerKeyword(QStringView line)
{
    qsizetype end = 0;
    while (end < line.size()) {
        char32_t codePoint = line[end].unicode();
        qsizetype length = 1;
        if (line[end].isHighSurrogate() && end + 1 < line.size()
            && line[end + 1].isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(line[end], line[end + 1]);
            length = 2;
        }
        if (!continuesKeyword(codePoint, end > 0))
            break;
        end += length;
    }
    return line.first(end).toString();
}

} // namespace

DiagramKind diagramKindForKeyword(const QString &keyword)
{
    const QString lowered = keyword.toLower();
    for (const auto &entry : kindKeywords) {
        if (QStringView(lowered) == entry.keyword)
            return entry.kind;
    }
    return DiagramKind::unknown;
}

PreparedSource prepareSource(const QString &source, bool darkMode)
{
    QString normalized = source;
    normalized.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n"));
    normalized.replace(u'\r', u'\n');
    QStringList lines = normalized.split(u'\n');

    std::optional<MermaidTheme> sourceTheme;
    blankFrontMatter(lines, sourceTheme);
    blankDirectivesAndComments(lines, sourceTheme);

    PreparedSource prepared;
    prepared.text = lines.join(u'\n');
    prepared.theme = darkMode ? MermaidTheme::dark : sourceTheme.value_or(MermaidTheme::default_);

    QStringView header;
    for (const QString &line : std::as_const(lines)) {
        header = trimmedBlanks(line);
        if (!header.isEmpty())
            break;
    }
    const QString keyword = headerKeyword(header);
    prepared.kind = diagramKindForKeyword(keyword);
    prepared.keyword = keyword.isEmpty() ? header.toString() : keyword;
    return prepared;
}

} // namespace Mermaid

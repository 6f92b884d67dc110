#include <Tarn/MarkdownPreprocessing.h>

namespace Tarn {

namespace {

const QString frontMatterDelimiter = QStringLiteral("---");

// The line starting at `start`, without its "\n"; `next` receives the start of the next line,
// or -1 after the last line.
QStringView lineAt(QStringView text, qsizetype start, qsizetype &next)
{
    const qsizetype newline = text.indexOf(u'\n', start);
    next = newline < 0 ? -1 : newline + 1;
    return text.sliced(start, (newline < 0 ? text.size() : newline) - start);
}

FrontMatterPair frontMatterPair(QStringView line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return {line.toString(), QString()};
    QStringView value = trimmedHorizontal(line.sliced(colon + 1));
    if (value.size() >= 2
        && ((value.front() == u'"' && value.back() == u'"')
            || (value.front() == u'\'' && value.back() == u'\''))) {
        value = value.sliced(1, value.size() - 2);
    }
    return {trimmedHorizontal(line.first(colon)).toString(), value.toString()};
}

// Matches "^\[\^([^\]]+)\]:[ \t]*(.*)$" against one line.
std::optional<FootnoteDefinition> footnoteDefinition(QStringView line)
{
    if (!line.startsWith(u"[^"))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']', 2);
    if (close <= 2 || close + 1 >= line.size() || line[close + 1] != u':')
        return std::nullopt;
    qsizetype textStart = close + 2;
    while (textStart < line.size() && (line[textStart] == u' ' || line[textStart] == u'\t'))
        ++textStart;
    QStringView text = line.sliced(textStart);
    if (!text.isEmpty() && isLineTerminator(text.back()))
        text.chop(1);
    for (const QChar c : text) {
        if (isLineTerminator(c))
            return std::nullopt;
    }
    return FootnoteDefinition{trimmedHorizontal(line.sliced(2, close - 2)).toString(),
                              text.toString()};
}

} // namespace

bool isLineTerminator(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x0A && u <= 0x0D) || u == 0x85 || u == 0x2028 || u == 0x2029;
}

bool isHorizontalWhitespace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

QStringView trimmedHorizontal(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isHorizontalWhitespace(text[start]))
        ++start;
    while (end > start && isHorizontalWhitespace(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

FrontMatterSplit splitFrontMatter(const QString &source)
{
    const QStringView text(source);
    qsizetype next = 0;
    if (trimmedHorizontal(lineAt(text, 0, next)) != frontMatterDelimiter)
        return {std::nullopt, source};

    std::vector<FrontMatterPair> pairs;
    while (next >= 0) {
        const QStringView line = trimmedHorizontal(lineAt(text, next, next));
        if (line == frontMatterDelimiter) {
            QString body = next < 0 ? QString() : source.sliced(next);
            if (pairs.empty())
                return {std::nullopt, std::move(body)};
            return {std::move(pairs), std::move(body)};
        }
        if (!line.isEmpty())
            pairs.push_back(frontMatterPair(line));
    }
    return {std::nullopt, source}; // never closed: ordinary text
}

FootnoteExtraction extractFootnoteDefinitions(const QString &body)
{
    if (!body.contains(u"[^"))
        return {body, {}};
    FootnoteExtraction extraction;
    extraction.text.reserve(body.size());
    const QStringView text(body);
    bool firstKept = true;
    for (qsizetype next = 0; next >= 0;) {
        const QStringView line = lineAt(text, next, next);
        if (auto definition = footnoteDefinition(line)) {
            extraction.definitions.push_back(std::move(*definition));
            continue;
        }
        if (!firstKept)
            extraction.text += u'\n';
        extraction.text += line;
        firstKept = false;
    }
    return extraction;
}

std::vector<FootnoteReference> findFootnoteReferences(QStringView text)
{
    std::vector<FootnoteReference> references;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(u"[^", from);
        if (open < 0)
            break;
        qsizetype end = open + 2;
        while (end < text.size() && text[end] != u']' && !text[end].isSpace())
            ++end;
        if (end < text.size() && text[end] == u']' && end > open + 2) {
            references.push_back({open, end + 1 - open, text.sliced(open + 2, end - open - 2)});
            from = end + 1;
        } else {
            from = open + 1;
        }
    }
    return references;
}

} // namespace Tarn

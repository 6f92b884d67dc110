#include <Tarn/MarkdownPreprocessing.h>
#include <Tarn/Outline.h>

#include <algorithm>
#include <optional>

namespace Tarn {

namespace {

struct HeadingMatch
{
    qsizetype lineIdx = 0;
    int level = 0;
    QString title;
};

constexpr int maxFenceIndent = 3;
constexpr int maxHeadingLevel = 6;

bool isSpaceOrTab(QChar c) { return c == u' ' || c == u'\t'; }

constexpr char16_t noFence = 0;

// The fence character a line opens or closes, or noFence when it is no fence line.
char16_t fenceCharacter(QStringView line)
{
    qsizetype spaces = 0;
    while (spaces < line.size() && line[spaces] == u' ')
        ++spaces;
    if (spaces > maxFenceIndent)
        return noFence;
    const QStringView rest = line.mid(spaces);
    if (rest.size() < 3)
        return noFence;
    const char16_t c = rest[0].unicode();
    if ((c != u'`' && c != u'~') || rest[1] != c || rest[2] != c)
        return noFence;
    return c;
}

// Matches the whole line against ^(#{1,6})[ \t]+(.+?)[ \t]*$ .
std::optional<HeadingMatch> matchHeading(QStringView line, qsizetype lineIdx)
{
    if (line.isEmpty() || line[0] != u'#')
        return std::nullopt;
    if (isLineTerminator(line.back()))
        line.chop(1);
    qsizetype hashes = 0;
    while (hashes < line.size() && line[hashes] == u'#')
        ++hashes;
    if (hashes > maxHeadingLevel || hashes >= line.size() || !isSpaceOrTab(line[hashes]))
        return std::nullopt;
    if (std::any_of(line.begin(), line.end(), isLineTerminator))
        return std::nullopt;

    qsizetype titleStart = hashes;
    while (titleStart < line.size() && isSpaceOrTab(line[titleStart]))
        ++titleStart;
    QStringView title;
    if (titleStart < line.size()) {
        qsizetype titleEnd = line.size();
        while (isSpaceOrTab(line[titleEnd - 1]))
            --titleEnd;
        title = line.sliced(titleStart, titleEnd - titleStart);
    } else {
        // Only blanks after the hashes: the separator must keep one, the title takes the last.
        if (titleStart - hashes < 2)
            return std::nullopt;
        title = line.sliced(titleStart - 1, 1);
    }
    return HeadingMatch{lineIdx, int(hashes), title.toString()};
}

} // namespace

Outline Outline::parse(const QString &source)
{
    Outline outline;
    outline.source = source;
    outline.lineStarts.clear();

    std::vector<HeadingMatch> headings;
    char16_t openFence = noFence;
    const QStringView text(source);
    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype newline = text.indexOf(u'\n', lineStart);
        const qsizetype lineEnd = newline < 0 ? text.size() : newline;
        const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
        const auto lineIdx = qsizetype(outline.lineStarts.size());
        outline.lineStarts.push_back(lineStart);

        if (const char16_t fence = fenceCharacter(line); fence != noFence) {
            if (openFence == noFence)
                openFence = fence;
            else if (openFence == fence)
                openFence = noFence;
        } else if (openFence == noFence) {
            if (auto heading = matchHeading(line, lineIdx))
                headings.push_back(std::move(*heading));
        }

        if (newline < 0)
            break;
        lineStart = newline + 1;
    }

    const bool hasPreamble = !headings.empty() && headings.front().lineIdx != 0;
    outline.sectionStartLineIdxs.clear();
    if (headings.empty() || hasPreamble)
        outline.sectionStartLineIdxs.push_back(0);
    outline.entries.reserve(headings.size());
    for (auto &heading : headings) {
        const auto id = qsizetype(outline.entries.size());
        outline.sectionStartLineIdxs.push_back(heading.lineIdx);
        outline.entries.push_back(OutlineEntry{id, heading.level, std::move(heading.title),
                                               outline.lineStarts[heading.lineIdx],
                                               hasPreamble ? id + 1 : id});
    }

    const auto lineCount = qsizetype(outline.lineStarts.size());
    const auto sectionCount = qsizetype(outline.sectionStartLineIdxs.size());
    outline.sectionRanges.clear();
    outline.sectionRanges.reserve(sectionCount);
    for (qsizetype k = 0; k < sectionCount; ++k) {
        const qsizetype start = outline.lineStarts[outline.sectionStartLineIdxs[k]];
        const bool isLast = k + 1 == sectionCount;
        const qsizetype nextLine = isLast ? lineCount : outline.sectionStartLineIdxs[k + 1];
        // A section stops before the line break that precedes the next heading line.
        const qsizetype end
            = isLast ? source.size() : std::max(start, outline.lineStarts[nextLine] - 1);
        outline.sectionRanges.push_back(OutlineSection{k, start, end - start});
    }
    return outline;
}

qsizetype Outline::sectionIndex(qsizetype location) const
{
    if (sectionStartLineIdxs.empty())
        return 0;
    const auto lineAfter = std::upper_bound(lineStarts.begin(), lineStarts.end(), location);
    const qsizetype line = std::max<qsizetype>(0, (lineAfter - lineStarts.begin()) - 1);
    const auto startAfter
        = std::upper_bound(sectionStartLineIdxs.begin(), sectionStartLineIdxs.end(), line);
    return std::max<qsizetype>(0, (startAfter - sectionStartLineIdxs.begin()) - 1);
}

QStringList Outline::sectionTexts() const
{
    QStringList texts;
    texts.reserve(qsizetype(sectionRanges.size()));
    for (const auto &section : sectionRanges)
        texts.push_back(source.mid(section.sourceLocation, section.length));
    return texts;
}

} // namespace Tarn

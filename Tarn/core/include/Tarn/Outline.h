#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace Tarn {

/// One ATX heading. Offsets are UTF-16 code units of the outlined text.
struct OutlineEntry
{
    qsizetype id = 0;             ///< index among all headings
    int level = 1;                ///< number of '#' characters, 1...6
    QString title;                ///< heading text, trailing spaces and tabs excluded
    qsizetype sourceLocation = 0; ///< start of the heading's line
    qsizetype sectionIndex = 0;   ///< the section this heading opens

    friend bool operator==(const OutlineEntry &, const OutlineEntry &) = default;
};

/// A slice of the text rendered on its own: one per heading plus an optional preamble.
struct OutlineSection
{
    qsizetype id = 0;
    qsizetype sourceLocation = 0;
    qsizetype length = 0;

    friend bool operator==(const OutlineSection &, const OutlineSection &) = default;
};

/// The headings of a Markdown text and its division into sections. A plain value; parse() is
/// pure and safe on any thread.
struct Outline
{
    std::vector<OutlineEntry> entries;
    QString source;
    std::vector<OutlineSection> sectionRanges{OutlineSection{}};
    std::vector<qsizetype> lineStarts{0};
    std::vector<qsizetype> sectionStartLineIdxs{0};

    /// Headings are ATX lines outside fenced code blocks; an unclosed fence hides the rest.
    static Outline parse(const QString &source);

    /// The section holding `location`; 0 for locations before the text, the last section
    /// for locations past its end.
    qsizetype sectionIndex(qsizetype location) const;

    /// The text of every section, in order.
    QStringList sectionTexts() const;

    friend bool operator==(const Outline &, const Outline &) = default;
};

} // namespace Tarn

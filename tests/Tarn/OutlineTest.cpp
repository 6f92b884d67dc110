#include <Tarn/Outline.h>

#include <gtest/gtest.h>
#include <optional>

using Tarn::Outline;
using Tarn::OutlineEntry;
using Tarn::OutlineSection;

namespace {

struct ExpectedHeading
{
    int level;
    QString title;
};

std::vector<ExpectedHeading> headingsOf(const Outline &outline)
{
    std::vector<ExpectedHeading> headings;
    for (const auto &entry : outline.entries)
        headings.push_back({entry.level, entry.title});
    return headings;
}

bool operator==(const ExpectedHeading &a, const ExpectedHeading &b)
{
    return a.level == b.level && a.title == b.title;
}

void PrintTo(const ExpectedHeading &heading, std::ostream *out)
{
    *out << heading.level << ":\"" << heading.title.toStdString() << '"';
}

} // namespace

TEST(Outline, EmptyTextGivesTheEmptyOutline)
{
    const Outline empty;
    EXPECT_EQ(Outline::parse(QString()), empty);
    EXPECT_EQ(empty.sectionRanges, (std::vector<OutlineSection>{{0, 0, 0}}));
    EXPECT_EQ(empty.lineStarts, std::vector<qsizetype>{0});
    EXPECT_EQ(empty.sectionStartLineIdxs, std::vector<qsizetype>{0});
    EXPECT_EQ(empty.sectionTexts(), QStringList{QString()});
}

TEST(Outline, HeadingOnFirstLineHasNoPreamble)
{
    const QString text = QStringLiteral("# One\nbody\n## Two\nmore");
    const Outline outline = Outline::parse(text);
    EXPECT_EQ(outline.entries, (std::vector<OutlineEntry>{
                                   {0, 1, QStringLiteral("One"), 0, 0},
                                   {1, 2, QStringLiteral("Two"), 11, 1},
                               }));
    // The first section stops before the line break that precedes the next heading.
    EXPECT_EQ(outline.sectionRanges, (std::vector<OutlineSection>{{0, 0, 10}, {1, 11, 11}}));
    EXPECT_EQ(outline.sectionTexts(),
              (QStringList{QStringLiteral("# One\nbody"), QStringLiteral("## Two\nmore")}));
    EXPECT_EQ(outline.lineStarts, (std::vector<qsizetype>{0, 6, 11, 18}));
}

TEST(Outline, TextBeforeFirstHeadingIsAPreamble)
{
    const Outline outline = Outline::parse(QStringLiteral("intro\n\n# A\ntext\n"));
    ASSERT_EQ(outline.entries.size(), 1u);
    EXPECT_EQ(outline.entries[0].sectionIndex, 1);
    EXPECT_EQ(outline.sectionStartLineIdxs, (std::vector<qsizetype>{0, 2}));
    EXPECT_EQ(outline.sectionRanges, (std::vector<OutlineSection>{{0, 0, 6}, {1, 7, 9}}));
    // The final line break yields a last, empty line.
    EXPECT_EQ(outline.lineStarts.back(), 16);
}

TEST(Outline, OffsetsAreUtf16CodeUnits)
{
    // The emoji is two UTF-16 code units, the accented letters one each.
    const QString text = QStringLiteral("\u00e9t\u00e9 \U0001F600\n# Titre \u00e0\n");
    const Outline outline = Outline::parse(text);
    ASSERT_EQ(outline.entries.size(), 1u);
    EXPECT_EQ(outline.entries[0].sourceLocation, 7);
    EXPECT_EQ(outline.entries[0].title, QStringLiteral("Titre \u00e0"));
    EXPECT_EQ(outline.sectionRanges[0].length, 6);
}

TEST(Outline, RecognisesOnlyAtxHeadingLines)
{
    struct Case
    {
        const char *line;
        std::optional<ExpectedHeading> heading;
    };
    const Case cases[] = {
        {"# Title", ExpectedHeading{1, QStringLiteral("Title")}},
        {"###### Six", ExpectedHeading{6, QStringLiteral("Six")}},
        {"####### Seven", std::nullopt},
        {"#NoSpace", std::nullopt},
        {"  # Indented", std::nullopt},
        {"#\tTabbed\t \t", ExpectedHeading{1, QStringLiteral("Tabbed")}},
        {"##   Spaced  out  ", ExpectedHeading{2, QStringLiteral("Spaced  out")}},
        {"## Closing ##", ExpectedHeading{2, QStringLiteral("Closing ##")}},
        {"# Windows\r", ExpectedHeading{1, QStringLiteral("Windows")}},
        {"# Split\rline", std::nullopt},
        {"# ", std::nullopt},
        {"#", std::nullopt},
        // Only blanks after the hashes: the lazy title takes the last blank.
        {"#  \t", ExpectedHeading{1, QStringLiteral("\t")}},
        {"Setext\n===", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const Outline outline = Outline::parse(QString::fromUtf8(c.line));
        if (!c.heading) {
            EXPECT_TRUE(outline.entries.empty());
            continue;
        }
        EXPECT_EQ(headingsOf(outline), std::vector<ExpectedHeading>{*c.heading});
    }
}

TEST(Outline, FencesHideHeadings)
{
    struct Case
    {
        const char *name;
        const char *text;
        std::vector<ExpectedHeading> headings;
    };
    const Case cases[] = {
        {"backtick fence", "```\n# hidden\n```\n# shown", {{1, QStringLiteral("shown")}}},
        {"tilde fence with info",
         "~~~~ python\n# hidden\n~~~\n# shown",
         {{1, QStringLiteral("shown")}}},
        {"other fence character does not close",
         "```\n# hidden\n~~~\n# still hidden\n```\n# shown",
         {{1, QStringLiteral("shown")}}},
        {"indented up to three spaces",
         "   ```\n# hidden\n```\n# shown",
         {{1, QStringLiteral("shown")}}},
        {"four spaces is no fence", "    ```\n# shown", {{1, QStringLiteral("shown")}}},
        {"tab before fence is no fence", "\t```\n# shown", {{1, QStringLiteral("shown")}}},
        {"two backticks is no fence", "``\n# shown", {{1, QStringLiteral("shown")}}},
        {"unclosed fence swallows the rest",
         "# before\n```\n# a\n# b",
         {{1, QStringLiteral("before")}}},
        {"fence line is never a heading", "```\n```\n# after", {{1, QStringLiteral("after")}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(headingsOf(Outline::parse(QString::fromUtf8(c.text))), c.headings);
    }
}

TEST(Outline, EntryIdsAndSectionsFollowHeadings)
{
    const Outline outline = Outline::parse(QStringLiteral("# a\n# b\n\n# c"));
    EXPECT_EQ(outline.sectionRanges,
              (std::vector<OutlineSection>{{0, 0, 3}, {1, 4, 4}, {2, 9, 3}}));
    for (std::size_t i = 0; i < outline.entries.size(); ++i) {
        EXPECT_EQ(outline.entries[i].id, qsizetype(i));
        EXPECT_EQ(outline.entries[i].sectionIndex, qsizetype(i));
    }
}

TEST(Outline, SectionLookupByLocation)
{
    // Lines: 0 "pre", 1 "# A" (4), 2 "x" (8), 3 "# B" (10), 4 "y" (14)
    const Outline withPreamble = Outline::parse(QStringLiteral("pre\n# A\nx\n# B\ny"));
    struct Case
    {
        qsizetype location;
        qsizetype section;
    };
    const Case cases[] = {
        {-5, 0}, {0, 0}, {3, 0}, {4, 1}, {6, 1}, {9, 1}, {10, 2}, {15, 2}, {1000, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.location);
        EXPECT_EQ(withPreamble.sectionIndex(c.location), c.section);
    }

    const Outline noHeadings = Outline::parse(QStringLiteral("plain\ntext"));
    EXPECT_EQ(noHeadings.sectionIndex(7), 0);
}

TEST(Outline, SectionsCoverTheTextWithoutGaps)
{
    const QString text = QStringLiteral("pre\r\n# A\r\n\r\n```\r\n# no\r\n```\r\n## B\r\ntail");
    const Outline outline = Outline::parse(text);
    EXPECT_EQ(headingsOf(outline),
              (std::vector<ExpectedHeading>{{1, QStringLiteral("A")}, {2, QStringLiteral("B")}}));
    qsizetype covered = 0;
    for (const auto &section : outline.sectionRanges) {
        EXPECT_EQ(section.sourceLocation, covered == 0 ? 0 : covered + 1);
        covered = section.sourceLocation + section.length;
    }
    EXPECT_EQ(covered, text.size());
}

// Arbitrary bytes from an alphabet rich in syntax must give a consistent outline.
TEST(Outline, ArbitraryInputKeepsInvariants)
{
    const char alphabet[]
        = {'#', '#', ' ', '\t', '\n', '\n', '\r', '`', '~', 'a', '\xC3', '\xA9', '\xFF', '\0'};
    std::uint32_t state = 12345;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        const int length = int(next() % 64);
        for (int i = 0; i < length; ++i)
            bytes += alphabet[next() % sizeof alphabet];
        const Outline outline = Outline::parse(QString::fromUtf8(bytes));
        SCOPED_TRACE(bytes.toHex().toStdString());

        ASSERT_FALSE(outline.sectionRanges.empty());
        qsizetype expectedStart = 0;
        for (const auto &section : outline.sectionRanges) {
            ASSERT_EQ(section.sourceLocation, expectedStart);
            ASSERT_GE(section.length, 0);
            expectedStart = section.sourceLocation + section.length + 1;
        }
        EXPECT_EQ(outline.sectionRanges.back().sourceLocation + outline.sectionRanges.back().length,
                  outline.source.size());
        for (const auto &entry : outline.entries) {
            EXPECT_FALSE(entry.title.isEmpty());
            EXPECT_EQ(outline.source.at(entry.sourceLocation), u'#');
            EXPECT_EQ(outline.sectionIndex(entry.sourceLocation), entry.sectionIndex);
            EXPECT_EQ(outline.sectionRanges[entry.sectionIndex].sourceLocation,
                      entry.sourceLocation);
        }
    }
}

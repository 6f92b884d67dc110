#include <Mermaid/TextMeasure.h>

#include <QFontInfo>

#include <cmath>
#include <gtest/gtest.h>

using namespace Mermaid;

namespace {

const FontSpec regular13{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
const FontSpec regular16{QStringLiteral("Helvetica"), 16, FontSpec::Weight::regular, false};

QStringList lineStrings(const TextMeasure::Block &block)
{
    QStringList strings;
    for (const auto &line : block.lines)
        strings.push_back(line.string);
    return strings;
}

} // namespace

TEST(TextMeasure, HelveticaIsNimbusSansWithDesignMetrics)
{
    const PlatformFont &font = TextMeasure::platformFont(regular16);
    EXPECT_TRUE(QFontInfo(font.font).family().startsWith(QStringLiteral("Nimbus Sans")))
        << QFontInfo(font.font).family().toStdString();
    // Nimbus Sans: ascender 1075, descender 299 per 1000 units. Hinted metrics at 16 px would
    // be 18 and 5.
    EXPECT_NEAR(font.ascent, 17.2, 1e-9);
    EXPECT_NEAR(font.descent, 4.784, 1e-9);
    EXPECT_GE(font.leading, 0);

    const auto line = TextMeasure::measureLine(QStringLiteral("Hello World 123 Dogs"), regular16);
    EXPECT_NEAR(line.width, 155.6, 1e-6); // 9725 design units, kerning included
    EXPECT_EQ(line.ascent, font.ascent);
    EXPECT_EQ(line.descent, font.descent);
}

TEST(TextMeasure, FontsAreCachedPerSpec)
{
    const FontSpec bold{QStringLiteral("Helvetica"), 13, FontSpec::Weight::bold, false};
    const FontSpec italic{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, true};
    EXPECT_EQ(&TextMeasure::platformFont(regular13), &TextMeasure::platformFont(regular13));
    EXPECT_NE(&TextMeasure::platformFont(regular13), &TextMeasure::platformFont(bold));
    EXPECT_NE(&TextMeasure::platformFont(regular13), &TextMeasure::platformFont(regular16));
    EXPECT_TRUE(TextMeasure::platformFont(bold).font.bold());
    EXPECT_TRUE(TextMeasure::platformFont(italic).font.italic());
    EXPECT_GT(TextMeasure::measureLine(QStringLiteral("Weight"), bold).width,
              TextMeasure::measureLine(QStringLiteral("Weight"), regular13).width);
}

TEST(TextMeasure, UnusableSizesMeasureAsNothing)
{
    for (const double size : {0.0, -4.0, std::nan("")}) {
        SCOPED_TRACE(size);
        const FontSpec font{QStringLiteral("Helvetica"), size, FontSpec::Weight::regular, false};
        const auto block = TextMeasure::measureBlock(QStringLiteral("text"), font);
        EXPECT_EQ(block.size, (Size{0, 0}));
    }
}

TEST(TextMeasure, EmptyLabelIsOneEmptyLine)
{
    const auto block = TextMeasure::measureBlock(QString(), regular13);
    ASSERT_EQ(block.lines.size(), 1);
    EXPECT_EQ(block.lines[0].string, QString());
    EXPECT_EQ(block.lines[0].width, 0);
    EXPECT_EQ(block.size.width, 0);
    EXPECT_EQ(block.size.height, std::ceil(block.lineHeight));
}

TEST(TextMeasure, BlockGeometryComesFromTheFontMetrics)
{
    const PlatformFont &font = TextMeasure::platformFont(regular13);
    const auto block = TextMeasure::measureBlock(QStringLiteral("one<br>two words<br>3"), regular13,
                                                 std::nullopt, 1.15);
    const double lineHeight = 1.15 * (font.ascent + font.descent + font.leading);
    EXPECT_DOUBLE_EQ(block.lineHeight, lineHeight);
    EXPECT_EQ(block.size.height, std::ceil(3 * lineHeight));
    EXPECT_DOUBLE_EQ(block.firstBaseline,
                     (lineHeight - (font.ascent + font.descent)) / 2 + font.ascent);
    EXPECT_EQ(block.size.width,
              std::ceil(TextMeasure::measureLine(QStringLiteral("two words"), regular13).width));
}

TEST(TextMeasure, LineBreakSpellings)
{
    struct Case
    {
        const char *text;
        QStringList lines;
    };
    const Case cases[] = {
        {"a<br/>b", {"a", "b"}}, {"a<br />b", {"a", "b"}},       {"a<br>b", {"a", "b"}},
        {"a<BR/>b", {"a", "b"}}, {"a<BR />b", {"a", "b"}},       {"a<BR>b", {"a", "b"}},
        {"a\\nb", {"a", "b"}},                           // backslash and n, as written in a label
        {"a\nb", {"a", "b"}},    {"a<Br>b", {"a<Br>b"}}, // only the listed spellings
        {"a<br>", {"a", ""}},    {"a<br><br>b", {"a", "", "b"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(lineStrings(TextMeasure::measureBlock(QString::fromUtf8(c.text), regular13)),
                  c.lines);
    }
}

TEST(TextMeasure, Wrapping)
{
    const double wordWidth = TextMeasure::measureLine(QStringLiteral("alpha"), regular13).width;
    const double pairWidth
        = TextMeasure::measureLine(QStringLiteral("alpha beta"), regular13).width;
    const QString longLabel = QStringLiteral("a long label that would never fit a small box");
    struct Case
    {
        const char *name;
        QString text;
        std::optional<double> maxWidth;
        QStringList lines;
    };
    const Case cases[] = {
        {"no maxWidth keeps one line", longLabel, std::nullopt, {longLabel}},
        {"maxWidth 0 does not wrap", longLabel, 0.0, {longLabel}},
        {"negative maxWidth does not wrap", longLabel, -5.0, {longLabel}},
        {"a word wider than maxWidth stays whole",
         QStringLiteral("alpha"),
         wordWidth / 2,
         {"alpha"}},
        {"two words too wide together",
         QStringLiteral("alpha beta"),
         pairWidth - 1,
         {"alpha", "beta"}},
        {"two words that fit", QStringLiteral("alpha beta"), pairWidth, {"alpha beta"}},
        {"two spaces make an empty word",
         QStringLiteral("alpha  beta"),
         pairWidth,
         {"alpha ", "beta"}},
        {"each source line wraps",
         QStringLiteral("alpha beta<br>alpha"),
         pairWidth - 1,
         {"alpha", "beta", "alpha"}},
        {"empty text", QString(), 10.0, {""}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lineStrings(TextMeasure::measureBlock(c.text, regular13, c.maxWidth)), c.lines);
    }
    const auto wrapped = TextMeasure::wrapLine(QStringLiteral("alpha beta"), regular13, 1);
    ASSERT_EQ(wrapped.size(), 2);
    EXPECT_DOUBLE_EQ(wrapped[0].width, wordWidth);
}

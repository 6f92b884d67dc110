// Inputs shaped to hurt: huge lines, many lines, long runs of separators. Each must finish
// (ctest's TIMEOUT catches a hang) and come back as a scene or a MermaidError.

#include <Mermaid/Mermaid.h>
#include <Mermaid/SvgWriter.h>
#include <Mermaid/TextMeasure.h>

#include <gtest/gtest.h>

using namespace Mermaid;

TEST(Pathological, EntryAndPieSurviveHugeInputs)
{
    struct Case
    {
        const char *name;
        QString source;
        bool rendered;
    };
    const Case cases[] = {
        {"a 200,000-character label",
         QStringLiteral("pie\n\"") + QString(200000, u'x') + QStringLiteral("\": 3\n\"b\": 4"),
         true},
        {"20,000 slices", QStringLiteral("pie\n") + QStringLiteral("\"s\": 1\n").repeated(20000),
         true},
        {"100,000 comment lines",
         QStringLiteral("%% c\n").repeated(100000) + QStringLiteral("pie\n\"a\": x"), false},
        {"a title of 200,000 line breaks",
         QStringLiteral("pie title ") + QStringLiteral("<br>").repeated(200000), true},
        {"a slice line of 500,000 colons",
         QStringLiteral("pie\n") + QString(500000, u':') + QStringLiteral("5"), true},
        {"an unclosed front matter of 100,000 lines",
         QStringLiteral("---\n") + QStringLiteral("theme: dark\n").repeated(100000), false},
        {"a directive of 500,000 quotes",
         QStringLiteral("%%{theme") + QString(500000, u'\'') + QStringLiteral("\npie"), true},
        {"a keyword of 1,000,000 letters", QString(1000000, u'p'), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto scene = render(c.source, false, LayoutBackend::dagre);
        EXPECT_EQ(scene.has_value(), c.rendered);
        if (scene) {
            EXPECT_TRUE(svgString(*scene).endsWith(QStringLiteral("</svg>\n")));
        }
    }
}

TEST(Pathological, VeryLongLinesMeasureWithoutOverflow)
{
    // Shaping works in 26.6 fixed point; a long enough line at the reference size would wrap
    // around. The width must stay proportional to the length.
    const FontSpec font{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};
    const double one = TextMeasure::measureLine(QStringLiteral("x"), font).width;
    for (const int length : {1000, 100000, 2000000}) {
        SCOPED_TRACE(length);
        const double width = TextMeasure::measureLine(QString(length, u'x'), font).width;
        EXPECT_NEAR(width / (one * length), 1, 0.01);
    }
}

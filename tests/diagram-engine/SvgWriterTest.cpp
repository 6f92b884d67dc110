#include <Mermaid/SvgWriter.h>

#include <QStringList>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace Mermaid;

namespace {

struct NumberCase
{
    double value;
    const char *written;
};

const NumberCase numberCases[] = {
    {12, "12"},
    {12.5, "12.5"},
    {0.125, "0.13"},   // ties away from zero
    {-0.125, "-0.13"}, // ties away from zero on the negative side too
    {2.999, "3"},
    {0.001, "0"},
    {-0.001, "0"}, // no "-0"
    {7.001, "7"},
    {100.456, "100.46"},
    {-3, "-3"},
    {0, "0"},
    {-0.0, "0"},
    {0.1, "0.1"},
    {0.10000001, "0.1"},
    {1e15, "1000000000000000"},
    {std::numeric_limits<double>::quiet_NaN(), "0"},
    {std::numeric_limits<double>::infinity(), "0"},
};

struct ColorCase
{
    Color color;
    const char *written;
};

const ColorCase colorCases[] = {
    {Color::rgb(0x9370db), "#9370db"},
    {Color::rgb(0x000000), "#000000"},
    {Color::rgb(0xffffff), "#ffffff"},
    {{0, 0, 0, 0.5}, "rgba(0,0,0,0.5)"},
    {{1, 0, 0, 0.9995}, "#ff0000"}, // 0.999 and above count as opaque
    {{1, 0, 0, 0.998}, "rgba(255,0,0,1)"},
    {{0, 0, 1, 0}, "rgba(0,0,255,0)"},
    {{2, -1, 0.5, 1}, "#ff0080"}, // clamped; 127.5 rounds away from zero
    {{0.25, 0.5, 0.75, 0.333}, "rgba(64,128,191,0.33)"},
};

QString svgOf(MermaidElement element)
{
    MermaidScene scene;
    scene.size = {10, 10};
    scene.elements.push_back(std::move(element));
    const QStringList lines = svgString(scene).split(u'\n');
    return lines.size() == 4 ? lines[1] : QString();
}

SceneText textElement(QString text)
{
    return {std::move(text), {1, 2}, FontSpec{}, Color::rgb(0x333333), TextAnchor::start};
}

} // namespace

TEST(SvgWriter, NumbersAreRoundedToTwoDecimals)
{
    for (const auto &c : numberCases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(svgNumber(c.value).toStdString(), c.written);
    }
    EXPECT_EQ(svgNumber(1e300).size(), 301);
    EXPECT_EQ(svgNumber(-1e300).left(2), QStringLiteral("-1"));
}

TEST(SvgWriter, ColorsAreHexWhenOpaqueAndRgbaOtherwise)
{
    for (const auto &c : colorCases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(cssColor(c.color).toStdString(), c.written);
    }
}

TEST(SvgWriter, EscapesOnlyAmpersandAndAngleBrackets)
{
    EXPECT_EQ(escapeXML(QStringLiteral("a<b & c>d \"q\" 'x'")),
              QStringLiteral("a&lt;b &amp; c&gt;d \"q\" 'x'"));
    EXPECT_EQ(escapeXML(QStringLiteral("&amp;")), QStringLiteral("&amp;amp;"));
    EXPECT_EQ(cssFontFamily(FontSpec{}),
              QStringLiteral("Helvetica, 'Helvetica Neue', Helvetica, Arial, sans-serif"));
}

TEST(SvgWriter, EmptySceneIsTwoLines)
{
    MermaidScene scene;
    scene.size = {404, 360.5};
    EXPECT_EQ(svgString(scene), QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                               "width=\"404\" height=\"360.5\" "
                                               "viewBox=\"0 0 404 360.5\">\n</svg>\n"));
}

TEST(SvgWriter, DocumentWithBackgroundAndElementsOnePerLine)
{
    MermaidScene scene;
    scene.size = {20, 10};
    scene.backgroundColor = Color::rgb(0x1e1e1e);
    scene.elements.push_back(SceneRect{{{1, 2}, {3, 4}}, 0, {Color::rgb(0xececff), {}, 1, {}}});
    scene.elements.push_back(textElement(QStringLiteral("x")));
    EXPECT_EQ(svgString(scene),
              QStringLiteral(
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\" "
                  "viewBox=\"0 0 20 10\">\n"
                  "<rect x=\"0\" y=\"0\" width=\"20\" height=\"10\" fill=\"#1e1e1e\"/>\n"
                  "<rect x=\"1\" y=\"2\" width=\"3\" height=\"4\" fill=\"#ececff\"/>\n"
                  "<text x=\"1\" y=\"2\" font-family=\"Helvetica, 'Helvetica Neue', Helvetica, "
                  "Arial, sans-serif\" font-size=\"13\" fill=\"#333333\" text-anchor=\"start\" "
                  "dominant-baseline=\"alphabetic\">x</text>\n"
                  "</svg>\n"));
}

TEST(SvgWriter, RectForms)
{
    struct Case
    {
        const char *name;
        SceneRect rect;
        const char *written;
    };
    const Case cases[] = {
        {"square corners, no stroke",
         {{{0.5, 1}, {10, 20}}, 0, {Color::rgb(0xffffff), {}, 3, std::vector<double>{2, 2}}},
         R"s(<rect x="0.5" y="1" width="10" height="20" fill="#ffffff"/>)s"},
        {"rounded corners",
         {{{0, 0}, {10, 20}}, 4, {{}, Color::rgb(0x9370db), 1.5, {}}},
         R"s(<rect x="0" y="0" width="10" height="20" rx="4" ry="4" fill="none" )s"
         R"s(stroke="#9370db" stroke-width="1.5" stroke-linecap="round" )s"
         R"s(stroke-linejoin="round"/>)s"},
        {"negative corner radius is square",
         {{{0, 0}, {1, 1}}, -2, {{}, {}, 1, {}}},
         R"s(<rect x="0" y="0" width="1" height="1" fill="none"/>)s"},
        {"negative size is standardised",
         {{{10, 10}, {-4, -6}}, 0, {{}, {}, 1, {}}},
         R"s(<rect x="6" y="4" width="4" height="6" fill="none"/>)s"},
        {"dashes",
         {{{0, 0}, {1, 1}}, 0, {{}, Color::rgb(0x333333), 2, std::vector<double>{3, 1.5}}},
         R"s(<rect x="0" y="0" width="1" height="1" fill="none" stroke="#333333" )s"
         R"s(stroke-width="2" stroke-dasharray="3,1.5" stroke-linecap="round" )s"
         R"s(stroke-linejoin="round"/>)s"},
        {"empty dash list is solid",
         {{{0, 0}, {1, 1}}, 0, {{}, Color::rgb(0x333333), 2, std::vector<double>{}}},
         R"s(<rect x="0" y="0" width="1" height="1" fill="none" stroke="#333333" )s"
         R"s(stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>)s"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(svgOf(c.rect).toStdString(), c.written);
    }
}

TEST(SvgWriter, PathDataAndEvenOddFill)
{
    ScenePath triangle;
    triangle.path.moveTo({0, 0});
    triangle.path.lineTo({10, 0});
    triangle.path.lineTo({5, 8.66});
    triangle.path.closeSubpath();
    triangle.path.quadCurveTo({1, 2}, {3, 4});
    triangle.path.curveTo({1, 2}, {3, 4.006}, {-5, 6});
    triangle.style = {{}, Color::rgb(0x000000), 1, {}};
    EXPECT_EQ(svgOf(triangle).toStdString(),
              R"s(<path d="M0 0L10 0L5 8.66ZQ1 2 3 4C1 2 3 4.01 -5 6" fill="none" )s"
              R"s(fill-rule="evenodd" stroke="#000000" stroke-width="1" stroke-linecap="round" )s"
              R"s(stroke-linejoin="round"/>)s");

    ScenePath filled;
    filled.path.moveTo({1, 1});
    filled.style = {Color{0, 0, 0, 0.5}, {}, 1, {}};
    EXPECT_EQ(svgOf(filled).toStdString(),
              R"s(<path d="M1 1" fill="rgba(0,0,0,0.5)" fill-rule="evenodd"/>)s");
}

TEST(SvgWriter, TextForms)
{
    SceneText plain = textElement(QStringLiteral("a < b & c > \"d\""));
    plain.anchor = TextAnchor::middle;
    EXPECT_EQ(svgOf(plain).toStdString(),
              R"s(<text x="1" y="2" font-family="Helvetica, 'Helvetica Neue', Helvetica, Arial, )s"
              R"s(sans-serif" font-size="13" fill="#333333" text-anchor="middle" )s"
              R"s(dominant-baseline="alphabetic">a &lt; b &amp; c &gt; "d"</text>)s");

    SceneText styled = textElement(QStringLiteral("x"));
    styled.font = {QStringLiteral("My \"Font\" & <Co>"), 13.5, FontSpec::Weight::bold, true};
    styled.anchor = TextAnchor::end;
    styled.color = {1, 1, 1, 0.25};
    EXPECT_EQ(svgOf(styled).toStdString(),
              R"s(<text x="1" y="2" font-family="My &quot;Font&quot; &amp; &lt;Co&gt;, )s"
              R"s('Helvetica Neue', Helvetica, Arial, sans-serif" font-size="13.5" )s"
              R"s(font-weight="bold" font-style="italic" fill="rgba(255,255,255,0.25)" )s"
              R"s(text-anchor="end" dominant-baseline="alphabetic">x</text>)s");
}

TEST(Path, RectAndEllipseAreClosedSubpaths)
{
    Path rect;
    rect.addRect({{0, 0}, {4, 2}});
    Path ellipse;
    ellipse.addEllipse({{0, 0}, {20, 10}});
    ASSERT_EQ(ellipse.elements().size(), 6u);
    EXPECT_EQ(ellipse.elements().front().points.front(), (Point{20, 5}));
    EXPECT_EQ(ellipse.elements().back().kind, PathElement::Kind::closeSubpath);
    for (size_t i = 1; i < 5; ++i)
        EXPECT_EQ(ellipse.elements()[i].kind, PathElement::Kind::curveTo);
    EXPECT_EQ(rect.elements().size(), 5u);
    EXPECT_EQ(rect.elements().back().kind, PathElement::Kind::closeSubpath);
}

TEST(Path, ArcsAreQuarterTurnCubicsOnTheCircle)
{
    struct Case
    {
        const char *name;
        double start;
        double end;
        ArcDirection direction;
        size_t curves;
        Point last;
    };
    const double pi = std::acos(-1.0);
    const Case cases[] = {
        {"full turn", -pi / 2, 3 * pi / 2, ArcDirection::increasingAngle, 4, {0, -10}},
        {"more than a full turn draws it once", 0, 7, ArcDirection::increasingAngle, 4, {10, 0}},
        {"eighth",
         0,
         pi / 4,
         ArcDirection::increasingAngle,
         1,
         {10 * std::cos(pi / 4), 10 * std::sin(pi / 4)}},
        {"end behind start goes round", 0, -pi / 2, ArcDirection::increasingAngle, 3, {0, -10}},
        {"decreasing", 0, -pi / 2, ArcDirection::decreasingAngle, 1, {0, -10}},
        {"empty sweep",
         1,
         1,
         ArcDirection::increasingAngle,
         0,
         {10 * std::cos(1.0), 10 * std::sin(1.0)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Path path;
        path.moveTo({0, 0});
        path.addArc({0, 0}, 10, c.start, c.end, c.direction);
        const auto &elements = path.elements();
        ASSERT_EQ(elements.size(), 2 + c.curves);
        EXPECT_EQ(elements[1].kind, PathElement::Kind::lineTo);
        const Point last = elements.back().points.back();
        EXPECT_NEAR(last.x, c.last.x, 1e-9);
        EXPECT_NEAR(last.y, c.last.y, 1e-9);
        // The midpoint of each cubic lies on the circle (within the usual 0.03% error).
        for (size_t i = 2; i < elements.size(); ++i) {
            const Point p0 = elements[i - 1].points.back();
            const auto &p = elements[i].points;
            const double mx = (p0.x + 3 * p[0].x + 3 * p[1].x + p[2].x) / 8;
            const double my = (p0.y + 3 * p[0].y + 3 * p[1].y + p[2].y) / 8;
            EXPECT_NEAR(std::hypot(mx, my), 10, 0.01);
        }
    }

    Path skipped;
    skipped.addArc({0, 0}, 10, 0, std::numeric_limits<double>::quiet_NaN(),
                   ArcDirection::increasingAngle);
    EXPECT_TRUE(skipped.isEmpty());
}

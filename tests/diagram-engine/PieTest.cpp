#include "pie/PieParser.h"
#include "pie/PieRenderer.h"

#include <Mermaid/Mermaid.h>
#include <Mermaid/TextMeasure.h>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>

using namespace Mermaid;

namespace {

const FontSpec legendFont{QStringLiteral("Helvetica"), 13, FontSpec::Weight::regular, false};

PieChart parsed(const char *source)
{
    const auto chart = PieParser::parse(QString::fromUtf8(source));
    EXPECT_TRUE(chart.has_value()) << (chart ? "" : chart.error().description().toStdString());
    return chart ? *chart : PieChart{};
}

template <typename T> std::vector<T> elementsOf(const MermaidScene &scene)
{
    std::vector<T> found;
    for (const auto &element : scene.elements) {
        if (const auto *payload = std::get_if<T>(&element))
            found.push_back(*payload);
    }
    return found;
}

PieChart chartOfValues(std::initializer_list<double> values)
{
    PieChart chart;
    for (const double value : values)
        chart.slices.push_back({QStringLiteral("s%1").arg(chart.slices.size()), value});
    return chart;
}

} // namespace

TEST(PieParser, HeaderAndTitle)
{
    struct Case
    {
        const char *source;
        std::optional<QString> title;
    };
    const Case cases[] = {
        {"pie", std::nullopt},
        {"PIE", std::nullopt},
        {"pie title Pets adopted", QStringLiteral("Pets adopted")},
        {"pie showData title Key", QStringLiteral("Key")},
        {"pie showdata", std::nullopt},
        {"pie Fruit", QStringLiteral("Fruit")},
        {"pie TITLE   Spaced  ", QStringLiteral("Spaced")},
        {"pie title", QStringLiteral("title")}, // no space after title: the words are the title
        {"pie\ntitle Later", QStringLiteral("Later")},
        {"pie title First\ntitle Second", QStringLiteral("Second")},
        {"pie\n  showData\n  \"a\": 1", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(parsed(c.source).title, c.title);
    }
}

TEST(PieParser, Slices)
{
    struct Case
    {
        const char *source;
        QList<PieSlice> slices;
    };
    const Case cases[] = {
        {"pie\n\"Dogs\" : 386\n  Cats:85.5  ", {{"Dogs", 386}, {"Cats", 85.5}}},
        {"pie\n\"a:b\" : 2", {{"a:b", 2}}}, // the last colon splits
        {"pie\nhost:port: 3", {{"host:port", 3}}},
        {"pie\n\"\" : 1\n\" : 2", {{"", 1}, {"\"", 2}}},          // one quote is kept
        {"pie\n\"say \\\"hi\\\"\" : 1", {{"say \\\"hi\\\"", 1}}}, // nothing unescaped
        {"pie\nno colon here\n\"a\": 1", {{"a", 1}}},             // skipped without error
        {"pie\n\"a\": -2\n\"b\": +4", {{"a", -2}, {"b", 4}}},
        {"pie\n\"a\": 1e2\n\"b\": 0x10\n\"c\": .5", {{"a", 100}, {"b", 16}, {"c", 0.5}}},
        {"pie\n\"a\": inf\n\"b\": -Infinity",
         {{"a", std::numeric_limits<double>::infinity()},
          {"b", -std::numeric_limits<double>::infinity()}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(parsed(c.source).slices, c.slices);
    }
    const auto nan = parsed("pie\n\"a\": nan");
    ASSERT_EQ(nan.slices.size(), 1);
    EXPECT_TRUE(std::isnan(nan.slices[0].value));
}

TEST(PieParser, Errors)
{
    struct Case
    {
        const char *source;
        MermaidError error;
    };
    const Case cases[] = {
        {"", MermaidError::parse(QStringLiteral("Empty pie chart source"), 0)},
        {"\n  \n\t", MermaidError::parse(QStringLiteral("Empty pie chart source"), 0)},
        {"\n\npiechart", MermaidError::parse(QStringLiteral("Expected `pie` header"), 3)},
        {"pie:", MermaidError::parse(QStringLiteral("Expected `pie` header"), 1)},
        {"pie\n\n\"a\": 12 kg",
         MermaidError::parse(QStringLiteral("Slice value must be a number"), 3)},
        {"pie\n\"a\":", MermaidError::parse(QStringLiteral("Slice value must be a number"), 2)},
        {"pie\n\"a\": 1,5", MermaidError::parse(QStringLiteral("Slice value must be a number"), 2)},
        {"pie\n\"a\": 1e", MermaidError::parse(QStringLiteral("Slice value must be a number"), 2)},
        {"pie\n\"a\": 0x", MermaidError::parse(QStringLiteral("Slice value must be a number"), 2)},
        {"pie\n\"a\": \xD9\xA3",
         MermaidError::parse(QStringLiteral("Slice value must be a number"), 2)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        const auto chart = PieParser::parse(QString::fromUtf8(c.source));
        ASSERT_FALSE(chart.has_value());
        EXPECT_EQ(chart.error(), c.error);
    }
    EXPECT_EQ(PieParser::parse(QString()).error().description(),
              QStringLiteral("Parse error: Empty pie chart source"));
}

TEST(PieRenderer, HeaderOnlyDrawsNoData)
{
    const MermaidScene scene = PieRenderer::render(PieChart{}, MermaidTheme::default_);
    EXPECT_EQ(scene.size, (Size{404, 360}));
    EXPECT_EQ(scene.backgroundColor, Color::rgb(0xffffff));
    ASSERT_EQ(scene.elements.size(), 1u);
    const SceneText expected{QStringLiteral("(no data)"),
                             {180, 180},
                             legendFont,
                             Color::rgb(0x333333),
                             TextAnchor::middle};
    EXPECT_EQ(std::get<SceneText>(scene.elements[0]), expected);
}

TEST(PieRenderer, LayoutOfAChartWithTitle)
{
    PieChart chart = chartOfValues({386, 85, 15});
    chart.slices[0].label = QStringLiteral("Dogs");
    chart.title = QStringLiteral("Pets");
    const MermaidScene scene = PieRenderer::render(chart, MermaidTheme::dark);
    const auto &colors = palette(MermaidTheme::dark);

    const FontSpec titleFont{QStringLiteral("Helvetica"), 18, FontSpec::Weight::bold, false};
    const auto titleBlock = TextMeasure::measureBlock(QStringLiteral("Pets"), titleFont);
    const double titleHeight = titleBlock.size.height + 12;
    const double legendWidth
        = 20 + TextMeasure::measureBlock(QStringLiteral("Dogs \u2014 386"), legendFont).size.width;
    EXPECT_EQ(scene.size, (Size{legendWidth + 384, titleHeight + 328 + 32}));

    // Title, then slice and label pairs (15 of 486 is 3%: no label), then the legend rows.
    ASSERT_EQ(scene.elements.size(), 1u + 5u + 6u);
    const auto title = std::get<SceneText>(scene.elements[0]);
    EXPECT_EQ(title.origin, (Point{scene.size.width / 2, 16 + titleBlock.firstBaseline}));
    EXPECT_EQ(title.font, titleFont);
    EXPECT_EQ(title.color, colors.pieTitleColor);
    EXPECT_EQ(title.anchor, TextAnchor::middle);

    const auto paths = elementsOf<ScenePath>(scene);
    ASSERT_EQ(paths.size(), 3u);
    const double centreY = 16 + titleHeight + 164;
    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(paths[i].style.fill, colors.pieSlices[i]);
        EXPECT_EQ(paths[i].style.stroke, colors.pieStroke);
        EXPECT_EQ(paths[i].style.strokeWidth, 1);
        const auto &elements = paths[i].path.elements();
        EXPECT_EQ(elements.front().points[0], (Point{180, centreY}));
        EXPECT_EQ(elements.back().kind, PathElement::Kind::closeSubpath);
    }
    // The first slice starts at twelve o'clock.
    EXPECT_NEAR(paths[0].path.elements()[1].points[0].x, 180, 1e-9);
    EXPECT_NEAR(paths[0].path.elements()[1].points[0].y, centreY - 160, 1e-9);

    const auto texts = elementsOf<SceneText>(scene);
    ASSERT_EQ(texts.size(), 1u + 2u + 3u);
    EXPECT_EQ(texts[1].text, QStringLiteral("79%"));
    EXPECT_EQ(texts[2].text, QStringLiteral("17%"));
    const FontSpec percentFont{QStringLiteral("Helvetica"), 13, FontSpec::Weight::bold, false};
    const auto percentBlock = TextMeasure::measureBlock(QStringLiteral("79%"), percentFont);
    const double middle = -std::numbers::pi / 2 + 386.0 / 486 * std::numbers::pi;
    EXPECT_NEAR(texts[1].origin.x, 180 + 104 * std::cos(middle), 1e-9);
    EXPECT_NEAR(texts[1].origin.y,
                centreY + 104 * std::sin(middle) + percentBlock.firstBaseline
                    - percentBlock.size.height / 2,
                1e-9);
    EXPECT_EQ(texts[1].color, colors.textColor);

    const auto swatches = elementsOf<SceneRect>(scene);
    ASSERT_EQ(swatches.size(), 3u);
    const double offset = (328 - 66) / 2.0;
    const auto legendBlock = TextMeasure::measureBlock(texts[3].text, legendFont);
    for (size_t i = 0; i < swatches.size(); ++i) {
        SCOPED_TRACE(i);
        const double rowTop = 16 + titleHeight + offset + 22 * i + 4;
        EXPECT_EQ(swatches[i].rect, (Rect{{368, rowTop}, {14, 14}}));
        EXPECT_EQ(swatches[i].cornerRadius, 0);
        EXPECT_EQ(swatches[i].style.fill, colors.pieSlices[i]);
        EXPECT_EQ(texts[3 + i].origin, (Point{388, rowTop + 7 + legendBlock.firstBaseline
                                                       - legendBlock.size.height / 2}));
        EXPECT_EQ(texts[3 + i].anchor, TextAnchor::start);
    }
    EXPECT_EQ(texts[3].text, QStringLiteral("Dogs \u2014 386"));
    EXPECT_EQ(texts[4].text, QStringLiteral("s1 \u2014 85"));
}

TEST(PieRenderer, PercentLabelsFromFourPercent)
{
    const auto texts = elementsOf<SceneText>(
        PieRenderer::render(chartOfValues({1, 99}), MermaidTheme::default_));
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, QStringLiteral("99%"));

    // The rounded percentage decides: 3.6% is labelled 4%, 3.4% gets no label.
    const auto rounded = elementsOf<SceneText>(
        PieRenderer::render(chartOfValues({3.6, 96.4}), MermaidTheme::default_));
    EXPECT_EQ(rounded[0].text, QStringLiteral("4%"));
    const auto below = elementsOf<SceneText>(
        PieRenderer::render(chartOfValues({3.4, 96.6}), MermaidTheme::default_));
    EXPECT_EQ(below[0].text, QStringLiteral("97%"));
}

TEST(PieRenderer, ThirteenSlicesReuseTheFirstColour)
{
    const auto scene = PieRenderer::render(chartOfValues({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}),
                                           MermaidTheme::default_);
    const auto paths = elementsOf<ScenePath>(scene);
    const auto swatches = elementsOf<SceneRect>(scene);
    ASSERT_EQ(paths.size(), 13u);
    ASSERT_EQ(swatches.size(), 13u);
    EXPECT_EQ(paths[12].style.fill, Color::rgb(0xececff));
    EXPECT_EQ(swatches[12].style.fill, Color::rgb(0xececff));
    EXPECT_EQ(paths[11].style.fill, Color::rgb(0xd9d9f2));
}

TEST(PieRenderer, AllZeroValuesDrawNoDataAndBareLabels)
{
    PieChart chart = chartOfValues({0, 0});
    const auto scene = PieRenderer::render(chart, MermaidTheme::default_);
    EXPECT_TRUE(elementsOf<ScenePath>(scene).empty());
    const auto texts = elementsOf<SceneText>(scene);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, QStringLiteral("(no data)"));
    EXPECT_EQ(texts[1].text, QStringLiteral("s0"));
    EXPECT_EQ(elementsOf<SceneRect>(scene).size(), 2u);
}

TEST(PieRenderer, TallLegendGrowsTheCanvas)
{
    PieChart chart;
    for (int i = 0; i < 20; ++i)
        chart.slices.push_back({QStringLiteral("x"), 1});
    const auto scene = PieRenderer::render(chart, MermaidTheme::default_);
    EXPECT_EQ(scene.size.height, 440 + 32);
    EXPECT_EQ(elementsOf<SceneRect>(scene).front().rect.origin.y, 16 + 4);
}

TEST(PieRenderer, LegendValues)
{
    struct Case
    {
        double value;
        const char *written;
    };
    const Case cases[] = {
        {386, "386"}, {2.5, "2.5"}, {2.25, "2.2"}, {-3, "-3"}, {1e20, "100000000000000000000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.written);
        PieChart chart;
        chart.slices = {{QStringLiteral("a"), c.value}, {QStringLiteral("b"), 1e21}};
        const auto texts
            = elementsOf<SceneText>(PieRenderer::render(chart, MermaidTheme::default_));
        EXPECT_EQ(texts[texts.size() - 2].text,
                  QStringLiteral("a \u2014 ") + QString::fromLatin1(c.written));
    }
}

TEST(PieRenderer, ShowDataDrawsTheSameAsWithout)
{
    const auto plain
        = render(QStringLiteral("pie title Key\n\"a\": 1\n\"b\": 2"), false, LayoutBackend::dagre);
    const auto shown = render(QStringLiteral("pie showData title Key\n\"a\": 1\n\"b\": 2"), false,
                              LayoutBackend::dagre);
    ASSERT_TRUE(plain && shown);
    EXPECT_EQ(*plain, *shown);
}

TEST(PieRenderer, OddValuesNeverFail)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const auto &values :
         {chartOfValues({-5, 10}), chartOfValues({inf, 1}), chartOfValues({inf, -inf}),
          chartOfValues({nan, 1}), chartOfValues({1e308, 1e308}), chartOfValues({-1, -2})}) {
        const auto scene = PieRenderer::render(values, MermaidTheme::default_);
        EXPECT_GT(scene.size.width, 0);
        EXPECT_EQ(elementsOf<SceneRect>(scene).size(), 2u);
    }
}

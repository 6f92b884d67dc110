// The SVG writer and the scene drawing must show the same picture. The SVG is rasterised by an
// independent renderer (rsvg-convert from librsvg) and compared with bitmapImage pixel by
// pixel.
//
// Shapes are compared everywhere with a small tolerance: the two rasterisers anti-alias edges
// differently, so a pixel on an edge may differ by a fraction of its coverage, but a shape in a
// different place, with another fill rule, cap, join, dash or colour changes whole runs of
// pixels. Text is where the renderers legitimately part: both use Nimbus Sans, but librsvg
// shapes through Pango with its own hinting and glyph rasteriser, so glyph edges differ
// everywhere along the outline. Text runs are therefore masked out of the pixel comparison and
// checked on their own by geometry: the ink of each run must cover the same box (within a
// pixel) and about the same number of pixels, which catches a wrong anchor, baseline, size,
// weight or font while tolerating rasterisation.

#include <Mermaid/Mermaid.h>
#include <Mermaid/SceneDrawing.h>
#include <Mermaid/SvgWriter.h>
#include <Mermaid/TextMeasure.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using namespace Mermaid;

namespace {

constexpr double zoom = 2;

std::optional<QImage> rasteriseWithRsvg(const QString &program, const MermaidScene &scene)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return std::nullopt;
    const QString svgPath = dir.filePath(QStringLiteral("scene.svg"));
    const QString pngPath = dir.filePath(QStringLiteral("scene.png"));
    QFile svg(svgPath);
    if (!svg.open(QIODevice::WriteOnly))
        return std::nullopt;
    svg.write(svgString(scene).toUtf8());
    svg.close();
    QProcess process;
    process.start(program, {QStringLiteral("--zoom=%1").arg(zoom), QStringLiteral("--format=png"),
                            QStringLiteral("--output=%1").arg(pngPath), svgPath});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        ADD_FAILURE() << "rsvg-convert failed: " << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    QImage image(pngPath);
    if (image.isNull())
        return std::nullopt;
    return image.convertToFormat(QImage::Format_ARGB32);
}

int channelDifference(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// The pixel box a text run may ink: its advance between the font's ascent and descent, with a
// margin for glyphs that overhang their advance.
QRect textBox(const SceneText &text)
{
    const PlatformFont &font = TextMeasure::platformFont(text.font);
    const double width = TextMeasure::measureLine(text.text, text.font).width;
    const double shift = text.anchor == TextAnchor::start    ? 0
                         : text.anchor == TextAnchor::middle ? -width / 2
                                                             : -width;
    const double margin = 2;
    const double left = text.origin.x + shift - margin;
    const double top = text.origin.y - font.ascent - margin;
    return QRect(QPoint(int(std::floor(left * zoom)), int(std::floor(top * zoom))),
                 QPoint(int(std::ceil((left + width + 2 * margin) * zoom)),
                        int(std::ceil((text.origin.y + font.descent + margin) * zoom))));
}

struct Ink
{
    QRect bounds;
    int pixels = 0;
};

// Pixels inside `box` that look like the text's colour, whatever they are drawn over.
Ink inkIn(const QImage &image, const QRect &box, QRgb textColor)
{
    Ink ink;
    const QRect clipped = box & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            if (channelDifference(image.pixel(x, y), textColor) < 64) {
                ink.bounds |= QRect(x, y, 1, 1);
                ++ink.pixels;
            }
        }
    }
    return ink;
}

QRgb opaqueRgb(const Color &color)
{
    return qRgb(qRound(color.red * 255), qRound(color.green * 255), qRound(color.blue * 255));
}

void expectSamePicture(const MermaidScene &scene)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
    if (program.isEmpty())
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    const auto reference = rasteriseWithRsvg(program, scene);
    ASSERT_TRUE(reference.has_value());
    const auto drawn = bitmapImage(scene, zoom);
    ASSERT_TRUE(drawn.has_value());
    const QImage image = drawn->convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), reference->size());

    std::vector<std::pair<QRect, QRgb>> texts;
    for (const auto &element : scene.elements) {
        if (const auto *text = std::get_if<SceneText>(&element))
            texts.emplace_back(textBox(*text), opaqueRgb(text->color));
    }
    const auto inText = [&texts](int x, int y) {
        return std::any_of(texts.cbegin(), texts.cend(),
                           [x, y](const auto &text) { return text.first.contains(x, y); });
    };

    qint64 compared = 0;
    qint64 edgeDifferences = 0;  // more than anti-aliasing shows on a clean edge
    qint64 largeDifferences = 0; // covered by one renderer and not by the other
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inText(x, y))
                continue;
            ++compared;
            const int difference = channelDifference(image.pixel(x, y), reference->pixel(x, y));
            edgeDifferences += difference > 24;
            largeDifferences += difference > 128;
        }
    }
    // Measured on these scenes: under 0.08% edge pixels and no large difference. A shape moved
    // by half a point, a missing cap or a wrong fill rule costs far more.
    EXPECT_LE(edgeDifferences, compared * 2 / 1000) << "of " << compared << " pixels";
    EXPECT_LE(largeDifferences, compared / 10000) << "of " << compared << " pixels";

    for (const auto &[box, color] : texts) {
        const Ink ours = inkIn(image, box, color);
        const Ink theirs = inkIn(*reference, box, color);
        SCOPED_TRACE(testing::Message() << "text box at " << box.x() << "," << box.y());
        ASSERT_GT(theirs.pixels, 0);
        // Along the run, hinted advances add up to a pixel or two over a long title; across
        // it, the renderers agree to a pixel.
        constexpr int alongTolerance = 3;
        constexpr int acrossTolerance = 1;
        EXPECT_NEAR(ours.bounds.left(), theirs.bounds.left(), alongTolerance);
        EXPECT_NEAR(ours.bounds.right(), theirs.bounds.right(), alongTolerance);
        EXPECT_NEAR(ours.bounds.top(), theirs.bounds.top(), acrossTolerance);
        EXPECT_NEAR(ours.bounds.bottom(), theirs.bounds.bottom(), acrossTolerance);
        EXPECT_NEAR(ours.pixels, theirs.pixels, theirs.pixels * 0.15);
    }
}

MermaidScene shapesScene()
{
    MermaidScene scene;
    scene.size = {320, 200};
    scene.backgroundColor = Color::rgb(0xfafafa);
    // Rounded and square rects, solid and dashed outlines.
    scene.elements.push_back(
        SceneRect{{{12, 12}, {90, 50}}, 8, {Color::rgb(0xececff), Color::rgb(0x9370db), 2, {}}});
    scene.elements.push_back(
        SceneRect{{{120, 12}, {90, 50}},
                  0,
                  {Color::rgb(0xffffde), Color::rgb(0xaaaa33), 1.5, std::vector<double>{6, 4}}});
    // A self-intersecting star: even-odd leaves its centre unfilled.
    ScenePath star;
    const Point centre{270, 45};
    for (int i = 0; i < 5; ++i) {
        const double angle = -std::numbers::pi / 2 + i * 4 * std::numbers::pi / 5;
        const Point point{centre.x + 35 * std::cos(angle), centre.y + 35 * std::sin(angle)};
        if (i == 0)
            star.path.moveTo(point);
        else
            star.path.lineTo(point);
    }
    star.path.closeSubpath();
    star.style = {Color::rgb(0xffd9d9), Color::rgb(0x000000), 1, {}};
    scene.elements.push_back(star);
    // A pie slice and an ellipse with a translucent fill over it.
    ScenePath slice;
    slice.path.moveTo({70, 140});
    slice.path.addArc({70, 140}, 50, -std::numbers::pi / 2, 0.7, ArcDirection::increasingAngle);
    slice.path.closeSubpath();
    slice.style = {Color::rgb(0xb3e6ff), Color::rgb(0x000000), 1, {}};
    scene.elements.push_back(slice);
    ScenePath ellipse;
    ellipse.path.addEllipse({{60, 110}, {90, 60}});
    ellipse.style = {Color{0.5, 0.2, 0.8, 0.5}, {}, 1, {}};
    scene.elements.push_back(ellipse);
    // An open polyline with round joins and caps, and a dashed curve.
    ScenePath polyline;
    polyline.path.moveTo({170, 110});
    polyline.path.lineTo({200, 180});
    polyline.path.lineTo({230, 110});
    polyline.path.quadCurveTo({260, 190}, {300, 120});
    polyline.style = {{}, Color::rgb(0x333333), 5, {}};
    scene.elements.push_back(polyline);
    ScenePath dashedCurve;
    dashedCurve.path.moveTo({170, 90});
    dashedCurve.path.curveTo({210, 60}, {260, 130}, {310, 90});
    dashedCurve.style = {{}, Color::rgb(0x81b1db), 3, std::vector<double>{8, 5, 2}};
    scene.elements.push_back(dashedCurve);
    return scene;
}

} // namespace

TEST(SvgRasterComparison, ShapesLookTheSame) { expectSamePicture(shapesScene()); }

TEST(SvgRasterComparison, PieChartLooksTheSame)
{
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark" : "light");
        const auto scene = render(QStringLiteral("pie title Pets adopted by volunteers\n"
                                                 "  \"Dogs\" : 386\n  \"Cats\" : 85\n"
                                                 "  \"Rats\" : 15\n  \"Fish\" : 40.5"),
                                  dark, LayoutBackend::dagre);
        ASSERT_TRUE(scene.has_value());
        expectSamePicture(*scene);
    }
}

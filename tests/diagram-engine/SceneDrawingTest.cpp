#include <Mermaid/SceneDrawing.h>
#include <Mermaid/TextMeasure.h>

#include <QColorSpace>
#include <QPainter>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Mermaid;

namespace {

// The bounding box of the pixels whose alpha is above half.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) > 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

MermaidScene sceneWith(MermaidElement element, Size size = {100, 40})
{
    MermaidScene scene;
    scene.size = size;
    scene.elements.push_back(std::move(element));
    return scene;
}

} // namespace

TEST(SceneDrawing, PdfHasOnePageOfTheSceneSize)
{
    MermaidScene scene = sceneWith(
        SceneRect{{{10, 10}, {50, 20}}, 4, {Color::rgb(0xececff), Color::rgb(0x9370db), 1, {}}},
        {477, 401});
    scene.backgroundColor = Color::rgb(0xffffff);
    const QByteArray pdf = pdfData(scene);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    const QString text = QString::fromLatin1(pdf);
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b"))), 1);
    const auto box
        = QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"))
              .match(text);
    ASSERT_TRUE(box.hasMatch());
    EXPECT_DOUBLE_EQ(box.captured(1).toDouble(), 477);
    EXPECT_DOUBLE_EQ(box.captured(2).toDouble(), 401);

    EXPECT_TRUE(pdfData(MermaidScene{}).isEmpty());
}

TEST(SceneDrawing, BitmapSizeScaleAndFormat)
{
    const MermaidScene scene
        = sceneWith(SceneRect{{{0, 0}, {10, 10}}, 0, {Color::rgb(0), {}, 1, {}}}, {100.2, 40});
    const auto image = bitmapImage(scene, 2);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->size(), QSize(201, 80));
    EXPECT_EQ(image->format(), QImage::Format_RGBA8888_Premultiplied);
    EXPECT_EQ(image->colorSpace(), QColorSpace(QColorSpace::SRgb));

    const auto tiny = bitmapImage(scene, 0); // drawn at 0.01
    ASSERT_TRUE(tiny.has_value());
    EXPECT_EQ(tiny->size(), QSize(2, 1));

    EXPECT_FALSE(bitmapImage(MermaidScene{}, 2).has_value());
    EXPECT_FALSE(bitmapImage(sceneWith(SceneRect{}, {1e9, 10}), 2).has_value());
}

TEST(SceneDrawing, FillsStrokesAndTransparency)
{
    // A filled rect without stroke, and an outlined path without fill, on no background.
    MermaidScene scene;
    scene.size = {100, 50};
    scene.elements.push_back(SceneRect{{{10, 10}, {30, 30}}, 0, {Color::rgb(0xff0000), {}, 6, {}}});
    ScenePath ring;
    ring.path.addRect({{60, 10}, {30, 30}});
    ring.style = {{}, Color::rgb(0x0000ff), 4, {}};
    scene.elements.push_back(ring);
    const auto image = bitmapImage(scene, 1);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixel(5, 5), qRgba(0, 0, 0, 0));       // transparent canvas
    EXPECT_EQ(image->pixel(25, 25), qRgba(255, 0, 0, 255)); // filled
    EXPECT_EQ(image->pixel(8, 25), qRgba(0, 0, 0, 0));      // no outline
    EXPECT_EQ(image->pixel(75, 25), qRgba(0, 0, 0, 0));     // not filled
    EXPECT_EQ(image->pixel(60, 25), qRgba(0, 0, 255, 255)); // outline centred on the edge
    EXPECT_EQ(image->pixel(58, 25), qRgba(0, 0, 255, 255));
}

TEST(SceneDrawing, PathsFillEvenOddAndDash)
{
    ScenePath frame;
    frame.path.addRect({{0, 0}, {40, 40}});
    frame.path.addRect({{10, 10}, {20, 20}}); // same direction: a hole only under even-odd
    frame.style = {Color::rgb(0x00ff00), {}, 1, {}};
    const auto image = bitmapImage(sceneWith(frame, {40, 40}), 1);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->pixel(5, 5), qRgba(0, 255, 0, 255));
    EXPECT_EQ(image->pixel(20, 20), qRgba(0, 0, 0, 0));

    ScenePath dashed;
    dashed.path.moveTo({0, 5});
    dashed.path.lineTo({100, 5});
    dashed.style = {{}, Color::rgb(0), 2, std::vector<double>{10, 10}};
    const auto dashes = bitmapImage(sceneWith(dashed, {100, 10}), 1);
    ASSERT_TRUE(dashes.has_value());
    EXPECT_EQ(qAlpha(dashes->pixel(5, 5)), 255); // inside the first dash
    EXPECT_EQ(qAlpha(dashes->pixel(15, 5)), 0);  // in the gap (caps reach 1 point)
    EXPECT_EQ(qAlpha(dashes->pixel(25, 5)), 255);
}

TEST(SceneDrawing, TextAnchorsPlaceTheAdvanceWidth)
{
    const FontSpec font{QStringLiteral("Helvetica"), 20, FontSpec::Weight::regular, false};
    const QString text = QStringLiteral("HIH"); // vertical stems close to the advance edges
    const double width = TextMeasure::measureLine(text, font).width;
    const PlatformFont &platform = TextMeasure::platformFont(font);
    struct Case
    {
        TextAnchor anchor;
        double expectedLeft;
    };
    const Case cases[] = {
        {TextAnchor::start, 100},
        {TextAnchor::middle, 100 - width / 2},
        {TextAnchor::end, 100 - width},
    };
    constexpr double scale = 4;
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.anchor));
        const SceneText element{text, {100, 50}, font, Color::rgb(0), c.anchor};
        const auto image = bitmapImage(sceneWith(element, {200, 80}), scale);
        ASSERT_TRUE(image.has_value());
        const QRect ink = inkBounds(*image);
        // H has side bearings of about 0.08 em; the stems' outer edges lie inside the advance.
        EXPECT_NEAR(ink.left() / scale, c.expectedLeft + 0.08 * 20, 0.75);
        EXPECT_NEAR((ink.right() + 1) / scale, c.expectedLeft + width - 0.08 * 20, 0.75);
        // The baseline is at origin.y: H stands on it, reaching cap height above.
        EXPECT_NEAR((ink.bottom() + 1) / scale, 50, 0.5);
        EXPECT_LT(ink.top() / scale, 50 - 0.6 * platform.ascent);
    }
}

TEST(SceneDrawing, DrawSceneLeavesThePainterAsItFoundIt)
{
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(3, 4);
    painter.setPen(Qt::red);
    MermaidScene scene = sceneWith(
        SceneText{QStringLiteral("x"), {1, 10}, FontSpec{}, Color::rgb(0), TextAnchor::start},
        {20, 20});
    scene.backgroundColor = Color::rgb(0xffffff);
    drawScene(scene, painter);
    EXPECT_EQ(painter.transform(), QTransform::fromTranslate(3, 4));
    EXPECT_EQ(painter.pen().color(), QColor(Qt::red));
    painter.end();
    EXPECT_EQ(image.pixel(1, 1), qRgba(0, 0, 0, 0));         // outside the translated canvas
    EXPECT_EQ(image.pixel(4, 5), qRgba(255, 255, 255, 255)); // the background
}

#include <Tarn/HTMLRenderer.h>

#include <QSignalSpy>
#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

// Runs a script in the loaded page and waits for its result.
QVariant evaluate(QWebEnginePage &page, const QString &script)
{
    QVariant result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        QTest::qWait(50);
    return result;
}

} // namespace

// The figures are laid out by a real browser engine: every inline SVG has a size.
TEST(ExportedPageInBrowser, DiagramsLayOutWithNonZeroSize)
{
    const QString markdown
        = QStringLiteral("# Report\n\n"
                         "```mermaid\npie title Share\n  \"A\" : 3\n  \"B\" : 1\n```\n\n"
                         "Text between.\n\n"
                         "```Mermaid\npie\n  \"Only\" : 1\n```\n");
    const QString html = Tarn::makeHTMLPage(markdown, QStringLiteral("Report"));

    // A view the width of the exported page gives the layout its viewport.
    QWebEngineView view;
    view.resize(816, 1056);
    view.show();
    QWebEnginePage &page = *view.page();
    page.setHtml(html);
    QSignalSpy loaded(&page, &QWebEnginePage::loadFinished);
    ASSERT_TRUE(loaded.wait(60000));
    ASSERT_TRUE(loaded.first().first().toBool());

    const QVariantList sizes
        = evaluate(page, QStringLiteral("Array.from(document.querySelectorAll("
                                        "'figure.mermaid-diagram svg')).map(svg => {"
                                        "const box = svg.getBoundingClientRect();"
                                        "return [box.width, box.height]; })"))
              .toList();
    ASSERT_EQ(sizes.size(), 2);
    for (const QVariant &size : sizes) {
        const QVariantList box = size.toList();
        ASSERT_EQ(box.size(), 2);
        EXPECT_GT(box[0].toDouble(), 0.0);
        EXPECT_GT(box[1].toDouble(), 0.0);
    }
    EXPECT_EQ(evaluate(page, QStringLiteral("document.title")).toString(),
              QStringLiteral("Report"));
}

// Diagram panels: renders off the main thread into the run-wide cache, one per appearance;
// collapse and zoom shared by equal sources; the width limits; the failure texts.

#include "PreviewTestSupport.h"

#include <Tarn/MermaidDiagramView.h>
#include <Tarn/MermaidRenderer.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Tarn;

namespace {

// Each test uses sources of its own, so that the shared cache and state start empty for it.
QString pieSource(const QString &title)
{
    return QStringLiteral("pie title %1\n    \"A\" : 30\n    \"B\" : 70").arg(title);
}

std::unique_ptr<MermaidDiagramView> showDiagram(const QString &source)
{
    auto view = std::make_unique<MermaidDiagramView>(source);
    view->resize(600, 500);
    view->show();
    return view;
}

bool waitUntilPresented(MermaidDiagramView &view)
{
    if (view.phase() != MermaidDiagramView::Phase::loading)
        return true;
    QSignalSpy presented(&view, &MermaidDiagramView::presented);
    return presented.wait(20000);
}

bool pickerShown(const MermaidDiagramView &view)
{
    return view.findChild<QComboBox *>(QStringLiteral("zoomPicker"))->isVisibleTo(&view);
}

QString text(const std::string_view view)
{
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

} // namespace

class MermaidDiagramViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        QApplication::setPalette(PreviewTest::lightPalette());
        QCoreApplication::processEvents();
    }

    void zoomSteps()
    {
        QCOMPARE(rawValue(MermaidZoom::small), 50);
        QCOMPARE(rawValue(MermaidZoom::xlarge), 125);
        QCOMPARE(pickerLabel(MermaidZoom::medium), QStringLiteral("75%"));
        QCOMPARE(mermaidZoomFromRaw(100), MermaidZoom::large);
        QCOMPARE(mermaidZoomFromRaw(90), std::nullopt);
        QCOMPARE(MermaidViewState::instance().state(QStringLiteral("never seen")),
                 (MermaidViewState::State{false, MermaidZoom::medium}));
    }

    void widthLimits_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<double>("natural");
        QTest::addColumn<double>("widest");
        QTest::newRow("1600 at 75% stops at 900") << 75 << 1600.0 << 900.0;
        QTest::newRow("1600 at 50% is 800") << 50 << 1600.0 << 800.0;
        QTest::newRow("400 at 125% grows to 500") << 125 << 400.0 << 500.0;
        QTest::newRow("800 at 125% stops at 900") << 125 << 800.0 << 900.0;
    }
    void widthLimits()
    {
        QFETCH(int, zoom);
        QFETCH(double, natural);
        QFETCH(double, widest);
        QCOMPARE(maximumDiagramWidth(*mermaidZoomFromRaw(zoom), natural), widest);
    }

    void rendersOncePerAppearance()
    {
        const QString source = pieSource(QStringLiteral("Appearances"));
        MermaidCache &cache = MermaidCache::instance();
        auto view = showDiagram(source);
        // Not cached: the render runs elsewhere while the panel says so, without a picker.
        QCOMPARE(view->phase(), MermaidDiagramView::Phase::loading);
        QVERIFY(view->findChild<QLabel *>(QStringLiteral("loadingLabel"))->isVisibleTo(view.get()));
        QCOMPARE(view->findChild<QLabel *>(QStringLiteral("loadingLabel"))->text(),
                 QStringLiteral("Rendering diagram…"));
        QVERIFY(!pickerShown(*view));
        QVERIFY(waitUntilPresented(*view));
        QCOMPARE(view->phase(), MermaidDiagramView::Phase::image);
        QVERIFY(pickerShown(*view));
        QVERIFY(cache.lookup({source, false}));
        QVERIFY(!cache.lookup({source, true}));

        // Dark: a miss, rendered once more.
        QSignalSpy phases(view.get(), &MermaidDiagramView::phaseChanged);
        QApplication::setPalette(PreviewTest::darkPalette());
        QTRY_VERIFY(view->isDark());
        QCOMPARE(phases.first().first().value<MermaidDiagramView::Phase>(),
                 MermaidDiagramView::Phase::loading);
        QVERIFY(waitUntilPresented(*view));
        QCOMPARE(view->phase(), MermaidDiagramView::Phase::image);
        QVERIFY(cache.lookup({source, true}));

        // Back to light: the cached picture at once, never the progress line.
        phases.clear();
        QApplication::setPalette(PreviewTest::lightPalette());
        QTRY_VERIFY(!view->isDark());
        QCOMPARE(phases.size(), 1);
        QCOMPARE(phases.first().first().value<MermaidDiagramView::Phase>(),
                 MermaidDiagramView::Phase::image);

        // A second panel on the same source is served from the cache too.
        auto second = showDiagram(source);
        QCOMPARE(second->phase(), MermaidDiagramView::Phase::image);
    }

    void collapseIsSharedBetweenEqualSources()
    {
        const QString source = pieSource(QStringLiteral("Shared"));
        auto first = showDiagram(source);
        auto second = showDiagram(source);
        auto other = showDiagram(pieSource(QStringLiteral("Other")));
        QVERIFY(waitUntilPresented(*first));
        QVERIFY(waitUntilPresented(*second));
        QVERIFY(waitUntilPresented(*other));

        auto *button = first->findChild<QToolButton *>(QStringLiteral("collapseButton"));
        QCOMPARE(button->toolTip(), QStringLiteral("Collapse diagram"));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(MermaidViewState::instance().state(source).collapsed);
        for (MermaidDiagramView *view : {first.get(), second.get()}) {
            auto *viewButton = view->findChild<QToolButton *>(QStringLiteral("collapseButton"));
            QCOMPARE(viewButton->toolTip(), QStringLiteral("Expand diagram"));
            QVERIFY(!pickerShown(*view));
            QTRY_VERIFY(!view->picture()->isVisibleTo(view));
        }
        QVERIFY(pickerShown(*other));
        QVERIFY(other->picture()->isVisibleTo(other.get()));

        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY(second->picture()->isVisibleTo(second.get()));
        QVERIFY(pickerShown(*second));
    }

    void zoomSetsThePictureWidth()
    {
        const QString source = pieSource(QStringLiteral("Zoom"));
        auto first = showDiagram(source);
        auto second = showDiagram(source);
        QVERIFY(waitUntilPresented(*first));
        QVERIFY(waitUntilPresented(*second));
        MermaidPictureView *picture = second->picture();
        const double natural = picture->naturalSize().width();
        QVERIFY(natural > 0);
        QCOMPARE(picture->maximumDisplayWidth(), maximumDiagramWidth(MermaidZoom::medium, natural));

        auto *picker = first->findChild<QComboBox *>(QStringLiteral("zoomPicker"));
        QCOMPARE(picker->toolTip(), QStringLiteral("Diagram size"));
        QCOMPARE(picker->itemText(0), QStringLiteral("50%"));
        picker->setCurrentIndex(0);
        Q_EMIT picker->activated(0);
        QCOMPARE(MermaidViewState::instance().state(source).zoom, MermaidZoom::small);
        const double expected = maximumDiagramWidth(MermaidZoom::small, natural);
        QTRY_COMPARE(picture->maximumDisplayWidth(), expected);
        // The aspect ratio is kept at the new width.
        const QSizeF shown = picture->displaySize(10000);
        QCOMPARE(shown.width(), expected);
        QVERIFY(qAbs(shown.height() - expected * picture->naturalSize().height() / natural) < 1e-6);
    }

    void failureTexts_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("unsupported kind")
            << QStringLiteral("gantt\n    title Plan")
            << QStringLiteral("Unsupported Mermaid diagram type: gantt");
    }
    void failureTexts()
    {
        QFETCH(QString, source);
        QFETCH(QString, message);
        auto view = showDiagram(source);
        QVERIFY(waitUntilPresented(*view));
        QCOMPARE(view->phase(), MermaidDiagramView::Phase::failed);
        QVERIFY(view->failureMessage().startsWith(message));
        QCOMPARE(view->findChild<QLabel *>(QStringLiteral("failureLabel"))->text(),
                 view->failureMessage());
        QVERIFY(
            view->findChild<QWidget *>(QStringLiteral("diagramSource"))->isVisibleTo(view.get()));
        QVERIFY(!pickerShown(*view));
        // The failure is cached: a second panel shows it without rendering.
        QVERIFY(MermaidCache::instance().lookup({source, false}));
        auto second = showDiagram(source);
        QCOMPARE(second->phase(), MermaidDiagramView::Phase::failed);
    }

    void undecodablePictureFailsButStaysCached()
    {
        const QString source = QStringLiteral("pie title Undecodable");
        const MermaidRender broken{MermaidRender::Pdf{QByteArray("not a pdf"), QSizeF(100, 50)}};
        MermaidCache::instance().insert({source, false}, broken);
        auto view = showDiagram(source);
        QCOMPARE(view->phase(), MermaidDiagramView::Phase::failed);
        QCOMPARE(view->failureMessage(), text(MermaidDiagramView::rasteriseFailureMessage));
        QVERIFY(!pickerShown(*view));
        QCOMPARE(MermaidCache::instance().lookup({source, false}), broken);
    }

    void renderResults()
    {
        const MermaidRender pie = MermaidRender::render(pieSource(QStringLiteral("R")), false);
        const auto *pdf = std::get_if<MermaidRender::Pdf>(&pie.value);
        QVERIFY(pdf);
        QVERIFY(pdf->data.startsWith("%PDF"));
        QVERIFY(pdf->size.width() > 0 && pdf->size.height() > 0);

        const MermaidRender failed = MermaidRender::render(QStringLiteral("gantt"), true);
        const auto *failure = std::get_if<MermaidRender::Failed>(&failed.value);
        QVERIFY(failure);
        QVERIFY(failure->message.startsWith(QStringLiteral("Unsupported Mermaid diagram type: ")));
    }
};

QObject *makeMermaidDiagramViewTest() { return new MermaidDiagramViewTest; }

#include "MermaidDiagramViewTest.moc"

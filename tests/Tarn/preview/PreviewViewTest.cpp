// The preview pane: section rows and their anchors, scrolling to sections, rows rebuilt only
// where the text changed, and the block views that matter for layout.

#include "PreviewTestSupport.h"

#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/MDBlockView.h>
#include <Tarn/MarkdownDocument.h>
#include <Tarn/PreviewView.h>

#include <QPropertyAnimation>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Tarn;

namespace {

// Sections tall enough that the pane scrolls between them.
QString tallSection(const QString &title)
{
    QString text = QStringLiteral("# ") + title + QStringLiteral("\n\n");
    for (int paragraph = 0; paragraph < 30; ++paragraph)
        text += QStringLiteral("Paragraph %1 of %2.\n\n").arg(paragraph).arg(title);
    return text;
}

QString tallDocument()
{
    return QStringLiteral("Preamble.\n\n") + tallSection(QStringLiteral("One"))
           + tallSection(QStringLiteral("Two")) + tallSection(QStringLiteral("Three"));
}

struct Pane
{
    std::unique_ptr<MarkdownDocument> document;
    std::unique_ptr<DocumentOutlineModel> outline;
    std::unique_ptr<PreviewView> view;
};

Pane openPane(const QString &text, QSize size = {400, 500})
{
    Pane pane;
    pane.document = std::make_unique<MarkdownDocument>(text);
    pane.outline = std::make_unique<DocumentOutlineModel>(pane.document.get());
    pane.view = std::make_unique<PreviewView>(pane.outline.get());
    pane.view->resize(size);
    pane.view->show();
    if (!QTest::qWaitForWindowExposed(pane.view.get()))
        qWarning("preview did not show");
    return pane;
}

// The text a paragraph's view shows, as a screen reader gets it.
QString paragraphText(QWidget *blockView)
{
    const auto children = blockView->findChildren<QWidget *>();
    return children.isEmpty() ? QString() : children.first()->accessibleName();
}

} // namespace

class PreviewViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void anchorsPerSection_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("anchors");
        QTest::newRow("three headings") << QStringLiteral("# A\n\nx\n\n# B\n\ny\n\n# C\n")
                                        << QStringList{"section-0", "section-1", "section-2"};
        QTest::newRow("preamble first") << QStringLiteral("intro\n\n# A\n\n# B\n")
                                        << QStringList{"section-0", "section-1", "section-2"};
        QTest::newRow("empty document") << QString() << QStringList{"section-0"};
    }
    void anchorsPerSection()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, anchors);
        Pane pane = openPane(text, {400, 2000});
        QCOMPARE(pane.view->sectionAnchors(), anchors);
        for (qsizetype index = 0; index < anchors.size(); ++index) {
            // Everything fits, so every row is built and carries its anchor.
            MarkdownRendererView *row = pane.view->sectionRow(index);
            QVERIFY(row);
            QCOMPARE(row->objectName(), anchors[index]);
            QCOMPARE(pane.view->findChild<MarkdownRendererView *>(anchors[index]), row);
        }
    }

    void emptyDocumentShowsEmptyPane()
    {
        Pane pane = openPane(QString());
        MarkdownRendererView *row = pane.view->sectionRow(0);
        QVERIFY(row);
        QVERIFY(row->findChildren<MDBlockView *>().isEmpty());
    }

    void rowsAreBuiltOnlyNearTheView()
    {
        QString text;
        for (int section = 0; section < 200; ++section)
            text += tallSection(QString::number(section));
        Pane pane = openPane(text, {400, 300});
        QCOMPARE(pane.view->sectionCount(), 200);
        QVERIFY(pane.view->sectionRow(0));
        QVERIFY(!pane.view->sectionRow(199));
        // Scrolling to the end builds the rows that come into view.
        pane.view->verticalScrollBar()->setValue(pane.view->verticalScrollBar()->maximum());
        QVERIFY(pane.view->sectionRow(199));
        QVERIFY(!pane.view->sectionRow(100));
    }

    void scrollRequests_data()
    {
        QTest::addColumn<qsizetype>("index");
        QTest::addColumn<bool>("known");
        QTest::newRow("third heading, after the preamble") << qsizetype(3) << true;
        QTest::newRow("first heading") << qsizetype(1) << true;
        QTest::newRow("past the last section") << qsizetype(4) << false;
        QTest::newRow("negative") << qsizetype(-1) << false;
    }
    void scrollRequests()
    {
        QFETCH(qsizetype, index);
        QFETCH(bool, known);
        Pane pane = openPane(tallDocument());
        QScrollBar *bar = pane.view->verticalScrollBar();
        bar->setValue(40);
        QTest::qWait(20);
        const int before = bar->value();

        Q_EMIT pane.outline->scrollToSection(index);
        QPropertyAnimation *animation = pane.view->scrollAnimation();
        if (!known) {
            QCOMPARE(animation->state(), QAbstractAnimation::Stopped);
            QTest::qWait(PreviewView::scrollMilliseconds + 100);
            QCOMPARE(bar->value(), before);
            return;
        }
        QCOMPARE(animation->state(), QAbstractAnimation::Running);
        QCOMPARE(animation->duration(), PreviewView::scrollMilliseconds);
        QCOMPARE(animation->easingCurve().type(), QEasingCurve::InOutQuad);
        const int target = std::min(*pane.view->sectionTop(index), bar->maximum());
        QCOMPARE(animation->endValue().toInt(), target);
        QTRY_COMPARE(animation->state(), QAbstractAnimation::Stopped);
        // The section's row is now at the top of the view.
        QCOMPARE(bar->value(), std::min(*pane.view->sectionTop(index), bar->maximum()));
        MarkdownRendererView *row = pane.view->sectionRow(index);
        QVERIFY(row);
        QCOMPARE(row->objectName(), PreviewView::sectionAnchor(index));
        QCOMPARE(row->mapTo(pane.view->viewport(), QPoint(0, 0)).y(), 0);
    }

    void editRebuildsOnlyTheChangedSection()
    {
        const QString text = QStringLiteral("# A\n\nalpha\n\n# B\n\nbeta\n\n# C\n\ngamma\n");
        Pane pane = openPane(text, {400, 2000});
        MarkdownRendererView *rowA = pane.view->sectionRow(0);
        MarkdownRendererView *rowB = pane.view->sectionRow(1);
        MarkdownRendererView *rowC = pane.view->sectionRow(2);
        QVERIFY(rowA && rowB && rowC);
        const std::vector<MDBlockView *> blocksB = rowB->blockViews();
        QCOMPARE(blocksB.size(), size_t(2));

        // Through the outline model, as typing does.
        QSignalSpy published(pane.outline.get(), &DocumentOutlineModel::outlineChanged);
        const QString edited = QStringLiteral("# A\n\nalpha\n\n# B\n\nbetas\n\n# C\n\ngamma\n");
        pane.document->setText(edited);
        QVERIFY(published.wait(5000));
        QCOMPARE(pane.view->sectionRow(0), rowA);
        QCOMPARE(pane.view->sectionRow(2), rowC);
        // The edited section's row stays, and so do its block views: the edited paragraph's
        // view shows the new text in place.
        QCOMPARE(pane.view->sectionRow(1), rowB);
        QCOMPARE(rowB->source(), Outline::parse(edited).sectionTexts()[1]);
        QCOMPARE(rowB->blockViews().size(), size_t(2));
        QCOMPARE(rowB->blockViews()[0], blocksB[0]);
        QCOMPARE(rowB->blockViews()[1], blocksB[1]);
        QCOMPARE(paragraphText(blocksB[1]), QStringLiteral("betas"));

        // A paragraph that becomes another kind of block gets a new view.
        const QString quoted = QStringLiteral("# A\n\nalpha\n\n# B\n\n> betas\n\n# C\n\ngamma\n");
        pane.view->showOutline(Outline::parse(quoted));
        QCOMPARE(pane.view->sectionRow(1), rowB);
        QCOMPARE(rowB->blockViews()[0], blocksB[0]);
        QVERIFY(rowB->blockViews()[1] != blocksB[1]);
        pane.view->showOutline(Outline::parse(edited));

        // A new heading in the middle: the rows around it stay and later anchors move on.
        const QString split
            = QStringLiteral("# A\n\nalpha\n\n# B\n\nbetas\n\n# B2\n\nmore\n\n# C\n\ngamma\n");
        pane.view->showOutline(Outline::parse(split));
        QCOMPARE(pane.view->sectionCount(), 4);
        QCOMPARE(pane.view->sectionRow(0), rowA);
        QCOMPARE(pane.view->sectionRow(3), rowC);
        QCOMPARE(rowC->objectName(), QStringLiteral("section-3"));
        QCOMPARE(pane.view->sectionRow(2)->objectName(), QStringLiteral("section-2"));
    }

    // Edits that keep every length and place: only a comparison of the text can see them.
    void sameLengthEditsAreSeen_data()
    {
        QTest::addColumn<QString>("edited");
        const QString base = QStringLiteral("# A\n\nalpha\n\n# B\n\nbeta\n\n# C\n\ngamma\n");
        QTest::newRow("first section")
            << QString(base).replace(QStringLiteral("alpha"), QStringLiteral("alphA"));
        QTest::newRow("middle section")
            << QString(base).replace(QStringLiteral("beta"), QStringLiteral("bexa"));
        QTest::newRow("last section")
            << QString(base).replace(QStringLiteral("gamma"), QStringLiteral("gammo"));
        QTest::newRow("two sections")
            << QString(base)
                   .replace(QStringLiteral("alpha"), QStringLiteral("Alpha"))
                   .replace(QStringLiteral("gamma"), QStringLiteral("Gamma"));
    }

    void sameLengthEditsAreSeen()
    {
        QFETCH(QString, edited);
        const QString base = QStringLiteral("# A\n\nalpha\n\n# B\n\nbeta\n\n# C\n\ngamma\n");
        Pane pane = openPane(base, {400, 2000});
        pane.view->showOutline(Outline::parse(edited));
        const QStringList sections = Outline::parse(edited).sectionTexts();
        QCOMPARE(pane.view->sectionCount(), sections.size());
        for (qsizetype index = 0; index < sections.size(); ++index) {
            MarkdownRendererView *row = pane.view->sectionRow(index);
            QVERIFY(row);
            QCOMPARE(row->source(), sections[index]);
            QCOMPARE(paragraphText(row->blockViews().back()), sections[index].section(u'\n', 2, 2));
        }
    }

    void editKeepsTheViewInPlace_data()
    {
        QTest::addColumn<int>("editedSection");
        QTest::newRow("the section at the top") << 3;
        QTest::newRow("a section above, growing") << 1;
    }
    void editKeepsTheViewInPlace()
    {
        QFETCH(int, editedSection);
        Pane pane = openPane(tallDocument());
        QScrollBar *bar = pane.view->verticalScrollBar();
        bar->setValue(*pane.view->sectionTop(3) + 30);
        QTest::qWait(20);
        const auto topOfRow3 = [&pane] {
            return pane.view->sectionRow(3)->mapTo(pane.view->viewport(), QPoint(0, 0)).y();
        };
        QCOMPARE(topOfRow3(), -30);

        const Outline before = Outline::parse(tallDocument());
        const auto &range = before.sectionRanges[size_t(editedSection)];
        QString edited = before.source;
        edited.insert(range.sourceLocation + range.length,
                      QStringLiteral("An added paragraph.\n\nAnd another.\n\n"));
        pane.view->showOutline(Outline::parse(edited));
        QCOMPARE(topOfRow3(), -30);
    }

    void fullRebuildReplacesEveryRow()
    {
        const QString text = QStringLiteral("# A\n\nalpha\n\n# B\n\nbeta\n");
        Pane pane = openPane(text, {400, 2000});
        MarkdownRendererView *rowA = pane.view->sectionRow(0);
        pane.view->rebuild(Outline::parse(text));
        QVERIFY(pane.view->sectionRow(0));
        QVERIFY(pane.view->sectionRow(0) != rowA);
    }

    void blockViews_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        QTest::newRow("level 2 heading has a divider")
            << QStringLiteral("## Two\n") << QStringLiteral("heading2/divider") << QString();
        QTest::newRow("level 3 heading has none")
            << QStringLiteral("### Three\n") << QStringLiteral("heading3")
            << QStringLiteral("heading3/divider");
        QTest::newRow("code block with a language") << QStringLiteral("```Swift\nlet x = 1\n```\n")
                                                    << QStringLiteral("codeLanguage") << QString();
        QTest::newRow("code block without a language")
            << QStringLiteral("```\nplain\n```\n") << QStringLiteral("codeBlock")
            << QStringLiteral("codeLanguage");
        QTest::newRow("ticked task") << QStringLiteral("- [x] done\n- [ ] open\n")
                                     << QStringLiteral("checkedBox") << QString();
        QTest::newRow("unticked task only")
            << QStringLiteral("- [ ] open\n") << QStringLiteral("uncheckedBox")
            << QStringLiteral("checkedBox");
        QTest::newRow("footnotes") << QStringLiteral("A note[^1].\n\n[^1]: The note.\n")
                                   << QStringLiteral("footnotesTitle") << QString();
        QTest::newRow("front matter") << QStringLiteral("---\ntitle: T\n---\n\nBody\n")
                                      << QStringLiteral("frontMatter") << QString();
    }
    void blockViews()
    {
        QFETCH(QString, markdown);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        MarkdownRendererView view(markdown);
        view.resize(400, view.heightForWidth(400));
        auto find = [&view](const QString &path) -> QWidget * {
            QWidget *found = &view;
            for (const auto &name : path.split(u'/')) {
                if (name == u"divider") {
                    // Dividers are hairlines: a 1-point-high child.
                    QWidget *hairline = nullptr;
                    for (QWidget *child : found->findChildren<QWidget *>()) {
                        if (child->maximumHeight() == 1)
                            hairline = child;
                    }
                    return hairline;
                }
                found = found->findChild<QWidget *>(name);
                if (!found)
                    return nullptr;
            }
            return found;
        };
        QVERIFY2(find(present), qPrintable(present));
        if (!absent.isEmpty())
            QVERIFY2(!find(absent), qPrintable(absent));
    }

    void deepNestingIsDrawnWithoutOverflow_data()
    {
        QTest::addColumn<QString>("markdown");
        QTest::newRow("quotes") << QString(QStringLiteral("> ").repeated(5000) + u'x');
        QString lists;
        for (int depth = 0; depth < 1000; ++depth)
            lists += QString(depth * 2, u' ') + QStringLiteral("- item\n");
        QTest::newRow("lists") << lists;
    }
    void deepNestingIsDrawnWithoutOverflow()
    {
        QFETCH(QString, markdown);
        MarkdownRendererView view(markdown);
        view.resize(400, std::max(1, view.heightForWidth(400)));
        const QPixmap picture = view.grab(QRect(0, 0, 400, 800));
        QVERIFY(!picture.isNull());
        QVERIFY(!view.findChildren<MDBlockView *>().isEmpty());
    }

    void orderedListNumbersFromStart()
    {
        MarkdownRendererView view(QStringLiteral("7. seven\n8. eight\n"));
        QStringList markers;
        for (QWidget *marker : view.findChildren<QWidget *>(QStringLiteral("marker")))
            markers.push_back(marker->property("markerText").toString());
        QCOMPARE(markers, (QStringList{"7.", "8."}));
    }
};

QObject *makePreviewViewTest() { return new PreviewViewTest; }

#include "PreviewViewTest.moc"

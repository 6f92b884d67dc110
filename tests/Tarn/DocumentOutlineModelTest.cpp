#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/MarkdownDocument.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

#include <gtest/gtest.h>

using Tarn::DocumentOutlineModel;
using Tarn::MarkdownDocument;
using Tarn::Outline;

namespace {

QTimer *debounceTimer(DocumentOutlineModel &model)
{
    return model.findChild<QTimer *>(QStringLiteral("outlineDebounce"));
}

// Fires the debounce timer now, as if the quiet period had passed.
void fireDebounce(DocumentOutlineModel &model)
{
    QTimer *timer = debounceTimer(model);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(timer->isActive());
    timer->stop();
    QMetaObject::invokeMethod(timer, "timeout");
}

} // namespace

TEST(DocumentOutlineModel, FirstParseIsSynchronous)
{
    MarkdownDocument document(QStringLiteral("# Title\ntext"));
    DocumentOutlineModel model(&document);
    EXPECT_EQ(model.outline(), Outline::parse(document.text()));
}

TEST(DocumentOutlineModel, ContinuousTypingGivesOneParseAfterTheQuietPeriod)
{
    MarkdownDocument document;
    DocumentOutlineModel model(&document);
    QSignalSpy published(&model, &DocumentOutlineModel::outlineChanged);
    QTimer *timer = debounceTimer(model);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 250);
    EXPECT_TRUE(timer->isSingleShot());

    QString typed = QStringLiteral("# ");
    for (const QChar c : QStringLiteral("Heading typed key by key")) {
        typed += c;
        document.setText(typed);
        // Every keystroke restarts the quiet period; nothing is parsed meanwhile.
        EXPECT_TRUE(timer->isActive());
        EXPECT_GT(timer->remainingTime(), 200);
    }
    EXPECT_EQ(published.count(), 0);

    fireDebounce(model);
    ASSERT_TRUE(published.wait(5000));
    EXPECT_EQ(published.count(), 1);
    EXPECT_EQ(model.outline(), Outline::parse(typed));
    EXPECT_FALSE(published.wait(300)); // no second parse follows
}

TEST(DocumentOutlineModel, RealTimerPublishesAfterTheQuietPeriod)
{
    MarkdownDocument document;
    DocumentOutlineModel model(&document);
    QSignalSpy published(&model, &DocumentOutlineModel::outlineChanged);
    QElapsedTimer elapsed;
    elapsed.start();
    document.setText(QStringLiteral("intro\n# A"));
    ASSERT_TRUE(published.wait(5000));
    EXPECT_GE(elapsed.elapsed(), 240);
    EXPECT_EQ(model.outline().entries.size(), 1u);
}

TEST(DocumentOutlineModel, EqualTextIsDropped)
{
    MarkdownDocument document(QStringLiteral("# Same"));
    DocumentOutlineModel model(&document);
    document.setText(QStringLiteral("# Same"));
    EXPECT_FALSE(debounceTimer(model)->isActive());
}

TEST(DocumentOutlineModel, NewerParseSupersedesOlder)
{
    MarkdownDocument document;
    DocumentOutlineModel model(&document);
    QSignalSpy published(&model, &DocumentOutlineModel::outlineChanged);

    // A large text keeps the first parse busy while the second one starts.
    QString large;
    for (int i = 0; i < 20000; ++i)
        large += QStringLiteral("# Heading %1\nline\n").arg(i);
    document.setText(large);
    fireDebounce(model);
    document.setText(QStringLiteral("# Final"));
    fireDebounce(model);

    ASSERT_TRUE(published.wait(10000));
    EXPECT_FALSE(published.wait(500));
    EXPECT_EQ(published.count(), 1);
    EXPECT_EQ(model.outline(), Outline::parse(QStringLiteral("# Final")));
}

TEST(DocumentOutlineModel, DestroyedModelCancelsPendingParse)
{
    MarkdownDocument document;
    auto model = std::make_unique<DocumentOutlineModel>(&document);
    document.setText(QStringLiteral("# A"));
    fireDebounce(*model);
    model.reset();
    // The background task finishes against nothing; the event loop stays healthy.
    QSignalSpy later(&document, &MarkdownDocument::textChanged);
    document.setText(QStringLiteral("# B"));
    EXPECT_EQ(later.count(), 1);
}

TEST(DocumentOutlineModel, ScrollChannelDeliversEachIndex)
{
    MarkdownDocument document;
    DocumentOutlineModel model(&document);
    QSignalSpy scrolls(&model, &DocumentOutlineModel::scrollToSection);
    Q_EMIT model.scrollToSection(2);
    Q_EMIT model.scrollToSection(2);
    ASSERT_EQ(scrolls.count(), 2);
    EXPECT_EQ(scrolls.at(1).at(0).value<qsizetype>(), 2);
}

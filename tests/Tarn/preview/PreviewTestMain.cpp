// Runs both QtTest classes of the preview in one QApplication.

#include "PreviewTestSupport.h"

#include <QApplication>
#include <QTest>

#include <memory>

QObject *makePreviewViewTest();
QObject *makeMermaidDiagramViewTest();

QPalette PreviewTest::lightPalette()
{
    QPalette palette(QColor(0xf3, 0xf3, 0xf3));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(0x1d, 0x1d, 0x1f));
    return palette;
}

QPalette PreviewTest::darkPalette()
{
    QPalette palette(QColor(0x2a, 0x2a, 0x2c));
    palette.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x20));
    palette.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xea));
    return palette;
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setPalette(PreviewTest::lightPalette());
    int status = 0;
    for (auto *make : {&makePreviewViewTest, &makeMermaidDiagramViewTest}) {
        std::unique_ptr<QObject> test(make());
        status |= QTest::qExec(test.get(), argc, argv);
    }
    return status;
}

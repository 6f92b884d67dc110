// GoogleTest entry for tests that drive Qt WebEngine headless, in real (off-screen) views.

#include <QApplication>

#include <gtest/gtest.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1"); // Chromium's sandbox refuses root
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

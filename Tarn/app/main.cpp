#include <Tarn/Cli.h>
#include <Tarn/TarnApp.h>

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt warns on standard error when XDG_RUNTIME_DIR is unset (containers, CI, ssh); headless
// commands keep standard error for their own messages, so give Qt a private directory.
void ensureRuntimeDirectory()
{
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    const QByteArray path = "/tmp/tarn-runtime-" + QByteArray::number(getuid());
    if (mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return;
    struct stat info {};
    if (stat(path.constData(), &info) != 0 || info.st_uid != getuid())
        return;
    chmod(path.constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", path);
}

// Headless commands report on standard error in one line of their own; the diagnostics of Qt
// and the web engine are kept for TARN_VERBOSE=1.
void quietMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    // The web engine, loaded later for PDF export, shares OpenGL contexts with the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(QString::fromLocal8Bit(argv[i]));

    QFile in;
    QFile out;
    QFile err;
    (void)in.open(stdin, QIODevice::ReadOnly);
    (void)out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    (void)err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    const Tarn::Cli::Streams streams{in, out, err};

    if (Tarn::Cli::isHeadlessCommand(arguments)) {
        // Headless commands never need a display; fonts and drawing still need a GUI application.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        ensureRuntimeDirectory();
        if (qEnvironmentVariableIntValue("TARN_VERBOSE") == 0)
            qInstallMessageHandler(quietMessageHandler);
        QGuiApplication application(argc, argv);
        return Tarn::Cli::runHeadless(arguments, streams);
    }

    ensureRuntimeDirectory();
    QApplication application(argc, argv);
    // Info lines (one per Format command, three per PDF export) stay out of the terminal the
    // editor was started from; QT_LOGGING_RULES="tarn.format.info=true" shows them.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("tarn.format.info=false"));
    Tarn::TarnApp app;
    // Qt has taken its own options (-style, -platform...) out of the list by now.
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (files.isEmpty())
        app.newDocument();
    else if (app.openFiles(files).isEmpty())
        return Tarn::Cli::failure; // no file could be opened; each error has been shown
    return application.exec();
}

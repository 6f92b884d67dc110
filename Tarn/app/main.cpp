#include <Tarn/Cli.h>

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
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
        // Headless commands never need a display.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QCoreApplication application(argc, argv);
        return Tarn::Cli::runHeadless(arguments, streams);
    }

    err.write("tarn: the editor window is not part of this build yet; "
              "'tarn --help' lists the commands that are.\n");
    return Tarn::Cli::failure;
}

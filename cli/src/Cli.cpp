#include <Tarn/Cli.h>

#include "Commands.h"

#include <Tarn/MarkdownDocument.h>

#include <QFileInfo>

#include <array>

namespace Tarn::Cli {

namespace {

struct Subcommand
{
    QStringView name;
    int (*run)(const QStringList &arguments, Streams streams);
};

const std::array subcommands{
    Subcommand{u"outline", runOutline},
    Subcommand{u"diagram", runDiagram},
    Subcommand{u"export", runExport},
};

const Subcommand *findSubcommand(const QString &name)
{
    for (const auto &subcommand : subcommands) {
        if (subcommand.name == name)
            return &subcommand;
    }
    return nullptr;
}

} // namespace

void writeLine(QIODevice &device, const QString &line)
{
    device.write((line + u'\n').toUtf8());
}

int usageFailure(Streams streams, const QString &message)
{
    writeLine(streams.err, QStringLiteral("tarn: %1").arg(message));
    writeLine(streams.err, QStringLiteral("Try 'tarn --help' for more information."));
    return usageError;
}

int failureLine(Streams streams, const QString &message)
{
    writeLine(streams.err, QStringLiteral("tarn: %1").arg(message));
    return failure;
}

Common::Result<QString, QString> readMarkdown(const QString &path, QIODevice &in)
{
    if (path == stdioName) {
        const auto text = MarkdownDocument::decodeContents(in.readAll());
        if (!text)
            return Common::Unexpected(documentReadErrorMessage(text.error()));
        return *text;
    }
    const QFileInfo info(path);
    if (!info.exists())
        return Common::Unexpected(QStringLiteral("%1: No such file or directory").arg(path));
    const auto text = MarkdownDocument::readFile(path);
    if (!text)
        return Common::Unexpected(documentReadErrorMessage(text.error(), info.fileName()));
    return *text;
}

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  tarn [FILE.md ...]                  open the editor, one window per file\n"
        "  tarn outline IN.md [--json]         print the outline of a document\n"
        "  tarn diagram IN.mmd -o OUT [--dark] [--scale S]\n"
        "                                      render a Mermaid diagram to OUT.svg, OUT.pdf or\n"
        "                                      OUT.png (S pixels per point, default 2);\n"
        "                                      '-o -' writes SVG to standard output\n"
        "  tarn export IN.md -o OUT.html       export the document as one HTML page\n"
        "  tarn --help                         show this help\n"
        "  tarn --version                      show the version\n"
        "\n"
        "IN may be '-' to read standard input. Errors go to standard error; the exit\n"
        "status is 1 on failure and 2 on a usage error.\n");
}

bool isHeadlessCommand(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return false;
    const QString &first = arguments.first();
    return findSubcommand(first) != nullptr || (first.startsWith(u'-') && first != stdioName);
}

int runHeadless(const QStringList &arguments, Streams streams)
{
    const QString &command = arguments.value(0);
    if (command == u"--help" || command == u"-h") {
        streams.out.write(usageText().toUtf8());
        return success;
    }
    if (command == u"--version") {
        writeLine(streams.out, QStringLiteral("tarn " TARN_VERSION));
        return success;
    }
    if (const Subcommand *subcommand = findSubcommand(command))
        return subcommand->run(arguments.mid(1), streams);
    return usageFailure(streams, QStringLiteral("unknown option '%1'").arg(command));
}

} // namespace Tarn::Cli

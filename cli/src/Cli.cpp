#include <Tarn/Cli.h>

#include "OutlineJson.h"

#include <Tarn/MarkdownDocument.h>
#include <Tarn/Outline.h>

#include <QFileInfo>

namespace Tarn::Cli {

namespace {

const QString stdioName = QStringLiteral("-");

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

// Reads a Markdown input, "-" being standard input, decoded as a document would be.
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

int runOutline(const QStringList &arguments, Streams streams)
{
    QString input;
    bool json = false;
    for (const auto &argument : arguments) {
        if (argument == u"--json")
            json = true;
        else if (argument.startsWith(u'-') && argument != stdioName)
            return usageFailure(streams, QStringLiteral("outline: unknown option '%1'").arg(argument));
        else if (input.isEmpty())
            input = argument;
        else
            return usageFailure(streams, QStringLiteral("outline: more than one input"));
    }
    if (input.isEmpty())
        return usageFailure(streams, QStringLiteral("outline: missing input file"));

    const auto text = readMarkdown(input, streams.in);
    if (!text)
        return failureLine(streams, text.error());
    const Outline outline = Outline::parse(*text);
    streams.out.write(json ? outlineJson(outline) : outlineText(outline));
    return success;
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage:\n"
        "  tarn [FILE.md ...]                  open the editor, one window per file\n"
        "  tarn outline IN.md [--json]         print the outline of a document\n"
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
    return first == u"outline" || first == u"--help" || first == u"-h" || first == u"--version"
        || (first.startsWith(u'-') && first != stdioName);
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
    if (command == u"outline")
        return runOutline(arguments.mid(1), streams);
    return usageFailure(streams, QStringLiteral("unknown option '%1'").arg(command));
}

} // namespace Tarn::Cli

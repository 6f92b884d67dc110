#include "Commands.h"

#include <Tarn/AtomicFile.h>
#include <Tarn/HTMLRenderer.h>
#include <Tarn/PDFExport.h>

#include <QEventLoop>
#include <QFileInfo>

namespace Tarn::Cli {

namespace {

// Prints the page through the off-screen web engine, waiting for it in a local event loop.
int printPDF(const QString &page, const QString &output, Streams streams)
{
    QEventLoop loop;
    int status = failure;
    exportPDF(page, output, &loop, [&](const PDFExportResult &result) {
        status = result ? success : failureLine(streams, result.error());
        loop.quit();
    });
    loop.exec();
    return status;
}

} // namespace

int runExport(const QStringList &arguments, Streams streams)
{
    QString input;
    QString output;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-o" || argument == u"--output") {
            if (i + 1 >= arguments.size())
                return usageFailure(streams, QStringLiteral("export: -o needs a file name"));
            output = arguments[++i];
        } else if (argument.startsWith(u'-') && argument != stdioName) {
            return usageFailure(streams,
                                QStringLiteral("export: unknown option '%1'").arg(argument));
        } else if (input.isEmpty()) {
            input = argument;
        } else {
            return usageFailure(streams, QStringLiteral("export: more than one input"));
        }
    }
    if (input.isEmpty())
        return usageFailure(streams, QStringLiteral("export: missing input file"));
    if (output.isEmpty())
        return usageFailure(streams, QStringLiteral("export: missing -o OUT.html"));

    const QFileInfo outputInfo(output);
    const bool toStdout = output == stdioName;
    const QString suffix = outputInfo.suffix().toLower();
    const bool toPDF = !toStdout && suffix == u"pdf";
    if (!toStdout && !toPDF && suffix != u"html" && suffix != u"htm")
        return usageFailure(streams, QStringLiteral("export: OUT must end in .html or .pdf"));

    const auto text = readMarkdown(input, streams.in);
    if (!text)
        return failureLine(streams, text.error());

    // The page title is the output's base name; for standard output, the input's.
    const QString title = toStdout ? (input == stdioName ? QStringLiteral("Untitled")
                                                         : QFileInfo(input).completeBaseName())
                                   : outputInfo.completeBaseName();
    if (toPDF)
        return printPDF(makeHTMLPage(*text, title), output, streams);
    const QByteArray page = makeHTMLPageUtf8(*text, title);
    if (toStdout) {
        streams.out.write(page);
        return success;
    }
    const auto written = writeFileAtomically(output, page);
    if (!written)
        return failureLine(streams, written.error());
    return success;
}

} // namespace Tarn::Cli

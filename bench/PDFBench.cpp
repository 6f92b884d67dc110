// PDF export of a generated 50-page document with 10 diagrams, as a whole command, beside
// headless Chromium printing the exported HTML page of the same document (when installed).

#include "RatioReporter.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>
#include <string>

namespace {

constexpr const char *chromium = "/usr/bin/chromium";

// About 50 Letter pages: prose, lists, tables and 10 pie charts.
QByteArray generatedDocument()
{
    QByteArray document = "# Generated report\n\n";
    for (int section = 1; section <= 56; ++section) {
        document += "## Section " + QByteArray::number(section) + "\n\n";
        for (int paragraph = 0; paragraph < 4; ++paragraph)
            document += "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod "
                        "tempor incididunt ut labore et dolore magna aliqua. Ut enim ad minim "
                        "veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea "
                        "commodo consequat. *Duis aute* irure dolor in **reprehenderit** in "
                        "voluptate velit esse cillum dolore eu fugiat nulla pariatur.\n\n";
        document += "- first point\n- second point\n- third point\n\n"
                    "| Name | Value |\n|------|-------|\n| alpha | 1 |\n| beta | 2 |\n\n";
        if (section % 5 == 0 && section <= 50) {
            document += "```mermaid\npie title Chart " + QByteArray::number(section / 5) + "\n";
            for (int slice = 0; slice < 5; ++slice)
                document += "  \"Part " + QByteArray::number(slice)
                            + "\" : " + QByteArray::number(slice + section) + "\n";
            document += "```\n\n";
        }
    }
    return document;
}

struct Inputs
{
    QTemporaryDir directory;
    QString markdown;
    QString html;
};

const Inputs &inputs()
{
    static Inputs prepared;
    static const bool written = [] {
        prepared.markdown = prepared.directory.filePath(QStringLiteral("report.md"));
        prepared.html = prepared.directory.filePath(QStringLiteral("report.html"));
        QFile out(prepared.markdown);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write(generatedDocument());
        out.close();
        const std::string command = "'" TARN_EXECUTABLE "' export '"
                                    + prepared.markdown.toStdString() + "' -o '"
                                    + prepared.html.toStdString() + "'";
        return std::system(command.c_str()) == 0;
    }();
    (void)written;
    return prepared;
}

void runCommand(benchmark::State &state, const std::string &command)
{
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("command failed: " + command).c_str());
            return;
        }
    }
}

void tarnExportPDF(benchmark::State &state)
{
    runCommand(state, "'" TARN_EXECUTABLE "' export '" + inputs().markdown.toStdString()
                          + "' -o /tmp/tarn-bench-report.pdf");
}

void chromiumPrintToPDF(benchmark::State &state)
{
    if (!QFileInfo::exists(QLatin1String(chromium))) {
        state.SkipWithError("chromium is not installed");
        return;
    }
    runCommand(state, std::string(chromium)
                          + " --headless --no-sandbox --disable-gpu --no-first-run "
                            "--disable-background-networking --disable-component-update "
                            "--disable-sync --user-data-dir=/tmp/tarn-bench-chromium "
                            "--print-to-pdf=/tmp/tarn-bench-chromium.pdf '"
                          + inputs().html.toStdString() + "' 2>/dev/null");
}

} // namespace

BENCHMARK(tarnExportPDF)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(chromiumPrintToPDF)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

int main(int argc, char **argv)
{
    return TarnBench::runWithRatios(
        argc, argv,
        {{"tarnExportPDF/iterations:5/real_time", "chromiumPrintToPDF/iterations:5/real_time"}});
}

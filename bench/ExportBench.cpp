// HTML export of a generated 1 MiB document beside cmark-gfm rendering the same text with the
// same extensions and smart punctuation: in process (our renderer vs cmark's HTML renderer on
// the same parse) and as whole commands (tarn export vs the cmark-gfm tool).

#include "RatioReporter.h"

#include <Tarn/HTMLRenderer.h>

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <cstdlib>
#include <string>

namespace {

// About 1 MiB of typical prose: headings, emphasis, links, lists, tasks, tables, code, quotes,
// footnote references. No diagrams.
const QString &largeDocument()
{
    static const QString text = [] {
        QString document;
        for (int i = 1; document.size() < (1 << 20); ++i) {
            document += QStringLiteral(
                            "## Section %1: \"quoted\" -- notes...\n\n"
                            "Some *emphasis*, **strong**, ~~gone~~ and `code` with a "
                            "[link](http://example.com/%1) and text & more text that goes on for "
                            "a while to make a realistic paragraph [^%1].\n\n"
                            "- item one\n- [x] done item\n- item three\n\n"
                            "| a | b |\n|---|---|\n| %1 | x |\n\n"
                            "```python\nprint(%1)\n```\n\n> quoted line\n\n")
                            .arg(i);
        }
        return document;
    }();
    return text;
}

const QString &documentPath()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("large.md"));
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(largeDocument().toUtf8());
        return file;
    }();
    return path;
}

void tarnMakeHTMLPage(benchmark::State &state)
{
    const QString &markdown = largeDocument();
    for (auto _ : state) {
        QByteArray page = Tarn::makeHTMLPageUtf8(markdown, QStringLiteral("large"));
        benchmark::DoNotOptimize(page.data());
    }
    state.SetBytesProcessed(state.iterations() * largeDocument().toUtf8().size());
}

// Reference: the same parse settings, rendered by cmark-gfm's own HTML renderer.
void cmarkRenderHTML(benchmark::State &state)
{
    cmark_gfm_core_extensions_ensure_registered();
    const QByteArray utf8 = largeDocument().toUtf8();
    const int options = CMARK_OPT_SOURCEPOS | CMARK_OPT_SMART | CMARK_OPT_UNSAFE;
    for (auto _ : state) {
        cmark_parser *parser = cmark_parser_new(options);
        for (const char *name : {"table", "strikethrough", "tasklist"})
            cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
        cmark_parser_feed(parser, utf8.constData(), size_t(utf8.size()));
        cmark_node *document = cmark_parser_finish(parser);
        char *html
            = cmark_render_html(document, options, cmark_parser_get_syntax_extensions(parser));
        benchmark::DoNotOptimize(html);
        free(html);
        cmark_node_free(document);
        cmark_parser_free(parser);
    }
    state.SetBytesProcessed(state.iterations() * utf8.size());
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

void tarnExportCommand(benchmark::State &state)
{
    const std::string input = documentPath().toStdString();
    runCommand(state,
               "'" TARN_EXECUTABLE "' export '" + input + "' -o /tmp/tarn-bench-export.html");
}

void cmarkGfmCommand(benchmark::State &state)
{
    const std::string input = documentPath().toStdString();
    runCommand(state, "cmark-gfm --smart --sourcepos --unsafe -e table -e strikethrough "
                      "-e tasklist '"
                          + input + "' > /tmp/tarn-bench-cmark.html");
}

// A document holding 20 pie charts: the export time per diagram.
void exportTwentyPieCharts(benchmark::State &state)
{
    constexpr int diagrams = 20;
    QString markdown;
    for (int i = 0; i < diagrams; ++i) {
        markdown += QStringLiteral("## Chart %1\n\n```mermaid\npie title Share %1\n").arg(i);
        for (int slice = 0; slice < 6; ++slice)
            markdown += QStringLiteral("  \"Slice %1\" : %2\n").arg(slice).arg(10 + slice * i);
        markdown += QStringLiteral("```\n\n");
    }
    for (auto _ : state) {
        QByteArray page = Tarn::makeHTMLPageUtf8(markdown, QStringLiteral("pies"));
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["perDiagram"]
        = benchmark::Counter(double(state.iterations()) * diagrams,
                             benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(exportTwentyPieCharts)->Unit(benchmark::kMillisecond);
BENCHMARK(tarnMakeHTMLPage)->Unit(benchmark::kMillisecond);
BENCHMARK(cmarkRenderHTML)->Unit(benchmark::kMillisecond);
BENCHMARK(tarnExportCommand)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(cmarkGfmCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    // Diagram text is measured with the application's fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return TarnBench::runWithRatios(argc, argv,
                                    {{"tarnMakeHTMLPage", "cmarkRenderHTML"},
                                     {"tarnExportCommand/real_time", "cmarkGfmCommand/real_time"}});
}

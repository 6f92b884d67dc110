// Outline parsing of a 1 MiB document beside the plain line-split scan every parse must do.

#include "RatioReporter.h"

#include <Tarn/Outline.h>

#include <QString>
#include <QStringView>

#include <vector>

namespace {

// About 1 MiB: 20,000 lines, 2,000 headings, fenced blocks holding heading-like lines.
const QString &largeDocument()
{
    static const QString text = [] {
        QString document;
        int line = 0;
        for (int section = 0; line < 20000; ++section) {
            document += QStringLiteral("## Section %1 of the generated document\n").arg(section);
            ++line;
            for (int i = 0; i < 6; ++i, ++line)
                document += QStringLiteral("Body text with *emphasis*, `code` and a [link](x) "
                                           "that runs to a realistic width of prose here.\n");
            if (section % 4 == 0) {
                document += QStringLiteral("```python\n# a comment, not a heading\nx = 1\n```\n");
                line += 4;
            } else {
                document += QStringLiteral("- item one\n- item two\n\n");
                line += 3;
            }
        }
        return document;
    }();
    return text;
}

void outlineParse(benchmark::State &state)
{
    const QString &text = largeDocument();
    for (auto _ : state) {
        Tarn::Outline outline = Tarn::Outline::parse(text);
        benchmark::DoNotOptimize(outline.entries.data());
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
    state.counters["headings"] = double(Tarn::Outline::parse(text).entries.size());
}

// Reference: split into lines, recording every line start and looking at each line's first
// character.
void lineSplitScan(benchmark::State &state)
{
    const QString &text = largeDocument();
    for (auto _ : state) {
        std::vector<qsizetype> lineStarts;
        qsizetype hashLines = 0;
        qsizetype start = 0;
        for (;;) {
            lineStarts.push_back(start);
            const qsizetype newline = text.indexOf(u'\n', start);
            const QStringView line
                = QStringView(text).sliced(start, (newline < 0 ? text.size() : newline) - start);
            hashLines += !line.isEmpty() && line.front() == u'#';
            if (newline < 0)
                break;
            start = newline + 1;
        }
        benchmark::DoNotOptimize(lineStarts.data());
        benchmark::DoNotOptimize(hashLines);
    }
    state.SetBytesProcessed(state.iterations() * text.size() * 2);
}

} // namespace

BENCHMARK(outlineParse)->Unit(benchmark::kMillisecond);
BENCHMARK(lineSplitScan)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    return TarnBench::runWithRatios(argc, argv, {{"outlineParse", "lineSplitScan"}});
}

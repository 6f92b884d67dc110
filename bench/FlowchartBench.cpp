// Flowchart rendering of generated graphs of 100 and 1,000 nodes beside Graphviz laying out and
// writing the same graph as SVG: in process (parse, layout, scene, SVG text) against the whole
// `dot -Tsvg` command, and as whole commands (`tarn diagram` against `dot -Tsvg`).

#include "RatioReporter.h"

#include <Mermaid/Mermaid.h>
#include <Mermaid/SvgWriter.h>

#include <QFile>
#include <QGuiApplication>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

struct GeneratedGraph
{
    QString mermaid;
    QString dot;
};

// A small linear congruential generator: the same graph on every machine and library.
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }
    int below(int bound)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((m_state >> 33) % std::uint64_t(bound));
    }

private:
    std::uint64_t m_state;
};

// A random DAG: every node after the first takes one or two edges from earlier nodes, mostly
// from the few just before it, one in eight from anywhere earlier (a long edge). A few blocks
// of 8 consecutive nodes form subgraphs (3 for 100 nodes, 10 for 1,000).
GeneratedGraph generatedGraph(int nodeCount)
{
    Random random(20261211);
    GeneratedGraph graph;
    graph.mermaid = QStringLiteral("flowchart TD\n");
    graph.dot = QStringLiteral("digraph G {\n  node [shape=box, fontname=\"Helvetica\"];\n");
    for (int i = 0; i < nodeCount; ++i)
        graph.dot += QStringLiteral("  n%1 [label=\"Node %1\"];\n").arg(i);
    const int subgraphs = std::max(3, nodeCount / 100);
    for (int k = 0; k < subgraphs; ++k) {
        const int start = k * (nodeCount / subgraphs);
        graph.mermaid += QStringLiteral("subgraph g%1 [Group %1]\n").arg(k);
        graph.dot += QStringLiteral("  subgraph cluster_%1 {\n    label=\"Group %1\";\n").arg(k);
        for (int i = start; i < std::min(start + 8, nodeCount); ++i) {
            graph.mermaid += QStringLiteral("  n%1[Node %1]\n").arg(i);
            graph.dot += QStringLiteral("    n%1;\n").arg(i);
        }
        graph.mermaid += QStringLiteral("end\n");
        graph.dot += QStringLiteral("  }\n");
    }
    for (int i = 1; i < nodeCount; ++i) {
        const int edges = 1 + random.below(2);
        for (int e = 0; e < edges; ++e) {
            const bool longEdge = random.below(8) == 0;
            const int from = longEdge ? random.below(i) : std::max(0, i - 1 - random.below(4));
            graph.mermaid += QStringLiteral("n%1[Node %1] --> n%2[Node %2]\n").arg(from).arg(i);
            graph.dot += QStringLiteral("  n%1 -> n%2;\n").arg(from).arg(i);
        }
    }
    graph.dot += QStringLiteral("}\n");
    return graph;
}

const GeneratedGraph &graphOf(int nodeCount)
{
    static std::map<int, GeneratedGraph> graphs;
    auto found = graphs.find(nodeCount);
    if (found == graphs.end())
        found = graphs.emplace(nodeCount, generatedGraph(nodeCount)).first;
    return found->second;
}

struct GraphFiles
{
    std::string mermaid;
    std::string dot;
};

const GraphFiles &filesOf(int nodeCount)
{
    static QTemporaryDir dir;
    static std::map<int, GraphFiles> files;
    auto found = files.find(nodeCount);
    if (found != files.end())
        return found->second;
    const auto write = [&](const QString &name, const QString &text) {
        const QString path = dir.filePath(name);
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(text.toUtf8());
        return path.toStdString();
    };
    const GeneratedGraph &graph = graphOf(nodeCount);
    return files
        .emplace(nodeCount,
                 GraphFiles{write(QStringLiteral("graph%1.mmd").arg(nodeCount), graph.mermaid),
                            write(QStringLiteral("graph%1.dot").arg(nodeCount), graph.dot)})
        .first->second;
}

void flowchartRender(benchmark::State &state)
{
    const QString &source = graphOf(int(state.range(0))).mermaid;
    for (auto _ : state) {
        const auto scene = Mermaid::render(source, false, Mermaid::LayoutBackend::builtin);
        if (!scene) {
            state.SkipWithError(scene.error().description().toUtf8().constData());
            return;
        }
        QString svg = Mermaid::svgString(*scene);
        benchmark::DoNotOptimize(svg.data());
    }
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

void tarnDiagramCommand(benchmark::State &state)
{
    const GraphFiles &files = filesOf(int(state.range(0)));
    runCommand(state, "MERMAID_DAGRE=0 '" TARN_EXECUTABLE "' diagram '" + files.mermaid
                          + "' -o /tmp/tarn-bench-flowchart.svg");
}

// Reference: Graphviz lays the same graph out and writes SVG.
void dotSvgCommand(benchmark::State &state)
{
    const GraphFiles &files = filesOf(int(state.range(0)));
    runCommand(state, "dot -Tsvg '" + files.dot + "' -o /tmp/tarn-bench-flowchart-dot.svg");
}

} // namespace

BENCHMARK(flowchartRender)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(tarnDiagramCommand)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(dotSvgCommand)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    // Labels are measured with the application's fonts.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return TarnBench::runWithRatios(
        argc, argv,
        {{"flowchartRender/100/real_time", "dotSvgCommand/100/real_time"},
         {"flowchartRender/1000/real_time", "dotSvgCommand/1000/real_time"},
         {"tarnDiagramCommand/100/real_time", "dotSvgCommand/100/real_time"},
         {"tarnDiagramCommand/1000/real_time", "dotSvgCommand/1000/real_time"}});
}

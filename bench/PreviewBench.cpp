// The preview pane after a one-character edit in one section of generated documents of
// 100 KiB and 1 MiB: main-thread time until the pane shows the new outline (rows replaced,
// deferred deletions and layout done, the visible area painted), incremental update beside a
// full rebuild of the same pane.

#include "RatioReporter.h"

#include <Tarn/MermaidRenderer.h>
#include <Tarn/Outline.h>
#include <Tarn/PreviewView.h>

#include <QApplication>
#include <QScrollBar>

#include <map>
#include <memory>

namespace {

// Sections of prose, lists, a table, code and now and then a pie chart, until the text holds
// `bytes` characters (ASCII, so as many bytes of UTF-8).
QString generatedDocument(qsizetype bytes)
{
    QString document;
    for (int section = 0; document.size() < bytes; ++section) {
        document += QStringLiteral("## Section %1\n\n").arg(section);
        document += QStringLiteral("Body text with *emphasis*, **strong**, `code` and a "
                                   "[link](https://example.com/%1) that runs to a realistic "
                                   "width of prose in a paragraph.\n\n")
                        .arg(section);
        switch (section % 4) {
        case 0:
            document += QStringLiteral("- item one\n- item two\n- [x] a task\n\n");
            break;
        case 1:
            document += QStringLiteral("| Key | Value |\n|---|---|\n| a | %1 |\n| b | 2 |\n\n")
                            .arg(section);
            break;
        case 2:
            document
                += QStringLiteral("```cpp\nint value = %1;\nreturn value;\n```\n\n").arg(section);
            break;
        default:
            document += QStringLiteral("> A quoted remark.\n\n1. first\n2. second\n\n");
            break;
        }
        if (section % 10 == 5) {
            document += QStringLiteral("```mermaid\npie title Share %1\n    \"A\" : %2\n    "
                                       "\"B\" : 40\n```\n\n")
                            .arg(section)
                            .arg(10 + section % 50);
        }
    }
    return document;
}

struct Scenario
{
    Tarn::Outline before;
    Tarn::Outline after;
    qsizetype editedSection = 0;
};

// The same document with one character typed in the middle section's paragraph.
const Scenario &scenario(qsizetype kibibytes)
{
    static std::map<qsizetype, Scenario> scenarios;
    auto found = scenarios.find(kibibytes);
    if (found != scenarios.end())
        return found->second;
    const QString text = generatedDocument(kibibytes * 1024);
    Scenario made;
    made.before = Tarn::Outline::parse(text);
    made.editedSection = qsizetype(made.before.sectionRanges.size()) / 2;
    const auto &range = made.before.sectionRanges[size_t(made.editedSection)];
    const qsizetype paragraph = text.indexOf(QStringLiteral("Body text"), range.sourceLocation);
    QString edited = text;
    edited.insert(paragraph + 4, u'x');
    made.after = Tarn::Outline::parse(edited);
    // The pictures of the diagrams come from the run-wide cache, as they do once a document
    // has been shown.
    for (const auto &section : made.before.sectionTexts()) {
        const qsizetype start = section.indexOf(QStringLiteral("```mermaid\n"));
        if (start < 0)
            continue;
        const qsizetype from = start + 11;
        const QString source
            = section.mid(from, section.indexOf(QStringLiteral("\n```"), from) - from);
        Tarn::MermaidCache::instance().insert({source, false},
                                              Tarn::MermaidRender::render(source, false));
    }
    return scenarios.emplace(kibibytes, std::move(made)).first->second;
}

// A shown pane scrolled so that the edited section is at the top.
std::unique_ptr<Tarn::PreviewView> openPane(const Scenario &scenario)
{
    auto pane = std::make_unique<Tarn::PreviewView>(nullptr);
    pane->resize(420, 900);
    pane->show();
    pane->showOutline(scenario.before);
    QCoreApplication::processEvents();
    pane->verticalScrollBar()->setValue(*pane->sectionTop(scenario.editedSection));
    QCoreApplication::processEvents();
    return pane;
}

// Until the pane shows it: deferred deletions, queued layout and the paint of what changed,
// as the event loop would do them.
void settle()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

template <typename Apply> void measure(benchmark::State &state, Apply apply)
{
    const Scenario &edit = scenario(state.range(0));
    auto pane = openPane(edit);
    bool edited = false;
    for (auto _ : state) {
        edited = !edited;
        apply(*pane, edited ? edit.after : edit.before);
        settle();
    }
    state.counters["sections"] = double(edit.before.sectionRanges.size());
}

void incrementalUpdate(benchmark::State &state)
{
    measure(state, [](Tarn::PreviewView &pane, const Tarn::Outline &outline) {
        pane.showOutline(outline);
    });
}

// Reference: the same pane rebuilt from scratch for the new outline.
void fullRebuild(benchmark::State &state)
{
    measure(state,
            [](Tarn::PreviewView &pane, const Tarn::Outline &outline) { pane.rebuild(outline); });
}

} // namespace

// Medians of several runs: the machine is shared and single runs of a few milliseconds vary.
BENCHMARK(incrementalUpdate)
    ->Arg(100)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(fullRebuild)
    ->Arg(100)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return TarnBench::runWithRatios(
        argc, argv,
        {{"incrementalUpdate/1024/repeats:5_median", "fullRebuild/1024/repeats:5_median"},
         {"incrementalUpdate/100/repeats:5_median", "fullRebuild/100/repeats:5_median"},
         {"incrementalUpdate/1024/repeats:5_median", "incrementalUpdate/100/repeats:5_median"}});
}

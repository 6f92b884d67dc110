// Typing into a 1 MiB document: the editor of a Tarn window (text view bound to the document,
// outline model, sidebar, current-line highlight, scroll requests) beside a bare QPlainTextEdit
// holding the same text. Each iteration types 200 keystrokes in the middle of the document and
// lets the event loop run after each one, so repainting and posted work are counted too. The
// time reported is the main thread's CPU time per iteration of 200 keystrokes.

#include "RatioReporter.h"

#include <Tarn/DocumentWindowView.h>
#include <Tarn/EditorTextView.h>
#include <Tarn/EditorView.h>
#include <Tarn/TarnApp.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>

#include <memory>
#include <time.h>

namespace {

constexpr int keystrokesPerIteration = 200;

// About 1 MiB of Markdown: sections of prose, lists and fenced code.
const QString &largeDocument()
{
    static const QString text = [] {
        QString document;
        for (int section = 0; document.size() < 1024 * 1024; ++section) {
            document += QStringLiteral("## Section %1 of the generated document\n\n").arg(section);
            for (int i = 0; i < 6; ++i)
                document += QStringLiteral("Body text with *emphasis*, `code` and a [link](x) "
                                           "that runs to a realistic width of prose here.\n");
            if (section % 4 == 0)
                document
                    += QStringLiteral("\n```python\n# a comment, not a heading\nx = 1\n```\n\n");
            else
                document += QStringLiteral("\n- item one\n- item two\n\n");
        }
        return document;
    }();
    return text;
}

// CPU time of the calling (main) thread, in seconds: what typing costs the user interface,
// unaffected by other processes competing for the cores.
double mainThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void typeKeystrokes(QWidget *view)
{
    static const char keys[] = "the quick brown fox jumps over the lazy dog ";
    for (int i = 0; i < keystrokesPerIteration; ++i) {
        const char key = keys[i % (sizeof(keys) - 1)];
        QTest::keyClick(view, key);
        QCoreApplication::processEvents();
    }
}

// One iteration: 200 keystrokes, timed.
void typeKeystrokes(benchmark::State &state, QWidget *view)
{
    const double start = mainThreadSeconds();
    typeKeystrokes(view);
    state.SetIterationTime(mainThreadSeconds() - start);
}

void placeCaretInTheMiddle(QPlainTextEdit *view)
{
    QTextCursor cursor(view->document());
    cursor.setPosition(view->document()->characterCount() / 2);
    view->setTextCursor(cursor);
    view->setFocus();
}

void tarnEditorTyping(benchmark::State &state)
{
    Tarn::DocumentWindowView *window
        = Tarn::TarnApp::instance()->openDocument(largeDocument(), QString());
    QCoreApplication::processEvents();
    Tarn::EditorTextView *view = window->editor()->textView();
    placeCaretInTheMiddle(view);
    typeKeystrokes(view); // warm-up: glyph caches, first layouts
    for (auto _ : state)
        typeKeystrokes(state, view);
    state.SetItemsProcessed(state.iterations() * keystrokesPerIteration);
    window->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The text component alone, same text, font and size as Tarn's editor, nothing bound to it,
// shown with the caret in the middle of the text.
std::unique_ptr<QPlainTextEdit> openBareEditor()
{
    auto view = std::make_unique<QPlainTextEdit>();
    view->setFont(Tarn::EditorTextView().font());
    view->resize(Tarn::DocumentWindowView::editorIdealWidth, 640);
    view->setPlainText(largeDocument());
    view->show();
    QCoreApplication::processEvents();
    placeCaretInTheMiddle(view.get());
    return view;
}

// Reference: the bare text component.
void barePlainTextEditTyping(benchmark::State &state)
{
    auto view = openBareEditor();
    typeKeystrokes(view.get()); // warm-up: glyph caches, first layouts
    for (auto _ : state)
        typeKeystrokes(state, view.get());
    state.SetItemsProcessed(state.iterations() * keystrokesPerIteration);
}

// Whatever runs first pays for process-wide warm-up (glyph caches, heap growth, the first
// layouts of the large text): about twice the steady cost. This throwaway run takes it for both.
void warmUp(benchmark::State &state)
{
    auto view = openBareEditor();
    for (auto _ : state)
        typeKeystrokes(state, view.get());
}

} // namespace

BENCHMARK(warmUp)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(tarnEditorTyping)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(barePlainTextEditTyping)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Tarn::TarnApp app;
    // The names as Google Benchmark reports them, with the iteration count and timing mode.
    return TarnBench::runWithRatios(argc, argv,
                                    {{"tarnEditorTyping/iterations:20/manual_time",
                                      "barePlainTextEditTyping/iterations:20/manual_time"}});
}

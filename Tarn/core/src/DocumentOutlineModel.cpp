#include <Tarn/DocumentOutlineModel.h>
#include <Tarn/MarkdownDocument.h>

#include <QPromise>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace Tarn {

namespace {

// Outline parses run on their own low-priority threads so that they never compete with
// the window for a core.
QThreadPool &outlineParsePool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setThreadPriority(QThread::LowPriority);
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

} // namespace

DocumentOutlineModel::DocumentOutlineModel(MarkdownDocument *document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
    m_debounce.setParent(this);
    m_debounce.setObjectName(QStringLiteral("outlineDebounce"));
    m_debounce.setSingleShot(true);
    m_debounce.setTimerType(Qt::PreciseTimer); // a coarse timer may end the quiet period early
    m_debounce.setInterval(debounceInterval);
    connect(&m_debounce, &QTimer::timeout, this, &DocumentOutlineModel::reparse);
    connect(&m_parseTask, &QFutureWatcher<Outline>::finished, this,
            &DocumentOutlineModel::publishParse);

    // The first display of the window already shows the headings.
    m_lastText = document->text();
    m_outline = Outline::parse(m_lastText);
    connect(document, &MarkdownDocument::textWillChange, this,
            &DocumentOutlineModel::textWillChange);
}

DocumentOutlineModel::~DocumentOutlineModel() { m_parseTask.cancel(); }

void DocumentOutlineModel::textWillChange(const QString &newText)
{
    if (newText == m_lastText)
        return;
    m_lastText = newText;
    m_pendingText = newText;
    m_debounce.start();
}

void DocumentOutlineModel::reparse()
{
    m_parseTask.cancel();
    const QString text = std::exchange(m_pendingText, QString());
    m_parseTask.setFuture(
        QtConcurrent::run(&outlineParsePool(), [text](QPromise<Outline> &promise) {
            if (promise.isCanceled())
                return;
            Outline outline = Outline::parse(text);
            if (!promise.isCanceled())
                promise.addResult(std::move(outline));
        }));
}

void DocumentOutlineModel::publishParse()
{
    // A superseded parse is no longer watched; a cancelled one publishes nothing.
    const QFuture<Outline> future = m_parseTask.future();
    if (future.isCanceled() || future.resultCount() == 0)
        return;
    m_outline = future.result();
    Q_EMIT outlineChanged();
}

} // namespace Tarn

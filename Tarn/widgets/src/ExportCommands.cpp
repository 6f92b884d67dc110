#include <Tarn/AtomicFile.h>
#include <Tarn/ExportCommands.h>
#include <Tarn/HTMLRenderer.h>
#include <Tarn/PDFExport.h>
#include <Tarn/TarnLog.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QMessageBox>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

namespace Tarn {

namespace {

struct Destination
{
    QString title;        ///< the dialog's title
    QString proposedName; ///< "Untitled.html"
    QString filter;       ///< restricts the dialog to one content type
    QString suffix;       ///< added when the user types a bare name
};

// The save dialog; an empty path when the user cancels.
QString askDestination(QWidget *parent, const Destination &destination)
{
    QFileDialog dialog(parent, destination.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(destination.filter);
    dialog.setDefaultSuffix(destination.suffix);
    dialog.selectFile(destination.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void showFailure(QWidget *parent, const QString &title, const QString &message)
{
    QMessageBox::critical(parent, title, message);
}

// Runs `work` on a worker thread and `done` with its result on the main thread. Building the
// page draws every diagram, which may take a while: the window stays responsive meanwhile.
template <typename T, typename Work, typename Done> void runInBackground(Work work, Done done)
{
    auto *watcher = new QFutureWatcher<T>(qApp);
    QObject::connect(watcher, &QFutureWatcher<T>::finished, qApp, [watcher, done] {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

} // namespace

void exportAsHTML(QWidget *parent, const FormatCommandTarget &target)
{
    if (!target.isValid())
        return;
    const QString title = QObject::tr("Export as HTML");
    const QString path
        = askDestination(parent, {title, QStringLiteral("Untitled.html"),
                                  QObject::tr("HTML (*.html *.htm)"), QStringLiteral("html")});
    if (!path.isEmpty())
        exportHTMLTo(parent, target.document->text(), path);
}

void exportHTMLTo(QWidget *parent, const QString &text, const QString &path)
{
    const QString title = QObject::tr("Export as HTML");
    const QString pageTitle = QFileInfo(path).completeBaseName();
    QPointer<QWidget> window(parent);
    runInBackground<Common::Result<qint64, QString>>(
        [text, pageTitle, path] {
            return writeFileAtomically(path, makeHTMLPageUtf8(text, pageTitle));
        },
        [window, title](const Common::Result<qint64, QString> &written) {
            if (written)
                return;
            qCCritical(tarnLog, "HTML export failed: %s", qUtf8Printable(written.error()));
            showFailure(window, title, written.error());
        });
}

void exportAsPDF(QWidget *parent, const FormatCommandTarget &target)
{
    if (!target.isValid())
        return;
    const QString title = QObject::tr("Export as PDF");
    const QString path
        = askDestination(parent, {title, QStringLiteral("Untitled.pdf"), QObject::tr("PDF (*.pdf)"),
                                  QStringLiteral("pdf")});
    if (!path.isEmpty())
        exportPDFTo(parent, target.document->text(), path); // the text as it is now
}

void exportPDFTo(QWidget *parent, const QString &text, const QString &path)
{
    const QString title = QObject::tr("Export as PDF");
    const QString pageTitle = QFileInfo(path).completeBaseName();
    QPointer<QWidget> window(parent);
    runInBackground<QString>(
        [text, pageTitle] { return makeHTMLPage(text, pageTitle); },
        [window, title, path](const QString &page) {
            // The export outlives its window if that is closed meanwhile.
            exportPDF(page, path, qApp, [window, title](const PDFExportResult &result) {
                if (result)
                    return;
                qCCritical(tarnLog, "PDF export failed: %s", qUtf8Printable(result.error()));
                showFailure(window, title, result.error());
            });
        });
}

} // namespace Tarn

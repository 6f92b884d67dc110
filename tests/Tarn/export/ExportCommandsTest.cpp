#include <Tarn/EditorTextStore.h>
#include <Tarn/ExportCommands.h>
#include <Tarn/MarkdownDocument.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace {

QStringList loggedLines;

void collectLog(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QByteArray(context.category) == "tarn.format")
        loggedLines.push_back(message);
}

// Answers modal dialogs as they appear, also inside the nested event loops that show them:
// accepts a save dialog with `path` (cancels it when `path` is empty) and closes alerts,
// recording what each showed.
class DialogAnswerer : public QObject
{
public:
    explicit DialogAnswerer(QString path)
        : m_path(std::move(path))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { answer(); });
        m_poll.start(20);
    }

    QString proposedName;
    QString alertText;

private:
    void answer()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
            auto *nameField = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(nameField);
            proposedName = nameField->text();
            if (m_path.isEmpty()) {
                dialog->reject();
                return;
            }
            // As a user types the full path and presses Save; queued, so that a confirmation
            // it raises is answered by the next poll.
            nameField->setText(m_path);
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        } else if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            if (QAbstractButton *replace = box->button(QMessageBox::Yes)) {
                replace->click(); // "already exists. Do you want to replace it?"
                return;
            }
            alertText = box->text();
            box->accept();
        }
    }

    QString m_path;
    QTimer m_poll;
};

} // namespace

class ExportCommandsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qInstallMessageHandler(collectLog);
        m_document.setText(QStringLiteral("# Notes\n\n```mermaid\npie\n  \"A\" : 1\n```\n"));
    }

    void init() { loggedLines.clear(); }

    void cancellingWritesAndLogsNothing_data()
    {
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("html") << false << QStringLiteral("Untitled.html");
        QTest::newRow("pdf") << true << QStringLiteral("Untitled.pdf");
    }

    void cancellingWritesAndLogsNothing()
    {
        QFETCH(bool, pdf);
        QFETCH(QString, proposed);
        QTemporaryDir dir;
        DialogAnswerer answerer{QString()};
        if (pdf)
            Tarn::exportAsPDF(nullptr, target());
        else
            Tarn::exportAsHTML(nullptr, target());
        QTest::qWait(200);
        QCOMPARE(answerer.proposedName, proposed);
        QVERIFY(QDir(dir.path()).isEmpty());
        QVERIFY(loggedLines.isEmpty());
    }

    void htmlExportReplacesTheChosenFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Notes.html"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old page");
        old.close();

        DialogAnswerer answerer(path);
        Tarn::exportAsHTML(nullptr, target());
        QTRY_VERIFY_WITH_TIMEOUT(readAll(path) != "old page", 20000);
        const QByteArray page = readAll(path);
        QVERIFY(page.contains("<title>Notes</title>"));
        QVERIFY(page.contains("<figure class=\"mermaid-diagram\"><svg"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("Notes.html")});
    }

    void htmlExportFailureLogsAndAlerts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/page.html"));
        DialogAnswerer answerer{QString()};
        Tarn::exportHTMLTo(nullptr, m_document.text(), path);
        QTRY_VERIFY_WITH_TIMEOUT(!answerer.alertText.isEmpty(), 20000);
        QCOMPARE(loggedLines.size(), 1);
        QVERIFY(loggedLines.first().startsWith(QStringLiteral("HTML export failed: ")));
        QVERIFY(!QFileInfo::exists(path));
    }

    void pdfExportWritesTheChosenFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Notes.pdf"));
        DialogAnswerer answerer(path);
        Tarn::exportAsPDF(nullptr, target());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path).size() > 0, 60000);
        QVERIFY(readAll(path).startsWith("%PDF-"));
        QVERIFY(loggedLines.contains(
            QStringLiteral("PDF export: WKWebView load finished, requesting PDF")));
    }

    void pdfExportsRunSideBySide()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.pdf"));
        const QString second = dir.filePath(QStringLiteral("second.pdf"));
        Tarn::exportPDFTo(nullptr, QStringLiteral("# First"), first);
        Tarn::exportPDFTo(nullptr, QStringLiteral("# Second"), second);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(first).size() > 0 && QFileInfo(second).size() > 0,
                                 60000);
        const auto okLines
            = std::count_if(loggedLines.cbegin(), loggedLines.cend(), [](const QString &line) {
                  return line.startsWith(QStringLiteral("PDF export: ok bytes="));
              });
        QCOMPARE(okLines, 2);
    }

    void pdfExportFailureLogsAndAlerts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/out.pdf"));
        DialogAnswerer answerer{QString()};
        Tarn::exportPDFTo(nullptr, m_document.text(), path);
        QTRY_VERIFY_WITH_TIMEOUT(!answerer.alertText.isEmpty(), 60000);
        QVERIFY(loggedLines.contains(QStringLiteral("PDF export failed: ") + answerer.alertText));
        QVERIFY(!QFileInfo::exists(path));
    }

private:
    Tarn::FormatCommandTarget target() { return {&m_document, &m_store}; }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Tarn::MarkdownDocument m_document;
    Tarn::EditorTextStore m_store;
};

int main(int argc, char *argv[])
{
    // As the application does: the web engine needs it before the application exists.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    ExportCommandsTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ExportCommandsTest.moc"

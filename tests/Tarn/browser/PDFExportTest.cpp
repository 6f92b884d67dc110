#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct CommandResult
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

CommandResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    return path;
}

int pageCount(const QString &pdf)
{
    const CommandResult info = run(QStringLiteral("pdfinfo"), {pdf});
    for (const QByteArray &line : info.out.split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

QString pdfText(const QString &pdf)
{
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out);
}

} // namespace

TEST(PDFExport, PrintsHeadingsTablesAndDiagramsOnPages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Forced page breaks make the page count independent of font metrics.
    const QString input = writeFile(dir, QStringLiteral("doc.md"), R"(# First Heading

| Planet | Moons |
|--------|-------|
| Mars   | 2     |

<div style="page-break-after: always"></div>

## Second Heading

```mermaid
pie title Fruit Basket
  "Apples" : 3
  "Pears" : 2
```

<div style="page-break-after: always"></div>

## Third Heading

```mermaid
pie title Vehicle Mix
  "Bicycles" : 5
  "Trams" : 1
```
)");
    const QString output = dir.filePath(QStringLiteral("Notes.pdf"));
    const CommandResult result
        = run(QStringLiteral(TARN_EXECUTABLE),
              {QStringLiteral("export"), input, QStringLiteral("-o"), output});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();

    EXPECT_EQ(pageCount(output), 3);
    const QString text = pdfText(output);
    for (const char *expected :
         {"First Heading", "Second Heading", "Third Heading", "Planet", "Mars", "Fruit Basket",
          "Apples", "Pears", "Vehicle Mix", "Bicycles", "Trams"}) {
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    }
}

// A document from an untrusted source: its remote image is never requested and its script
// never runs while it is printed.
TEST(PDFExport, MakesNoRequestAndRunsNoScript)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QByteArray port = QByteArray::number(server.serverPort());
    const QString input = writeFile(
        dir, QStringLiteral("untrusted.md"),
        "# Untrusted\n\n<img src=\"http://127.0.0.1:" + port
            + "/pixel.png\">\n\n"
              "<link rel=\"stylesheet\" href=\"http://127.0.0.1:"
            + port
            + "/style.css\">\n\n"
              "<script>document.body.insertAdjacentText('beforeend', 'SCRIPT RAN');</script>\n\n"
              "![local](/etc/hostname)\n\nBody text.\n");
    const QString output = dir.filePath(QStringLiteral("untrusted.pdf"));
    const CommandResult result
        = run(QStringLiteral(TARN_EXECUTABLE),
              {QStringLiteral("export"), input, QStringLiteral("-o"), output});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();

    const QString text = pdfText(output);
    EXPECT_TRUE(text.contains(QStringLiteral("Body text.")));
    EXPECT_FALSE(text.contains(QStringLiteral("SCRIPT RAN")));
    EXPECT_FALSE(server.waitForNewConnection(500)) << "the page reached the network";
}

TEST(PDFExport, FailedWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString input = writeFile(dir, QStringLiteral("in.md"), "# x\n");
    const CommandResult result = run(QStringLiteral(TARN_EXECUTABLE),
                                     {QStringLiteral("export"), input, QStringLiteral("-o"),
                                      dir.filePath(QStringLiteral("missing/out.pdf"))});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.startsWith("tarn: "));
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
}

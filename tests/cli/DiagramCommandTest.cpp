// tarn diagram, run as the executable: what users and scripts see.

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TarnRun
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

TarnRun runTarn(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral(TARN_EXECUTABLE), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

const QByteArray pets = "pie title Pets\n  \"Dogs\" : 386\n  \"Cats\" : 85\n";

QStringList diagramArguments(std::initializer_list<QString> rest)
{
    QStringList arguments{QStringLiteral("diagram")};
    arguments.append(QStringList(rest));
    return arguments;
}

} // namespace

TEST(DiagramCommand, WritesSvgToStandardOutput)
{
    const TarnRun run = runTarn(
        diagramArguments({QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("-")}), pets);
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    EXPECT_TRUE(run.out.startsWith("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\""));
    EXPECT_TRUE(run.out.endsWith("</svg>\n"));
    EXPECT_TRUE(run.out.contains("fill=\"#ffffff\""));
    EXPECT_TRUE(run.out.contains(">Dogs \xE2\x80\x94 386</text>"));

    const TarnRun dark = runTarn(diagramArguments({QStringLiteral("-"), QStringLiteral("--dark"),
                                                   QStringLiteral("-o"), QStringLiteral("-")}),
                                 pets);
    ASSERT_EQ(dark.status, 0);
    EXPECT_TRUE(dark.out.contains("fill=\"#1e1e1e\""));
}

TEST(DiagramCommand, WritesPngAndPdfFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString input = dir.filePath(QStringLiteral("pets.mmd"));
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pets);
    file.close();

    const QString svgPath = dir.filePath(QStringLiteral("pets.svg"));
    ASSERT_EQ(runTarn(diagramArguments({input, QStringLiteral("-o"), svgPath})).status, 0);
    QFile svg(svgPath);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray svgText = svg.readAll();
    const qsizetype widthAt = svgText.indexOf("width=\"") + 7;
    const int width = svgText.mid(widthAt, svgText.indexOf('"', widthAt) - widthAt).toInt();
    ASSERT_GT(width, 0);

    const QString pngPath = dir.filePath(QStringLiteral("pets.PNG"));
    ASSERT_EQ(runTarn(diagramArguments({input, QStringLiteral("-o"), pngPath})).status, 0);
    EXPECT_EQ(QImage(pngPath).width(), 2 * width); // the default scale is 2
    ASSERT_EQ(runTarn(diagramArguments({input, QStringLiteral("--scale"), QStringLiteral("0.5"),
                                        QStringLiteral("-o"), pngPath}))
                  .status,
              0);
    EXPECT_EQ(QImage(pngPath).width(), (width + 1) / 2);

    const QString pdfPath = dir.filePath(QStringLiteral("pets.pdf"));
    ASSERT_EQ(runTarn(diagramArguments({input, QStringLiteral("-o"), pdfPath})).status, 0);
    QFile pdf(pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF-"));
}

TEST(DiagramCommand, DiagramErrorsPrintTheirDescriptionAlone)
{
    struct Case
    {
        const char *source;
        const char *err;
    };
    const Case cases[] = {
        {"gantt\n  title Plan\n", "Unsupported Mermaid diagram type: gantt\n"},
        {"stateDiagram-v2\n", "Unsupported Mermaid diagram type: stateDiagram\n"},
        {"", "Unsupported Mermaid diagram type: \n"},
        {"%% note\npie\n\"a\": 12 kg\n", "Parse error (line 3): Slice value must be a number\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        const TarnRun run = runTarn(
            diagramArguments({QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("-")}),
            c.source);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.toStdString(), c.err);
    }
}

TEST(DiagramCommand, UsageAndFileErrors)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case
    {
        const char *name;
        QStringList arguments;
        int status;
        const char *errorContains;
    };
    const QString out = dir.filePath(QStringLiteral("out.svg"));
    const Case cases[] = {
        {"no output", {QStringLiteral("-")}, 2, "missing '-o"},
        {"no input", {QStringLiteral("-o"), out}, 2, "missing input"},
        {"-o without value", {QStringLiteral("-"), QStringLiteral("-o")}, 2, "needs a value"},
        {"unknown format",
         {QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("x.gif")},
         2,
         ".svg, .pdf or .png"},
        {"bad scale",
         {QStringLiteral("-"), QStringLiteral("--scale"), QStringLiteral("big"),
          QStringLiteral("-o"), out},
         2,
         "--scale"},
        {"zero scale",
         {QStringLiteral("-"), QStringLiteral("--scale"), QStringLiteral("0"), QStringLiteral("-o"),
          out},
         2,
         "--scale"},
        {"unknown option",
         {QStringLiteral("-"), QStringLiteral("--light"), QStringLiteral("-o"), out},
         2,
         "unknown option"},
        {"two inputs",
         {QStringLiteral("a.mmd"), QStringLiteral("b.mmd"), QStringLiteral("-o"), out},
         2,
         "more than one input"},
        {"missing input file",
         {dir.filePath(QStringLiteral("none.mmd")), QStringLiteral("-o"), out},
         1,
         "No such file"},
        {"unwritable output",
         {QStringLiteral("-"), QStringLiteral("-o"),
          dir.filePath(QStringLiteral("no/such/folder/out.svg"))},
         1,
         "out.svg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TarnRun run = runTarn(diagramArguments({}) + c.arguments, "pie\n\"a\": 1\n");
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.startsWith("tarn: ")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.errorContains)) << run.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

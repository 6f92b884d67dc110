#include <Tarn/Cli.h>

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct CommandResult
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

CommandResult runCli(const QStringList &arguments, const QByteArray &input = {})
{
    QBuffer in;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QBuffer err;
    err.open(QIODevice::WriteOnly);
    const int status = Tarn::Cli::runHeadless(arguments, {in, out, err});
    return {status, out.data(), err.data()};
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

} // namespace

TEST(Cli, OutlineJsonHasTheContractShape)
{
    const auto result
        = runCli({QStringLiteral("outline"), QStringLiteral("-"), QStringLiteral("--json")},
                 "intro\r\n# T\xC3\xADtulo \"q\"\r\n## Two\r\n");
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(result.out,
              "{\"entries\":["
              "{\"id\":0,\"level\":1,\"title\":\"T\xC3\xADtulo \\\"q\\\"\",\"sourceLocation\":7,"
              "\"sectionIndex\":1},"
              "{\"id\":1,\"level\":2,\"title\":\"Two\",\"sourceLocation\":21,\"sectionIndex\":2}],"
              "\"sections\":[{\"id\":0,\"sourceLocation\":0,\"length\":6},"
              "{\"id\":1,\"sourceLocation\":7,\"length\":13},"
              "{\"id\":2,\"sourceLocation\":21,\"length\":8}]}\n");
    QJsonParseError error;
    QJsonDocument::fromJson(result.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
}

TEST(Cli, ErrorsAndUsage)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odd = writeFile(dir, QStringLiteral("odd.md"), QByteArray("\xFF\xFE\x41", 3));
    struct Case
    {
        const char *name;
        QStringList arguments;
        int status;
        const char *errorContains;
    };
    const Case cases[] = {
        {"missing file",
         {QStringLiteral("outline"), dir.filePath(QStringLiteral("none.md"))},
         1,
         "No such file"},
        {"directory",
         {QStringLiteral("outline"), dir.path(), QStringLiteral("--json")},
         1,
         "correct format"},
        {"undecodable bytes", {QStringLiteral("outline"), odd}, 1, "text encoding"},
        {"no input", {QStringLiteral("outline"), QStringLiteral("--json")}, 2, "missing input"},
        {"two inputs", {QStringLiteral("outline"), odd, odd}, 2, "more than one"},
        {"unknown option", {QStringLiteral("--frobnicate")}, 2, "unknown option"},
        {"unknown outline option",
         {QStringLiteral("outline"), odd, QStringLiteral("--xml")},
         2,
         "unknown option"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = runCli(c.arguments);
        EXPECT_EQ(result.status, c.status);
        EXPECT_TRUE(result.out.isEmpty());
        EXPECT_TRUE(result.err.contains(c.errorContains)) << result.err.toStdString();
        EXPECT_TRUE(result.err.startsWith("tarn: "));
    }
}

TEST(Cli, HelpAndVersion)
{
    const auto help = runCli({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("tarn outline IN.md"));
    const auto version = runCli({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith("tarn "));
    EXPECT_FALSE(Tarn::Cli::isHeadlessCommand({QStringLiteral("notes.md")}));
    EXPECT_FALSE(Tarn::Cli::isHeadlessCommand({}));
}

TEST(Cli, ExecutableReadsStandardInput)
{
    QProcess process;
    process.start(QStringLiteral(TARN_EXECUTABLE),
                  {QStringLiteral("outline"), QStringLiteral("-"), QStringLiteral("--json")});
    ASSERT_TRUE(process.waitForStarted());
    process.write("# One\n```\n# not\n```\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
    const QJsonArray entries = json.value(QStringLiteral("entries")).toArray();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.at(0).toObject().value(QStringLiteral("title")).toString(),
              QStringLiteral("One"));
}

TEST(Cli, ExportReplacesAnExistingPageAtomically)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString input = writeFile(dir, QStringLiteral("notes.md"), "# Notes\n");
    const QString output = writeFile(dir, QStringLiteral("My Page.html"), "old contents");
    const ino_t before = [&] {
        struct stat info
        {
        };
        ::stat(QFile::encodeName(output).constData(), &info);
        return info.st_ino;
    }();

    const auto result = runCli({QStringLiteral("export"), input, QStringLiteral("-o"), output});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray page = file.readAll();
    EXPECT_TRUE(page.contains("<title>My Page</title>"));
    EXPECT_TRUE(page.contains("<h1>Notes</h1>"));
    struct stat after
    {
    };
    ::stat(QFile::encodeName(output).constData(), &after);
    EXPECT_NE(after.st_ino, before); // a new file took the old one's place: never written in place
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary file left
}

TEST(Cli, ExportFailureLeavesTheDestinationUntouched)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString input = writeFile(dir, QStringLiteral("in.md"), "text");
    // A directory where the page should go: the write must fail and leave it as it was.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("taken.html/inside")));
    const QString output = dir.filePath(QStringLiteral("taken.html"));
    const auto result = runCli({QStringLiteral("export"), input, QStringLiteral("-o"), output});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.startsWith("tarn: "));
    EXPECT_EQ(result.err.count('\n'), 1);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("taken.html/inside"))).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("in.md")});
}

TEST(Cli, ExportToStandardOutputAndUsage)
{
    const auto page = runCli(
        {QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("-o"), QStringLiteral("-")},
        "*hi*");
    EXPECT_EQ(page.status, 0);
    EXPECT_TRUE(page.out.startsWith("<!DOCTYPE html>\n"));
    EXPECT_TRUE(page.out.contains("<p><em>hi</em></p>\n</body>\n</html>"));

    struct Case
    {
        QStringList arguments;
        int status;
    };
    const Case cases[] = {
        {{QStringLiteral("export"), QStringLiteral("-")}, 2},
        {{QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("-o")}, 2},
        {{QStringLiteral("export"), QStringLiteral("-"), QStringLiteral("-o"),
          QStringLiteral("x.txt")},
         2},
        {{QStringLiteral("export"), QStringLiteral("-o"), QStringLiteral("x.html")}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        EXPECT_EQ(runCli(c.arguments).status, c.status);
    }
}

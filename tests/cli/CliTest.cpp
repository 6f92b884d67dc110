#include <Tarn/Cli.h>

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    const auto result = runCli({QStringLiteral("outline"), QStringLiteral("-"),
                                QStringLiteral("--json")},
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
        {"missing file", {QStringLiteral("outline"), dir.filePath(QStringLiteral("none.md"))}, 1,
         "No such file"},
        {"directory", {QStringLiteral("outline"), dir.path(), QStringLiteral("--json")}, 1,
         "correct format"},
        {"undecodable bytes", {QStringLiteral("outline"), odd}, 1, "text encoding"},
        {"no input", {QStringLiteral("outline"), QStringLiteral("--json")}, 2, "missing input"},
        {"two inputs", {QStringLiteral("outline"), odd, odd}, 2, "more than one"},
        {"unknown option", {QStringLiteral("--frobnicate")}, 2, "unknown option"},
        {"unknown outline option", {QStringLiteral("outline"), odd, QStringLiteral("--xml")}, 2,
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

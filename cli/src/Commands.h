#pragma once

// The subcommands of the tarn executable and the helpers they share. Each subcommand lives in
// its own source file and receives its arguments without the subcommand name.

#include <Tarn/Cli.h>
#include <Tarn/Result.h>

#include <QString>

namespace Tarn::Cli {

int runOutline(const QStringList &arguments, Streams streams);
int runDiagram(const QStringList &arguments, Streams streams);
int runExport(const QStringList &arguments, Streams streams);

/// The name that stands for standard input or output.
inline const QString stdioName = QStringLiteral("-");

/// Writes "tarn: MESSAGE" and a hint to --help on standard error; returns usageError.
int usageFailure(Streams streams, const QString &message);
/// Writes "tarn: MESSAGE" on standard error; returns failure.
int failureLine(Streams streams, const QString &message);
/// Writes `line` and a line break, UTF-8 encoded.
void writeLine(QIODevice &device, const QString &line);

/// Reads a Markdown input ("-" is standard input), decoded as a document would be; the error
/// is a one-line message. Diagram sources are read the same way.
Common::Result<QString, QString> readMarkdown(const QString &path, QIODevice &in);

} // namespace Tarn::Cli

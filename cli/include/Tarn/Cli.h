#pragma once

#include <QIODevice>
#include <QStringList>

#include <optional>

namespace Tarn::Cli {

/// Exit statuses of the command line.
enum ExitStatus : int { success = 0, failure = 1, usageError = 2 };

/// The standard streams a command reads and writes.
struct Streams
{
    QIODevice &in;
    QIODevice &out;
    QIODevice &err;
};

/// Whether `arguments` (without the program name) ask for a headless command: a subcommand,
/// --help or --version. Otherwise they name documents for the editor.
bool isHeadlessCommand(const QStringList &arguments);

/// Runs a headless command and returns the exit status.
int runHeadless(const QStringList &arguments, Streams streams);

/// The usage text printed by --help.
QString usageText();

} // namespace Tarn::Cli

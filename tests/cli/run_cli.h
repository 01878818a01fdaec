#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "cli/cli_commands.h"

namespace bdx {

// What the command-line tool did: its exit code and what it printed.
struct CliResult {
    int code = -1;
    QString out;
    QString err;
};

// The tool run in this process, for tests that need no shell's view of it.
inline CliResult RunCliInProcess(const QStringList& arguments) {
    CliResult r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = cli::Run(arguments, out, err);
    out.flush();
    err.flush();
    return r;
}

#ifdef BDX_CLI_PATH
// Runs the real executable, so that argument handling and exit codes are what a shell sees.
// `input` goes to its standard input; -1 as the code means it did not finish.
inline CliResult RunCli(const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.start(QStringLiteral(BDX_CLI_PATH), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return {-1, {}, {}};
    }
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
#endif

}  // namespace bdx

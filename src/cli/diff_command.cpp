#include "diff_command.h"

#include "print/program_diff.h"
#include "program_commands.h"

namespace bdx::cli {

int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    constexpr int kSame = 0, kDifferent = 1, kFailed = 2;
    if (args.size() != 2) {
        err << "usage: branteldesk-cli diff A B\n";
        return kFailed;
    }
    Program before;
    Program after;
    if (!ReadProgramForCommand(args[0], before, err) || !ReadProgramForCommand(args[1], after, err)) {
        return kFailed;
    }
    const QStringList report = ProgramDifferences(before, after);
    if (report.isEmpty()) {
        out << "The programs are the same.\n";
        return kSame;
    }
    for (const QString& line : report) {
        out << line << '\n';
    }
    return kDifferent;
}

}  // namespace bdx::cli

#include "diff_command.h"

#include "print/program_diff.h"
#include "program_commands.h"
#include "shell/language_table.h"

namespace bdx::cli {

int DiffCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    constexpr int kSame = 0, kDifferent = 1, kFailed = 2;
    // A B [--lang en|pt|pl|es]: the report follows the language asked for, English by default.
    QStringList files;
    int language = English;
    bool languageGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang") && !languageGiven && i + 1 < args.size()) {
            languageGiven = true;
            language = -1;
            for (const int offset : {English, Portuguese, Polish, Spanish}) {
                if (args[i + 1] == QLatin1String(LanguageCode(offset))) {
                    language = offset;
                }
            }
            ++i;
        } else if (!args[i].startsWith(QLatin1String("--"))) {
            files << args[i];
        } else {
            language = -1;
        }
    }
    if (files.size() != 2 || language < 0) {
        err << "usage: branteldesk-cli diff A B [--lang en|pt|pl|es]\n";
        return kFailed;
    }
    SetLanguageOffset(language);
    Program before;
    Program after;
    if (!ReadProgramForCommand(files[0], before, err) || !ReadProgramForCommand(files[1], after, err)) {
        return kFailed;
    }
    const QStringList report = ProgramDifferences(before, after);
    if (report.isEmpty()) {
        out << LoadText(8122) << '\n';
        return kSame;
    }
    for (const QString& line : report) {
        out << line << '\n';
    }
    return kDifferent;
}

}  // namespace bdx::cli

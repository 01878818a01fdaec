#include "program_commands.h"

#include <QFileInfo>

#include "blocks/device_model.h"
#include "check/rule_checker.h"
#include "check/validate_before_run.h"
#include "editor/cross_reference.h"
#include "ladder/file_lock.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "shell/language_table.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* generationName(FileGeneration generation) {
    switch (generation) {
        case FileGeneration::Current:
            return "current";
        case FileGeneration::Second:
            return "second";
        case FileGeneration::First:
            return "first";
    }
    return "";
}

template <typename Table>
QString usedBlocks(const Table& table) {
    QStringList numbers;
    for (std::size_t n = 0; n < table.size(); ++n) {
        if (table[n][0] & kFlagInUse) {
            numbers << QString::number(n + 1);
        }
    }
    return numbers.isEmpty() ? QStringLiteral("none") : numbers.join(u' ');
}

int usedLines(const Program& program) {
    int count = 0;
    for (int line = 0; line < kLadderLines; ++line) {
        for (int w = 0; w < kWordsPerLine; ++w) {
            if (program.word(line, w) != CellEmpty) {
                ++count;
                break;
            }
        }
    }
    return count;
}

std::optional<int> languageOffset(const QString& code) {
    static const std::pair<const char*, int> kCodes[] = {
        {"en", English}, {"pt", Portuguese}, {"pl", Polish}, {"es", Spanish}};
    for (const auto& [name, offset] : kCodes) {
        if (code == QLatin1String(name)) {
            return offset;
        }
    }
    return std::nullopt;
}

}  // namespace

QString PlainLineBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

bool ReadProgramForCommand(const QString& path, Program& program, QTextStream& err,
                           ProgramFileStatus* status) {
    const ProgramFileStatus read = ReadProgramFile(path, program);
    if (status != nullptr) {
        *status = read;
    }
    if (!read.ok()) {
        err << path << ": " << ProgramFileMessage(read) << '\n';
        return false;
    }
    ConvertLegacyNumberCodes(program.LadderGrid);
    return true;
}

bool TargetHeldOpen(const QString& target, QTextStream& err) {
    if (!ProgramFileHeld(QFileInfo(target).absoluteFilePath())) {
        return false;
    }
    err << target << ": " << kCannotReplaceText << '\n';
    return true;
}

int ConvertCommand(const QStringList& args, QTextStream& /*out*/, QTextStream& err) {
    if (args.size() != 2) {
        err << "usage: branteldesk-cli convert IN OUT\n";
        return kUsage;
    }
    Program program;
    ProgramFileStatus status;
    if (!ReadProgramForCommand(args[0], program, err, &status) || TargetHeldOpen(args[1], err)) {
        return kFailed;
    }
    const QFileInfo target(args[1]);
    program.ProgramFileName = target.fileName();
    program.ProgramFilePath = target.absoluteFilePath();
    QString error;
    if (!WriteProgramFile(program, args[1], &error)) {
        err << args[1] << ": the program could not be saved: " << error << '\n';
        return kFailed;
    }
    return kOk;
}

int InfoCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() != 1) {
        err << "usage: branteldesk-cli info FILE\n";
        return kUsage;
    }
    Program p;
    ProgramFileStatus status;
    if (!ReadProgramForCommand(args[0], p, err, &status)) {
        return kFailed;
    }
    QStringList modules;
    for (int i = 0; i < kExtensionModules; ++i) {
        if (p.ExtensionModules[i] != 0) {
            modules << QString(QChar(u'A' + i));
        }
    }
    out << "generation: " << generationName(status.generation) << '\n'
        << "model: " << p.ModelIndex << ' ' << ModelDisplayName(p.ModelIndex) << '\n'
        << "extension: " << (modules.isEmpty() ? QStringLiteral("none") : modules.join(u' ')) << '\n'
        << "lines: " << usedLines(p) << '\n'
        << "timers: " << usedBlocks(p.TimerParams) << '\n'
        << "counters: " << usedBlocks(p.CounterParams) << '\n'
        << "compare counters: " << usedBlocks(p.CompareParams) << '\n'
        << "hour meters: " << usedBlocks(p.HourMeterParams) << '\n'
        << "time switches: " << usedBlocks(p.TimeSwitchParams) << '\n'
        << "analog blocks: " << usedBlocks(p.AnalogParams) << '\n';
    return kOk;
}

namespace {

// FILE [--lang en|pt|pl|es], as `check` and `xref` take them; nothing on any other line.
struct FileAndLanguage {
    QString file;
    int language = English;
};
std::optional<FileAndLanguage> parseFileAndLanguage(const QStringList& args) {
    FileAndLanguage parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--lang") && i + 1 < args.size() && languageOffset(args[i + 1])) {
            parsed.language = *languageOffset(args[++i]);
        } else if (parsed.file.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            parsed.file = args[i];
        } else {
            return std::nullopt;
        }
    }
    if (parsed.file.isEmpty()) {
        return std::nullopt;
    }
    return parsed;
}

}  // namespace

int CheckCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    const std::optional<FileAndLanguage> parsed = parseFileAndLanguage(args);
    if (!parsed) {
        err << "usage: branteldesk-cli check FILE [--lang en|pt|pl|es]\n";
        return kUsage;
    }
    SetLanguageOffset(parsed->language);
    Program program;
    ProgramFileStatus status;
    if (!ReadProgramForCommand(parsed->file, program, err, &status)) {
        return kUsage;
    }
    const std::vector<ErrorRow> rows = RunRuleCheck(program);
    for (const ErrorRow& row : rows) {
        out << ErrorRowKind(row) << '\t' << ErrorRowLine(row) << '\t' << ErrorRowLocation(row) << '\t'
            << row.message << '\n';
    }
    // The compile fault is printed as its box reads; the list above already says the rest.
    CompiledNetwork network;
    const std::optional<RunRefusal> refusal = ValidateBeforeRun(program, rows, network);
    if (refusal && refusal->compileFault) {
        out << PlainLineBreaks(CompileFaultText(*refusal->compileFault)) << '\n';
    }
    return refusal ? kFailed : kOk;
}

int XrefCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    const std::optional<FileAndLanguage> parsed = parseFileAndLanguage(args);
    if (!parsed) {
        err << "usage: branteldesk-cli xref FILE [--lang en|pt|pl|es]\n";
        return kUsage;
    }
    Program program;
    if (!ReadProgramForCommand(parsed->file, program, err)) {
        return kFailed;
    }
    out << CrossReferenceText(program, parsed->language);
    return kOk;
}

}  // namespace bdx::cli

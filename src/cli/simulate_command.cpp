#include "simulate_command.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "check/rule_checker.h"
#include "ladder/program_file.h"
#include "program_commands.h"
#include "simulate_script.h"
#include "shell/language_table.h"
#include "sim/clock.h"
#include "sim/parameter_monitor.h"
#include "sim/pc_simulation.h"
#include "sim/sim_operands.h"
#include "sim/trend_export.h"
#include "sim/trend_recorder.h"
#include "sim/text_display_control.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;  // also a program that cannot be read or is refused
constexpr int kBadScript = 3;
// The run went through, but a --vcd or --csv file could not be written.
constexpr int kTraceNotWritten = 4;

constexpr const char* kUsageText =
    "usage: branteldesk-cli simulate FILE [--script FILE|-] [--start YYYY-MM-DDTHH:MM:SS] [--step SECONDS]\n"
    "                                  [--vcd FILE] [--csv FILE]\n";

constexpr double kTolerance = 0.005;
constexpr int kContinue = -1;  // a script line done, the run goes on

// No script line is anywhere near this long; a longer one is not a script.
constexpr qint64 kMaxLineBytes = 64 * 1024;

using Action = ScriptAction;
using Operand = ScriptOperand;

class Simulation {
  public:
    Simulation(const QDateTime& start, std::int64_t step) : clock_(start), sim_(clock_), step_(step) {}

    // A refusal is printed as its boxes read, one after the other.
    bool prepare(Program& program, QTextStream& err) {
        program_ = &program;
        const std::optional<RunRefusal> refusal = sim_.Prepare(program, RunRuleCheck(program));
        if (!refusal) {
            return true;
        }
        if (refusal->compileFault) {
            err << PlainLineBreaks(CompileFaultText(*refusal->compileFault)) << '\n';
        }
        if (!refusal->message.isEmpty()) {
            err << PlainLineBreaks(refusal->message) << '\n';
        } else if (!refusal->compileFault) {
            err << "the program was refused\n";
        }
        return false;
    }

    // Scans every step up to `time`; the scan at `time` itself only when `inclusive`.
    bool scanUntil(std::int64_t time, bool inclusive) {
        for (;;) {
            const std::int64_t next = scanned_ < 0 ? 0 : scanned_ + step_;
            if (next > time || (next == time && !inclusive)) {
                return true;
            }
            clock_.advance(next - clock_.hundredths());
            scanned_ = next;
            const bool goesOn = sim_.ScanOnce() == 2;
            if (recorder_ != nullptr) {
                recorder_->sample(scanned_, sim_);
            }
            if (!goesOn) {
                return false;
            }
        }
    }

    void set(const Operand& operand) { WriteSimOperand(sim_, operand, operand.value); }

    double read(const Operand& operand) const { return ReadSimOperand(sim_, operand); }

    void display(QTextStream& out) const {
        out << "t=" << FormatSimTime(scanned_) << " display: " << sim_.blocks().softTexts.caption() << '\n';
        for (const QString& text : DisplayLines(sim_.blocks().softTexts)) {
            out << '|' << text << "|\n";
        }
    }

    // The parameter monitor's tabs as its grids show them: a heading, the column headings and
    // one line per block in use, cells separated by tabs.
    void parameters(QTextStream& out, std::optional<MonitorTab> only) const {
        const ParameterMonitor monitor(*program_, sim_);
        for (MonitorTab tab : kMonitorTabOrder) {
            if (only && tab != *only) {
                continue;
            }
            out << "t=" << FormatSimTime(scanned_) << " parameters: " << LoadText(MonitorTabTextId(tab)) << '\n';
            QStringList headings;
            for (int id : monitor.headerTextIds(tab)) {
                headings << LoadText(id);
            }
            out << headings.join(u'\t') << '\n';
            for (const MonitorRow& row : monitor.rows(tab)) {
                out << row.cells.join(u'\t') << '\n';
            }
        }
    }

    // What the blocks tell the user when they end the run.
    void printEndMessage(QTextStream& err) const {
        if (!sim_.endMessage().isEmpty()) {
            err << PlainLineBreaks(sim_.endMessage()) << '\n';
        }
    }

    std::int64_t scanned() const { return scanned_; }
    // Records its traces after every scan.
    void setRecorder(TrendRecorder* recorder) { recorder_ = recorder; }

    // Ends the run and starts a new one on the same program, as Stop and With PC would:
    // retentive relays keep their values, everything else starts afresh.
    bool restart(QTextStream& err) {
        sim_.EndSimulation();
        return prepare(*program_, err);
    }

  private:
    ManualClock clock_;
    PcSimulation sim_;
    std::int64_t step_;
    std::int64_t scanned_ = -1;  // time of the latest scan, none yet
    Program* program_ = nullptr;
    TrendRecorder* recorder_ = nullptr;
};

// Runs one script line; kContinue, or the exit code that ends the run.
int runLine(Simulation& sim, const ScriptLine& line, QTextStream& out, QTextStream& err) {
    const QString time = FormatSimTime(line.time);
    if (!sim.scanUntil(line.time, line.action != Action::Set)) {
        sim.printEndMessage(err);
        err << "the simulation ended at t=" << FormatSimTime(sim.scanned()) << '\n';
        return kFailed;
    }
    switch (line.action) {
        case Action::Set:
            for (const Operand& operand : line.operands) {
                sim.set(operand);
            }
            break;
        case Action::Expect:
            for (const Operand& operand : line.operands) {
                const double got = sim.read(operand);
                if (std::fabs(got - operand.value) > kTolerance) {
                    out << "expect failed at t=" << time << ": " << operand.name << '=' << FormatSimValue(got)
                        << ", wanted " << FormatSimValue(operand.value) << '\n';
                    return kFailed;
                }
            }
            break;
        case Action::Print:
            out << "t=" << time;
            for (const Operand& operand : line.operands) {
                out << ' ' << operand.name << '=' << FormatSimValue(sim.read(operand));
            }
            out << '\n';
            break;
        case Action::Display:
            sim.display(out);
            break;
        case Action::Parameters:
            sim.parameters(out, line.tab);
            break;
        case Action::Restart:
            if (!sim.restart(err)) {
                return kUsage;
            }
            break;
        case Action::Trace:
            // The recorder knows its traces from the check of the script.
            break;
    }
    return kContinue;
}

// The script read line by line, so that memory stays at one line whatever its size. It is read
// twice: once to check every line before the run, once to run it; a stream that cannot be read
// twice (standard input, a pipe) is kept in a temporary file on the first pass.
class ScriptStream {
  public:
    // False with the reason on err.
    bool open(const QString& script, QTextStream& err) {
        const bool fromStdin = script == QLatin1String("-");
        name_ = fromStdin ? QStringLiteral("stdin") : script;
        const bool opened = fromStdin ? file_.open(stdin, QIODevice::ReadOnly)
                                      : (file_.setFileName(script), file_.open(QIODevice::ReadOnly));
        if (!opened) {
            err << script << ": the script could not be read: " << file_.errorString() << '\n';
            return false;
        }
        if (file_.isSequential() && !copy_.open()) {
            err << "no room for a copy of the script: " << copy_.errorString() << '\n';
            return false;
        }
        return true;
    }

    // Every line through `take(line)`, numbered from 1; the first error, printed as
    // "SCRIPT:LINE: reason", stops the pass with kBadScript. The first pass also checks the
    // times against each other.
    template <typename Take>
    int pass(QTextStream& err, Take take) {
        const bool first = !firstPassDone_;
        firstPassDone_ = true;
        QIODevice& in = first || !file_.isSequential() ? static_cast<QIODevice&>(file_) : copy_;
        if (!first && !in.seek(0)) {
            err << name_ << ": the script could not be read again\n";
            return kUsage;
        }
        std::int64_t previousTime = 0;
        for (int number = 1;; ++number) {
            const qint64 size = in.readLine(buffer_.data(), buffer_.size());
            if (size <= 0) {
                return kOk;
            }
            const QByteArrayView bytes(buffer_.data(), size);
            ScriptLine line;
            line.number = number;
            QString error;
            if (!bytes.endsWith('\n') && bytes.size() >= kMaxLineBytes) {
                error = QStringLiteral("line longer than %1 bytes").arg(kMaxLineBytes);
            } else {
                error = ParseScriptLine(QString::fromUtf8(bytes), previousTime, line);
            }
            if (!error.isEmpty()) {
                err << name_ << ':' << number << ": " << error << '\n';
                return kBadScript;
            }
            if (first && copy_.isOpen() && copy_.write(bytes.data(), bytes.size()) != bytes.size()) {
                err << "no room for a copy of the script: " << copy_.errorString() << '\n';
                return kUsage;
            }
            if (line.time >= 0) {
                previousTime = line.time;
                if (const int code = take(line); code != kContinue) {
                    return code;
                }
            }
        }
    }

  private:
    QString name_;
    QFile file_;
    QTemporaryFile copy_;
    QByteArray buffer_ = QByteArray(kMaxLineBytes + 1, Qt::Uninitialized);  // one line at a time
    bool firstPassDone_ = false;
};

struct Options {
    QString program;
    QString script = QStringLiteral("-");
    QDateTime start = QDateTime(QDate(2026, 1, 5), QTime(0, 0));
    std::int64_t step = 1;
    QString vcd;
    QString csv;
};

// An empty error means the arguments are usable.
QString parseOptions(const QStringList& args, Options& options) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool option = arg.startsWith(QLatin1String("--"));
        if (option && i + 1 >= args.size()) {
            return QStringLiteral("%1 needs a value").arg(arg);
        }
        if (arg == QLatin1String("--script")) {
            options.script = args[++i];
        } else if (arg == QLatin1String("--start")) {
            options.start = QDateTime::fromString(args[++i], QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"));
            if (!options.start.isValid()) {
                return QStringLiteral("bad start time %1").arg(args[i]);
            }
        } else if (arg == QLatin1String("--step")) {
            const std::optional<std::int64_t> step = ParseHundredths(args[++i]);
            if (!step || *step == 0) {
                return QStringLiteral("bad step %1: a multiple of 0.01 s above zero").arg(args[i]);
            }
            options.step = *step;
        } else if (arg == QLatin1String("--vcd")) {
            options.vcd = args[++i];
        } else if (arg == QLatin1String("--csv")) {
            options.csv = args[++i];
        } else if (option || !options.program.isEmpty()) {
            return QStringLiteral("unexpected argument %1").arg(arg);
        } else {
            options.program = arg;
        }
    }
    return options.program.isEmpty() ? QStringLiteral("no program file") : QString();
}

// Every input and output of the base and of the modules the program has.
void addInputsAndOutputs(const Program& program, TrendRecorder& recorder) {
    constexpr std::pair<char, int> kInputs[] = {{'I', 8}, {'J', 8}, {'K', 8}, {'L', 8}};
    constexpr std::pair<char, int> kOutputs[] = {{'Q', 4}, {'U', 4}, {'V', 4}, {'W', 4}};
    for (const auto* table : {kInputs, kOutputs}) {
        for (int module = 0; module <= kExtensionModules; ++module) {
            if (module > 0 && program.ExtensionModules[static_cast<std::size_t>(module - 1)] == 0) {
                continue;
            }
            for (int n = 1; n <= table[module].second; ++n) {
                SimOperand operand;
                ResolveSimOperand(QString(QChar(table[module].first)) + QString::number(n), OperandUse::Read, operand);
                recorder.add(operand);
            }
        }
    }
}

}  // namespace

int SimulateCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    Options options;
    const QString usageError = parseOptions(args, options);
    if (!usageError.isEmpty()) {
        err << usageError << '\n' << kUsageText;
        return kUsage;
    }

    Program program;
    if (!ReadProgramForCommand(options.program, program, err)) {
        return kUsage;
    }

    ScriptStream script;
    if (!script.open(options.script, err)) {
        return kUsage;
    }
    // The whole script is checked before the run, so a typo never shows up halfway through.
    // The check also gathers the traces, each from the time of its first trace line; the
    // files take the changes as they come, so a week's run needs no more memory than a minute's.
    TrendRecorder recorder(0, std::numeric_limits<int>::max());
    bool traced = false;
    const auto gather = [&recorder, &traced](const ScriptLine& line) {
        if (line.action == Action::Trace) {
            traced = true;
            for (const Operand& operand : line.operands) {
                recorder.add(operand, line.time);
            }
        }
        return kContinue;
    };
    if (const int code = script.pass(err, gather); code != kOk) {
        return code;
    }
    if (!traced) {
        addInputsAndOutputs(program, recorder);
    }

    Simulation sim(options.start, options.step);
    if (!sim.prepare(program, err)) {
        return kUsage;
    }
    // A file that cannot be written does not stop the run: its result still counts.
    std::vector<std::unique_ptr<TrendFile>> files;
    bool filesFailed = false;
    for (const auto& [path, format] : {std::pair{options.vcd, TrendFormat::Vcd}, std::pair{options.csv, TrendFormat::Csv}}) {
        if (path.isEmpty()) {
            continue;
        }
        auto file = std::make_unique<TrendFile>(path, format);
        if (file->open()) {
            recorder.addSink(file.get());
            files.push_back(std::move(file));
        } else {
            err << path << ": the trace cannot be written: " << file->errorString() << "; the run goes on without it\n";
            filesFailed = true;
        }
    }
    if (!files.empty()) {
        sim.setRecorder(&recorder);
    }

    int code = script.pass(err, [&](const ScriptLine& line) { return runLine(sim, line, out, err); });
    for (const std::unique_ptr<TrendFile>& file : files) {
        file->end(std::max<std::int64_t>(sim.scanned(), 0));
        if (!file->commit()) {
            err << file->path() << ": the trace could not be written: " << file->errorString() << '\n';
            filesFailed = true;
        }
    }
    if (code == kOk && filesFailed) {
        code = kTraceNotWritten;
    }
    return code;
}

}  // namespace bdx::cli

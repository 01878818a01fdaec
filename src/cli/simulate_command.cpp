#include "simulate_command.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "check/compiled_network.h"
#include "check/rule_checker.h"
#include "ladder/grid.h"
#include "ladder/ladder_codes.h"
#include "ladder/program_file.h"
#include "program_commands.h"
#include "shell/language_table.h"
#include "sim/clock.h"
#include "sim/parameter_monitor.h"
#include "sim/pc_simulation.h"
#include "sim/text_display_control.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;  // also a program that cannot be read or is refused
constexpr int kBadScript = 3;

constexpr const char* kUsageText =
    "usage: branteldesk-cli simulate FILE [--script FILE|-] [--start YYYY-MM-DDTHH:MM:SS] [--step SECONDS]\n";

constexpr double kTolerance = 0.005;
constexpr int kContinue = -1;  // a script line done, the run goes on

// The latest time a script may name, in hundredths: a week, every day of the time switches.
// Beyond it a run would scan for hours.
constexpr std::int64_t kMaxScriptSeconds = 7 * 24 * 3600;
constexpr std::int64_t kMaxScriptTime = kMaxScriptSeconds * 100;
// No script line is anywhere near this long; a longer one is not a script.
constexpr qint64 kMaxLineBytes = 64 * 1024;

enum class Action { Set, Expect, Print, Display, Restart, Parameters };

// What an operand of a script line reads or writes.
enum class Target { Contact, Input, ZKey, Slider, TimerValue, CounterValue, Maintenance, Operate };

struct Operand {
    QString name;  // as written, for the output
    Target target = Target::Contact;
    std::uint16_t code = 0;  // element code of the normally open contact
    int n = 0;               // 1-based
    double value = 0.0;      // set and expect only
};

struct ScriptLine {
    int number = 0;
    std::int64_t time = 0;  // hundredths of a second since the start
    Action action = Action::Print;
    std::vector<Operand> operands;
    std::optional<MonitorTab> tab;  // parameters: one tab, or all of them
};

bool isBinary(Target target) {
    return target == Target::Contact || target == Target::Input || target == Target::ZKey;
}

// Seconds with at most two decimals, the clock's resolution, as hundredths.
std::optional<std::int64_t> parseHundredths(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})(?:\\.(\\d{1,2}))?$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const QString fraction = m.captured(2).leftJustified(2, u'0');
    return m.captured(1).toLongLong() * 100 + fraction.toInt();
}

QString formatTime(std::int64_t hundredths) {
    QString text = QString::number(hundredths / 100);
    if (hundredths % 100 != 0) {
        text += u'.' + QStringLiteral("%1").arg(hundredths % 100, 2, 10, QChar(u'0'));
        while (text.endsWith(u'0')) {
            text.chop(1);
        }
    }
    return text;
}

// Counters show up to four decimals; more would only print rounding noise.
QString formatValue(double value) {
    QString text = QString::number(value, 'f', 4);
    while (text.endsWith(u'0')) {
        text.chop(1);
    }
    if (text.endsWith(u'.')) {
        text.chop(1);
    }
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

const SignalRange* rangeOf(std::uint16_t openCode) {
    for (const SignalRange& range : kSignalRanges) {
        if (range.openCode == openCode) {
            return &range;
        }
    }
    return nullptr;
}

// Resolves the name of an operand; an empty error means success.
QString resolve(const QString& name, Action action, Operand& operand) {
    static const QRegularExpression pattern(QStringLiteral("^(RTC|[A-Z])(\\d{1,2})(?:\\.(pv|mt|ot))?$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch()) {
        return QStringLiteral("unknown operand %1").arg(name);
    }
    const QString letter = m.captured(1);
    const QString field = m.captured(3);
    operand.name = name;
    operand.n = m.captured(2).toInt();
    const QString unknown = QStringLiteral("unknown operand %1").arg(name);

    if (action == Action::Set) {
        if (!field.isEmpty()) {
            return QStringLiteral("%1 cannot be set").arg(name);
        }
        if (letter == QLatin1String("V")) {
            operand.target = Target::Slider;
            return operand.n >= 1 && operand.n <= kAnalogChannels ? QString() : unknown;
        }
        const QChar c = letter.size() == 1 ? letter[0] : QChar();
        if (c == u'I' || c == u'J' || c == u'K' || c == u'L') {
            operand.target = Target::Input;
        } else if (c == u'Z') {
            operand.target = Target::ZKey;
        } else {
            return QStringLiteral("%1 cannot be set").arg(name);
        }
        operand.code = static_cast<std::uint16_t>(c.unicode());
        const SignalRange* range = rangeOf(operand.code);
        return operand.n >= 1 && operand.n <= range->entries ? QString() : unknown;
    }

    operand.code =
        letter == QLatin1String("RTC") ? ClockContactOpen : static_cast<std::uint16_t>(letter[0].unicode());
    const SignalRange* range = rangeOf(operand.code);
    if (range == nullptr || operand.n < 1 || operand.n > range->entries) {
        return unknown;
    }
    if (field.isEmpty()) {
        operand.target = Target::Contact;
    } else if (letter == QLatin1String("T") && field == QLatin1String("pv")) {
        operand.target = Target::TimerValue;
    } else if (letter == QLatin1String("C") && field == QLatin1String("pv")) {
        operand.target = Target::CounterValue;
    } else if (letter == QLatin1String("H") && field != QLatin1String("pv")) {
        operand.target = field == QLatin1String("mt") ? Target::Maintenance : Target::Operate;
    } else {
        return unknown;
    }
    return QString();
}

QString parseValue(const QString& text, Operand& operand) {
    if (isBinary(operand.target)) {
        if (text != QLatin1String("0") && text != QLatin1String("1")) {
            return QStringLiteral("%1 takes 0 or 1, not %2").arg(operand.name, text);
        }
        operand.value = text.toInt();
        return QString();
    }
    if (operand.target == Target::Slider) {
        const std::optional<std::int64_t> volts = parseHundredths(text);
        if (!volts || *volts > kAnalogSliderMaximum) {
            return QStringLiteral("%1 takes 0.00 to 10.00 volts, not %2").arg(operand.name, text);
        }
        operand.value = static_cast<double>(*volts);
        return QString();
    }
    static const QRegularExpression number(QStringLiteral("^-?\\d{1,9}(?:\\.\\d{1,6})?$"));
    if (!number.match(text).hasMatch()) {
        return QStringLiteral("%1 takes a number, not %2").arg(operand.name, text);
    }
    operand.value = text.toDouble();
    return QString();
}

// The words of a line between runs of white space; a scanner, since a long script has millions
// of lines and is read twice.
QStringList splitWords(const QString& text) {
    QStringList words;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        while (i < n && text[i].isSpace()) {
            ++i;
        }
        const qsizetype start = i;
        while (i < n && !text[i].isSpace()) {
            ++i;
        }
        if (i > start) {
            words << text.mid(start, i - start);
        }
    }
    return words;
}

// One line of the script; an empty error and an empty operand list with time -1 for a blank line.
QString parseLine(const QString& raw, std::int64_t previousTime, ScriptLine& line) {
    const QString text = raw.left(raw.indexOf(u'#')).trimmed();
    const QStringList words = splitWords(text);
    if (words.isEmpty()) {
        line.time = -1;
        return QString();
    }
    const std::optional<std::int64_t> time = parseHundredths(words[0]);
    if (!time) {
        return QStringLiteral("bad time %1").arg(words[0]);
    }
    if (*time > kMaxScriptTime) {
        return QStringLiteral("time %1 is beyond the maximum of %2 seconds (7 days)")
            .arg(words[0])
            .arg(kMaxScriptSeconds);
    }
    if (*time < previousTime) {
        return QStringLiteral("time %1 is earlier than the line before").arg(words[0]);
    }
    line.time = *time;
    if (words.size() < 2) {
        return QStringLiteral("missing command after the time");
    }
    static const std::pair<const char*, Action> kActions[] = {
        {"set", Action::Set},         {"expect", Action::Expect},   {"print", Action::Print},
        {"display", Action::Display}, {"restart", Action::Restart}, {"parameters", Action::Parameters}};
    bool known = false;
    for (const auto& entry : kActions) {
        if (words[1] == QLatin1String(entry.first)) {
            line.action = entry.second;
            known = true;
        }
    }
    if (!known) {
        return QStringLiteral("unknown command %1").arg(words[1]);
    }
    const QStringList arguments = words.mid(2);
    if (line.action == Action::Parameters) {
        if (arguments.size() > 1) {
            return QStringLiteral("parameters takes at most one tab");
        }
        if (!arguments.isEmpty()) {
            line.tab = MonitorTabOfKey(arguments[0]);
            if (!line.tab) {
                QStringList keys;
                for (MonitorTab tab : kMonitorTabOrder) {
                    keys << MonitorTabKey(tab);
                }
                return QStringLiteral("unknown tab %1 (%2)")
                    .arg(arguments[0], keys.join(QStringLiteral(", ")));
            }
        }
        return QString();
    }
    if (line.action == Action::Display || line.action == Action::Restart) {
        return arguments.isEmpty() ? QString() : QStringLiteral("%1 takes no operands").arg(words[1]);
    }
    if (arguments.isEmpty()) {
        return QStringLiteral("%1 needs at least one operand").arg(words[1]);
    }
    const bool assigns = line.action != Action::Print;
    for (const QString& argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (assigns != (equals >= 0)) {
            return assigns ? QStringLiteral("%1 is not OPERAND=VALUE").arg(argument)
                           : QStringLiteral("print takes operands without values: %1").arg(argument);
        }
        Operand operand;
        QString error = resolve(assigns ? argument.left(equals) : argument, line.action, operand);
        if (error.isEmpty() && assigns) {
            error = parseValue(argument.mid(equals + 1), operand);
        }
        if (!error.isEmpty()) {
            return error;
        }
        line.operands.push_back(operand);
    }
    return QString();
}

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
            if (sim_.ScanOnce() != 2) {
                return false;
            }
        }
    }

    void set(const Operand& operand) {
        const bool on = operand.value != 0.0;
        switch (operand.target) {
            case Target::Input:
                sim_.setInput(static_cast<char>(operand.code), operand.n, on);
                break;
            case Target::ZKey:
                sim_.engine().setOperand(operand.code, operand.n, on);
                break;
            case Target::Slider:
                sim_.setSlider(operand.n - 1, static_cast<int>(operand.value));
                break;
            default:
                break;
        }
    }

    double read(const Operand& operand) const {
        const int index = operand.n - 1;
        const BlockEvaluation& blocks = sim_.blocks();
        switch (operand.target) {
            case Target::TimerValue:
                return blocks.timers.elapsedSeconds(index);
            case Target::CounterValue:
                return blocks.counters.displayedValue(index);
            case Target::Maintenance:
                return blocks.hourMeters.maintenanceSeconds(index);
            case Target::Operate:
                return blocks.hourMeters.operateSeconds(index);
            default:
                return sim_.engine().operandValue(operand.code, operand.n) ? 1.0 : 0.0;
        }
    }

    void display(QTextStream& out) const {
        out << "t=" << formatTime(scanned_) << " display: " << sim_.blocks().softTexts.caption() << '\n';
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
            out << "t=" << formatTime(scanned_) << " parameters: " << LoadText(MonitorTabTextId(tab)) << '\n';
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
};

// Runs one script line; kContinue, or the exit code that ends the run.
int runLine(Simulation& sim, const ScriptLine& line, QTextStream& out, QTextStream& err) {
    const QString time = formatTime(line.time);
    if (!sim.scanUntil(line.time, line.action != Action::Set)) {
        sim.printEndMessage(err);
        err << "the simulation ended at t=" << formatTime(sim.scanned()) << '\n';
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
                    out << "expect failed at t=" << time << ": " << operand.name << '=' << formatValue(got)
                        << ", wanted " << formatValue(operand.value) << '\n';
                    return kFailed;
                }
            }
            break;
        case Action::Print:
            out << "t=" << time;
            for (const Operand& operand : line.operands) {
                out << ' ' << operand.name << '=' << formatValue(sim.read(operand));
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
                error = parseLine(QString::fromUtf8(bytes), previousTime, line);
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
            const std::optional<std::int64_t> step = parseHundredths(args[++i]);
            if (!step || *step == 0) {
                return QStringLiteral("bad step %1: a multiple of 0.01 s above zero").arg(args[i]);
            }
            options.step = *step;
        } else if (option || !options.program.isEmpty()) {
            return QStringLiteral("unexpected argument %1").arg(arg);
        } else {
            options.program = arg;
        }
    }
    return options.program.isEmpty() ? QStringLiteral("no program file") : QString();
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
    if (const int code = script.pass(err, [](const ScriptLine&) { return kContinue; }); code != kOk) {
        return code;
    }

    Simulation sim(options.start, options.step);
    if (!sim.prepare(program, err)) {
        return kUsage;
    }
    return script.pass(err, [&](const ScriptLine& line) { return runLine(sim, line, out, err); });
}

}  // namespace bdx::cli

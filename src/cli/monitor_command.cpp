#include "monitor_command.h"

#include <unistd.h>

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <csignal>
#include <optional>

#include "comm/online_monitoring.h"
#include "device_options.h"
#include "program_commands.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"

namespace bdx::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

// How often the run looks for Ctrl+C, and how long the device then has to take the stop.
constexpr int kInterruptPollMs = 20;
constexpr int kStopGraceMs = 600;

void onInterrupt(int) {
    interrupted = 1;
}

// Ctrl+C (and a polite kill) end the run through the loop, so that the device is stopped.
class InterruptScope {
  public:
    InterruptScope() {
        interrupted = 0;
        oldInt_ = std::signal(SIGINT, onInterrupt);
        oldTerm_ = std::signal(SIGTERM, onInterrupt);
    }
    ~InterruptScope() {
        std::signal(SIGINT, oldInt_);
        std::signal(SIGTERM, oldTerm_);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    void (*oldInt_)(int) = SIG_DFL;
    void (*oldTerm_)(int) = SIG_DFL;
};

// Everything the device shows as a named bit: inputs, keys, outputs, in printing order.
struct BitNames {
    std::array<QString, 32 + 4 + 16> names;
    BitNames() {
        int i = 0;
        for (const char module : {'I', 'J', 'K', 'L'}) {
            for (int n = 1; n <= 8; ++n) {
                names[i++] = QStringLiteral("%1%2").arg(QLatin1Char(module)).arg(n);
            }
        }
        for (int n = 1; n <= 4; ++n) {
            names[i++] = QStringLiteral("Z%1").arg(n);
        }
        for (const char module : {'Q', 'U', 'V', 'W'}) {
            for (int n = 1; n <= 4; ++n) {
                names[i++] = QStringLiteral("%1%2").arg(QLatin1Char(module)).arg(n);
            }
        }
    }
};

std::array<bool, 52> Snapshot(const OnlineMonitoring& monitoring) {
    std::array<bool, 52> bits{};
    const QByteArray& inputs = monitoring.lastInputs();
    for (int i = 0; i < 36; ++i) {
        const int byte = i / 8;
        bits[i] = byte < inputs.size() && ((static_cast<std::uint8_t>(inputs.at(byte)) >> (i % 8)) & 1);
    }
    for (int k = 0; k < 16; ++k) {
        bits[36 + k] = (monitoring.lastOutputs() >> k) & 1;
    }
    return bits;
}

QString Usage() {
    return QStringLiteral("usage: branteldesk-cli monitor FILE [--seconds N] DEVICE-OPTIONS\n") +
           DeviceOptionsUsage();
}

}  // namespace

int MonitorCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList rest = args;
    DeviceOptions options;
    if (const std::optional<QString> error = TakeDeviceOptions(rest, options)) {
        err << *error << '\n' << Usage();
        return 2;
    }
    std::optional<double> seconds;
    QString file;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest[i] == QLatin1String("--seconds")) {
            bool ok = false;
            const double value = i + 1 < rest.size() ? rest[i + 1].toDouble(&ok) : 0.0;
            if (!ok || value <= 0) {
                err << "--seconds needs a positive number\n" << Usage();
                return 2;
            }
            seconds = value;
            ++i;
        } else if (file.isEmpty() && !rest[i].startsWith(QLatin1String("--"))) {
            file = rest[i];
        } else {
            err << "unexpected argument '" << rest[i] << "'\n" << Usage();
            return 2;
        }
    }
    if (file.isEmpty()) {
        err << Usage();
        return 2;
    }

    Program program;
    if (!ReadProgramForCommand(file, program, err)) {
        return 2;
    }
    TerminalPrompter prompter(options, out, err);
    std::unique_ptr<DeviceLink> link = OpenDeviceLink(options, prompter, err);
    if (!link) {
        return 1;
    }

    WallClock clock;
    PcSimulation simulation(clock, prompter);
    OnlineMonitoring monitoring(link->session(), simulation);
    InterruptScope interrupt;

    // Without a time limit, the end of standard input ends the run as Ctrl+C does.
    bool inputEnded = false;
    std::unique_ptr<QSocketNotifier> input;
    if (!seconds) {
        input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(input.get(), &QSocketNotifier::activated, [&] {
            char buffer[256];
            if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                inputEnded = true;
                input->setEnabled(false);
            }
        });
    }

    const BitNames names;
    std::array<bool, 52> shown{};
    QElapsedTimer elapsed;
    monitoring.onlineStarted = [&] { elapsed.start(); };
    monitoring.afterPass = [&] {
        const std::array<bool, 52> now = Snapshot(monitoring);
        const QString stamp = QStringLiteral("t=%1 ").arg(elapsed.elapsed() / 1000.0, 0, 'f', 2);
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i] != shown[i]) {
                out << stamp << names.names[i] << '=' << (now[i] ? 1 : 0) << '\n';
            }
        }
        out.flush();
        shown = now;
        if (interrupted != 0 || inputEnded || (seconds && elapsed.elapsed() >= *seconds * 1000.0)) {
            monitoring.requestStop();
        }
    };

    // Ctrl+C acts as the Stop button: it cancels the wait in progress, so a device that does not
    // answer holds nothing up. The device is still told to stop; if it does not answer within a
    // short grace, that wait is cancelled too.
    CommState& state = link->state();
    QElapsedTimer sinceInterrupt;
    QTimer interruptWatch;
    QObject::connect(&interruptWatch, &QTimer::timeout, [&] {
        if (interrupted == 0) {
            return;
        }
        if (!sinceInterrupt.isValid()) {
            sinceInterrupt.start();
            monitoring.requestStop();
            state.CommCancelled = true;
        } else if (sinceInterrupt.elapsed() >= kStopGraceMs) {
            state.CommCancelled = true;
        }
    });
    interruptWatch.start(kInterruptPollMs);

    const MonitoringEnd end = monitoring.StartOnlineMonitoring(program, RunRuleCheck(program));
    out.flush();
    const bool stoppedByUser = sinceInterrupt.isValid() && !state.CommFailed;
    return end == MonitoringEnd::Stopped || stoppedByUser ? 0 : 1;
}

}  // namespace bdx::cli

#include "utility_commands.h"

#include <QDateTime>
#include <functional>

#include "comm/device_utilities.h"
#include "device_options.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const QString kClockFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// Parses the device options, connects and hands the utilities to `body`. Anything left on the
// command line besides the options is a usage error.
int withDevice(const char* name, QStringList args, QTextStream& out, QTextStream& err,
               const std::function<int(DeviceUtilities&, DeviceLink&)>& body) {
    DeviceOptions options;
    if (const std::optional<QString> error = TakeDeviceOptions(args, options)) {
        err << name << ": " << *error << '\n' << DeviceOptionsUsage() << '\n';
        return kUsage;
    }
    if (!args.isEmpty()) {
        err << name << ": unexpected argument " << args.first() << '\n';
        return kUsage;
    }
    TerminalPrompter prompter(options, out, err);
    const std::unique_ptr<DeviceLink> link = OpenDeviceLink(options, prompter, err);
    if (!link) {
        return kFailed;
    }
    DeviceUtilities utilities(link->session());
    utilities.saveSettings = link->settingsSaver(err);
    return body(utilities, *link);
}

}  // namespace

int ClockCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList rest = args;
    std::optional<QDateTime> target;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--set")); at >= 0) {
        if (at + 1 >= rest.size()) {
            err << "clock: --set needs now or \"YYYY-MM-DD HH:MM:SS\"\n";
            return kUsage;
        }
        const QString value = rest.at(at + 1);
        target = value == QLatin1String("now") ? QDateTime::currentDateTime()
                                               : QDateTime::fromString(value, kClockFormat);
        if (!target->isValid()) {
            err << "clock: not a date and time: " << value << '\n';
            return kUsage;
        }
        rest.remove(at, 2);
    }
    return withDevice("clock", rest, out, err, [&](DeviceUtilities& utilities, DeviceLink&) {
        if (target) {
            return utilities.SetClock(target->date(), target->time()) ? kOk : kFailed;
        }
        const std::optional<DeviceClock> clock = utilities.ReadClock();
        if (!clock) {
            return kFailed;
        }
        out << QDateTime(clock->date, clock->time).toString(kClockFormat) << '\n';
        return kOk;
    });
}

int RunCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    return withDevice("run", args, out, err, [](DeviceUtilities& utilities, DeviceLink&) {
        return utilities.StartDevice() ? kOk : kFailed;
    });
}

int StopCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    return withDevice("stop", args, out, err, [](DeviceUtilities& utilities, DeviceLink&) {
        return utilities.StopDeviceCommand() ? kOk : kFailed;
    });
}

int ScanIdCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    return withDevice("scan-id", args, out, err, [&](DeviceUtilities& utilities, DeviceLink& link) {
        if (utilities.ScanModbusId() != IdSearchResult::Found) {
            return kFailed;
        }
        out << int(link.state().ModbusID) << '\n';
        return kOk;
    });
}

}  // namespace bdx::cli

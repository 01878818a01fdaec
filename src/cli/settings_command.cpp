#include "settings_command.h"

#include "comm/comm_settings.h"
#include "device_options.h"
#include "shell/app_paths.h"
#include "shell/app_settings.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

QString usage() {
    return QStringLiteral(
               "usage: branteldesk-cli settings [--tcp A.B.C.D:PORT | --serial DEVICE | --usb]\n"
               "                                [--baud B] [--parity N|E|O] [--stop 1|2] [--id N]\n"
               "Without options it shows the stored communication settings.\n") +
           DeviceOptionsUsage();
}

// The dialog's own address rules: four dotted parts in their ranges, then the port.
std::optional<QString> checkAddress(const DeviceOptions& options) {
    const QStringList parts = options.host.split(u'.');
    if (parts.size() != 4) {
        return EmptyEthernetFieldsMessage();
    }
    const std::array<QString, 4> ip = {parts[0], parts[1], parts[2], parts[3]};
    if (const auto error = CheckEthernetFields(ip, QString::number(options.port))) {
        return error->message;
    }
    return std::nullopt;
}

QString transportText(const CommState& state) {
    switch (CommKindOf(state.CommPort)) {
        case CommKind::Serial:
            return QStringLiteral("serial port ") +
                   (state.SerialPortPath.isEmpty() ? QStringLiteral("(none chosen)") : state.SerialPortPath);
        case CommKind::UsbCable:
            return QStringLiteral("USB-serial cable");
        case CommKind::Ethernet:
            return QStringLiteral("Ethernet ") + state.TcpHost + u':' + QString::number(state.TcpPort);
        case CommKind::NotConfigured:
            break;
    }
    return QStringLiteral("not configured");
}

void print(const CommState& state, QTextStream& out) {
    out << "transport: " << transportText(state) << '\n'
        << "line: " << state.lineSettings() << '\n'
        << "modbus-id: " << state.ModbusID << '\n';
}

}  // namespace

int SettingsCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    QStringList rest = args;
    DeviceOptions options;
    if (const std::optional<QString> error = TakeDeviceOptions(rest, options)) {
        err << "settings: " << *error << '\n' << usage();
        return kUsage;
    }
    if (!rest.isEmpty() || options.yes || !options.password.isEmpty()) {
        err << "settings: unexpected argument "
            << (rest.isEmpty() ? QStringLiteral("--yes/--password") : rest.first()) << '\n'
            << usage();
        return kUsage;
    }
    if (options.link == DeviceOptions::Link::Tcp) {
        if (const std::optional<QString> message = checkAddress(options)) {
            err << kProductTitle << ": " << *message << '\n';
            return kUsage;
        }
    }

    const QString path = SettingsFilePath();
    AppSettings settings = ReadStoredSettings(err);
    CommState state;
    LoadCommSettings(settings, state);
    const bool change = options.link != DeviceOptions::Link::Stored || options.baud || options.parity ||
                        options.stopBits || options.id;
    if (change) {
        ApplyDeviceOptions(options, state);
        QString error;
        if (!SaveCommSettings(state, settings, path, &error)) {
            err << "settings: cannot write " << path << ": " << error << '\n';
            return kFailed;
        }
    }
    print(state, out);
    return kOk;
}

}  // namespace bdx::cli

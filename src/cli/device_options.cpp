#include "device_options.h"

#include <QTextStream>
#include <algorithm>
#include <cstdio>

#include "comm/comm_settings.h"
#include "comm/device_steps.h"
#include "shell/app_paths.h"
#include "shell/app_settings.h"

namespace bdx::cli {

namespace {

constexpr int kConnectTimeoutMs = 10000;

// The value after an option; nothing when the option ends the line.
std::optional<QString> valueAfter(QStringList& args, qsizetype& i) {
    if (i + 1 >= args.size()) {
        return std::nullopt;
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

std::optional<int> numberIn(const QString& text, int low, int high) {
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= low && n <= high ? std::optional<int>(n) : std::nullopt;
}

QString parityText(QChar letter) {
    switch (letter.unicode()) {
        case u'E':
            return QStringLiteral("EVEN");
        case u'O':
            return QStringLiteral("ODD");
        default:
            return QStringLiteral("NONE");
    }
}

// One answer line from the terminal; a null string at the end of input.
QString readAnswer() {
    static QTextStream in(stdin);
    return in.readLine();
}

}  // namespace

std::optional<QString> TakeDeviceOptions(QStringList& args, DeviceOptions& options) {
    int transports = 0;
    for (qsizetype i = 0; i < args.size();) {
        const QString option = args.at(i);
        if (option == QLatin1String("--yes") || option == QLatin1String("--usb")) {
            if (option == QLatin1String("--usb")) {
                options.link = DeviceOptions::Link::Usb;
                ++transports;
            } else {
                options.yes = true;
            }
            args.remove(i);
            continue;
        }
        static const QStringList withValue = {"--tcp",  "--serial", "--baud",    "--parity",
                                              "--stop", "--id",     "--password"};
        if (!withValue.contains(option)) {
            ++i;
            continue;
        }
        const std::optional<QString> value = valueAfter(args, i);
        if (!value) {
            return option + QStringLiteral(" needs a value");
        }
        if (option == QLatin1String("--tcp")) {
            const qsizetype colon = value->lastIndexOf(u':');
            const std::optional<int> port = numberIn(colon < 0 ? *value : value->mid(colon + 1), 1, 65535);
            if (!port) {
                return QStringLiteral("--tcp wants HOST:PORT with a port 1..65535, not ") + *value;
            }
            if (colon > 0) {
                options.host = value->left(colon);
            }
            options.port = *port;
            options.link = DeviceOptions::Link::Tcp;
            ++transports;
        } else if (option == QLatin1String("--serial")) {
            options.serialDevice = *value;
            options.link = DeviceOptions::Link::Serial;
            ++transports;
        } else if (option == QLatin1String("--baud")) {
            if (!BaudRateTexts().contains(*value)) {
                return QStringLiteral("--baud takes 9600, 4800, 2400 or 1200, not ") + *value;
            }
            options.baud = *value;
        } else if (option == QLatin1String("--parity")) {
            const QString p = value->toUpper();
            if (p.size() != 1 || !QStringLiteral("NEO").contains(p)) {
                return QStringLiteral("--parity takes N, E or O, not ") + *value;
            }
            options.parity = p.at(0);
        } else if (option == QLatin1String("--stop")) {
            if (!StopBitTexts().contains(*value)) {
                return QStringLiteral("--stop takes 1 or 2, not ") + *value;
            }
            options.stopBits = *value;
        } else if (option == QLatin1String("--id")) {
            if (const std::optional<QString> message = CheckModbusId(*value)) {
                return *message;
            }
            options.id = value->toInt();
        } else {
            if (!IsFourDigitPassword(*value)) {
                return QStringLiteral("--password takes four digits");
            }
            options.password = *value;
        }
    }
    if (transports > 1) {
        return QStringLiteral("give one of --tcp, --serial and --usb");
    }
    return std::nullopt;
}

QString DeviceOptionsUsage() {
    return QStringLiteral(
        "Device options:\n"
        "  --tcp HOST:PORT        the device over TCP (RTU frames, no MBAP header)\n"
        "  --serial DEVICE        the device on a serial port, e.g. /dev/ttyUSB0\n"
        "  --usb                  the device on the USB-serial cable (CP210x), found by itself\n"
        "  (none of the three)    the stored communication settings (see the settings command)\n"
        "  --baud B               9600 (default), 4800, 2400 or 1200\n"
        "  --parity N|E|O         parity (default N)\n"
        "  --stop 1|2             stop bits (default 1)\n"
        "  --id N                 Modbus ID 1..247 (default 1)\n"
        "  --password NNNN        the device's program password, when it has one\n"
        "  --yes                  answer Yes to every question\n");
}

TerminalPrompter::TerminalPrompter(const DeviceOptions& options, QTextStream& out, QTextStream& err)
    : options_(options), out_(out), err_(err) {}

Reply TerminalPrompter::show(const Message& message) {
    const bool question =
        std::find(message.buttons.begin(), message.buttons.end(), Reply::Yes) != message.buttons.end();
    out_.flush();  // status lines already printed come before the message
    err_ << kProductTitle << ": " << message.text;
    if (!message.details.isEmpty()) {
        err_ << "\n  " << message.details;
    }
    if (!question) {
        err_ << '\n';
        err_.flush();
        return message.buttons.empty() ? Reply::Ok : message.buttons.front();
    }
    if (options_.yes) {
        err_ << " [yes]\n";
        err_.flush();
        return Reply::Yes;
    }
    const bool cancellable =
        std::find(message.buttons.begin(), message.buttons.end(), Reply::Cancel) != message.buttons.end();
    err_ << (cancellable ? " [y/n/c] " : " [y/n] ");
    err_.flush();
    const QString answer = readAnswer().trimmed().toLower();
    if (answer == QLatin1String("y") || answer == QLatin1String("yes")) {
        return Reply::Yes;
    }
    if (answer == QLatin1String("n") || answer == QLatin1String("no")) {
        return Reply::No;
    }
    return message.buttons.back();  // no answer: the cautious choice
}

QString TerminalPrompter::chooseOpenFile(const FileChoice&) {
    return {};
}

QString TerminalPrompter::chooseSaveFile(const FileChoice&) {
    return {};
}

std::optional<QString> TerminalPrompter::askPassword(const QString& prompt) {
    if (!options_.password.isEmpty()) {
        return options_.password;
    }
    err_ << kProductTitle << ": " << prompt << ' ';
    err_.flush();
    const QString answer = readAnswer();
    if (answer.isNull()) {
        err_ << '\n';
        return std::nullopt;
    }
    return answer.trimmed();
}

AppSettings ReadStoredSettings(QTextStream& err) {
    static bool noted = false;
    std::vector<SettingsNote> notes;
    AppSettings settings = ReadSettings(SettingsFilePath(), noted ? nullptr : &notes);
    for (const SettingsNote& note : notes) {
        err << kProductTitle << ": " << SettingsNoteText(note) << '\n';
    }
    noted = true;
    return settings;
}

void ApplyDeviceOptions(const DeviceOptions& options, CommState& state) {
    using Link = DeviceOptions::Link;
    switch (options.link) {
        case Link::Stored:
            break;
        case Link::Tcp:
            state.CommPort = kCommPortEthernet;
            state.TcpHost = options.host;
            state.TcpPort = static_cast<std::uint16_t>(options.port);
            break;
        case Link::Serial:
            state.CommPort = EncodeCommPort(CommKind::Serial, PortNumberOfPath(options.serialDevice));
            state.SerialPortPath = options.serialDevice;
            break;
        case Link::Usb:
            state.CommPort = kCommPortUsbFlag;
            state.SerialPortPath.clear();
            break;
    }
    state.IsEthernet = state.CommPort == kCommPortEthernet;
    if (options.baud) {
        state.BaudRateText = *options.baud;
    }
    if (options.parity) {
        state.ParityText = parityText(*options.parity);
    }
    if (options.stopBits) {
        state.StopBitText = *options.stopBits;
    }
    if (options.id) {
        state.ModbusID = static_cast<std::uint8_t>(*options.id);
    }
}

std::function<void()> DeviceLink::settingsSaver(QTextStream& note) {
    return [this, &note] {
        note << "The device answered at Modbus ID " << state().ModbusID << '\n';
        if (!stored) {
            return;
        }
        AppSettings settings = ReadSettings(SettingsFilePath());
        QString error;
        if (!SaveCommSettings(state(), settings, SettingsFilePath(), &error)) {
            comm.prompter().warn(QStringLiteral("The settings could not be saved: ") + error);
        }
    };
}

std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceOptions& options, Prompter& prompter,
                                           QTextStream& err) {
    auto link = std::make_unique<DeviceLink>(prompter);
    link->stored = options.link == DeviceOptions::Link::Stored;
    CommState& state = link->state();
    if (link->stored) {
        LoadCommSettings(ReadStoredSettings(err), state);
    }
    ApplyDeviceOptions(options, state);
    if (CommKindOf(state.CommPort) == CommKind::NotConfigured) {
        err << "No communication settings are stored: give --tcp, --serial or --usb, or store them "
               "with the settings command.\n";
        return nullptr;
    }
    if (state.IsEthernet) {
        if (!link->comm.connectEthernet(kConnectTimeoutMs)) {
            err << "Cannot connect to " << state.TcpHost << ':' << state.TcpPort << '\n';
            return nullptr;
        }
    } else if (!DeviceSteps(link->session()).CheckCommPort()) {
        return nullptr;
    }
    return link;
}

}  // namespace bdx::cli

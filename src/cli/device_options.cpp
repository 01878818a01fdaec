#include "device_options.h"

#include <QTextStream>
#include <algorithm>
#include <cstdio>

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
    bool haveTcp = false;
    bool haveSerial = false;
    for (qsizetype i = 0; i < args.size();) {
        const QString option = args.at(i);
        if (option == QLatin1String("--yes")) {
            options.yes = true;
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
            options.tcp = true;
            haveTcp = true;
        } else if (option == QLatin1String("--serial")) {
            options.serialDevice = *value;
            options.tcp = false;
            haveSerial = true;
        } else if (option == QLatin1String("--baud")) {
            if (!QStringList({"9600", "4800", "2400", "1200"}).contains(*value)) {
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
            if (*value != QLatin1String("1") && *value != QLatin1String("2")) {
                return QStringLiteral("--stop takes 1 or 2, not ") + *value;
            }
            options.stopBits = *value;
        } else if (option == QLatin1String("--id")) {
            const std::optional<int> id = numberIn(*value, 1, 247);
            if (!id) {
                return QStringLiteral("Modbus ID should be within 1 to 247");
            }
            options.id = *id;
        } else {
            const bool digits = value->size() == 4 && std::all_of(value->begin(), value->end(),
                                                                  [](QChar c) { return c.isDigit(); });
            if (!digits) {
                return QStringLiteral("--password takes four digits");
            }
            options.password = *value;
        }
    }
    if (haveTcp && haveSerial) {
        return QStringLiteral("give either --tcp or --serial, not both");
    }
    if (!haveTcp && !haveSerial) {
        return QStringLiteral("the device is missing: give --tcp HOST:PORT or --serial DEVICE");
    }
    return std::nullopt;
}

QString DeviceOptionsUsage() {
    return QStringLiteral(
        "Device options:\n"
        "  --tcp HOST:PORT        the device over TCP (RTU frames, no MBAP header)\n"
        "  --serial DEVICE        the device on a serial port, e.g. /dev/ttyUSB0\n"
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

std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceOptions& options, Prompter& prompter,
                                           QTextStream& err) {
    auto link = std::make_unique<DeviceLink>();
    CommState& state = link->state;
    state.ModbusID = static_cast<std::uint8_t>(options.id);
    state.IsEthernet = options.tcp;
    if (options.tcp) {
        state.CommPort = 1000;
        state.TcpHost = options.host;
        state.TcpPort = static_cast<std::uint16_t>(options.port);
        auto tcp = std::make_unique<TcpTransport>(state, prompter);
        if (!tcp->connectToDevice(kConnectTimeoutMs)) {
            err << "Cannot connect to " << options.host << ':' << options.port << '\n';
            return nullptr;
        }
        link->transport = std::move(tcp);
    } else {
        state.CommPort = 1;
        state.SerialPortPath = options.serialDevice;
        state.BaudRateText = options.baud;
        state.ParityText = parityText(options.parity);
        state.StopBitText = options.stopBits;
        link->transport = std::make_unique<SerialTransport>(state);
    }
    link->session = std::make_unique<ModbusSession>(state, *link->transport, prompter);
    return link;
}

}  // namespace bdx::cli

#include "comm_settings.h"

#include <QRegularExpression>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#include "comm/comm_texts.h"
#include "comm/modbus_requests.h"
#include "comm/port_access.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

enum TextId {
    DeviceDataRead = 4306,
    DataWritten = 4298,
    PortNotAvailable = 4223,
    SelectPort = 4289,
    MultipleCables = 333,
    RemoveCables = 332,
    UsbCableNotConnected = 8146,
    UsbPortUnavailable = 8147,
    CheckDetailsTryAgain = 8148,
};

constexpr std::uint16_t kSiliconLabsVendor = 0x10C4;
// CP2101..CP2105 and CP2108 bridges.
constexpr std::array<std::uint16_t, 5> kCp210xProducts = {0xEA60, 0xEA61, 0xEA70, 0xEA71, 0xEA80};

std::optional<int> numberIn(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 6) {
        return std::nullopt;
    }
    for (const QChar c : t) {
        if (!c.isDigit() || c.unicode() > 127) {
            return std::nullopt;
        }
    }
    return t.toInt();
}

bool inRange(const QString& text, int low, int high) {
    const std::optional<int> n = numberIn(text);
    return n && *n >= low && *n <= high;
}

QString modbusIdMessage() {
    return LoadText(CommText::ModbusIdRange);
}

// Ethernet chosen but no link: the parameter buttons say so instead of trying.
bool ethernetLinkMissing(ModbusSession& session, bool reading) {
    if (!session.transport().isEthernet() || session.transport().isOpen()) {
        return false;
    }
    session.prompter().warn(
        LoadText(reading ? CommText::EthernetConnectToRead : CommText::EthernetConnectToWrite) + u'\n' +
        LoadText(CommText::EthernetMayNotBeConnected) + u'\n' + LoadText(CommText::CheckIpAndPort));
    return true;
}

// The parameter exchange runs at the fixed line settings whatever the user chose; the override
// is lifted again when the exchange ends.
class FixedLineScope {
  public:
    explicit FixedLineScope(ModbusSession& session)
        : serial_(dynamic_cast<SerialTransport*>(&session.transport())) {
        if (serial_) {
            serial_->setLineSettingsOverride(QString::fromLatin1(kFixedLineSettings));
        }
    }
    ~FixedLineScope() {
        if (serial_) {
            serial_->setLineSettingsOverride({});
        }
    }
    FixedLineScope(const FixedLineScope&) = delete;
    FixedLineScope& operator=(const FixedLineScope&) = delete;

  private:
    SerialTransport* serial_;
};

// A serial port must be chosen and must open before the exchange.
bool serialPortReady(ModbusSession& session) {
    if (session.transport().isEthernet()) {
        return true;
    }
    if (session.state().SerialPortPath.isEmpty()) {
        session.prompter().warn(LoadText(SelectPort));
        return false;
    }
    if (!session.transport().openPort()) {
        session.prompter().warn(LoadText(PortNotAvailable));
        return false;
    }
    session.transport().closePort();
    return true;
}

}  // namespace

std::uint16_t EncodeCommPort(CommKind kind, int portNumber) {
    switch (kind) {
        case CommKind::Serial:
            return static_cast<std::uint16_t>(portNumber & 0x7FFF);
        case CommKind::UsbCable:
            return static_cast<std::uint16_t>(kCommPortUsbFlag | (portNumber & 0x7FFF));
        case CommKind::Ethernet:
            return kCommPortEthernet;
        case CommKind::NotConfigured:
            break;
    }
    return 0;
}

CommKind CommKindOf(std::uint16_t commPort) {
    if (commPort & kCommPortUsbFlag) {
        return CommKind::UsbCable;
    }
    if (commPort == kCommPortEthernet) {
        return CommKind::Ethernet;
    }
    return commPort == 0 ? CommKind::NotConfigured : CommKind::Serial;
}

int CommPortNumber(std::uint16_t commPort) {
    return commPort == kCommPortEthernet ? 0 : commPort & 0x7FFF;
}

QString LineSettingsFromIndexes(int baudIndex, int parityIndex, int stopBitIndex) {
    const auto pick = [](const QStringList& list, int index) {
        return list.at(index >= 0 && index < list.size() ? index : 0);
    };
    return pick(BaudRateTexts(), baudIndex) + u',' + pick(ParityTexts(), parityIndex).at(0) +
           QStringLiteral(",8,") + pick(StopBitTexts(), stopBitIndex);
}

namespace {

constexpr int kSettingsFileUsbCode = 128;

QString listEntry(const QStringList& list, const QString& text, int index) {
    if (!text.trimmed().isEmpty()) {
        return text.trimmed();
    }
    return list.at(index >= 0 && index < list.size() ? index : 0);
}

std::uint8_t indexIn(const QStringList& list, const QString& text) {
    const qsizetype i = list.indexOf(text.trimmed().toUpper());
    return static_cast<std::uint8_t>(i < 0 ? 0 : i);
}

}  // namespace

void LoadCommSettings(const AppSettings& settings, CommState& state) {
    state.ModbusID = settings.ModbusID;  // 254, the point-to-point address, is a valid setting
    state.CommPort = settings.CommPort == kSettingsFileUsbCode
                         ? kCommPortUsbFlag
                         : static_cast<std::uint16_t>(settings.CommPort);
    state.SerialPortPath = CommKindOf(state.CommPort) == CommKind::Serial ? settings.SerialDevice : QString();
    state.BaudRateText = listEntry(BaudRateTexts(), settings.BaudRateText, settings.BaudRateIndex);
    state.ParityText = listEntry(ParityTexts(), settings.ParityText, settings.ParityIndex);
    state.StopBitText = listEntry(StopBitTexts(), settings.StopBitText, settings.StopBitIndex);
    const QString ip = settings.IPAddress.trimmed();
    state.TcpHost = ip.isEmpty() ? QString::fromLatin1(kUnsetIpAddress) : ip;
    if (settings.EthernetPort >= 1 && settings.EthernetPort <= 65535) {
        state.TcpPort = static_cast<std::uint16_t>(settings.EthernetPort);
    }
}

void StoreCommSettings(const CommState& state, AppSettings& settings) {
    settings.ModbusID = state.ModbusID;
    settings.CommPort = state.CommPort;
    settings.SerialDevice = CommKindOf(state.CommPort) == CommKind::Serial ? state.SerialPortPath : QString();
    settings.BaudRateText = state.BaudRateText;
    settings.BaudRateIndex = indexIn(BaudRateTexts(), state.BaudRateText);
    settings.ParityText = state.ParityText;
    settings.ParityIndex = indexIn(ParityTexts(), state.ParityText);
    settings.StopBitText = state.StopBitText;
    settings.StopBitIndex = indexIn(StopBitTexts(), state.StopBitText);
    settings.IPAddress = state.TcpHost;
    settings.EthernetPort = state.TcpPort;
}

bool SaveCommSettings(const CommState& state, AppSettings& settings, const QString& path, QString* error) {
    StoreCommSettings(state, settings);
    return WriteSettings(path, settings, error);
}

std::optional<QString> CheckModbusId(const QString& text) {
    if (inRange(text, DeviceAddress::FirstId, DeviceAddress::LastId)) {
        return std::nullopt;
    }
    return modbusIdMessage();
}

QString EmptyEthernetFieldsMessage() {
    return LoadText(CommText::EnterIpAndPort);
}

std::optional<EthernetFieldError> CheckEthernetFields(const std::array<QString, 4>& ipParts,
                                                      const QString& port) {
    for (int i = 0; i < 4; ++i) {
        if (ipParts[static_cast<std::size_t>(i)].trimmed().isEmpty()) {
            return EthernetFieldError{static_cast<EthernetField>(i), EmptyEthernetFieldsMessage()};
        }
    }
    if (port.trimmed().isEmpty()) {
        return EthernetFieldError{EthernetField::Port, EmptyEthernetFieldsMessage()};
    }
    if (!inRange(ipParts[0], 1, 223)) {
        return EthernetFieldError{EthernetField::IpPart1, LoadText(CommText::IpFirstPartRange)};
    }
    for (int i = 1; i <= 2; ++i) {
        if (!inRange(ipParts[static_cast<std::size_t>(i)], 0, 255)) {
            return EthernetFieldError{static_cast<EthernetField>(i), LoadText(CommText::IpMiddlePartRange)};
        }
    }
    if (!inRange(ipParts[3], 1, 254)) {
        return EthernetFieldError{EthernetField::IpPart4, LoadText(CommText::IpLastPartRange)};
    }
    if (!inRange(port, 1, 65535)) {
        return EthernetFieldError{EthernetField::Port, LoadText(CommText::PortNumberRange)};
    }
    return std::nullopt;
}

std::vector<SerialPortEntry> SystemSerialPorts() {
    std::vector<SerialPortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SerialPortEntry entry;
        entry.path = info.systemLocation();
        entry.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        entry.vendorId = info.vendorIdentifier();
        entry.productId = info.productIdentifier();
        entry.serialNumber = info.serialNumber();
        ports.push_back(entry);
    }
    return ports;
}

bool SerialPortOpens(const QString& path) {
    QSerialPort port;
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite)) {
        return false;
    }
    port.close();
    return true;
}

bool IsUsbCable(const SerialPortEntry& port) {
    if (!port.hasIds || port.vendorId != kSiliconLabsVendor) {
        return false;
    }
    return std::find(kCp210xProducts.begin(), kCp210xProducts.end(), port.productId) != kCp210xProducts.end();
}

int PortNumberOfPath(const QString& path) {
    static const QRegularExpression trailing(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch match = trailing.match(path);
    if (!match.hasMatch()) {
        return 1;
    }
    bool ok = false;
    const int n = match.captured(1).toInt(&ok);
    return ok && n >= 0 && n < 0x7FFF ? n + 1 : 1;
}

UsbPortResult LocateUsbPort(CommState& state, const SerialPortLister& lister, const SerialPortProbe& probe) {
    const std::vector<SerialPortEntry> ports = lister ? lister() : SystemSerialPorts();
    std::vector<SerialPortEntry> cables;
    for (const SerialPortEntry& port : ports) {
        if (IsUsbCable(port)) {
            cables.push_back(port);
        }
    }
    if (cables.empty()) {
        return UsbPortResult::NoCable;
    }
    if (cables.size() > 1) {
        return UsbPortResult::MultipleCables;
    }
    const SerialPortEntry& cable = cables.front();
    const bool opens = probe ? probe(cable.path) : SerialPortOpens(cable.path);
    if (cable.path.isEmpty() || !opens) {
        return UsbPortResult::Unavailable;
    }
    state.SerialPortPath = cable.path;
    state.CommPort = EncodeCommPort(CommKind::UsbCable, PortNumberOfPath(cable.path));
    return UsbPortResult::Found;
}

QString UsbPortMessage(UsbPortResult result) {
    switch (result) {
        case UsbPortResult::Found:
            break;
        case UsbPortResult::NoCable:
            return LoadText(UsbCableNotConnected);
        case UsbPortResult::MultipleCables:
            return LoadText(MultipleCables) + u'\n' + LoadText(RemoveCables);
        case UsbPortResult::Unavailable:
            return LoadText(UsbPortUnavailable) + u'\n' + LoadText(CheckDetailsTryAgain);
    }
    return QString();
}

UsbPortResult FindUsbPort(CommState& state, Prompter& prompter, const SerialPortLister& lister,
                          const SerialPortProbe& probe) {
    const UsbPortResult result = LocateUsbPort(state, lister, probe);
    if (result != UsbPortResult::Found) {
        QString message = UsbPortMessage(result);
        if (result == UsbPortResult::Unavailable) {
            // The cable is there but may not be opened: most often the user is not in its group.
            const std::vector<SerialPortEntry> ports = lister ? lister() : SystemSerialPorts();
            const auto cable = std::find_if(ports.begin(), ports.end(), IsUsbCable);
            if (cable != ports.end()) {
                const PortAccess access = CheckPortAccess(cable->path);
                if (access.state == PortAccessState::NoPermission) {
                    message += u'\n' + PortAccessMessage(access);
                }
            }
        }
        prompter.warn(message);
    }
    return result;
}

std::optional<DeviceCommParams> ReadDeviceCommParams(ModbusSession& session) {
    if (ethernetLinkMissing(session, true) || !serialPortReady(session)) {
        return std::nullopt;
    }
    FixedLineScope fixed(session);
    const auto values = ReadRegisters(session, FunctionCode::ReadHoldingRegisters, kCommParamRegister,
                                      kCommParamCount, DeviceAddress::Service);
    if (!values) {
        return std::nullopt;
    }
    const DeviceCommParams params{(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
    if (params.baudIndex > kCommParamRanges[1][1]) {
        session.prompter().warn(LoadText(CommText::InvalidBaudRate) + u'\n' +
                                LoadText(CommText::ConfigureBaudRate));
        return std::nullopt;
    }
    session.prompter().inform(LoadText(DeviceDataRead));
    return params;
}

bool WriteDeviceCommParams(ModbusSession& session, const DeviceCommParams& params) {
    if (params.modbusId < DeviceAddress::FirstId || params.modbusId > DeviceAddress::LastId) {
        session.prompter().warn(modbusIdMessage());
        return false;
    }
    if (ethernetLinkMissing(session, false) || !serialPortReady(session)) {
        return false;
    }
    FixedLineScope fixed(session);
    const std::vector<std::uint16_t> values = {
        static_cast<std::uint16_t>(params.modbusId), static_cast<std::uint16_t>(params.baudIndex),
        static_cast<std::uint16_t>(params.parityIndex), static_cast<std::uint16_t>(params.stopBitIndex)};
    if (!WriteRegisters(session, kCommParamRegister, values, DeviceAddress::Service)) {
        return false;
    }
    session.prompter().inform(LoadText(DataWritten));
    return true;
}

}  // namespace bdx

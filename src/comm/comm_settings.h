#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "comm/comm_state.h"
#include "shell/app_settings.h"

// The communication settings: how CommPort encodes the transport, the line-settings lists, the
// checks of the settings dialog, the USB cable's port, and the device's own communication
// parameters (registers 1000..1003 at the service address 1).
namespace bdx {

class ModbusSession;
class Prompter;

// --- CommPort -----------------------------------------------------------------------------

inline constexpr std::uint16_t kCommPortUsbFlag = 0x8000;  // the USB cable; low bits: its port
inline constexpr std::uint16_t kCommPortEthernet = 1000;

enum class CommKind { NotConfigured, Serial, UsbCable, Ethernet };

std::uint16_t EncodeCommPort(CommKind kind, int portNumber = 0);
CommKind CommKindOf(std::uint16_t commPort);
// The port number in the low 15 bits (0 for Ethernet).
int CommPortNumber(std::uint16_t commPort);

// --- The settings file -------------------------------------------------------------------

// The communication settings of the settings file into the shared state: address, transport,
// serial device, line settings (the stored texts, or the list entries of the stored indexes
// when a text is missing), IP address and port. "Port:= 128", the settings file's own code for
// the USB cable, counts as the cable. IsEthernet stays as it is: it follows the socket.
void LoadCommSettings(const AppSettings& settings, CommState& state);
// The state's communication settings back into the settings, indexes found from the texts.
void StoreCommSettings(const CommState& state, AppSettings& settings);
// StoreCommSettings, then the settings file rewritten atomically; false with the reason when
// it cannot be written.
bool SaveCommSettings(const CommState& state, AppSettings& settings, const QString& path,
                      QString* error = nullptr);
// The IP address that means "not configured yet".
inline constexpr const char* kUnsetIpAddress = "1.1.1.1";

// --- Line settings --------------------------------------------------------------------------

// The dialog's lists are those of the settings file: BaudRateTexts(), ParityTexts(),
// StopBitTexts() in shell/app_settings.h.
// "9600,N,8,1" from the three indexes; an index outside its list counts as the first entry.
QString LineSettingsFromIndexes(int baudIndex, int parityIndex, int stopBitIndex);

// --- Dialog checks ------------------------------------------------------------------------

// The message for a Modbus ID that is not a number 1..247; nothing when it is fine.
std::optional<QString> CheckModbusId(const QString& text);

// The box that gets the focus after a failed Ethernet check.
enum class EthernetField { IpPart1, IpPart2, IpPart3, IpPart4, Port };
struct EthernetFieldError {
    EthernetField field;
    QString message;
};
// The four parts of the IP address and the port number as typed. Empty boxes first, then the
// ranges part by part, then the port.
std::optional<EthernetFieldError> CheckEthernetFields(const std::array<QString, 4>& ipParts,
                                                      const QString& port);
QString EmptyEthernetFieldsMessage();

// --- The USB cable ------------------------------------------------------------------------

// A serial port as the system lists it.
struct SerialPortEntry {
    QString path;  // what the port is opened by, e.g. /dev/ttyUSB0
    bool hasIds = false;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    QString serialNumber;
};
using SerialPortLister = std::function<std::vector<SerialPortEntry>()>;
using SerialPortProbe = std::function<bool(const QString& path)>;  // true when it opens

// The ports of this machine (QSerialPortInfo), and a probe that opens and closes one.
std::vector<SerialPortEntry> SystemSerialPorts();
bool SerialPortOpens(const QString& path);

// A CP210x USB-serial adapter: Silicon Labs' vendor id and one of its bridge product ids.
bool IsUsbCable(const SerialPortEntry& port);

enum class UsbPortResult { Found, NoCable, MultipleCables, Unavailable };
// Finds the one attached USB cable. Found: its path goes to SerialPortPath and its number into
// the low bits of CommPort (bit 15 stays set); otherwise `state` is left as it was.
UsbPortResult LocateUsbPort(CommState& state, const SerialPortLister& lister = {},
                            const SerialPortProbe& probe = {});
// What the user is told when the cable is not found; empty for Found.
QString UsbPortMessage(UsbPortResult result);
// The same search for a window: the message is shown as a warning.
UsbPortResult FindUsbPort(CommState& state, Prompter& prompter, const SerialPortLister& lister = {},
                          const SerialPortProbe& probe = {});
// The port number a device path stands for: its trailing number + 1 (ttyUSB0 is port 1), or 1.
int PortNumberOfPath(const QString& path);

// --- The device's own communication parameters --------------------------------------------

struct DeviceCommParams {
    int modbusId = 1;
    int baudIndex = 0;
    int parityIndex = 0;
    int stopBitIndex = 0;
    bool operator==(const DeviceCommParams&) const = default;
};

// Function 3 from register 1000 at address 1 with the fixed 9600,n,8,1 line settings. A baud
// index above 3 shows "Invalid Baud Rate." and gives nothing; success shows id 4306.
std::optional<DeviceCommParams> ReadDeviceCommParams(ModbusSession& session);
// Function 16 of the four values; the Modbus ID must be 1..247. Success shows id 4298.
bool WriteDeviceCommParams(ModbusSession& session, const DeviceCommParams& params);

}  // namespace bdx

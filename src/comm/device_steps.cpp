#include "comm/device_steps.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "comm/byte_reader.h"
#include "comm/device_image.h"
#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr int kTextInvalidPassword = 4256;
constexpr int kTextLeaveRun = 4279;
constexpr int kTextContinue = 4282;
constexpr int kTextFourDigitPassword = 4301;
constexpr int kTextPasswordPrompt = 8160;
constexpr int kTextSelectPort = 4289;

constexpr int kMaxPasswordTries = 3;

}  // namespace

bool IsFourDigitPassword(const QString& text) {
    return text.size() == 4 &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

std::optional<int> AskDevicePassword(Prompter& prompter) {
    for (int tries = 0; tries < kMaxPasswordTries; ++tries) {
        const std::optional<QString> answer = prompter.askPassword(LoadText(kTextPasswordPrompt));
        if (!answer) {
            return std::nullopt;
        }
        if (IsFourDigitPassword(*answer)) {
            return answer->toInt();
        }
        prompter.warn(LoadText(kTextFourDigitPassword));
    }
    return std::nullopt;
}

std::optional<RecordPassword> DeviceSteps::PasswordOfRecord(const QByteArray& record, bool bigEndian) {
    const ByteReader r(record);
    const std::optional<std::uint8_t> flags = r.u8(ConfigLayout::PasswordByte);
    if (!flags) {
        return std::nullopt;
    }
    RecordPassword password;
    password.number = *r.u16(ConfigLayout::Level1Password, OrderOf(bigEndian));
    password.active = (*flags & ConfigLayout::PasswordActive) != 0;
    return password;
}

// The request builders address ModbusID, so each candidate takes its place in turn.
bool DeviceSteps::CheckCommPort() {
    CommState& state = session_.state();
    session_.transport().clearLinkFailure();
    if (session_.transport().isEthernet()) {
        return true;
    }
    const auto usbCable = [&state] { return (state.CommPort & kCommPortUsbFlag) != 0; };
    if (!usbCable() && state.SerialPortPath.isEmpty()) {
        if (!showCommSettings) {
            session_.prompter().warn(LoadText(kTextSelectPort));
            return false;
        }
        showCommSettings();
    }
    if (usbCable()) {
        return FindUsbPort(state, session_.prompter(), portLister, portProbe) == UsbPortResult::Found;
    }
    if (state.SerialPortPath.isEmpty()) {
        return false;
    }
    // A port that does not exist, is no terminal or is held by another program is reported
    // here, naming it, rather than as a device that does not answer.
    Transport& port = session_.transport();
    if (!port.openPort()) {
        session_.prompter().warn(port.takeFailureMessage());
        return false;
    }
    port.closePort();
    return true;
}

bool DeviceSteps::ProbeDevice() {
    CommState& state = session_.state();
    const std::uint8_t configured = state.ModbusID;
    std::vector<std::uint8_t> addresses{configured};
    for (const std::uint8_t fallback : {DeviceAddress::PointToPoint, DeviceAddress::Service}) {
        if (fallback != configured) {
            addresses.push_back(fallback);
        }
    }
    const bool searching = state.IdSearchActive;
    const std::uint8_t searchCount = state.IdSearchCount;
    state.QuietComm = true;
    bool found = false;
    std::uint8_t lastTried = configured;
    for (std::size_t i = 0; i < addresses.size() && !found && !state.StopRequested; ++i) {
        lastTried = addresses[i];
        state.ModbusID = addresses[i];
        state.MatchedReply = false;
        // Only the last address's failure brings up the communication-error report.
        state.IdSearchCount = i + 1 == addresses.size() ? 2 : 0;
        found = ReadDeviceTime(session_).has_value();
        if (state.CommFailed && !found) {
            break;  // a reply from someone else: already reported
        }
    }
    state.IdSearchCount = searchCount;
    state.QuietComm = false;
    state.MatchedReply = false;
    if (!found && !searching && state.ModbusID != lastTried) {
        // The communication-error report's address search found the device elsewhere and
        // saved that address: the next attempt uses it.
        return false;
    }
    if (!found || searching) {
        state.ModbusID = configured;
        return found;
    }
    if (state.ModbusID != configured && settingsChanged) {
        settingsChanged();
    }
    return true;
}

bool DeviceSteps::ConfirmLeaveRun() {
    return session_.prompter().askYesNo(LoadText(kTextLeaveRun) + u'\n' + LoadText(kTextContinue));
}

bool DeviceSteps::CheckDevicePassword() {
    const std::optional<int> code = ReadDeviceIdentity(session_);
    if (!code) {
        return false;
    }
    const std::optional<QByteArray> record = ReadConfigRecord(session_, ConfigRecordSize(*code));
    if (!record) {
        return false;
    }
    const std::optional<RecordPassword> password = PasswordOfRecord(*record, bigEndian);
    if (!password || !password->active) {
        return true;
    }
    const std::optional<int> typed = AskDevicePassword(session_.prompter());
    if (!typed) {
        return false;
    }
    if (*typed != password->number) {
        session_.prompter().warn(LoadText(kTextInvalidPassword));
        return false;
    }
    return true;
}

bool DeviceSteps::StopDevice() {
    if (setStopControlsEnabled) {
        setStopControlsEnabled(false);
    }
    PauseWithEvents(stopDelayMs);
    const bool stopped = WriteDeviceSetting(session_, DeviceMode::Stop);
    if (setStopControlsEnabled) {
        setStopControlsEnabled(true);
    }
    return stopped;
}

bool DeviceSteps::RunDevice() {
    return WriteDeviceSetting(session_, DeviceMode::Run);
}

}  // namespace bdx

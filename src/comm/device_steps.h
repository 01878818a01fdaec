#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "comm/comm_settings.h"

// The device steps that the program transfer and the device dialogs share: finding the
// device, the consent to leave run mode, the program password, and run / stop.
namespace bdx {

class ModbusSession;
class Prompter;

// frmPasswordCheck: asks for the device password until the answer is exactly four digits
// ("Enter 4 Digit password." otherwise). Nothing when the user cancels, or gives up after a few
// malformed answers (a scripted or terminal prompter would otherwise be asked forever).
std::optional<int> AskDevicePassword(Prompter& prompter);
// Exactly four decimal digits.
bool IsFourDigitPassword(const QString& text);

// The device's program password as the configuration record holds it (bytes 0-1 in the
// device's byte order) and whether it is active (byte 2 bit 1).
struct RecordPassword {
    bool active = false;
    int number = 0;
};

// Each step returns true on success; otherwise its message has been shown. Everything the
// user sees goes through the session's Prompter.
class DeviceSteps {
  public:
    explicit DeviceSteps(ModbusSession& session) : session_(session) {}

    // ModbusID moved to the address that answered the probe: save the settings.
    std::function<void()> settingsChanged;
    // No serial port chosen: show the communication settings modally.
    std::function<void()> showCommSettings;
    // The system's serial ports and the open test, for the USB cable search; empty: the system's.
    SerialPortLister portLister;
    SerialPortProbe portProbe;
    // The main window's stop controls, off while the device is being stopped.
    std::function<void(bool enabled)> setStopControlsEnabled;
    // Byte order of the words in the configuration record.
    bool bigEndian = true;
    // The pause before the stop command (the device needs it after the previous exchange).
    int stopDelayMs = 400;

    // Before any exchange on the serial transport: the USB cable's port is looked up; without
    // a port the communication settings are shown, and the step fails if still none is chosen
    // (with "Select the Port to which device is connected." when no settings could be shown).
    bool CheckCommPort();
    // Function 100 area 6 to ModbusID, then 254, then 1, quietly; a device found at 254 or 1
    // keeps that address unless an ID search runs.
    bool ProbeDevice();
    bool ConfirmLeaveRun();
    // Asks for the program password when the device has one; "Invalid password. " on a
    // mismatch.
    bool CheckDevicePassword();
    bool StopDevice();
    bool RunDevice();

    // Nothing for a record shorter than three bytes.
    static std::optional<RecordPassword> PasswordOfRecord(const QByteArray& record, bool bigEndian);

  private:
    ModbusSession& session_;
};

}  // namespace bdx

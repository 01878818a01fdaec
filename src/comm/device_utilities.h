#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "comm/device_steps.h"
#include "shell/prompter.h"

// The small device dialogs without their windows: device clock and daylight-saving rule, run /
// stop, backlight mode, the device passwords and the reset-menu password, the password prompt
// and the Modbus address search of the communication-error dialog. Everything the user sees
// goes through the session's Prompter.
namespace bdx {

class ModbusSession;
class Prompter;

// The progress bar of the address search (prgScan).
class ScanProgress {
  public:
    virtual ~ScanProgress() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setValue(int value) = 0;
};

// The daylight-saving block: registers 390..402, one value per register. Weeks, weekdays and
// months are list indexes ("First".."Last", "Sunday".."Saturday", "January".."December").
struct DstRule {
    bool enabled = false;
    int startWeek = 0, startWeekday = 0, startMonth = 0, startHour = 0, startMinute = 0;
    int endWeek = 0, endWeekday = 0, endMonth = 0, endHour = 0, endMinute = 0;
    int offsetHours = 0, offsetMinutes = 0;

    std::vector<std::uint16_t> registers() const;
    // Nothing unless exactly 13 values.
    static std::optional<DstRule> fromRegisters(const std::vector<std::uint16_t>& values);
    bool operator==(const DstRule&) const = default;
};
// The message of the rule's first fault; none when it may be written.
Refusal DstRuleFault(const DstRule& rule);

enum class BacklightMode : std::uint8_t { Auto = 0, On = 1, Off = 2 };
// Which password the device's own Reset menu function asks for.
enum class ResetPassword { None, Level1, Level2 };

struct DeviceClock {
    QDate date;
    QTime time;
};

enum class IdSearchResult { Found, NotFound, Cancelled };

// The text of the communication-error dialog for a transport.
QString CommunicationErrorText(bool ethernet);

class DeviceUtilities {
    // First member: the public settings below are its own.
    DeviceSteps steps_;

  public:
    explicit DeviceUtilities(ModbusSession& session);
    DeviceUtilities(const DeviceUtilities&) = delete;
    DeviceUtilities& operator=(const DeviceUtilities&) = delete;

    // --- Hooks of the application ---------------------------------------------------------
    // No serial port chosen: show the communication settings modally (without it the port
    // check says "Select the Port to which device is connected.").
    std::function<void()>& showCommSettings = steps_.showCommSettings;
    // The system's serial ports and the open test, for the USB cable search.
    SerialPortLister& portLister = steps_.portLister;
    SerialPortProbe& portProbe = steps_.portProbe;
    // ModbusID was changed (device probe or address search): save the settings.
    std::function<void()>& saveSettings = steps_.settingsChanged;
    // The main window's "SimulationEnd" toolbar button and menu entry, off while stopping.
    std::function<void(bool enabled)>& setStopControlsEnabled = steps_.setStopControlsEnabled;
    // Byte order of the words in the configuration record (the BigEndian setting).
    bool& bigEndian = steps_.bigEndian;
    // The pause before the stop command; tests shrink it.
    int& stopDelayMs = steps_.stopDelayMs;

    // --- Clock dialog (frmClockSettings) ----------------------------------------------------
    std::optional<DeviceClock> ReadClock();
    // An invalid date or time gives "Set Proper Time." and nothing is sent.
    bool SetClock(const QDate& date, const QTime& time);
    bool SetClockToSystemTime();
    std::optional<DstRule> ReadDst();
    // Enabled: validates and writes the 13 registers; disabled: writes register 390 = 0 alone.
    // Then asks whether to keep the settings permanently; the answer is in `permanent`.
    bool SetDst(const DstRule& rule, bool* permanent = nullptr);

    // --- Device utilities (frmDeviceUtilities) ----------------------------------------------
    bool StartDevice();
    bool StopDeviceCommand();
    // Nothing chosen: "Please select one of the backlight option.".
    bool SetBacklightMode(std::optional<BacklightMode> mode);

    // --- Passwords (frmSetRstPasswordConf, frmDeviceUtilities_Other) -----------------------
    std::optional<ResetPassword> ReadResetPassword();
    bool SetResetPassword(ResetPassword choice);
    // Set or change the password of level 1 or 2 from the three boxes' texts. `oldText` is
    // checked only when the device holds a password of that level.
    bool SetPassword(int level, const QString& oldText, const QString& newText, const QString& confirmText);
    bool RemovePassword(int level, const QString& oldText);

    // --- Address search (frmCommunicationErrorMsg) --------------------------------------------
    // Tries IDs 1..247 once each; the first that answers becomes ModbusID and is saved.
    IdSearchResult ScanModbusId(ScanProgress* progress = nullptr);
    // btScanCancel: the search ends before the next address.
    void CancelIdSearch();

    // --- Steps shared by the dialogs ----------------------------------------------------------
    bool ProbeDevice() { return steps_.ProbeDevice(); }
    bool ConfirmLeaveRun() { return steps_.ConfirmLeaveRun(); }
    bool StopDevice() { return steps_.StopDevice(); }
    bool RunDevice() { return steps_.RunDevice(); }
    bool CheckDevicePassword() { return steps_.CheckDevicePassword(); }
    // Area 1: firmware text in bytes 0..8, main and minor version in 11 and 12.
    std::optional<QByteArray> ReadDeviceInformation();

  private:
    bool connect();  // port check and probe
    bool prepareChange(bool askLeaveRun, bool checkPassword);
    bool clockUsesRegisters(const QByteArray& info) const;
    std::optional<QByteArray> readRecord(int* modelCode = nullptr);
    std::optional<int> storedPassword(int level);
    int recordWord(const QByteArray& record, int offset) const;
    // Area 10: operation, level, old, new; the device's status byte or nothing.
    std::optional<int> passwordItem(int operation, int level, int oldValue, int newValue);
    bool probeAt(std::uint8_t address);

    ModbusSession& session_;
};

}  // namespace bdx

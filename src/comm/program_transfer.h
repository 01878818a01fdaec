#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "comm/comm_settings.h"
#include "comm/device_steps.h"
#include "comm/modbus_transaction.h"
#include "ladder/program.h"

// Writing the program into the device and reading the device's program back: the chain of
// checks before any program data moves, the three areas of the image, and the result messages.
namespace bdx {

class Prompter;

// Where the transfer shows how far it got: the dialog's progress bar and status text.
class TransferProgress {
  public:
    virtual ~TransferProgress() = default;
    virtual void setRange(int minimum, int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void setStatus(const QString& text) = 0;
};

// Progress units of a whole transfer: program code, block data, and the configuration record
// counted as one packet.
inline constexpr int kTransferProgressMax = kProgramCodeSize + kBlockDataSize + kPacketSize;

// What the transfer asks of its owner; every hook may be left empty.
struct TransferHooks {
    // The probe moved ModbusID to the address that answered: save the settings.
    std::function<void()> settingsChanged;
    // The user chose to save the unsaved program before a read; false when it was not saved.
    std::function<bool()> saveChanges;
    // The program was reset or filled from the device: refresh the editor, clear the undo history.
    std::function<void()> programReplaced;
    // ModelIndex was taken from the device: update the model display.
    std::function<void()> modelChanged;
    // No serial port configured: show the communication settings modally.
    std::function<void()> showCommSettings;
    // The run/stop controls of the main window, off while the device is being stopped.
    std::function<void(bool enabled)> setRunControlsEnabled;
};

// One transfer dialog's worth of work over an open session. The program is the editor's own:
// a read replaces it in place.
class ProgramTransfer {
  public:
    ProgramTransfer(ModbusSession& session, Program& program, Prompter& prompter,
                    TransferProgress* progress = nullptr);

    void setHooks(TransferHooks hooks);
    // Byte order of the device image and configuration record.
    void setBigEndian(bool bigEndian) { steps_.bigEndian = bigEndian; }
    // The system's serial ports and the open test, for the USB cable search.
    void setPortLister(SerialPortLister lister, SerialPortProbe probe) {
        steps_.portLister = std::move(lister);
        steps_.portProbe = std::move(probe);
    }
    // The pause before the stop command (the device needs it after the previous exchange).
    void setStopDelayMs(int ms) { steps_.stopDelayMs = ms; }

    // Writes the program into the device; true when the program is in the device.
    bool pc_to_leg_Click();
    // Reads the device's program into the editor's program.
    bool leg_to_pc_Click();
    // Stops a running transfer at its next packet.
    void cmd_stop_Click();

    // --- The steps, each true on success (its message already shown otherwise) ---
    bool CheckProgramErrors();
    // The device image of the program; a word the device has no code for stops the write here.
    bool BuildProgramImage();
    bool ConfirmLeaveRun() { return steps_.ConfirmLeaveRun(); }
    bool CheckCommPort() { return steps_.CheckCommPort(); }
    bool ProbeDevice() { return steps_.ProbeDevice(); }
    bool CheckDevicePassword() { return steps_.CheckDevicePassword(); }
    bool StopDevice() { return steps_.StopDevice(); }
    bool RunDevice() { return steps_.RunDevice(); }
    // Write: the device must hold the program's model. Read: the program takes the device's.
    bool CheckDeviceModel(bool adopt);
    // 0 accepted, 1 firmware not supported, 2 no communication, 3 already reported.
    int CheckFirmware();

    // The model code of the last identity read; -1 before.
    int DeviceModelCode() const { return deviceModelCode_; }

  private:
    void status(const QString& text);
    void progressValue(int value);
    void finish();
    bool writeChain();
    bool readAreas();

    ModbusSession& session_;
    CommState& state_;
    Program& program_;
    Prompter& prompter_;
    TransferProgress* progress_;
    TransferHooks hooks_;
    DeviceSteps steps_;
    int deviceModelCode_ = -1;
    QByteArray configRecord_;
    QByteArray image_;
};

}  // namespace bdx

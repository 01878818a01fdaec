#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "check/rule_checker.h"
#include "comm/device_protocol.h"
#include "ladder/program.h"

// Simulation with the device: the program runs on the PC, scan by scan, with the device as its
// remote inputs and outputs.
namespace bdx {

class ModbusSession;
class PcSimulation;
class Prompter;
class ScanEngine;

// --- The mappings between device frames and the signal table: pure, no transport ------------

// Writes the five input bytes of a discrete-input read into the signal table (both entries of
// every I, J, K, L input and Z key) and into the engine's input image, which the input panel
// shows. Missing bytes read as 0.
void ApplyDeviceInputs(ScanEngine& engine, const QByteArray& inputs);

// The 16 coil bits for function 15: bit k of byte 0 = Q1..Q4, U1..U4, of byte 1 = V1..V4,
// W1..W4. The bits of an extension module the program does not have are always 0.
std::uint16_t DeviceOutputBits(const ScanEngine& engine, const Program& program);

// The register (0..7) of the first analog value outside the input's range, or nothing when
// all are inside.
std::optional<int> FirstAnalogOutOfRange(const std::vector<std::uint16_t>& registers);
// "Incorrect ADC values received from ..." for the module of that register.
QString AnalogRangeMessage(int registerIndex);

// The warning for an extension module the program uses but the device's configuration byte 4
// lacks; when several apply the last one (C before B before A) is the one shown. Empty when
// none applies.
QString ExtensionModuleWarning(const Program& program, std::uint8_t deviceModules);

// --- The cycle --------------------------------------------------------------------------------

enum class MonitoringEnd {
    NotStarted,    // a start step failed or the program was refused; the device stopped
    Stopped,       // the user ended it (MonitoringActive cleared)
    CommFailure,   // a transaction failed and reported itself
    DeviceError,   // the device reported an error
    AnalogRange,   // an analog value outside its input's range
    ProgramEnded,  // the scan ended the run
};

// Runs one online-monitoring session on a session that is ready to talk (TCP connected, serial
// path set). The GUI holds one for the main window and ends it by clearing MonitoringActive;
// tests and the command-line tool drive it through the hooks. Every message goes through the
// prompter the session was made with.
class OnlineMonitoring {
  public:
    OnlineMonitoring(ModbusSession& session, PcSimulation& simulation);
    OnlineMonitoring(const OnlineMonitoring&) = delete;
    OnlineMonitoring& operator=(const OnlineMonitoring&) = delete;

    // The whole command: checks, then the loop until it ends, then the device stopped. The
    // program must outlive the call.
    MonitoringEnd StartOnlineMonitoring(Program& program, const std::vector<ErrorRow>& errorList);
    // The checks before the loop, for a caller that runs the passes from its own event loop:
    // true when the passes may start (onlineStarted has run). False when a check failed: the
    // device has been stopped and end() says why. After the last Pass() the caller runs
    // StopOnlineMonitoring().
    bool BeginOnlineMonitoring(Program& program, const std::vector<ErrorRow>& errorList);
    // The "SimulationEnd" command: the running pass completes and the loop ends.
    void requestStop() { MonitoringActive = false; }

    // Start steps. Each reports its own failure (the transaction's message).
    bool CheckExtensionModules(const Program& program);
    bool PrepareProgram(Program& program, const std::vector<ErrorRow>& errorList);
    bool EnterPcControl();
    // The main version (reply byte 17); the whole version text is firmwareVersionText().
    std::optional<int> ReadFirmwareVersion();
    // True when the device reports an error; nothing when the read failed.
    std::optional<bool> ReadDeviceError();
    bool ReadInputs();
    bool ReadAnalog();
    bool WriteOutputs();
    // One pass of the loop; false when the loop must end (end() then says why).
    bool Pass();
    // Leaves the device stopped. After a communication failure it tries once, quietly: the user
    // has been told already and a dead link must not cost another round of messages.
    void StopOnlineMonitoring();

    // Called after every completed pass: the GUI refreshes its displays here, the command-line
    // tool prints changes. May call requestStop().
    std::function<void()> afterPass;
    // Called once the loop is about to start (OnlineMode set): the editor switches to live
    // states, the text display is prepared on models that have one.
    std::function<void()> onlineStarted;

    // True while the cycle runs; clearing it ends the loop at its next pass.
    bool MonitoringActive = false;
    // True from the opening of the port until the cycle ends.
    bool OnlineMode = false;

    // Delay before the stop command, as the transfer's device stop has it; tests shrink it.
    int stopDelayMs = 400;

    MonitoringEnd end() const { return end_; }
    bool deviceErrorPolling() const { return errorPolling_; }
    const QString& firmwareVersionText() const { return firmwareVersion_; }
    // What the last pass read and wrote.
    const QByteArray& lastInputs() const { return inputs_; }
    std::uint16_t lastOutputs() const { return outputs_; }
    const std::array<std::int16_t, kAnalogRegisterCount>& lastAnalog() const { return analog_; }
    int passes() const { return passes_; }

  private:
    bool commFailed() const;
    void reportLinkFailure();

    ModbusSession& session_;
    PcSimulation& simulation_;
    Program* program_ = nullptr;
    bool analogModel_ = false;
    bool errorPolling_ = false;
    QString firmwareVersion_;
    QByteArray inputs_;
    std::uint16_t outputs_ = 0;
    std::array<std::int16_t, kAnalogRegisterCount> analog_{};
    int passes_ = 0;
    MonitoringEnd end_ = MonitoringEnd::NotStarted;
};

}  // namespace bdx

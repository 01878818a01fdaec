#include "online_monitoring.h"

#include <QCoreApplication>
#include <algorithm>

#include "blocks/device_model.h"
#include "check/compiled_network.h"
#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "comm/modbus_requests.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "sim/analog_evaluation.h"
#include "sim/pc_simulation.h"
#include "sim/scan_engine.h"

namespace bdx {

namespace {

constexpr int kTextDeviceError = 327;
constexpr int kTextAnalogBase = 4252;  // then extension A, B, C

// Signal table layout of the device's inputs and outputs.
constexpr int kInputOpenBase = 0;  // I1 = 0, J1 = 16, K1 = 32, L1 = 48
constexpr int kInputClosedOffset = 8;
constexpr int kInputModuleStride = 16;
constexpr int kKeyOpenBase = 64;  // Z1..Z4, their inverse from 68
constexpr int kKeyClosedBase = 68;
constexpr int kKeys = 4;
constexpr int kOutputOpenBase = 176;  // Q1 = 176, U1 = 184, V1 = 192, W1 = 200
constexpr int kOutputModuleStride = 8;
constexpr int kOutputsPerModule = 4;

// The version bytes of the device-information reply: 0, main, minor, 0.
constexpr int kVersionFirstByte = PacketByte::Data + InfoByte::MainVersion - 1, kVersionBytes = 4;

// Swallows what a quiet stop attempt would otherwise show a second time.
class SilentPrompter : public Prompter {
  public:
    Reply show(const Message& message) override { return message.buttons.back(); }
    QString chooseOpenFile(const FileChoice&) override { return {}; }
    QString chooseSaveFile(const FileChoice&) override { return {}; }
    std::optional<QString> askPassword(const QString&) override { return std::nullopt; }
};

}  // namespace

void ApplyDeviceInputs(ScanEngine& engine, const QByteArray& inputs) {
    const ByteReader reader(inputs);
    const auto byteOf = [&](int i) { return reader.u8(i).value_or(0); };
    for (int module = 0; module < kInputModules; ++module) {
        const std::uint8_t bits = byteOf(module);
        for (int k = 0; k < kInputsPerModule; ++k) {
            const bool on = (bits >> k) & 1;
            const int open = kInputOpenBase + module * kInputModuleStride + k;
            engine.setSignalPair(static_cast<std::uint16_t>(open),
                                 static_cast<std::uint16_t>(open + kInputClosedOffset), on);
            // The input panel shows the device's inputs.
            engine.setInput("IJKL"[module], k + 1, on);
        }
    }
    const std::uint8_t keys = byteOf(kInputModules);
    for (int k = 0; k < kKeys; ++k) {
        engine.setSignalPair(static_cast<std::uint16_t>(kKeyOpenBase + k),
                             static_cast<std::uint16_t>(kKeyClosedBase + k), (keys >> k) & 1);
    }
}

std::uint16_t DeviceOutputBits(const ScanEngine& engine, const Program& program) {
    std::uint16_t bits = 0;
    for (int module = 0; module <= kExtensionModules; ++module) {
        if (module > 0 && program.ExtensionModules[module - 1] == 0) {
            continue;  // an absent module's outputs are never driven
        }
        for (int k = 0; k < kOutputsPerModule; ++k) {
            if (engine.signal(kOutputOpenBase + module * kOutputModuleStride + k)) {
                bits |= static_cast<std::uint16_t>(1u << (module * kOutputsPerModule + k));
            }
        }
    }
    return bits;
}

std::optional<int> FirstAnalogOutOfRange(const std::vector<std::uint16_t>& registers) {
    for (std::size_t i = 0; i < registers.size(); ++i) {
        const int value = static_cast<std::int16_t>(registers[i]);
        if (value < 0 || value > kAnalogSliderMaximum) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

QString AnalogRangeMessage(int registerIndex) {
    return LoadText(kTextAnalogBase + std::clamp(registerIndex, 0, kAnalogRegisterCount - 1) / 2);
}

QString ExtensionModuleWarning(const Program& program, std::uint8_t deviceModules) {
    QString warning;
    for (int module = 0; module < kExtensionModules; ++module) {
        if (program.ExtensionModules[module] != 0 && ((deviceModules >> module) & 1) == 0) {
            warning = LoadText(CommText::ExtensionNotInDevice).arg(QChar(u'A' + module));
        }
    }
    return warning;
}

OnlineMonitoring::OnlineMonitoring(ModbusSession& session, PcSimulation& simulation)
    : session_(session), simulation_(simulation) {}

bool OnlineMonitoring::commFailed() const {
    return session_.state().CommFailed;
}

// A request that never reached the transaction (the serial port would not open) has told the
// user nothing yet.
void OnlineMonitoring::reportLinkFailure() {
    const CommState& state = session_.state();
    if (state.CommFailed || state.CommCancelled) {
        return;
    }
    session_.state().CommFailed = true;
    session_.prompter().warn(session_.transport().isEthernet() ? EthernetNoReplyMessage()
                                                               : SerialNoReplyMessage());
}

bool OnlineMonitoring::CheckExtensionModules(const Program& program) {
    QByteArray record;
    if (ReadDeviceArea(session_, Area::ConfigRecord, record) <= ConfigLayout::FlagsByte) {
        reportLinkFailure();
        return false;
    }
    const QString warning = ExtensionModuleWarning(program, *ByteReader(record).u8(ConfigLayout::FlagsByte));
    if (!warning.isEmpty()) {
        session_.prompter().warn(warning);
    }
    return true;
}

bool OnlineMonitoring::PrepareProgram(Program& program, const std::vector<ErrorRow>& errorList) {
    if (!simulation_.PrepareSimulation(program, errorList)) {
        return false;
    }
    program_ = &program;
    analogModel_ = HasAnalog(program.ModelIndex);
    return true;
}

bool OnlineMonitoring::EnterPcControl() {
    if (!SendDeviceCommand(session_, Area::Command)) {
        reportLinkFailure();
        return false;
    }
    return true;
}

std::optional<int> OnlineMonitoring::ReadFirmwareVersion() {
    const std::optional<QByteArray> reply = QueryDeviceArea(session_, Area::DeviceInfo);
    if (!reply) {
        reportLinkFailure();
        return std::nullopt;
    }
    if (reply->size() < kVersionFirstByte + kVersionBytes) {
        session_.prompter().critical(InvalidResponseMessage());
        session_.state().CommFailed = true;
        return std::nullopt;
    }
    firmwareVersion_ = QString::fromLatin1(reply->mid(kVersionFirstByte, kVersionBytes).toHex().toUpper());
    return ByteReader(*reply).u8(PacketByte::Data + InfoByte::MainVersion);
}

std::optional<bool> OnlineMonitoring::ReadDeviceError() {
    const std::optional<QByteArray> reply = ReadMonitorStatus(session_);
    if (!reply) {
        reportLinkFailure();
        return std::nullopt;
    }
    return ByteReader(*reply).u8(kStatusErrorByte) != 0;
}

bool OnlineMonitoring::ReadInputs() {
    const std::optional<QByteArray> bits = ReadDiscreteInputs(session_);
    if (!bits) {
        reportLinkFailure();
        return false;
    }
    inputs_ = bits->left(kInputBytes);
    ApplyDeviceInputs(simulation_.engine(), inputs_);
    return true;
}

bool OnlineMonitoring::ReadAnalog() {
    const auto values =
        ReadRegisters(session_, FunctionCode::ReadInputRegisters, kAnalogRegister, kAnalogRegisterCount);
    if (!values) {
        reportLinkFailure();
        return false;
    }
    if (const std::optional<int> bad = FirstAnalogOutOfRange(*values)) {
        session_.prompter().warn(AnalogRangeMessage(*bad));
        return false;
    }
    for (int channel = 0; channel < kAnalogRegisterCount; ++channel) {
        analog_[channel] = static_cast<std::int16_t>((*values)[channel]);
        simulation_.blocks().analog.setSlider(channel, analog_[channel]);
    }
    return true;
}

bool OnlineMonitoring::WriteOutputs() {
    outputs_ = program_ != nullptr ? DeviceOutputBits(simulation_.engine(), *program_) : 0;
    if (!WriteCoils(session_, outputs_)) {
        reportLinkFailure();
        return false;
    }
    return true;
}

bool OnlineMonitoring::Pass() {
    QCoreApplication::processEvents();
    if (!MonitoringActive) {
        end_ = MonitoringEnd::Stopped;
        return false;
    }
    if (errorPolling_) {
        const std::optional<bool> error = ReadDeviceError();
        if (!error) {
            end_ = MonitoringEnd::CommFailure;
            return false;
        }
        if (*error) {
            session_.prompter().warn(LoadText(kTextDeviceError));
            end_ = MonitoringEnd::DeviceError;
            return false;
        }
    }
    if (commFailed()) {
        end_ = MonitoringEnd::CommFailure;
        return false;
    }
    if (!ReadInputs()) {
        end_ = MonitoringEnd::CommFailure;
        return false;
    }
    if (analogModel_ && !ReadAnalog()) {
        end_ = commFailed() ? MonitoringEnd::CommFailure : MonitoringEnd::AnalogRange;
        return false;
    }
    const int scan = simulation_.ScanOnce(1);
    if (scan == 1) {
        end_ = MonitoringEnd::ProgramEnded;
        return false;
    }
    if (scan == 2) {
        if (!WriteOutputs()) {
            end_ = MonitoringEnd::CommFailure;
            return false;
        }
    }
    // The timed blocks run on the simulation's clock inside the scan; what remains of the pass
    // is the displays' refresh.
    ++passes_;
    if (afterPass) {
        afterPass();
    }
    return true;
}

void OnlineMonitoring::StopOnlineMonitoring() {
    MonitoringActive = false;
    OnlineMode = false;
    simulation_.EndSimulation();
    session_.closeIfSerial();
    PauseWithEvents(stopDelayMs);
    if (end_ == MonitoringEnd::CommFailure || commFailed()) {
        SilentPrompter silent;
        ModbusSession quiet(session_.state(), session_.transport(), silent);
        WriteDeviceSetting(quiet, DeviceMode::Stop);
    } else {
        WriteDeviceSetting(session_, DeviceMode::Stop);
    }
}

MonitoringEnd OnlineMonitoring::StartOnlineMonitoring(Program& program,
                                                      const std::vector<ErrorRow>& errorList) {
    MonitoringActive = true;
    passes_ = 0;
    errorPolling_ = false;
    end_ = MonitoringEnd::NotStarted;
    session_.state().CommFailed = false;
    session_.state().CommCancelled = false;

    if (!CheckExtensionModules(program) || !PrepareProgram(program, errorList) || !EnterPcControl()) {
        StopOnlineMonitoring();
        return end_;
    }
    const std::optional<int> version = ReadFirmwareVersion();
    if (!version) {
        end_ = MonitoringEnd::CommFailure;
        StopOnlineMonitoring();
        return end_;
    }
    if (*version >= kErrorReportingVersion) {
        const std::optional<bool> error = ReadDeviceError();
        if (!error || *error) {
            if (error) {
                session_.prompter().warn(LoadText(kTextDeviceError));
            }
            end_ = error ? MonitoringEnd::DeviceError : MonitoringEnd::CommFailure;
            StopOnlineMonitoring();
            return end_;
        }
        errorPolling_ = true;
    }

    OnlineMode = true;
    if (!session_.openIfSerial()) {
        OnlineMode = false;
        reportLinkFailure();
        end_ = MonitoringEnd::CommFailure;
        StopOnlineMonitoring();
        return end_;
    }
    if (onlineStarted) {
        onlineStarted();
    }
    end_ = MonitoringEnd::Stopped;
    while (MonitoringActive && Pass()) {
    }
    StopOnlineMonitoring();
    return end_;
}

}  // namespace bdx

#include "device_simulation.h"

#include <QFile>
#include <algorithm>

#include "blocks/device_model.h"
#include "comm/device_image.h"
#include "ladder/program.h"
#include "sim/analog_evaluation.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"

namespace bdx {

std::optional<std::uint8_t> DeviceKeyOfKeyboard(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Right:
            return DeviceKey::Right;
        case Qt::Key_Escape:
            return DeviceKey::Escape;
        case Qt::Key_Up:
            return DeviceKey::Up;
        case Qt::Key_Delete:
            return DeviceKey::Delete;
        case Qt::Key_Insert:
            return DeviceKey::Insert;
        case Qt::Key_Left:
            return DeviceKey::Left;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return DeviceKey::Enter;
        case Qt::Key_Down:
            return DeviceKey::Down;
        default:
            return std::nullopt;
    }
}

const char* PowerOnPicture(int model) {
    switch (model) {
        case 0:
        case 2:
        case 4:
        case 5:
        case 8:
        case 10:
        case 12:
        case 14:
            return "AC_ON";
        default:
            return "DC_ON";
    }
}

DeviceSimulation::DeviceSimulation(EmulationCalls& calls, const Clock& clock)
    : calls_(calls), clock_(clock) {}

bool DeviceSimulation::open(const Program& program, const QString& imageFilePath, QString* error) {
    if (phase_ != Phase::Closed) {
        return false;
    }
    // Written once, here: the library reads it when it starts and the window never again.
    if (!BuildImageFile(program, false, program.ModelIndex, imageFilePath, error)) {
        return false;
    }
    model_ = program.ModelIndex;
    for (int m = 1; m < kPanelModuleCount; ++m) {
        modules_[m] = program.ExtensionModules[m - 1] != 0;
    }
    imageFilePath_ = imageFilePath;
    inputs_ = {};
    outputs_ = {};
    voltages_ = {};
    pressedKey_.reset();
    loopResult_ = 0;
    phase_ = Phase::Opening;
    waitStart_ = clock_.hundredths();
    return true;
}

void DeviceSimulation::tick() {
    const std::int64_t now = clock_.hundredths();
    switch (phase_) {
        case Phase::Opening:
            if (now - waitStart_ >= kWaitHundredths) {
                calls_.InitialiseDLL(QFile::encodeName(imageFilePath_));
                calls_.StartDLLTimer();
                phase_ = Phase::Running;
                lastTick_ = now;
            }
            return;
        case Phase::Running: {
            // The library runs as many 10 ms scans as the clock moved on since the last tick.
            const auto scans =
                static_cast<std::int32_t>(std::clamp<std::int64_t>(now - lastTick_, 1, kMaxScansPerTick));
            lastTick_ = now;
            loopResult_ = calls_.RunInfiniteLoopFunction(scans, supplyOn_ ? 0 : 1);
            for (int m = 0; m < kPanelModuleCount; ++m) {
                outputs_[m] = calls_.UpdateOutputs(PanelModule(m));
            }
            return;
        }
        case Phase::Closing:
            if (now - waitStart_ >= kWaitHundredths) {
                phase_ = Phase::Closed;
            }
            return;
        case Phase::Closed:
            return;
    }
}

void DeviceSimulation::close() {
    if (phase_ == Phase::Running) {
        calls_.EndDLLTimer();
        phase_ = Phase::Closing;
        waitStart_ = clock_.hundredths();
    } else if (phase_ == Phase::Opening) {
        phase_ = Phase::Closed;  // the library never started: nothing to stop
    }
}

void DeviceSimulation::closeNow() {
    if (phase_ == Phase::Running) {
        calls_.EndDLLTimer();
    }
    phase_ = Phase::Closed;
}

bool DeviceSimulation::hasModule(int module) const {
    return validModule(module) && modules_[module];
}

bool DeviceSimulation::takesKeys() const {
    return HasDisplay(model_);
}

bool DeviceSimulation::setInput(int module, int n, bool on) {
    if (!running() || !hasModule(module) || n < 1 || n > kInputs) {
        return false;
    }
    const auto bit = static_cast<std::uint8_t>(1u << (n - 1));
    const auto byte = static_cast<std::uint8_t>(on ? inputs_[module] | bit : inputs_[module] & ~bit);
    if (byte == inputs_[module]) {
        return false;
    }
    inputs_[module] = byte;
    calls_.UpdateInputs(PanelModule(module), byte);
    return true;
}

bool DeviceSimulation::input(int module, int n) const {
    return validModule(module) && n >= 1 && n <= kInputs && (inputs_[module] >> (n - 1)) & 1;
}

std::uint8_t DeviceSimulation::inputByte(int module) const {
    return validModule(module) ? inputs_[module] : 0;
}

bool DeviceSimulation::setVoltage(int module, int k, int hundredths) {
    if (!running() || !hasModule(module) || k < 0 || k >= kVoltages) {
        return false;
    }
    const int value = std::clamp(hundredths, 0, kAnalogSliderMaximum);
    if (value == voltages_[module][k]) {
        return false;
    }
    voltages_[module][k] = value;
    calls_.UpdateVoltage(PanelModule(module), voltages_[module][0], voltages_[module][1]);
    if (!HasAnalog(model_)) {
        return false;
    }
    // The device reads the terminal as a digital input too, with the same thresholds as the
    // simulation with the PC; the input byte follows so that the next box click keeps it.
    const auto bit = static_cast<std::uint8_t>(1u << (6 + k));
    std::uint8_t byte = inputs_[module];
    if (value >= kSliderDigitalOn) {
        byte |= bit;
    } else if (value < kSliderDigitalOff) {
        byte = static_cast<std::uint8_t>(byte & ~bit);
    }
    const bool changed = byte != inputs_[module];
    inputs_[module] = byte;
    return changed;
}

int DeviceSimulation::voltage(int module, int k) const {
    return validModule(module) && k >= 0 && k < kVoltages ? voltages_[module][k] : 0;
}

bool DeviceSimulation::pressKey(std::uint8_t code) {
    if (!running() || !takesKeys() || code >= DeviceKey::Count) {
        return false;
    }
    pressedKey_ = code;
    calls_.SetNewKeyCode(code);
    return true;
}

bool DeviceSimulation::releaseKey(std::uint8_t code) {
    if (!running() || !takesKeys() || code >= DeviceKey::Count) {
        return false;
    }
    if (pressedKey_ == code) {
        pressedKey_.reset();
    }
    calls_.ResetNewKeyCode(code);
    for (int m = 0; m < kPanelModuleCount; ++m) {
        calls_.UpdateVoltage(PanelModule(m), voltages_[m][0], voltages_[m][1]);
    }
    return true;
}

std::uint8_t DeviceSimulation::outputByte(int module) const {
    return validModule(module) ? outputs_[module] : 0;
}

bool DeviceSimulation::output(int module, int n) const {
    return n >= 1 && n <= kOutputs && (outputByte(module) >> (n - 1)) & 1;
}

std::array<QString, 3> DeviceSimulation::displayLines() const {
    if (!running() || !supplyOn_) {
        return {};
    }
    const auto states = [](QChar letter, std::uint8_t byte, int count) {
        QString line = letter + QLatin1Char(' ');
        for (int n = 0; n < count; ++n) {
            line += (byte >> n) & 1 ? QChar(u'1' + n) : QChar(u'_');
        }
        return line.leftJustified(12);
    };
    const LocalDateTime now = clock_.now();
    const QString time = QStringLiteral("%1:%2:%3")
                             .arg(now.hour, 2, 10, QChar(u'0'))
                             .arg(now.minute, 2, 10, QChar(u'0'))
                             .arg(now.second, 2, 10, QChar(u'0'));
    return {states(u'I', inputs_[0], kInputs), states(u'Q', outputs_[0], kOutputs),
            (QStringLiteral("  ") + time).leftJustified(12)};
}

}  // namespace bdx

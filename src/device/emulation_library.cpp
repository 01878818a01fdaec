#include "emulation_library.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <memory>

#include "comm/device_image.h"
#include "device/device_core.h"
#include "device/virtual_device.h"
#include "sim/clock.h"

namespace bdx {
namespace {

constexpr int kMaxScansPerCall = 1000;
constexpr std::int16_t kSupplyOff = 1;

// Keys of the device picture that act as Z1..Z4 (the arrow keys), by key code: left, up, right,
// down, the order of the text display's key buttons, so both windows name the same key alike.
int zKeyOf(std::uint8_t code) {
    switch (code) {
        case 5:  // left
            return 1;
        case 2:  // up
            return 2;
        case 0:  // right
            return 3;
        case 7:  // down
            return 4;
        default:
            return 0;
    }
}

// The library's own time: runs between StartDLLTimer and EndDLLTimer and stands still
// otherwise, so that timers do not jump over the time the window was closed. The calendar is
// the computer's.
class LibraryClock : public Clock {
  public:
    std::int64_t hundredths() const override { return stopped_ + (running_ ? elapsed_.elapsed() / 10 : 0); }
    LocalDateTime now() const override { return wall_.now(); }

    void start() {
        if (!running_) {
            elapsed_.start();
            running_ = true;
        }
    }
    void stop() {
        if (running_) {
            stopped_ += elapsed_.elapsed() / 10;
            running_ = false;
        }
    }
    bool running() const { return running_; }

  private:
    WallClock wall_;
    QElapsedTimer elapsed_;
    std::int64_t stopped_ = 0;
    bool running_ = false;
};

// One variant of the library: a virtual device of the fullest model of its family (display and
// analog inputs), so that every program written for the family runs.
struct Emulator {
    explicit Emulator(int model) {
        VirtualDeviceOptions options;
        options.model = model;
        options.bigEndian = false;  // the window writes the image file in the PC's byte order
        device = std::make_unique<VirtualDevice>(options, clock);
    }

    LibraryClock clock;
    std::unique_ptr<VirtualDevice> device;
    bool loaded = false;
    bool supplyOff = false;
};

Emulator& emulator(bool advanced) {
    // Made on first use, so loading the library runs nothing; no Qt application object is
    // needed, as nothing here waits for events.
    static Emulator plain(1);
    static Emulator advancedTimeSwitch(9);
    return advanced ? advancedTimeSwitch : plain;
}

void initialise(bool advanced, const char* path) {
    Emulator& e = emulator(advanced);
    e.loaded = false;
    // A device freshly started: no input, voltage or key held over from an earlier window.
    for (int module = 0; module < kDeviceModules; ++module) {
        for (int n = 1; n <= kInputsPerModule; ++n) {
            e.device->setInput(module, n, false);
        }
        e.device->setVoltage(module * 2, 0);
        e.device->setVoltage(module * 2 + 1, 0);
    }
    for (int z = 1; z <= kDeviceKeys; ++z) {
        e.device->setKey(z, false);
    }
    if (path == nullptr) {
        return;
    }
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.read(2 * kDeviceImageSize);
    const std::optional<DeviceImage> image = ImageOfImageFile(bytes);
    if (!image) {
        return;
    }
    // The record comes first in the file, followed by as many zero bytes.
    const QByteArray record = bytes.left((bytes.size() - kDeviceImageSize) / 2);
    e.device->loadImage(*image, false, record);
    e.loaded = true;
}

std::uint8_t runLoop(bool advanced, std::int32_t scans, std::int16_t flags) {
    Emulator& e = emulator(advanced);
    e.supplyOff = (flags & kSupplyOff) != 0;
    if (!e.loaded || !e.clock.running() || e.supplyOff) {
        return 0;
    }
    const int count = std::clamp<std::int32_t>(scans, 1, kMaxScansPerCall);
    for (int i = 0; i < count; ++i) {
        e.device->tick();
    }
    return static_cast<std::uint8_t>((e.device->running() ? 1 : 0) | (e.device->deviceError() != 0 ? 2 : 0));
}

void setKey(bool advanced, std::uint8_t code, bool pressed) {
    if (const int z = zKeyOf(code); z != 0) {
        emulator(advanced).device->setKey(z, pressed);
    }
}

void updateInputs(bool advanced, int module, std::uint8_t inputs) {
    VirtualDevice& device = *emulator(advanced).device;
    for (int k = 0; k < 8; ++k) {
        device.setInput(module, k + 1, (inputs >> k) & 1);
    }
}

void updateVoltage(bool advanced, int module, std::int32_t input7, std::int32_t input8) {
    VirtualDevice& device = *emulator(advanced).device;
    device.setVoltage(module * 2, input7);
    device.setVoltage(module * 2 + 1, input8);
}

std::uint8_t outputs(bool advanced, int module) {
    const Emulator& e = emulator(advanced);
    return e.supplyOff ? 0 : e.device->outputByte(module);
}

}  // namespace
}  // namespace bdx

using bdx::outputs;
using bdx::updateInputs;
using bdx::updateVoltage;

void InitialiseDLL(const char* path) {
    bdx::initialise(false, path);
}
void StartDLLTimer() {
    bdx::emulator(false).clock.start();
}
void EndDLLTimer() {
    bdx::emulator(false).clock.stop();
}
std::uint8_t RunInfiniteLoopFunction(std::int32_t scans, std::int16_t flags) {
    return bdx::runLoop(false, scans, flags);
}
void SetNewKeyCode(std::uint8_t code) {
    bdx::setKey(false, code, true);
}
void ResetNewKeyCode(std::uint8_t code) {
    bdx::setKey(false, code, false);
}
void UpdateInputs_Base(std::uint8_t inputs) {
    updateInputs(false, 0, inputs);
}
void UpdateInputs_ExtA(std::uint8_t inputs) {
    updateInputs(false, 1, inputs);
}
void UpdateInputs_ExtB(std::uint8_t inputs) {
    updateInputs(false, 2, inputs);
}
void UpdateInputs_ExtC(std::uint8_t inputs) {
    updateInputs(false, 3, inputs);
}
void UpdateVoltage_Base(std::int32_t input7, std::int32_t input8) {
    updateVoltage(false, 0, input7, input8);
}
void UpdateVoltage_ExtA(std::int32_t input7, std::int32_t input8) {
    updateVoltage(false, 1, input7, input8);
}
void UpdateVoltage_ExtB(std::int32_t input7, std::int32_t input8) {
    updateVoltage(false, 2, input7, input8);
}
void UpdateVoltage_ExtC(std::int32_t input7, std::int32_t input8) {
    updateVoltage(false, 3, input7, input8);
}
std::uint8_t UpdateOutputs_Base() {
    return outputs(false, 0);
}
std::uint8_t UpdateOutputs_ExtA() {
    return outputs(false, 1);
}
std::uint8_t UpdateOutputs_ExtB() {
    return outputs(false, 2);
}
std::uint8_t UpdateOutputs_ExtC() {
    return outputs(false, 3);
}

void InitialiseDLL_New_TimeSwitch(const char* path) {
    bdx::initialise(true, path);
}
void StartDLLTimer_New_TimeSwitch() {
    bdx::emulator(true).clock.start();
}
void EndDLLTimer_New_TimeSwitch() {
    bdx::emulator(true).clock.stop();
}
std::uint8_t RunInfiniteLoopFunction_New_TimeSwitch(std::int32_t scans, std::int16_t flags) {
    return bdx::runLoop(true, scans, flags);
}
void SetNewKeyCode_New_TimeSwitch(std::uint8_t code) {
    bdx::setKey(true, code, true);
}
void ResetNewKeyCode_New_TimeSwitch(std::uint8_t code) {
    bdx::setKey(true, code, false);
}
void UpdateInputs_Base_New_TimeSwitch(std::uint8_t inputs) {
    updateInputs(true, 0, inputs);
}
void UpdateInputs_ExtA_New_TimeSwitch(std::uint8_t inputs) {
    updateInputs(true, 1, inputs);
}
void UpdateInputs_ExtB_New_TimeSwitch(std::uint8_t inputs) {
    updateInputs(true, 2, inputs);
}
void UpdateInputs_ExtC_New_TimeSwitch(std::uint8_t inputs) {
    updateInputs(true, 3, inputs);
}
void UpdateVoltage_Base_New_TimeSwitch(std::int32_t input7, std::int32_t input8) {
    updateVoltage(true, 0, input7, input8);
}
void UpdateVoltage_ExtA_New_TimeSwitch(std::int32_t input7, std::int32_t input8) {
    updateVoltage(true, 1, input7, input8);
}
void UpdateVoltage_ExtB_New_TimeSwitch(std::int32_t input7, std::int32_t input8) {
    updateVoltage(true, 2, input7, input8);
}
void UpdateVoltage_ExtC_New_TimeSwitch(std::int32_t input7, std::int32_t input8) {
    updateVoltage(true, 3, input7, input8);
}
std::uint8_t UpdateOutputs_Base_New_TimeSwitch() {
    return outputs(true, 0);
}
std::uint8_t UpdateOutputs_ExtA_New_TimeSwitch() {
    return outputs(true, 1);
}
std::uint8_t UpdateOutputs_ExtB_New_TimeSwitch() {
    return outputs(true, 2);
}
std::uint8_t UpdateOutputs_ExtC_New_TimeSwitch() {
    return outputs(true, 3);
}

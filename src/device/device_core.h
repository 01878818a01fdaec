#pragma once

#include <array>
#include <cstdint>

#include "blocks/device_model.h"
#include "device/device_memory.h"
#include "device/firmware_loader.h"
#include "device/virtual_device.h"
#include "sim/pc_simulation.h"

// Inside the virtual device: its memory, its mode and the program it runs, its front panel.
// The request handlers, the state file and the dump work on this; VirtualDevice is its face.
namespace bdx {

inline constexpr int kDeviceModules = 4;  // base, A, B, C
inline constexpr int kOutputsPerModule = 4;
inline constexpr int kDeviceKeys = 4;
inline constexpr char kInputLetters[kDeviceModules] = {'I', 'J', 'K', 'L'};
inline constexpr char kOutputLetters[kDeviceModules] = {'Q', 'U', 'V', 'W'};

struct DeviceCore {
    DeviceCore(VirtualDeviceOptions o, const Clock& base);

    VirtualDeviceOptions options;
    DeviceMemory memory;
    PcSimulation sim;  // shows nothing: a refusal becomes the device's error code
    Program program;  // the running program; the soft texts keep a pointer to it

    int mode = DeviceMode::Stop;
    int error = DeviceError::None;
    bool scanning = false;  // run mode with a program that compiled

    std::array<std::array<bool, kInputsPerModule>, kDeviceModules> inputs{};
    std::array<int, kAnalogChannels> voltages{};
    std::array<bool, kDeviceKeys> keys{};
    std::uint16_t pcOutputs = 0;  // coils as the PC wrote them

    int readingArea = -1;  // packet read in progress
    int readPacket = 0;
    FirmwareLoader loader;

    int revision = 0;

    int model() const { return memory.model(); }
    void changed() { ++revision; }

    // Translates and compiles the stored image and starts scanning it.
    void startRun();
    void leaveRun(int newMode);
    void stop();
    void enterLoader();

    bool outputOn(int module, int n) const;
    bool discreteInput(int i) const;
};

// One request without its CRC, already meant for this device; the reply without CRC, or
// nothing for silence.
QByteArray AnswerRequest(DeviceCore& core, const QByteArray& body);
// Functions 100 and 101.
QByteArray AnswerAreaRead(DeviceCore& core, const QByteArray& body);
QByteArray AnswerAreaWrite(DeviceCore& core, const QByteArray& body);
// Address, function + 128, the exception code.
QByteArray ExceptionReply(const QByteArray& request, std::uint8_t code);

}  // namespace bdx

#include "device/device_core.h"

#include <algorithm>

namespace bdx {

DeviceCore::DeviceCore(VirtualDeviceOptions o, const Clock& base)
    : options(std::move(o)),
      memory(std::clamp(options.model, 0, kModelCount - 1), options.bigEndian, base),
      sim(memory.clock) {}

void DeviceCore::startRun() {
    mode = DeviceMode::Run;
    error = DeviceError::None;
    program = Program();
    program.ModelIndex = static_cast<std::uint16_t>(model());
    for (int m = 0; m < kExtensionModules; ++m) {
        program.ExtensionModules[m] = (memory.extensionFlags() >> m) & 1;
    }
    ReadImage(memory.image, memory.imageBigEndian, program);
    // The device runs what it holds: the rule check is the program's business, only a
    // network that does not compile keeps it from scanning.
    scanning = !sim.Prepare(program, {});
    if (!scanning) {
        error = DeviceError::ProgramInvalid;
    }
    changed();
}

void DeviceCore::leaveRun(int newMode) {
    sim.EndSimulation();
    scanning = false;
    mode = newMode;
    pcOutputs = 0;
    changed();
}

void DeviceCore::stop() {
    leaveRun(DeviceMode::Stop);
    error = DeviceError::None;
}

void DeviceCore::enterLoader() {
    leaveRun(DeviceMode::Loader);
    loader.reset();
}

bool DeviceCore::outputOn(int module, int n) const {
    if (module < 0 || module >= kDeviceModules || n < 1 || n > kOutputsPerModule) {
        return false;
    }
    if (mode == DeviceMode::PcControl) {
        return (pcOutputs >> (module * kOutputsPerModule + n - 1)) & 1;
    }
    return mode == DeviceMode::Run && scanning &&
           sim.engine().operandValue(static_cast<std::uint16_t>(kOutputLetters[module]), n);
}

bool DeviceCore::discreteInput(int i) const {
    constexpr int kPanelInputs = kDeviceModules * kInputsPerModule;
    if (i < kPanelInputs) {
        return inputs[i / kInputsPerModule][i % kInputsPerModule];
    }
    return i < kPanelInputs + kDeviceKeys && keys[i - kPanelInputs];
}

}  // namespace bdx

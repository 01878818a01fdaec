#pragma once

#include <QByteArray>
#include <cstdint>
#include <memory>

namespace bdx {

// The modules of a device as the emulation library numbers them.
enum class PanelModule { Base = 0, ExtA = 1, ExtB = 2, ExtC = 3 };
inline constexpr int kPanelModuleCount = 4;

// The operations of the device emulation library as the device simulator window makes them.
// One implementation calls the library; tests put in a recorder that logs the calls in order.
class EmulationCalls {
  public:
    virtual ~EmulationCalls() = default;

    virtual void InitialiseDLL(const QByteArray& path) = 0;  // the path in the local 8-bit encoding
    virtual void StartDLLTimer() = 0;
    virtual void EndDLLTimer() = 0;
    virtual std::uint8_t RunInfiniteLoopFunction(std::int32_t scans, std::int16_t flags) = 0;
    virtual void SetNewKeyCode(std::uint8_t code) = 0;
    virtual void ResetNewKeyCode(std::uint8_t code) = 0;
    // UpdateInputs_Base / _ExtA / _ExtB / _ExtC, and the same for the voltages and outputs.
    virtual void UpdateInputs(PanelModule module, std::uint8_t inputs) = 0;
    virtual void UpdateVoltage(PanelModule module, std::int32_t input7, std::int32_t input8) = 0;
    virtual std::uint8_t UpdateOutputs(PanelModule module) = 0;
};

// The library's two sets of operations: the plain names for the first-generation models, the
// names ending in "_New_TimeSwitch" for the models with advanced time switches.
enum class EmulationVariant { Plain, NewTimeSwitch };
EmulationVariant EmulationVariantOf(int model);
// "" or "_New_TimeSwitch": what the variant's operation names end with.
const char* EmulationSuffix(EmulationVariant variant);

// The emulation library itself, in the variant of `model`.
std::unique_ptr<EmulationCalls> MakeLibraryEmulationCalls(int model);

}  // namespace bdx

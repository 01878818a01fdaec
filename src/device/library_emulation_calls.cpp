#include "emulation_calls.h"
#include "emulation_library.h"

namespace bdx {
namespace {

// One variant's operations. The table is spelled by one macro for both variants, so that no
// operation of the one variant can slip into the other's table.
struct EntryPoints {
    void (*InitialiseDLL)(const char*);
    void (*StartDLLTimer)();
    void (*EndDLLTimer)();
    std::uint8_t (*RunInfiniteLoopFunction)(std::int32_t, std::int16_t);
    void (*SetNewKeyCode)(std::uint8_t);
    void (*ResetNewKeyCode)(std::uint8_t);
    void (*UpdateInputs[kPanelModuleCount])(std::uint8_t);
    void (*UpdateVoltage[kPanelModuleCount])(std::int32_t, std::int32_t);
    std::uint8_t (*UpdateOutputs[kPanelModuleCount])();
};

#define BDX_ENTRY_POINTS(S)                                                                         \
    EntryPoints {                                                                                   \
        &::InitialiseDLL##S, &::StartDLLTimer##S, &::EndDLLTimer##S, &::RunInfiniteLoopFunction##S, \
            &::SetNewKeyCode##S, &::ResetNewKeyCode##S,                                             \
            {&::UpdateInputs_Base##S, &::UpdateInputs_ExtA##S, &::UpdateInputs_ExtB##S,             \
             &::UpdateInputs_ExtC##S},                                                              \
            {&::UpdateVoltage_Base##S, &::UpdateVoltage_ExtA##S, &::UpdateVoltage_ExtB##S,          \
             &::UpdateVoltage_ExtC##S},                                                             \
        {                                                                                           \
            &::UpdateOutputs_Base##S, &::UpdateOutputs_ExtA##S, &::UpdateOutputs_ExtB##S,           \
                &::UpdateOutputs_ExtC##S                                                            \
        }                                                                                           \
    }

const EntryPoints kPlain = BDX_ENTRY_POINTS();
const EntryPoints kNewTimeSwitch = BDX_ENTRY_POINTS(_New_TimeSwitch);

#undef BDX_ENTRY_POINTS

class LibraryEmulationCalls : public EmulationCalls {
  public:
    explicit LibraryEmulationCalls(const EntryPoints& ops) : ops_(ops) {}

    void InitialiseDLL(const QByteArray& path) override { ops_.InitialiseDLL(path.constData()); }
    void StartDLLTimer() override { ops_.StartDLLTimer(); }
    void EndDLLTimer() override { ops_.EndDLLTimer(); }
    std::uint8_t RunInfiniteLoopFunction(std::int32_t scans, std::int16_t flags) override {
        return ops_.RunInfiniteLoopFunction(scans, flags);
    }
    void SetNewKeyCode(std::uint8_t code) override { ops_.SetNewKeyCode(code); }
    void ResetNewKeyCode(std::uint8_t code) override { ops_.ResetNewKeyCode(code); }
    void UpdateInputs(PanelModule module, std::uint8_t inputs) override {
        ops_.UpdateInputs[int(module)](inputs);
    }
    void UpdateVoltage(PanelModule module, std::int32_t input7, std::int32_t input8) override {
        ops_.UpdateVoltage[int(module)](input7, input8);
    }
    std::uint8_t UpdateOutputs(PanelModule module) override { return ops_.UpdateOutputs[int(module)](); }

  private:
    const EntryPoints& ops_;
};

}  // namespace

std::unique_ptr<EmulationCalls> MakeLibraryEmulationCalls(int model) {
    return std::make_unique<LibraryEmulationCalls>(
        EmulationVariantOf(model) == EmulationVariant::NewTimeSwitch ? kNewTimeSwitch : kPlain);
}

}  // namespace bdx

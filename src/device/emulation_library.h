#pragma once

#include <cstdint>

// The device emulation library: the operations the device simulator window calls, with C
// linkage so that the window finds them by name. Each comes twice: the plain name runs a
// device of model codes 0..7, the name ending in "_New_TimeSwitch" one of 8..15 (the advanced
// time switches). Both variants take the same arguments and keep separate devices.
//
// RunInfiniteLoopFunction(scans, flags): runs `scans` scans of the loaded image (below 1 runs
// one, at most 1000); bit 0 of `flags` means the supply is switched off: no scan, all outputs
// off. Returns bit 0 = run indicator, bit 1 = device error; 0 while no image is loaded or the
// library's clock is stopped. Voltages are hundredths of a volt (0..1000). Device keys: Up (2)
// is Z2, Down (7) Z4, Left (5) Z1, Right (0) Z3; the other keys have no contact.

#define BDX_EMULATION_API extern "C" __attribute__((visibility("default")))

BDX_EMULATION_API void InitialiseDLL(const char* path);
BDX_EMULATION_API void StartDLLTimer();
BDX_EMULATION_API void EndDLLTimer();
BDX_EMULATION_API std::uint8_t RunInfiniteLoopFunction(std::int32_t scans, std::int16_t flags);
BDX_EMULATION_API void SetNewKeyCode(std::uint8_t code);
BDX_EMULATION_API void ResetNewKeyCode(std::uint8_t code);
BDX_EMULATION_API void UpdateInputs_Base(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtA(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtB(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtC(std::uint8_t inputs);
BDX_EMULATION_API void UpdateVoltage_Base(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtA(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtB(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtC(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API std::uint8_t UpdateOutputs_Base();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtA();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtB();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtC();

BDX_EMULATION_API void InitialiseDLL_New_TimeSwitch(const char* path);
BDX_EMULATION_API void StartDLLTimer_New_TimeSwitch();
BDX_EMULATION_API void EndDLLTimer_New_TimeSwitch();
BDX_EMULATION_API std::uint8_t RunInfiniteLoopFunction_New_TimeSwitch(std::int32_t scans, std::int16_t flags);
BDX_EMULATION_API void SetNewKeyCode_New_TimeSwitch(std::uint8_t code);
BDX_EMULATION_API void ResetNewKeyCode_New_TimeSwitch(std::uint8_t code);
BDX_EMULATION_API void UpdateInputs_Base_New_TimeSwitch(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtA_New_TimeSwitch(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtB_New_TimeSwitch(std::uint8_t inputs);
BDX_EMULATION_API void UpdateInputs_ExtC_New_TimeSwitch(std::uint8_t inputs);
BDX_EMULATION_API void UpdateVoltage_Base_New_TimeSwitch(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtA_New_TimeSwitch(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtB_New_TimeSwitch(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API void UpdateVoltage_ExtC_New_TimeSwitch(std::int32_t input7, std::int32_t input8);
BDX_EMULATION_API std::uint8_t UpdateOutputs_Base_New_TimeSwitch();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtA_New_TimeSwitch();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtB_New_TimeSwitch();
BDX_EMULATION_API std::uint8_t UpdateOutputs_ExtC_New_TimeSwitch();

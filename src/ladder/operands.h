#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace bdx {

// Operand kinds, in the order their comments are stored in a program file.
enum class Operand : std::uint8_t { I, J, K, L, Q, U, V, W, M, T, C, A, P, H, Clock, Z, X };
inline constexpr int kOperandKinds = 17;

struct OperandInfo {
    Operand kind;
    char letter;       // upper-case operand letter; 0 for the clock contact
    int count;         // operands numbered 1..count
    bool contact;      // may be drawn as a contact
    bool coil;         // may be drawn as a coil
    int commentIndex;  // first index of this kind in the flat comment array
};

inline constexpr std::array<OperandInfo, kOperandKinds> kOperandTable = {{
    {Operand::I, 'I', 8, true, false, 0},
    {Operand::J, 'J', 8, true, false, 8},
    {Operand::K, 'K', 8, true, false, 16},
    {Operand::L, 'L', 8, true, false, 24},
    {Operand::Q, 'Q', 4, true, true, 32},
    {Operand::U, 'U', 4, true, true, 36},
    {Operand::V, 'V', 4, true, true, 40},
    {Operand::W, 'W', 4, true, true, 44},
    {Operand::M, 'M', 64, true, true, 48},
    {Operand::T, 'T', 16, true, true, 112},
    {Operand::C, 'C', 16, true, true, 128},
    {Operand::A, 'A', 12, true, false, 144},
    {Operand::P, 'P', 16, true, false, 156},
    {Operand::H, 'H', 4, true, true, 172},
    {Operand::Clock, 0, 16, true, false, 176},
    {Operand::Z, 'Z', 4, true, false, 192},
    {Operand::X, 'X', 16, true, true, 196},
}};
inline constexpr int kOperandCommentCount = 212;

inline constexpr const OperandInfo& operandInfo(Operand kind) {
    return kOperandTable[static_cast<int>(kind)];
}

// The kind whose letter this is (upper case), if any.
std::optional<Operand> OperandForLetter(char letter);

// The operand kind of a contact code (normally open, normally closed or clock contact)
// or of a coil letter code; nothing for wires, empty cells and unknown codes.
std::optional<Operand> OperandForCode(std::uint16_t code);

}  // namespace bdx

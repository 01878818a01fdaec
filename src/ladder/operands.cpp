#include "operands.h"

#include "ladder_codes.h"

namespace bdx {

std::optional<Operand> OperandForLetter(char letter) {
    for (const OperandInfo& info : kOperandTable) {
        if (info.letter != 0 && info.letter == letter) {
            return info.kind;
        }
    }
    return std::nullopt;
}

std::optional<Operand> OperandForCode(std::uint16_t code) {
    if (code == ClockContactOpen || code == ClockContactClosed) {
        return Operand::Clock;
    }
    if (code >= 'A' + NormallyClosedShift && code <= 'Z' + NormallyClosedShift) {
        code -= NormallyClosedShift;
    }
    if (code >= 'A' && code <= 'Z') {
        return OperandForLetter(static_cast<char>(code));
    }
    return std::nullopt;
}

}  // namespace bdx

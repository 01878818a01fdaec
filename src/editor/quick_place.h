#pragma once

#include <QChar>
#include <QString>
#include <cstdint>
#include <optional>

#include "ladder/program.h"

// Faster ways to the editor's one placing operation: an operand typed as text, and the wires a
// coil needs up to the last element of its line. No windows here: the editor, the ladder window
// and the tests share these.
namespace bdx {

// An operand read from typed text, ready for the placing operation.
struct TypedOperand {
    std::uint16_t code = 0;    // contact code (open, closed, clock) or coil letter
    std::uint16_t number = 0;  // number word
    bool coil = false;
    std::optional<std::uint16_t> coilFunction;  // a function letter given before a coil's name
};

// Either an operand or the reason, in the language in force, why the text is none.
struct TypedParse {
    std::optional<TypedOperand> operand;
    QString refusal;
};

// Reads typed text, case and surrounding blanks ignored: "I1", "q2", "/I3" or "!I3" (normally
// closed), "RTC3" or "Ø3" (clock contact), and for a coil a function letter before its name:
// "SQ1" set, "RQ1" reset, "IQ1" impulse, "TT1" trigger, "CC1" count, "DC1" direction, "EH1"
// enable, "AH1" reset all. `coilColumn` says where the text lands; a function letter asks for
// a coil wherever it is typed. The device model and its extension modules decide which
// operands exist.
TypedParse ParseTypedOperand(const QString& text, bool coilColumn, const Program& program);

// Whether `next` may still belong to the operand typed so far: once the number has begun only
// digits do, so the next operand's first character ends the one before.
bool TypedOperandTakes(const QString& text, QChar next);
// Whether the typed number is complete: no further digit would give an operand of that letter.
bool TypedOperandComplete(const QString& text);

// Wires the empty contact positions of `line` between its last element and the coil, with
// their connections, and connects the last junction to the coil. A line that holds no element
// is wired from its rightmost vertical link; a line with neither is left alone. Returns how
// many positions became wires; connections alone may still have changed.
int WireLineToCoil(Program& program, int line);

}  // namespace bdx

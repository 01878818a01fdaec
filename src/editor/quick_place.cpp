#include "quick_place.h"

#include <QStringList>
#include <vector>

#include "blocks/device_model.h"
#include "ladder/grid.h"
#include "ladder/operands.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    NotAnOperand = 8006,
    NumberOutOfRange = 8007,
    NoCoil = 8008,
    ClosedCoil = 8009,
    NoSuchFunction = 8010,
    NoAnalog = 8011,
    NoDisplay = 8012,
    ModuleNotFitted = 8013,
};

const QChar kClockUpper(0x00D8);  // Ø; ø upper-cases to it

struct FunctionLetter {
    char letter;
    std::uint16_t code;
};

// The function letters a coil takes before its name, by coil letter: the letter the grid
// stores for the function where it stores one, I for the impulse coil.
std::vector<FunctionLetter> FunctionLetters(char coil) {
    switch (coil) {
        case 'Q':
        case 'U':
        case 'V':
        case 'W':
        case 'M':
            return {{'S', CoilSet}, {'R', CoilReset}, {'I', CoilImpulse}};
        case 'T':
            return {{'T', CoilTrigger}, {'R', CoilReset}};
        case 'X':
            return {{'T', CoilContactor}, {'R', CoilReset}};  // a message's trigger is stored as 148
        case 'C':
            return {{'C', CoilCount}, {'R', CoilReset}, {'D', CoilDirection}};
        case 'H':
            return {{'E', CoilEnable}, {'R', CoilReset}, {'A', CoilResetAll}};
        default:
            return {};
    }
}

// The parts of typed text; `letter` is 0 for the clock contact.
struct Pieces {
    bool closed = false;
    std::optional<char> function;
    bool clock = false;
    char letter = 0;
    QString digits;
    bool wellFormed = false;
};

bool IsAsciiLetter(QChar c) {
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

Pieces Split(const QString& text) {
    Pieces pieces;
    QString rest = text.trimmed().toUpper();
    if (rest.startsWith(QLatin1Char('/')) || rest.startsWith(QLatin1Char('!'))) {
        pieces.closed = true;
        rest.remove(0, 1);
    }
    auto takeClock = [&]() {
        if (rest.startsWith(QLatin1String("RTC"))) {
            rest.remove(0, 3);
        } else if (rest.startsWith(kClockUpper)) {
            rest.remove(0, 1);
        } else {
            return false;
        }
        pieces.clock = true;
        return true;
    };
    if (!takeClock() && rest.size() >= 2 && IsAsciiLetter(rest[0]) &&
        (IsAsciiLetter(rest[1]) || rest[1] == kClockUpper)) {
        pieces.function = rest[0].toLatin1();
        rest.remove(0, 1);
        takeClock();
    }
    if (!pieces.clock) {
        if (rest.isEmpty() || !IsAsciiLetter(rest[0])) {
            return pieces;
        }
        pieces.letter = rest[0].toLatin1();
        rest.remove(0, 1);
    }
    for (QChar c : rest) {
        if (!c.isDigit() || c.unicode() > 0x7f) {
            return pieces;
        }
    }
    pieces.digits = rest;
    pieces.wellFormed = !rest.isEmpty();
    return pieces;
}

std::optional<Operand> KindOf(const Pieces& pieces) {
    return pieces.clock ? std::optional<Operand>(Operand::Clock) : OperandForLetter(pieces.letter);
}

QString LetterName(const Pieces& pieces) {
    return pieces.clock ? QStringLiteral("RTC") : QString(QLatin1Char(pieces.letter));
}

// The extension module (0 A, 1 B, 2 C) an operand letter belongs to, if any.
std::optional<int> ExtensionModuleOf(char letter) {
    switch (letter) {
        case 'J':
        case 'U':
            return 0;
        case 'K':
        case 'V':
            return 1;
        case 'L':
        case 'W':
            return 2;
        default:
            return std::nullopt;
    }
}

bool isJunctionWord(std::uint16_t word) {
    return (word & ~(JunctionLeft | JunctionUp | JunctionRight | JunctionDown)) == JunctionBase;
}

void addJunctionBits(std::uint16_t& word, std::uint16_t bits) {
    if (!isJunctionWord(word)) {
        word = JunctionBase;
    }
    word |= bits;
}

bool hasVerticalLink(std::uint16_t word) {
    return isJunctionWord(word) && (word & (JunctionUp | JunctionDown)) != 0;
}

}  // namespace

TypedParse ParseTypedOperand(const QString& text, bool coilColumn, const Program& program) {
    TypedParse result;
    const QString shown = text.trimmed();
    const Pieces pieces = Split(text);
    const std::optional<Operand> kind = KindOf(pieces);
    if (!pieces.wellFormed || !kind) {
        result.refusal = LoadText(NotAnOperand).arg(shown);
        return result;
    }
    const OperandInfo& info = operandInfo(*kind);
    bool digitsOk = false;
    const int number = pieces.digits.toInt(&digitsOk);
    if (!digitsOk || number < 1 || number > info.count) {
        result.refusal = LoadText(NumberOutOfRange).arg(shown, LetterName(pieces)).arg(info.count);
        return result;
    }
    const bool coil = coilColumn || pieces.function.has_value();
    if (coil && !info.coil) {
        result.refusal = LoadText(NoCoil).arg(shown);
        return result;
    }
    if (coil && pieces.closed) {
        result.refusal = LoadText(ClosedCoil).arg(shown);
        return result;
    }
    TypedOperand operand;
    operand.coil = coil;
    operand.number = OperandNumberCode(number);
    if (pieces.function) {
        const std::vector<FunctionLetter> letters = FunctionLetters(pieces.letter);
        QStringList offered;
        for (const FunctionLetter& f : letters) {
            offered << QString(QLatin1Char(f.letter));
            if (f.letter == *pieces.function) {
                operand.coilFunction = f.code;
            }
        }
        if (!operand.coilFunction) {
            result.refusal = LoadText(NoSuchFunction).arg(shown, LetterName(pieces), offered.join(QStringLiteral(", ")));
            return result;
        }
    }
    const int model = program.ModelIndex;
    if (*kind == Operand::A && !HasAnalog(model)) {
        result.refusal = LoadText(NoAnalog).arg(shown);
        return result;
    }
    if ((*kind == Operand::X || *kind == Operand::Z) && !HasDisplay(model)) {
        result.refusal = LoadText(NoDisplay).arg(shown);
        return result;
    }
    if (const std::optional<int> module = ExtensionModuleOf(pieces.letter);
        module && program.ExtensionModules[*module] == 0) {
        result.refusal = LoadText(ModuleNotFitted).arg(shown, QString(QLatin1Char(char('A' + *module))));
        return result;
    }
    if (coil) {
        operand.code = static_cast<std::uint16_t>(static_cast<unsigned char>(pieces.letter));
    } else {
        const auto open = pieces.clock
                              ? ClockContactOpen
                              : static_cast<std::uint16_t>(static_cast<unsigned char>(pieces.letter));
        operand.code = pieces.closed ? NormallyClosedCode(open) : open;
    }
    result.operand = operand;
    return result;
}

bool TypedOperandTakes(const QString& text, QChar next) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || !trimmed.back().isDigit()) {
        return true;
    }
    return next.isDigit();
}

bool TypedOperandComplete(const QString& text) {
    const Pieces pieces = Split(text);
    const std::optional<Operand> kind = KindOf(pieces);
    if (!pieces.wellFormed) {
        return false;
    }
    if (!kind) {
        return true;  // nothing could make it right; say so at once
    }
    const int number = pieces.digits.toInt();
    // A leading zero or a number whose tenfold already lies beyond the last operand.
    return number == 0 || number * 10 > operandInfo(*kind).count;
}

int WireLineToCoil(Program& program, int line) {
    auto& grid = program.LadderGrid;
    auto junction = [&grid, line](int column) -> std::uint16_t& {
        return grid[JunctionWordIndex(line, column)];
    };
    int from = -1;  // the column whose junction feeds the first wire
    for (int column = 0; column < kContactColumns; ++column) {
        if (program.word(line, kContactWord[column]) != CellEmpty) {
            from = column;
        }
    }
    if (from < 0) {
        for (int column = 0; column < kContactColumns; ++column) {
            if (hasVerticalLink(junction(column))) {
                from = column;
            }
        }
    }
    if (from < 0) {
        return 0;
    }
    int wired = 0;
    for (int column = from + 1; column < kContactColumns; ++column) {
        program.word(line, kContactWord[column]) = CellWire;
        program.word(line, kContactWord[column] + kNumberWordOffset) = CellWire;
        addJunctionBits(junction(column - 1), JunctionRight);
        addJunctionBits(junction(column), JunctionLeft);
        ++wired;
    }
    addJunctionBits(junction(kContactColumns - 1), JunctionRight);
    return wired;
}

}  // namespace bdx

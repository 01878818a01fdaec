#include "grid.h"

#include <bit>

namespace bdx {

namespace {

constexpr char kContactLetters[] = "ACHIJKLMPQTUVWXZ";
constexpr char kCoilLetters[] = "CHMQTUVWX";

bool containsLetter(const char* letters, std::uint16_t code) {
    if (code < 'A' || code > 'Z') {
        return false;
    }
    for (const char* c = letters; *c != 0; ++c) {
        if (*c == code) {
            return true;
        }
    }
    return false;
}

constexpr std::uint16_t kJunctionBits = JunctionLeft | JunctionUp | JunctionRight | JunctionDown;

void setBits(std::uint16_t& word, std::uint16_t bits) {
    // A word that holds no junction yet starts from the bare junction base.
    if ((word & ~kJunctionBits) != JunctionBase) {
        word = JunctionBase;
    }
    word |= bits;
}

void clearBits(std::uint16_t& word, std::uint16_t bits) {
    if ((word & ~kJunctionBits) == JunctionBase) {
        word &= static_cast<std::uint16_t>(~bits);
    }
}

}  // namespace

bool IsContactLetter(std::uint16_t code) {
    return containsLetter(kContactLetters, code);
}

bool IsCoilLetter(std::uint16_t code) {
    return containsLetter(kCoilLetters, code);
}

bool IsNormallyClosedCode(std::uint16_t code) {
    return code == ClockContactClosed ||
           (code >= NormallyClosedShift && IsContactLetter(code - NormallyClosedShift));
}

bool IsContactCode(std::uint16_t code) {
    return IsContactLetter(code) || code == ClockContactOpen || IsNormallyClosedCode(code);
}

std::uint16_t NormallyClosedCode(std::uint16_t code) {
    if (code >= 'A' && code <= 'Z') {
        return code + NormallyClosedShift;
    }
    return code == ClockContactOpen ? ClockContactClosed : code;
}

std::uint16_t NormallyOpenCode(std::uint16_t code) {
    if (code >= 'A' + NormallyClosedShift && code <= 'Z' + NormallyClosedShift) {
        return code - NormallyClosedShift;
    }
    return code == ClockContactClosed ? ClockContactOpen : code;
}

bool MakeNormallyClosed(Program& program, int cell) {
    if (cell < 0 || cell >= kGridWords) {
        return false;
    }
    std::uint16_t& word = program.LadderGrid[cell];
    const std::uint16_t before = word;
    word = NormallyClosedCode(word);
    return word != before;
}

bool MakeNormallyOpen(Program& program, int cell) {
    if (cell < 0 || cell >= kGridWords) {
        return false;
    }
    std::uint16_t& word = program.LadderGrid[cell];
    const std::uint16_t before = word;
    word = NormallyOpenCode(word);
    return word != before;
}

QString ElementLabel(std::uint16_t code, std::uint16_t numberWord) {
    QChar letter;
    if (code == ClockContactOpen) {
        letter = QChar(0x00D8);  // Ø
    } else if (code == ClockContactClosed) {
        letter = QChar(0x00F8);  // ø
    } else if (IsNormallyClosedCode(code)) {
        letter = QChar(code + ClosedDisplayShift);
    } else if (code >= 'A' && code <= 'Z') {
        letter = QChar(code);
    } else {
        return QString();
    }
    return QString(letter) + QString::number(DecodeOperandNumber(numberWord) + 1);
}

void ConvertLegacyNumberCodes(LadderGridWords& grid) {
    for (std::uint16_t& word : grid) {
        if (word >= 49 && word <= 64) {
            word = static_cast<std::uint16_t>(word - LegacyNumberBase + NumberBase);
        } else if (word >= 10 && word <= 24) {
            word = static_cast<std::uint16_t>(word + 160);
        }
    }
}

void SetVerticalLink(LadderGridWords& grid, int line, int column) {
    if (line < 0 || line >= kLadderLines || column < 0 || column >= kContactColumns) {
        return;
    }
    setBits(grid[JunctionWordIndex(line, column)], JunctionDown);
    if (line + 1 < kLadderLines) {
        setBits(grid[JunctionWordIndex(line + 1, column)], JunctionUp);
    }
}

void ClearVerticalLink(LadderGridWords& grid, int line, int column) {
    if (line < 0 || line >= kLadderLines || column < 0 || column >= kContactColumns) {
        return;
    }
    clearBits(grid[JunctionWordIndex(line, column)], JunctionDown);
    if (line + 1 < kLadderLines) {
        clearBits(grid[JunctionWordIndex(line + 1, column)], JunctionUp);
    }
}

bool IsImproperJunction(std::uint16_t word) {
    if ((word & ~kJunctionBits) != JunctionBase) {
        return false;
    }
    return std::popcount(static_cast<unsigned>(word & kJunctionBits)) == 1;
}

}  // namespace bdx

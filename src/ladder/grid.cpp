#include "grid.h"

#include <algorithm>
#include <bit>
#include <iterator>

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

// The oldest programs stored operand numbers 10..24, which convert to 170..184.
constexpr std::uint16_t kOldNumberFirst = 10;
constexpr std::uint16_t kOldNumberCount = 15;
constexpr std::uint16_t kOldNumberShift = 160;
constexpr int kLegacyNumberCount = 16;
constexpr int kLargestOperandCount = 64;

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

bool isCoilFunction(std::uint16_t word) {
    constexpr std::uint16_t kFunctions[] = {
        CoilContactor,    CoilImpulse,   CoilImpulseRetentive, CoilSet,
        CoilSetRetentive, CoilReset,     CoilResetRetentive,   CoilTrigger,
        CoilCount,        CoilDirection, CoilEnable,           CoilResetAll};
    return std::ranges::find(kFunctions, word) != std::end(kFunctions);
}

// Operand numbers in the current coding and in the older ones (the oldest also in its
// converted form), up to the largest operand count.
bool isNumberCode(std::uint16_t word) {
    const auto within = [word](int first, int count) { return word >= first && word < first + count; };
    return within(NumberBase, kLargestOperandCount) || within(LegacyNumberBase, kLargestOperandCount) ||
           within(kOldNumberFirst, kOldNumberCount) ||
           within(kOldNumberFirst + kOldNumberShift, kOldNumberCount);
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
        if (word >= LegacyNumberBase && word < LegacyNumberBase + kLegacyNumberCount) {
            word = static_cast<std::uint16_t>(word - LegacyNumberBase + NumberBase);
        } else if (word >= kOldNumberFirst && word < kOldNumberFirst + kOldNumberCount) {
            word = static_cast<std::uint16_t>(word + kOldNumberShift);
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

bool IsGridCode(int wordInLine, std::uint16_t word) {
    switch (wordInLine) {
        case 0:
        case 3:
        case 6:
            return word == CellEmpty || word == CellWire || IsContactCode(word);
        case 1:
        case 4:
        case 7:
        case kCoilNumberWord:
            return word == CellEmpty || word == CellWire || isNumberCode(word);
        case 2:
        case 5:
        case 8:
            return (word & ~kJunctionBits) == JunctionBase;
        case kCoilFunctionWord:
            return word == CoilNone || word == CellWire || isCoilFunction(word);
        case kCoilLetterWord:
            return word == CellEmpty || word == CellWire || IsCoilLetter(word);
        default:
            return false;
    }
}

int FirstUnknownGridWord(const LadderGridWords& grid) {
    for (int i = 0; i < kGridWords; ++i) {
        if (!IsGridCode(i % kWordsPerLine, grid[i])) {
            return i;
        }
    }
    return -1;
}

bool IsImproperJunction(std::uint16_t word) {
    if ((word & ~kJunctionBits) != JunctionBase) {
        return false;
    }
    return std::popcount(static_cast<unsigned>(word & kJunctionBits)) == 1;
}

}  // namespace bdx

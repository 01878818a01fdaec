#pragma once

#include <QString>
#include <cstdint>

#include "program.h"

// Reading and changing single words and cells of the ladder grid.
namespace bdx {

// Grid word that stores operand number n (1-based).
constexpr std::uint16_t OperandNumberCode(int n) {
    return static_cast<std::uint16_t>(NumberBase + n - 1);
}

// 0-based operand index of a number word; accepts the current and the legacy coding.
constexpr int DecodeOperandNumber(std::uint16_t word) {
    return word < NumberBase ? int(word) - LegacyNumberBase : int(word) - NumberBase;
}

// Upper-case letter codes that may stand in a contact position.
bool IsContactLetter(std::uint16_t code);
// Letter codes that may stand in the coil position.
bool IsCoilLetter(std::uint16_t code);
// Any element code of a contact position: normally open, normally closed or clock contact.
bool IsContactCode(std::uint16_t code);
bool IsNormallyClosedCode(std::uint16_t code);

// Code of the same element with the other polarity; other codes come back unchanged.
std::uint16_t NormallyClosedCode(std::uint16_t code);
std::uint16_t NormallyOpenCode(std::uint16_t code);

// Change the polarity of the element whose code word is `cell`; true when the word changed.
bool MakeNormallyClosed(Program& program, int cell);
bool MakeNormallyOpen(Program& program, int cell);

// Text shown for an element: letter (lower case when normally closed, Ø/ø for the
// clock contact) followed by the 1-based operand number.
QString ElementLabel(std::uint16_t code, std::uint16_t numberWord);

// Rewrites the number words of programs from older versions to the current coding.
void ConvertLegacyNumberCodes(LadderGridWords& grid);

// Word index of the junction word of a contact column (0..2) in a line (0..249).
constexpr int JunctionWordIndex(int line, int column) {
    return line * kWordsPerLine + kContactWord[column] + kJunctionWordOffset;
}

// A vertical link from `line` down to the next line at the right of `column`: the down bit
// on the upper junction word and the up bit on the lower one, set or cleared together.
void SetVerticalLink(LadderGridWords& grid, int line, int column);
void ClearVerticalLink(LadderGridWords& grid, int line, int column);

// A junction word with exactly one direction bit leads nowhere.
bool IsImproperJunction(std::uint16_t word);

// Whether `word` is a code that word `wordInLine` (0..11) of a line may hold: an element, a
// number (older codings included), a junction or a coil word as the grid defines them.
bool IsGridCode(int wordInLine, std::uint16_t word);
// Index of the first grid word that holds no such code; -1 when every word does.
int FirstUnknownGridWord(const LadderGridWords& grid);

}  // namespace bdx

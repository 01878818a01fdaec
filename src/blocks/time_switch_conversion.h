#pragma once

#include <QList>
#include <QString>
#include <cstdint>

#include "ladder/program.h"

namespace bdx {

// Value of a day-mask string of "1" and "0" whose rightmost character is Monday.
// Characters other than "1" count as "0"; only the last seven characters count.
std::uint8_t BinaryToDec(const QString& days);
// The seven-character string of a day mask, Sunday first.
QString DecToBinary(std::uint8_t mask);

// Rewrites every configured first-generation time switch block (start day not 0) into
// Time Switch II form: day masks for switching on and off. Flags and times stay.
void ConvertTimeSwitchBlocks(Program& program);

// 1-based numbers of the first-generation blocks that would switch on and off at the same
// moment after conversion: equal ON and OFF times with start day = end day + 1 or days 1..7.
QList<int> UnconvertibleTimeSwitchBlocks(const Program& program);

}  // namespace bdx

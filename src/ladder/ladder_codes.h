#pragma once

#include <cstdint>

// Numeric codes held in the words of the ladder grid.
namespace bdx {

inline constexpr int kLadderLines = 250;
inline constexpr int kWordsPerLine = 12;
inline constexpr int kGridWords = kLadderLines * kWordsPerLine;
inline constexpr int kContactColumns = 3;

// Word positions inside one line.
inline constexpr int kContactWord[kContactColumns] = {0, 3, 6};
inline constexpr int kNumberWordOffset = 1;    // after a contact's code word
inline constexpr int kJunctionWordOffset = 2;  // after a contact's code word
inline constexpr int kCoilFunctionWord = 9;
inline constexpr int kCoilLetterWord = 10;
inline constexpr int kCoilNumberWord = 11;

inline constexpr std::uint16_t CellEmpty = 128;
inline constexpr std::uint16_t CellWire = 133;

inline constexpr std::uint16_t ClockContactOpen = 146;
inline constexpr std::uint16_t ClockContactClosed = 156;
inline constexpr std::uint16_t NormallyClosedShift = 26;
// A normally closed contact code plus this is the lower-case letter shown for it.
inline constexpr int ClosedDisplayShift = 6;

inline constexpr std::uint16_t NumberBase = 210;
inline constexpr std::uint16_t LegacyNumberBase = 49;

// Junction words: 128 plus direction bits.
inline constexpr std::uint16_t JunctionBase = 128;
inline constexpr std::uint16_t JunctionLeft = 1;
inline constexpr std::uint16_t JunctionUp = 2;
inline constexpr std::uint16_t JunctionRight = 4;
inline constexpr std::uint16_t JunctionDown = 8;

// Coil functions.
inline constexpr std::uint16_t CoilNone = 128;
inline constexpr std::uint16_t CoilContactor = 148;  // also the trigger of a soft text message
inline constexpr std::uint16_t CoilImpulse = 149;
inline constexpr std::uint16_t CoilImpulseRetentive = 150;
inline constexpr std::uint16_t CoilSet = 83;  // 'S'
inline constexpr std::uint16_t CoilSetRetentive = 151;
inline constexpr std::uint16_t CoilReset = 82;  // 'R', also the reset input of a block
inline constexpr std::uint16_t CoilResetRetentive = 152;
inline constexpr std::uint16_t CoilTrigger = 84;    // 'T'
inline constexpr std::uint16_t CoilCount = 67;      // 'C'
inline constexpr std::uint16_t CoilDirection = 68;  // 'D'
inline constexpr std::uint16_t CoilEnable = 69;     // 'E'
inline constexpr std::uint16_t CoilResetAll = 65;   // 'A'

}  // namespace bdx

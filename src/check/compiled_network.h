#pragma once

#include <array>
#include <cstdint>

#include "ladder/grid.h"

// The executable form of a ladder program: the grid reduced to three levels of parallel
// groups and series contacts, plus the coil tables that say which last-level group drives
// which coil or block input. The scan engine evaluates these tables on every scan, so they
// are fixed-size arrays only: no allocation, no grid walk.
namespace bdx {

// ---- Signal table indices (Dev IDs) ----

// Size of the signal table: every operand's normally open and normally closed value.
inline constexpr int kSignalCount = 501;
// A horizontal wire in a contact column reads this entry, which every scan sets to 1.
inline constexpr std::uint16_t kWireDevId = 255;

// Where one operand kind sits in the signal table: its normally open entries start at
// `openBase`, its normally closed (inverted) entries at `closedBase`.
struct SignalRange {
    std::uint16_t openCode;  // element code of the normally open contact
    std::uint16_t openBase;
    std::uint16_t closedCode;
    std::uint16_t closedBase;
    std::uint16_t entries;
};

inline constexpr std::array<SignalRange, 17> kSignalRanges = {{
    {'I', 0, 'I' + NormallyClosedShift, 8, 8},
    {'J', 16, 'J' + NormallyClosedShift, 24, 8},
    {'K', 32, 'K' + NormallyClosedShift, 40, 8},
    {'L', 48, 'L' + NormallyClosedShift, 56, 8},
    {'Z', 64, 'Z' + NormallyClosedShift, 68, 4},
    {'T', 72, 'T' + NormallyClosedShift, 88, 16},
    {'C', 104, 'C' + NormallyClosedShift, 120, 16},
    {ClockContactOpen, 136, ClockContactClosed, 152, 16},
    {'Q', 176, 'Q' + NormallyClosedShift, 180, 4},
    {'U', 184, 'U' + NormallyClosedShift, 188, 4},
    {'V', 192, 'V' + NormallyClosedShift, 196, 4},
    {'W', 200, 'W' + NormallyClosedShift, 204, 4},
    {'X', 208, 'X' + NormallyClosedShift, 224, 16},
    {'H', 240, 'H' + NormallyClosedShift, 244, 4},
    {'A', 256, 'A' + NormallyClosedShift, 268, 12},
    {'P', 280, 'P' + NormallyClosedShift, 296, 16},
    {'M', 312, 'M' + NormallyClosedShift, 376, 64},
}};

// The range of the operand kind whose normally open contact has `openCode`.
constexpr const SignalRange& SignalRangeOf(std::uint16_t openCode) {
    for (const SignalRange& range : kSignalRanges) {
        if (range.openCode == openCode) {
            return range;
        }
    }
    return kSignalRanges[0];
}

// Signal index of a contact: the base of its element code plus the 0-based operand number
// (either number coding). A wire reads the constant-1 entry. A code outside the table, and
// an operand number outside the letter's range, give index 0: a damaged grid must never
// lead the scan engine outside its table or into another operand's entries.
constexpr std::uint16_t DevId(std::uint16_t elementCode, std::uint16_t numberWord) {
    if (elementCode == CellWire) {
        return kWireDevId;
    }
    for (const SignalRange& range : kSignalRanges) {
        const bool open = elementCode == range.openCode;
        if (open || elementCode == range.closedCode) {
            const int number = DecodeOperandNumber(numberWord);
            if (number < 0 || number >= range.entries) {
                return 0;
            }
            return static_cast<std::uint16_t>((open ? range.openBase : range.closedBase) + number);
        }
    }
    return 0;
}

// ---- Network tables ----

// Marks a coil-table entry that no group drives, and a group output line never set.
inline constexpr std::uint16_t kUnassigned = 255;

// Bounds of every list. The grid has only 250 lines, so a real program cannot exceed them.
inline constexpr int kMaxRungs = 250;
inline constexpr int kMaxOrGroups = 250;
inline constexpr int kMaxOrInputs = 250;  // shared input list of one level
inline constexpr int kMaxAndEntries = 250;

// Lines of one rung, 0-based, both included.
struct Rung {
    std::uint16_t first = 0;
    std::uint16_t last = 0;

    bool operator==(const Rung&) const = default;
};

struct OrGroup {
    std::uint16_t inputCount = 0;
    std::uint16_t outputLine = kUnassigned;  // 0-based line of the right-going wire

    bool operator==(const OrGroup&) const = default;
};

// One level of parallel groups. The inputs of all groups sit in one list, group after
// group: group g owns the `inputCount` entries that follow those of groups 0..g-1.
// OR1 inputs are Dev IDs, OR2 inputs AND1 numbers, OR3 inputs AND2 numbers.
struct OrTable {
    std::array<OrGroup, kMaxOrGroups> groups{};
    std::uint16_t groupCount = 0;
    std::array<std::uint16_t, kMaxOrInputs> inputs{};
    std::uint16_t inputTotal = 0;

    bool operator==(const OrTable&) const = default;
};

// A contact in series with the group of the previous level that feeds it.
struct AndEntry {
    std::uint16_t line = 0;     // 0-based line of the contact
    std::uint16_t orGroup = 0;  // OR1 group for AND1, OR2 group for AND2
    std::uint16_t devId = 0;    // the contact's signal index

    bool operator==(const AndEntry&) const = default;
};

struct AndTable {
    std::array<AndEntry, kMaxAndEntries> entries{};
    std::uint16_t count = 0;

    bool operator==(const AndTable&) const = default;
};

// ---- Coil tables: the OR3 group driving each coil or block input, or kUnassigned ----

template <std::size_t N>
using CoilTable = std::array<std::uint16_t, N>;

template <std::size_t N>
constexpr CoilTable<N> UnassignedCoils() {
    CoilTable<N> table{};
    table.fill(kUnassigned);
    return table;
}

// Outputs and auxiliary relays: one table per coil kind.
template <std::size_t N>
struct RelayCoils {
    CoilTable<N> contactor = UnassignedCoils<N>();    // "D"
    CoilTable<N> levelChange = UnassignedCoils<N>();  // "P", also the retentive form (M)
    CoilTable<N> set = UnassignedCoils<N>();          // "S", also the retentive form (M)
    CoilTable<N> reset = UnassignedCoils<N>();        // "R", also the retentive form (M)

    bool operator==(const RelayCoils&) const = default;
};

struct TimerCoils {
    CoilTable<16> trigger = UnassignedCoils<16>();  // "TT"
    CoilTable<16> reset = UnassignedCoils<16>();    // "RT"

    bool operator==(const TimerCoils&) const = default;
};

struct CounterCoils {
    CoilTable<16> count = UnassignedCoils<16>();      // "CC"
    CoilTable<16> reset = UnassignedCoils<16>();      // "RC"
    CoilTable<16> direction = UnassignedCoils<16>();  // "DC"

    bool operator==(const CounterCoils&) const = default;
};

struct HourMeterCoils {
    CoilTable<4> enable = UnassignedCoils<4>();    // "EH"
    CoilTable<4> reset = UnassignedCoils<4>();     // "RH"
    CoilTable<4> resetAll = UnassignedCoils<4>();  // "AH"

    bool operator==(const HourMeterCoils&) const = default;
};

struct SoftTextCoils {
    CoilTable<16> trigger = UnassignedCoils<16>();
    CoilTable<16> reset = UnassignedCoils<16>();

    bool operator==(const SoftTextCoils&) const = default;
};

struct CoilTables {
    RelayCoils<4> Q, U, V, W;
    RelayCoils<64> M;
    TimerCoils T;
    CounterCoils C;
    HourMeterCoils H;
    SoftTextCoils X;

    bool operator==(const CoilTables&) const = default;
};

// Everything one compilation produces. A compilation that fails leaves the tables of the
// stages after the failing one as they were: they must not be used.
struct CompiledNetwork {
    std::array<Rung, kMaxRungs> rungs{};
    std::uint16_t rungCount = 0;

    OrTable or1;    // inputs: Dev IDs of column-1 contacts
    AndTable and1;  // column-2 contacts after their OR1 group
    OrTable or2;    // inputs: AND1 numbers
    AndTable and2;  // column-3 contacts after their OR2 group
    OrTable or3;    // inputs: AND2 numbers

    CoilTables coils;

    bool operator==(const CompiledNetwork&) const = default;
};

}  // namespace bdx

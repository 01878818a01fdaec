#pragma once

#include <QString>
#include <optional>

#include "check/compiled_network.h"
#include "ladder/program.h"

namespace bdx {

// Error numbers the user sees in the compile fault box.
namespace CompileError {
inline constexpr int MissingConnection = 1;      // column 1 or 2 wiring, and every search failure
inline constexpr int Column3Connection = 10;     // column 3 wiring without a search
inline constexpr int NoProgram = 50;             // no rung at all
inline constexpr int InsufficientContacts = 51;  // no OR1 group, or no OR2 group
inline constexpr int NoAnd1 = 52;                // no column-2 element compiled
inline constexpr int NoAnd2 = 54;                // no column-3 element compiled
inline constexpr int InsufficientColumn3 = 55;   // no OR3 group
inline constexpr int TableFull = 98;             // a list would outgrow its table
inline constexpr int ImproperJunction = 99;      // a junction with a single direction
}  // namespace CompileError

struct CompileFault {
    int errorNumber = 0;
    int line = 0;  // 1-based, 0 = none
    // The stage's message in the current language, with the line appended where it names one.
    QString message;
};

// Text of the compile fault box: "Error no. :" and the number, a line break, the message.
QString CompileFaultText(const CompileFault& fault);

// Compiles the ladder grid into `network`, stage by stage: fault scan, rung split, OR1,
// AND1, OR2, AND2, OR3, coil assignment. Stops at the first fault and returns it; the
// tables of the stages that ran are filled, the later ones keep their old contents.
//
// Where the wiring rules leave a case open:
// - A rung begins at a non-empty line without up links while no rung is open and ends at
//   the next line without down links. A line that would end a rung while none is open
//   belongs to no rung, and a rung still open after line 250 is dropped.
// - Inputs collected for a group that is abandoned (an empty junction, a right-down corner
//   without a left connection, the end of the rung) are taken back out of the shared input
//   list, so every group owns exactly its count of entries.
// - A junction with the left bit whose element position is empty is not a contact: error 51
//   "There are insufficient contacts in column 1/2." for columns 1 and 2, and 55 with the
//   column-2 text for column 3 (an empty position would otherwise read as I1).
// - An element in column 2 or 3 whose junction on the left is empty or holds no junction
//   code gives the stage's "Left-right connection is missing at line" fault (1 or 10).
// - Error 98 with "Improper connection in one of the column of line" and the line stands
//   for a list that would outgrow its table. Rungs never overlap, so every list holds at
//   most one entry per line and no grid reaches it; it keeps a damaged table from being
//   written past all the same.
// - A coil whose number lies outside its letter's range is ignored like any other pair that
//   has no table; when several coils fill the same entry, the one furthest down wins.
std::optional<CompileFault> CompileNetwork(const Program& program, CompiledNetwork& network);

}  // namespace bdx

#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "block_tables.h"
#include "ladder_codes.h"
#include "operands.h"

namespace bdx {

inline constexpr int kExtensionModules = 3;
inline constexpr int kPrintInfoTexts = 9;
inline constexpr const char* kUntitledFileName = "Untitled.h53";

// Index of the texts in PrintInfo.
namespace PrintInfoText {
inline constexpr int Project = 0, Author = 1, ApprovedBy = 2, Version = 3, Date = 4;
}

using LadderGridWords = std::array<std::uint16_t, kGridWords>;

// The one ladder program the application holds: grid, block tables, comments and
// program-level settings. New, Open, undo and redo replace it as a whole; the editor
// and the block dialogs change it in place.
struct Program {
    LadderGridWords LadderGrid{};
    std::uint16_t ModelIndex = 0;
    std::array<std::uint16_t, kExtensionModules> ExtensionModules{};
    QString ProgramFileName = QString::fromLatin1(kUntitledFileName);
    QString ProgramFilePath;
    std::array<QString, kPrintInfoTexts> PrintInfo;
    std::array<QString, kOperandCommentCount> OperandComments;  // grouped by operand kind
    std::array<QString, kLadderLines> LineComments;

    TimeSwitchTable TimeSwitchParams{};
    TimerTable TimerParams{};
    CounterTable CounterParams{};
    AnalogTable AnalogParams{};
    CompareTable CompareParams{};
    HourMeterTable HourMeterParams{};
    SoftTextTable SoftTextParams{};
    AnalogScalingTable AnalogScalingParams{};
    std::array<std::uint8_t, kSoftTexts> SoftTextUsed{};

    bool ProgramModified = false;

    Program();

    // Comment of operand `index` (0-based) of a kind.
    QString& comment(Operand kind, int index);
    const QString& comment(Operand kind, int index) const;

    std::uint16_t& word(int line, int wordInLine) { return LadderGrid[line * kWordsPerLine + wordInLine]; }
    std::uint16_t word(int line, int wordInLine) const {
        return LadderGrid[line * kWordsPerLine + wordInLine];
    }

    bool operator==(const Program&) const = default;
};

// Empties the program after a failed file read: model 0, no extension modules, the
// initial block values, no texts, "Untitled.h53" with no path.
void ResetProgram(Program& program);

// Empties grid, texts and block tables (to their load defaults); keeps the model,
// extension modules, file name and path.
void ClearProgram(Program& program);

// Block tables as a new program and a file read start from them.
void SetLoadDefaults(Program& program);

}  // namespace bdx

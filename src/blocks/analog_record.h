#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "ladder/program.h"
#include "shell/prompter.h"

// Analog function blocks and the analog scaling of the eight inputs, as their dialogs edit
// them. Refusals are returned; the save that asks a question mid-way takes the Prompter.
namespace bdx {

inline constexpr int kVref = 8;  // second operand: the block's own reference value
inline constexpr int kLowestAnalogValue = -32768;
inline constexpr int kHighestAnalogValue = 32767;
inline constexpr int kAnalogScalingDigits = 5;
// Help the scaling-mismatch question points to.
inline constexpr const char* kAnalogHelpFile = "\\BrantelDeskX.chm";
inline constexpr int kAnalogScalingHelpTopic = 110;

struct AnalogRecord {
    int firstInput = 0;     // 0..7 = V1..V8
    int secondOperand = 0;  // 0..7 = V1..V8, kVref
    int function = 0;       // 0 ">", 1 "<", 2 ">=", 3 "<=", 4 "=", 5 "<>"
    int reference = 0;      // signed count
    int decimalPosition = 0;
    bool locked = false;

    bool operator==(const AnalogRecord&) const = default;
};

struct AnalogScalingRecord {
    int decimalPoint = 0;
    int minimum = 0;
    int maximum = 0;

    bool operator==(const AnalogScalingRecord&) const = default;
};

// Places after the decimal point the analog dialogs offer: 0..4.
inline constexpr int kAnalogDecimalPositions = 5;
// The decimal list of the analog dialogs, index = places: "00000", "0000.0" .. "0.0000".
QStringList AnalogDecimalListTexts();
// A signed count in five digits with `decimals` places: -500 at 2 is "-005.00".
QString AnalogValueText(int count, int decimals);

// "V1".."V8", or "VREF" for kVref.
QString AnalogChannelName(int operand);
// The input lists: "V1 Base" .. "V8  Ext.C"; the second operand's list ends with "VREF".
QStringList AnalogInputListTexts(bool withVref);

AnalogRecord ReadAnalog(const Program& program, int block);
// Writes the record of block 0..11 without any check; the in-use bit stays.
void WriteAnalog(Program& program, int block, const AnalogRecord& record);

// A typed reference beyond the signed 16-bit range becomes the nearest end; other text stays.
QString ClampReferenceEntry(const QString& typed);
// The reference count of the text; nothing when it is no whole number in range.
std::optional<int> ParseAnalogValue(const QString& text);

// Saves block 0..11 in the dialog's order: reference value, scaling consistency (asks),
// extension modules, same input (outside simulation), then record, comment and
// ProgramModified. The reference is the typed `referenceText`; record.reference is not read.
// False, with the program untouched, when the user must correct something or declines.
bool SaveAnalog(Program& program, int block, const AnalogRecord& record, const QString& referenceText,
                const QString& comment, bool simulation, Prompter& prompter);

// Question before leaving a block with unsaved edits; `blockNumber` is 1-based.
QString SaveAnalogQuestion(int blockNumber);

AnalogScalingRecord ReadAnalogScaling(const Program& program, int channel);
void WriteAnalogScaling(Program& program, int channel, const AnalogScalingRecord& record);

// The check while a minimum or maximum is typed: an empty field passes (OK catches it),
// anything else must be a whole number in the signed 16-bit range.
Refusal CheckAnalogScalingEntry(const QString& typed);

// What the scaling dialog holds for one channel.
struct AnalogScalingEntry {
    QString minimum;
    QString maximum;
    int decimalPoint = 0;
};

// OK of the scaling dialog: every channel's values must be valid, then all eight are stored
// and ProgramModified is set.
Refusal SaveAnalogScaling(Program& program, const std::array<AnalogScalingEntry, kAnalogChannels>& entries);

}  // namespace bdx

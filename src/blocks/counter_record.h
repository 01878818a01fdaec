#pragma once

#include <QString>

#include "ladder/program.h"
#include "shell/prompter.h"

// Counter and compare counter records. Block and counter numbers are 0-based (C1 is 0).
//
// The save functions return their refusal, or store the record. `simulating` is true when the
// dialog edits a running simulation's blocks.
namespace bdx {

inline constexpr int kCounterMaxSetPoint = 99999;
inline constexpr int kCounterMaxScaling = 65535;  // Number of Pulses, Desired Display Units
inline constexpr int kCounterMaxDecimalPosition = 4;

struct CounterRecord {
    int setPoint = 0;         // the five digits, 0..99999
    int decimalPosition = 0;  // digits after the decimal point, 0..4
    int pulses = 1;           // "Number of Pulses"
    int displayUnits = 1;     // "Desired Display Units"
    bool retentive = false;
    bool locked = false;
    bool inUse = false;  // read only: the usage scan owns it
    QString comment{};

    bool operator==(const CounterRecord&) const = default;
};

// Reads counter `index`; a digit above 9 reads as 9 and a decimal position above 4 as 4.
CounterRecord DecodeCounter(const Program& program, int index);
// Stores flags (locked, retentive, decimal position), the three numbers as five digits each
// and the comment, and marks the program modified. Nothing is checked here.
void EncodeCounter(Program& program, int index, const CounterRecord& record);
// The dialog's save: refuses more than 42950 pulses per single display unit without
// decimals, holds pulses and units to 65535 (written back into `entry`), refuses zero
// pulses or units outside simulation, then stores.
Refusal SaveCounter(Program& program, int index, CounterRecord& entry, bool simulating);

// The whole-number part of a typed counter value; 0 when it starts with no digit.
int CounterEntryValue(const QString& typed);
// A set point above 99999 becomes "99999"; anything else stays as typed.
QString CorrectSetPointEntry(const QString& typed);
// The five digits with a decimal point before the last `decimalPosition`: 12345 at 2 is "123.45".
QString FormatSetPoint(int setPoint, int decimalPosition);
// "Save Counter 3 ?" for index 2.
QString SaveCounterQuestion(int index);

// Compare functions in the order of the dialog's list.
enum class CompareFunction { Greater, Less, GreaterOrEqual, LessOrEqual, Equal, NotEqual };
inline constexpr int kCompareFunctions = 6;
// ">", "<", ">=", "<=", "=", "<>"; empty outside 0..5.
QString CompareFunctionSymbol(int function);

struct CompareRecord {
    int firstCounter = 0;  // 0..15
    int function = 0;      // CompareFunction as 0..5
    bool constantOperand = true;
    int constant = 0;       // 0..99999, the operand when constantOperand
    int secondCounter = 0;  // 0..15, the operand otherwise
    bool locked = false;
    bool inUse = false;  // read only: the usage scan owns it
    QString comment{};

    bool operator==(const CompareRecord&) const = default;
};

// Reads compare counter `index`; an unknown function code reads as ">".
CompareRecord DecodeCompare(const Program& program, int index);
// Stores the record and marks the program modified. Outside simulation every flag bit but
// the in-use bit starts from zero. Nothing is checked here.
void EncodeCompare(Program& program, int index, const CompareRecord& record, bool simulating);
// The dialog's save: refuses a counter compared with itself, then stores.
Refusal SaveCompare(Program& program, int index, const CompareRecord& entry, bool simulating);
// The question when the user leaves an edited compare counter.
QString SaveCompareQuestion();

}  // namespace bdx

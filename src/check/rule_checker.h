#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "blocks/soft_text_record.h"
#include "ladder/program.h"

// The rule checker: finds what the editor lets a user draw but the device cannot run, and
// lists it in the error list.
namespace bdx {

// What part of a line an error row points at.
namespace ErrorPosition {
inline constexpr int None = 0, Contact = 1, Connection = 2, Coil = 3;
}

struct ErrorRow {
    int line = 0;          // 1-based, 0 none
    int positionKind = 0;  // ErrorPosition
    int column = 0;        // 1..3 for a contact or connection
    QString message;

    bool operator==(const ErrorRow&) const = default;
};

// The four columns of the error list.
QString ErrorRowKind(const ErrorRow& row);      // "Error"
QString ErrorRowLine(const ErrorRow& row);      // "007", or "--" without a line
QString ErrorRowLocation(const ErrorRow& row);  // "Contact-2", "Connection-1", "Coil" or "--"

// Rebuilds the block usage flags, then checks the whole program and returns one row per fault,
// grouped by check in a fixed order. Changes nothing in the program but the usage flags.
// Messages are in the language in force.
std::vector<ErrorRow> RunRuleCheck(Program& program);

// Values embedded in soft text messages: four positions starting with the marker, then the
// source, the block number (analog: input 1..8) and the value shown.
inline constexpr int kDisplayLineLength = kSoftTextLineLength;

struct EmbeddedField {
    int position = 0;  // of the marker, 0..35
    int source = 0;
    int number = 0;
    int parameter = 0;
};

// The embedded fields of message 0..15 in position order. Data cut off by the end of the
// message read as 0.
std::vector<EmbeddedField> EmbeddedFields(const Program& program, int message);

// Characters the field's value takes on the display, marker positions included; 0 for a field
// the display cannot show. A value is as wide as its block's settings make it: counters and
// analog inputs gain a decimal point, hour meters show 999.99, 9999.9 or 99999 by resolution.
int EmbeddedFieldWidth(const Program& program, const EmbeddedField& field);

}  // namespace bdx

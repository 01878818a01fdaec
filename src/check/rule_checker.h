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

// Embedded fields (EmbeddedFields, EmbeddedFieldWidth) are read with the soft text record.
inline constexpr int kDisplayLineLength = kSoftTextLineLength;

}  // namespace bdx

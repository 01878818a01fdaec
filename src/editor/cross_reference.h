#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "ladder/program.h"

// Where each operand of a program is used: as a normally open or closed contact, or as a coil
// with its function, line by line.
namespace bdx {

struct CrossReferenceRow {
    enum class Use { ContactOpen, ContactClosed, Coil };

    Operand kind = Operand::I;
    int number = 1;  // 1-based operand number
    Use use = Use::ContactOpen;
    std::uint16_t function = 0;  // the coil function word; 0 for contacts
    std::vector<int> lines;      // 1-based ladder lines, ascending, each once

    bool operator==(const CrossReferenceRow&) const = default;
};

// One row per operand, use and coil function, in operand order (the order of the comment
// table), then by number, contacts before coils. Number words outside an operand's range are
// left out: they name no operand.
std::vector<CrossReferenceRow> CrossReference(const Program& program);

enum CrossReferenceColumn { XrefOperand, XrefUse, XrefLines, XrefComment, XrefColumnCount };

// The texts of one row in the table's column order, in the given language.
QStringList CrossReferenceCells(const Program& program, const CrossReferenceRow& row, int languageOffset);
// The column headings in the given language.
QStringList CrossReferenceHeadings(int languageOffset);

// The whole table as plain text: headings, then one tab-separated row per line.
QString CrossReferenceText(const Program& program, int languageOffset);

}  // namespace bdx

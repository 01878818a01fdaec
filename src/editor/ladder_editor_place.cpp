// The editor's faster ways to place an operand: the toolbox's click, a drop and typed text all
// end in PlaceOperand, so they follow the same rules and each is one undo step.
#include <QStringList>
#include <algorithm>

#include "ladder/grid.h"
#include "ladder_editor.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    ReplacedNote = 8014,
    WiredNote = 8015,
};

bool joinsLineAbove(const Program& program, int line, int column) {
    const std::uint16_t word = program.LadderGrid[JunctionWordIndex(line, column)];
    constexpr std::uint16_t kBits = JunctionLeft | JunctionUp | JunctionRight | JunctionDown;
    return line > 0 && (word & ~kBits) == JunctionBase && (word & JunctionUp) != 0;
}

}  // namespace

bool LadderEditor::PlaceOperand() {
    const Program before = program();
    const GridPosition target = selection_;
    const bool placed = placeSelected();
    if (placed) {
        const QString note = placementNote(before, target);
        if (!note.isEmpty()) {
            Q_EMIT placementNoted(note);
        }
    }
    return placed;
}

bool LadderEditor::PlaceChosen(std::uint16_t code, std::uint16_t numberWord,
                               std::optional<std::uint16_t> coilFunction) {
    // An operand is always placed with the selection tool.
    setEditTool(kSelectionTool);
    setPlacement(code, numberWord);
    placeFunction_ = coilFunction;
    const bool placed = PlaceOperand();
    placeFunction_.reset();
    return placed;
}

GridPosition LadderEditor::TypedTarget(const GridPosition& selection, bool coilFunction) {
    GridPosition target = selection;
    if (coilFunction) {
        target.kind = SelectionKinds::Coil;
    } else if (selection.kind == SelectionKinds::Junction) {
        if (selection.column + 1 < kContactColumns) {
            target.kind = SelectionKinds::Contact;
            target.column = selection.column + 1;
        } else {
            target.kind = SelectionKinds::Coil;
        }
    }
    if (target.kind == SelectionKinds::Coil) {
        target.column = 0;
    }
    return target;
}

TypedPlacement LadderEditor::PlaceTyped(const QString& text) {
    TypedPlacement result;
    if (!mayEdit()) {
        return result;
    }
    // Whether the text asks for a coil by its function letter decides the target, and the
    // target decides whether a plain letter is a contact or a coil.
    const TypedParse asContact = ParseTypedOperand(text, false, program());
    const bool asksForCoil = asContact.operand && asContact.operand->coil;
    const GridPosition target = TypedTarget(selection_, asksForCoil);
    const TypedParse parse = ParseTypedOperand(text, target.kind == SelectionKinds::Coil, program());
    if (!parse.operand) {
        result.refusal = parse.refusal;
        return result;
    }
    const TypedOperand& operand = *parse.operand;
    select(target);
    if (!PlaceChosen(operand.code, operand.number, operand.coilFunction)) {
        // The same operand already in place changes nothing; it still counts as placed.
        const int cell = CurrentCell();
        result.placed = program().LadderGrid[cell] == operand.code &&
                        program().LadderGrid[cell + kNumberWordOffset] == operand.number;
        if (!result.placed) {
            return result;
        }
    }
    result.placed = true;
    const int nextLine = std::min(target.line + 1, kLadderLines - 1);
    if (target.kind == SelectionKinds::Coil || joinsLineAbove(program(), target.line, target.column)) {
        select(GridPosition{SelectionKinds::Contact, nextLine, 0});
    } else {
        select(GridPosition{SelectionKinds::Junction, target.line, target.column});
    }
    return result;
}

QString LadderEditor::placementNote(const Program& before, const GridPosition& target) const {
    QStringList notes;
    const int cell = CellOf(target);
    const std::uint16_t oldCode = before.LadderGrid[cell];
    const std::uint16_t oldNumber = before.LadderGrid[cell + kNumberWordOffset];
    const std::uint16_t newCode = program().LadderGrid[cell];
    const std::uint16_t newNumber = program().LadderGrid[cell + kNumberWordOffset];
    const bool occupied = target.kind == SelectionKinds::Coil ? IsCoilLetter(oldCode) : IsContactCode(oldCode);
    if (occupied && (oldCode != newCode || oldNumber != newNumber)) {
        notes << LoadText(ReplacedNote)
                     .arg(target.line + 1)
                     .arg(ElementLabel(oldCode, oldNumber), ElementLabel(newCode, newNumber));
    }
    if (target.kind == SelectionKinds::Coil) {
        for (const int contactWord : kContactWord) {
            const int word = target.line * kWordsPerLine + contactWord;
            if (before.LadderGrid[word] == CellEmpty && program().LadderGrid[word] == CellWire) {
                notes << LoadText(WiredNote).arg(target.line + 1);
                break;
            }
        }
    }
    return notes.join(QStringLiteral("  "));
}

}  // namespace bdx

#pragma once

#include "blocks/soft_text_record.h"
#include "ladder/grid.h"
#include "ladder/program.h"

namespace bdx {

// Draws ladder grids the way the editor does. Lines and columns count from 1.
struct Ladder {
    Program p;

    explicit Ladder(int model = 8) { p.ModelIndex = static_cast<std::uint16_t>(model); }

    std::uint16_t& word(int line, int w) { return p.word(line - 1, w); }
    std::uint16_t& junction(int line, int column) { return word(line, kContactWord[column - 1] + 2); }

    // The junction gets the left bit, the one before it the right bit; a contact in column 3 of a
    // line whose column 2 is empty gets a wire there.
    Ladder& contact(int line, int column, std::uint16_t code, int n, bool closed = false) {
        const int at = kContactWord[column - 1];
        word(line, at) = closed ? NormallyClosedCode(code) : code;
        word(line, at + 1) = OperandNumberCode(n);
        junction(line, column) |= JunctionLeft;
        if (column > 1) {
            const bool upLink = junction(line, column - 1) & JunctionUp;
            junction(line, column - 1) |= upLink ? JunctionRight : JunctionLeft | JunctionRight;
            if (column == 3 && !upLink && word(line, 4) == CellEmpty) {  // column 2 becomes a wire
                word(line, 3) = word(line, 4) = CellWire;
                junction(line, 1) |= junction(line, 1) & JunctionUp ? 0 : JunctionLeft | JunctionRight;
            }
        }
        return *this;
    }
    // The wire tool, columns 2 and 3: places a wire, or takes one away and leaves the bits.
    Ladder& wire(int line, int column) {
        const int at = kContactWord[column - 1];
        const bool place = word(line, at) == CellEmpty;
        word(line, at) = word(line, at + 1) = place ? CellWire : CellEmpty;
        if (place) {
            junction(line, column - 1) |= JunctionRight;
            junction(line, column) |= JunctionLeft;
        }
        return *this;
    }
    Ladder& link(int line, int column) {  // down from `line`, right of `column`
        SetVerticalLink(p.LadderGrid, line - 1, column - 1);
        return *this;
    }
    Ladder& join(int line) {  // column 3 on to the coil
        junction(line, 3) |= JunctionRight;
        return *this;
    }
    // Kind 0: the input that drives the block; a contactor for relays and messages.
    Ladder& coil(int line, char letter, int n, std::uint16_t kind = 0) {
        const std::uint16_t driver = letter == 'C'   ? CoilCount
                                     : letter == 'H' ? CoilEnable
                                     : letter == 'T' ? CoilTrigger
                                                     : CoilContactor;
        word(line, kCoilFunctionWord) = kind != 0 ? kind : driver;
        word(line, kCoilLetterWord) = static_cast<std::uint16_t>(letter);
        word(line, kCoilNumberWord) = OperandNumberCode(n);
        return *this;
    }
    // An embedded field in message `message` (from 1) at `position`: marker, source, block
    // number, value shown.
    Ladder& embed(int message, int position, int source, int number, int parameter) {
        auto& text = p.SoftTextParams[message - 1];
        text[position] = kEmbeddedDataMarker;
        text[position + 1] = static_cast<std::uint8_t>(source);
        text[position + 2] = static_cast<std::uint8_t>(number);
        text[position + 3] = static_cast<std::uint8_t>(parameter);
        return *this;
    }
    // A contact, wires through columns 2 and 3, and a coil.
    Ladder& rung(int line, std::uint16_t code, int n, char letter, int coilN, std::uint16_t kind = 0,
                 bool closed = false) {
        return contact(line, 1, code, n, closed)
            .wire(line, 2)
            .wire(line, 3)
            .join(line)
            .coil(line, letter, coilN, kind);
    }
};

}  // namespace bdx

#include "full_program.h"

#include <utility>
#include <vector>

#include "ladder/grid.h"

namespace bdx::bench {

namespace {

// Places elements with the ladder editor's rules, so the junction words are those a user draws.
class Drawing {
  public:
    explicit Drawing(Program& program) : p_(program) {}

    void contact(int line, int column, std::uint16_t code, int number) {
        const int at = line * kWordsPerLine + kContactWord[column];
        grid()[at] = code;
        grid()[at + 1] = OperandNumberCode(number);
        grid()[at + 2] |= JunctionLeft;
        if (column > 0) {
            std::uint16_t& left = grid()[at - 1];
            left |= (left & JunctionUp) ? JunctionRight : JunctionLeft | JunctionRight;
        }
    }
    void link(int line, int column) { SetVerticalLink(grid(), line, column); }
    void toCoil(int line) { grid()[JunctionWordIndex(line, 2)] |= JunctionRight; }
    void coil(int line, char letter, std::uint16_t kind, int number) {
        const int at = line * kWordsPerLine;
        grid()[at + kCoilFunctionWord] = kind;
        grid()[at + kCoilLetterWord] = static_cast<std::uint16_t>(letter);
        grid()[at + kCoilNumberWord] = OperandNumberCode(number);
    }

  private:
    LadderGridWords& grid() { return p_.LadderGrid; }
    Program& p_;
};

}  // namespace

Program FullProgram() {
    const std::vector<std::uint16_t> contacts = {
        'I', 'J', 'K', 'L', 'Z', 'T', 'C', ClockContactOpen, 'Q', 'U', 'V', 'W', 'X', 'H', 'A', 'P', 'M'};
    const std::vector<std::pair<char, std::uint16_t>> coils = {
        {'Q', 148}, {'Q', 149}, {'Q', 83},  {'Q', 82},  {'U', 148}, {'U', 149}, {'U', 83},
        {'U', 82},  {'V', 148}, {'V', 149}, {'V', 83},  {'V', 82},  {'W', 148}, {'W', 149},
        {'W', 83},  {'W', 82},  {'M', 148}, {'M', 149}, {'M', 150}, {'M', 83},  {'M', 151},
        {'M', 82},  {'M', 152}, {'T', 84},  {'T', 82},  {'C', 67},  {'C', 82},  {'C', 68},
        {'H', 69},  {'H', 82},  {'H', 65},  {'X', 148}, {'X', 82},
    };
    Program program;
    Drawing d(program);
    int element = 0;
    for (int top = 0; top < kLadderLines; top += 2) {
        for (int column = 0; column < kContactColumns; ++column) {
            for (int line = top; line < top + 2; ++line, ++element) {
                std::uint16_t code = contacts[element % contacts.size()];
                if (element % 3 == 0) {
                    code = NormallyClosedCode(code);
                }
                d.contact(line, column, code, 1 + element % 4);
                if (line == top) {
                    d.link(top, column);
                }
            }
        }
        for (int line = top; line < top + 2; ++line) {
            d.toCoil(line);
            const auto& [letter, kind] = coils[line % coils.size()];
            d.coil(line, letter, kind, 1 + (line / int(coils.size())) % 4);
        }
    }
    return program;
}

}  // namespace bdx::bench

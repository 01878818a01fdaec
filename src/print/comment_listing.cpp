#include "comment_listing.h"

#include <array>
#include <vector>

#include "ladder/grid.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

struct KindGroup {
    int textId;
    const char* subHeading;  // English, padded as the listing has always printed it
    std::vector<Operand> kinds;
};

// Which operands of each kind appear in the grid, as a contact or as a coil.
using UsedOperands = std::array<std::vector<bool>, kOperandKinds>;

void markUse(UsedOperands& used, std::optional<Operand> kind, std::uint16_t numberWord) {
    if (!kind) {
        return;
    }
    const int index = DecodeOperandNumber(numberWord);
    if (index >= 0 && index < operandInfo(*kind).count) {
        used[static_cast<int>(*kind)][index] = true;
    }
}

UsedOperands usedOperands(const Program& program) {
    UsedOperands used;
    for (const OperandInfo& info : kOperandTable) {
        used[static_cast<int>(info.kind)].assign(info.count, false);
    }
    for (int line = 0; line < kLadderLines; ++line) {
        for (const int word : kContactWord) {
            const std::uint16_t code = program.word(line, word);
            if (IsContactCode(code)) {
                markUse(used, OperandForCode(code), program.word(line, word + kNumberWordOffset));
            }
        }
        const std::uint16_t coil = program.word(line, kCoilLetterWord);
        if (IsCoilLetter(coil)) {
            markUse(used, OperandForCode(coil), program.word(line, kCoilNumberWord));
        }
    }
    return used;
}

QString operandName(Operand kind, int index) {
    const QString prefix =
        kind == Operand::Clock ? QStringLiteral("RTC") : QString(QChar::fromLatin1(operandInfo(kind).letter));
    return prefix + QString::number(index + 1);
}

// The text in the chosen language with the English text's trailing blanks.
QString padded(int textId, const char* english) {
    const QString text = QString::fromLatin1(english);
    qsizetype blanks = 0;
    while (blanks < text.size() && text[text.size() - 1 - blanks] == u' ') {
        ++blanks;
    }
    return LoadText(textId) + QString(blanks, u' ');
}

}  // namespace

PrintPages CommentListing(const Program& program) {
    static const KindGroup kGroups[] = {
        {8512, "Inputs                 ", {Operand::I, Operand::J, Operand::K, Operand::L}},
        {8513, "Outputs              ", {Operand::Q, Operand::U, Operand::V, Operand::W}},
        {8514, "Auxiliary Relay      ", {Operand::M}},
        {8515, "Timers               ", {Operand::T}},
        {8516, "Counters             ", {Operand::C}},
        {8517, "Compare Counters     ", {Operand::P}},
        {8518, "Analog Function      ", {Operand::A}},
        {8519, "Time Switch          ", {Operand::Clock}},
        {8536, "Soft Text Message Box", {Operand::X}},
        {8537, "Z - Keys             ", {Operand::Z}},
        {8538, "Hour Meter             ", {Operand::H}},
    };
    const UsedOperands used = usedOperands(program);

    QStringList body;
    for (const KindGroup& group : kGroups) {
        bool headed = false;
        for (Operand kind : group.kinds) {
            for (int index = 0; index < operandInfo(kind).count; ++index) {
                if (!used[static_cast<int>(kind)][index]) {
                    continue;
                }
                if (!headed) {
                    body << padded(group.textId, group.subHeading);
                    headed = true;
                }
                body << operandName(kind, index) + QStringLiteral(" - ") + program.comment(kind, index);
            }
        }
    }
    bool linesHeaded = false;
    for (int line = 0; line < kLadderLines; ++line) {
        QString comment = program.LineComments[line];
        if (comment.isEmpty()) {
            continue;
        }
        if (!linesHeaded) {
            body << padded(8539, "Program Lines           ");
            linesHeaded = true;
        }
        // A comment written over several lines prints as one listing line.
        comment.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        body << LoadText(8540).arg(line + 1) + comment;
    }
    if (body.isEmpty()) {
        return {};
    }
    PageFrame frame(HeaderTextsOf(program));
    frame.printHeading(LoadText(4152));
    for (const QString& line : body) {
        frame.printLine(line);
    }
    return frame.pages();
}

}  // namespace bdx

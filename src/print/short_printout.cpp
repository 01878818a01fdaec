#include "short_printout.h"

#include "ladder/grid.h"

namespace bdx {

namespace {

constexpr int kContactCellWidth = 14;
constexpr int kCoilCellWidth = 27;
const QChar kWire = QLatin1Char('-');
const QChar kBlank = QLatin1Char(' ');

QString contactCell(std::uint16_t code, std::uint16_t numberWord) {
    if (code == CellWire) {
        return QString(kContactCellWidth, kWire);
    }
    if (IsContactCode(code)) {
        return (QStringLiteral("--[") + ElementLabel(code, numberWord) + QLatin1Char(']'))
            .leftJustified(kContactCellWidth, kWire);
    }
    return QString(kContactCellWidth, kBlank);
}

// Two characters: the joint itself ("+" where a vertical link meets it) and the wire on to the right.
QString junctionCell(std::uint16_t word) {
    const int bits = word >= JunctionBase && word < JunctionBase + 16 ? word - JunctionBase : 0;
    const bool vertical = (bits & (JunctionUp | JunctionDown)) != 0;
    const bool horizontal = (bits & (JunctionLeft | JunctionRight)) != 0;
    QString cell;
    cell += vertical ? QLatin1Char('+') : horizontal ? kWire : kBlank;
    cell += (bits & JunctionRight) != 0 ? kWire : kBlank;
    return cell;
}

QString coilTag(std::uint16_t function) {
    switch (function) {
        case CoilImpulse:
            return QStringLiteral("L ");
        case CoilImpulseRetentive:
            return QStringLiteral("L* ");
        case CoilSet:
            return QStringLiteral("S ");
        case CoilSetRetentive:
            return QStringLiteral("S* ");
        case CoilReset:
            return QStringLiteral("R ");
        case CoilResetRetentive:
            return QStringLiteral("R* ");
        case CoilTrigger:
            return QStringLiteral("T ");
        case CoilCount:
            return QStringLiteral("C ");
        case CoilDirection:
            return QStringLiteral("D ");
        case CoilEnable:
            return QStringLiteral("E ");
        case CoilResetAll:
            return QStringLiteral("A ");
        default:
            return {};
    }
}

}  // namespace

QString ShortPrintoutLine(const Program& program, int line) {
    QString text = QStringLiteral("%1 |").arg(line + 1, 3, 10, QLatin1Char('0'));
    std::uint16_t lastJunction = CellEmpty;
    for (const int word : kContactWord) {
        lastJunction = program.word(line, word + kJunctionWordOffset);
        text += contactCell(program.word(line, word), program.word(line, word + kNumberWordOffset));
        text += junctionCell(lastJunction);
    }
    const std::uint16_t letter = program.word(line, kCoilLetterWord);
    if (IsCoilLetter(letter)) {
        const bool fed = lastJunction >= JunctionBase && ((lastJunction - JunctionBase) & JunctionRight) != 0;
        const QString coil = QLatin1Char('(') + coilTag(program.word(line, kCoilFunctionWord)) +
                             ElementLabel(letter, program.word(line, kCoilNumberWord)) + QLatin1Char(')');
        text += coil.rightJustified(kCoilCellWidth, fed ? kWire : kBlank);
    }
    return text.leftJustified(kShortPrintoutLineLength, kBlank, true);
}

PrintPages ShortPrintout(const Program& program) {
    PageFrame frame(HeaderTextsOf(program));
    for (int first = 0; first < kLadderLines; first += kShortPrintoutBlockLines) {
        frame.beginPage();
        frame.printLine(QString());
        for (int line = first; line < first + kShortPrintoutBlockLines; ++line) {
            frame.printLine(ShortPrintoutLine(program, line));
        }
    }
    return frame.pages();
}

}  // namespace bdx

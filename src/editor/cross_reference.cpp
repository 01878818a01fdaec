#include "cross_reference.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "editor/coil_menu.h"
#include "ladder/grid.h"
#include "shell/language_table.h"

namespace bdx {

namespace {

enum TextId {
    RetentiveText = 4285,
    OperandHeading = 8102,
    UseHeading = 8103,
    LinesHeading = 8104,
    CommentHeading = 8105,
    ContactOpenText = 8106,
    ContactClosedText = 8107,
    CoilText = 8108,
};

// Coil functions in the order a reader expects them: what drives the coil or block first,
// resets after; words no editor writes last.
int functionRank(std::uint16_t function) {
    static constexpr std::uint16_t kOrder[] = {CoilContactor, CoilImpulse, CoilImpulseRetentive, CoilSet,
                                               CoilSetRetentive, CoilTrigger, CoilCount, CoilDirection,
                                               CoilEnable, CoilReset, CoilResetRetentive, CoilResetAll};
    const auto* found = std::find(std::begin(kOrder), std::end(kOrder), function);
    return static_cast<int>(found - std::begin(kOrder));
}

using Key = std::tuple<int, int, int, int, std::uint16_t>;  // kind, number, use, rank, function

void addUse(std::map<Key, std::vector<int>>& uses, Operand kind, std::uint16_t numberWord,
            CrossReferenceRow::Use use, std::uint16_t function, int line) {
    const int index = DecodeOperandNumber(numberWord);
    if (index < 0 || index >= operandInfo(kind).count) {
        return;
    }
    std::vector<int>& lines = uses[Key{static_cast<int>(kind), index + 1, static_cast<int>(use), functionRank(function), function}];
    if (lines.empty() || lines.back() != line) {
        lines.push_back(line);
    }
}

// The retentive coil functions share their caption with the plain ones.
std::uint16_t plainFunction(std::uint16_t function) {
    switch (function) {
        case CoilImpulseRetentive:
            return CoilImpulse;
        case CoilSetRetentive:
            return CoilSet;
        case CoilResetRetentive:
            return CoilReset;
        default:
            return function;
    }
}

QString coilFunctionName(char letter, std::uint16_t function, int languageOffset) {
    const std::uint16_t plain = plainFunction(function);
    for (const CoilMenuEntry& entry : CoilMenuEntries(letter, languageOffset)) {
        if (entry.kind == CoilMenuEntry::Kind::Function && entry.code == plain) {
            QString name = entry.caption;
            name.remove(QLatin1Char('&'));
            if (plain != function) {
                name += QStringLiteral(" (") + LoadText(RetentiveText, languageOffset) + QLatin1Char(')');
            }
            return name;
        }
    }
    return QString::number(function);  // a word the coil menu never writes
}

std::uint16_t operandCode(Operand kind) {
    const char letter = operandInfo(kind).letter;
    return letter != 0 ? static_cast<std::uint16_t>(letter) : ClockContactOpen;
}

}  // namespace

std::vector<CrossReferenceRow> CrossReference(const Program& program) {
    std::map<Key, std::vector<int>> uses;
    for (int line = 0; line < kLadderLines; ++line) {
        for (const int word : kContactWord) {
            const std::uint16_t code = program.word(line, word);
            if (!IsContactCode(code)) {
                continue;
            }
            if (const auto kind = OperandForCode(code)) {
                addUse(uses, *kind, program.word(line, word + kNumberWordOffset),
                       IsNormallyClosedCode(code) ? CrossReferenceRow::Use::ContactClosed
                                                  : CrossReferenceRow::Use::ContactOpen,
                       0, line + 1);
            }
        }
        const std::uint16_t letter = program.word(line, kCoilLetterWord);
        if (IsCoilLetter(letter)) {
            if (const auto kind = OperandForCode(letter)) {
                addUse(uses, *kind, program.word(line, kCoilNumberWord), CrossReferenceRow::Use::Coil,
                       program.word(line, kCoilFunctionWord), line + 1);
            }
        }
    }
    std::vector<CrossReferenceRow> rows;
    rows.reserve(uses.size());
    for (const auto& entry : uses) {
        CrossReferenceRow row;
        row.kind = static_cast<Operand>(std::get<0>(entry.first));
        row.number = std::get<1>(entry.first);
        row.use = static_cast<CrossReferenceRow::Use>(std::get<2>(entry.first));
        row.function = std::get<4>(entry.first);
        row.lines = entry.second;
        rows.push_back(std::move(row));
    }
    return rows;
}

QStringList CrossReferenceCells(const Program& program, const CrossReferenceRow& row, int languageOffset) {
    const std::uint16_t numberWord = OperandNumberCode(row.number);
    QString use;
    switch (row.use) {
        case CrossReferenceRow::Use::ContactOpen:
            use = LoadText(ContactOpenText, languageOffset);
            break;
        case CrossReferenceRow::Use::ContactClosed:
            use = LoadText(ContactClosedText, languageOffset);
            break;
        case CrossReferenceRow::Use::Coil:
            use = LoadText(CoilText, languageOffset)
                      .arg(coilFunctionName(operandInfo(row.kind).letter, row.function, languageOffset));
            break;
    }
    QStringList lines;
    for (const int line : row.lines) {
        lines << QString::number(line);
    }
    return {ElementLabel(operandCode(row.kind), numberWord), use, lines.join(QStringLiteral(", ")),
            program.comment(row.kind, row.number - 1)};
}

QStringList CrossReferenceHeadings(int languageOffset) {
    return {LoadText(OperandHeading, languageOffset), LoadText(UseHeading, languageOffset),
            LoadText(LinesHeading, languageOffset), LoadText(CommentHeading, languageOffset)};
}

QString CrossReferenceText(const Program& program, int languageOffset) {
    QString text = CrossReferenceHeadings(languageOffset).join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const CrossReferenceRow& row : CrossReference(program)) {
        text += CrossReferenceCells(program, row, languageOffset).join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

}  // namespace bdx

#include "program.h"

#include <algorithm>

namespace bdx {

namespace {

void clearTexts(Program& program) {
    program.PrintInfo.fill(QString());
    program.OperandComments.fill(QString());
    program.LineComments.fill(QString());
}

template <typename Table>
void zero(Table& table) {
    for (auto& row : table) {
        row.fill(0);
    }
}

void zeroAllTables(Program& p) {
    zero(p.TimeSwitchParams);
    zero(p.TimerParams);
    zero(p.CounterParams);
    zero(p.AnalogParams);
    zero(p.CompareParams);
    zero(p.HourMeterParams);
    zero(p.SoftTextParams);
    zero(p.AnalogScalingParams);
    p.SoftTextUsed.fill(0);
}

constexpr std::uint8_t kBlankCharacter = ' ';
constexpr std::uint8_t kNoAnalogOperands = 128;

}  // namespace

Program::Program() {
    ClearProgram(*this);
}

QString& Program::comment(Operand kind, int index) {
    return OperandComments[operandInfo(kind).commentIndex + index];
}

const QString& Program::comment(Operand kind, int index) const {
    return OperandComments[operandInfo(kind).commentIndex + index];
}

void SetLoadDefaults(Program& p) {
    zeroAllTables(p);
    // Scaling pair 1 pulse : 1 display unit, so a fresh counter counts one by one.
    for (auto& counter : p.CounterParams) {
        counter[CounterField::Pulses + 4] = 1;
        counter[CounterField::DisplayUnits + 4] = 1;
    }
    for (auto& analog : p.AnalogParams) {
        analog[AnalogField::RefLow] = 0;
        analog[AnalogField::Operands] = kNoAnalogOperands;
    }
    for (auto& message : p.SoftTextParams) {
        message.fill(kBlankCharacter);
    }
}

void ClearProgram(Program& p) {
    p.LadderGrid.fill(CellEmpty);
    clearTexts(p);
    SetLoadDefaults(p);
}

void ResetProgram(Program& p) {
    p.ModelIndex = 0;
    p.LadderGrid.fill(CellEmpty);
    p.ExtensionModules.fill(0);
    zeroAllTables(p);
    for (auto& analog : p.AnalogParams) {
        analog[AnalogField::RefLow] = 128;
        analog[AnalogField::Operands] = 128;
    }
    for (auto& compare : p.CompareParams) {
        compare[CompareField::Flags] = 128;
    }
    clearTexts(p);
    p.ProgramFileName = QString::fromLatin1(kUntitledFileName);
    p.ProgramFilePath.clear();
}

}  // namespace bdx

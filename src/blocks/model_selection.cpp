#include "model_selection.h"

#include <QStringList>
#include <algorithm>

#include "device_model.h"
#include "shell/language_table.h"
#include "time_switch_conversion.h"

namespace bdx {

namespace {

enum TextId {
    NotCompatibleWithFirstGeneration = 206,
    RemoveTimeSwitchBlocks = 207,
    NotCompatibleWithSecondGeneration = 208,
    BackupProgram = 209,
    ModifyProgramQuestion = 210,
    ExistingBlocks = 211,
    CannotBeModified = 212,
    CheckAndReconfigure = 213,
};

const QString kLineBreak = QStringLiteral("\r\n");

bool anyTimeSwitchInUse(const Program& program) {
    return std::any_of(program.TimeSwitchParams.begin(), program.TimeSwitchParams.end(),
                       [](const auto& block) { return (block[TimeSwitchField::Flags] & kFlagInUse) != 0; });
}

QString joinBlockNumbers(const QList<int>& blocks) {
    QStringList numbers;
    for (int n : blocks) {
        numbers << QString::number(n);
    }
    return numbers.join(QStringLiteral(" ,"));
}

// What the time switch blocks allow, after asking the user; the conversion itself is left to
// the caller so that an undo point can be taken before the blocks change.
enum class TimeSwitchVerdict { Refused, GoAhead, Convert };

TimeSwitchVerdict timeSwitchVerdict(const Program& program, int chosenModel, const QString& chosenModelCode,
                                    Prompter& prompter) {
    if (!anyTimeSwitchInUse(program)) {
        return TimeSwitchVerdict::GoAhead;
    }
    const QList<int> unconvertible = UnconvertibleTimeSwitchBlocks(program);
    if (!unconvertible.isEmpty()) {
        const QString text = LoadText(ExistingBlocks) + QStringLiteral(" (") +
                             joinBlockNumbers(unconvertible) + QStringLiteral(") ") +
                             LoadText(CannotBeModified) + kLineBreak + LoadText(CheckAndReconfigure);
        if (!prompter.askYesNo(text, MessageIcon::Information)) {
            return TimeSwitchVerdict::Refused;
        }
    }
    const bool currentAdvanced = AdvancedTimeSwitch(program.ModelIndex);
    const bool chosenAdvanced = chosenModel >= 8;
    if (chosenAdvanced && !currentAdvanced) {
        const QString text = LoadText(NotCompatibleWithSecondGeneration) + QStringLiteral(" (") +
                             chosenModelCode + QStringLiteral(") ") + kLineBreak + LoadText(BackupProgram) +
                             kLineBreak + LoadText(ModifyProgramQuestion);
        return prompter.askYesNo(text, MessageIcon::Information) ? TimeSwitchVerdict::Convert
                                                                 : TimeSwitchVerdict::Refused;
    }
    if (!chosenAdvanced && currentAdvanced) {
        prompter.inform(LoadText(NotCompatibleWithFirstGeneration) + QStringLiteral(" (") + chosenModelCode +
                        QStringLiteral(") ") + kLineBreak + LoadText(RemoveTimeSwitchBlocks));
        return TimeSwitchVerdict::Refused;
    }
    return TimeSwitchVerdict::GoAhead;
}

}  // namespace

bool CheckTimeSwitchCompatibility(Program& program, int chosenModel, const QString& chosenModelCode,
                                  Prompter& prompter) {
    const TimeSwitchVerdict verdict = timeSwitchVerdict(program, chosenModel, chosenModelCode, prompter);
    if (verdict == TimeSwitchVerdict::Convert) {
        ConvertTimeSwitchBlocks(program);
    }
    return verdict != TimeSwitchVerdict::Refused;
}

bool ApplyModelSelection(Program& program, const ModelSelection& selection, Prompter& prompter) {
    const std::optional<int> chosen = ModelIndexForDialogRow(selection.row);
    const int chosenModel = chosen.value_or(program.ModelIndex);

    bool changes = chosenModel != program.ModelIndex;
    for (int i = 0; i < kExtensionModules; ++i) {
        changes = changes || selection.extensions[i] != (program.ExtensionModules[i] != 0);
    }

    TimeSwitchVerdict verdict = TimeSwitchVerdict::GoAhead;
    if (program.ModelIndex < 8) {
        const QString code = chosen ? LoadText(kModelDialogRows[selection.row - 1].modelCodeId) : QString();
        verdict = timeSwitchVerdict(program, chosenModel, code, prompter);
        if (verdict == TimeSwitchVerdict::Refused) {
            return false;
        }
    }
    // A refusal above leaves the program exactly as it was, not even marked modified.
    if (changes) {
        program.ProgramModified = true;
    }
    if (verdict == TimeSwitchVerdict::Convert) {
        ConvertTimeSwitchBlocks(program);
    }
    program.ModelIndex = static_cast<std::uint16_t>(chosenModel);
    for (int i = 0; i < kExtensionModules; ++i) {
        program.ExtensionModules[i] = selection.extensions[i] ? 1 : 0;
    }
    return true;
}

}  // namespace bdx

#pragma once

#include <QString>
#include <array>

#include "ladder/program.h"
#include "shell/prompter.h"

namespace bdx {

// Whether the program's time switch blocks allow a change to `chosenModel`; asks the user
// and converts the blocks when they agree. `chosenModelCode` names the model in the messages.
bool CheckTimeSwitchCompatibility(Program& program, int chosenModel, const QString& chosenModelCode,
                                  Prompter& prompter);

// What the user picked in the model dialog: grid row 1..4 (another value picks no model)
// and the extension module boxes A, B, C.
struct ModelSelection {
    int row = 0;
    std::array<bool, kExtensionModules> extensions{};
};

// The model dialog's OK on the program: lets the time switch check refuse it, then takes the
// model and the extension modules and marks a real change as an edit. False when refused; the
// program is then untouched.
bool ApplyModelSelection(Program& program, const ModelSelection& selection, Prompter& prompter);

}  // namespace bdx

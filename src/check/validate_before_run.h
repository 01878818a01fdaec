#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "compiled_network.h"
#include "ladder/program.h"
#include "network_compiler.h"
#include "rule_checker.h"

namespace bdx {

class Prompter;

// Why a program must not run or be transferred. A window shows the compile fault first, in its
// own warning box, then the message in an information box; either may be absent.
struct RunRefusal {
    std::optional<CompileFault> compileFault;
    QString message;  // "Few errors have been noticed ... Please verify the program before proceeding."
};

// The gate before a simulation or a transfer: compiles the network into `network` and looks at
// the error list of the last rule check. A refusal when the network does not compile or the list
// holds an "Error" row. The diagnostic dump goes to `dumpPath` (when not empty) either way.
std::optional<RunRefusal> ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                                            CompiledNetwork& network, const QString& dumpPath = QString());

// Shows a refusal as the boxes read: the compile fault, then the message. True when there was one.
bool ShowRunRefusal(const std::optional<RunRefusal>& refusal, Prompter& prompter);

// The same gate for a window: true, after showing the refusal, when the program must not run.
bool ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                       CompiledNetwork& network, Prompter& prompter, const QString& dumpPath);

}  // namespace bdx

#pragma once

#include <QString>
#include <vector>

#include "compiled_network.h"
#include "ladder/program.h"
#include "rule_checker.h"

namespace bdx {

class Prompter;

// The gate before a simulation or a transfer: compiles the network (a fault shows its own box)
// and looks at the error list of the last rule check. True when the program must not run; the
// user is then told once to verify the program.
bool ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                       CompiledNetwork& network, Prompter& prompter, const QString& dumpPath);

}  // namespace bdx

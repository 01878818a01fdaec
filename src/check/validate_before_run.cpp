#include "validate_before_run.h"

#include <algorithm>

#include "network_dump.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {
enum TextId { ErrorsNoticed = 4257, VerifyProgram = 4258 };
}

std::optional<RunRefusal> ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                                            CompiledNetwork& network, const QString& dumpPath) {
    std::optional<CompileFault> fault = CompileNetwork(program, network);
    if (!dumpPath.isEmpty()) {
        // A dump that cannot be written does not change the verdict.
        WriteNetworkDump(network, dumpPath);
    }
    const bool listHasError = std::any_of(errorList.begin(), errorList.end(), [](const ErrorRow& row) {
        return ErrorRowKind(row) == QLatin1String("Error");
    });
    if (!fault && !listHasError) {
        return std::nullopt;
    }
    return RunRefusal{std::move(fault), LoadText(ErrorsNoticed) + LoadText(VerifyProgram)};
}

bool ShowRunRefusal(const std::optional<RunRefusal>& refusal, Prompter& prompter) {
    if (!refusal) {
        return false;
    }
    if (refusal->compileFault) {
        prompter.warn(CompileFaultText(*refusal->compileFault));
    }
    if (!refusal->message.isEmpty()) {
        prompter.inform(refusal->message);
    }
    return true;
}

bool ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                       CompiledNetwork& network, Prompter& prompter, const QString& dumpPath) {
    return ShowRunRefusal(ValidateBeforeRun(program, errorList, network, dumpPath), prompter);
}

}  // namespace bdx

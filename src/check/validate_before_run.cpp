#include "validate_before_run.h"

#include "network_compiler.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {
enum TextId { ErrorsNoticed = 4257, VerifyProgram = 4258 };
}

bool ValidateBeforeRun(const Program& program, const std::vector<ErrorRow>& errorList,
                       CompiledNetwork& network, Prompter& prompter, const QString& dumpPath) {
    const bool compiled = CompileNetwork(program, network, prompter, dumpPath);
    bool listHasError = false;
    for (const ErrorRow& row : errorList) {
        listHasError = listHasError || ErrorRowKind(row) == QLatin1String("Error");
    }
    if (compiled && !listHasError) {
        return false;
    }
    prompter.inform(LoadText(ErrorsNoticed) + LoadText(VerifyProgram));
    return true;
}

}  // namespace bdx

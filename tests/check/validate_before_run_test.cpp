#include "check/validate_before_run.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "ladder/program_file.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

const QString kRefusal = QStringLiteral(
    "Few errors have been noticed while compiling the program. Please verify the program before proceeding.");
const QString kNoProgram = QStringLiteral("Error no. : 50\r\nThere is no program to run.");

Program example(const char* name) {
    Program program;
    EXPECT_TRUE(
        ReadProgramFile(QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name), program).ok());
    return program;
}

struct Gate {
    const char* name;
    std::function<Program()> program;
    bool addErrorRow;
    QString fault;  // the compile fault box, empty for none
    bool refused;
};

const Gate kGates[] = {
    {"a clean program may run", [] { return example("motor_start_stop.h53"); }, false, {}, false},
    {"an error row refuses a program that compiles", [] { return example("staircase_light.h53"); }, true, {},
     true},
    {"a compile fault refuses", [] { return Program{}; }, false, kNoProgram, true},
};

// The value says what the boxes show; the window's overload shows exactly that, fault first.
TEST(ValidateBeforeRunTest, RefusalValueAndTheBoxesItShows) {
    for (const Gate& g : kGates) {
        SCOPED_TRACE(g.name);
        const Program program = g.program();
        std::vector<ErrorRow> rows = RunRuleCheck(program);
        ASSERT_TRUE(rows.empty());
        if (g.addErrorRow) {
            rows.push_back({3, 3, 0, QStringLiteral("any fault")});
        }
        CompiledNetwork network;
        const std::optional<RunRefusal> refusal = ValidateBeforeRun(program, rows, network);
        ASSERT_EQ(refusal.has_value(), g.refused);
        QStringList boxes;
        if (refusal) {
            EXPECT_EQ(refusal->message, kRefusal);
            EXPECT_EQ(refusal->compileFault ? CompileFaultText(*refusal->compileFault) : QString(), g.fault);
            boxes = g.fault.isEmpty() ? QStringList{kRefusal} : QStringList{g.fault, kRefusal};
        } else {
            EXPECT_GT(network.rungCount, 0);
        }
        ScriptedPrompter prompter;
        EXPECT_EQ(ValidateBeforeRun(program, rows, network, prompter, QString()), g.refused);
        EXPECT_EQ(prompter.texts(), boxes);
        if (!g.fault.isEmpty()) {
            EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
            EXPECT_EQ(prompter.messages()[1].icon, MessageIcon::Information);
        }
    }
}

TEST(ValidateBeforeRunTest, TheDumpIsWrittenWhateverTheVerdict) {
    QTemporaryDir dir;
    for (const Program& program : {example("motor_start_stop.h53"), Program{}}) {
        const QString dump = dir.filePath(QStringLiteral("x%1.txt").arg(program.ModelIndex));
        QFile::remove(dump);
        CompiledNetwork network;
        ValidateBeforeRun(program, {}, network, dump);
        EXPECT_TRUE(QFile::exists(dump));
    }
    // A dump that cannot be written changes nothing.
    CompiledNetwork network;
    EXPECT_FALSE(ValidateBeforeRun(example("motor_start_stop.h53"), {}, network,
                                   dir.filePath(QStringLiteral("no/x.txt"))));
}

TEST(ValidateBeforeRunTest, TheRefusalFollowsTheLanguage) {
    const Program program = example("staircase_light.h53");
    const std::vector<ErrorRow> rows{{3, 3, 0, QStringLiteral("any fault")}};
    CompiledNetwork network;
    SetLanguageOffset(Spanish);
    const std::optional<RunRefusal> refusal = ValidateBeforeRun(program, rows, network);
    SetLanguageOffset(English);
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, LoadText(4257, Spanish) + LoadText(4258, Spanish));
    EXPECT_NE(refusal->message, kRefusal);
}

}  // namespace
}  // namespace bdx

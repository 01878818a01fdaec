#include "check/validate_before_run.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "ladder/program_file.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

const QString kRefusal = QStringLiteral(
    "Few errors have been noticed while compiling the program. Please verify the program before proceeding.");

Program example(const char* name) {
    Program program;
    EXPECT_TRUE(
        ReadProgramFile(QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name), program).ok());
    return program;
}

TEST(ValidateBeforeRunTest, ACleanProgramMayRunAndLeavesTheDump) {
    QTemporaryDir dir;
    Program program = example("motor_start_stop.h53");
    const std::vector<ErrorRow> rows = RunRuleCheck(program);
    ScriptedPrompter prompter;
    CompiledNetwork network;
    const QString dump = dir.filePath(QStringLiteral("x.txt"));
    EXPECT_FALSE(ValidateBeforeRun(program, rows, network, prompter, dump));
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_GT(network.rungCount, 0);
    EXPECT_TRUE(QFile::exists(dump));
}

TEST(ValidateBeforeRunTest, ACompileFaultShowsItsOwnBoxThenTheRefusal) {
    Program empty;
    ScriptedPrompter prompter;
    CompiledNetwork network;
    EXPECT_TRUE(ValidateBeforeRun(empty, RunRuleCheck(empty), network, prompter, QString()));
    ASSERT_EQ(prompter.messages().size(), 2u);
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompter.messages()[0].text, QStringLiteral("Error no. : 50\r\nThere is no program to run."));
    EXPECT_EQ(prompter.messages()[1].icon, MessageIcon::Information);
    EXPECT_EQ(prompter.messages()[1].text, kRefusal);
}

TEST(ValidateBeforeRunTest, AnErrorRowAloneRefusesAProgramThatCompiles) {
    Program program = example("staircase_light.h53");
    std::vector<ErrorRow> rows = RunRuleCheck(program);
    ASSERT_TRUE(rows.empty());
    rows.push_back({3, 3, 0, QStringLiteral("any fault")});
    ScriptedPrompter prompter;
    CompiledNetwork network;
    EXPECT_TRUE(ValidateBeforeRun(program, rows, network, prompter, QString()));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text, kRefusal);
    SetLanguageOffset(Spanish);
    prompter.clear();
    ValidateBeforeRun(program, rows, network, prompter, QString());
    EXPECT_EQ(prompter.messages()[0].text, LoadText(4257) + LoadText(4258));
    EXPECT_NE(prompter.messages()[0].text, kRefusal);
    SetLanguageOffset(English);
}

}  // namespace
}  // namespace bdx

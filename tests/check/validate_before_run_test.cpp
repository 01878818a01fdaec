#include "check/validate_before_run.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "check/network_dump.h"
#include "ladder/program_file.h"
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

// The value says what the boxes show; the window's overload shows exactly that, the compile
// fault first in a warning box. The dump is written whatever the verdict.
TEST(ValidateBeforeRunTest, RefusalValueTheBoxesItShowsAndTheDump) {
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("x.txt"));
    const QString noProgram = QStringLiteral("Error no. : 50\r\nThere is no program to run.");
    struct {
        const char* name;
        Program program;
        bool errorRow;
        QStringList boxes;  // none: the program may run
    } cases[] = {
        {"a clean program may run", example("motor_start_stop.h53"), false, {}},
        {"an error row refuses a program that compiles", example("staircase_light.h53"), true, {kRefusal}},
        {"a compile fault refuses", Program{}, false, {noProgram, kRefusal}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ErrorRow> rows = RunRuleCheck(c.program);
        ASSERT_TRUE(rows.empty());
        if (c.errorRow) {
            rows.push_back({3, 3, 0, QStringLiteral("any fault")});
        }
        QFile::remove(dump);
        CompiledNetwork network;
        const std::optional<RunRefusal> refusal = ValidateBeforeRun(c.program, rows, network, dump);
        ASSERT_EQ(refusal.has_value(), !c.boxes.isEmpty());
        QFile file(dump);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), FormatNetworkDump(network));
        if (refusal) {
            EXPECT_EQ(refusal->message, kRefusal);
            EXPECT_EQ(refusal->compileFault.has_value(), c.boxes.size() == 2);
        } else {
            EXPECT_GT(network.rungCount, 0);
        }
        ScriptedPrompter prompter;
        EXPECT_EQ(ValidateBeforeRun(c.program, rows, network, prompter, QString()), refusal.has_value());
        EXPECT_EQ(prompter.texts(), c.boxes);
        for (const Message& box : prompter.messages()) {
            EXPECT_EQ(box.icon, box.text == kRefusal ? MessageIcon::Information : MessageIcon::Warning);
        }
    }
    // A dump that cannot be written changes nothing.
    CompiledNetwork network;
    EXPECT_FALSE(ValidateBeforeRun(example("motor_start_stop.h53"), {}, network,
                                   dir.filePath(QStringLiteral("no/x.txt"))));
    EXPECT_FALSE(WriteNetworkDump(network, dir.filePath(QStringLiteral("no/x.txt"))));
}

}  // namespace
}  // namespace bdx

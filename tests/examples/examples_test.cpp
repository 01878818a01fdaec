// The example programs a new user opens to learn from: they must read, check clean (which also
// proves them wired completely), be fully commented, and hold what their comments promise. What
// they do when run is their scripts' business (examples/*.sim, run by the command-line tests).
#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <map>

#include "blocks/device_model.h"
#include "check/rule_checker.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"

namespace bdx {
namespace {

struct Example {
    ProgramFileStatus status;
    Program program;
};

const std::map<QString, Example>& examples() {
    static const std::map<QString, Example> all = [] {
        std::map<QString, Example> loaded;
        const QDir folder(QStringLiteral(BDX_SOURCE_DIR "/examples"));
        for (const QString& name : folder.entryList({QStringLiteral("*.h53")}, QDir::Files)) {
            loaded[name].status = ReadProgramFile(folder.filePath(name), loaded[name].program);
        }
        return loaded;
    }();
    return all;
}

const Program& example(const char* name) {
    const auto it = examples().find(QLatin1String(name));
    static const Program missing;
    EXPECT_NE(it, examples().end()) << name;
    return it == examples().end() ? missing : it->second.program;
}

TEST(ExamplesTest, EveryExampleReadsChecksCleanAndIsCommented) {
    ASSERT_GE(examples().size(), 3u);
    for (const auto& [name, e] : examples()) {
        SCOPED_TRACE(name.toStdString());
        const Program& p = e.program;
        ASSERT_TRUE(e.status.ok()) << e.status.detail.toStdString();
        EXPECT_EQ(e.status.generation, FileGeneration::Current);
        EXPECT_GT(ModelDialogRowForIndex(p.ModelIndex), 0) << p.ModelIndex;
        EXPECT_FALSE(p.PrintInfo[PrintInfoText::Project].isEmpty());
        Program checked = p;
        EXPECT_TRUE(RunRuleCheck(checked).empty());
        EXPECT_EQ(checked, p) << "the files carry the usage flags the grid gives";
        int usedLines = 0;
        for (int line = 0; line < kLadderLines; ++line) {
            SCOPED_TRACE(testing::Message() << "line " << line + 1);
            const auto start = p.LadderGrid.begin() + line * kWordsPerLine;
            if (std::any_of(start, start + kWordsPerLine, [](std::uint16_t w) { return w != CellEmpty; })) {
                ++usedLines;
                EXPECT_FALSE(p.LineComments[line].trimmed().isEmpty());
            }
            const auto coil = OperandForCode(p.word(line, kCoilLetterWord));
            EXPECT_EQ(coil.has_value(), p.word(line, kCoilLetterWord) != CellEmpty);
            EXPECT_TRUE(!coil ||
                        !p.comment(*coil, DecodeOperandNumber(p.word(line, kCoilNumberWord))).isEmpty());
        }
        EXPECT_GT(usedLines, 0);
    }
}

// What the blocks are set to is their scripts' business; the comments must say the same.
TEST(ExamplesTest, CommentsNameWhatTheBlocksAreSetTo) {
    const std::tuple<const char*, Operand, int, const char*> comments[] = {
        {"motor_start_stop.h53", Operand::I, 2, "Emergency stop"},
        {"staircase_light.h53", Operand::T, 0, "type C (Single Pulse), 120.0 s"},
        {"batching_counter.h53", Operand::C, 0, "set point 50"},
        {"batching_counter.h53", Operand::P, 0, "C1 >= 45"},
    };
    for (const auto& [name, operand, index, text] : comments) {
        EXPECT_TRUE(example(name).comment(operand, index).contains(QLatin1String(text)))
            << name << ": " << text;
    }
}

}  // namespace
}  // namespace bdx

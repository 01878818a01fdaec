// The example programs a new user opens to learn from: they must read, check clean, be fully
// commented, be wired as the editor draws rungs, and hold what their comments promise. What
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

bool hasBit(std::uint16_t junction, std::uint16_t bit) {
    return (junction & bit) != 0;
}

std::uint16_t junction(const Program& p, int line, int column) {
    return line < kLadderLines ? p.LadderGrid[JunctionWordIndex(line, column)] : JunctionBase;
}

// Value of consecutive decimal digit fields, most significant first.
template <std::size_t N>
int digitsValue(const std::array<std::uint8_t, N>& record, int first, int count) {
    int value = 0;
    for (int i = first; i < first + count; ++i) {
        value = value * 10 + record[i];
    }
    return value;
}

int coilCount(const Program& p, char letter, int index, std::uint16_t function) {
    int count = 0;
    for (int line = 0; line < kLadderLines; ++line) {
        count += p.word(line, kCoilLetterWord) == std::uint16_t(letter) &&
                 DecodeOperandNumber(p.word(line, kCoilNumberWord)) == index &&
                 p.word(line, kCoilFunctionWord) == function;
    }
    return count;
}

TEST(ExamplesTest, EveryExampleReadsIsCommentedAndWiredCompletely) {
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
            // Connections as the editor leaves them after a rung is drawn completely.
            EXPECT_NE(p.word(line, 0), CellWire);
            for (int column = 0; column < kContactColumns; ++column) {
                const std::uint16_t j = junction(p, line, column);
                const int next = column + 1 < kContactColumns ? kContactWord[column + 1] : kCoilLetterWord;
                EXPECT_FALSE(IsImproperJunction(j)) << column;
                EXPECT_EQ(hasBit(j, JunctionLeft), p.word(line, kContactWord[column]) != CellEmpty) << column;
                EXPECT_EQ(hasBit(j, JunctionRight), p.word(line, next) != CellEmpty) << column;
                EXPECT_EQ(hasBit(j, JunctionDown), hasBit(junction(p, line + 1, column), JunctionUp))
                    << column;
                EXPECT_FALSE(line == 0 && hasBit(j, JunctionUp)) << column;
            }
        }
        EXPECT_GT(usedLines, 0);
        // A branch of vertically linked junctions needs an element feeding it and a way on.
        for (int column = 0; column < kContactColumns; ++column) {
            for (int line = 0; line < kLadderLines; ++line) {
                bool input = false, output = false, any = false;
                for (;; ++line) {
                    const std::uint16_t j = junction(p, line, column);
                    any |= j != JunctionBase;
                    input |= hasBit(j, JunctionLeft);
                    output |= hasBit(j, JunctionRight);
                    if (!hasBit(j, JunctionDown) || line + 1 == kLadderLines) {
                        break;
                    }
                }
                EXPECT_TRUE(!any || (input && output))
                    << "branch ending on line " << line + 1 << " column " << column + 1;
            }
        }
    }
}

TEST(ExamplesTest, MotorIsSetOnlyThroughTheEmergencyStop) {
    const Program& p = example("motor_start_stop.h53");
    EXPECT_TRUE(p.comment(Operand::I, 2).startsWith(QStringLiteral("Emergency stop")));
    EXPECT_EQ(coilCount(p, 'Q', 0, CoilSet), 1);
    EXPECT_EQ(coilCount(p, 'Q', 0, CoilReset), 1);
    EXPECT_EQ(coilCount(p, 'Q', 0, CoilContactor), 0);
    // Line 1: I1, m1 and I3 in series set Q1; no branch joins the rung.
    const std::uint16_t line1[kWordsPerLine] = {'I', 210, 133, 'M' + 26, 210, 133,
                                                'I', 212, 133, CoilSet,  'Q', 210};
    EXPECT_TRUE(std::equal(std::begin(line1), std::end(line1), p.LadderGrid.begin()));
}

TEST(ExamplesTest, StaircaseTimerAndBatchCounterAreWhatTheirCommentsSay) {
    // The simulation evaluates only blocks marked in use, and a block output needs its input coil.
    const Program& stairs = example("staircase_light.h53");
    EXPECT_EQ(coilCount(stairs, 'T', 0, CoilTrigger), 1);
    EXPECT_EQ(stairs.TimerParams[0][TimerField::Flags] & kFlagInUse, kFlagInUse);
    EXPECT_TRUE(stairs.comment(Operand::T, 0).contains(QStringLiteral("type C (Single Pulse), 120.0 s")));
    const auto& timer = stairs.TimerParams[0];
    EXPECT_EQ(timer[TimerField::Type], 2);
    EXPECT_EQ(timer[TimerField::Units] & 0x0F, 0) << "seconds";
    EXPECT_EQ(digitsValue(timer, TimerField::OnTime, 4), 1200);

    const Program& batch = example("batching_counter.h53");
    EXPECT_EQ(coilCount(batch, 'C', 0, CoilCount), 1);
    EXPECT_EQ(batch.CounterParams[0][CounterField::Flags] & kFlagInUse, kFlagInUse);
    EXPECT_EQ(batch.CompareParams[0][CompareField::Flags] & kFlagInUse, kFlagInUse);
    EXPECT_TRUE(batch.comment(Operand::C, 0).contains(QStringLiteral("set point 50")));
    EXPECT_TRUE(batch.comment(Operand::P, 0).contains(QStringLiteral("C1 >= 45")));
    const auto& counter = batch.CounterParams[0];
    EXPECT_EQ(digitsValue(counter, CounterField::SetPoint, 5), 50);
    EXPECT_EQ(counter[CounterField::Flags] >> 5, 0) << "no decimal point";
    EXPECT_EQ(digitsValue(counter, CounterField::Pulses, 5), 1);
    EXPECT_EQ(digitsValue(counter, CounterField::DisplayUnits, 5), 1);
    const auto& compare = batch.CompareParams[0];
    EXPECT_NE(compare[CompareField::Flags] & 0x08, 0) << "second operand is a constant";
    EXPECT_EQ((compare[CompareField::Flags] >> 4) & 0x07, 2) << "function >=";
    EXPECT_EQ(compare[CompareField::Counters] & 0x0F, 0) << "first operand C1";
    EXPECT_EQ(digitsValue(compare, CompareField::Constant, 5), 45);
}

}  // namespace
}  // namespace bdx

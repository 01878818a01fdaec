#include "ladder/program.h"

#include <gtest/gtest.h>

#include <set>

namespace bdx {
namespace {

bool allGridWords(const Program& p, std::uint16_t value) {
    for (std::uint16_t w : p.LadderGrid) {
        if (w != value) {
            return false;
        }
    }
    return true;
}

Program programWithEverythingSet() {
    Program p;
    p.LadderGrid.fill(73);
    p.ModelIndex = 9;
    p.ExtensionModules = {1, 0, 1};
    p.ProgramFileName = QStringLiteral("Motor.h53");
    p.ProgramFilePath = QStringLiteral("/tmp/Motor.h53");
    p.PrintInfo[PrintInfoText::Author] = QStringLiteral("author");
    p.comment(Operand::M, 63) = QStringLiteral("last marker");
    p.LineComments[249] = QStringLiteral("line\r\ncomment");
    p.TimerParams[3][TimerField::Type] = 5;
    p.CounterParams[0][CounterField::Pulses + 4] = 9;
    p.AnalogParams[11][AnalogField::Operands] = 18;
    p.CompareParams[15][CompareField::Flags] = 3;
    p.SoftTextParams[0][0] = 'A';
    p.TimeSwitchParams[2][TimeSwitchField::StartDay] = 3;
    p.HourMeterParams[3][HourMeterField::Preset] = 1;
    p.AnalogScalingParams[7][AnalogScalingField::Max] = 1;
    return p;
}

TEST(ProgramTest, NewProgramIsEmptyWithLoadDefaults) {
    const Program p;
    EXPECT_TRUE(allGridWords(p, CellEmpty));
    EXPECT_EQ(p.ModelIndex, 0);
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_TRUE(p.ProgramFilePath.isEmpty());
    EXPECT_FALSE(p.ProgramModified);
    for (const auto& counter : p.CounterParams) {
        EXPECT_EQ(counter[10], 1);  // number of pulses 00001
        EXPECT_EQ(counter[15], 1);  // display units 00001
        EXPECT_EQ(counter[9], 0);
        EXPECT_EQ(counter[0], 0);
    }
    for (const auto& analog : p.AnalogParams) {
        EXPECT_EQ(analog[2], 0);
        EXPECT_EQ(analog[3], 128);
    }
    for (const auto& compare : p.CompareParams) {
        EXPECT_EQ(compare[0], 0);
    }
    for (const auto& message : p.SoftTextParams) {
        for (std::uint8_t c : message) {
            EXPECT_EQ(c, ' ');
        }
    }
}

TEST(ProgramTest, ClearProgramKeepsModelExtensionsAndFileNames) {
    Program p = programWithEverythingSet();
    ClearProgram(p);
    EXPECT_TRUE(allGridWords(p, CellEmpty));
    EXPECT_EQ(p.ModelIndex, 9);
    EXPECT_EQ(p.ExtensionModules, (std::array<std::uint16_t, 3>{1, 0, 1}));
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Motor.h53"));
    EXPECT_EQ(p.ProgramFilePath, QStringLiteral("/tmp/Motor.h53"));

    const Program fresh;
    EXPECT_EQ(p.TimerParams, fresh.TimerParams);
    EXPECT_EQ(p.CounterParams, fresh.CounterParams);
    EXPECT_EQ(p.AnalogParams, fresh.AnalogParams);
    EXPECT_EQ(p.CompareParams, fresh.CompareParams);
    EXPECT_EQ(p.SoftTextParams, fresh.SoftTextParams);
    EXPECT_EQ(p.TimeSwitchParams, fresh.TimeSwitchParams);
    EXPECT_EQ(p.HourMeterParams, fresh.HourMeterParams);
    EXPECT_EQ(p.AnalogScalingParams, fresh.AnalogScalingParams);
    EXPECT_EQ(p.OperandComments, fresh.OperandComments);
    EXPECT_EQ(p.LineComments, fresh.LineComments);
    EXPECT_EQ(p.PrintInfo, fresh.PrintInfo);
}

TEST(ProgramTest, ResetProgramEmptiesEverythingWithInitialValues) {
    Program p = programWithEverythingSet();
    ResetProgram(p);
    EXPECT_TRUE(allGridWords(p, CellEmpty));
    EXPECT_EQ(p.ModelIndex, 0);
    EXPECT_EQ(p.ExtensionModules, (std::array<std::uint16_t, 3>{0, 0, 0}));
    EXPECT_EQ(p.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_TRUE(p.ProgramFilePath.isEmpty());
    EXPECT_TRUE(p.comment(Operand::M, 63).isEmpty());
    EXPECT_TRUE(p.LineComments[249].isEmpty());
    EXPECT_TRUE(p.PrintInfo[PrintInfoText::Author].isEmpty());
    // The initial values differ from the load defaults.
    for (const auto& analog : p.AnalogParams) {
        EXPECT_EQ(analog[2], 128);
        EXPECT_EQ(analog[3], 128);
    }
    for (const auto& compare : p.CompareParams) {
        EXPECT_EQ(compare[0], 128);
    }
    for (const auto& counter : p.CounterParams) {
        EXPECT_EQ(counter[10], 0);
        EXPECT_EQ(counter[15], 0);
    }
    EXPECT_EQ(p.TimerParams[3][TimerField::Type], 0);
    EXPECT_EQ(p.SoftTextParams[0][0], 0);
}

TEST(ProgramTest, OperandCommentsAreGroupedInFileOrder) {
    // Every kind owns its own contiguous run of the 212 comments, in the order I J K L Q U V
    // W M T C A P H clock Z X.
    int next = 0;
    for (const OperandInfo& info : kOperandTable) {
        EXPECT_EQ(info.commentIndex, next) << static_cast<int>(info.kind);
        next += info.count;
    }
    EXPECT_EQ(next, kOperandCommentCount);

    Program p;
    p.comment(Operand::X, 15) = QStringLiteral("last");
    p.comment(Operand::Clock, 0) = QStringLiteral("rtc");
    p.comment(Operand::A, 11) = QStringLiteral("analog");
    EXPECT_EQ(p.OperandComments[211], QStringLiteral("last"));
    EXPECT_EQ(p.OperandComments[176], QStringLiteral("rtc"));
    EXPECT_EQ(p.OperandComments[155], QStringLiteral("analog"));
}

TEST(ProgramTest, OperandLetterTable) {
    struct Expected {
        char letter;
        int count;
        bool coil;
    };
    const Expected expected[] = {{'I', 8, false}, {'J', 8, false},  {'K', 8, false}, {'L', 8, false},
                                 {'Q', 4, true},  {'U', 4, true},   {'V', 4, true},  {'W', 4, true},
                                 {'M', 64, true}, {'T', 16, true},  {'C', 16, true}, {'P', 16, false},
                                 {'H', 4, true},  {'A', 12, false}, {'Z', 4, false}, {'X', 16, true}};
    for (const Expected& e : expected) {
        const auto kind = OperandForLetter(e.letter);
        ASSERT_TRUE(kind.has_value()) << e.letter;
        EXPECT_EQ(operandInfo(*kind).count, e.count) << e.letter;
        EXPECT_EQ(operandInfo(*kind).coil, e.coil) << e.letter;
        EXPECT_TRUE(operandInfo(*kind).contact) << e.letter;
    }
    EXPECT_FALSE(OperandForLetter('B').has_value());
    EXPECT_FALSE(OperandForLetter('i').has_value());
    EXPECT_EQ(operandInfo(Operand::Clock).count, 16);
}

TEST(ProgramTest, EqualityCoversTablesAndTexts) {
    Program a;
    Program b;
    EXPECT_EQ(a, b);
    b.HourMeterParams[3][5] = 1;
    EXPECT_NE(a, b);
    b = a;
    b.LineComments[0] = QStringLiteral("x");
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace bdx

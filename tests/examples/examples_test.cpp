// The example programs a new user opens to learn from: they must read, be fully commented,
// be wired as the editor draws rungs, and do what their comments promise.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <algorithm>
#include <vector>

#include "blocks/device_model.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"

namespace bdx {
namespace {

struct Example {
    QString name;
    ProgramFileStatus status;
    Program program;
};

const std::vector<Example>& examples() {
    static const std::vector<Example> all = [] {
        std::vector<Example> loaded;
        const QDir folder(QStringLiteral(BDX_SOURCE_DIR "/examples"));
        for (const QString& name : folder.entryList({QStringLiteral("*.h53")}, QDir::Files, QDir::Name)) {
            Example e;
            e.name = name;
            e.status = ReadProgramFile(folder.filePath(name), e.program);
            loaded.push_back(std::move(e));
        }
        return loaded;
    }();
    return all;
}

const Program& example(const char* name) {
    for (const Example& e : examples()) {
        if (e.name == QLatin1String(name)) {
            return e.program;
        }
    }
    ADD_FAILURE() << "missing example " << name;
    static const Program empty;
    return empty;
}

bool lineUsed(const Program& p, int line) {
    for (int w = 0; w < kWordsPerLine; ++w) {
        if (p.word(line, w) != CellEmpty) {
            return true;
        }
    }
    return false;
}

bool hasBit(std::uint16_t junction, std::uint16_t bit) {
    return (junction & bit) != 0;
}

// Code word of the element right of contact column `column`: the next contact or the coil letter.
std::uint16_t nextElement(const Program& p, int line, int column) {
    return column + 1 < kContactColumns ? p.word(line, kContactWord[column + 1])
                                        : p.word(line, kCoilLetterWord);
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

bool isContactOf(std::uint16_t code, std::uint16_t numberWord, char letter, int index) {
    return NormallyOpenCode(code) == std::uint16_t(letter) && DecodeOperandNumber(numberWord) == index;
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

TEST(ExamplesTest, EveryExampleReadsForAModelTheDialogOffers) {
    ASSERT_GE(examples().size(), 3u);
    for (const char* name : {"motor_start_stop.h53", "staircase_light.h53", "batching_counter.h53"}) {
        example(name);
    }
    for (const Example& e : examples()) {
        SCOPED_TRACE(e.name.toStdString());
        ASSERT_TRUE(e.status.ok()) << e.status.detail.toStdString();
        EXPECT_EQ(e.status.generation, FileGeneration::Current);
        EXPECT_GT(ModelDialogRowForIndex(e.program.ModelIndex), 0) << e.program.ModelIndex;
        EXPECT_FALSE(e.program.PrintInfo[PrintInfoText::Project].isEmpty());
        EXPECT_EQ(e.program.PrintInfo[PrintInfoText::Author], QStringLiteral("BrantelDesk X examples"));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,2}/\\d{1,2}/\\d{4}$"))
                        .match(e.program.PrintInfo[PrintInfoText::Date])
                        .hasMatch());
    }
}

TEST(ExamplesTest, EveryCoilOperandAndEveryUsedLineIsCommented) {
    for (const Example& e : examples()) {
        SCOPED_TRACE(e.name.toStdString());
        const Program& p = e.program;
        int usedLines = 0;
        for (int line = 0; line < kLadderLines; ++line) {
            if (!lineUsed(p, line)) {
                continue;
            }
            ++usedLines;
            EXPECT_FALSE(p.LineComments[line].trimmed().isEmpty()) << "line " << line + 1;
            const std::uint16_t letter = p.word(line, kCoilLetterWord);
            if (letter == CellEmpty) {
                continue;
            }
            const auto kind = OperandForCode(letter);
            ASSERT_TRUE(kind.has_value()) << "line " << line + 1;
            EXPECT_FALSE(p.comment(*kind, DecodeOperandNumber(p.word(line, kCoilNumberWord))).isEmpty())
                << "coil " << char(letter) << " on line " << line + 1;
        }
        EXPECT_GT(usedLines, 0);
    }
}

// Every connection as the editor leaves it after a rung is drawn completely: no dangling
// junctions, vertical links held on both lines, and each branch joined to an input and an output.
TEST(ExamplesTest, RungsAreWiredCompletely) {
    for (const Example& e : examples()) {
        SCOPED_TRACE(e.name.toStdString());
        const Program& p = e.program;
        for (int line = 0; line < kLadderLines; ++line) {
            EXPECT_NE(p.word(line, 0), CellWire) << "wire in column 1 of line " << line + 1;
            for (int column = 0; column < kContactColumns; ++column) {
                const std::uint16_t junction = p.LadderGrid[JunctionWordIndex(line, column)];
                const auto where = [&] {
                    return testing::Message() << "line " << line + 1 << " column " << column + 1;
                };
                EXPECT_FALSE(IsImproperJunction(junction)) << where();
                EXPECT_EQ(hasBit(junction, JunctionLeft), p.word(line, kContactWord[column]) != CellEmpty)
                    << where();
                EXPECT_EQ(hasBit(junction, JunctionRight), nextElement(p, line, column) != CellEmpty)
                    << where();
                const bool linkBelow = line + 1 < kLadderLines &&
                                       hasBit(p.LadderGrid[JunctionWordIndex(line + 1, column)], JunctionUp);
                EXPECT_EQ(hasBit(junction, JunctionDown), linkBelow) << where();
                if (line == 0) {
                    EXPECT_FALSE(hasBit(junction, JunctionUp)) << where();
                }
            }
        }
        // A branch of vertically linked junctions needs an element feeding it and a way on.
        for (int column = 0; column < kContactColumns; ++column) {
            for (int line = 0; line < kLadderLines;) {
                bool input = false, output = false, any = false;
                int last = line;
                for (;; ++last) {
                    const std::uint16_t junction = p.LadderGrid[JunctionWordIndex(last, column)];
                    any |= junction != JunctionBase;
                    input |= hasBit(junction, JunctionLeft);
                    output |= hasBit(junction, JunctionRight);
                    if (!hasBit(junction, JunctionDown) || last + 1 == kLadderLines) {
                        break;
                    }
                }
                if (any) {
                    EXPECT_TRUE(input && output)
                        << "branch ending on line " << last + 1 << " column " << column + 1;
                }
                line = last + 1;
            }
        }
    }
}

// The simulation evaluates only blocks marked in use, and a block output needs its input coil.
TEST(ExamplesTest, BlocksInTheLadderAreInUseAndHaveTheirInputCoil) {
    for (const Example& e : examples()) {
        SCOPED_TRACE(e.name.toStdString());
        const Program& p = e.program;
        std::array<bool, kTimers> timerUsed{};
        std::array<bool, kCounters> counterUsed{};
        std::array<bool, kCompareCounters> compareUsed{};
        for (int line = 0; line < kLadderLines; ++line) {
            for (int column = 0; column <= kContactColumns; ++column) {
                const bool coil = column == kContactColumns;
                const std::uint16_t code = coil ? p.word(line, kCoilLetterWord)
                                                : NormallyOpenCode(p.word(line, kContactWord[column]));
                const int index = DecodeOperandNumber(
                    p.word(line, coil ? kCoilNumberWord : kContactWord[column] + kNumberWordOffset));
                if (code == 'T') {
                    timerUsed[index] = true;
                } else if (code == 'C') {
                    counterUsed[index] = true;
                } else if (code == 'P') {
                    compareUsed[index] = true;
                }
            }
        }
        for (int i = 0; i < kTimers; ++i) {
            EXPECT_EQ((p.TimerParams[i][TimerField::Flags] & kFlagInUse) != 0, timerUsed[i]) << "T" << i + 1;
            if (timerUsed[i]) {
                EXPECT_EQ(coilCount(p, 'T', i, CoilTrigger), 1) << "T" << i + 1;
                EXPECT_GT(digitsValue(p.TimerParams[i], TimerField::OnTime, 4), 0) << "T" << i + 1;
            }
        }
        for (int i = 0; i < kCounters; ++i) {
            EXPECT_EQ((p.CounterParams[i][CounterField::Flags] & kFlagInUse) != 0, counterUsed[i])
                << "C" << i + 1;
            if (counterUsed[i]) {
                EXPECT_EQ(coilCount(p, 'C', i, CoilCount), 1) << "C" << i + 1;
            }
        }
        for (int i = 0; i < kCompareCounters; ++i) {
            const std::uint8_t flags = p.CompareParams[i][CompareField::Flags];
            EXPECT_EQ((flags & kFlagInUse) != 0, compareUsed[i]) << "P" << i + 1;
            if (compareUsed[i]) {
                const int first = p.CompareParams[i][CompareField::Counters] & 0x0F;
                EXPECT_EQ(coilCount(p, 'C', first, CoilCount), 1)
                    << "P" << i + 1 << " compares C" << first + 1;
            }
        }
    }
}

TEST(ExamplesTest, MotorIsSetAndResetAndEveryStartPassesTheEmergencyStop) {
    const Program& p = example("motor_start_stop.h53");
    int emergencyStop = -1;
    for (int i = 0; i < operandInfo(Operand::I).count; ++i) {
        if (p.comment(Operand::I, i).contains(QLatin1String("emergency stop"), Qt::CaseInsensitive)) {
            emergencyStop = i;
        }
    }
    ASSERT_GE(emergencyStop, 0) << "no input is commented as the emergency stop";

    EXPECT_EQ(coilCount(p, 'Q', 0, CoilSet), 1);
    EXPECT_EQ(coilCount(p, 'Q', 0, CoilReset), 1);
    EXPECT_EQ(coilCount(p, 'Q', 0, CoilContactor), 0);
    for (int line = 0; line < kLadderLines; ++line) {
        if (p.word(line, kCoilLetterWord) != 'Q' || DecodeOperandNumber(p.word(line, kCoilNumberWord)) != 0 ||
            p.word(line, kCoilFunctionWord) != CoilSet) {
            continue;
        }
        int stopColumn = -1;
        for (int column = 0; column < kContactColumns; ++column) {
            if (isContactOf(p.word(line, kContactWord[column]),
                            p.word(line, kContactWord[column] + kNumberWordOffset), 'I', emergencyStop)) {
                stopColumn = column;
            }
        }
        EXPECT_GE(stopColumn, 0) << "line " << line + 1 << " sets Q1 without the emergency stop";
        // A branch joining at or after the emergency stop contact would bypass it.
        for (int column = std::max(stopColumn, 0); column < kContactColumns; ++column) {
            EXPECT_FALSE(hasBit(p.LadderGrid[JunctionWordIndex(line, column)], JunctionUp | JunctionDown))
                << "a branch bypasses the emergency stop on line " << line + 1;
        }
    }
}

TEST(ExamplesTest, StaircaseTimerIsWhatItsCommentSays) {
    const Program& p = example("staircase_light.h53");
    ASSERT_EQ(coilCount(p, 'T', 0, CoilTrigger), 1);
    const QString comment = p.comment(Operand::T, 0);
    const QRegularExpressionMatch type = QRegularExpression(QStringLiteral("type ([A-N])\\b")).match(comment);
    const QRegularExpressionMatch time =
        QRegularExpression(QStringLiteral("(\\d{3})\\.(\\d) s\\b")).match(comment);
    ASSERT_TRUE(type.hasMatch() && time.hasMatch()) << comment.toStdString();

    const auto& timer = p.TimerParams[0];
    EXPECT_EQ(QChar(u'A' + timer[TimerField::Type]), type.captured(1).at(0));
    EXPECT_EQ(timer[TimerField::Units] & 0x0F, 0) << "the comment gives seconds";
    EXPECT_EQ(digitsValue(timer, TimerField::OnTime, 4), (time.captured(1) + time.captured(2)).toInt());
    // A momentary push must light the stairs for the whole time: a type that runs on by itself.
    EXPECT_TRUE(timer[TimerField::Type] == 2 || timer[TimerField::Type] == 8) << int(timer[TimerField::Type]);
}

TEST(ExamplesTest, BatchIsAlmostFullBeforeItIsComplete) {
    const Program& p = example("batching_counter.h53");
    const auto& counter = p.CounterParams[0];
    const auto& compare = p.CompareParams[0];
    const int setPoint = digitsValue(counter, CounterField::SetPoint, 5);
    const int constant = digitsValue(compare, CompareField::Constant, 5);

    const QRegularExpressionMatch counterComment =
        QRegularExpression(QStringLiteral("set point (\\d+)")).match(p.comment(Operand::C, 0));
    ASSERT_TRUE(counterComment.hasMatch()) << p.comment(Operand::C, 0).toStdString();
    EXPECT_EQ(setPoint, counterComment.captured(1).toInt());
    EXPECT_EQ(counter[CounterField::Flags] >> 5, 0) << "no decimal point";
    EXPECT_EQ(digitsValue(counter, CounterField::Pulses, 5), 1);
    EXPECT_EQ(digitsValue(counter, CounterField::DisplayUnits, 5), 1);

    const QRegularExpressionMatch compareComment =
        QRegularExpression(QStringLiteral("C(\\d+) >= (\\d+)")).match(p.comment(Operand::P, 0));
    ASSERT_TRUE(compareComment.hasMatch()) << p.comment(Operand::P, 0).toStdString();
    EXPECT_NE(compare[CompareField::Flags] & 0x08, 0) << "second operand is a constant";
    EXPECT_EQ((compare[CompareField::Flags] >> 4) & 0x07, 2) << "function >=";
    EXPECT_EQ((compare[CompareField::Counters] & 0x0F) + 1, compareComment.captured(1).toInt());
    EXPECT_EQ(constant, compareComment.captured(2).toInt());

    EXPECT_GT(constant, 0);
    EXPECT_LT(constant, setPoint);
}

}  // namespace
}  // namespace bdx

#include <gtest/gtest.h>

#include <functional>

#include "../check/ladder_drawing.h"
#include "blocks/device_model.h"
#include "blocks/timer_record.h"
#include "print/program_diff.h"
#include "print/short_printout.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

// I1 drives timer T3, whose ON time is 1.2 seconds; the usual comments.
Program basePlan() {
    Ladder l(8);
    l.rung(1, 'I', 1, 'T', 3).rung(2, 'T', 3, 'Q', 1);
    TimerRecord timer;
    timer.on.digits = {0, 0, 1, 2};
    EncodeTimer(l.p, 2, timer);
    l.p.comment(Operand::I, 0) = QStringLiteral("Start button");
    l.p.LineComments[1] = QStringLiteral("Pump on after the delay");
    l.p.PrintInfo[PrintInfoText::Project] = QStringLiteral("Pump");
    l.p.ProgramModified = false;
    return l.p;
}

TEST(ProgramDiffTest, ReportsEachKindOfChange) {
    const Program base = basePlan();
    struct Case {
        const char* what;
        std::function<void(Program&)> change;
        QStringList expected;  // empty: compared in the test body
    };
    const Case cases[] = {
        {"same program, other file", [](Program& p) { p.ProgramFilePath = QStringLiteral("/elsewhere/x.h53"); }, {}},
        {"the model",
         [](Program& p) { p.ModelIndex = 9; },
         {QStringLiteral("Model: ") + QString::fromLatin1(kDeviceModels[8].displayName) + QStringLiteral(" (8) -> ") +
          QString::fromLatin1(kDeviceModels[9].displayName) + QStringLiteral(" (9)")}},
        {"an extension module", [](Program& p) { p.ExtensionModules[1] = 2; },
         {QStringLiteral("Extension module 2: 0 -> 2")}},
        {"a header text", [](Program& p) { p.PrintInfo[PrintInfoText::Author] = QStringLiteral("Ana"); },
         {QStringLiteral("Author: \"\" -> \"Ana\"")}},
        {"an operand comment", [](Program& p) { p.comment(Operand::I, 0) = QStringLiteral("Start"); },
         {QStringLiteral("Comment I1: \"Start button\" -> \"Start\"")}},
        {"a clock contact comment", [](Program& p) { p.comment(Operand::Clock, 15) = QStringLiteral("Night"); },
         {QStringLiteral("Comment RTC16: \"\" -> \"Night\"")}},
        {"a line comment", [](Program& p) { p.LineComments[1].clear(); },
         {QStringLiteral("Line comment 002: \"Pump on after the delay\" -> \"\"")}},
    };
    for (const Case& c : cases) {
        Program changed = base;
        c.change(changed);
        EXPECT_EQ(ProgramDifferences(base, changed), c.expected) << c.what;
    }
}

TEST(ProgramDiffTest, ALadderWordShowsBothLinesAsPrinted) {
    const Program base = basePlan();
    Program changed = base;
    changed.word(0, kContactWord[0] + 1) = OperandNumberCode(5);  // I1 becomes I5
    const QStringList report = ProgramDifferences(base, changed);
    ASSERT_EQ(report.size(), 3) << report.join(u'\n').toStdString();
    EXPECT_EQ(report[0], QStringLiteral("Ladder line 001:"));
    EXPECT_EQ(report[1], QStringLiteral("  - ") + ShortPrintoutLine(base, 0).trimmed());
    EXPECT_EQ(report[2], QStringLiteral("  + ") + ShortPrintoutLine(changed, 0).trimmed());
    EXPECT_TRUE(report[1].contains(QStringLiteral("[I1]")) && report[2].contains(QStringLiteral("[I5]")));

    // A change the drawing does not show still has to be seen: the codes are added.
    Program hidden = base;
    hidden.word(200, kCoilNumberWord) = 7;
    const QStringList codes = ProgramDifferences(base, hidden);
    ASSERT_EQ(codes.size(), 3);
    EXPECT_EQ(codes[0], QStringLiteral("Ladder line 201:"));
    EXPECT_NE(codes[1], codes[2]);
    EXPECT_TRUE(codes[2].contains(QStringLiteral("0007")));
}

TEST(ProgramDiffTest, ATimerPresetNamesTheBlockTheFieldAndBothSettings) {
    const Program base = basePlan();
    Program changed = base;
    changed.TimerParams[2][TimerField::OnTime + 2] = 5;  // 1.2 s -> 5.2 s
    const QStringList report = ProgramDifferences(base, changed);
    ASSERT_EQ(report.size(), 4) << report.join(u'\n').toStdString();
    EXPECT_EQ(report[0], QStringLiteral("Timer T3:"));
    EXPECT_EQ(report[1], QStringLiteral("  - T3  Type - A  001.2 SEC"));
    EXPECT_EQ(report[2], QStringLiteral("  + T3  Type - A  005.2 SEC"));
    EXPECT_EQ(report[3], QStringLiteral("  on time [3]: 1 -> 5"));
}

// In another language no English phrase of the report survives, not even a field name.
TEST(ProgramDiffTest, FollowsTheChosenLanguage) {
    const Program base = basePlan();
    Program changed = base;
    changed.TimerParams[2][TimerField::OnTime + 2] = 5;
    SetLanguageOffset(Portuguese);
    const QString report = ProgramDifferences(base, changed).join(u'\n');
    SetLanguageOffset(English);
    EXPECT_TRUE(report.startsWith(QStringLiteral("Temporizador T3:\n"))) << report.toStdString();
    EXPECT_TRUE(report.endsWith(QStringLiteral("  tempo ligado [3]: 1 -> 5"))) << report.toStdString();
    const LanguageTable& table = LanguageTable::builtIn();
    for (const auto& [first, last] : {std::pair{8560, 8579}, std::pair{8867, 8897}}) {
        for (int id = first; id <= last; ++id) {
            for (const QString& piece : table.text(id).split(QStringLiteral("%1"), Qt::SkipEmptyParts)) {
                if (piece.trimmed().size() >= 3) {
                    EXPECT_FALSE(report.contains(piece.trimmed())) << id << ": " << report.toStdString();
                }
            }
        }
    }
}

}  // namespace
}  // namespace bdx

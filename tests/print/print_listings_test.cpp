#include <gtest/gtest.h>

#include <QStringList>

#include "../check/ladder_drawing.h"
#include "blocks/analog_record.h"
#include "blocks/counter_record.h"
#include "blocks/hour_meter_record.h"
#include "blocks/soft_text_record.h"
#include "blocks/time_switch_record.h"
#include "blocks/timer_record.h"
#include "check/block_usage.h"
#include "print/comment_listing.h"
#include "print/parameter_listing.h"
#include "print/print_page_frame.h"
#include "print/short_printout.h"

namespace bdx {
namespace {

const QString kHeaderRule(96, u'_');

QStringList heading(const char* text) {
    return {QString(), QStringLiteral("\t\t\t") + QLatin1String(text), QString(95, u'_'), QString()};
}

QStringList header(int page, const QString& path = QStringLiteral("/plans/pump.h53")) {
    return {kHeaderRule,
            QStringLiteral("Page         : \t\t%1").arg(page),
            QStringLiteral("Project      : \t\tPlant 7"),
            QStringLiteral("Author       : \t\tA. Smith"),
            QStringLiteral("Approved by  : \t\tB. Jones"),
            QStringLiteral("Version      : \t\t2"),
            QStringLiteral("Date         : \t\t8/12/2026"),
            QStringLiteral("File Name    : \t\t") + path};
}

void setHeader(Program& p) {
    p.PrintInfo[PrintInfoText::Project] = QStringLiteral("Plant 7");
    p.PrintInfo[PrintInfoText::Author] = QStringLiteral("A. Smith");
    p.PrintInfo[PrintInfoText::ApprovedBy] = QStringLiteral("B. Jones");
    p.PrintInfo[PrintInfoText::Version] = QStringLiteral("2");
    p.PrintInfo[PrintInfoText::Date] = QStringLiteral("8/12/2026");
    p.ProgramFilePath = QStringLiteral("/plans/pump.h53");
}

PageHeaderTexts headerTexts(const QString& path) {
    Program p;
    setHeader(p);
    p.ProgramFilePath = path;
    return HeaderTextsOf(p);
}

// One block of each kind in use (a second-generation model with display and analog inputs),
// and timer T2 set up but not in the ladder.
Program everyBlockKind() {
    Ladder l(11);
    l.rung(1, 'I', 1, 'T', 1)
        .rung(2, ClockContactOpen, 2, 'T', 4)
        .rung(3, 'P', 1, 'C', 12)
        .rung(4, 'A', 1, 'X', 1)
        .rung(5, 'A', 2, 'H', 2)
        .rung(6, 'P', 2, 'M', 1);
    Program& p = l.p;
    setHeader(p);

    TimeSwitchRecord clock;
    clock.onDays = {true, false, false, false, true, false, false};
    clock.offDays = {false, false, false, false, false, true, false};
    clock.onHour = 8, clock.onMinute = 5, clock.offHour = 17, clock.offMinute = 30;
    EXPECT_FALSE(SaveTimeSwitch(p, 1, clock, {}));

    TimerRecord timer;
    timer.on = {TimeUnit::Seconds, {0, 1, 2, 5}};
    EncodeTimer(p, 0, timer);
    timer.on = {TimeUnit::Seconds, {9, 9, 9, 9}};
    EncodeTimer(p, 1, timer);
    timer.type = 3;  // D: an ON and an OFF time
    timer.on = {TimeUnit::MinutesSeconds, {0, 1, 3, 0}};
    timer.off = {TimeUnit::HoursMinutes, {0, 0, 1, 0}};
    EncodeTimer(p, 3, timer);

    CounterRecord counter;
    counter.setPoint = 12345, counter.decimalPosition = 2, counter.pulses = 3, counter.displayUnits = 7;
    EncodeCounter(p, 11, counter);

    WriteAnalog(
        p, 0,
        {.firstInput = 0, .secondOperand = kVref, .function = 2, .reference = -500, .decimalPosition = 2});
    WriteAnalog(p, 1, {.firstInput = 2, .secondOperand = 0, .function = 1});

    EncodeCompare(p, 0, {.firstCounter = 11, .function = 2, .constantOperand = false, .secondCounter = 2},
                  false);
    EncodeCompare(p, 1, {.firstCounter = 0, .function = 5, .constantOperand = true, .constant = 150}, false);

    SetSoftTextLines(p, 0, {QStringLiteral("COUNT"), QStringLiteral("T"), QString()});
    l.embed(1, 6, EmbeddedSource::Counter, 12, 0)
        .embed(1, 14, EmbeddedSource::Timer, 4, 0)  // a type-D timer's OFF preset
        .embed(1, 24, EmbeddedSource::DateTime, 0, 0);

    HourMeterRecord meter;
    meter.resolution = Resolution6Min;
    meter.digits = {0, 0, 1, 2, 5};
    EXPECT_FALSE(SaveHourMeter(p, 1, meter, {}, false));

    UpdateBlockUsage(p);
    return p;
}

TEST(ParameterListingTest, EveryBlockKindPrintsItsSectionInOrder) {
    QStringList expected = header(1);
    expected << heading("Timer Switch Block Parameters")
             << QStringLiteral("RTC2\tMon Fri - Sat\tON - 08 : 05\tOFF - 17 : 30");
    expected << heading("Timer Block Parameters") << QStringLiteral("TIMER\tType  \tSP ON\tSP OFF")
             << QStringLiteral("T1\tType - A\t012.5 SEC")
             << QStringLiteral("T4\tType - D\t01:30 MM:SS;\t00:10 HH:MM");
    expected << heading("Counter Block Parameters")
             << QStringLiteral(
                    "C12\tSet Point   =123.45\tNumber of Pulses  =00003\tDesired Display Units  =00007");
    expected << heading("Analog Function Block Parameters")
             << QStringLiteral("A1\tFunction\tV1 Base\t>=\t-005.00")
             << QStringLiteral("A2\tFunction\tV3 Ext A\t<\tV1 Base");
    expected << heading("Compare Counter Block Parameters") << QStringLiteral("P1\tFunction\tC12\t>=\tC3")
             << QStringLiteral("P2\tFunction\tC1\t<>\t00150");
    expected << heading("Soft Text Message Block Parameters")
             << QStringLiteral(
                    "X1 - \tCOUNT C 12 :- Set Point   \tT T 4 :- Preset Off Time      \tDate        ");
    expected << heading("Hour Meter Block Parameters") << QStringLiteral("H2\tSet Point   =0012.5");

    const PrintPages pages = ParameterListing(everyBlockKind());
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], expected);
}

TEST(ParameterListingTest, OnlyKindsInUseGetASection) {
    // A counter but no timer: no timer section. No block at all: the header alone.
    for (const std::uint16_t contact : {std::uint16_t('C'), std::uint16_t('I')}) {
        Ladder l(0);
        l.rung(1, contact, 1, 'Q', 1);
        setHeader(l.p);
        UpdateBlockUsage(l.p);
        QStringList expected = header(1);
        if (contact == 'C') {
            expected << heading("Counter Block Parameters") << CounterListingLine(l.p, 0);
        }
        const PrintPages pages = ParameterListing(l.p);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_EQ(pages[0], expected) << contact;
    }
}

TEST(ParameterListingTest, FirstGenerationTimeSwitchPrintsItsDayRange) {
    Program p;  // model 0: days from "Day 1" to "Day 2"
    TimeSwitchRecord clock;
    clock.startDay = 1, clock.endDay = 5, clock.onHour = 22, clock.offMinute = 7;
    ASSERT_FALSE(SaveTimeSwitch(p, 15, clock, {}));
    EXPECT_EQ(TimeSwitchListingLine(p, 15),
              QStringLiteral("RTC16\tMonday - Friday\tON - 22 : 00\tOFF - 00 : 07"));
}

TEST(PageFrameTest, HeaderSplitsLongPathsIntoPiecesOf55) {
    const QString piece1(55, u'a'), piece2(55, u'b');
    struct Case {
        QString path;
        QStringList pathLines;
    };
    const Case cases[] = {
        {piece1, {QStringLiteral("File Name    : \t\t") + piece1}},
        {piece1 + u'b',
         {QStringLiteral("File Name    : \t\t") + piece1 + QStringLiteral(" - "), QStringLiteral("\t\tb")}},
        {piece1 + piece2 + QString(10, u'c'),
         {QStringLiteral("File Name    : \t\t") + piece1 + QStringLiteral(" - "),
          QStringLiteral("\t\t") + piece2 + QStringLiteral(" - "),
          QStringLiteral("\t\t") + QString(10, u'c')}},
    };
    for (const Case& c : cases) {
        const QStringList lines = PageHeaderLines(headerTexts(c.path), 3);
        EXPECT_EQ(lines.mid(0, 7), header(3).mid(0, 7)) << c.path.size();
        EXPECT_EQ(lines.mid(7), c.pathLines) << c.path.size();
    }
}

TEST(PageFrameTest, TheSixtySixthLineOpensTheNextPageWithItsHeader) {
    for (const QString& path : {QStringLiteral("/plans/pump.h53"), QString(120, u'p')}) {
        const int headerLines = static_cast<int>(PageHeaderLines(headerTexts(path), 1).size());
        PageFrame frame(headerTexts(path));
        const int bodyLines = kPageLines - headerLines + 1;
        for (int i = 1; i <= bodyLines; ++i) {
            frame.printLine(QStringLiteral("line %1").arg(i));
        }
        const PrintPages& pages = frame.pages();
        ASSERT_EQ(pages.size(), 2u);
        EXPECT_EQ(pages[0].size(), kPageLines);
        EXPECT_EQ(pages[0].last(), QStringLiteral("line %1").arg(bodyLines - 1));
        EXPECT_EQ(pages[1].mid(0, headerLines), PageHeaderLines(headerTexts(path), 2));
        EXPECT_EQ(pages[1].mid(headerLines), QStringList{QStringLiteral("line %1").arg(bodyLines)});
    }
}

TEST(CommentListingTest, UsedOperandsByKindThenLineComments) {
    Ladder l(11);
    l.contact(1, 1, 'I', 1).contact(1, 2, 'J', 2, true).wire(1, 3).join(1).coil(1, 'Q', 1);
    l.rung(2, ClockContactOpen, 3, 'M', 5)
        .rung(3, 'Z', 1, 'X', 2)
        .rung(4, 'T', 1, 'C', 12)
        .rung(5, 'P', 1, 'H', 1)
        .rung(6, 'A', 1, 'U', 4);
    Program& p = l.p;
    setHeader(p);
    const std::pair<Operand, int> kNamed[] = {
        {Operand::I, 0}, {Operand::J, 1}, {Operand::Q, 0}, {Operand::U, 3},  {Operand::Clock, 2},
        {Operand::X, 1}, {Operand::Z, 0}, {Operand::T, 0}, {Operand::C, 11}, {Operand::P, 0},
        {Operand::H, 0}, {Operand::A, 0}, {Operand::I, 1}};
    for (const auto& named : kNamed) {
        p.comment(named.first, named.second) = QStringLiteral("c%1").arg(named.second + 1);
    }
    p.LineComments[3] = QStringLiteral("Count\r\nparts");

    QStringList expected = header(1);
    expected << heading("Comments");
    expected << QStringLiteral("Inputs                 ") << QStringLiteral("I1 - c1")
             << QStringLiteral("J2 - c2") << QStringLiteral("Outputs              ")
             << QStringLiteral("Q1 - c1") << QStringLiteral("U4 - c4")
             << QStringLiteral("Auxiliary Relay      ") << QStringLiteral("M5 - ")
             << QStringLiteral("Timers               ") << QStringLiteral("T1 - c1")
             << QStringLiteral("Counters             ") << QStringLiteral("C12 - c12")
             << QStringLiteral("Compare Counters     ") << QStringLiteral("P1 - c1")
             << QStringLiteral("Analog Function      ") << QStringLiteral("A1 - c1")
             << QStringLiteral("Time Switch          ") << QStringLiteral("RTC3 - c3")
             << QStringLiteral("Soft Text Message Box") << QStringLiteral("X2 - c2")
             << QStringLiteral("Z - Keys             ") << QStringLiteral("Z1 - c1")
             << QStringLiteral("Hour Meter             ") << QStringLiteral("H1 - c1")
             << QStringLiteral("Program Lines           ") << QStringLiteral("Line - 4 : Count parts");

    const PrintPages pages = CommentListing(p);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], expected);
}

TEST(CommentListingTest, NothingToListGivesNoPages) {
    Program empty;
    empty.comment(Operand::I, 0) = QStringLiteral("wired but not in the ladder");
    EXPECT_TRUE(CommentListing(empty).empty());

    Program onlyLineComment;
    onlyLineComment.LineComments[249] = QStringLiteral("last");
    const PrintPages pages = CommentListing(onlyLineComment);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].last(), QStringLiteral("Line - 250 : last"));
}

TEST(ShortPrintoutTest, FivePagesOfFiftyNumberedLinesUnderTheHeader) {
    Ladder l(0);
    l.contact(1, 1, 'I', 1).contact(1, 2, 'I', 2, true).wire(1, 3).join(1).coil(1, 'M', 3, CoilSetRetentive);
    l.link(1, 1).contact(2, 1, 'I', 3);
    setHeader(l.p);

    const PrintPages pages = ShortPrintout(l.p);
    ASSERT_EQ(pages.size(), 5u);
    for (int page = 0; page < 5; ++page) {
        ASSERT_EQ(pages[page].size(), 8 + 1 + kShortPrintoutBlockLines) << page;
        EXPECT_EQ(pages[page].mid(0, 8), header(page + 1));
        EXPECT_EQ(pages[page][8], QString());
        for (int i = 0; i < kShortPrintoutBlockLines; ++i) {
            const QString& line = pages[page][9 + i];
            EXPECT_EQ(line.size(), kShortPrintoutLineLength);
            EXPECT_TRUE(
                line.startsWith(QStringLiteral("%1 |").arg(page * 50 + i + 1, 3, 10, QLatin1Char('0'))))
                << line.toStdString();
        }
    }
    const QString dashes14(14, u'-');
    EXPECT_EQ(pages[0][9], QStringLiteral("001 |--[I1]--------+-") + QStringLiteral("--[i2]--------") +
                               QStringLiteral("--") + dashes14 + QStringLiteral("--") + QString(20, u'-') +
                               QStringLiteral("(S* M3)"));
    EXPECT_EQ(pages[0][10], (QStringLiteral("002 |--[I3]--------+ ")).leftJustified(80));
    EXPECT_EQ(pages[4].last(), QStringLiteral("250 |").leftJustified(80));
}

}  // namespace
}  // namespace bdx

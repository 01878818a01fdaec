#include "sim/parameter_monitor.h"

#include <gtest/gtest.h>

#include "../check/ladder_drawing.h"
#include "blocks/analog_record.h"
#include "blocks/counter_record.h"
#include "blocks/timer_record.h"
#include "check/rule_checker.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"

namespace bdx {
namespace {

constexpr int kSecondGenerationModel = 9;  // analog inputs, Time Switch II
constexpr int kFirstGenerationModel = 1;

TEST(ParameterMonitorText, TimerValuesInTheirUnit) {
    const struct {
        double seconds;
        TimeUnit unit;
        const char* shown;
    } cases[] = {
        {4.99, TimeUnit::Seconds, "004.9 s"},  // cut, never rounded up
        {4.9, TimeUnit::Seconds, "004.9 s"},   // a tenth reached in hundredths is shown
        {1500.0, TimeUnit::Seconds, "999.9 s"},
        {90.5, TimeUnit::MinutesSeconds, "01:30 m:s"},
        {100 * 60, TimeUnit::MinutesSeconds, "99:59 m:s"},
        {2 * 3600 + 5 * 60 + 59, TimeUnit::HoursMinutes, "02:05 h:m"},
        {-1.0, TimeUnit::HoursMinutes, "00:00 h:m"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimerValueText(c.seconds, c.unit), QLatin1String(c.shown)) << c.seconds;
    }
}

TEST(ParameterMonitorText, NameCellsNameTheirBlock) {
    const struct {
        const char* name;
        std::optional<MonitorBlock> block;
    } cases[] = {
        {"T 1", MonitorBlock{Operand::T, 0}},
        {"A 12", MonitorBlock{Operand::A, 11}},
        {"RTC 16", MonitorBlock{Operand::Clock, 15}},
        {"H 4", MonitorBlock{Operand::H, 3}},
        {"H 5", std::nullopt},
        {"T 0", std::nullopt},
        {"T1", std::nullopt},
        {"X 1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MonitorBlockOfName(QLatin1String(c.name)), c.block);
        if (c.block) {
            EXPECT_EQ(MonitorBlockName(*c.block), QLatin1String(c.name));
        }
    }
    for (MonitorTab tab : kMonitorTabOrder) {
        EXPECT_EQ(MonitorTabOfKey(MonitorTabKey(tab)), tab);
    }
    EXPECT_FALSE(MonitorTabOfKey(QStringLiteral("Timers")));
}

// A program with every block kind, run on a manual clock.
class ParameterMonitorTest : public ::testing::Test {
  protected:
    bool prepare(Ladder& l) {
        l.p.ExtensionModules = {1, 1, 1};
        program = l.p;
        const std::optional<RunRefusal> refusal = sim.Prepare(program, RunRuleCheck(program));
        EXPECT_FALSE(refusal) << (refusal ? refusal->message.toStdString() : std::string());
        return !refusal;
    }
    void scan(std::int64_t hundredths) {
        clock.advance(hundredths);
        ASSERT_EQ(sim.ScanOnce(), 2);
    }
    QStringList lines(MonitorTab tab) const {
        QStringList result;
        for (const MonitorRow& row : ParameterMonitor(program, sim).rows(tab)) {
            result << row.cells.join(u'|');
        }
        return result;
    }

    ManualClock clock;  // Monday 08:00
    PcSimulation sim{clock};
    Program program;
};

TEST_F(ParameterMonitorTest, RowsShowParametersAndLiveValuesAsTheGridsDo) {
    Ladder l(kSecondGenerationModel);
    l.rung(1, 'I', 1, 'T', 1).rung(2, 'I', 2, 'T', 2);
    l.rung(3, 'I', 3, 'C', 1).rung(4, 'I', 4, 'C', 1, CoilDirection);
    l.rung(5, 'P', 1, 'Q', 1).rung(6, 'A', 1, 'Q', 2).rung(7, ClockContactOpen, 1, 'Q', 3);
    l.rung(8, 'I', 5, 'H', 1).rung(9, 'I', 5, 'H', 2).rung(10, 'I', 5, 'H', 3);

    TimerRecord t1;  // A, 005.0 s, locked
    t1.on = {TimeUnit::Seconds, {0, 0, 5, 0}};
    t1.locked = true;
    EncodeTimer(l.p, 0, t1);
    l.p.comment(Operand::T, 0) = QStringLiteral("lamp delay");
    TimerRecord t2;  // D, ON 01:30 m:s, OFF 00:10 h:m
    t2.type = 3;
    t2.on = {TimeUnit::MinutesSeconds, {0, 1, 3, 0}};
    t2.off = {TimeUnit::HoursMinutes, {0, 0, 1, 0}};
    EncodeTimer(l.p, 1, t2);
    CounterRecord c1;
    c1.setPoint = 12345;
    c1.decimalPosition = 2;
    c1.retentive = true;
    EncodeCounter(l.p, 0, c1);
    CompareRecord p1;
    p1.function = static_cast<int>(CompareFunction::NotEqual);
    p1.constant = 150;
    EncodeCompare(l.p, 0, p1, false);
    WriteAnalog(l.p, 0, AnalogRecord{0, kVref, 2, 500, 2, false});
    WriteAnalogScaling(l.p, 0, AnalogScalingRecord{1, 0, 1000});
    l.p.TimeSwitchParams[0] = {0, 0x1F, 0x1F, 7, 30, 17, 5};  // Mon..Fri 07:30-17:05
    // The same preset digits 01250 at each resolution.
    for (int meter = 0; meter < 3; ++meter) {
        l.p.HourMeterParams[meter] = {std::uint8_t(meter * 4), 0, 1, 2, 5, 0};
    }
    ASSERT_TRUE(prepare(l));

    sim.setInput('I', 5, true);
    sim.setSlider(0, 500);
    ASSERT_NO_FATAL_FAILURE(scan(0));
    // Two pulses on I3; a counter sees its input one scan late.
    sim.setInput('I', 3, true);
    ASSERT_NO_FATAL_FAILURE(scan(539740));  // 09:29:57.40
    sim.setInput('I', 3, false);
    ASSERT_NO_FATAL_FAILURE(scan(1));
    sim.setInput('I', 3, true);
    ASSERT_NO_FATAL_FAILURE(scan(1));
    ASSERT_NO_FATAL_FAILURE(scan(1));
    sim.setInput('I', 1, true);
    sim.setInput('I', 4, true);
    ASSERT_NO_FATAL_FAILURE(scan(1));
    ASSERT_NO_FATAL_FAILURE(scan(246));  // 09:29:59.90: T1 has run 2.46 s

    const struct {
        MonitorTab tab;
        QStringList rows;
    } cases[] = {
        {MonitorTab::Timers,
         {"T 1|Yes|No|A On-Delay|005.0 s||002.4 s|No|Yes|lamp delay",
          "T 2|No|No|D Equal/Unequal ON/OFF 1|01:30 m:s|00:10 h:m|00:00 m:s|No|No|"}},
        {MonitorTab::Counters, {"C 1|Yes|No|D|123.45|002.00|No|No|Yes|"}},
        {MonitorTab::Analog, {"A 1|V1|0050.0|>=|Vref|005.00|Yes|No|"}},
        {MonitorTab::Compare, {"P 1|C1|002.00|<>|Abs.Value|001.50|Yes|No|"}},
        {MonitorTab::TimeSwitches, {"RTC 1|Mon Tue Wed Thu Fri|Mon Tue Wed Thu Fri|07:30|17:05|Yes|No|"}},
        {MonitorTab::HourMeters,
         {"H 1|Yes|No|No|012.50|001.49|001.49|No|No|", "H 2|Yes|No|No|0125.0|0001.4|0001.4|No|No|",
          "H 3|Yes|No|No|01250|00001|00001|No|No|"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(MonitorTabKey(c.tab).toStdString());
        EXPECT_EQ(lines(c.tab), c.rows);
    }
}

TEST_F(ParameterMonitorTest, FirstGenerationTimeSwitchesShowTheirDayRange) {
    Ladder l(kFirstGenerationModel);
    l.rung(1, ClockContactOpen, 1, 'Q', 1).rung(2, ClockContactOpen, 2, 'Q', 2);
    l.p.TimeSwitchParams[0] = {0, 6, 2, 22, 0, 6, 15};  // Saturday to Tuesday, overnight
    l.p.TimeSwitchParams[1] = {0, 7, 1, 8, 0, 9, 0};    // Sunday to Monday
    ASSERT_TRUE(prepare(l));
    ASSERT_NO_FATAL_FAILURE(scan(0));
    EXPECT_EQ(lines(MonitorTab::TimeSwitches),
              QStringList({"RTC 1|Sat|Tue|22:00|06:15|No|No|", "RTC 2|Sun|Mon|08:00|09:00|Yes|No|"}));
}

}  // namespace
}  // namespace bdx

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "../blocks/time_switch_fixture.h"
#include "blocks/analog_record.h"
#include "blocks/device_model.h"
#include "blocks/soft_text_record.h"
#include "blocks/time_switch_schedule.h"
#include "sim/clock_block_evaluation.h"
#include "sim_fixture.h"

namespace bdx {
namespace {

constexpr std::uint16_t kTimeSwitchEntry = 136;
constexpr std::uint16_t kHourMeterEntry = 240;
constexpr std::uint16_t kAnalogEntry = 256;

// 2026-01-05 is a Monday.
QDateTime At(int weekday, int hour, int minute) {
    return QDateTime(QDate(2026, 1, 4 + weekday), QTime(hour, minute));
}

class ClockAnalogTextTest : public SimFixture {
  protected:
    bool entry(std::uint16_t devId) const { return engine.signal(devId); }
};

// The running block switches on its days and times; the week the dialog draws is the week the
// running block switches, minute by minute.
TEST_F(ClockAnalogTextTest, TimeSwitchFollowsItsDaysAndTimesAndTheDrawnWeek) {
    constexpr int kFirst = kFirstGenerationModel, kSecond = kSecondGenerationModel;
    constexpr std::uint8_t kMon = 1, kTue = 2, kWed = 4, kThu = 8, kFri = 16, kSat = 32, kSun = 64;
    struct Check {
        int weekday, hour, minute;
        bool on;
    };
    struct Case {
        std::array<std::uint8_t, 7> fields;  // model; days or day masks, ON hour, minute, OFF hour, minute
        std::vector<Check> checks;
    };
    const Case cases[] = {
        // Monday to Friday
        {{kFirst, 1, 5, 8, 0, 17, 0},
         {{1, 7, 59, 0}, {1, 8, 0, 1}, {5, 16, 59, 1}, {5, 17, 0, 0}, {6, 9, 0, 0}}},
        // Saturday to Tuesday wraps past Sunday
        {{kFirst, 6, 2, 8, 0, 17, 0}, {{7, 10, 0, 1}, {1, 10, 0, 1}, {2, 10, 0, 1}, {3, 10, 0, 0}}},
        // one day, overnight
        {{kFirst, 5, 5, 22, 0, 6, 0},
         {{5, 21, 59, 0}, {5, 22, 0, 1}, {6, 5, 59, 1}, {6, 6, 0, 0}, {5, 5, 0, 0}}},
        // Sunday night into Monday
        {{kFirst, 7, 7, 22, 0, 2, 0}, {{7, 23, 0, 1}, {1, 1, 59, 1}, {1, 2, 0, 0}, {7, 1, 0, 0}}},
        // ON Monday 08:00, OFF Monday 17:00
        {{kSecond, kMon, kMon, 8, 0, 17, 0},
         {{1, 7, 59, 0}, {1, 8, 0, 1}, {1, 16, 59, 1}, {1, 17, 0, 0}, {2, 9, 0, 0}}},
        // ON Monday night, OFF Tuesday
        {{kSecond, kMon, kTue, 22, 0, 6, 0}, {{1, 23, 0, 1}, {2, 5, 59, 1}, {2, 6, 0, 0}, {1, 21, 59, 0}}},
        // a week ago decides
        {{kSecond, kWed, kWed, 14, 0, 12, 0}, {{3, 11, 0, 1}, {3, 12, 0, 0}, {3, 14, 0, 1}, {6, 0, 0, 1}}},
        // ON and OFF on one minute: off
        {{kSecond, kMon, kMon, 10, 0, 10, 0}, {{1, 10, 0, 0}, {1, 12, 0, 0}}},
        // Weeks compared with the drawn week only.
        {{kFirst, 1, 5, 8, 30, 17, 15}, {}},
        {{kFirst, 6, 2, 22, 0, 6, 45}, {}},
        {{kFirst, 7, 7, 23, 59, 0, 1}, {}},
        {{kFirst, 4, 2, 12, 0, 12, 0}, {}},
        {{kSecond, kMon | kWed | kFri, kTue | kThu | kSat, 7, 0, 19, 0}, {}},
        {{kSecond, kSun, kMon, 20, 0, 2, 0}, {}},
        {{kSecond, kTue | kWed, kWed, 9, 0, 9, 0}, {}},
        {{kSecond, 127, kSat, 6, 0, 23, 0}, {}},  // every day on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        Ladder l(c.fields[0]);
        l.rung(1, ClockContactOpen, 1, 'Q', 1);
        std::copy(c.fields.begin() + 1, c.fields.end(), l.p.TimeSwitchParams[0].begin() + 1);
        ASSERT_TRUE(prepare(l));
        for (const Check& check : c.checks) {
            clock.setDateTime(At(check.weekday, check.hour, check.minute));
            ASSERT_EQ(engine.ScanOnce(0), 2);
            EXPECT_EQ(entry(kTimeSwitchEntry), check.on)
                << check.weekday << " " << check.hour << ":" << check.minute;
            EXPECT_NE(entry(kTimeSwitchEntry), entry(kTimeSwitchEntry + 16));
            EXPECT_EQ(engine.operandValue('Q', 1), check.on);
        }
        const int model = c.fields[0];
        const WeeklySchedule week = TimeSwitchSchedule(ReadTimeSwitch(l.p, 0), AdvancedTimeSwitch(model));
        int mismatches = 0;
        for (int day = 0; day < kDaysPerWeek; ++day) {
            for (int minute = 0; minute < kMinutesPerDay; ++minute) {
                LocalDateTime now;
                std::tie(now.weekday, now.hour, now.minute) = std::tuple(day + 1, minute / 60, minute % 60);
                if (week.isOn(day, minute) != TimeSwitchEvaluation::IsOn(l.p, 0, now) && ++mismatches < 4) {
                    ADD_FAILURE() << "model " << model << ", day " << day + 1 << " at " << minute;
                }
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(ClockAnalogTextTest, HourMeterAccumulatesWhileEnabledAndResets) {
    Ladder l(kFirstGenerationModel);
    l.rung(1, 'I', 1, 'H', 1).rung(2, 'I', 2, 'H', 1, CoilReset).rung(3, 'I', 3, 'H', 1, CoilResetAll);
    l.rung(4, 'H', 1, 'Q', 1);
    l.p.HourMeterParams[0][HourMeterField::Preset + 4] = 1;  // 000.01: one count of 36 s
    ASSERT_TRUE(prepare(l));

    struct Step {
        const char* what;
        int inputs;   // I1 enable, I2 reset, I3 reset all
        int advance;  // hundredths before the scan
        double mt, ot;
        bool output;
    };
    const Step steps[] = {
        {"enable", 1, 0, 0, 0, false},
        {"10 s enabled", 1, 1000, 10, 10, false},
        {"disabled: paused", 0, 5000, 10, 10, false},
        {"enabled again: the pause is not counted", 1, 100, 10, 10, false},
        {"20 s more", 1, 2000, 30, 30, false},
        {"reset clears only MT", 3, 1000, 0, 40, false},
        {"OT keeps growing; MT reaches the preset", 1, 3600, 36, 76, true},
        {"output stays above the preset", 1, 100, 37, 77, true},
        {"reset all clears both", 5, 100, 0, 0, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        clock.advance(s.advance);
        ASSERT_EQ(scanWith(s.inputs), 2);
        EXPECT_NEAR(blocks.hourMeters.maintenanceSeconds(0), s.mt, 1e-9);
        EXPECT_NEAR(blocks.hourMeters.operateSeconds(0), s.ot, 1e-9);
        EXPECT_EQ(entry(kHourMeterEntry), s.output);
        EXPECT_NE(entry(kHourMeterEntry), entry(kHourMeterEntry + 4));
    }
    EXPECT_DOUBLE_EQ(blocks.hourMeters.presetSeconds(0), 36.0);
}

TEST_F(ClockAnalogTextTest, AnalogComparisonKeepsItsStateInsideTheBand) {
    struct Case {
        const char* name;
        int function;
        std::vector<std::pair<int, bool>> sliders;  // V1 slider, expected A1
    };
    // V1 scaled 0..1000 with the slider's 0..1000 steps: the band is 5 counts. VREF = 500.
    const Case cases[] = {
        {">", 0, {{400, false}, {501, true}, {496, true}, {495, false}, {499, false}}},
        {"<", 1, {{600, false}, {499, true}, {504, true}, {505, false}, {501, false}, {499, true}}},
        {">=", 2, {{500, true}, {496, true}, {494, false}, {499, false}, {500, true}}},
        {"=", 4, {{500, true}, {496, true}, {505, false}, {502, false}}},
        {"<>", 5, {{500, false}, {503, false}, {495, true}, {498, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ladder l(kFirstGenerationModel);
        l.rung(1, 'A', 1, 'Q', 1);
        WriteAnalogScaling(l.p, 0, {0, 0, 1000});
        WriteAnalog(l.p, 0, {0, kVref, c.function, 500, 0, false});
        ASSERT_TRUE(prepare(l));
        for (const auto& [slider, on] : c.sliders) {
            blocks.analog.setSlider(0, slider);
            ASSERT_EQ(engine.ScanOnce(0), 2);
            EXPECT_EQ(entry(kAnalogEntry), on) << slider;
            EXPECT_NE(entry(kAnalogEntry), entry(kAnalogEntry + 12));
        }
    }
}

TEST_F(ClockAnalogTextTest, AnalogChannelsScaleAndRoundToTheirDecimalPlaces) {
    Ladder l(kFirstGenerationModel);
    WriteAnalogScaling(l.p, 1, {1, -100, 100});  // -10.0 .. 10.0
    WriteAnalogScaling(l.p, 2, {2, 0, 32767});
    blocks.analog.PrepareRun(l.p);
    struct Case {
        int channel, slider;
        double scaled, rounded;
    };
    const Case cases[] = {
        {1, 0, -10.0, -10.0},  {1, 1000, 10.0, 10.0},
        {1, 333, -3.34, -3.3}, {1, 1500, 10.0, 10.0},  // beyond the slider's range
        {2, 1, 0.32767, 0.33},
    };
    for (const Case& c : cases) {
        blocks.analog.setSlider(c.channel, c.slider);
        EXPECT_NEAR(blocks.analog.scaledValue(c.channel), c.scaled, 1e-9) << c.channel << " " << c.slider;
        EXPECT_NEAR(blocks.analog.roundedValue(c.channel), c.rounded, 1e-9) << c.channel << " " << c.slider;
    }
}

class SoftTextTest : public ClockAnalogTextTest {
  protected:
    // X1 from I1, X2 from I2 with reset from I3, X3 from I4, X4 from I5; H1 enabled by I4.
    void SetUp() override {
        l.rung(1, 'I', 1, 'X', 1).rung(2, 'I', 2, 'X', 2).rung(3, 'I', 3, 'X', 2, CoilReset);
        l.rung(4, 'I', 4, 'X', 3).rung(5, 'I', 4, 'H', 1).rung(6, 'I', 5, 'X', 4);
        l.p.HourMeterParams[0][HourMeterField::Preset + 4] = 1;
        SetSoftTextLines(l.p, 0, {QStringLiteral("Low"), QStringLiteral("priority")});
        SetSoftTextLines(l.p, 1, {QStringLiteral("High")});
        SetSoftTextLines(l.p, 2, {});
        l.embed(3, 0, EmbeddedSource::DateTime, 0, 1);
        l.embed(3, 6, EmbeddedSource::AnalogInput, 1, 0);
        l.embed(3, 12, EmbeddedSource::DateTime, 0, 0);
        l.embed(3, 24, EmbeddedSource::HourMeter, 1, 1);
        SetSoftTextLines(l.p, 3, {});
        l.embed(4, 0, EmbeddedSource::AnalogInput, 5, 0);
        WriteAnalogScaling(l.p, 0, {0, 0, 1000});
        ASSERT_TRUE(prepare(l));
        blocks.softTexts.setDisplayShown(true);
    }
    void expectDisplay(const char* caption, int message, const QStringList& lines) {
        EXPECT_EQ(blocks.softTexts.caption(), QString::fromLatin1(caption));
        EXPECT_EQ(blocks.softTexts.shownMessage(), message);
        EXPECT_EQ(blocks.softTexts.lines(), lines);
    }

    Ladder l{kFirstGenerationModel};
};

TEST_F(SoftTextTest, ActiveMessagesAreRankedHighestNumberFirst) {
    const QString blank(kSoftTextLineLength, QLatin1Char(' '));
    const QStringList shown[] = {{blank, blank, blank},
                                 {QStringLiteral("Low         "), QStringLiteral("priority    "), blank},
                                 {QStringLiteral("High        "), blank, blank}};
    struct Step {
        int scroll;  // set before the scan; 0 leaves it, -1 asks for the first rank
        int inputs;  // I1 X1, I2 X2, I3 resets X2
        const char* caption;
        int message;
    };
    const Step steps[] = {
        {0, 0, "No message", 0},
        {0, 1, "Priority Message 1 of 1", 1},
        {0, 3, "Priority Message 1 of 2", 2},
        {2, 3, "Priority Message 2 of 2", 1},
        {0, 7, "Priority Message 1 of 1", 1},  // reset: the scroll value beyond m goes back to 1
        {2, 3, "Priority Message 2 of 2", 1},
        {-1, 3, "Priority Message 1 of 2", 2},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.inputs);
        if (s.scroll > 0) {
            blocks.softTexts.setScrollValue(s.scroll);
        } else if (s.scroll < 0) {
            blocks.softTexts.showFirstMessage();
        }
        ASSERT_EQ(scanWith(s.inputs), 2);
        expectDisplay(s.caption, s.message, shown[s.message]);
    }
    // Without the display view nothing changes.
    blocks.softTexts.setDisplayShown(false);
    ASSERT_EQ(scanWith(0), 2);
    expectDisplay("Priority Message 1 of 2", 2, shown[2]);
}

TEST_F(SoftTextTest, EmbeddedFieldsShowLiveValues) {
    clock.setDateTime(At(1, 8, 5));
    blocks.analog.setSlider(0, 500);
    ASSERT_EQ(scanWith(8), 2);
    clock.advance(7200);  // 72 s of H1: two counts of 36 s
    ASSERT_EQ(scanWith(8), 2);
    expectDisplay(
        "Priority Message 1 of 1", 3,
        {QStringLiteral("08:06  00500"), QStringLiteral("05:01:26    "), QStringLiteral("000.02      ")});
}

TEST_F(SoftTextTest, MessageNeedingAnAbsentExtensionModuleEndsTheRun) {
    ASSERT_EQ(scanWith(16), 2);  // V5 on module B, present
    EXPECT_TRUE(blocks.softTexts.endMessage().isEmpty());
    l.p.ExtensionModules[1] = 0;
    EXPECT_EQ(scanWith(16), 1);
    EXPECT_EQ(blocks.softTexts.endMessage(), QStringLiteral("Extension module B is not selected."));
    ASSERT_TRUE(prepare(l));  // a new run starts without it
    EXPECT_TRUE(blocks.softTexts.endMessage().isEmpty());
}

}  // namespace
}  // namespace bdx

#include <gtest/gtest.h>

#include "blocks/counter_record.h"
#include "blocks/timer_record.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

template <std::size_t N>
std::vector<int> Fields(const std::array<std::uint8_t, N>& row, int first, int count) {
    return std::vector<int>(row.begin() + first, row.begin() + first + count);
}

class RecordsTest : public ::testing::Test {
  protected:
    void SetUp() override { SetLanguageOffset(English); }
};

TEST_F(RecordsTest, TimerValueEntryCorrections) {
    const struct {
        const char *typed, *shown;
        char separator;
        bool message;
    } cases[] = {
        {"1234.5", "999.9", '.', true}, {"1234,5", "999,9", ',', true}, {"999.95", "999.9", '.', true},
        {"999.9", "999.9", '.', false}, {"", "", '.', false},           {",", ",", ',', false},
    };
    for (const auto& c : cases) {
        ScriptedPrompter prompter;
        EXPECT_EQ(CorrectSecondsEntry(QString::fromLatin1(c.typed), QLatin1Char(c.separator), prompter),
                  QString::fromLatin1(c.shown))
            << c.typed;
        EXPECT_EQ(prompter.texts(),
                  c.message ? QStringList{QStringLiteral("Maximum Value is 999.9")} : QStringList{})
            << c.typed;
    }
    EXPECT_EQ(CorrectTwoDigitEntry(QStringLiteral("75"), true), QStringLiteral("59"));
    EXPECT_EQ(CorrectTwoDigitEntry(QStringLiteral("75"), false), QStringLiteral("75"));
}

TEST_F(RecordsTest, TimerSaveStoresTheDialogFields) {
    constexpr TimeUnit S = TimeUnit::Seconds, MS = TimeUnit::MinutesSeconds, HM = TimeUnit::HoursMinutes;
    struct Typed {
        TimeUnit unit;
        const char *first, *second;
    };
    const struct {
        int type;
        Typed on, off;
        bool locked;
        int units;
        std::vector<int> onDigits, offDigits;  // one-time types leave the old OFF digits
        int onHundredths;
    } cases[] = {
        {0, {S, "012,5", ""}, {HM, "01", "00"}, false, 0, {0, 1, 2, 5}, {7, 7, 7, 7}, 1250},
        {3, {MS, "01", "30"}, {HM, "00", "10"}, true, 33, {0, 1, 3, 0}, {0, 0, 1, 0}, 9000},
        {7, {HM, "01", "30"}, {S, "5,", ""}, false, 2, {0, 1, 3, 0}, {0, 0, 5, 0}, 540000},
        {13, {S, "999,94", ""}, {S, "1", ""}, true, 0, {9, 9, 9, 9}, {7, 7, 7, 7}, 99990},
    };
    const QChar comma(QLatin1Char(','));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        Program p;
        p.TimerParams[4] = {kFlagInUse | kFlagLocked, 0x11, 9, 1, 1, 1, 1, 7, 7, 7, 7};
        TimerRecord record;
        record.type = c.type;
        record.on = ParseSetTime(c.on.unit, QLatin1String(c.on.first), QLatin1String(c.on.second), comma);
        record.off = ParseSetTime(c.off.unit, QLatin1String(c.off.first), QLatin1String(c.off.second), comma);
        record.locked = c.locked;
        record.comment = QStringLiteral("pump");
        EncodeTimer(p, 4, record);

        const auto& row = p.TimerParams[4];
        EXPECT_EQ(row[TimerField::Flags], c.locked ? 3 : 1);  // the in-use bit is the usage scan's
        EXPECT_EQ(row[TimerField::Units], c.units);
        EXPECT_EQ(row[TimerField::Type], c.type);
        EXPECT_EQ(Fields(row, TimerField::OnTime, 4), c.onDigits);
        EXPECT_EQ(Fields(row, TimerField::OffTime, 4), c.offDigits);
        EXPECT_TRUE(p.ProgramModified);

        const TimerRecord back = DecodeTimer(p, 4);
        EXPECT_EQ(back.on, record.on);
        EXPECT_EQ(back.comment, QStringLiteral("pump"));
        EXPECT_EQ(PresetHundredths(back.on), c.onHundredths);
        if (c.on.unit != S) {
            EXPECT_EQ(SetTimeFieldTexts(back.on, comma), QStringList({c.on.first, c.on.second}));
        }
    }
    EXPECT_EQ(FormatSetTime({TimeUnit::Seconds, {0, 1, 2, 5}}, comma), QStringLiteral("012,5"));
}

TEST_F(RecordsTest, CounterSaveChecksScalingInOrder) {
    const QString limit = LoadText(112);
    const QString noPulses = QStringLiteral("Number of Pulses value of counter should not be zero");
    const QString noUnits = QStringLiteral("Desired Display Units value of counter should not be zero");
    const struct {
        int units, position, pulses;
        bool simulating;
        QString message;  // empty: saved
        int storedPulses, storedUnits;
    } cases[] = {
        {1, 0, 42950, false, {}, 42950, 1},
        {1, 0, 42951, false, limit, 0, 0},
        {0, 0, 42951, true, limit, 0, 0},
        {1, 1, 42951, false, {}, 42951, 1},
        {2, 0, 60000, false, {}, 60000, 2},
        {1, 0, 70000, false, limit, 0, 0},  // refused before the 65535 cap applies
        {70000, 0, 99999, false, {}, 65535, 65535},
        {5, 0, 0, false, noPulses, 0, 0},
        {0, 0, 0, false, noPulses, 0, 0},
        {0, 2, 10, false, noUnits, 0, 0},
        {0, 2, 0, true, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.units << " units, " << c.pulses << " pulses");
        Program p;
        const Program before = p;
        CounterRecord entry{150, c.position, c.pulses, c.units, false, false, false, {}};
        ScriptedPrompter prompter;
        const bool saved = Accepted(prompter, SaveCounter(p, 1, entry, c.simulating));
        if (c.message.isEmpty()) {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(prompter.messages().empty());
            const CounterRecord stored = DecodeCounter(p, 1);
            EXPECT_EQ(stored.pulses, c.storedPulses);
            EXPECT_EQ(stored.displayUnits, c.storedUnits);
            continue;
        }
        EXPECT_FALSE(saved);
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(prompter.messages()[0].text, c.message);
        EXPECT_EQ(prompter.messages()[0].icon,
                  c.message == limit ? MessageIcon::Warning : MessageIcon::Information);
        EXPECT_EQ(p, before);
    }
    EXPECT_TRUE(limit.endsWith(QStringLiteral("can not be greater than 42950.")));
}

TEST_F(RecordsTest, CounterFlagsDigitsAndSetPoint) {
    Program p;
    p.CounterParams[15][CounterField::Flags] = kFlagInUse | 0xE0;
    CounterRecord record{12345, 2, 300, 7, true, true, false, QStringLiteral("boxes")};
    EncodeCounter(p, 15, record);
    const auto& row = p.CounterParams[15];
    EXPECT_EQ(row[CounterField::Flags], kFlagInUse | kFlagLocked | 16 | 2 * 32);
    EXPECT_EQ(Fields(row, 1, 15), (std::vector<int>{1, 2, 3, 4, 5, 0, 0, 3, 0, 0, 0, 0, 0, 0, 7}));
    record.inUse = true;
    EXPECT_EQ(DecodeCounter(p, 15), record);

    EXPECT_EQ(FormatSetPoint(12345, 2), QStringLiteral("123.45"));
    EXPECT_EQ(FormatSetPoint(5, 4), QStringLiteral("0.0005"));
    EXPECT_EQ(CorrectSetPointEntry(QStringLiteral("123456")), QStringLiteral("99999"));
    EXPECT_EQ(CorrectSetPointEntry(QStringLiteral("0150")), QStringLiteral("0150"));
}

TEST_F(RecordsTest, CompareSave) {
    const struct {
        CompareRecord record;
        bool refused;
        int flags;
        std::vector<int> constant;
        int counters;
    } cases[] = {
        // P = C3 >= 150; P = C1 <> C16
        {{.firstCounter = 2, .function = 2, .constant = 150}, false, 8 | 32, {0, 0, 1, 5, 0}, 2},
        {{.function = 5, .constantOperand = false, .secondCounter = 15}, false, 5 * 16, {0, 0, 0, 0, 0}, 240},
        // The same counter on both sides only matters when the operand is a counter.
        {{.firstCounter = 4, .constant = 99999, .locked = true}, false, 2 | 8, {9, 9, 9, 9, 9}, 4},
        {{.firstCounter = 4, .constantOperand = false, .secondCounter = 4}, true, 0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record.firstCounter * 100 + c.record.function);
        Program p;
        p.CompareParams[1] = {kFlagInUse | 0x04 | 0x80, 7, 7, 7, 7, 7, 0x33};
        const Program before = p;
        ScriptedPrompter prompter;
        const bool saved = Accepted(prompter, SaveCompare(p, 1, c.record, false));
        if (c.refused) {
            EXPECT_FALSE(saved);
            EXPECT_EQ(prompter.texts(),
                      QStringList{QStringLiteral("The compare function is not allowed for same counter")});
            EXPECT_EQ(p, before);
            continue;
        }
        EXPECT_TRUE(saved);
        const auto& row = p.CompareParams[1];
        EXPECT_EQ(row[CompareField::Flags], kFlagInUse | c.flags);
        EXPECT_EQ(Fields(row, CompareField::Constant, 5), c.constant);
        EXPECT_EQ(row[CompareField::Counters], c.counters);
        CompareRecord expected = c.record;
        expected.inUse = true;
        EXPECT_EQ(DecodeCompare(p, 1), expected);
    }
}

}  // namespace
}  // namespace bdx

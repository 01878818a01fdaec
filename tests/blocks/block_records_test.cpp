#include <gtest/gtest.h>

#include "blocks/analog_record.h"
#include "blocks/counter_record.h"
#include "blocks/hour_meter_record.h"
#include "blocks/soft_text_record.h"
#include "blocks/time_switch_record.h"
#include "blocks/timer_record.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"
#include "time_switch_fixture.h"

namespace bdx {
namespace {

struct TimeSwitchSave {
    int model;
    TimeSwitchRecord record;
    QString message;  // empty when saved
    int field1, field2;
};

TEST(TimeSwitchRecordTest, SaveChecksDaysThenWritesTheGenerationsForm) {
    const TimeSwitchSave cases[] = {
        {kSecondGenerationModel, {.offDays = DaysOf({1})}, "Select Proper Start Day.", 0, 0},
        {kSecondGenerationModel, {.onDays = DaysOf({1})}, "Select Proper End Day.", 0, 0},
        {kSecondGenerationModel, {.onDays = DaysOf({1, 5}), .offDays = DaysOf({7})}, "", 17, 64},
        {kFirstGenerationModel, {.endDay = 3}, "Please select \"From\" Weekday", 0, 0},
        {kFirstGenerationModel, {.startDay = 2}, "Please select \"To\" Weekday", 0, 0},
        {kFirstGenerationModel, {.startDay = 7, .endDay = 1}, "", 7, 1},
    };
    for (const TimeSwitchSave& c : cases) {
        Program p;
        p.ModelIndex = c.model;
        p.TimeSwitchParams[5][TimeSwitchField::Flags] = kFlagInUse;
        TimeSwitchRecord record = c.record;
        std::tie(record.onHour, record.onMinute, record.offHour, record.offMinute, record.locked) =
            std::tuple(22, 5, 6, 59, true);
        ScriptedPrompter prompter;
        const bool saved = Accepted(prompter, SaveTimeSwitch(p, 5, record, "pump"));
        SCOPED_TRACE(c.message.toStdString());
        EXPECT_EQ(saved, c.message.isEmpty());
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(p.ProgramModified, saved);
        if (saved) {
            const auto& row = p.TimeSwitchParams[5];
            EXPECT_EQ(row, (std::array<std::uint8_t, 7>{kFlagInUse | kFlagLocked, std::uint8_t(c.field1),
                                                        std::uint8_t(c.field2), 22, 5, 6, 59}));
            EXPECT_EQ(p.comment(Operand::Clock, 5), "pump");
            EXPECT_EQ(ReadTimeSwitch(p, 5), record);
        }
    }
}

TEST(TimeSwitchRecordTest, EntryCapsAndDayMasks) {
    EXPECT_EQ(CapTimeEntry("25", kLargestHour) + CapTimeEntry("61", kLargestMinute), "2359");
    EXPECT_EQ(CapTimeEntry("23", kLargestHour), "23");
    EXPECT_EQ(DayMaskString(DaysOf({1, 5})), "0010001");
    EXPECT_EQ(DaysOfMask(65), DaysOf({1, 7}));
}

TEST(HourMeterRecordTest, PresetEntryIsCappedPerResolution) {
    struct Case {
        int resolution;
        QString typed, separator, result, message;
    };
    const Case cases[] = {
        {Resolution36Sec, "1000", ".", "999.99", "Maximum Value is 999.99"},
        {Resolution6Min, "10000", ".", "9999.9", "Maximum Value is 9999.9"},
        {Resolution1Hr, "100000", ".", "99999", "Maximum Value is 99999"},
        {Resolution36Sec, "999.991", ".", "999.99", "Maximum Value is 999.99"},
        {Resolution6Min, "10000,0", ",", "9999,9", "Maximum Value is 9999.9"},
        {Resolution36Sec, "999.99", ".", "999.99", ""},
        {Resolution1Hr, "12", ".", "12", ""},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        EXPECT_EQ(CapHourMeterPresetEntry(c.typed, c.resolution, prompter, c.separator), c.result)
            << c.typed.toStdString();
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
}

TEST(HourMeterRecordTest, ResolutionMovesOnlyTheSeparator) {
    EXPECT_EQ(ChangeHourMeterResolution("12345", Resolution36Sec), "123.45");
    EXPECT_EQ(ChangeHourMeterResolution("123.45", Resolution6Min), "1234.5");
    EXPECT_EQ(ChangeHourMeterResolution("1234.5", Resolution1Hr), "12345");
    EXPECT_EQ(ChangeHourMeterResolution("12.5", Resolution1Hr), "00125");
    EXPECT_EQ(ChangeHourMeterResolution("12,5", Resolution36Sec, ","), "001,25");
    const HourMeterRecord record{Resolution6Min, {0, 0, 1, 2, 5}};
    EXPECT_EQ(HourMeterPresetText(record), "0012.5");
    EXPECT_EQ(LargestHourMeterPresetText(Resolution36Sec), "999.99");
    EXPECT_EQ(HourMeterDigitsOfText("12.5"), (std::array<std::uint8_t, 5>{0, 0, 1, 2, 5}));
}

// A rough entry becomes the five digits of its value; accumulated times show whole counts only.
TEST(HourMeterRecordTest, EntriesAndTimesInTheResolutionsForm) {
    EXPECT_EQ(NormalHourMeterPresetText("5.5", Resolution36Sec), "005.50");
    EXPECT_EQ(NormalHourMeterPresetText("12.56", Resolution6Min), "0012.6");
    EXPECT_EQ(NormalHourMeterPresetText("7,25", Resolution36Sec, ","), "007,25");
    for (const char* zero : {"", "x", "-4"}) {
        EXPECT_EQ(NormalHourMeterPresetText(zero, Resolution1Hr), "00000") << zero;
    }
    EXPECT_EQ(NormalHourMeterPresetText("1e300", Resolution36Sec), "999.99");
    EXPECT_EQ(HourMeterTimeText(35.99, Resolution36Sec), "000.00");
    EXPECT_EQ(HourMeterTimeText(3600.0 * 12.5, Resolution6Min), "0012.5");
    EXPECT_EQ(HourMeterTimeText(1e12, Resolution1Hr), "99999");
}

TEST(HourMeterRecordTest, SaveRefusesZeroOutsideSimulationAndStoresCode) {
    for (int resolution : {Resolution36Sec, Resolution6Min, Resolution1Hr}) {
        for (bool simulation : {false, true}) {
            Program p;
            ScriptedPrompter prompter;
            const bool saved =
                Accepted(prompter, SaveHourMeter(p, 1, {resolution, {}, true}, "h", simulation));
            EXPECT_EQ(saved, simulation);
            EXPECT_EQ(prompter.texts().size(), simulation ? 0 : 1);
            EXPECT_EQ(p.HourMeterParams[1][0], simulation ? kFlagLocked | resolution * 4 : 0);
        }
    }
    Program p;
    p.HourMeterParams[3][HourMeterField::Flags] = kFlagInUse | kFlagLocked | 8;
    ScriptedPrompter prompter;
    const HourMeterRecord record{Resolution6Min, HourMeterDigitsOfText("12.5"), false};
    ASSERT_TRUE(Accepted(prompter, SaveHourMeter(p, 3, record, "fan", false)));
    EXPECT_EQ(p.HourMeterParams[3], (std::array<std::uint8_t, 6>{kFlagInUse | 4, 0, 0, 1, 2, 5}));
    EXPECT_EQ(ReadHourMeter(p, 3), record);
    EXPECT_EQ(p.comment(Operand::H, 3), "fan");
    EXPECT_EQ(HourMeterPresetSeconds(record), 125 * 360);
    EXPECT_EQ(HourMeterPresetSeconds({Resolution36Sec, {0, 0, 0, 0, 1}}), 36);
    EXPECT_EQ(HourMeterPresetSeconds({Resolution1Hr, {9, 9, 9, 9, 9}}), 99999LL * 3600);
}

TEST(AnalogRecordTest, RecordFieldsRoundTrip) {
    Program p;
    p.AnalogParams[0][AnalogField::Flags] = kFlagInUse | 0xE0;
    WriteAnalog(p, 0, {0, kVref, 2, 500, 0, false});
    EXPECT_EQ(p.AnalogParams[0][AnalogField::Flags], kFlagInUse);
    EXPECT_EQ(p.AnalogParams[0][AnalogField::Operands], 128);
    EXPECT_EQ(p.AnalogParams[0][AnalogField::Function], 2);
    EXPECT_EQ(p.AnalogParams[0][AnalogField::RefHigh], 1);
    EXPECT_EQ(p.AnalogParams[0][AnalogField::RefLow], 244);
    EXPECT_NE(p.AnalogParams[0][AnalogField::Sign], '-');
    for (const AnalogRecord& record : {AnalogRecord{7, 6, 5, -32768, 7, true},
                                       AnalogRecord{3, kVref, 0, 32767, 2}, AnalogRecord{1, 0, 4, -1, 1}}) {
        WriteAnalog(p, 11, record);
        EXPECT_EQ(ReadAnalog(p, 11), record);
    }
    EXPECT_EQ(ReadAnalog(Program{}, 0).secondOperand, kVref);  // a fresh block compares with VREF
    EXPECT_EQ(ClampReferenceEntry("-40000"), "-32768");
    EXPECT_EQ(ClampReferenceEntry("32768"), "32767");
    EXPECT_EQ(ClampReferenceEntry("-99999999999999999999999"), "-32768");
    EXPECT_EQ(ClampReferenceEntry("-"), "-");
}

TEST(AnalogRecordTest, SaveValidatesInOrder) {
    const auto mismatch = [](const QString& first, const QString& second) {
        return "Analog Scaling Values for Channel '" + first + "' and '" + second +
               "' are not same.\r\nDo u want to Continue ?\r\n\r\nSee help for more detail.";
    };
    const QString module = "Extension module %1 is not selected. Hence its features cannot be used.";
    struct Case {
        AnalogRecord record;
        QString reference;
        bool simulation;
        std::optional<Reply> reply;
        QStringList messages;
        bool saved;
    };
    const Case cases[] = {
        {{0, kVref, 2}, "12a", false, {}, {"Please Eneter Valid Reference Count"}, false},
        {{0, kVref, 2}, "40000", false, {}, {"Please Eneter Valid Reference Count"}, false},
        {{0, 1, 0}, "0", false, Reply::No, {mismatch("V1", "V2")}, false},
        {{0, 1, 0}, "0", false, Reply::Yes, {mismatch("V1", "V2")}, true},
        // The scaling question comes before the module check.
        {{2, 0, 1}, "0", false, Reply::Yes, {mismatch("V3", "V1"), module.arg('A')}, false},
        {{5, 6, 1}, "0", false, {}, {module.arg('C')}, false},
        {{4, 4, 1}, "0", false, {}, {"The compare function is not allowed for same analog input."}, false},
        {{4, 4, 1}, "0", true, {}, {}, true},
        {{0, kVref, 2, 0, 1}, "-500", false, Reply::Yes, {mismatch("V1", "VREF")}, true},
    };
    for (const Case& c : cases) {
        Program p;
        p.ExtensionModules = {0, 1, 0};
        WriteAnalogScaling(p, 0, {0, 0, 1000});
        WriteAnalogScaling(p, 1, {0, 0, 500});
        ScriptedPrompter prompter;
        if (c.reply) {
            prompter.queueReply(*c.reply);
        }
        const bool saved = SaveAnalog(p, 3, c.record, c.reference, "level", c.simulation, prompter);
        SCOPED_TRACE(c.messages.join(' ').toStdString());
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(prompter.texts(), c.messages);
        EXPECT_EQ(prompter.unanswered(), 0);
        EXPECT_EQ(p.ProgramModified, saved);
        EXPECT_EQ(p.comment(Operand::A, 3), saved ? "level" : "");
        if (saved) {
            AnalogRecord expected = c.record;
            expected.reference = c.reference.toInt();
            EXPECT_EQ(ReadAnalog(p, 3), expected);
        }
    }
}

TEST(AnalogRecordTest, ValueTextsWithTheirDecimalPoint) {
    EXPECT_EQ(AnalogValueText(500, 2), "005.00");
    EXPECT_EQ(AnalogValueText(-32768, 4), "-3.2768");
    EXPECT_EQ(AnalogValueText(-5, 9), "-0.0005");
    EXPECT_EQ(AnalogDecimalListTexts(), (QStringList{"00000", "0000.0", "000.00", "00.000", "0.0000"}));
}

TEST(AnalogScalingTest, RecordsAndDialogChecks) {
    Program p;
    WriteAnalogScaling(p, 7, {2, -32768, 32767});
    const auto& row = p.AnalogScalingParams[7];
    EXPECT_EQ(row, (std::array<std::uint8_t, 13>{2, '-', 3, 2, 7, 6, 8, '+', 3, 2, 7, 6, 7}));
    EXPECT_EQ(ReadAnalogScaling(p, 7), (AnalogScalingRecord{2, -32768, 32767}));

    for (const char* good : {"", "-", "-32768", "32767", " 12 "}) {
        ScriptedPrompter prompter;
        EXPECT_TRUE(Accepted(prompter, CheckAnalogScalingEntry(good))) << good;
    }
    for (const char* bad : {"32768", "1.5", "abc", "--1"}) {
        ScriptedPrompter prompter;
        EXPECT_FALSE(Accepted(prompter, CheckAnalogScalingEntry(bad))) << bad;
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(prompter.messages()[0].caption, "Wrong Input");
        EXPECT_EQ(prompter.messages()[0].text, "Please give correct Input [between -32768 to 32767].");
    }

    std::array<AnalogScalingEntry, kAnalogChannels> entries;
    entries.fill({"0", "1000", 1});
    const std::pair<AnalogScalingEntry, QString> refusals[] = {
        {{"0", "", 0}, "Please Enter Valid Max. Value"},
        {{"x", "99999", 0}, "Please Enter Valid Max. Value"},
        {{"", "10", 0}, "Please Enter Valid Min. Value"},
    };
    for (const auto& [entry, message] : refusals) {
        auto bad = entries;
        bad[5] = entry;
        Program q;
        ScriptedPrompter prompter;
        EXPECT_FALSE(Accepted(prompter, SaveAnalogScaling(q, bad)));
        EXPECT_EQ(prompter.texts(), QStringList{message});
        EXPECT_EQ(q, Program{});
    }
    ScriptedPrompter prompter;
    ASSERT_TRUE(Accepted(prompter, SaveAnalogScaling(p, entries)));
    EXPECT_EQ(ReadAnalogScaling(p, 7), (AnalogScalingRecord{1, 0, 1000}));
    EXPECT_TRUE(p.ProgramModified);
}

// A token the insert dialog makes reads back as the field the message stores.
TEST(SoftTextRecordTest, EmbeddedDataTokens) {
    const QString g(kEmbeddedTokenMarker);
    struct Case {
        EmbeddedDataRequest request;
        QString result;  // the token, or the message when refused
        bool inserted;
        EmbeddedField field;  // stored for the token
    };
    const Case cases[] = {
        {{EmbeddedChoice::Counter, 12, 0}, g + "2" + "12" + "0", true, {0, 2, 12, 0}},
        {{EmbeddedChoice::Counter, 5, 1}, g + "2" + " 5" + "1", true, {0, 2, 5, 1}},
        {{EmbeddedChoice::Timer, 16, 2}, g + "1" + "16" + "2", true, {0, 1, 16, 2}},
        {{EmbeddedChoice::HourMeter, 4, 2}, g + "8" + " 4" + "2", true, {0, 8, 4, 2}},
        {{EmbeddedChoice::HourMeter, 4, 1}, g + "8" + " 4" + "1", true, {0, 8, 4, 1}},
        {{EmbeddedChoice::Analog, 1}, g + "4" + "1" + "x", true, {0, 4, 1, 0}},
        {{EmbeddedChoice::Analog, 7}, g + "4" + "7" + "x", true, {0, 4, 7, 0}},
        {{EmbeddedChoice::Date}, g + "7" + " " + "0", true, {0, 7, 0, 0}},
        {{EmbeddedChoice::Time}, g + "7" + " " + "1", true, {0, 7, 1, 1}},
        {{EmbeddedChoice::Counter, 5}, "Select at least one parameter.", false, {}},
        {{EmbeddedChoice::Counter, 0, 1}, "Please select the counter number.", false, {}},
        {{EmbeddedChoice::Timer, 0, 0}, "Please select the timer number.", false, {}},
        {{EmbeddedChoice::Timer, 3}, "Select at least one parameter.", false, {}},
        {{EmbeddedChoice::HourMeter, 0, 0}, "Please select the Hour Meter number.", false, {}},
        {{EmbeddedChoice::HourMeter, 2}, "Select at least one parameter.", false, {}},
        {{EmbeddedChoice::Analog}, "Please select the analog input number.", false, {}},
    };
    for (const Case& c : cases) {
        const EmbeddedToken made = MakeEmbeddedDataToken(c.request);
        EXPECT_EQ(made.token.has_value(), c.inserted) << c.result.toStdString();
        EXPECT_EQ(c.inserted ? made.token.value_or("") : made.refusal.value_or(Message{}).text, c.result);
        EXPECT_EQ(made.refusal.has_value(), !c.inserted);
        ScriptedPrompter prompter;
        EXPECT_EQ(BuildEmbeddedDataToken(c.request, prompter), made.token);
        EXPECT_EQ(prompter.texts(), c.inserted ? QStringList() : QStringList{c.result});
        if (c.inserted) {
            EXPECT_EQ(ParseEmbeddedDataToken(c.result), c.field) << c.result.toStdString();
        }
    }
    for (const char* bad :
         {"", "`", "x2 51", "`2 5", "`2  1", "`2 5x", "`49x", "`41y", "`7 2", "`3 51", "`7x0"}) {
        EXPECT_FALSE(ParseEmbeddedDataToken(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(EmbeddedTimerWords(0, 0), " On Delay time");
    EXPECT_EQ(EmbeddedTimerWords(7, 2), " Delayed Impulse ON time");
    EXPECT_EQ(EmbeddedTimerWords(7, 0), " Delayed Impulse OFF time");
    EXPECT_EQ(EmbeddedTimerWords(13, 1), " Impulse ON OFF");
    EXPECT_EQ(EmbeddedTimerWords(14, 0), "");
}

TEST(SoftTextRecordTest, MessageLinesRoundTrip) {
    Program p;
    EXPECT_EQ(SoftTextLines(p, 0), QStringList(3, QString(12, ' ')));
    SetSoftTextLines(
        p, 15, {"Level", QString("`") + QChar(2) + QChar(12) + QChar(0) + " m", "much too long a line"});
    EXPECT_EQ(SoftTextLines(p, 15),
              (QStringList{"Level       ", QString("`") + QChar(2) + QChar(12) + QChar(0) + " m      ",
                           "much too lon"}));
    EXPECT_EQ(p.SoftTextParams[15][12], 96);
    EXPECT_EQ(p.SoftTextParams[15][13], 2);
    EXPECT_EQ(p.SoftTextParams[15][14], 12);
    SetSoftTextLines(p, 15, {QString::fromUtf8("€ ok \u4e2d")});
    EXPECT_EQ(p.SoftTextParams[15][0], 0x80);
    EXPECT_EQ(SoftTextLines(p, 15)[0], QString::fromUtf8("€ ok ?      "));
    EXPECT_EQ(SoftTextLines(p, 15)[2], QString(12, ' '));
}

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

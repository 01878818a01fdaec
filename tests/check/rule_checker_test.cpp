#include "check/rule_checker.h"

#include <gtest/gtest.h>

#include "check/rule_messages.h"
#include "ladder_drawing.h"
#include "shell/language_table.h"

namespace bdx {

void PrintTo(const ErrorRow& row, std::ostream* os) {
    *os << "{line " << row.line << ", kind " << row.positionKind << ", column " << row.column << ", \""
        << row.message.toStdString() << "\"}";
}

namespace {

constexpr int kAnalogDisplayModel = 9;  // the default model 8 has a display but no analog inputs
constexpr int kLedModel = 12;           // neither

using Rows = std::vector<ErrorRow>;

ErrorRow row(const QString& message, int line = 0, int kind = ErrorPosition::None, int column = 0) {
    return {line, kind, column, message};
}
ErrorRow atContact(const QString& message, int line, int column) {
    return row(message, line, ErrorPosition::Contact, column);
}
ErrorRow atJunction(const QString& message, int line, int column) {
    return row(message, line, ErrorPosition::Connection, column);
}
ErrorRow atCoil(const QString& message, int line) {
    return row(message, line, ErrorPosition::Coil);
}

class RuleCheckerTest : public testing::Test {
  protected:
    void TearDown() override { SetLanguageOffset(English); }
    Rows check() { return RunRuleCheck(l.p); }
    Ladder l;
};

TEST_F(RuleCheckerTest, WiringFaultsAtTheirConnections) {
    for (int line = 1; line <= 4; ++line) {
        l.rung(line, 'I', line, 'Q', line);
    }
    l.rung(10, 'I', 5, 'M', 1).rung(20, 'I', 6, 'M', 2);
    l.word(1, 0) = l.word(1, 1) = CellWire;   // a wire in column 1
    l.junction(1, 2) |= JunctionUp;           // nothing above line 1
    l.junction(2, 1) &= ~JunctionLeft;        // contact with no way out
    l.word(3, 3) = l.word(3, 4) = CellEmpty;  // wire removed, its bits kept
    l.junction(4, 3) &= ~JunctionRight;       // coil never joined
    l.junction(10, 1) |= JunctionDown;        // line 11 has no up bit
    l.junction(20, 3) |= JunctionUp;          // line 19 has no down bit
    l.junction(30, 2) = JunctionBase | JunctionUp;
    l.contact(40, 1, 'I', 1).contact(41, 1, 'I', 2).link(40, 1);  // parallel contacts leading nowhere
    l.wire(48, 3).join(48).coil(48, 'M', 3).wire(49, 3).join(49).coil(49, 'M', 4).link(48, 2);  // unfed joint
    l.coil(250, 'M', 5).junction(250, 3) = JunctionBase | JunctionDown;  // a coil alone, a down bit
    Rows expected = {atContact("Improper Connection", 1, 1)};
    const auto add = [&expected](const char* message, std::initializer_list<std::pair<int, int>> places) {
        for (const auto& [line, column] : places) {
            expected.push_back(atJunction(message, line, column));
        }
    };
    add("Improper or missing Connection", {{2, 1}, {4, 3}, {30, 2}, {250, 3}});
    add("Left connection missing", {{2, 1}, {3, 2}});
    add("Right connection missing", {{3, 1}, {4, 3}, {250, 3}});
    add("UP Connection not required", {{1, 2}});
    add("DOWN Connection open or not required", {{10, 1}});
    add("UP Connection open or not required", {{20, 3}, {30, 2}});
    add("DOWN Connection not required", {{250, 3}});
    add("Rung without input", {{2, 1}}), add("Rung without output", {{4, 3}});
    add("Rung without input", {{30, 2}}), add("Rung without output", {{30, 2}, {41, 1}});
    add("Rung without input", {{49, 2}, {250, 3}}), add("Rung without output", {{250, 3}});
    const Rows rows = check();
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(ErrorRowLine(rows.at(14)), QStringLiteral("250"));
}

// Rows come in check order, not in line order.
TEST_F(RuleCheckerTest, ContactsOfOutputsAndRelaysNeedACoil) {
    l.rung(1, 'Q', 1, 'M', 1).rung(9, 'M', 64, 'M', 3).rung(11, 'M', 1, 'M', 4);  // M1 has its coil on line 1
    l.contact(7, 1, 'I', 1).contact(7, 2, 'Q', 1, true).wire(7, 3).join(7).coil(7, 'M', 2);
    l.rung(12, 'M', 5, 'M', 5, CoilSet).rung(13, 'I', 1, 'M', 5, CoilReset);
    l.word(9, 1) = LegacyNumberBase + 63;  // M64 and the coil of M1 in the old number coding
    l.word(1, kCoilNumberWord) = LegacyNumberBase;
    l.junction(200, 1) = JunctionBase | JunctionLeft;
    const QString q1 = "Coil Q1 should be defined, since it is used as a contact";
    EXPECT_EQ(check(),
              (Rows{atJunction("Improper or missing Connection", 200, 1),
                    atJunction("Left connection missing", 200, 1), atJunction("Rung without output", 200, 1),
                    atContact(q1, 1, 1), atContact(q1, 7, 2),
                    atContact("Coil M64 should be defined, since it is used as a contact", 9, 1)}));
}

TEST_F(RuleCheckerTest, CoilKindsOfOneOperand) {
    const std::tuple<char, int, std::vector<std::uint16_t>> coils[] = {
        {'Q', 2, {CoilSet}},
        {'Q', 3, {CoilContactor, CoilImpulse}},
        {'Q', 4, {CoilSet, CoilReset}},
        {'M', 1, {CoilContactor}},
        {'M', 2, {CoilSet, CoilSet, CoilReset, CoilReset}},
        {'M', 3, {CoilContactor, CoilContactor, CoilImpulse}},
        {'M', 4, {CoilReset, CoilContactor}},
        {'M', 5, {CoilSetRetentive, CoilReset}},  // passes the kinds, fails retentivity
        {'M', 6, {CoilSetRetentive, CoilResetRetentive}},
        {'M', 7, {CoilSetRetentive, CoilSetRetentive, CoilResetRetentive, CoilResetRetentive}},
        {'M', 8, {CoilImpulse, CoilImpulse}},
        {'M', 9, {CoilImpulseRetentive, CoilSet}}};
    int line = 1;
    for (const auto& [letter, n, kinds] : coils) {
        for (std::uint16_t kind : kinds) {
            l.rung(line, 'I', 1, letter, n, kind);
            ++line;
        }
    }
    EXPECT_EQ(check(),
              (Rows{row("Coil Q2 Set/ Reset Improper"), row("Coil Q3 is assigned in multiple ways"),
                    row("Coil M2 Set/ Reset Improper"), row("Coil M3 is assigned more than once"),
                    row("Coil M4 is assigned in multiple ways"), row("Coil M7 Set/ Reset Improper"),
                    row("Coil M8 is assigned more than once"), row("Coil M9 is assigned in multiple ways"),
                    row("Coil M5 Set/ Reset Retentivity Properties Error"),
                    row("Coil M7 Set/ Reset Retentivity Properties Error")}));
}

// For each of T, C and H: block 1 has a contact and another input but no driving input, block 2
// every input twice, block 3 the last other input alone.
TEST_F(RuleCheckerTest, BlockInputsNeedTheirDriverOnce) {
    int line = 1;
    for (const auto& [letter, inputs] :
         {std::pair<char, std::vector<std::uint16_t>>{'T', {CoilTrigger, CoilReset}},
          {'C', {CoilCount, CoilReset, CoilDirection}},
          {'H', {CoilEnable, CoilReset, CoilResetAll}}}) {
        l.rung(line, letter, 1, 'M', line).rung(line + 1, 'I', 1, letter, 1, inputs[1]);
        line += 2;
        for (std::uint16_t kind : inputs) {
            l.rung(line, 'I', 2, letter, 2, kind).rung(line + 1, 'I', 2, letter, 2, kind);
            line += 2;
        }
        l.rung(line++, 'I', 3, letter, 3, inputs.back());
    }
    for (int i = 0; i < 3; ++i) {
        l.p.TimerParams[i][TimerField::OnTime] = l.p.HourMeterParams[i][HourMeterField::Preset] = 1;
    }
    const QString t = "Timer T%1 must have Trigger input in Coil column";
    const QString c = "Counter C%1 must have Count input in Coil column";
    const QString h = "Hour Meter H%1 must have Enable input in Coil column";
    EXPECT_EQ(
        check(),
        (Rows{atContact(t.arg(1), 1, 1), row(t.arg(1)), row("Timer T2 Trigger is used more than then once"),
              row("Timer T2 Reset is used more than then once"), row(t.arg(3)), atContact(c.arg(1), 8, 1),
              row(c.arg(1)), row("Counter C2 Count Input is used more than then once"),
              row("Counter C2 Reset is used more than then once"),
              row("Counter C2 Direction is used more than then once"), row(c.arg(3)),
              atContact(h.arg(1), 17, 1), row(h.arg(1)),
              row("Hour Meter H2 Enable Input is used more than then once"),
              row("Hour Meter H2 Reset is used more than then once"),
              row("Hour Meter H2 Reset All is used more than then once"), row(h.arg(3))}));
}

TEST_F(RuleCheckerTest, PresetsMustNotBeZero) {
    l.rung(1, 'I', 1, 'T', 1).rung(2, 'I', 2, 'T', 2).rung(3, 'I', 3, 'T', 3).rung(4, 'I', 4, 'T', 4);
    l.p.TimerParams[1][TimerField::OnTime + 3] = 1;
    l.p.TimerParams[2][TimerField::Type] = 3;  // D: the OFF time alone is enough
    l.p.TimerParams[2][TimerField::OffTime + 2] = l.p.TimerParams[3][TimerField::OffTime + 2] =
        1;                      // A ignores it
    l.rung(5, 'T', 5, 'M', 1);  // a timer contact alone needs no preset yet
    l.rung(6, 'I', 5, 'H', 1).rung(7, 'I', 6, 'H', 2).rung(8, 'H', 3, 'M', 2);
    l.p.HourMeterParams[0][HourMeterField::Preset + 4] = 5;
    EXPECT_EQ(check(), (Rows{row("Timer T1 must have non-zero Preset Time"),
                             row("Timer T4 must have non-zero Preset Time"),
                             atContact("Timer T5 must have Trigger input in Coil column", 5, 1),
                             row("Preset Value of  Hour Meter H2 must be non-zero."),
                             atContact("Hour Meter H3 must have Enable input in Coil column", 8, 1),
                             row("Preset Value of  Hour Meter H3 must be non-zero.")}));
}

TEST_F(RuleCheckerTest, SoftTextNeedsTheBlocksItShows) {
    l.rung(1, 'I', 1, 'X', 1).rung(2, 'I', 2, 'X', 1);
    l.embed(1, 0, EmbeddedSource::Timer, 3, 1);
    l.rung(3, 'I', 3, 'X', 2);
    l.p.TimerParams[3][TimerField::Type] = 3;  // two set times: parameter 0 is the OFF time
    l.embed(2, 0, EmbeddedSource::Timer, 4, 0);
    l.embed(2, 6, EmbeddedSource::Timer, 4, 2);
    l.embed(2, 12, EmbeddedSource::Counter, 5, 1);
    l.embed(2, 18, EmbeddedSource::HourMeter, 2, 1);
    l.embed(2, 24, EmbeddedSource::HourMeter, 2, 0);
    l.embed(2, 30, EmbeddedSource::Timer, 1, 0);  // T1 is in the program
    l.rung(4, 'I', 4, 'X', 3).rung(5, 'I', 5, 'T', 1);
    for (int i = 0; i < 4; ++i) {
        l.embed(3, 6 * i, EmbeddedSource::AnalogInput, 2 * i + 1 + i / 3, 'x');  // V1 V3 V5 V8
    }
    l.p.TimerParams[0][TimerField::OnTime] = 1;
    l.rung(6, 'I', 6, 'X', 4, CoilReset);  // a message without a trigger is never shown
    l.embed(4, 0, EmbeddedSource::Timer, 9, 1);
    const Rows blocks = {row("Text X1 Trigger Input is used more than then once"),
                         row("Soft Text Message  X1 contain  PV data for Timer T3"),
                         row("Soft Text Message  X2 contain  SP OFF data for Timer T4"),
                         row("Soft Text Message  X2 contain  SP data for Timer T4"),
                         row("Soft Text Message  X2 contain  PV data for Counter C5"),
                         row("Soft Text Message  X2 contain  MT data for Hour Meter H2"),
                         row("Soft Text Message  X2 contain  SP data for Hour Meter H2")};
    const auto analog = [&blocks](std::initializer_list<int> inputs) {
        Rows rows = blocks;
        for (int v : inputs) {
            rows.push_back(row(QStringLiteral("Soft Text Message  X3 contain  V%1 Analog data.").arg(v)));
        }
        return rows;
    };
    EXPECT_EQ(check(), analog({1, 3, 5, 8}));  // no analog inputs on this model
    l.p.ModelIndex = kAnalogDisplayModel;
    l.p.ExtensionModules = {0, 1, 0};
    EXPECT_EQ(check(), analog({3, 8}));
}

TEST_F(RuleCheckerTest, SoftTextFieldsMustFitTheirDisplayLine) {
    l.rung(1, 'I', 1, 'T', 1).rung(2, 'I', 2, 'C', 1).rung(3, 'I', 3, 'H', 1);
    l.p.TimerParams[0][TimerField::OnTime] = 1;
    l.p.CounterParams[0][CounterField::Flags] = 1 << 5;      // one decimal: six characters
    l.p.HourMeterParams[0][HourMeterField::Flags] = 2 << 2;  // whole hours: five characters
    l.p.HourMeterParams[0][HourMeterField::Preset] = 1;
    for (int x = 1; x <= 7; ++x) {
        l.rung(3 + x, 'I', 3, 'X', x);
    }
    l.embed(1, 8, EmbeddedSource::Timer, 1, 1);  // five characters from column 9
    l.embed(2, 6, EmbeddedSource::Counter, 1, 0);
    l.p.SoftTextParams[1][11] = 'A';  // where the last digit goes
    l.embed(3, 4, EmbeddedSource::DateTime, 0, 0);
    l.embed(3, 12, EmbeddedSource::DateTime, 0, 1);
    l.embed(3, 19, EmbeddedSource::HourMeter, 1, 2);
    l.embed(3, 30, EmbeddedSource::Counter, 1, 1);
    l.p.SoftTextParams[2][29] = 'A';  // text right before a field is fine
    l.embed(4, 17, EmbeddedSource::DateTime, 0, 0);
    l.embed(5, 0, 3, 1, 0);  // no such source; three bad fields, one row
    l.embed(5, 8, EmbeddedSource::Timer, 1, 1);
    l.p.SoftTextParams[4][34] = kEmbeddedDataMarker;  // cut off by the end
    l.p.SoftTextParams[4][35] = EmbeddedSource::Timer;
    // A data position holding the marker starts no field of its own.
    l.embed(6, 0, EmbeddedSource::AnalogInput, 1, kEmbeddedDataMarker);
    l.embed(7, 12, EmbeddedSource::Timer, 1, 1);
    l.p.SoftTextParams[6][16] = 'A';  // right after the field's own four positions
    const QString incompatible = "Soft text message incompatibility error. Reconfigure Soft text message  X";
    EXPECT_EQ(check(), (Rows{row(incompatible + "1"), row(incompatible + "2"), row(incompatible + "4"),
                             row(incompatible + "5"), row("Soft Text Message  X6 contain  V1 Analog data."),
                             row(incompatible + "7")}));
}

TEST_F(RuleCheckerTest, FeaturesTheConfigurationLacks) {
    l.rung(1, 'I', 1, 'Q', 1).rung(2, 'J', 3, 'Q', 2).rung(3, 'U', 1, 'Q', 3).rung(4, 'I', 2, 'U', 1);
    l.rung(5, 'I', 3, 'V', 4).rung(6, 'A', 2, 'M', 1).rung(8, 'I', 7, 'M', 3);
    l.contact(7, 1, 'I', 4).contact(7, 2, 'L', 2, true).wire(7, 3).join(7).coil(7, 'Q', 4);
    l.contact(9, 1, 'I', 1).contact(9, 2, 'A', 1, true).wire(9, 3).join(9).coil(9, 'M', 2);
    const QString module = "Extension Module %1 should be selected in Configuration";
    const QString noAnalog = "Analog functions are not permitted in AC model";
    EXPECT_EQ(check(),
              (Rows{atContact(module.arg('A'), 2, 1), atCoil(module.arg('A'), 4), atCoil(module.arg('B'), 5),
                    atContact(module.arg('C'), 7, 2), atContact(noAnalog, 9, 2), atContact(noAnalog, 6, 1)}));

    Ladder analog(kAnalogDisplayModel);
    analog.p.ExtensionModules = {1, 0, 1};
    analog.rung(1, 'A', 2, 'M', 1).rung(2, 'J', 8, 'M', 2).rung(3, 'I', 7, 'M', 3, 0, true);
    analog.rung(4, 'I', 6, 'M', 4).rung(5, 'L', 7, 'M', 5);
    const QString inputs = "Digital inputs 7 and 8 are not available in this model";
    EXPECT_EQ(RunRuleCheck(analog.p),
              (Rows{atContact(inputs, 3, 1), atContact(inputs, 2, 1), atContact(inputs, 5, 1)}));

    Ladder led(kLedModel);
    led.rung(1, 'Z', 2, 'X', 1).rung(2, 'I', 1, 'X', 1, CoilReset).rung(3, 'Z', 1, 'M', 1, 0, true);
    const QString text = "Soft Text Message functions are not permitted in LED model";
    const QString keys = "Z-keys functions are not permitted in LED model";
    EXPECT_EQ(RunRuleCheck(led.p),
              (Rows{atCoil(text, 1), atCoil(text, 2), atContact(keys, 3, 1), atContact(keys, 1, 1)}));
}

TEST_F(RuleCheckerTest, BlockParametersMustBeConsistent) {
    l.p.ModelIndex = 1;  // first generation, with analog inputs: time switches take a range of days
    for (int n = 1; n <= 3; ++n) {
        l.rung(n, ClockContactOpen, n, 'M', n);
        l.p.TimeSwitchParams[n - 1][TimeSwitchField::StartDay] = std::uint8_t(n == 2 ? 0 : n == 3 ? 7 : 1);
        l.p.TimeSwitchParams[n - 1][TimeSwitchField::EndDay] = std::uint8_t(n == 3 ? 9 : 5);
    }
    l.rung(4, 'I', 1, 'C', 3);
    const std::uint8_t compares[][2] = {{0x00, 0x22}, {0x08, 0x03}, {0x10, 0x42},
                                        {0x08, 0x22}, {0, 0},       {0, 0x66}};
    for (int n : {1, 2, 3, 4, 6}) {  // C3-C3, C4-constant, C3-C5, C3-constant, C7-C7; P5 unused
        l.rung(4 + n, 'P', n, 'M', 4 + n);
        l.p.CompareParams[n - 1][CompareField::Flags] = compares[n - 1][0];
        l.p.CompareParams[n - 1][CompareField::Counters] = compares[n - 1][1];
    }
    l.p.CompareParams[4][CompareField::Counters] = 0x99;
    l.rung(11, 'A', 1, 'M', 11).rung(12, 'A', 2, 'M', 12).rung(13, 'A', 3, 'M', 13);
    l.p.AnalogParams[0][AnalogField::Operands] = 1 * 2 + 1 * 16;  // V2 against V2
    l.p.AnalogParams[1][AnalogField::Operands] = 0 * 2 + 8 * 16;  // V1 against the reference
    l.p.AnalogParams[2][AnalogField::Operands] = 0 * 2 + 1 * 16;  // V1 against V2; A4 is unused
    const Rows rows = {row("CLOCK - 2 must have To and From days defined"),
                       row("CLOCK - 3 must have To and From days defined"),
                       row("Parameters of compare counter P1 must not be same"),
                       row("Parameters of compare counter P2, Counter C4, must be defined in Coil column"),
                       row("Parameters of compare counter P3, Counter C5, must be defined in Coil column"),
                       row("Parameters of compare counter P6 must not be same"),
                       row("Parameters of compare counter P6, Counter C7, must be defined in Coil column"),
                       row("Parameters must not be same for Analog Function A1")};
    EXPECT_EQ(check(), rows);
    l.p.ModelIndex = kAnalogDisplayModel;  // second generation: day masks
    l.p.TimeSwitchParams[2][TimeSwitchField::StartDay] = 0x40;
    l.p.TimeSwitchParams[2][TimeSwitchField::EndDay] = 0x08;
    Rows masks = rows;
    masks.erase(masks.begin() + 1);
    EXPECT_EQ(check(), masks);
}

TEST_F(RuleCheckerTest, UsageFlagsFollowTheGrid) {
    l.rung(1, 'T', 3, 'C', 2, CoilReset).rung(2, 'P', 4, 'H', 1).rung(3, 'A', 6, 'X', 8);
    l.rung(4, ClockContactOpen, 5, 'M', 1)
        .rung(5, 'X', 7, 'M', 2, 0, true)
        .rung(6, 'T', 16, 'T', 17);                     // no T17
    l.word(1, kCoilNumberWord) = LegacyNumberBase + 1;  // C2 in the old coding
    l.p.TimerParams[0][TimerField::Flags] = kFlagInUse | kFlagLocked;
    l.p.CompareParams[0][CompareField::Flags] = 128 | kFlagInUse;
    l.p.SoftTextUsed[5] = 1;  // stale flags go, and the check marks nothing modified
    Program expected = l.p;
    expected.TimerParams[0][TimerField::Flags] = kFlagLocked;
    expected.CompareParams[0][CompareField::Flags] = 128;
    for (auto* flags :
         {&expected.TimerParams[2][0], &expected.TimerParams[15][0], &expected.CounterParams[1][0],
          &expected.CompareParams[3][0], &expected.HourMeterParams[0][0], &expected.TimeSwitchParams[4][0],
          &expected.AnalogParams[5][0]}) {
        *flags |= kFlagInUse;
    }
    expected.SoftTextUsed[5] = 0;
    expected.SoftTextUsed[6] = expected.SoftTextUsed[7] = 1;
    check();
    EXPECT_EQ(l.p, expected);
    Program empty;
    EXPECT_EQ(RunRuleCheck(empty), Rows{});
}

TEST_F(RuleCheckerTest, MessagesAndPlacesInTheUsersLanguage) {
    l.rung(2, 'Q', 1, 'Q', 2, CoilSet);
    const std::pair<int, QStringList> languages[] = {
        {Spanish,
         {QStringLiteral("Contacto-1|La bobina Q1 debe estar definida, ya que se usa como contacto"),
          QStringLiteral("--|Set/Reset incorrecto en la bobina Q2")}},
        {Polish,
         {QStringLiteral("Styk-1|Cewka Q1 musi być zdefiniowana, ponieważ jest używana jako styk"),
          QStringLiteral("--|Nieprawidłowe Set/Reset cewki Q2")}}};
    for (const auto& [language, expected] : languages) {
        SetLanguageOffset(language);
        QStringList places;
        for (const ErrorRow& r : check()) {
            places << ErrorRowLocation(r) + QLatin1Char('|') + r.message;
        }
        EXPECT_EQ(places, expected);
    }
    // A translation that drops a placeholder would lose the operand number from the list.
    for (int i = 0; i < kRuleMessageCount; ++i) {
        const auto message = static_cast<RuleMessage>(i);
        const QString english = RuleMessageText(message, English);
        ASSERT_FALSE(english.isEmpty()) << i;
        if (message == RuleMessage::AnalogSameInputs) {
            EXPECT_EQ(RuleMessageText(message, Polish), LoadText(331, Polish) + QStringLiteral("%1"));
            continue;
        }
        for (int language : {Portuguese, Polish, Spanish}) {
            const QString text = RuleMessageText(message, language);
            EXPECT_NE(text, english) << i << " in " << language;
            for (const char* placeholder : {"%1", "%2", "%3"}) {
                EXPECT_EQ(text.count(QLatin1String(placeholder)), english.count(QLatin1String(placeholder)))
                    << i << " in " << language << ": " << text.toStdString();
            }
        }
    }
}

TEST_F(RuleCheckerTest, ListColumns) {
    EXPECT_EQ(ErrorRowKind(ErrorRow{}), QStringLiteral("Error"));
    EXPECT_EQ(ErrorRowLine(atContact("x", 7, 1)) + ErrorRowLine(row("x")), QStringLiteral("007--"));
    const QStringList places = {ErrorRowLocation(atContact("x", 1, 3)),
                                ErrorRowLocation(atJunction("x", 1, 2)), ErrorRowLocation(atCoil("x", 1)),
                                ErrorRowLocation(row("x")), ErrorRowLocation(atJunction("x", 1, 4))};
    EXPECT_EQ(places, (QStringList{"Contact-3", "Connection-2", "Coil", "--", "--"}));
}

}  // namespace
}  // namespace bdx

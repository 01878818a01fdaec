#include "sim/counter_status.h"

#include <gtest/gtest.h>

#include "blocks/counter_record.h"
#include "shell/language_table.h"
#include "sim_fixture.h"

namespace bdx {
namespace {

// C1: count I1, reset I2, direction I3, set point 1; C2: count I4 only, 0.25 a pulse.
class CounterStatusTest : public SimFixture {
  protected:
    void SetUp() override {
        l.rung(1, 'I', 1, 'C', 1).rung(2, 'I', 2, 'C', 1, CoilReset).rung(3, 'I', 3, 'C', 1, CoilDirection);
        l.rung(4, 'I', 4, 'C', 2).rung(5, 'C', 1, 'Q', 1).rung(6, 'C', 2, 'Q', 2);
        CounterRecord first = DecodeCounter(l.p, 0);
        first.setPoint = 1;
        EncodeCounter(l.p, 0, first);
        CounterRecord second = DecodeCounter(l.p, 1);
        second.decimalPosition = 2;
        second.setPoint = 100;
        second.pulses = 4;  // 0.25 a pulse
        EncodeCounter(l.p, 1, second);
        ASSERT_TRUE(prepare(l));
    }
    CounterLiveState live(int counter) { return CounterLive(engine, blocks.counters, counter); }

    Ladder l;
};

TEST_F(CounterStatusTest, InputsReadActiveNotActiveOrUnconnected) {
    using S = InputState;
    const struct {
        int inputs;  // I1..I4 as bits
        int counter;
        S count, reset, direction;
        bool output;
        const char* value;
    } cases[] = {
        {0b0000, 0, S::NotActive, S::NotActive, S::NotActive, false, "00000"},
        {0b0001, 0, S::Active, S::NotActive, S::NotActive, true, "00001"},
        {0b0110, 0, S::NotActive, S::Active, S::Active, false, "00000"},
        {0b1000, 1, S::Active, S::Unconnected, S::Unconnected, false, "000.25"},
        {0b0000, 1, S::NotActive, S::Unconnected, S::Unconnected, false, "000.25"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inputs);
        scanWith(c.inputs);
        scanWith(c.inputs);  // the counter step reads the previous scan's network
        const CounterLiveState state = live(c.counter);
        EXPECT_EQ(state.count, c.count);
        EXPECT_EQ(state.reset, c.reset);
        EXPECT_EQ(state.direction, c.direction);
        EXPECT_EQ(state.output, c.output);
        EXPECT_EQ(state.value, QString::fromLatin1(c.value));
    }
}

TEST(CounterStatusTextTest, EachStateHasItsOwnText) {
    using S = InputState;
    using I = CounterInput;
    const struct {
        I input;
        S state;
        const char* english;
    } cases[] = {
        {I::Count, S::Active, "Count: Active"},
        {I::Count, S::NotActive, "Count: Not Active"},
        {I::Count, S::Unconnected, "Count: Unconnected"},
        {I::Reset, S::Active, "Reset: Active"},
        {I::Reset, S::NotActive, "Reset: Not Active"},
        {I::Reset, S::Unconnected, "Reset: Unconnected"},
        {I::Direction, S::Active, "Direction: Active (down)"},
        {I::Direction, S::NotActive, "Direction: Not Active (up)"},
        {I::Direction, S::Unconnected, "Direction: Unconnected"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InputStateText(c.input, c.state), QString::fromLatin1(c.english));
    }
    EXPECT_EQ(OutputStateText(true), QStringLiteral("Output: Active"));
    EXPECT_EQ(OutputStateText(false), QStringLiteral("Output: Not Active"));
    SetLanguageOffset(Portuguese);
    EXPECT_EQ(InputStateText(I::Direction, S::Active), QStringLiteral("Direção: Ativa (decrescente)"));
    SetLanguageOffset(English);
}

}  // namespace
}  // namespace bdx

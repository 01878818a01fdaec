#include "sim/counter_status.h"

#include <gtest/gtest.h>

#include "shell/language_table.h"

namespace bdx {
namespace {

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

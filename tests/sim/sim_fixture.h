#pragma once

#include <gtest/gtest.h>

#include "../check/ladder_drawing.h"
#include "check/rule_checker.h"
#include "sim/block_evaluation.h"
#include "sim/clock.h"
#include "sim/scan_engine.h"

namespace bdx {

inline std::string RefusalText(const std::optional<RunRefusal>& refusal) {
    if (!refusal) {
        return {};
    }
    return ((refusal->compileFault ? CompileFaultText(*refusal->compileFault) + u'\n' : QString()) +
            refusal->message)
        .toStdString();
}

// A scan engine with every block kind on a manual clock, as a simulation with the PC runs it.
class SimFixture : public ::testing::Test {
  protected:
    // With every extension module, so that U, V, W and J, K, L pass the rule check.
    bool prepare(Ladder& l, ScanEngine& e) {
        l.p.ExtensionModules = {1, 1, 1};
        const std::optional<RunRefusal> refusal = e.Prepare(l.p, RunRuleCheck(l.p));
        EXPECT_FALSE(refusal) << RefusalText(refusal);
        return !refusal;
    }
    bool prepare(Ladder& l) { return prepare(l, engine); }
    // Ticks I1..I5 as the bits of `mask` say, then scans once.
    int scanWith(int mask) {
        for (int n = 1; n <= 5; ++n) {
            engine.setInput('I', n, (mask >> (n - 1) & 1) != 0);
        }
        return engine.ScanOnce(0);
    }
    // The open entry of an operand; the closed one must always hold the inverse.
    bool value(char letter, int n) {
        const bool open = engine.operandValue(static_cast<std::uint16_t>(letter), n);
        EXPECT_NE(open, engine.operandValue(NormallyClosedCode(letter), n)) << letter << n;
        return open;
    }

    ManualClock clock;
    BlockEvaluation blocks{clock};
    ScanEngine engine{blocks};
};

}  // namespace bdx

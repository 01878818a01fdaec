// Random well-formed grids must compile every element once; the same grids with a junction bit
// flipped or elements taken away must compile or fail cleanly, leaving tables the scan engine
// can follow without checks of its own. Arbitrary grids are left to the fuzz target.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <set>

#include "check/network_compiler.h"
#include "check/network_dump.h"

namespace bdx {
namespace {

using Random = std::mt19937;

int rungOf(const CompiledNetwork& net, int line) {
    for (int r = 0; r < net.rungCount; ++r) {
        if (line >= net.rungs[r].first && line <= net.rungs[r].last) {
            return r;
        }
    }
    return -1;
}

// Each OR table's groups own exactly its inputs; each AND entry follows a group whose wire
// leaves in the entry's own rung; each coil names an OR3 group.
void expectUsableNetwork(const CompiledNetwork& net) {
    ASSERT_TRUE(net.rungCount >= 1 && net.rungCount <= kMaxRungs);
    for (int r = 0; r < net.rungCount; ++r) {
        EXPECT_TRUE(net.rungs[r].first <= net.rungs[r].last && net.rungs[r].last < kLadderLines);
        EXPECT_TRUE(r == 0 || net.rungs[r].first > net.rungs[r - 1].last);
    }
    const std::tuple<const OrTable*, int, const AndTable*> levels[] = {{&net.or1, kSignalCount, &net.and1},
                                                                       {&net.or2, net.and1.count, &net.and2},
                                                                       {&net.or3, net.and2.count, nullptr}};
    for (const auto& [or_, inputLimit, and_] : levels) {
        ASSERT_TRUE(or_->groupCount >= 1 && or_->groupCount <= kMaxOrGroups);
        int total = 0;
        for (int g = 0; g < or_->groupCount; ++g) {
            total += or_->groups[g].inputCount;
            EXPECT_TRUE(or_->groups[g].outputLine < kLadderLines || or_->groups[g].outputLine == kUnassigned);
        }
        ASSERT_EQ(total, or_->inputTotal);
        EXPECT_TRUE(std::all_of(or_->inputs.begin(), or_->inputs.begin() + total,
                                [limit = inputLimit](int i) { return i < limit; }));
        for (int i = 0; and_ && i < and_->count; ++i) {
            const AndEntry& e = and_->entries[i];
            ASSERT_LT(e.orGroup, or_->groupCount);
            EXPECT_LT(e.devId, kSignalCount);
            EXPECT_TRUE(i == 0 || e.line > and_->entries[i - 1].line);
            EXPECT_NE(rungOf(net, e.line), -1);
            EXPECT_EQ(rungOf(net, or_->groups[e.orGroup].outputLine), rungOf(net, e.line));
        }
    }
    // The grids hold contactor coils of M only.
    EXPECT_TRUE(std::all_of(net.coils.M.contactor.begin(), net.coils.M.contactor.end(),
                            [&](std::uint16_t g) { return g == kUnassigned || g < net.or3.groupCount; }));
    CoilTables expected;
    expected.M.contactor = net.coils.M.contactor;
    EXPECT_EQ(net.coils, expected);
}

// Series-parallel rungs of up to four lines: in each column the lines either run on their own or
// are joined by a rail; every junction gets two directions and every rail an element feeding it.
struct WellFormed {
    Program program;
    int elements[kContactColumns] = {};
    std::vector<int> coilLines;
};

WellFormed wellFormed(Random& random) {
    WellFormed out;
    int line = random() % 5;
    const int limit = 20 + random() % 44;  // below 64 lines: each coil an M of its own
    while (line < limit) {
        const int h = std::min(1 + int(random() % 4), limit - line);
        bool present[kContactColumns + 1][4] = {};  // [column, 3 = coil][line in rung]
        auto ensureOne = [&](bool* column) {
            if (std::none_of(column, column + h, [](bool b) { return b; })) {
                column[random() % h] = true;
            }
        };
        std::generate(present[0], present[0] + h, [&] { return random() % 4 != 0; });
        ensureOne(present[0]);
        bool rail[kContactColumns];
        for (int c = 0; c < kContactColumns; ++c) {
            rail[c] = h > 1 && random() % 2;
            for (int i = 0; i < h; ++i) {
                present[c + 1][i] = rail[c] ? random() % 4 != 0 : present[c][i];
            }
            if (rail[c]) {
                ensureOne(present[c + 1]);
                for (int end : {0, h - 1}) {
                    present[c + 1][end] = present[c + 1][end] || !present[c][end];
                }
            }
        }
        for (int i = 0; i < h; ++i) {
            const int at = line + i;
            for (int c = 0; c < kContactColumns; ++c) {
                if (present[c][i]) {
                    const bool wire = c > 0 && random() % 2;
                    const std::uint16_t codes[] = {'I', 'M', 'T', 'I' + NormallyClosedShift,
                                                   ClockContactOpen};
                    out.program.word(at, kContactWord[c]) = wire ? CellWire : codes[random() % 5];
                    out.program.word(at, kContactWord[c] + 1) =
                        wire ? CellWire : OperandNumberCode(1 + random() % 4);
                    ++out.elements[c];
                }
                int bits = (present[c][i] ? JunctionLeft : 0) | (present[c + 1][i] ? JunctionRight : 0);
                if (rail[c]) {
                    bits |= (i > 0 ? JunctionUp : 0) | (i < h - 1 ? JunctionDown : 0);
                }
                out.program.word(at, kContactWord[c] + 2) = std::uint16_t(JunctionBase + bits);
            }
            if (present[kContactColumns][i]) {
                out.program.word(at, kCoilFunctionWord) = CoilContactor;
                out.program.word(at, kCoilLetterWord) = 'M';
                out.program.word(at, kCoilNumberWord) = OperandNumberCode(at + 1);
                out.coilLines.push_back(at);
            }
        }
        line += h + int(random() % 2);
    }
    return out;
}

void expectEveryElementCompiled(const WellFormed& w, const CompiledNetwork& net) {
    EXPECT_EQ(net.or1.inputTotal, w.elements[0]);
    EXPECT_EQ(net.and1.count, w.elements[1]);
    EXPECT_EQ(net.and2.count, w.elements[2]);
    // Each AND entry is the input of exactly one group of the next level.
    for (const auto& [table, count] :
         {std::pair{&net.or2, net.and1.count}, std::pair{&net.or3, net.and2.count}}) {
        std::vector<int> inputs(table->inputs.begin(), table->inputs.begin() + table->inputTotal),
            expected(count);
        std::sort(inputs.begin(), inputs.end());
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(inputs, expected);
    }
    for (int line : w.coilLines) {
        const std::uint16_t group = net.coils.M.contactor[line];
        ASSERT_NE(group, kUnassigned) << line;
        EXPECT_EQ(rungOf(net, net.or3.groups[group].outputLine), rungOf(net, line)) << line;
    }
}

TEST(NetworkPropertyTest, AnyGridCompilesOrFailsCleanly) {
    Random random(4112);
    int compiled = 0;
    std::set<int> seen;
    CompiledNetwork last;
    for (int i = 0; i < 1600 && !testing::Test::HasFailure(); ++i) {
        SCOPED_TRACE("grid " + std::to_string(i));
        const WellFormed good = wellFormed(random);
        Program program = good.program;
        const int line = random() % 64, column = random() % kContactColumns;
        if (i % 4 == 2) {
            program.word(line, kContactWord[column] + 2) ^= std::uint16_t(1u << (random() % 4));
        } else if (i % 4 == 3) {  // an element or a whole column taken away
            const bool all = random() % 2;
            for (int l = all ? 0 : line; l <= (all ? kLadderLines - 1 : line); ++l) {
                program.word(l, kContactWord[column]) = CellEmpty;
            }
        }
        CompiledNetwork net;
        const auto fault = CompileNetwork(program, net);
        if (fault) {
            seen.insert(fault->errorNumber);
            EXPECT_GE(i % 4, 2) << fault->message.toStdString();
            EXPECT_TRUE(fault->line >= 0 && fault->line <= kLadderLines);
            EXPECT_TRUE(fault->line == 0 || fault->message.endsWith(QString::number(fault->line)));
        } else {
            ++compiled;
            expectUsableNetwork(net);
            if (i % 4 < 2) {
                expectEveryElementCompiled(good, net);
            }
        }
        EXPECT_TRUE(FormatNetworkDump(net).endsWith("\r\n"));  // whatever a fault left behind
        // Tables left by another program make no difference.
        CompiledNetwork reused = last;
        const auto again = CompileNetwork(program, reused);
        ASSERT_EQ(again.has_value(), fault.has_value());
        EXPECT_TRUE(fault ? again->message == fault->message : reused == net);
        last = net;
    }
    EXPECT_GT(compiled, 1000);
    EXPECT_EQ(seen, (std::set<int>{1, 10, 51, 52, 54, 55, 99}));
}

}  // namespace
}  // namespace bdx

#include "check/network_compiler.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <map>
#include <numeric>
#include <random>
#include <set>

#include "../ladder/test_programs.h"
#include "check/network_dump.h"
#include "check/validate_before_run.h"
#include "ladder_drawing.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

constexpr std::uint16_t kLeft = JunctionLeft, kUp = JunctionUp, kRight = JunctionRight;
using Strings = std::vector<std::string>;

// Every driven coil-table entry: table label, 1-based number, "=", OR3 group.
Strings assigned(const CoilTables& c) {
    Strings out;
    const auto add = [&out](const std::string& label, const auto& table) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i] != kUnassigned) {
                out.push_back(label + std::to_string(i + 1) + "=" + std::to_string(table[i]));
            }
        }
    };
    const auto relay = [&add](const std::string& l, const auto& r) {
        add(l + "D", r.contactor), add(l + "P", r.levelChange), add(l + "S", r.set), add(l + "R", r.reset);
    };
    relay("Q", c.Q), relay("U", c.U), relay("V", c.V), relay("W", c.W), relay("M", c.M);
    add("TT", c.T.trigger), add("RT", c.T.reset), add("CC", c.C.count), add("RC", c.C.reset);
    add("DC", c.C.direction), add("EH", c.H.enable), add("RH", c.H.reset), add("AH", c.H.resetAll);
    add("XT", c.X.trigger), add("XR", c.X.reset);
    return out;
}

class NetworkCompilerTest : public testing::Test {
  protected:
    std::optional<CompileFault> compile(const Ladder& l) { return CompileNetwork(l.p, net); }
    CompiledNetwork net;
};

// The dump shows every table: one group per level, both AND entries on the wire (255).
TEST_F(NetworkCompilerTest, OneLineFillsEveryLevelOnce) {
    Ladder l;
    l.rung(1, 'I', 3, 'Q', 2);
    ASSERT_FALSE(compile(l));
    ASSERT_EQ(net.rungCount, 1);
    EXPECT_EQ(net.rungs[0], (Rung{0, 0}));
    QByteArray dump =
        "OR1 No: 0\r\nno of inputs: 1\r\nOuput line no: 0\r\n2\r\n"
        "AND1 No: 0\r\nLine No: 0\r\nOR1  no: 0\r\nDev ID : 255\r\n"
        "OR2 No: 0\r\nno of inputs: 1\r\nOuput line no: 0\r\nAND1 Nos: \r\n0\r\n"
        "AND2 No: 0\r\nLine No: 0\r\nOR1  no: 0\r\nDev ID : 255\r\n"
        "OR3 No: 0\r\nno of inputs: 1\r\nOuput line no: 0\r\nAND2 Nos: \r\n0\r\n";
    for (const char* label :
         {"QD", "QP", "QS", "QR", "MD", "MP", "MS", "MR", "TT", "RT", "CC", "RC", "DC", "EH", "RH", "AH"}) {
        dump += QByteArray(label) + "\r\n";
        const int size = label[0] == 'Q' || label[1] == 'H' ? 4 : label[0] == 'M' ? 64 : 16;
        for (int i = 0; i < size; ++i) {
            dump += label == std::string("QD") && i == 1 ? "0\r\n" : "255\r\n";
        }
    }
    EXPECT_EQ(FormatNetworkDump(net), dump);
    EXPECT_EQ(assigned(net.coils), Strings{"QD2=0"});
}

// Column-1 contacts joined by vertical links, the wire to column 2 leaving at different lines.
TEST_F(NetworkCompilerTest, ParallelGroupsCloseWhereTheirWireLeaves) {
    struct Shape {
        std::vector<int> contactLines;
        int wireLine;
        std::vector<std::uint16_t> junctions;  // column 1, as the editor leaves them
    };
    const Shape shapes[] = {
        {{1, 2}, 1, {141, 131}},          // wire on the upper line
        {{1, 2, 3}, 2, {137, 143, 131}},  // from the middle
        {{1, 2, 3}, 3, {137, 139, 135}},  // from the lowest contact
        {{1, 2}, 3, {137, 139, 134}},     // below the contacts
        {{2, 3}, 1, {140, 139, 131}},     // above the contacts
    };
    for (const Shape& s : shapes) {
        const int lines = int(s.junctions.size());
        SCOPED_TRACE(s.wireLine * 10 + lines);
        Ladder l;
        std::vector<int> devIds;
        for (int line : s.contactLines) {
            l.contact(line, 1, 'I', line);
            devIds.push_back(line - 1);
        }
        for (int line = 1; line < lines; ++line) {
            l.link(line, 1);
        }
        l.wire(s.wireLine, 2).wire(s.wireLine, 3).join(s.wireLine).coil(s.wireLine, 'M', 1);
        for (int line = 1; line <= lines; ++line) {
            ASSERT_EQ(l.junction(line, 1), s.junctions[line - 1]) << line;
        }
        ASSERT_FALSE(compile(l));
        ASSERT_EQ(net.or1.groupCount, 1);
        EXPECT_EQ(net.or1.groups[0].outputLine, s.wireLine - 1);
        EXPECT_EQ(std::vector<int>(net.or1.inputs.begin(), net.or1.inputs.begin() + net.or1.inputTotal),
                  devIds);
        EXPECT_EQ(net.coils.M.contactor[0], 0);
    }
}

// A grid the editor cannot draw: column-1 junctions from line 2 on, a contact wherever the left
// bit is set, a wire in column 2 of `wireLine`.
std::function<void(Ladder&)> damaged(std::vector<std::uint16_t> column1, int wireLine) {
    return [=](Ladder& l) {
        l.rung(1, 'I', 1, 'Q', 1);
        for (int i = 0; i < int(column1.size()); ++i) {
            l.junction(2 + i, 1) = column1[i];
            l.coil(2 + i, 'M', 1).word(2 + i, 0) = column1[i] & kLeft ? 'I' : CellEmpty;
        }
        l.word(wireLine, 3) = l.word(wireLine, 4) = CellWire;
    };
}

TEST_F(NetworkCompilerTest, FaultsAndTheirMessages) {
    struct Case {
        std::function<void(Ladder&)> draw;
        int number, line;
        const char* message;
    };
    const char* const kColumn1 = "There are insufficient contacts in column 1.";
    const char* const kColumn2 = "There are insufficient contacts in column 2.";
    const Case cases[] = {
        {[](Ladder&) {}, 50, 0, "There is no program to run."},
        {[](Ladder& l) { l.rung(2, 'I', 1, 'Q', 1).junction(7, 2) = 130, l.junction(12, 3) = 129; }, 99, 7,
         "Improper connection in one of the column of line 7"},
        {[](Ladder& l) { l.word(250, kCoilNumberWord) = 136; }, 99, 250,
         "Improper connection in one of the column of line 250"},
        {[](Ladder& l) { l.coil(250, 'Q', 1); }, 51, 0, kColumn1},
        // An empty position whose junction keeps the left bit is no contact.
        {[](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1).word(1, 0) = CellEmpty; }, 51, 0, kColumn1},
        {[](Ladder& l) { l.contact(1, 1, 'I', 1).junction(1, 1) |= kRight; }, 52, 0,
         "Error in AND operations. "},
        {[](Ladder& l) { l.contact(1, 1, 'I', 1).contact(1, 2, 'I', 2).junction(1, 2) = 128; }, 51, 0,
         kColumn2},
        {[](Ladder& l) { l.contact(1, 1, 'I', 1).contact(1, 2, 'I', 2).junction(1, 2) |= kRight; }, 54, 0,
         "Error in AND operations. "},
        // Column 3 has a number of its own but the column-2 text.
        {[](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1).rung(2, 'I', 2, 'Q', 2).wire(2, 3); }, 55, 0, kColumn2},
        // Column 2 behind a junction that goes left and down but not right.
        {[](Ladder& l) {
             l.rung(1, 'I', 1, 'Q', 1).contact(3, 1, 'I', 2).contact(4, 1, 'I', 3).link(3, 1);
             l.rung(4, 'I', 3, 'Q', 2).contact(3, 2, 'M', 1).link(3, 2).junction(3, 1) ^= kRight;
         },
         1, 3, " Left-down, left-up, up-down, or left-up-down  connection is at line 3"},
        {[](Ladder& l) {
             l.rung(1, 'I', 1, 'Q', 1).contact(5, 1, 'I', 2).contact(5, 2, 'I', 3).contact(6, 1, 'I', 4);
             l.contact(6, 2, 'I', 5).link(5, 1).link(5, 2).wire(6, 3).join(6).coil(6, 'Q', 2);
             l.contact(5, 3, 'M', 2).link(5, 3).junction(5, 2) ^= kRight;
         },
         10, 5, " Left-down, left-up, up-down, or left-up-down connection is there at line 5"},
        {[](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1).rung(3, 'I', 2, 'Q', 2).junction(3, 1) = 128; }, 1, 3,
         "Left-right connection is missing at line 3"},
        {[](Ladder& l) { l.rung(1, 'I', 1, 'Q', 1).rung(4, 'I', 2, 'Q', 2).junction(4, 2) = 128; }, 10, 4,
         "Left-right connection is missing at line 4"},
        // Searches that find no group.
        {damaged({140, 134}, 3), 1, 3, " Up-right or left-up-right  connection is missing at line 3"},
        {damaged({141, 128}, 2), 1, 2, " Down-right or left-down-right  connection is missing at line 2"},
        {damaged({140, 142, 138, 128}, 3), 1, 3,
         " Up-down-right or left-up-down-right  connection is missing at line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Ladder l;
        c.draw(l);
        const auto fault = compile(l);
        ASSERT_TRUE(fault);
        EXPECT_EQ(fault->errorNumber, c.number);
        EXPECT_EQ(fault->line, c.line);
        EXPECT_EQ(CompileFaultText(*fault),
                  QStringLiteral("Error no. : %1\r\n%2").arg(c.number).arg(c.message));
    }
}

TEST_F(NetworkCompilerTest, CoilsNeedTheRightBitAndTakeTheNearestGroup) {
    Ladder l;  // two column-3 elements in parallel; only line 2 goes on to its coil
    l.contact(1, 1, 'I', 1).contact(1, 3, 'I', 2).contact(2, 1, 'I', 3).contact(2, 3, 'I', 4);
    l.link(1, 3).join(2).coil(1, 'Q', 1).coil(2, 'Q', 2);
    l.rung(4, 'I', 5, 'Q', 3).rung(5, 'I', 6, 'Q', 3);  // the coil furthest down wins
    l.junction(6, 3) = JunctionBase + kUp + kRight;     // an up link: the group above before the one below
    l.coil(6, 'M', 1).rung(8, 'I', 7, 'M', 2);
    ASSERT_EQ(l.junction(1, 3), 137);
    ASSERT_FALSE(compile(l));
    EXPECT_EQ(assigned(net.coils), (Strings{"QD2=0", "QD3=2", "MD1=2", "MD2=3"}));
}

TEST_F(NetworkCompilerTest, CoilKindsAcceptedPerLetter) {
    std::map<std::pair<char, int>, std::string> accepted = {
        {{'M', 150}, "MP"}, {{'M', 151}, "MS"}, {{'M', 152}, "MR"}, {{'T', 84}, "TT"}, {{'T', 82}, "RT"},
        {{'C', 67}, "CC"},  {{'C', 82}, "RC"},  {{'C', 68}, "DC"},  {{'H', 69}, "EH"}, {{'H', 82}, "RH"},
        {{'H', 65}, "AH"},  {{'X', 148}, "XT"}, {{'X', 82}, "XR"}};
    for (char letter : {'Q', 'U', 'V', 'W', 'M'}) {
        for (const auto& [kind, table] :
             std::initializer_list<std::pair<int, char>>{{148, 'D'}, {149, 'P'}, {83, 'S'}, {82, 'R'}}) {
            accepted[{letter, kind}] = std::string{letter, table};
        }
    }
    for (char letter : {'Q', 'U', 'V', 'W', 'M', 'T', 'C', 'H', 'X', 'I'}) {
        for (int kind : {148, 149, 150, 83, 151, 82, 152, 84, 67, 68, 69, 65, 128, 1}) {
            Ladder l;
            l.rung(1, 'I', 1, letter, 2, std::uint16_t(kind));
            ASSERT_FALSE(compile(l));
            const auto it = accepted.find({letter, kind});
            EXPECT_EQ(assigned(net.coils), it == accepted.end() ? Strings{} : Strings{it->second + "2=0"})
                << letter << " " << kind;
        }
    }
}

TEST_F(NetworkCompilerTest, CoilNumbersInBothCodings) {
    Ladder l;
    // Old coding 49 = 1, 52 = 4; out of range or no number at all: ignored.
    const std::pair<char, std::uint16_t> coils[] = {
        {'Q', 49}, {'U', 52},     {'V', OperandNumberCode(5)},  {'W', 48},
        {'W', 0},  {'W', 0xFFFF}, {'M', OperandNumberCode(65)}, {'T', OperandNumberCode(16)}};
    for (int line = 1; line <= 8; ++line) {
        l.rung(line, 'I', 1, coils[line - 1].first, 1).word(line, kCoilNumberWord) = coils[line - 1].second;
    }
    l.rung(9, 'I', 1, 'M', 64, CoilSetRetentive).rung(10, 'I', 1, 'X', 16, CoilReset);
    ASSERT_FALSE(compile(l));
    EXPECT_EQ(assigned(net.coils), (Strings{"QD1=0", "UD4=1", "MS64=8", "TT16=7", "XR16=9"}));
}

TEST(NetworkDevIdTest, EveryOperandInBothForms) {
    struct Row {
        std::uint16_t open, openBase, closed, closedBase, entries;
    };
    const Row rows[] = {{73, 0, 99, 8, 8},       {74, 16, 100, 24, 8},     {75, 32, 101, 40, 8},
                        {76, 48, 102, 56, 8},    {90, 64, 116, 68, 4},     {84, 72, 110, 88, 16},
                        {67, 104, 93, 120, 16},  {146, 136, 156, 152, 16}, {81, 176, 107, 180, 4},
                        {85, 184, 111, 188, 4},  {86, 192, 112, 196, 4},   {87, 200, 113, 204, 4},
                        {88, 208, 114, 224, 16}, {72, 240, 98, 244, 4},    {65, 256, 91, 268, 12},
                        {80, 280, 106, 296, 16}, {77, 312, 103, 376, 64}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.open);
        for (int n = 1; n <= r.entries; ++n) {
            EXPECT_EQ(DevId(r.open, OperandNumberCode(n)), r.openBase + n - 1);
            EXPECT_EQ(DevId(r.closed, OperandNumberCode(n)), r.closedBase + n - 1);
        }
        EXPECT_EQ(DevId(r.open, 49), r.openBase);  // the old coding of "1"
        EXPECT_EQ(DevId(r.closed, 48 + r.entries), r.closedBase + r.entries - 1);
        // A number past the range must not reach another operand's entries.
        EXPECT_EQ(DevId(r.open, OperandNumberCode(r.entries + 1)) + DevId(r.closed, 48), 0);
    }
    EXPECT_EQ(DevId(CellWire, CellWire), kWireDevId);
    for (std::uint16_t unknown : {0, 66, 128, 92, 147, 0xFFFF}) {
        EXPECT_EQ(DevId(unknown, OperandNumberCode(1)), 0) << unknown;
    }
}

TEST_F(NetworkCompilerTest, EveryLineInUseFillsTheTables) {
    Ladder l;
    for (int line = 1; line <= kLadderLines; ++line) {
        l.rung(line, 'M', 1 + line % 64, 'M', 1 + line % 64);
    }
    ASSERT_FALSE(compile(l));
    EXPECT_EQ((std::vector<int>{net.rungCount, net.or1.inputTotal, net.and1.count, net.and2.count}),
              std::vector<int>(4, 250));
    EXPECT_EQ(net.or3.groups[249], (OrGroup{1, 249}));
    EXPECT_EQ(net.coils.M.contactor[58], 249);  // line 250 is the last coil of M59
}

TEST(NetworkDumpTest, Or1GroupsStopAtSixtyFourOrAtAnEmptyGroup) {
    CompiledNetwork net;
    net.or1.groupCount = net.or1.inputTotal = 70;
    for (int g = 0; g < 70; ++g) {
        net.or1.groups[g] = {1, std::uint16_t(g)};
        net.or1.inputs[g] = std::uint16_t(g);
    }
    EXPECT_TRUE(
        FormatNetworkDump(net).contains("OR1 No: 63\r\nno of inputs: 1\r\nOuput line no: 63\r\n63\r\nQD"));
    net.or1.groups[5].inputCount = 0;
    EXPECT_TRUE(
        FormatNetworkDump(net).contains("OR1 No: 4\r\nno of inputs: 1\r\nOuput line no: 4\r\n4\r\nQD"));
}

const QString kRefusal = QStringLiteral(
    "Few errors have been noticed while compiling the program. Please verify the program before proceeding.");

// The value says what the boxes show; the window's overload shows exactly that, the compile
// fault first in a warning box. The dump is written whatever the verdict.
TEST(ValidateBeforeRunTest, RefusalValueTheBoxesItShowsAndTheDump) {
    QTemporaryDir dir;
    const QString dump = dir.filePath(QStringLiteral("x.txt"));
    const QString noProgram = QStringLiteral("Error no. : 50\r\nThere is no program to run.");
    struct {
        const char* name;
        Program program;
        bool errorRow;
        QStringList boxes;  // none: the program may run
    } cases[] = {
        {"a clean program may run", exampleProgram("motor_start_stop.h53"), false, {}},
        {"an error row refuses a program that compiles",
         exampleProgram("staircase_light.h53"),
         true,
         {kRefusal}},
        {"a compile fault refuses", Program{}, false, {noProgram, kRefusal}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ErrorRow> rows = RunRuleCheck(c.program);
        ASSERT_TRUE(rows.empty());
        if (c.errorRow) {
            rows.push_back({3, 3, 0, QStringLiteral("any fault")});
        }
        QFile::remove(dump);
        CompiledNetwork network;
        const std::optional<RunRefusal> refusal = ValidateBeforeRun(c.program, rows, network, dump);
        ASSERT_EQ(refusal.has_value(), !c.boxes.isEmpty());
        EXPECT_EQ(contentOf(dump), FormatNetworkDump(network));  // written whatever the verdict
        if (refusal) {
            EXPECT_EQ(refusal->message, kRefusal);
            EXPECT_EQ(refusal->compileFault.has_value(), c.boxes.size() == 2);
        } else {
            EXPECT_GT(network.rungCount, 0);
        }
        ScriptedPrompter prompter;
        EXPECT_EQ(ValidateBeforeRun(c.program, rows, network, prompter, QString()), refusal.has_value());
        EXPECT_EQ(prompter.texts(), c.boxes);
        for (const Message& box : prompter.messages()) {
            EXPECT_EQ(box.icon, box.text == kRefusal ? MessageIcon::Information : MessageIcon::Warning);
        }
    }
    // A dump that cannot be written changes nothing.
    CompiledNetwork network;
    EXPECT_FALSE(ValidateBeforeRun(exampleProgram("motor_start_stop.h53"), {}, network,
                                   dir.filePath(QStringLiteral("no/x.txt"))));
    EXPECT_FALSE(WriteNetworkDump(network, dir.filePath(QStringLiteral("no/x.txt"))));
}

// Random well-formed grids must compile every element once; the same grids with a junction bit
// flipped or elements taken away must compile or fail cleanly, leaving tables the scan engine
// can follow without checks of its own. Arbitrary grids are left to the fuzz target.
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

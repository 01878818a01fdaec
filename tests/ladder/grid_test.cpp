#include "ladder/grid.h"

#include <gtest/gtest.h>

namespace bdx {
namespace {

TEST(GridTest, OperandNumbersDecodeInBothCodings) {
    EXPECT_EQ(DecodeOperandNumber(49), 0);  // legacy "1"
    EXPECT_EQ(DecodeOperandNumber(210), 0);
    EXPECT_EQ(DecodeOperandNumber(64), 15);
    EXPECT_EQ(DecodeOperandNumber(273), 63);  // M64
    EXPECT_EQ(OperandNumberCode(1), 210);
    EXPECT_EQ(OperandNumberCode(64), 273);
}

TEST(GridTest, PolarityChangesOnlyContacts) {
    EXPECT_EQ(NormallyOpenCode(99), 73);  // i -> I
    EXPECT_EQ(NormallyClosedCode(73), 99);
    EXPECT_EQ(NormallyClosedCode(ClockContactOpen), ClockContactClosed);
    EXPECT_EQ(NormallyOpenCode(ClockContactClosed), ClockContactOpen);
    for (std::uint16_t unchanged : {CellWire, CellEmpty, std::uint16_t(0), std::uint16_t(210)}) {
        EXPECT_EQ(NormallyClosedCode(unchanged), unchanged);
        EXPECT_EQ(NormallyOpenCode(unchanged), unchanged);
    }
    // Already of the asked polarity: nothing changes.
    EXPECT_EQ(NormallyClosedCode(99), 99);
    EXPECT_EQ(NormallyOpenCode(73), 73);
    EXPECT_EQ(NormallyClosedCode(ClockContactClosed), ClockContactClosed);
}

TEST(GridTest, MakeNormallyClosedWorksOnTheCellOnly) {
    Program p;
    p.LadderGrid[3] = 'I';
    p.LadderGrid[4] = OperandNumberCode(2);
    p.LadderGrid[6] = CellWire;
    EXPECT_TRUE(MakeNormallyClosed(p, 3));
    EXPECT_EQ(p.LadderGrid[3], 99);
    EXPECT_EQ(p.LadderGrid[4], OperandNumberCode(2));
    EXPECT_FALSE(MakeNormallyClosed(p, 3));
    EXPECT_TRUE(MakeNormallyOpen(p, 3));
    EXPECT_EQ(p.LadderGrid[3], 73);
    EXPECT_FALSE(MakeNormallyClosed(p, 6));
    EXPECT_EQ(p.LadderGrid[6], CellWire);
    EXPECT_FALSE(MakeNormallyClosed(p, 0));
    EXPECT_EQ(p.LadderGrid[0], CellEmpty);
    EXPECT_FALSE(MakeNormallyClosed(p, -1));
    EXPECT_FALSE(MakeNormallyOpen(p, kGridWords));
}

TEST(GridTest, LetterClasses) {
    for (char c : std::string("ACHIJKLMPQTUVWXZ")) {
        EXPECT_TRUE(IsContactLetter(static_cast<std::uint16_t>(c))) << c;
    }
    for (char c : std::string("BDEFGNORSY")) {
        EXPECT_FALSE(IsContactLetter(static_cast<std::uint16_t>(c))) << c;
    }
    for (char c : std::string("CHMQTUVWX")) {
        EXPECT_TRUE(IsCoilLetter(static_cast<std::uint16_t>(c))) << c;
    }
    for (char c : std::string("AIJKLPZ")) {
        EXPECT_FALSE(IsCoilLetter(static_cast<std::uint16_t>(c))) << c;
    }
    EXPECT_TRUE(IsContactCode(99));
    EXPECT_TRUE(IsContactCode(ClockContactClosed));
    EXPECT_FALSE(IsContactCode(CellWire));
    EXPECT_FALSE(IsContactCode('B' + NormallyClosedShift));
    EXPECT_EQ(OperandForCode(99), Operand::I);
    EXPECT_EQ(OperandForCode(ClockContactClosed), Operand::Clock);
    EXPECT_FALSE(OperandForCode(CellWire).has_value());
}

TEST(GridTest, ElementLabels) {
    EXPECT_EQ(ElementLabel('I', OperandNumberCode(1)), QStringLiteral("I1"));
    EXPECT_EQ(ElementLabel(99, OperandNumberCode(2)), QStringLiteral("i2"));
    EXPECT_EQ(ElementLabel('M', OperandNumberCode(64)), QStringLiteral("M64"));
    EXPECT_EQ(ElementLabel('Q' + NormallyClosedShift, 52), QStringLiteral("q4"));  // legacy number word
    EXPECT_EQ(ElementLabel(ClockContactOpen, OperandNumberCode(3)),
              QString(QChar(0xD8)) + QStringLiteral("3"));
    EXPECT_EQ(ElementLabel(ClockContactClosed, OperandNumberCode(16)),
              QString(QChar(0xF8)) + QStringLiteral("16"));
    EXPECT_TRUE(ElementLabel(CellWire, CellWire).isEmpty());
    EXPECT_TRUE(ElementLabel(CellEmpty, CellEmpty).isEmpty());
}

TEST(GridTest, LegacyNumberCodesAreRewritten) {
    LadderGridWords grid;
    grid.fill(CellEmpty);
    grid[1] = 49;
    grid[4] = 64;
    grid[7] = 10;
    grid[11] = 24;
    grid[13] = 25;  // neither range
    grid[14] = 65;  // a contact code
    grid[15] = 9;
    ConvertLegacyNumberCodes(grid);
    EXPECT_EQ(grid[1], 210);
    EXPECT_EQ(grid[4], 225);
    EXPECT_EQ(grid[7], 170);
    EXPECT_EQ(grid[11], 184);
    EXPECT_EQ(grid[13], 25);
    EXPECT_EQ(grid[14], 65);
    EXPECT_EQ(grid[15], 9);
    EXPECT_EQ(grid[0], CellEmpty);
}

TEST(GridTest, VerticalLinksAreHeldOnBothLines) {
    LadderGridWords grid;
    grid.fill(CellEmpty);
    SetVerticalLink(grid, 0, 1);
    EXPECT_EQ(grid[5], JunctionBase + JunctionDown);
    EXPECT_EQ(grid[12 + 5], JunctionBase + JunctionUp);

    grid[JunctionWordIndex(3, 0)] = JunctionBase + JunctionLeft + JunctionRight;
    SetVerticalLink(grid, 3, 0);
    EXPECT_EQ(grid[JunctionWordIndex(3, 0)], JunctionBase + JunctionLeft + JunctionRight + JunctionDown);
    ClearVerticalLink(grid, 3, 0);
    EXPECT_EQ(grid[JunctionWordIndex(3, 0)], JunctionBase + JunctionLeft + JunctionRight);
    EXPECT_EQ(grid[JunctionWordIndex(4, 0)], JunctionBase);

    ClearVerticalLink(grid, 0, 1);
    EXPECT_EQ(grid[5], CellEmpty);
    EXPECT_EQ(grid[17], CellEmpty);
}

TEST(GridTest, VerticalLinkFromTheLastLineChangesOnlyThatLine) {
    LadderGridWords grid;
    grid.fill(CellEmpty);
    LadderGridWords before = grid;
    SetVerticalLink(grid, 249, 2);
    before[JunctionWordIndex(249, 2)] = JunctionBase + JunctionDown;
    EXPECT_EQ(grid, before);
    // Out of range requests are ignored.
    SetVerticalLink(grid, 250, 0);
    SetVerticalLink(grid, -1, 0);
    SetVerticalLink(grid, 0, 3);
    EXPECT_EQ(grid, before);
}

TEST(GridTest, ImproperJunctionsHaveExactlyOneDirection) {
    for (std::uint16_t w : {129, 130, 132, 136}) {
        EXPECT_TRUE(IsImproperJunction(w)) << w;
    }
    for (std::uint16_t w : {128, 128 + 1 + 4, 128 + 2 + 8, 128 + 15, 0, 1}) {
        EXPECT_FALSE(IsImproperJunction(w)) << w;
    }
}

}  // namespace
}  // namespace bdx

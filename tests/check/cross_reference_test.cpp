#include "editor/cross_reference.h"

#include <gtest/gtest.h>

#include "ladder_drawing.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

QStringList rowTexts(const Program& p, int language = English) {
    QStringList texts;
    for (const CrossReferenceRow& row : CrossReference(p)) {
        texts << CrossReferenceCells(p, row, language).join(u'|');
    }
    return texts;
}

// Contacts of both polarities, the same operand twice on a line, every relay coil function, the
// retentive forms, block inputs, the clock contact and comments, in one program.
TEST(CrossReferenceTest, ListsEveryUseWithItsLinesFunctionAndComment) {
    Ladder l;
    l.rung(1, 'I', 1, 'Q', 1)                       // contactor
        .rung(2, 'I', 1, 'Q', 2, CoilSet, true)     // I1 closed
        .rung(3, 'Q', 1, 'Q', 2, CoilReset)         // output read back as a contact
        .rung(4, 'I', 2, 'M', 3, CoilSetRetentive)  // retentive marker
        .rung(5, 'I', 2, 'M', 3, CoilResetRetentive)
        .rung(6, 'I', 3, 'Q', 3, CoilImpulse)
        .rung(7, 'I', 4, 'T', 2)  // trigger
        .rung(8, 'I', 5, 'T', 2, CoilReset)
        .rung(9, 'T', 2, 'C', 16, CoilDirection)
        .rung(12, ClockContactOpen, 3, 'H', 1, CoilResetAll);
    l.contact(1, 2, 'I', 1).contact(1, 3, 'I', 1, true);  // I1 again on line 1, open and closed
    l.contact(11, 1, 'I', 1);
    l.p.comment(Operand::I, 0) = QStringLiteral("Start button");
    l.p.comment(Operand::M, 2) = QStringLiteral("Latched fault");
    l.p.comment(Operand::Clock, 2) = QStringLiteral("Night");

    EXPECT_EQ(rowTexts(l.p), QStringList({
                                 "I1|Contact NO|1, 11|Start button",
                                 "I1|Contact NC|1, 2|Start button",
                                 "I2|Contact NO|4, 5|",
                                 "I3|Contact NO|6|",
                                 "I4|Contact NO|7|",
                                 "I5|Contact NO|8|",
                                 "Q1|Contact NO|3|",
                                 "Q1|Coil: State Change: Contactor|1|",
                                 "Q2|Coil: Bistable: Set|2|",
                                 "Q2|Coil: Bistable: Reset|3|",
                                 "Q3|Coil: Level Change: Remote Control|6|",
                                 "M3|Coil: Bistable: Set (Retentive)|4|Latched fault",
                                 "M3|Coil: Bistable: Reset (Retentive)|5|Latched fault",
                                 "T2|Contact NO|9|",
                                 "T2|Coil: Trigger Input|7|",
                                 "T2|Coil: Reset Input|8|",
                                 "C16|Coil: Direction Input|9|",
                                 "H1|Coil: Reset All Input|12|",
                                 QString::fromUtf8("Ø3|Contact NO|12|Night"),
                             }));

    // The other languages name the same uses in their own words.
    const QStringList portuguese = rowTexts(l.p, Portuguese);
    EXPECT_EQ(portuguese.front(), QStringLiteral("I1|Contato NA|1, 11|Start button"));
    EXPECT_TRUE(portuguese[7].startsWith(QStringLiteral("Q1|Bobina: "))) << portuguese[7].toStdString();
    EXPECT_NE(portuguese[7], rowTexts(l.p)[7]);
}

// Words no editor writes, as a damaged or foreign file may hold them, name no operand or an
// unknown function; they never index past the comment table.
TEST(CrossReferenceTest, NumbersOutOfRangeAreLeftOutAndOddFunctionsShownAsNumbers) {
    Ladder l;
    l.rung(1, 'Q', 4, 'Q', 5);       // Q5 does not exist
    l.rung(2, 'X', 17, 'M', 64);     // X17 neither; M64 is the last marker
    l.word(2, kCoilFunctionWord) = 99;
    l.word(3, 0) = 'I';
    l.word(3, 1) = 60;  // older number coding: I12, beyond the 8 inputs
    const QString text = CrossReferenceText(l.p, English);
    EXPECT_EQ(text, QStringLiteral("Operand\tUse\tLines\tComment\n"
                                   "Q4\tContact NO\t1\t\n"
                                   "M64\tCoil: 99\t2\t\n"));
    EXPECT_EQ(CrossReferenceText(Program{}, English), QStringLiteral("Operand\tUse\tLines\tComment\n"));
}

}  // namespace
}  // namespace bdx

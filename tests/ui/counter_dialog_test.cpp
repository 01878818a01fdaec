#include <QApplication>
#include <QClipboard>

#include "block_dialog_rig.h"
#include "blocks/counter_record.h"
#include "ui/blocks/compare_form.h"
#include "ui/blocks/counter_form.h"

namespace bdx {
namespace {

// The application with line 1: I1 counting C1, line 2: C1 lighting Q1, line 3: P1 lighting Q2.
class CounterDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        DrawLampRung(editor(), 0, 'I', 1, 'C', 1);
        DrawLampRung(editor(), 1, 'C', 1, 'Q', 1);
        DrawLampRung(editor(), 2, 'P', 1, 'Q', 2);
    }
    void openCounter(std::function<void(counter_form&)> fill) {
        openBlock<counter_form>(0, false, std::move(fill));
    }
    void openCompare(std::function<void(compare_form&)> fill) {
        openBlock<compare_form>(2, true, std::move(fill));
    }
};

const QString kTooManyPulses = QStringLiteral(
    "For Desired Display Unit value One and Decimal Point Position value Zero, Number Of Pulses can not be "
    "greater than 42950.");
const QString kSameCounter = QStringLiteral("The compare function is not allowed for same counter");

// Each case starts from the counter the one before left; a refused save keeps the dialog open
// and the counter as it was. The fields take digits only, what gets through is corrected. Which
// scalings are refused, and with which message, is the counter record's test.
TEST_F(CounterDialogTest, CounterSaveChecksAndStoresTheRecordAsTheFileKeepsIt) {
    const struct {
        const char *setPoint, *pulses, *units;
        int decimals;
        bool retentive, locked;
        const char* withPoint;  // the set point with its decimal point, as shown
        QString message;        // empty when saved
        std::array<std::uint8_t, kCounterFields> row;
    } cases[] = {
        // clang-format off
        {"123456", "42950", "1", 0, false, false, "99999", {},
         {1, 9, 9, 9, 9, 9, 4, 2, 9, 5, 0, 0, 0, 0, 0, 1}},
        {"10", "42951", "1", 0, false, false, "00010", kTooManyPulses,
         {1, 9, 9, 9, 9, 9, 4, 2, 9, 5, 0, 0, 0, 0, 0, 1}},
        {"1a0", "60000", "2", 0, true, false, "00010", {},
         {17, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        // Above 65535 both scaling numbers are held; with decimals the 42950 bound does not apply.
        {"12345", "70000", "9999999", 2, false, true, "123.45", {},
         {67, 1, 2, 3, 4, 5, 6, 5, 5, 3, 5, 6, 5, 5, 3, 5}},
        {"-7", "x3", "1", 4, true, false, "0.0007", {},
         {145, 0, 0, 0, 0, 7, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setPoint);
        prompter.clear();
        const int before = undoIndex();
        openCounter([&](counter_form& d) {
            TypeInto(d.Text1(), QString::fromLatin1(c.setPoint));
            d.cboDecimalPos()->setCurrentIndex(c.decimals);
            EXPECT_EQ(d.txtSPFlotVal()->text(), QString::fromLatin1(c.withPoint));
            TypeInto(d.txtNumOfPulse(), QString::fromLatin1(c.pulses));
            TypeInto(d.txtDesireUnit(), QString::fromLatin1(c.units));
            d.chkRetentive()->setChecked(c.retentive);
            (c.locked ? d.optLocked() : d.optNotLocked())->click();
            d.Command2()->click();
            EXPECT_EQ(d.isVisible(), !c.message.isEmpty());
            if (d.isVisible()) {
                d.Command1()->click();
            }
        });
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        if (!c.message.isEmpty()) {
            EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
            EXPECT_EQ(prompter.messages().front().icon,
                      c.message == kTooManyPulses ? MessageIcon::Warning : MessageIcon::Information);
        }
        EXPECT_EQ(undoIndex(), before + (c.message.isEmpty() ? 1 : 0));
        const auto file = savedProgram().CounterParams[0];
        EXPECT_TRUE(std::equal(c.row.begin(), c.row.end(), file.begin())) << ::testing::PrintToString(file);
    }
}

// Pasted text goes in whole or not at all, then is corrected as if typed.
TEST_F(CounterDialogTest, PastedValuesAreCorrectedOrRefused) {
    for (const auto& pair : {std::pair{"4 2", "00000"}, std::pair{"654321", "99999"}}) {
        const char* pasted = pair.first;
        const char* shown = pair.second;
        openCounter([&](counter_form& d) {
            d.Text1()->selectAll();
            QApplication::clipboard()->setText(QString::fromLatin1(pasted));
            d.Text1()->paste();
            EXPECT_EQ(d.Text1()->text(), QString::fromLatin1(shown)) << pasted;
            d.Command1()->click();
        });
    }
}

TEST_F(CounterDialogTest, CompareSaveStoresOperandsAndFunctionAsTheFileKeepsIt) {
    const struct {
        int first, function, second;  // second: 0 "Abs.Value", else the counter's list index
        const char* constant;
        QString message;
        std::array<std::uint8_t, kCompareFields> row;
    } cases[] = {
        {2, 2, 0, "150", {}, {41, 0, 0, 1, 5, 0, 2}},            // C3 >= 00150
        {0, 5, 16, "150", {}, {81, 0, 0, 0, 0, 0, 240}},         // C1 <> C16
        {3, 4, 4, "0", kSameCounter, {81, 0, 0, 0, 0, 0, 240}},  // C4 = C4: refused
        {15, 1, 0, "1234567", {}, {25, 9, 9, 9, 9, 9, 15}},      // C16 < 99999
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        prompter.clear();
        const int before = undoIndex();
        openCompare([&](compare_form& d) {
            d.Combo1()->setCurrentIndex(c.first);
            d.Combo3()->setCurrentIndex(c.function);
            d.Combo2()->setCurrentIndex(c.second);
            EXPECT_EQ(d.Text2()->isEnabled(), c.second == 0);
            if (c.second == 0) {
                TypeInto(d.Text2(), QString::fromLatin1(c.constant));
            }
            d.Command1()->click();
            EXPECT_EQ(d.isVisible(), !c.message.isEmpty());
            if (d.isVisible()) {
                d.Command2()->click();
            }
        });
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(undoIndex(), before + (c.message.isEmpty() ? 1 : 0));
        const auto file = savedProgram().CompareParams[0];
        EXPECT_TRUE(std::equal(c.row.begin(), c.row.end(), file.begin())) << ::testing::PrintToString(file);
    }
}

// During a run the counter dialog shows the live inputs, output and value; Update hands the new
// set point to the running counter, and the compare counter's update reaches the run too.
TEST_F(CounterDialogTest, UpdateDuringARunReachesTheRunningCounter) {
    openCounter([](counter_form& d) {
        TypeInto(d.Text1(), QStringLiteral("5"));
        d.Command2()->click();
    });
    openCompare([](compare_form& d) {  // P1: C1 >= 00003
        d.Combo2()->setCurrentIndex(0);
        d.Combo3()->setCurrentIndex(2);
        TypeInto(d.Text2(), QStringLiteral("3"));
        d.Command1()->click();
    });
    ASSERT_NO_FATAL_FAILURE(startRun());
    counter_form d(editor(), prompter, 0, &runner());
    d.show();
    ASSERT_TRUE(LoopUntil([&] { return !d.lblCount()->text().isEmpty(); }));
    EXPECT_EQ(d.lblCount()->text(), QStringLiteral("Count: Not Active"));
    EXPECT_EQ(d.lblReset()->text(), QStringLiteral("Reset: Unconnected"));
    EXPECT_EQ(d.lblDirection()->text(), QStringLiteral("Direction: Unconnected"));
    EXPECT_EQ(d.lblOutput()->text(), QStringLiteral("Output: Not Active"));

    runner().simulation().setInput('I', 1, true);
    ASSERT_TRUE(LoopUntil([&] { return d.lblCurrentValue()->text().endsWith(QStringLiteral("00001")); }));
    EXPECT_EQ(d.lblCount()->text(), QStringLiteral("Count: Active"));
    EXPECT_TRUE(d.chkCount()->isChecked());

    TypeInto(d.Text1(), QStringLiteral("1"));
    d.Command2()->click();
    EXPECT_EQ(runner().simulation().blocks().counters.setPointUnits(0), 1);
    ASSERT_TRUE(LoopUntil([&] { return d.lblOutput()->text() == QStringLiteral("Output: Active"); }));
    EXPECT_TRUE(runner().engine().operandValue('Q', 1));

    compare_form p(editor(), prompter, 0, &runner());
    p.show();
    ASSERT_TRUE(LoopUntil([&] { return !p.lblOutput()->text().isEmpty(); }));
    EXPECT_EQ(p.lblFirstValue()->text(), QStringLiteral("C1 = 00001"));
    EXPECT_EQ(p.lblSecondValue()->text(), QStringLiteral("Abs.Value = 00003"));
    EXPECT_EQ(p.lblOutput()->text(), QStringLiteral("Output: Not Active"));
    TypeInto(p.Text2(), QStringLiteral("1"));
    p.Command1()->click();
    ASSERT_TRUE(LoopUntil([&] { return runner().engine().operandValue('Q', 2); }));
    stopRun();
}

}  // namespace
}  // namespace bdx

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app_rig.h"
#include "blocks/counter_record.h"
#include "ladder/program_file.h"
#include "ui/blocks/compare_form.h"
#include "ui/blocks/counter_form.h"

namespace bdx {
namespace {

void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// Lets the run scan until `done` holds; false when it never does.
bool ScanUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// The application with line 1: I1 counting C1, line 2: C1 lighting Q1, line 3: P1 lighting Q2.
class CounterDialogTest : public AppRig {
  protected:
    void SetUp() override {
        AppRig::SetUp();
        start();
        DrawLampRung(editor(), 0, 'I', 1, 'C', 1);
        DrawLampRung(editor(), 1, 'C', 1, 'Q', 1);
        DrawLampRung(editor(), 2, 'P', 1, 'Q', 2);
    }
    int undoIndex() { return app->context().document().undoStore().UndoIndex(); }
    // Properties on C1's coil or P1's contact, the dialog answered by `fill`.
    template <class Dialog>
    void open(std::function<void(Dialog&)> fill) {
        const bool counter = std::is_same_v<Dialog, counter_form>;
        editor().select({counter ? SelectionKinds::Coil : SelectionKinds::Contact, counter ? 0 : 2, 0});
        expectDialog<Dialog>(std::move(fill));
        command("mnuEditProperties")->trigger();
    }
    void openCounter(std::function<void(counter_form&)> fill) { open<counter_form>(std::move(fill)); }
    void openCompare(std::function<void(compare_form&)> fill) { open<compare_form>(std::move(fill)); }
    // The program as File / Save wrote it; the first save asks for the name.
    Program saved() {
        const QString file = path("counters.h53");
        if (!QFile::exists(file)) {
            prompter.queueFile(file);
        }
        command("mnuFileSave")->trigger();
        Program read;
        EXPECT_EQ(ReadProgramFile(file, read).code, ProgramFileStatus::Code::Ok);
        return read;
    }
};

const QString kTooManyPulses = QStringLiteral(
    "For Desired Display Unit value One and Decimal Point Position value Zero, Number Of Pulses can not be "
    "greater than 42950.");
const QString kZeroPulses = QStringLiteral("Number of Pulses value of counter should not be zero");
const QString kZeroUnits = QStringLiteral("Desired Display Units value of counter should not be zero");
const QString kSameCounter = QStringLiteral("The compare function is not allowed for same counter");

// Each case starts from the counter the one before left; a refused save keeps the dialog open
// and the counter as it was. The fields take digits only, what gets through is corrected.
TEST_F(CounterDialogTest, CounterSaveChecksAndStoresTheRecordAsTheFileKeepsIt) {
    const struct {
        const char *setPoint, *pulses, *units;
        int decimals;
        bool retentive;
        const char* withPoint;  // the set point with its decimal point, as shown
        QString message;        // empty when saved
        std::array<std::uint8_t, kCounterFields> row;
    } cases[] = {
        {"123456", "42950", "1", 0, false, "99999", {}, {1, 9, 9, 9, 9, 9, 4, 2, 9, 5, 0, 0, 0, 0, 0, 1}},
        {"10",
         "42951",
         "1",
         0,
         false,
         "00010",
         kTooManyPulses,
         {1, 9, 9, 9, 9, 9, 4, 2, 9, 5, 0, 0, 0, 0, 0, 1}},
        {"1a0", "60000", "2", 0, true, "00010", {}, {17, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        {"10", "0", "2", 0, false, "00010", kZeroPulses, {17, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        {"10", "5", "-0", 0, false, "00010", kZeroUnits, {17, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2}},
        // Above 65535 both scaling numbers are held; with decimals the 42950 bound does not apply.
        {"12345",
         "70000",
         "9999999",
         2,
         false,
         "123.45",
         {},
         {65, 1, 2, 3, 4, 5, 6, 5, 5, 3, 5, 6, 5, 5, 3, 5}},
        {"-7", "x3", "1", 4, true, "0.0007", {}, {145, 0, 0, 0, 0, 7, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setPoint);
        prompter.clear();
        const int before = undoIndex();
        openCounter([&](counter_form& d) {
            Type(d.Text1(), QString::fromLatin1(c.setPoint));
            d.cboDecimalPos()->setCurrentIndex(c.decimals);
            EXPECT_EQ(d.txtSPFlotVal()->text(), QString::fromLatin1(c.withPoint));
            Type(d.txtNumOfPulse(), QString::fromLatin1(c.pulses));
            Type(d.txtDesireUnit(), QString::fromLatin1(c.units));
            d.chkRetentive()->setChecked(c.retentive);
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
        const auto file = saved().CounterParams[0];
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
                Type(d.Text2(), QString::fromLatin1(c.constant));
            }
            d.Command1()->click();
            EXPECT_EQ(d.isVisible(), !c.message.isEmpty());
            if (d.isVisible()) {
                d.Command2()->click();
            }
        });
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
        EXPECT_EQ(undoIndex(), before + (c.message.isEmpty() ? 1 : 0));
        const auto file = saved().CompareParams[0];
        EXPECT_TRUE(std::equal(c.row.begin(), c.row.end(), file.begin())) << ::testing::PrintToString(file);
    }
}

// Both dialogs: Cancel and Escape store nothing, Save and Enter one undo point each.
TEST_F(CounterDialogTest, CancelOrEscapeRecordNothingSaveOrEnterOneUndoPoint) {
    enum Leave { CancelButton, Escape, SaveButton, Enter };
    for (const Leave leave : {CancelButton, Escape, SaveButton, Enter}) {
        SCOPED_TRACE(leave);
        const Program original = program();
        const int before = undoIndex();
        const auto close = [leave](QLineEdit* field, QPushButton* save, QPushButton* cancel) {
            if (leave == CancelButton || leave == SaveButton) {
                (leave == SaveButton ? save : cancel)->click();
            } else {
                QTest::keyClick(field, leave == Enter ? Qt::Key_Return : Qt::Key_Escape);
            }
        };
        openCounter([&](counter_form& d) {
            Type(d.Text2(), QStringLiteral("bottles %1").arg(leave));
            d.optLocked()->click();
            close(d.Text2(), d.Command2(), d.Command1());
        });
        openCompare([&](compare_form& d) {
            d.Combo2()->setCurrentIndex(0);  // a fresh record compares C1 with itself
            d.Combo3()->setCurrentIndex(3);
            Type(d.Text2(), QString::number(40 + leave));
            close(d.Text2(), d.Command1(), d.Command2());
        });
        const bool saves = leave == SaveButton || leave == Enter;
        EXPECT_EQ(undoIndex(), before + (saves ? 2 : 0));
        EXPECT_EQ(program() == original, !saves);
        if (saves) {
            EXPECT_EQ(DecodeCounter(program(), 0).comment, QStringLiteral("bottles %1").arg(leave));
            EXPECT_TRUE(DecodeCounter(program(), 0).locked);
            EXPECT_EQ(DecodeCompare(program(), 0).constant, 40 + leave);
        }
    }
}

TEST_F(CounterDialogTest, AnotherNumberAsksToSaveTheEditedBlock) {
    for (const Reply reply : {Reply::No, Reply::Yes}) {
        SCOPED_TRACE(int(reply));
        prompter.clear();
        prompter.queueReply(reply);
        openCounter([](counter_form& d) {
            Type(d.Text1(), QStringLiteral("321"));
            d.Combo1()->setCurrentIndex(4);
            EXPECT_EQ(d.counter(), 4);
            EXPECT_EQ(d.Text1()->text(), QStringLiteral("00000"));
            EXPECT_FALSE(d.edited());
            d.Command1()->click();
        });
        prompter.queueReply(reply);
        openCompare([](compare_form& d) {
            d.Combo2()->setCurrentIndex(0);
            d.Combo3()->setCurrentIndex(4);
            d.Combo4()->setCurrentIndex(1);
            EXPECT_EQ(d.compare(), 1);
            EXPECT_EQ(d.Combo3()->currentIndex(), 0);
            d.Command2()->click();
        });
        EXPECT_EQ(prompter.texts(), (QStringList{"Save Counter 1 ?", "Save Compare Function"}));
        EXPECT_EQ(DecodeCounter(program(), 0).setPoint, reply == Reply::Yes ? 321 : 0);
        EXPECT_EQ(DecodeCompare(program(), 0).function, reply == Reply::Yes ? 4 : 0);
    }
}

// During a run the counter dialog shows the live inputs, output and value; Update hands the new
// set point to the running counter and the dialog stays open.
TEST_F(CounterDialogTest, UpdateDuringARunReachesTheRunningCounter) {
    openCounter([](counter_form& d) {
        Type(d.Text1(), QStringLiteral("5"));
        d.Command2()->click();
    });
    openCompare([](compare_form& d) {  // P1: C1 >= 00003
        d.Combo2()->setCurrentIndex(0);
        d.Combo3()->setCurrentIndex(2);
        Type(d.Text2(), QStringLiteral("3"));
        d.Command1()->click();
    });
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
    const int before = undoIndex();
    counter_form d(editor(), prompter, 0, &runner());
    d.show();
    EXPECT_EQ(d.Command2()->text(), QStringLiteral("&Update"));
    EXPECT_EQ(d.Command1()->text(), QStringLiteral("&Close"));
    ASSERT_TRUE(ScanUntil([&] { return !d.lblCount()->text().isEmpty(); }));
    EXPECT_EQ(d.lblCount()->text(), QStringLiteral("Count: Not Active"));
    EXPECT_EQ(d.lblReset()->text(), QStringLiteral("Reset: Unconnected"));
    EXPECT_EQ(d.lblDirection()->text(), QStringLiteral("Direction: Unconnected"));
    EXPECT_EQ(d.lblOutput()->text(), QStringLiteral("Output: Not Active"));

    runner().simulation().setInput('I', 1, true);
    ASSERT_TRUE(ScanUntil([&] { return d.lblCurrentValue()->text().endsWith(QStringLiteral("00001")); }));
    EXPECT_EQ(d.lblCount()->text(), QStringLiteral("Count: Active"));
    EXPECT_TRUE(d.chkCount()->isChecked());

    Type(d.Text1(), QStringLiteral("1"));
    d.Command2()->click();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(runner().simulation().blocks().counters.setPointUnits(0), 1);
    EXPECT_EQ(undoIndex(), before + 1);
    ASSERT_TRUE(ScanUntil([&] { return d.lblOutput()->text() == QStringLiteral("Output: Active"); }));
    EXPECT_TRUE(runner().engine().operandValue('Q', 1));

    // The compare counter's update reaches the run too; that dialog closes after it.
    compare_form p(editor(), prompter, 0, &runner());
    p.show();
    ASSERT_TRUE(ScanUntil([&] { return !p.lblOutput()->text().isEmpty(); }));
    EXPECT_EQ(p.lblFirstValue()->text(), QStringLiteral("C1 = 00001"));
    EXPECT_EQ(p.lblSecondValue()->text(), QStringLiteral("Abs.Value = 00003"));
    EXPECT_EQ(p.lblOutput()->text(), QStringLiteral("Output: Not Active"));
    Type(p.Text2(), QStringLiteral("1"));
    p.Command1()->click();
    EXPECT_FALSE(p.isVisible());
    ASSERT_TRUE(ScanUntil([&] { return runner().engine().operandValue('Q', 2); }));

    command("mnuSimulationStop")->trigger();
    EXPECT_FALSE(d.isVisible());
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(CounterDialogTest, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    for (const auto& [language, name] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(language);
        counter_form counter(editor(), prompter, 0);
        counter.cboDecimalPos()->setCurrentIndex(2);
        compare_form compare(editor(), prompter, 0);
        for (QDialog* d : std::initializer_list<QDialog*>{&counter, &compare}) {
            d->show();
            QTest::qWait(0);
            d->grab().save(QStringLiteral("%1/%2_%3.png").arg(folder, d->objectName(), QLatin1String(name)));
        }
    }
}

}  // namespace
}  // namespace bdx

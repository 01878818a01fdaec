#include <QClipboard>
#include <QGuiApplication>
#include <QTabWidget>

#include "block_dialog_rig.h"
#include "blocks/device_model.h"
#include "ui/blocks/analog_form.h"
#include "ui/blocks/frm_analog_scaling.h"

namespace bdx {
namespace {

constexpr int kAnalogModel = 9;

// Replaces a field's text through the clipboard; empty text deletes it.
void Paste(QLineEdit* field, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    field->setFocus();
    field->selectAll();
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_Delete);
    } else {
        QTest::keySequence(field, QKeySequence::Paste);
    }
}

// A1 drives Q1 on an analog model; V1 is scaled 0..1000, V2 0.00..5.00, the others 0..0.
class AnalogDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        Ladder ladder(kAnalogModel);
        ladder.rung(1, 'A', 1, 'Q', 1);
        WriteAnalogScaling(ladder.p, 0, {0, 0, 1000});
        WriteAnalogScaling(ladder.p, 1, {2, 0, 500});
        load(ladder);
    }
    void openAnalog(std::function<void(analog_form&)> fill) {
        openBlock<analog_form>(0, true, std::move(fill));
    }

    // A block as the user sets it up; `reference` is typed only when compared with VREF.
    struct Block {
        int first, second, function;
        const char* reference;
        int decimals;
        bool locked;
    };
    static void fill(analog_form& d, const Block& b) {
        d.Combo1()->setCurrentIndex(b.first);
        d.Combo2()->setCurrentIndex(b.second);
        d.Combo3()->setCurrentIndex(b.function);
        if (b.second == kVref) {
            TypeInto(d.Text1(), QString::fromLatin1(b.reference));
            d.cboDecimalPos()->setCurrentIndex(b.decimals);
        }
        (b.locked ? d.optLocked() : d.optNotLocked())->click();
    }
};

// The record is read back from the saved file; field 0 without the in-use bit, field 5 only as
// "-" or not. The reference is corrected as it is typed.
TEST_F(AnalogDialogTest, SaveStoresTheRecordByteByByte) {
    const struct {
        Block block;
        const char* vref;
        std::array<std::uint8_t, kAnalogFields> row;
    } cases[] = {
        {{0, kVref, 2, "500", 0, false}, "Vref = 00500", {0, 1, 244, 128, 2, 0}},
        {{1, kVref, 1, "-1234", 2, true}, "Vref = -012.34", {2 + 2 * 32, 4, 210, 2 + 128, 1, '-'}},
        {{0, kVref, 5, "12a5", 0, false}, "Vref = 00125", {0, 0, 125, 128, 5, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block.reference);
        openAnalog([&](analog_form& d) {
            fill(d, c.block);
            EXPECT_EQ(d.lblVref()->text(), QString::fromLatin1(c.vref));
            TypeInto(d.Text20(), QStringLiteral("tank level"));
            d.Command2()->click();
            EXPECT_EQ(d.result(), QDialog::Accepted);
        });
        const Program saved = savedProgram();
        const auto& row = saved.AnalogParams[0];
        EXPECT_EQ(row[AnalogField::Flags] & ~kFlagInUse, c.row[0]);
        for (int field = 1; field < AnalogField::Sign; ++field) {
            EXPECT_EQ(row[field], c.row[field]) << "field " << field;
        }
        EXPECT_EQ(row[AnalogField::Sign] == '-', c.row[AnalogField::Sign] == '-');
        EXPECT_EQ(saved.comment(Operand::A, 0), QStringLiteral("tank level"));
    }
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
}

// A refusal keeps the dialog open and the program as it was. Which records are refused, and
// in what order, is the analog record's test.
TEST_F(AnalogDialogTest, SaveRefusesWhatTheDeviceCannotCompare) {
    const Program original = program();
    const int before = undoIndex();
    openAnalog([&](analog_form& d) {
        fill(d, {1, 1, 0, "", 0, false});
        d.Command2()->click();
        EXPECT_TRUE(d.isVisible());
        d.Command1()->click();
    });
    EXPECT_EQ(prompter.texts(), QStringList{"The compare function is not allowed for same analog input."});
    // Differently scaled inputs (the question's wording is the record's): No keeps the program,
    // Yes saves.
    for (const Reply reply : {Reply::No, Reply::Yes}) {
        prompter.clear();
        prompter.queueReply(reply);
        openAnalog([](analog_form& d) {
            fill(d, {0, 1, 0, "", 0, false});
            d.Command2()->click();
            if (d.isVisible()) {
                d.Command1()->click();
            }
        });
        ASSERT_EQ(prompter.messages().size(), 1u);
        const Message& question = prompter.messages().front();
        EXPECT_TRUE(question.text.contains(QStringLiteral("Channel 'V1' and 'V2'")));
        EXPECT_EQ(question.buttons, (std::vector<Reply>{Reply::Yes, Reply::No, Reply::Help}));
        EXPECT_EQ(undoIndex(), before + (reply == Reply::Yes ? 1 : 0));
    }
    EXPECT_NE(program().AnalogParams, original.AnalogParams);
    EXPECT_EQ(ReadAnalog(program(), 0).secondOperand, 1);
}

// Modeless beside the run: the labels show the compared values, Update reaches the next scan.
TEST_F(AnalogDialogTest, UpdateDuringARunReachesTheRunningBlock) {
    openAnalog([](analog_form& d) {
        fill(d, {0, kVref, 0, "500", 0, false});
        d.Command2()->click();
    });
    ASSERT_NO_FATAL_FAILURE(startRun());
    runner().simulation().setSlider(0, 1000);  // 10 V: V1 at its maximum, 1000
    scan();
    analog_form* d = openBlock<analog_form>(0, true);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->lblValue1()->text(), QStringLiteral("V1 = 01000"));
    EXPECT_EQ(d->lblValue2()->text(), QStringLiteral("Vref = 00500"));
    EXPECT_EQ(d->lblOutput()->text(), QStringLiteral("Output: Active"));

    TypeInto(d->Text1(), QStringLiteral("40000"));
    d->Command2()->click();
    scan();
    EXPECT_EQ(d->lblValue2()->text(), QStringLiteral("Vref = 32767"));
    EXPECT_EQ(d->lblOutput()->text(), QStringLiteral("Output: Not Active"));
    EXPECT_FALSE(runner().engine().operandValue('A', 1));
    EXPECT_TRUE(prompter.messages().empty());
    stopRun();
}

// Minimum and maximum of all eight channels go into the file with the decimal point.
TEST_F(AnalogDialogTest, ScalingOkStoresEveryChannel) {
    const int before = undoIndex();
    openFrom<frmAnalogScaling>("mnuAnalogScaling", [](frmAnalogScaling& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Analog Scaling Configuration"));
        EXPECT_EQ(d.tabModule()->count(), 4);
        EXPECT_EQ(d.txtMax(1)->text(), QStringLiteral("500"));
        TypeInto(d.txtMin(0), QStringLiteral("-100"));
        d.cboDecimalPoint(0)->setCurrentIndex(1);
        d.tabModule()->setCurrentIndex(3);
        TypeInto(d.txtMax(7), QStringLiteral("32766"));
        d.UpDown2(7, true)->click();
        d.UpDown2(7, true)->click();  // held at the top of the range
        d.UpDown1(7, false)->click();
        d.btnOK()->click();
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    EXPECT_EQ(undoIndex(), before + 1);
    const Program saved = savedProgram();
    const struct {
        int channel;
        AnalogScalingRecord record;
    } expected[] = {{0, {1, -100, 1000}}, {1, {2, 0, 500}}, {7, {0, -1, 32767}}};
    for (const auto& e : expected) {
        EXPECT_EQ(ReadAnalogScaling(saved, e.channel), e.record) << "V" << e.channel + 1;
    }
    EXPECT_EQ(saved.AnalogScalingParams[0][AnalogScalingField::MinSign], '-');
    EXPECT_EQ(saved.AnalogScalingParams[0][AnalogScalingField::Min + 2], 1);
    EXPECT_TRUE(prompter.messages().empty());
}

// A refused entry goes back to the field's last good text; an empty field is caught by OK.
TEST_F(AnalogDialogTest, ScalingRefusesBadInput) {
    const struct {
        const char* typed;
        bool maximum, ok;
        const char *shown, *message;
    } entries[] = {
        {"abc", true, false, "500", "Please give correct Input [between -32768 to 32767]."},
        {"", true, true, "", "Please Enter Valid Max. Value"},
        {"-", false, true, "-", "Please Enter Valid Min. Value"},
    };
    const Program original = program();
    const int before = undoIndex();
    for (const auto& e : entries) {
        SCOPED_TRACE(e.typed);
        prompter.clear();
        openFrom<frmAnalogScaling>("mnuAnalogScaling", [&](frmAnalogScaling& d) {
            QLineEdit* field = e.maximum ? d.txtMax(1) : d.txtMin(1);
            Paste(field, QString::fromLatin1(e.typed));
            EXPECT_EQ(field->text(), QString::fromLatin1(e.shown));
            if (e.ok) {
                d.btnOK()->click();
                EXPECT_TRUE(d.isVisible());
            }
            d.Command2()->click();
        });
        EXPECT_EQ(prompter.texts(), *e.message ? QStringList{e.message} : QStringList{});
        if (*e.message && !e.ok) {
            EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("Wrong Input"));
        }
    }
    EXPECT_EQ(undoIndex(), before);
    EXPECT_EQ(program().AnalogScalingParams, original.AnalogScalingParams);
}

}  // namespace
}  // namespace bdx

#include "block_dialog_rig.h"
#include "ui/blocks/analog_form.h"
#include "ui/blocks/compare_form.h"
#include "ui/blocks/counter_form.h"
#include "ui/blocks/dlg_soft_msg_embedded_data.h"
#include "ui/blocks/frm_analog_scaling.h"
#include "ui/blocks/frm_timeswitch_block.h"
#include "ui/blocks/hour_meter_frm.h"
#include "ui/blocks/soft_text_editor.h"
#include "ui/blocks/soft_text_form.h"
#include "ui/blocks/timer_form.h"

namespace bdx {
namespace {

// A block dialog as the tests of what all of them share see it: the line of its block, its
// controls' object names, and an edit of its block's record, made after a comment is typed.
// `edit` returns the control that took the last keys (nullptr: the comment field).
struct DialogRow {
    const char* dialog;  // the dialog's object name
    int line;
    bool contact;
    const char *numberList, *save, *close, *comment;
    const char* question;  // asked when another number is chosen with the edits unsaved
    bool staysOpenAfterUpdate;
    std::function<QWidget*(BlockDialog&)> edit;
};

template <class Dialog>
std::function<QWidget*(BlockDialog&)> Editing(std::function<QWidget*(Dialog&)> edit) {
    return [edit](BlockDialog& d) -> QWidget* {
        auto* typed = qobject_cast<Dialog*>(&d);
        EXPECT_NE(typed, nullptr) << "another dialog opened: " << d.objectName().toStdString();
        return typed != nullptr ? edit(*typed) : nullptr;
    };
}

const DialogRow kDialogs[] = {
    {"timer_form", 0, false, "Combo1", "Command3", "Command4", "Text2", "Save Timer 1 ?", false,
     Editing<timer_form>([](timer_form& d) -> QWidget* {
         d.selectType(7);
         return nullptr;
     })},
    {"counter_form", 1, false, "Combo1", "Command2", "Command1", "Text2", "Save Counter 1 ?", true,
     Editing<counter_form>([](counter_form& d) -> QWidget* {
         d.optLocked()->click();
         return nullptr;
     })},
    // A fresh compare record compares C1 with itself, which no save takes.
    {"compare_form", 2, true, "Combo4", "Command1", "Command2", "Text1", "Save Compare Function", false,
     Editing<compare_form>([](compare_form& d) -> QWidget* {
         d.Combo2()->setCurrentIndex(0);
         TypeInto(d.Text2(), QStringLiteral("40"));
         return d.Text2();
     })},
    {"HourMeterFrm", 3, false, "Combo1", "Command3", "Command4", "Text2", "Save Hour Meter1 ?", true,
     Editing<HourMeterFrm>([](HourMeterFrm& d) -> QWidget* {
         d.presetResolution()[Resolution1Hr]->click();
         TypeInto(d.Text1(), QStringLiteral("42"));
         return d.Text1();
     })},
    {"analog_form", 4, true, "Combo4", "Command2", "Command1", "Text20", "Save Analog Function1 ?", true,
     Editing<analog_form>([](analog_form& d) -> QWidget* {
         d.Combo2()->setCurrentIndex(kVref);
         TypeInto(d.Text1(), QStringLiteral("500"));
         return d.Text1();
     })},
    {"frmTimeswitchBlock", 5, true, "Combo3", "Command2", "Command1", "Text20", "Save Clock3 ?", true,
     Editing<frmTimeswitchBlock>([](frmTimeswitchBlock& d) -> QWidget* {
         d.chkStartDay(1)->click();
         d.chkSelectEndDay(6)->click();
         return nullptr;
     })},
    // Return and Escape typed in the text grid belong to the dialog.
    {"soft_text_form", 6, false, "cmbMessage", "cmdSave", "cmdCancel", "txtComment", "Save Text X1 ?", true,
     Editing<soft_text_form>([](soft_text_form& d) -> QWidget* {
         d.grdText()->setFocus();
         QTest::keyClicks(d.grdText(), QStringLiteral("Hello"));
         return d.grdText();
     })},
};

const QString kComment = QStringLiteral("pump");

// The dialogs of AllBlocksDrawing's blocks, in the table's order.
class BlockDialogsTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        load(Drawing());
    }
    static Ladder Drawing() { return AllBlocksDrawing(); }
    // The comment, then the row's edit; the control that took the last keys.
    static QWidget* Edit(BlockDialog& d, const DialogRow& row) {
        auto* comment = d.findChild<QLineEdit*>(QLatin1String(row.comment));
        TypeInto(comment, kComment);
        QWidget* typed = row.edit(d);
        return typed != nullptr ? typed : comment;
    }
    static QPushButton* Button(BlockDialog& d, const char* name) {
        return d.findChild<QPushButton*>(QLatin1String(name));
    }
};

TEST_F(BlockDialogsTest, CancelAndEscapeStoreNothingSaveAndEnterOneUndoPoint) {
    enum Leave { CancelButton, Escape, SaveButton, Enter };
    for (const DialogRow& row : kDialogs) {
        for (const Leave leave : {CancelButton, Escape, SaveButton, Enter}) {
            SCOPED_TRACE(row.dialog + std::string(" leave ") + std::to_string(leave));
            load(Drawing());
            const Program original = program();
            const int before = undoIndex();
            Operand kind = Operand::T;
            int number = -1;
            openBlock<BlockDialog>(row.line, row.contact, [&](BlockDialog& d) {
                kind = d.kind();
                number = d.number();
                QWidget* typed = Edit(d, row);
                if (leave == CancelButton || leave == SaveButton) {
                    Button(d, leave == SaveButton ? row.save : row.close)->click();
                } else {
                    QTest::keyClick(typed, leave == Enter ? Qt::Key_Return : Qt::Key_Escape);
                }
                EXPECT_FALSE(d.isVisible());
            });
            const bool saves = leave == SaveButton || leave == Enter;
            EXPECT_EQ(undoIndex(), before + (saves ? 1 : 0));
            EXPECT_EQ(program() == original, !saves);
            EXPECT_EQ(program().comment(kind, number) == kComment, saves);
        }
    }
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
}

// The other block's fields replace the edited ones, which are stored on Yes only.
TEST_F(BlockDialogsTest, AnotherNumberAsksToSaveTheEditedBlock) {
    for (const DialogRow& row : kDialogs) {
        for (const Reply reply : {Reply::No, Reply::Yes}) {
            SCOPED_TRACE(row.dialog + std::string(reply == Reply::Yes ? " yes" : " no"));
            load(Drawing());
            prompter.clear();
            prompter.queueReply(reply);
            Operand kind = Operand::T;
            int number = -1;
            openBlock<BlockDialog>(row.line, row.contact, [&](BlockDialog& d) {
                kind = d.kind();
                number = d.number();
                Edit(d, row);
                d.findChild<QComboBox*>(QLatin1String(row.numberList))->setCurrentIndex(3);
                EXPECT_EQ(d.number(), 3);
                EXPECT_FALSE(d.edited());
                EXPECT_TRUE(d.findChild<QLineEdit*>(QLatin1String(row.comment))->text().isEmpty());
                Button(d, row.close)->click();
            });
            EXPECT_EQ(prompter.texts(), QStringList{QString::fromLatin1(row.question)});
            EXPECT_EQ(program().comment(kind, number) == kComment, reply == Reply::Yes);
        }
    }
}

// Beside a run the dialogs are modeless, their buttons say so, an update is one edit, and the
// run's end takes them all with it.
TEST_F(BlockDialogsTest, DuringARunUpdateStoresAndTheRunsEndClosesEveryDialog) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    std::vector<QPointer<BlockDialog>> opened;
    for (const DialogRow& row : kDialogs) {
        SCOPED_TRACE(row.dialog);
        openBlock<BlockDialog>(row.line, row.contact);
        QPointer<BlockDialog> d = window()->findChild<BlockDialog*>(QLatin1String(row.dialog));
        ASSERT_FALSE(d.isNull());
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(d->isModal());
        EXPECT_EQ(Button(*d, row.save)->text(), QStringLiteral("&Update"));
        EXPECT_EQ(Button(*d, row.close)->text(), QStringLiteral("&Close"));
        const Operand kind = d->kind();
        const int number = d->number();
        const int before = undoIndex();
        Edit(*d, row);
        Button(*d, row.save)->click();
        EXPECT_EQ(undoIndex(), before + 1);
        EXPECT_EQ(program().comment(kind, number), kComment);
        EXPECT_EQ(!d.isNull() && d->isVisible(), row.staysOpenAfterUpdate);
        opened.push_back(d);
    }
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
    stopRun();
    for (const QPointer<BlockDialog>& d : opened) {
        EXPECT_TRUE(d.isNull() || !d->isVisible()) << d->objectName().toStdString();
    }
}

TEST_F(BlockDialogsTest, Screenshots) {
    // A message with an analog value and the time in it.
    Ladder sample(9);
    sample.embed(1, 12, EmbeddedSource::AnalogInput, 1, 0).embed(1, 24, EmbeddedSource::DateTime, 1, 1);
    SoftTextRow& message = program().SoftTextParams[0];
    message.fill(' ');
    std::copy_n("Tank level", 10, message.begin());
    std::copy(sample.p.SoftTextParams[0].begin() + 12, sample.p.SoftTextParams[0].end(),
              message.begin() + 12);
    message[19] = 'V';
    WriteAnalogScaling(program(), 0, {0, 0, 1000});  // V1 0..1000, V2 0.00..5.00
    WriteAnalogScaling(program(), 1, {2, 0, 500});
    InScreenshotLanguages([&](const QString& language) {
        for (const int type : {0, 3}) {
            timer_form timer(editor(), prompter, 0);
            timer.selectType(type);
            Shoot(timer, QStringLiteral("timer_form_%1_%2").arg(language).arg(type));
        }
        counter_form counter(editor(), prompter, 0);
        counter.cboDecimalPos()->setCurrentIndex(2);
        compare_form compare(editor(), prompter, 0);
        HourMeterFrm meter(editor(), prompter, 0);
        analog_form analog(editor(), prompter, 0);
        analog.Combo2()->setCurrentIndex(kVref);
        frmAnalogScaling scaling(editor(), prompter);
        for (QDialog* d : std::initializer_list<QDialog*>{&counter, &compare, &meter, &analog, &scaling}) {
            Shoot(*d, d->objectName() + u'_' + language);
        }
        // The second generation's week days, then the first one's "from" and "to" days.
        for (const auto& [model, days, name] :
             {std::tuple{9, std::pair{31, 62}, ""}, std::tuple{4, std::pair{1, 5}, "_first"}}) {
            program().ModelIndex = std::uint16_t(model);
            const auto [on, off] = std::pair{std::uint8_t(days.first), std::uint8_t(days.second)};
            program().TimeSwitchParams[2] = {1, on, off, 22, 0, 6, 0};
            frmTimeswitchBlock clock(editor(), prompter, 2);
            Shoot(clock, QStringLiteral("frmTimeswitchBlock%1_%2").arg(QLatin1String(name), language));
        }
        program().ModelIndex = 9;
        soft_text_form text(editor(), prompter, 0, [](QDialog&) { return DialogResult::Rejected; });
        text.grdText()->setFocus();
        Shoot(text, QStringLiteral("soft_text_form_") + language);
        dlgSoftMsgEmbeddedData data(program(), prompter);
        data.source(EmbeddedChoice::Timer)->click();
        data.numberList(EmbeddedChoice::Timer)->setCurrentIndex(0);
        data.parameterButton("optSP")->click();
        Shoot(data, QStringLiteral("dlgSoftMsgEmbeddedData_") + language);
    });
}

}  // namespace
}  // namespace bdx

#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "../check/ladder_drawing.h"
#include "app_rig.h"
#include "blocks/timer_record.h"
#include "ladder/block_tables.h"
#include "ladder/program_file.h"
#include "ui/blocks/set_time_group.h"

namespace bdx {

// The application with a drawn program, for the block dialogs: the dialog of the block on a
// line is opened through Properties, and what a save stored is read back from the saved file.
class BlockDialogRig : public AppRig {
  protected:
    void SetUp() override {
        AppRig::SetUp();
        start();
    }
    // Puts the drawing in the editor, checked as every edit would leave it.
    void load(const Ladder& ladder) {
        editor().program() = ladder.p;
        editor().runRuleCheck();
        window()->UpdateModelDisplay();
    }
    // Every block on one line of its own, on a model with analog inputs and a display: T1, C1,
    // P1, H1, A1, RTC3 and X1, set up well enough for a run.
    static Ladder AllBlocksDrawing() {
        Ladder ladder(9);
        ladder.rung(1, 'I', 1, 'T', 1)
            .rung(2, 'I', 1, 'C', 1)
            .rung(3, 'P', 1, 'Q', 2)
            .rung(4, 'I', 1, 'H', 1);
        ladder.rung(5, 'A', 1, 'Q', 1).rung(6, ClockContactOpen, 3, 'Q', 3).rung(7, 'I', 1, 'X', 1);
        ladder.p.TimerParams[0] = {kFlagInUse, 0, 0, 0, 1, 2, 5};          // 12.5 s on delay
        ladder.p.CompareParams[0] = {41, 0, 0, 1, 5, 0, 0};                // C1 >= 150
        ladder.p.HourMeterParams[0][HourMeterField::Preset + 4] = 1;       // 0.01 hour
        ladder.p.TimeSwitchParams[2] = {kFlagInUse, 31, 62, 22, 0, 6, 0};  // weekdays 22:00 to 6:00
        return ladder;
    }
    int undoIndex() { return app->context().document().undoStore().UndoIndex(); }
    // T1's type and ON time, stored as the timer dialog stores them.
    void storeTimer(int type, SetTime on) {
        TimerRecord record = DecodeTimer(program(), 0);
        record.type = type;
        record.on = on;
        ASSERT_TRUE(editor().applySave(
            [&record](Program& p) -> std::optional<Message> {
                EncodeTimer(p, 0, record);
                return std::nullopt;
            },
            EditScope::Parameters));
    }

    // Properties on the block of 0-based `line` (its coil, or its first contact); `fill` answers
    // the modal dialog. During a run the dialog opens beside it and is returned instead.
    template <class Dialog>
    Dialog* openBlock(int line, bool contact, std::function<void(Dialog&)> fill = {}) {
        editor().select({contact ? SelectionKinds::Contact : SelectionKinds::Coil, line, 0});
        if (fill) {
            expectDialog<Dialog>(std::move(fill));
        }
        command("mnuEditProperties")->trigger();
        return fill ? nullptr : window()->findChild<Dialog*>();
    }

    // The program as File / Save wrote it; a program without a file (as load() leaves it) asks
    // for the name.
    Program savedProgram() {
        if (program().ProgramFilePath.isEmpty()) {
            prompter.queueFile(path("blocks") + QString::number(++saves_) + QStringLiteral(".h53"));
        }
        command("mnuFileSave")->trigger();
        Program saved;
        EXPECT_EQ(ReadProgramFile(program().ProgramFilePath, saved).code, ProgramFileStatus::Code::Ok);
        return saved;
    }

    // A run with the PC; one scan at a time is then run by the test and shown as a turn would.
    void startRun() {
        runner().setDumpPath(QString());
        command("mnuSimulationPC")->trigger();
        ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
    }
    void scan() {
        runner().simulation().ScanOnce();
        Q_EMIT runner().scanned();
    }
    void stopRun() {
        command("mnuSimulationStop")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

  private:
    int saves_ = 0;
};

// Replaces a field's text as a user does: select all, then type.
inline void TypeInto(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// A set time as the user enters it: the unit button, then the seconds or the two fields.
inline void EnterTime(SetTimeGroup* group, TimeUnit unit, const QString& first, const QString& second = {}) {
    group->unitButton(unit)->click();
    if (unit == TimeUnit::Seconds) {
        TypeInto(group->secondsField(), first);
    } else {
        TypeInto(group->highField(), first);
        TypeInto(group->lowField(), second);
    }
}

}  // namespace bdx

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app_rig.h"
#include "blocks/timer_record.h"
#include "ladder/program_file.h"
#include "sim/clock.h"
#include "ui/blocks/block_dialog.h"
#include "ui/blocks/set_time_group.h"
#include "ui/blocks/timer_form.h"
#include "ui/ladder/ladder_view.h"
#include "ui/sim/io_form.h"

namespace bdx {
namespace {

constexpr GridPosition kT1Coil{SelectionKinds::Coil, 0, 0};

// A set time typed as the user types it: the unit button, then the fields.
void Enter(SetTimeGroup* group, TimeUnit unit, const QString& first, const QString& second = QString()) {
    group->unitButton(unit)->click();
    const auto type = [](QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    };
    if (unit == TimeUnit::Seconds) {
        type(group->secondsField(), first);
    } else {
        type(group->highField(), first);
        type(group->lowField(), second);
    }
}

// Seconds as the dialog's locale writes them, "005" + separator + "0".
QString SecondsText(const char* whole, char tenths) {
    return QString::fromLatin1(whole) + LocaleDecimalSeparator() + QLatin1Char(tenths);
}

// A lamp behind a timer: I1 triggers T1 on line 0, T1's contact lights Q1 on line 1. The run
// goes on a manual clock, so the delays are exact and take no real time.
class TimerRunTest : public AppRig {
  protected:
    void SetUp() override {
        AppRig::SetUp();
        start();
        runner().setClock(&clock);
        runner().setDumpPath(QString());
        DrawLampRung(editor(), 0, 'I', 1, 'T', 1);
        DrawLampRung(editor(), 1, 'T', 1, 'Q', 1);
    }
    void TearDown() override {
        if (app && runner().running()) {
            command("mnuSimulationStop")->trigger();
        }
        AppRig::TearDown();
    }

    // T1's type and set time, stored as the dialog stores them.
    void setTimer(int type, SetTime on) {
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
    void startRun() {
        command("mnuSimulationPC")->trigger();
        ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
        ASSERT_NE(runner().panel(), nullptr);
    }
    void stopRun() {
        command("mnuSimulationStop")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Turns the event loop until the run has made `count` more scans; the manual clock stands
    // still meanwhile.
    void scans(int count = 2) {
        const qint64 target = runner().scanCount() + count;
        QElapsedTimer guard;
        guard.start();
        while (runner().running() && runner().scanCount() < target && guard.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        ASSERT_GE(runner().scanCount(), target);
    }
    void tickI1() { runner().panel()->inputBox(0)->click(); }
    bool lamp() const { return runner().engine().operandValue('Q', 1); }
    const TimerEvaluation& timers() { return runner().simulation().blocks().timers; }

    // Properties on T1's coil during a run: the dialog opens beside the run, not modal.
    timer_form* openTimerDuringRun() {
        editor().select(kT1Coil);
        command("mnuEditProperties")->trigger();
        auto* dialog = window()->findChild<timer_form*>();
        EXPECT_NE(dialog, nullptr);
        if (dialog != nullptr) {
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_FALSE(dialog->isModal());
        }
        return dialog;
    }

    ManualClock clock;
};

// The whole way without the mouse: arrows to the coil, the Properties key, an on-delay of
// 5.0 s, Save, the run with the PC, I1 ticked, and the lamp lit 5.0 s later.
TEST_F(TimerRunTest, ANewUserDelaysALampWithAnOnDelayTimer) {
    auto* view = find<LadderView>("ladderView");
    ASSERT_NE(view, nullptr);
    QApplication::setActiveWindow(window());
    view->setFocus();
    editor().select({SelectionKinds::Contact, 0, 0});
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(view, Qt::Key_Right);
    }
    ASSERT_EQ(editor().selection(), kT1Coil);
    expectDialog<timer_form>([](timer_form& d) {
        EXPECT_EQ(d.timer(), 0);
        d.selectType(0);
        Enter(d.onTime(), TimeUnit::Seconds, SecondsText("005", '0'));
        QTest::keyClick(d.Command3(), Qt::Key_Return);  // the default button
    });
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(dialogs.empty()) << "Properties did not open the timer";

    prompter.queueFile(path("lamp.h53"));
    command("mnuFileSave")->trigger();
    Program saved;
    ASSERT_EQ(ReadProgramFile(path("lamp.h53"), saved).code, ProgramFileStatus::Code::Ok);
    const TimerRecord record = DecodeTimer(saved, 0);
    EXPECT_EQ(record.type, 0);
    EXPECT_EQ(record.on.unit, TimeUnit::Seconds);
    EXPECT_EQ(record.on.digits, (std::array<std::uint8_t, 4>{0, 0, 5, 0}));

    ASSERT_NO_FATAL_FAILURE(startRun());
    ASSERT_NO_FATAL_FAILURE(scans());
    tickI1();
    const struct {
        int advance;  // hundredths
        bool lit;
    } steps[] = {{0, false}, {250, false}, {249, false}, {1, true}, {1000, true}};
    int elapsed = 0;
    for (const auto& step : steps) {
        elapsed += step.advance;
        clock.advance(step.advance);
        ASSERT_NO_FATAL_FAILURE(scans());
        EXPECT_EQ(lamp(), step.lit) << "at " << elapsed;
    }
    tickI1();
    ASSERT_NO_FATAL_FAILURE(scans());
    EXPECT_FALSE(lamp());
}

TEST_F(TimerRunTest, TheDialogFollowsTheRunningTimerAndItsBoxesOnlyShow) {
    setTimer(0, SetTime{TimeUnit::Seconds, {0, 0, 5, 0}});
    ASSERT_NO_FATAL_FAILURE(startRun());
    ASSERT_NO_FATAL_FAILURE(scans());
    QPointer<timer_form> d = openTimerDuringRun();
    ASSERT_FALSE(d.isNull());
    EXPECT_EQ(d->Command3()->text(), QStringLiteral("&Update"));
    EXPECT_EQ(d->Command4()->text(), QStringLiteral("&Close"));

    const struct {
        const char* action;
        bool triggerOn;
        const char* trigger;
        const char* output;
    } steps[] = {
        {"nothing", false, "Trigger: Not Active", "Output: Not Active"},
        {"tick I1", true, "Trigger: Active", "Output: Not Active"},
        {"5 s later", true, "Trigger: Active", "Output: Active"},
        {"untick I1", false, "Trigger: Not Active", "Output: Not Active"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action);
        const QString action = QString::fromLatin1(step.action);
        if (action.contains(QLatin1String("tick"))) {
            tickI1();
        } else if (action.contains(QLatin1String("later"))) {
            clock.advance(500);
        }
        ASSERT_NO_FATAL_FAILURE(scans());
        EXPECT_EQ(d->lblTrigger()->text(), QString::fromLatin1(step.trigger));
        EXPECT_EQ(d->lblReset()->text(), QStringLiteral("Reset: Unconnected"));
        EXPECT_EQ(d->lblOutput()->text(), QString::fromLatin1(step.output));
        EXPECT_EQ(d->chkTrigger()->isChecked(), step.triggerOn);
        EXPECT_FALSE(d->chkReset()->isChecked());
    }

    // The boxes show what the program drives; a click neither changes them nor the input.
    QTest::mouseClick(d->chkTrigger(), Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(scans());
    EXPECT_FALSE(d->chkTrigger()->isChecked());
    EXPECT_FALSE(runner().simulation().input('I', 1));
    EXPECT_EQ(d->chkTrigger()->focusPolicy(), Qt::NoFocus);

    // A timer without coils.
    d->Combo1()->setCurrentIndex(1);
    ASSERT_NO_FATAL_FAILURE(scans());
    EXPECT_EQ(d->lblTrigger()->text(), QStringLiteral("Trigger: Unconnected"));

    // The run's end takes the dialog with it.
    stopRun();
    EXPECT_TRUE(d.isNull() || !d->isVisible());
}

// Update stores the timer as one edit, hands it to the running timer and closes the dialog.
// Fewer digits cut the elapsed time; another unit stops the timer until the trigger comes anew.
TEST_F(TimerRunTest, UpdateReachesTheRunningTimer) {
    const struct {
        const char* name;
        TimeUnit unit;
        QString first, second;
        TimerState state;  // right after the update, 6.0 s into a 10.0 s preset
        double elapsed;
        bool litAtOnce;
    } cases[] = {
        {"shorter preset", TimeUnit::Seconds, SecondsText("003", '0'), {}, TimerState::Running, 3.0, true},
        {"longer preset", TimeUnit::Seconds, SecondsText("020", '0'), {}, TimerState::Running, 6.0, false},
        {"another unit", TimeUnit::MinutesSeconds, "00", "07", TimerState::Stopped, 0.0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setTimer(0, SetTime{TimeUnit::Seconds, {0, 1, 0, 0}});
        ASSERT_NO_FATAL_FAILURE(startRun());
        ASSERT_NO_FATAL_FAILURE(scans());
        tickI1();
        ASSERT_NO_FATAL_FAILURE(scans());
        clock.advance(600);
        ASSERT_NO_FATAL_FAILURE(scans());
        ASSERT_EQ(timers().state(0), TimerState::Running);

        QPointer<timer_form> d = openTimerDuringRun();
        ASSERT_FALSE(d.isNull());
        const int undoBefore = app->context().document().undoStore().UndoIndex();
        Enter(d->onTime(), c.unit, c.first, c.second);
        d->Command3()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(d.isNull() || !d->isVisible()) << "the dialog stayed open";
        EXPECT_EQ(app->context().document().undoStore().UndoIndex(), undoBefore + 1);
        EXPECT_EQ(DecodeTimer(program(), 0).on.unit, c.unit);

        EXPECT_EQ(timers().state(0), c.state);
        EXPECT_DOUBLE_EQ(timers().elapsedSeconds(0), c.elapsed);
        ASSERT_NO_FATAL_FAILURE(scans());
        EXPECT_EQ(lamp(), c.litAtOnce);
        if (c.unit != TimeUnit::Seconds) {
            // Held on, the trigger does not restart it; a new press does, on the new preset.
            clock.advance(1000);
            ASSERT_NO_FATAL_FAILURE(scans());
            EXPECT_EQ(timers().state(0), TimerState::Stopped);
            tickI1();
            ASSERT_NO_FATAL_FAILURE(scans());
            tickI1();
            ASSERT_NO_FATAL_FAILURE(scans());
            clock.advance(699);
            ASSERT_NO_FATAL_FAILURE(scans());
            EXPECT_FALSE(lamp());
            clock.advance(1);
            ASSERT_NO_FATAL_FAILURE(scans());
            EXPECT_TRUE(lamp());
        }
        tickI1();  // released for the next case
        ASSERT_NO_FATAL_FAILURE(scans());
        stopRun();
    }
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(TimerRunTest, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    setTimer(0, SetTime{TimeUnit::Seconds, {0, 0, 5, 0}});
    for (const auto& [language, name] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(language);
        ASSERT_NO_FATAL_FAILURE(startRun());
        ASSERT_NO_FATAL_FAILURE(scans());
        tickI1();
        ASSERT_NO_FATAL_FAILURE(scans());
        clock.advance(500);
        ASSERT_NO_FATAL_FAILURE(scans());
        timer_form* d = openTimerDuringRun();
        ASSERT_NE(d, nullptr);
        QTest::qWait(0);
        d->grab().save(QStringLiteral("%1/timer_form_run_%2.png").arg(folder, QLatin1String(name)));
        tickI1();
        stopRun();
    }
}

}  // namespace
}  // namespace bdx

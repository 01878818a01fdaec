#include <QApplication>

#include "block_dialog_rig.h"
#include "sim/clock.h"
#include "ui/blocks/timer_form.h"
#include "ui/ladder/ladder_view.h"
#include "ui/sim/io_form.h"

namespace bdx {
namespace {

constexpr GridPosition kT1Coil{SelectionKinds::Coil, 0, 0};

// Seconds as the dialog's locale writes them, "005" + separator + "0".
QString SecondsText(const char* whole, char tenths) {
    return QString::fromLatin1(whole) + LocaleDecimalSeparator() + QLatin1Char(tenths);
}

// A lamp behind a timer: I1 triggers T1 on line 0, T1's contact lights Q1 on line 1. The run
// goes on a manual clock, so the delays are exact and take no real time.
class TimerRunTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        runner().setClock(&clock);
        DrawLampRung(editor(), 0, 'I', 1, 'T', 1);
        DrawLampRung(editor(), 1, 'T', 1, 'Q', 1);
    }

    // Turns the event loop until the run has made `count` more scans; the manual clock stands
    // still meanwhile.
    void scans(int count = 2) {
        const qint64 target = runner().scanCount() + count;
        LoopUntil([&] { return !runner().running() || runner().scanCount() >= target; }, 10000);
        ASSERT_GE(runner().scanCount(), target);
    }
    void tickI1() { runner().panel()->inputBox(0)->click(); }
    bool lamp() const { return runner().engine().operandValue('Q', 1); }
    const TimerEvaluation& timers() { return runner().simulation().blocks().timers; }

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
        EnterTime(d.onTime(), TimeUnit::Seconds, SecondsText("005", '0'));
        QTest::keyClick(d.Command3(), Qt::Key_Return);  // the default button
    });
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    ASSERT_TRUE(dialogs.empty()) << "Properties did not open the timer";

    const TimerRecord record = DecodeTimer(savedProgram(), 0);
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
    storeTimer(0, SetTime{TimeUnit::Seconds, {0, 0, 5, 0}});
    ASSERT_NO_FATAL_FAILURE(startRun());
    ASSERT_NO_FATAL_FAILURE(scans());
    QPointer<timer_form> d = openBlock<timer_form>(0, false);
    ASSERT_FALSE(d.isNull());

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
}

// Update hands the timer to the running one: a shorter preset than the time already run lights
// the lamp at once. How each kind of change treats the elapsed time is the timer evaluation's test.
TEST_F(TimerRunTest, UpdateReachesTheRunningTimer) {
    storeTimer(0, SetTime{TimeUnit::Seconds, {0, 1, 0, 0}});
    ASSERT_NO_FATAL_FAILURE(startRun());
    ASSERT_NO_FATAL_FAILURE(scans());
    tickI1();
    ASSERT_NO_FATAL_FAILURE(scans());
    clock.advance(600);
    ASSERT_NO_FATAL_FAILURE(scans());
    ASSERT_EQ(timers().state(0), TimerState::Running);

    timer_form* d = openBlock<timer_form>(0, false);
    ASSERT_NE(d, nullptr);
    EnterTime(d->onTime(), TimeUnit::Seconds, SecondsText("003", '0'));
    d->Command3()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(DecodeTimer(program(), 0).on.digits, (std::array<std::uint8_t, 4>{0, 0, 3, 0}));
    EXPECT_DOUBLE_EQ(timers().elapsedSeconds(0), 3.0);
    ASSERT_NO_FATAL_FAILURE(scans());
    EXPECT_TRUE(lamp());
    stopRun();
}

TEST_F(TimerRunTest, Screenshots) {
    storeTimer(0, SetTime{TimeUnit::Seconds, {0, 0, 5, 0}});
    InScreenshotLanguages([&](const QString& language) {
        ASSERT_NO_FATAL_FAILURE(startRun());
        ASSERT_NO_FATAL_FAILURE(scans());
        tickI1();
        ASSERT_NO_FATAL_FAILURE(scans());
        clock.advance(500);
        ASSERT_NO_FATAL_FAILURE(scans());
        timer_form* d = openBlock<timer_form>(0, false);
        ASSERT_NE(d, nullptr);
        Shoot(*d, QStringLiteral("timer_form_run_") + language);
        tickI1();
        stopRun();
    });
}

}  // namespace
}  // namespace bdx

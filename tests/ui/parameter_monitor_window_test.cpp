#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "block_dialog_rig.h"
#include "blocks/counter_record.h"
#include "blocks/timer_record.h"
#include "sim/clock.h"
#include "ui/blocks/counter_form.h"
#include "ui/blocks/timer_form.h"
#include "ui/sim/run_parameters.h"

namespace bdx {
namespace {

constexpr int kCurrentColumn = 6;  // of the timers grid

// I1 triggers T1 (on-delay 5.0 s), I2 counts C1 (set point 10), T1 lights Q1, I3 triggers T2.
// The run goes on a manual clock.
class ParameterMonitorWindowTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        runner().setClock(&clock);
        Ladder l(9);
        l.rung(1, 'I', 1, 'T', 1).rung(2, 'I', 2, 'C', 1).rung(3, 'T', 1, 'Q', 1);
        l.rung(4, 'I', 3, 'T', 2);
        TimerRecord t1;
        t1.on = {TimeUnit::Seconds, {0, 0, 5, 0}};
        EncodeTimer(l.p, 0, t1);
        l.p.comment(Operand::T, 0) = QStringLiteral("Conveyor start delay");
        TimerRecord t2;
        t2.type = 3;
        t2.on = {TimeUnit::MinutesSeconds, {0, 1, 3, 0}};
        t2.off = {TimeUnit::HoursMinutes, {0, 0, 1, 0}};
        t2.locked = true;
        EncodeTimer(l.p, 1, t2);
        l.p.comment(Operand::T, 1) = QStringLiteral("Lubrication pulse");
        CounterRecord c1;
        c1.setPoint = 10;
        EncodeCounter(l.p, 0, c1);
        load(l);
    }
    run_parameters* monitor() const { return window()->findChild<run_parameters*>(); }
    void advance(std::int64_t hundredths) {
        clock.advance(hundredths);
        scan();
    }
    QString cell(MonitorTab tab, int row, int column) const {
        const QTableWidgetItem* item = monitor()->grid(tab)->item(row, column);
        return item != nullptr ? item->text() : QString();
    }

    ManualClock clock;
};

TEST_F(ParameterMonitorWindowTest, ShownAndHiddenFromTheViewMenuDuringARun) {
    QAction* parameters = command("mnuViewParameters");
    EXPECT_FALSE(parameters->isEnabled());
    EXPECT_EQ(parameters->text(), LoadText(154));

    ASSERT_NO_FATAL_FAILURE(startRun());
    EXPECT_TRUE(parameters->isEnabled());
    EXPECT_EQ(parameters->text(), QStringLiteral("Show Parameters"));
    parameters->trigger();
    ASSERT_NE(monitor(), nullptr);
    EXPECT_TRUE(monitor()->isVisible());
    EXPECT_EQ(monitor()->windowTitle(), QStringLiteral("Parameters"));
    EXPECT_EQ(parameters->text(), QStringLiteral("Hide Parameters"));
    QStringList captions;
    for (int i = 0; i < monitor()->tabs()->count(); ++i) {
        captions << monitor()->tabs()->tabText(i);
    }
    EXPECT_EQ(captions, QStringList({"Timers", "Counters", "Analog functions", "Compare counters",
                                     "Time switches (RTC)", "Hour Meter"}));
    EXPECT_EQ(monitor()->grid(MonitorTab::Timers)->rowCount(), 2);

    parameters->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(monitor(), nullptr);
    EXPECT_EQ(parameters->text(), QStringLiteral("Show Parameters"));

    // The end of the run takes the monitor with it.
    parameters->trigger();
    ASSERT_NE(monitor(), nullptr);
    stopRun();
    EXPECT_EQ(monitor(), nullptr);
    EXPECT_FALSE(parameters->isEnabled());
    EXPECT_EQ(parameters->text(), LoadText(154));

    // So does closing the main window.
    ASSERT_NO_FATAL_FAILURE(startRun());
    parameters->trigger();
    ASSERT_NE(monitor(), nullptr);
    prompter.queueReply(Reply::Yes);  // end the simulation
    prompter.queueReply(Reply::No);   // and do not save
    EXPECT_TRUE(window()->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(monitor(), nullptr);
}

TEST_F(ParameterMonitorWindowTest, OnlyTheTabInViewFollowsTheRun) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    command("mnuViewParameters")->trigger();
    ASSERT_NE(monitor(), nullptr);
    ASSERT_NO_FATAL_FAILURE(advance(0));
    EXPECT_EQ(cell(MonitorTab::Timers, 0, kCurrentColumn), QStringLiteral("000.0 s"));

    monitor()->tabs()->setCurrentIndex(1);
    runner().simulation().setInput('I', 1, true);
    runner().simulation().setInput('I', 2, true);
    ASSERT_NO_FATAL_FAILURE(advance(1));
    ASSERT_NO_FATAL_FAILURE(advance(250));
    EXPECT_EQ(cell(MonitorTab::Counters, 0, 5), QStringLiteral("00001"));
    EXPECT_EQ(cell(MonitorTab::Timers, 0, kCurrentColumn), QStringLiteral("000.0 s"));
    EXPECT_EQ(cell(MonitorTab::Timers, 0, 1), QStringLiteral("No"));

    monitor()->tabs()->setCurrentIndex(0);
    EXPECT_EQ(cell(MonitorTab::Timers, 0, kCurrentColumn), QStringLiteral("002.5 s"));
    EXPECT_EQ(cell(MonitorTab::Timers, 0, 1), QStringLiteral("Yes"));
}

TEST_F(ParameterMonitorWindowTest, ARowClickOpensThatBlocksDialogBesideTheRun) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    command("mnuViewParameters")->trigger();
    ASSERT_NE(monitor(), nullptr);
    monitor()->tabs()->setCurrentIndex(1);
    QTableWidget* grid = monitor()->grid(MonitorTab::Counters);
    ASSERT_EQ(grid->rowCount(), 1);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(0, 4)).center());

    auto* dialog = window()->findChild<counter_form*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->counter(), 0);
    // The run goes on beside it, and what the dialog stores shows in the monitor.
    TypeInto(dialog->Text1(), QStringLiteral("25"));
    dialog->Command2()->click();
    ASSERT_NO_FATAL_FAILURE(advance(1));
    EXPECT_TRUE(runner().running());
    EXPECT_EQ(cell(MonitorTab::Counters, 0, 4), QStringLiteral("00025"));
    // A second click brings that dialog forward: two dialogs of one block would store over each other.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(0, 4)).center());
    EXPECT_EQ(window()->findChildren<counter_form*>().size(), 1);

    // Enter on a row opens the dialog too.
    monitor()->tabs()->setCurrentIndex(0);
    QTableWidget* timers = monitor()->grid(MonitorTab::Timers);
    timers->setCurrentCell(1, 0);
    QTest::keyClick(timers, Qt::Key_Return);
    const auto* timer = window()->findChild<timer_form*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->timer(), 1);
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(ParameterMonitorWindowTest, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        ASSERT_NO_FATAL_FAILURE(startRun());
        command("mnuViewParameters")->trigger();
        ASSERT_NE(monitor(), nullptr);
        runner().simulation().setInput('I', 1, true);
        runner().simulation().setInput('I', 3, true);
        ASSERT_NO_FATAL_FAILURE(advance(1));
        ASSERT_NO_FATAL_FAILURE(advance(324));
        // As wide as on a desktop screen; the offscreen screen is narrower.
        monitor()->resize(1010, 260);
        Shoot(*monitor(), QStringLiteral("run_parameters_") + language);
        stopRun();
    });
}

}  // namespace
}  // namespace bdx

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include "block_dialog_rig.h"
#include "sim/clock.h"
#include "sim/simulation_clock.h"
#include "ui/sim/io_form.h"
#include "ui/sim/trend_dock.h"
#include "ui/widgets/trend_view.h"

namespace bdx {
namespace {

// I1 triggers T1, an on-delay timer of 1.0 s, whose contact lights Q1. The run goes on a manual
// clock moved one hundredth per scan, as the wall clock would.
class TrendDockTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        runner().setClock(&clock);
        runner().setDumpPath(QString());
        DrawLampRung(editor(), 0, 'I', 1, 'T', 1);
        DrawLampRung(editor(), 1, 'T', 1, 'Q', 1);
        ASSERT_NO_FATAL_FAILURE(storeTimer(0, SetTime{TimeUnit::Seconds, {0, 0, 1, 0}}));
        command("mnuViewTrend")->trigger();
        dock = find<TrendDock>("dockTrend");
        ASSERT_NE(dock, nullptr);
    }
    void typeOperands(const char* text) {
        dock->operandsEdit()->clear();
        QTest::keyClicks(dock->operandsEdit(), QString::fromLatin1(text));
        find<QPushButton>("cmdTrendRecord")->click();
    }
    // Runs scans until the run has made `count` more, moving the clock with them.
    void scans(int count) {
        QElapsedTimer guard;
        guard.start();
        for (qint64 done = 0; done < count && guard.elapsed() < 20000;) {
            const qint64 before = runner().scanCount();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const qint64 made = runner().scanCount() - before;
            clock.advance(made);
            done += made;
        }
    }
    // A run in which I1 is on from scan 20 to 200, so that T1 and Q1 follow after 1.0 s.
    void record() {
        command("mnuSimulationPC")->trigger();
        ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
        scans(20);
        runner().panel()->inputBox(0)->click();
        scans(180);
        runner().panel()->inputBox(0)->click();
        scans(60);
        command("mnuSimulationStop")->trigger();
    }

    ManualClock clock;
    ManualClock wall;
    TrendDock* dock = nullptr;
};

// Operands typed as a user would, a run, the cursor placed by a click reading every value at
// its time, zoom, and both exports with a failure told.
TEST_F(TrendDockTest, RecordsTheRunAndTheCursorReadsItsValues) {
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(command("mnuViewTrend")->isChecked());
    typeOperands("i1 Q1 t1.pv Q9");
    EXPECT_EQ(dock->statusLabel()->text(), QStringLiteral("Unknown operand: Q9"));
    EXPECT_TRUE(dock->recorder().traces().empty());
    typeOperands("i1, Q1 t1.pv T1");
    EXPECT_EQ(dock->operandsEdit()->text(), QStringLiteral("I1 Q1 T1.pv T1"));
    ASSERT_EQ(dock->recorder().traces().size(), 4u);

    ASSERT_NO_FATAL_FAILURE(record());
    const TrendRecorder& recorder = dock->recorder();
    const TrendTrace& i1 = recorder.traces()[0];
    const TrendTrace& q1 = recorder.traces()[1];
    ASSERT_GE(i1.size(), 3);
    const std::int64_t on = i1.at(1).time;
    const std::int64_t off = i1.at(2).time;
    ASSERT_GE(q1.size(), 2);
    // T1 runs out 1.0 s after I1, and Q1 follows one scan later. The blocks run on the test's
    // clock, which moves between turns, so a busy machine shifts it by a few scans; the exact
    // scan is the time-scale test's.
    EXPECT_NEAR(double(q1.at(1).time - on), 101.0, 10.0);

    TrendView* view = dock->view();
    view->resize(900, view->height());
    view->setSpan(recorder.latest() + 1);
    view->scrollTo(recorder.latest());
    const struct {
        std::int64_t time;
        double values[4];
    } cursors[] = {
        {on - 5, {0, 0, 0, 0}},
        {on + 50, {1, 0, 0.5, 0}},
        {off - 5, {1, 1, 1, 1}},
    };
    for (const auto& c : cursors) {
        // The click lands on a pixel: the cursor takes the time there, whatever it is.
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->xOf(c.time), 20));
        ASSERT_TRUE(view->cursorTime());
        const std::int64_t at = *view->cursorTime();
        EXPECT_NEAR(double(at), double(c.time), double(recorder.latest()) / view->plotRect().width() + 1);
        for (int i = 0; i < 4; ++i) {
            const std::optional<double> value = recorder.traces()[static_cast<std::size_t>(i)].valueAt(at);
            ASSERT_TRUE(value);
            EXPECT_EQ(view->cursorText(i), FormatSimValue(*value)) << i;
        }
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(view->cursorText(i).toDouble(), c.values[i], i == 2 ? 0.1 : 0.0) << i << " at " << at;
        }
    }

    // Ctrl+wheel zooms in around the mouse, the wheel alone pans back.
    const std::int64_t span = view->span();
    const QPointF middle(view->plotRect().center());
    QWheelEvent zoomIn(middle, view->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::ControlModifier,
                       Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &zoomIn);
    EXPECT_LT(view->span(), span);
    EXPECT_FALSE(view->following());

    // Export: the file chosen through the prompter; a path that cannot be written is told.
    prompter.queueFile(path("run.vcd"));
    find<QPushButton>("cmdTrendExportVcd")->click();
    QFile vcd(path("run.vcd"));
    ASSERT_TRUE(vcd.open(QIODevice::ReadOnly));
    const QByteArray dump = vcd.readAll();
    EXPECT_TRUE(dump.contains("$var wire 1 ! I1 $end")) << dump.left(300).toStdString();
    EXPECT_TRUE(dump.contains("\n#" + QByteArray::number(on) + "\n1!\n"));
    prompter.queueFile(path("missing/run.csv"));
    find<QPushButton>("cmdTrendExportCsv")->click();
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_TRUE(prompter.texts().front().startsWith(QStringLiteral("The trend could not be written to run.csv: ")));
    EXPECT_EQ(prompter.fileRequests().back().defaultSuffix, QStringLiteral("csv"));
}

// At ten times the speed a turn of the run makes ten scans; each of them is recorded, so every
// change shows at the scan that made it. The blocks run on the run's own time here, and the wall
// time moves a hundredth a turn, so that no turn falls behind and lets scans go.
TEST_F(TrendDockTest, EveryScanIsRecordedAtATimeScale) {
    runner().setClock(nullptr);
    runner().setWallClock(&wall);
    typeOperands("I1 T1.pv Q1");
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(runner().running());
    runner().setTimeScale(TimeScale::X10);
    const auto turns = [this](int count) {
        for (int i = 0; i < count; ++i) {
            const qint64 due = runner().scanCount() + 10;
            wall.advance(1);
            ASSERT_TRUE(LoopUntil([&] { return runner().scanCount() >= due; }));
        }
    };
    ASSERT_NO_FATAL_FAILURE(turns(3));
    runner().panel()->inputBox(0)->click();
    ASSERT_NO_FATAL_FAILURE(turns(15));
    command("mnuSimulationStop")->trigger();
    const std::vector<TrendTrace>& traces = dock->recorder().traces();
    ASSERT_EQ(traces[0].size(), 2);
    const std::int64_t on = traces[0].at(1).time;
    // T1.pv grows by a hundredth at every scan from I1 on, up to its 1.0 s; Q1 follows T1's
    // contact one scan later.
    const TrendTrace& pv = traces[1];
    ASSERT_EQ(pv.size(), 101);
    for (int i = 1; i < pv.size(); ++i) {
        EXPECT_EQ(pv.at(i).time, on + i) << i;
    }
    ASSERT_EQ(traces[2].size(), 2);
    EXPECT_EQ(traces[2].at(1).time, on + 101);
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(TrendDockTest, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    typeOperands("I1 T1.pv T1 Q1");
    ASSERT_NO_FATAL_FAILURE(record());
    dock->setFloating(true);
    dock->resize(900, 215);
    TrendView* view = dock->view();
    view->setSpan(dock->recorder().latest() + 1);
    view->scrollTo(dock->recorder().latest());
    QTest::qWait(0);
    view->setCursorTime(150);
    for (const auto& [language, name] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(language);
        window()->retranslate();
        QTest::qWait(0);
        dock->grab().save(QStringLiteral("%1/trend_view_%2.png").arg(folder, QLatin1String(name)));
    }
}

}  // namespace
}  // namespace bdx

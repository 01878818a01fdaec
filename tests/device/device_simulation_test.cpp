#include "device/device_simulation.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "emulation_recorder.h"
#include "sim/clock.h"

namespace bdx {
namespace {

class DeviceSimulationTest : public ::testing::Test {
  protected:
    // Opens the window's logic on a program of `model` (I1 drives Q1) and, unless told
    // otherwise, lets the library start; the log starts empty after that.
    void open(int model, bool start = true, std::array<std::uint16_t, 3> extensions = {1, 1, 0}) {
        Ladder l(model);
        l.rung(1, 'I', 1, 'Q', 1);
        for (int i = 0; i < 3; ++i) {
            l.p.ExtensionModules[i] = extensions[i];
        }
        ASSERT_TRUE(sim.open(l.p, imagePath));
        if (start) {
            clock.advance(DeviceSimulation::kWaitHundredths);
            sim.tick();
            ASSERT_TRUE(sim.running());
            log.clear();
        }
    }

    QTemporaryDir dir;
    QString imagePath = dir.filePath(QStringLiteral("LAD.LAD"));
    ManualClock clock;
    QStringList log;
    EmulationRecorder::Answers answers;
    EmulationRecorder recorder{log, answers};
    DeviceSimulation sim{recorder, clock};
};

TEST_F(DeviceSimulationTest, OpensAfterTheImageAndTheWaitAndClosesWithAWait) {
    ASSERT_NO_FATAL_FAILURE(open(9, false));
    EXPECT_TRUE(QFile::exists(imagePath));
    EXPECT_TRUE(log.isEmpty()) << "nothing before the wait";
    clock.advance(DeviceSimulation::kWaitHundredths - 1);
    sim.tick();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(sim.setInput(0, 1, true)) << "nothing can be switched before the library starts";

    clock.advance(1);
    sim.tick();
    EXPECT_EQ(log, QStringList({QStringLiteral("InitialiseDLL(%1)").arg(imagePath), "StartDLLTimer"}));

    // The image file is written once: the running device never writes it again.
    QFile::remove(imagePath);
    log.clear();
    clock.advance(3);
    sim.tick();
    EXPECT_EQ(log, QStringList({"RunInfiniteLoopFunction(3,0)", "UpdateOutputs_Base", "UpdateOutputs_ExtA",
                                "UpdateOutputs_ExtB", "UpdateOutputs_ExtC"}));
    EXPECT_FALSE(QFile::exists(imagePath));

    log.clear();
    sim.close();
    EXPECT_EQ(log, QStringList({"EndDLLTimer"}));
    clock.advance(DeviceSimulation::kWaitHundredths - 1);
    sim.tick();
    EXPECT_EQ(sim.phase(), DeviceSimulation::Phase::Closing);
    clock.advance(1);
    sim.tick();
    EXPECT_EQ(sim.phase(), DeviceSimulation::Phase::Closed);
    EXPECT_EQ(log, QStringList({"EndDLLTimer"})) << "no call after the library's timer stopped";
}

TEST_F(DeviceSimulationTest, ClosingBeforeTheStartOrAFailedImageCallsNothing) {
    ASSERT_NO_FATAL_FAILURE(open(1, false));
    sim.close();
    EXPECT_EQ(sim.phase(), DeviceSimulation::Phase::Closed);

    QString error;
    Ladder l(1);
    l.rung(1, 'I', 1, 'Q', 1);
    EXPECT_FALSE(sim.open(l.p, dir.filePath(QStringLiteral("missing/LAD.LAD")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(sim.phase(), DeviceSimulation::Phase::Closed);
    clock.advance(500);
    sim.tick();
    EXPECT_TRUE(log.isEmpty()) << log.join(u',').toStdString();
}

TEST_F(DeviceSimulationTest, KeysOnlyOnDisplayModelsAndAReleasePassesEveryVoltage) {
    struct Case {
        int model;
        QStringList calls;
    };
    const Case cases[] = {
        {9,
         {"SetNewKeyCode(6)", "ResetNewKeyCode(6)", "UpdateVoltage_Base(250,0)", "UpdateVoltage_ExtA(0,1000)",
          "UpdateVoltage_ExtB(0,0)", "UpdateVoltage_ExtC(0,0)"}},
        {13, {}},  // analog, no display
        {2, {}},
    };
    for (const Case& c : cases) {
        sim.closeNow();
        ASSERT_NO_FATAL_FAILURE(open(c.model));
        sim.setVoltage(0, 0, 250);
        sim.setVoltage(1, 1, 1200);  // held to 10.00 V
        log.clear();
        sim.pressKey(DeviceKey::Enter);
        sim.releaseKey(DeviceKey::Enter);
        EXPECT_EQ(log, c.calls) << "model " << c.model;
    }
}

TEST_F(DeviceSimulationTest, AnalogTerminalsSwitchTheirDigitalInputWithTheSameThresholds) {
    ASSERT_NO_FATAL_FAILURE(open(9));
    EXPECT_FALSE(sim.setVoltage(0, 0, 818));
    EXPECT_TRUE(sim.setVoltage(0, 0, 819));
    EXPECT_TRUE(sim.input(0, 7));
    EXPECT_FALSE(sim.setVoltage(0, 0, 409)) << "between the thresholds the input keeps its state";
    sim.setInput(0, 1, true);
    EXPECT_EQ(log.last(), QStringLiteral("UpdateInputs_Base(65)")) << "the next box click keeps input 7";
    EXPECT_TRUE(sim.setVoltage(0, 0, 408));
    EXPECT_FALSE(sim.input(0, 7));

    sim.closeNow();
    ASSERT_NO_FATAL_FAILURE(open(8));  // no analog inputs: the terminal is digital only
    EXPECT_FALSE(sim.setVoltage(0, 0, 1000));
    EXPECT_FALSE(sim.input(0, 7));
}

TEST_F(DeviceSimulationTest, SupplyOffRunsTheLibraryWithTheOffFlag) {
    ASSERT_NO_FATAL_FAILURE(open(1));
    sim.setSupply(false);
    sim.tick();
    EXPECT_EQ(log.first(), QStringLiteral("RunInfiniteLoopFunction(1,1)"));
    EXPECT_FALSE(sim.runIndicator());
    for (const QString& line : sim.displayLines()) {
        EXPECT_TRUE(line.isEmpty()) << "the display is dark";
    }
}

}  // namespace
}  // namespace bdx

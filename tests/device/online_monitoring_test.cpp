#include "comm/online_monitoring.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "../check/ladder_drawing.h"
#include "blocks/analog_record.h"
#include "check/rule_checker.h"
#include "comm/modbus_requests.h"
#include "ladder/program_file.h"
#include "pc_link.h"
#include "sim/clock.h"
#include "sim/pc_simulation.h"

namespace bdx {
namespace {

using test::DeviceProcess;

// --- Mappings -----------------------------------------------------------------------------------

TEST(OnlineMonitoringMapping, DeviceInputsSetBothSignalEntriesAndThePanel) {
    ScanEngine engine;
    // I1, J8, K1+K2, L off, Z2 and Z4 held.
    ApplyDeviceInputs(engine, QByteArray::fromHex("0180030"
                                                  "00a"));
    // Each input's entry and its inverse 8 on (keys: 4 on).
    const std::pair<int, bool> signals[] = {{0, true},   {8, false}, {1, false}, {9, true},   {23, true},
                                            {31, false}, {32, true}, {33, true}, {48, false}, {56, true},
                                            {64, false}, {65, true}, {67, true}, {69, false}, {71, false},
                                            {68, true},  {70, true}};
    for (const auto& [entry, on] : signals) {
        EXPECT_EQ(engine.signal(entry), on) << entry;
    }
    EXPECT_TRUE(engine.input('I', 1));
    EXPECT_TRUE(engine.input('J', 8));
    // A short reply clears what it does not carry.
    ApplyDeviceInputs(engine, QByteArray(1, '\0'));
    EXPECT_FALSE(engine.signal(16 + 7));
    EXPECT_TRUE(engine.signal(24 + 7));
}

TEST(OnlineMonitoringMapping, AbsentModulesOutputsAreAlwaysZero) {
    ScanEngine engine;
    for (const char letter : {'Q', 'U', 'V', 'W'}) {
        for (int n = 1; n <= 4; ++n) {
            engine.setOperand(static_cast<std::uint16_t>(letter), n, true);
        }
    }
    struct Case {
        std::array<std::uint16_t, 3> modules;
        std::uint16_t bits;
    };
    for (const Case& c : {Case{{0, 0, 0}, 0x000F}, Case{{1, 0, 0}, 0x00FF}, Case{{0, 1, 0}, 0x0F0F},
                          Case{{0, 0, 1}, 0xF00F}, Case{{1, 1, 1}, 0xFFFF}}) {
        Program program;
        program.ExtensionModules = c.modules;
        EXPECT_EQ(DeviceOutputBits(engine, program), c.bits) << c.modules[0] << c.modules[1] << c.modules[2];
    }
    engine.setOperand('Q', 2, false);
    EXPECT_EQ(DeviceOutputBits(engine, Program{}), 0x000D);
}

TEST(OnlineMonitoringMapping, AnalogRangeAndItsModuleMessage) {
    EXPECT_EQ(FirstAnalogOutOfRange({0, 1000, 500, 0, 0, 0, 0, 0}), std::nullopt);
    EXPECT_EQ(FirstAnalogOutOfRange({0, 0, 0, 0, 0, 0xFFFF, 2000, 0}), 5);  // -1 read signed
    EXPECT_EQ(FirstAnalogOutOfRange({0, 0, 1001, 0, 0, 0, 0, 0}), 2);
    EXPECT_EQ(AnalogRangeMessage(1), "Incorrect ADC values received from Base.");
    EXPECT_EQ(AnalogRangeMessage(2), "Incorrect ADC values received from Extension A.");
    EXPECT_EQ(AnalogRangeMessage(5), "Incorrect ADC values received from Extension B. ");
    EXPECT_EQ(AnalogRangeMessage(7), "Incorrect ADC values received from Extension C.");
}

TEST(OnlineMonitoringMapping, ExtensionWarningNamesTheLastMissingModule) {
    Program program;
    program.ExtensionModules = {1, 1, 0};
    EXPECT_EQ(ExtensionModuleWarning(program, 0), "Extension module B is not selected in device.");
    EXPECT_EQ(ExtensionModuleWarning(program, 0b010), "Extension module A is not selected in device.");
    EXPECT_EQ(ExtensionModuleWarning(program, 0b011), "");
    EXPECT_EQ(ExtensionModuleWarning(Program{}, 0), "");
}

// --- Against the virtual device -------------------------------------------------------------------

// A device of model 9, the PC's link to it and the monitoring on that link.
struct MonitoringRig : test::DeviceRig {
    ManualClock clock;
    PcSimulation simulation{clock, prompter};
    std::unique_ptr<OnlineMonitoring> monitoring;

    bool start(QStringList options, bool tcp) {
        if (!DeviceRig::start(options << "--model"
                                      << "9",
                              tcp)) {
            return false;
        }
        monitoring = std::make_unique<OnlineMonitoring>(link.session(), simulation);
        monitoring->stopDelayMs = 0;
        return true;
    }
    MonitoringEnd run(Program& program) {
        return monitoring->StartOnlineMonitoring(program, RunRuleCheck(program));
    }
};

enum class Link { Tcp, Pty };

// Over TCP; the tests where the line can change the outcome run over both.
class OnlineMonitoringDevice : public ::testing::Test {
  protected:
    virtual Link line() const { return Link::Tcp; }
    void SetUp() override {
        ASSERT_TRUE(rig.start({}, line() == Link::Tcp)) << rig.device.failure.toStdString();
    }

    MonitoringEnd run(Program& program) { return rig.run(program); }

    // The pass hook, ended after `limit` passes whatever the test waits for.
    void onPass(std::function<bool(int pass)> step, int limit = 60) {
        rig.monitoring->afterPass = [this, step, limit] {
            if (!step(rig.monitoring->passes()) || rig.monitoring->passes() >= limit) {
                rig.monitoring->requestStop();
            }
        };
    }

    MonitoringRig rig;
    DeviceProcess& device = rig.device;
    ScriptedPrompter& prompter = rig.prompter;
    PcSimulation& simulation = rig.simulation;
    std::unique_ptr<OnlineMonitoring>& monitoring = rig.monitoring;
};

class OnlineMonitoringBothLines : public OnlineMonitoringDevice, public ::testing::WithParamInterface<Link> {
    Link line() const override { return GetParam(); }
};

TEST_P(OnlineMonitoringBothLines, DeviceInputDrivesDeviceOutputAndStopLeavesItStopped) {
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'Q', 1);
    QString modeWhileRunning;
    QString q1;
    onPass([&](int pass) {
        if (pass == 1) {
            modeWhileRunning = device.dumpValue("mode");
            EXPECT_EQ(device.command("set I1=1"), QStringList{"ok"});
            return true;
        }
        if (!simulation.engine().signal(0) || (monitoring->lastOutputs() & 1) == 0) {
            return true;
        }
        q1 = device.command("get Q1").value(0);
        return false;
    });
    EXPECT_EQ(run(ladder.p), MonitoringEnd::Stopped);
    EXPECT_EQ(modeWhileRunning, "pc-control");
    EXPECT_EQ(q1, "Q1=1");
    EXPECT_FALSE(monitoring->MonitoringActive);
    EXPECT_FALSE(monitoring->OnlineMode);
    EXPECT_EQ(device.dumpValue("mode"), "stop");
    EXPECT_EQ(device.command("get Q1"), QStringList{"Q1=0"});
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_F(OnlineMonitoringDevice, MissingModuleWarnsButRunsAndOnlyPresentModulesAreDriven) {
    Ladder ladder(9);
    ladder.p.ExtensionModules = {0, 1, 0};
    ladder.rung(1, 'I', 1, 'V', 1);
    device.command("set I1=1");
    onPass([&](int) { return (monitoring->lastOutputs() & 0x0100) == 0; });
    EXPECT_EQ(run(ladder.p), MonitoringEnd::Stopped);
    EXPECT_EQ(prompter.texts(), QStringList{"Extension module B is not selected in device."});
    EXPECT_EQ(prompter.messages().at(0).icon, MessageIcon::Warning);
    EXPECT_EQ(monitoring->lastOutputs(), 0x0100);
}

TEST_F(OnlineMonitoringDevice, AnalogValueIsScaledForTheScan) {
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'Q', 1);
    WriteAnalogScaling(ladder.p, 2, {1, -100, 300});  // V3: -10.0 .. 30.0
    device.command("set V3=7.50");
    double scaled = 0;
    onPass([&](int) {
        scaled = simulation.blocks().analog.roundedValue(2);
        return false;
    });
    EXPECT_EQ(run(ladder.p), MonitoringEnd::Stopped);
    EXPECT_EQ(monitoring->lastAnalog()[2], 750);
    EXPECT_DOUBLE_EQ(scaled, 20.0);  // -10 + 40 × 0.75
    EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join('|').toStdString();
}

TEST_P(OnlineMonitoringBothLines, PulledCableEndsMonitoringWithOneMessage) {
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'Q', 1);
    onPass([&](int pass) {
        if (pass == 2) {
            device.kill();
        }
        return true;
    });
    EXPECT_EQ(run(ladder.p), MonitoringEnd::CommFailure);
    EXPECT_EQ(monitoring->passes(), 2);
    EXPECT_FALSE(monitoring->OnlineMode);
    // One message, that the link was lost (TCP) or the port is gone (the pty closed with the
    // device), and no no-reply report after it.
    ASSERT_EQ(prompter.texts().size(), 1) << prompter.texts().join('|').toStdString();
    EXPECT_TRUE(
        prompter.texts()[0].contains(GetParam() == Link::Tcp ? QStringLiteral("was lost") : device.ptyPath))
        << prompter.texts()[0].toStdString();
}

TEST_F(OnlineMonitoringDevice, RefusedProgramDoesNotStart) {
    Ladder ladder(9);
    ladder.coil(1, 'Q', 1);  // a coil without any contact
    EXPECT_EQ(run(ladder.p), MonitoringEnd::NotStarted);
    EXPECT_EQ(monitoring->passes(), 0);
    EXPECT_FALSE(prompter.texts().isEmpty());
    EXPECT_EQ(device.dumpValue("mode"), "stop");
}

INSTANTIATE_TEST_SUITE_P(Links, OnlineMonitoringBothLines, ::testing::Values(Link::Tcp, Link::Pty),
                         [](const auto& info) { return info.param == Link::Tcp ? "Tcp" : "Pty"; });

TEST(OnlineMonitoringFirmware, VersionThreeOrAboveEnablesDeviceErrorPolling) {
    MonitoringRig rig;
    ASSERT_TRUE(rig.start({"--firmware", "V3.12"}, true)) << rig.device.failure.toStdString();
    rig.monitoring->afterPass = [&] { rig.monitoring->requestStop(); };
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'Q', 1);
    const int before = rig.transactions();
    EXPECT_EQ(rig.run(ladder.p), MonitoringEnd::Stopped);
    EXPECT_TRUE(rig.monitoring->deviceErrorPolling());
    EXPECT_EQ(rig.monitoring->firmwareVersionText(), "00031200");
    // Record (query + packet), PC control, version, error; then error, inputs, analog, outputs; stop.
    EXPECT_EQ(rig.transactions() - before, 2 + 1 + 1 + 1 + 4 + 1);
    EXPECT_TRUE(rig.prompter.texts().isEmpty()) << rig.said();
}

TEST(OnlineMonitoringCli, PrintsChangesForAShortRunAndStopsTheDevice) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--tcp", "127.0.0.1:0", "--model", "9"})) << device.failure.toStdString();
    QTemporaryDir dir;
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'Q', 1);
    const QString file = dir.filePath("p.h53");
    ASSERT_TRUE(WriteProgramFile(ladder.p, file));
    device.command("set I1=1");

    const test::CliResult r =
        test::RunCli({"monitor", file, "--seconds", "0.5", "--tcp", device.tcpAddress()});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(QRegularExpression("^t=\\d+\\.\\d\\d I1=1$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression("^t=\\d+\\.\\d\\d Q1=1$").match(lines[1]).hasMatch())
        << lines[1].toStdString();
    EXPECT_EQ(device.command("get Q1"), QStringList{"Q1=0"});

    EXPECT_EQ(test::RunCli({"monitor", file, "--seconds", "x", "--tcp", "127.0.0.1:1"}).code, 2);
}

}  // namespace
}  // namespace bdx

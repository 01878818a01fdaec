#include "comm/online_monitoring.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "../check/ladder_drawing.h"
#include "../comm/fake_transport.h"
#include "blocks/analog_record.h"
#include "check/rule_checker.h"
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

// The monitoring of a program on `link` (a device of model 9), ended after `limit` passes
// whatever the test's pass hook waits for.
struct Monitor {
    Monitor(ModbusSession& session, ScriptedPrompter& prompter)
        : simulation(clock, prompter), monitoring(session, simulation) {
        monitoring.stopDelayMs = 0;
        ladder.rung(1, 'I', 1, 'Q', 1);
    }
    void onPass(std::function<bool(int pass)> step, int limit = 60) {
        monitoring.afterPass = [this, step, limit] {
            if (!step(monitoring.passes()) || monitoring.passes() >= limit) {
                monitoring.requestStop();
            }
        };
    }
    MonitoringEnd run() { return monitoring.StartOnlineMonitoring(ladder.p, RunRuleCheck(ladder.p)); }

    ManualClock clock;
    PcSimulation simulation;
    OnlineMonitoring monitoring;
    Ladder ladder{9};
};

class OnlineMonitoringDevice : public ::testing::Test {
  protected:
    test::DeviceLink link;
    VirtualDevice& device = link.device;
    ScriptedPrompter& prompter = link.prompter;
    Monitor m{link.session, prompter};
};

TEST_F(OnlineMonitoringDevice, MissingModuleWarnsButRunsAndOnlyPresentModulesAreDriven) {
    m.ladder = Ladder(9);
    m.ladder.p.ExtensionModules = {0, 1, 0};
    m.ladder.rung(1, 'I', 1, 'V', 1);
    device.setInput(0, 1, true);
    m.onPass([&](int) { return (m.monitoring.lastOutputs() & 0x0100) == 0; });
    EXPECT_EQ(m.run(), MonitoringEnd::Stopped);
    EXPECT_EQ(prompter.texts(), QStringList{"Extension module B is not selected in device."});
    EXPECT_EQ(prompter.messages().at(0).icon, MessageIcon::Warning);
    EXPECT_EQ(m.monitoring.lastOutputs(), 0x0100);
}

TEST_F(OnlineMonitoringDevice, AnalogValueIsScaledForTheScan) {
    WriteAnalogScaling(m.ladder.p, 2, {1, -100, 300});  // V3: -10.0 .. 30.0
    device.setVoltage(2, 750);
    double scaled = 0;
    m.onPass([&](int) {
        scaled = m.simulation.blocks().analog.roundedValue(2);
        return false;
    });
    EXPECT_EQ(m.run(), MonitoringEnd::Stopped);
    EXPECT_EQ(m.monitoring.lastAnalog()[2], 750);
    EXPECT_DOUBLE_EQ(scaled, 20.0);  // -10 + 40 × 0.75
    EXPECT_TRUE(prompter.texts().isEmpty()) << link.said();
}

TEST_F(OnlineMonitoringDevice, RefusedProgramDoesNotStart) {
    m.ladder = Ladder(9);
    m.ladder.coil(1, 'Q', 1);  // a coil without any contact
    EXPECT_EQ(m.run(), MonitoringEnd::NotStarted);
    EXPECT_EQ(m.monitoring.passes(), 0);
    EXPECT_FALSE(prompter.texts().isEmpty());
    EXPECT_EQ(device.mode(), DeviceMode::Stop);
}

TEST(OnlineMonitoringFirmware, VersionThreeOrAboveEnablesDeviceErrorPolling) {
    test::DeviceLink link(test::DeviceOptions(9, 1, "V3.12"));
    Monitor m(link.session, link.prompter);
    m.monitoring.afterPass = [&] { m.monitoring.requestStop(); };
    EXPECT_EQ(m.run(), MonitoringEnd::Stopped);
    EXPECT_TRUE(m.monitoring.deviceErrorPolling());
    EXPECT_EQ(m.monitoring.firmwareVersionText(), "00031200");
    // Record (query + packet), PC control, version, error; then error, inputs, analog, outputs; stop.
    EXPECT_EQ(link.transactions(), 2 + 1 + 1 + 1 + 4 + 1);
    EXPECT_TRUE(link.prompter.texts().isEmpty()) << link.said();
}

// The cable message once, for either line, when the device falls silent. (A real TCP link that
// goes down is the device run window's test, against the device process.)
TEST(OnlineMonitoringCable, PulledCableEndsMonitoringWithOneMessage) {
    for (const bool ethernet : {false, true}) {
        test::DeviceLink link({}, ethernet);
        Monitor m(link.session, link.prompter);
        m.onPass([&](int pass) {
            link.silent = link.silent || pass == 2;
            return true;
        });
        EXPECT_EQ(m.run(), MonitoringEnd::CommFailure);
        EXPECT_EQ(m.monitoring.passes(), 2);
        EXPECT_FALSE(m.monitoring.OnlineMode);
        EXPECT_EQ(link.prompter.texts(),
                  QStringList{ethernet ? EthernetNoReplyMessage() : SerialNoReplyMessage()});
    }
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

#include <QCheckBox>
#include <QDockWidget>
#include <QLabel>
#include <QMdiSubWindow>
#include <QSignalSpy>

#include "device_app_rig.h"
#include "blocks/device_model.h"
#include "editor/ladder_editor.h"
#include "sim/scan_engine.h"
#include "ui/ladder/ladder_view.h"
#include "ui/sim/device_run_controller.h"
#include "ui/sim/io_form.h"
#include "ui/sim/run_text_form.h"

namespace bdx {
namespace {

constexpr int kModeSimulatingDevice = 8230;
constexpr int kModeEditing = 8055;

// Simulation / With Device against the virtual device over TCP, with I1 driving Q1.
class DeviceRun : public DeviceAppRig {
  protected:
    void startWithLampRung(QStringList deviceArguments = {}, bool overPty = false) {
        if (overPty) {
            ASSERT_NO_FATAL_FAILURE(startOnPty(std::move(deviceArguments)));
        } else {
            ASSERT_NO_FATAL_FAILURE(startConnected(std::move(deviceArguments)));
        }
        DrawLampRung(editor());
        ASSERT_TRUE(editor().errors().empty());
        before = program();
        controller()->setStopDelayMs(50);
        prompter.clear();
    }
    DeviceRunController* controller() const {
        return window()->findChild<DeviceRunController*>(QStringLiteral("DeviceRunController"));
    }
    LadderView* view() const { return qobject_cast<LadderView*>(window()->editorWindow()->widget()); }
    QString modeText() const { return find<QLabel>("sbStatusBarMode")->text(); }
    bool engineOutput(char letter, int n) const {
        const ScanEngine* engine = controller()->engine();
        return engine != nullptr && engine->operandValue(std::uint16_t(letter), n);
    }
    // With Device, and the first pass made.
    void runWithDevice() {
        command("mnuSimulationDevice")->trigger();
        ASSERT_TRUE(controller()->running()) << prompter.texts().join(u'\n').toStdString();
        ASSERT_TRUE(LoopUntil([this] { return controller()->passes() > 0; }, 5000));
    }
    // The frame back in editing, the user's program and its history as they were.
    void expectEditingWithProgramIntact() {
        EXPECT_FALSE(controller()->running());
        EXPECT_FALSE(window()->simulationRunning());
        EXPECT_FALSE(editor().SimulationActive());
        EXPECT_EQ(view()->liveEngine(), nullptr);
        EXPECT_EQ(modeText(), LoadText(kModeEditing));
        EXPECT_TRUE(command("mnuSimulationDevice")->isEnabled());
        EXPECT_TRUE(command("mnuFileNew")->isEnabled());
        EXPECT_EQ(program(), before);
        EXPECT_TRUE(editor().CanUndo());
    }

    void inputDrivesTheProgramAndStopLeavesTheDeviceStopped(bool overPty);

    Program before;
};

void DeviceRun::inputDrivesTheProgramAndStopLeavesTheDeviceStopped(bool overPty) {
    ASSERT_NO_FATAL_FAILURE(startWithLampRung({}, overPty));
    ASSERT_EQ(device.command(QStringLiteral("run")), QStringList{QStringLiteral("ok")});
    ASSERT_NO_FATAL_FAILURE(runWithDevice());
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();

    // The frame in simulation mode, as with the PC, and saying it runs against the device.
    EXPECT_TRUE(window()->simulationRunning());
    EXPECT_TRUE(editor().SimulationActive());
    EXPECT_EQ(modeText(), LoadText(kModeSimulatingDevice));
    for (const char* off : {"mnuFileNew", "mnuFileOpen", "mnuFileSave", "mnuEditUndo", "mnuSimulationPC",
                            "mnuSimulationDevice", "mnuTransferProgram", "mnuTransferClock"}) {
        EXPECT_FALSE(command(off)->isEnabled()) << off;
    }
    EXPECT_FALSE(button("Print")->isEnabled());
    EXPECT_TRUE(command("mnuSimulationStop")->isEnabled());
    EXPECT_FALSE(editor().applyEdit([](Program& p) { p.LadderGrid[0] = 0; }));
    I_O_form* panel = controller()->panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(window()->ioDock()->widget(), static_cast<QWidget*>(panel));
    EXPECT_EQ(view()->liveEngine(), controller()->engine());
    // The program's model has a display: its text display is up.
    ASSERT_TRUE(HasDisplay(program().ModelIndex));
    ASSERT_NE(controller()->textDisplay(), nullptr);
    EXPECT_TRUE(controller()->textDisplay()->isVisible());

    // I1 pressed on the device: the program's Q1 in the editor, on the panel and on the device.
    ASSERT_EQ(device.command(QStringLiteral("set I1=1")), QStringList{QStringLiteral("ok")});
    ASSERT_TRUE(LoopUntil([this] { return engineOutput('Q', 1); }, 5000));
    EXPECT_TRUE(
        LoopUntil([panel] { return panel->inputBox(0)->isChecked() && panel->outputLamp(0)->isOn(); }));
    EXPECT_EQ(device.command(QStringLiteral("get Q1")), QStringList{QStringLiteral("Q1=1")});
    EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("pc-control"));

    // Neither start does anything while the run goes on; the device keeps its hold on the outputs.
    const int passes = controller()->passes();
    controller()->start();
    window()->command(QStringLiteral("mnuSimulationPC"))->trigger();
    EXPECT_FALSE(runner().running());
    ASSERT_TRUE(LoopUntil([&] { return controller()->passes() > passes + 2; }));
    EXPECT_TRUE(engineOutput('Q', 1));

    command("mnuSimulationStop")->trigger();
    ASSERT_TRUE(LoopUntil([this] { return !controller()->running(); }, 5000));
    expectEditingWithProgramIntact();
    EXPECT_EQ(controller()->panel(), nullptr);
    EXPECT_EQ(controller()->textDisplay(), nullptr);
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
    EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("stop"));
    EXPECT_EQ(device.command(QStringLiteral("get Q1")), QStringList{QStringLiteral("Q1=0")});
}

TEST_F(DeviceRun, TheDevicesInputDrivesTheProgramAndStopLeavesTheDeviceStopped) {
    for (const bool overPty : {false, true}) {
        SCOPED_TRACE(overPty ? "pty" : "tcp");
        inputDrivesTheProgramAndStopLeavesTheDeviceStopped(overPty);
        app.reset();
        device.kill();
    }
}

// Killed mid-run, as a pulled cable or a power cut: after the link's attempts, its own message
// once, and the frame back in editing.
TEST_F(DeviceRun, ADeviceThatGoesAwayEndsTheRunWithOneMessage) {
    for (const bool overPty : {false, true}) {
        SCOPED_TRACE(overPty ? "pty" : "tcp");
        ASSERT_NO_FATAL_FAILURE(startWithLampRung({}, overPty));
        ASSERT_NO_FATAL_FAILURE(runWithDevice());
        device.kill();
        ASSERT_TRUE(LoopUntil([this] { return !controller()->running(); }, 30000));
        EXPECT_EQ(prompter.messages().size(), 1u) << prompter.texts().join(u'\n').toStdString();
        if (!overPty) {
            // The transport's own words, naming the device it lost.
            EXPECT_TRUE(prompter.texts().value(0).contains(device.tcpAddress()))
                << prompter.texts().value(0).toStdString();
        }
        expectEditingWithProgramIntact();
        // Nothing comes afterwards either.
        QTest::qWait(200);
        EXPECT_EQ(prompter.messages().size(), 1u) << prompter.texts().join(u'\n').toStdString();
        app.reset();
    }
}

// What the device says before the loop: an error ends the start with the device's message (the
// frame never leaves editing, the device is stopped); a missing extension module is a warning and
// the run goes on.
TEST_F(DeviceRun, WhatTheDeviceReportsAtTheStart) {
    const struct {
        const char* name;
        QStringList deviceArguments;
        int extensionModule;  // used by the program; -1 none
        QString message;
        bool runs;
    } cases[] = {
        {"device error",
         {QStringLiteral("--firmware"), QStringLiteral("QX2 V3.10")},
         -1,
         LoadText(327),
         false},
        {"extension B missing", {}, 1, QStringLiteral("Extension module B is not selected in device."), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(startWithLampRung(c.deviceArguments));
        if (c.extensionModule >= 0) {
            ASSERT_TRUE(editor().applyEdit([&c](Program& p) { p.ExtensionModules[c.extensionModule] = 1; }));
            before = program();
        }
        // An empty device put in run cannot scan its program: on a firmware that says so, it
        // reports an error.
        ASSERT_EQ(device.command(QStringLiteral("run")), QStringList{QStringLiteral("ok")});
        QSignalSpy modes(window(), &frmMain::runModeChanged);
        command("mnuSimulationDevice")->trigger();
        EXPECT_EQ(prompter.texts(), QStringList{c.message});
        EXPECT_EQ(controller()->running(), c.runs);
        EXPECT_EQ(window()->simulationRunning(), c.runs);
        if (c.runs) {
            EXPECT_TRUE(LoopUntil([this] { return controller()->passes() > 2; }));
            command("mnuSimulationStop")->trigger();
        }
        ASSERT_TRUE(LoopUntil([this] { return !controller()->running(); }, 5000));
        EXPECT_EQ(modes.count(), c.runs ? 2 : 0);
        expectEditingWithProgramIntact();
        EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("stop"));
        app.reset();
        device.kill();
    }
}

// Exit during the run asks first; Yes lets the run end and the device stop before the frame goes.
TEST_F(DeviceRun, ExitDuringTheRunAsksAndClosesOnceTheDeviceIsStopped) {
    ASSERT_NO_FATAL_FAILURE(startWithLampRung());
    ASSERT_NO_FATAL_FAILURE(runWithDevice());
    prompter.queueReply(Reply::No);
    command("mnuFileExit")->trigger();
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(4210)});
    const int passes = controller()->passes();
    ASSERT_TRUE(LoopUntil([&] { return controller()->passes() > passes + 2; }));
    EXPECT_TRUE(window()->isVisible());

    prompter.clear();
    prompter.queueReply(Reply::Yes);  // end the run
    prompter.queueReply(Reply::No);   // do not save the drawn program
    command("mnuFileExit")->trigger();
    ASSERT_TRUE(LoopUntil([this] { return !window()->isVisible(); }, 5000));
    EXPECT_FALSE(controller()->running());
    EXPECT_EQ(prompter.texts(), (QStringList{LoadText(4210), LoadText(4211)}));
    EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("stop"));
}

// A silent device holds the start for its time-outs: Stop is there meanwhile and gives up quietly.
TEST_F(DeviceRun, StopGivesUpOnASilentDevice) {
    ASSERT_NO_FATAL_FAILURE(startWithLampRung({QStringLiteral("--fault"), QStringLiteral("no-reply")}));
    bool stopOn = false, pcOff = false;
    QTimer::singleShot(300, window(), [&] {
        stopOn = command("mnuSimulationStop")->isEnabled();
        pcOff = !command("mnuSimulationPC")->isEnabled();
        command("mnuSimulationStop")->trigger();
    });
    command("mnuSimulationDevice")->trigger();
    EXPECT_TRUE(stopOn);
    EXPECT_TRUE(pcOff);
    EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
    expectEditingWithProgramIntact();
    EXPECT_FALSE(command("mnuSimulationStop")->isEnabled());
}

TEST_F(DeviceRun, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        writeSettings(language == QLatin1String("pt") ? Portuguese : English);
        ASSERT_NO_FATAL_FAILURE(startWithLampRung());
        window()->resize(1100, 720);
        ASSERT_EQ(device.command(QStringLiteral("set I1=1")), QStringList{QStringLiteral("ok")});
        ASSERT_NO_FATAL_FAILURE(runWithDevice());
        ASSERT_TRUE(LoopUntil([this] { return engineOutput('Q', 1); }, 5000));
        QTest::qWait(100);
        Shoot(*window(), QStringLiteral("simulation_with_device_") + language);
        command("mnuSimulationStop")->trigger();
        ASSERT_TRUE(LoopUntil([this] { return !controller()->running(); }, 5000));
        app.reset();
        device.kill();
    });
}

}  // namespace
}  // namespace bdx

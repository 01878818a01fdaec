#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>

#include "../check/ladder_drawing.h"
#include "app_rig.h"
#include "ui/sim/io_form.h"
#include "ui/sim/pc_simulation_runner.h"

namespace bdx {
namespace {

// The lamp's centre: green when lit, grey when not.
bool lampLooksLit(OutputLamp* lamp) {
    const QColor c = lamp->grab().toImage().pixelColor(lamp->width() / 2, 12);
    return c.green() > c.red() + 60;
}

class SimulationPanelTest : public EditorFixture {
  protected:
    void SetUp() override {
        EditorFixture::SetUp();
        runner.setDumpPath(QString());
    }
    // Puts the drawing in the editor, checked as every edit would leave it.
    void load(const Ladder& ladder) {
        editor.program() = ladder.p;
        editor.runRuleCheck();
    }
    void run() {
        ASSERT_TRUE(runner.RunPcSimulation()) << prompter.texts().join(u'\n').toStdString();
        ASSERT_NE(runner.panel(), nullptr);
    }
    bool output(char letter, int n) const { return runner.engine().operandValue(std::uint16_t(letter), n); }

    PcSimulationRunner runner{editor, prompter, nullptr};
    QSignalSpy startedSpy{&runner, &PcSimulationRunner::started};
    QSignalSpy endedSpy{&runner, &PcSimulationRunner::ended};
};

TEST_F(SimulationPanelTest, TickedInputLightsTheOutputAndF5EndsTheRun) {
    Ladder ladder(8);
    ladder.rung(1, 'I', 1, 'Q', 1);
    load(ladder);
    ASSERT_NO_FATAL_FAILURE(run());
    I_O_form* panel = runner.panel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(startedSpy.count(), 1);
    EXPECT_TRUE(runner.running());

    OutputLamp* q1 = panel->outputLamp(0);
    ASSERT_EQ(q1->name(), QStringLiteral("Q1"));
    EXPECT_FALSE(lampLooksLit(q1));
    ClickCheckBox(panel->inputBox(0));
    ASSERT_TRUE(panel->inputBox(0)->isChecked());
    EXPECT_TRUE(LoopUntil([&] { return output('Q', 1); }));
    EXPECT_TRUE(LoopUntil([&] { return q1->isOn(); }));
    EXPECT_TRUE(lampLooksLit(q1));
    EXPECT_FALSE(panel->outputLamp(1)->isOn());

    ClickCheckBox(panel->inputBox(0));
    EXPECT_TRUE(LoopUntil([&] { return !q1->isOn(); }));
    EXPECT_FALSE(output('Q', 1));

    // F5 reaches the panel from whichever control has the focus.
    QTest::keyClick(panel->slider(0), Qt::Key_F5);
    EXPECT_EQ(endedSpy.count(), 1);
    EXPECT_FALSE(runner.running());
    EXPECT_FALSE(runner.engine().running());
    EXPECT_EQ(runner.panel(), nullptr);
    runner.stop();  // nothing left to stop
    EXPECT_EQ(endedSpy.count(), 1);
    EXPECT_TRUE(prompter.messages().empty());
}

// The gate's rules and its text are checked with the check; here a refusal starts nothing.
TEST_F(SimulationPanelTest, ProgramWithErrorsIsRefused) {
    Ladder ladder(8);
    ladder.rung(1, 'I', 1, 'U', 1);  // extension module A is not selected
    load(ladder);
    EXPECT_FALSE(runner.RunPcSimulation());
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(startedSpy.count(), 0);
    EXPECT_FALSE(runner.running());
    EXPECT_EQ(runner.panel(), nullptr);
}

TEST_F(SimulationPanelTest, MessageNeedingAnAbsentModuleEndsTheRun) {
    Ladder ladder(9);
    ladder.rung(1, 'I', 1, 'X', 1).embed(1, 0, EmbeddedSource::AnalogInput, 3, 0);  // V3: module A
    ladder.p.ExtensionModules = {1, 0, 0};
    load(ladder);
    ASSERT_NO_FATAL_FAILURE(run());
    // Only a program changed behind the check gets this far; the run reads the program live.
    editor.program().ExtensionModules[0] = 0;
    ClickCheckBox(runner.panel()->inputBox(0));
    EXPECT_TRUE(LoopUntil([&] { return !runner.running(); }));
    EXPECT_EQ(endedSpy.count(), 1);
    EXPECT_EQ(runner.panel(), nullptr);
    EXPECT_EQ(prompter.texts(), QStringList{QStringLiteral("Extension module A is not selected.")});
}

TEST_F(SimulationPanelTest, ModulesAndSlidersFollowTheModelAndKeepTheirValues) {
    struct Case {
        int model;
        std::array<std::uint16_t, 3> extensions;
        bool sliders;
    };
    const Case cases[] = {{9, {1, 0, 1}, true}, {8, {0, 1, 0}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        Ladder ladder(c.model);
        ladder.p.ExtensionModules = c.extensions;
        ladder.rung(1, 'I', 1, 'Q', 1);
        load(ladder);
        ASSERT_NO_FATAL_FAILURE(run());
        I_O_form* panel = runner.panel();
        EXPECT_TRUE(panel->moduleFrame(0)->isEnabled());
        for (int m = 1; m < kPanelModules; ++m) {
            EXPECT_EQ(panel->moduleFrame(m)->isEnabled(), c.extensions[m - 1] != 0) << m;
        }
        for (int channel = 0; channel < kAnalogChannels; ++channel) {
            EXPECT_EQ(panel->slider(channel)->isVisibleTo(panel), c.sliders) << channel;
        }
        runner.stop();
    }

    // The analog model once more: the sliders drive labels and the digital twins (whose band is the
    // simulation's).
    Ladder ladder(9);
    ladder.p.ExtensionModules = {1, 1, 1};
    ladder.rung(1, 'I', 1, 'Q', 1).rung(2, 'L', 1, 'W', 4);
    load(ladder);
    ASSERT_NO_FATAL_FAILURE(run());
    I_O_form* panel = runner.panel();
    struct Move {
        int channel, value;
        const char* label;
        bool twin;
    };
    const Move moves[] = {{0, 408, "V1 = 04.08V", false}, {7, 1000, "V8 = 10.00V", true}};
    for (const Move& m : moves) {
        SCOPED_TRACE(m.label);
        panel->slider(m.channel)->setValue(m.value);
        EXPECT_EQ(panel->sliderLabel(m.channel)->text(), QString::fromLatin1(m.label));
        EXPECT_EQ(panel->inputBox(m.channel == 0 ? 6 : 31)->isChecked(), m.twin);
    }
    ClickCheckBox(panel->inputBox(24));  // L1 of module C drives W4, the last lamp
    EXPECT_TRUE(LoopUntil([&] { return output('W', 4) && panel->outputLamp(15)->isOn(); }));
    EXPECT_FALSE(output('Q', 1));
    runner.stop();

    // A new run shows the kept image without the loading touching it.
    ASSERT_NO_FATAL_FAILURE(run());
    panel = runner.panel();
    EXPECT_EQ(panel->slider(7)->value(), 1000);
    EXPECT_TRUE(panel->inputBox(24)->isChecked());
    EXPECT_EQ(panel->sliderLabel(7)->text(), QStringLiteral("V8 = 10.00V"));
    runner.stop();
}

}  // namespace
}  // namespace bdx

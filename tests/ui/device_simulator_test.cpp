#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "../check/ladder_drawing.h"
#include "../device/emulation_recorder.h"
#include "app_rig.h"
#include "device/emulation_library.h"
#include "sim/clock.h"
#include "ui/sim/frm_dev_simulation.h"
#include "ui/widgets/device_picture.h"

namespace bdx {
namespace {

// The window on a manual clock, with the library given by the test.
class DeviceSimulatorTest : public ::testing::Test {
  protected:
    // I1 drives Q1; extension modules A and B unless told otherwise.
    frmDevSimulation* open(int model, std::unique_ptr<EmulationCalls> calls,
                           std::array<std::uint16_t, 3> extensions = {1, 1, 0}) {
        Ladder l(model);
        l.rung(1, 'I', 1, 'Q', 1);
        for (int i = 0; i < 3; ++i) {
            l.p.ExtensionModules[i] = extensions[i];
        }
        window = std::make_unique<frmDevSimulation>(std::move(calls), clock);
        if (!window->load(l.p, dir.filePath(QStringLiteral("LAD.LAD")))) {
            ADD_FAILURE() << "the image file was not written";
            return nullptr;
        }
        window->show();
        clock.advance(DeviceSimulation::kWaitHundredths);
        window->runTick();
        EXPECT_TRUE(window->simulation().running());
        return window.get();
    }
    frmDevSimulation* openRecorded(int model, std::array<std::uint16_t, 3> extensions = {1, 1, 0}) {
        frmDevSimulation* w = open(model, std::make_unique<EmulationRecorder>(log, answers), extensions);
        log.clear();
        return w;
    }
    void tick() {
        clock.advance(2);
        window->runTick();
    }

    QTemporaryDir dir;
    ManualClock clock;
    QStringList log;
    EmulationRecorder::Answers answers;
    std::unique_ptr<frmDevSimulation> window;
};

TEST_F(DeviceSimulatorTest, InputSwitchesPassTheModulesInputByte) {
    ASSERT_NE(openRecorded(9), nullptr);
    struct Click {
        int module, n;
        const char* call;
    };
    const Click clicks[] = {
        {0, 3, "UpdateInputs_Base(4)"}, {0, 1, "UpdateInputs_Base(5)"}, {2, 8, "UpdateInputs_ExtB(128)"},
        {0, 3, "UpdateInputs_Base(1)"}, {1, 2, "UpdateInputs_ExtA(2)"},
    };
    for (const Click& c : clicks) {
        log.clear();
        ClickCheckBox(window->inputBox(c.module, c.n));
        EXPECT_EQ(log, QStringList({QString::fromLatin1(c.call)}));
    }
    EXPECT_EQ(window->inputBox(3, 1), nullptr) << "extension C is not selected";
    EXPECT_NE(window->findChild<QCheckBox*>(QStringLiteral("chkInput_ExtB_7")), nullptr);
}

TEST_F(DeviceSimulatorTest, DeviceKeysOnThePictureOnlyOnDisplayModels) {
    for (const int model : {9, 2}) {
        ASSERT_NE(openRecorded(model), nullptr);
        DevicePicture* picture = window->picture();
        QTest::keyPress(picture, Qt::Key_Return);
        QTest::keyRelease(picture, Qt::Key_Return);
        const QRect up = picture->keyRect(DeviceKey::Up);
        if (model == 2) {
            EXPECT_TRUE(log.isEmpty()) << log.join(u',').toStdString();
            EXPECT_TRUE(up.isEmpty()) << "no keys on the picture";
            continue;
        }
        ASSERT_GE(log.size(), 2);
        EXPECT_EQ(log.mid(0, 2), QStringList({"SetNewKeyCode(6)", "ResetNewKeyCode(6)"}));
        log.clear();
        QTest::mousePress(picture, Qt::LeftButton, {}, up.center());
        EXPECT_EQ(log, QStringList({"SetNewKeyCode(2)"}));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, up.center());
        EXPECT_EQ(log.value(1), QStringLiteral("ResetNewKeyCode(2)"));
    }
}

TEST_F(DeviceSimulatorTest, SlidersShowTheirValueAndOutputsAndSupplyShowOnThePicture) {
    answers.outputs = {0x05, 0x08, 0, 0};
    ASSERT_NE(openRecorded(9), nullptr);
    QSlider* slider = window->findChild<QSlider*>(QStringLiteral("scrVolt_ExtA_1"));
    ASSERT_NE(slider, nullptr);
    slider->setValue(725);
    EXPECT_EQ(log, QStringList({"UpdateVoltage_ExtA(0,725)"}));
    EXPECT_EQ(window->voltageLabel(1, 1)->text(), QStringLiteral("V4 = 07.25V"));

    tick();
    DevicePicture* picture = window->picture();
    EXPECT_TRUE(picture->outputShown(0, 1));
    EXPECT_FALSE(picture->outputShown(0, 2));
    EXPECT_TRUE(picture->outputShown(0, 3));
    EXPECT_TRUE(picture->outputShown(1, 4));
    EXPECT_EQ(picture->supplyPicture(), QStringLiteral("DC_ON"));
    ClickCheckBox(window->supplyBox());
    EXPECT_TRUE(picture->supplyPicture().isEmpty());
    EXPECT_FALSE(picture->powerLedShown());
}

// The real emulation library: the program runs in the variant of its model.
struct Variant {
    int model;
    std::uint8_t (*outputs)();  // the variant's UpdateOutputs_Base, read here directly
};

class DeviceSimulatorLibraryTest : public DeviceSimulatorTest,
                                   public ::testing::WithParamInterface<Variant> {};

TEST_P(DeviceSimulatorLibraryTest, TickedInputLightsTheOutputInTheModelsVariant) {
    const Variant v = GetParam();
    ASSERT_NE(open(v.model, MakeLibraryEmulationCalls(v.model)), nullptr);
    QCheckBox* i1 = window->inputBox(0, 1);
    for (const bool on : {true, false, true}) {
        ClickCheckBox(i1);
        tick();
        EXPECT_EQ(window->picture()->outputShown(0, 1), on);
        EXPECT_EQ(v.outputs(), on ? 1 : 0) << "the device of the model's variant runs the program";
    }
    EXPECT_TRUE(window->simulation().runIndicator());

    QSignalSpy finished(window.get(), &frmDevSimulation::finished);
    window->close();
    EXPECT_FALSE(window->isVisible());
    clock.advance(DeviceSimulation::kWaitHundredths);
    window->runTick();
    EXPECT_EQ(finished.count(), 1);

    // A device opened again starts with its inputs off.
    ASSERT_NE(open(v.model, MakeLibraryEmulationCalls(v.model)), nullptr);
    tick();
    EXPECT_FALSE(window->picture()->outputShown(0, 1));
}

INSTANTIATE_TEST_SUITE_P(BothVariants, DeviceSimulatorLibraryTest,
                         ::testing::Values(Variant{1, &UpdateOutputs_Base},
                                           Variant{9, &UpdateOutputs_Base_New_TimeSwitch}),
                         [](const auto& info) { return "Model" + std::to_string(info.param.model); });

TEST_F(DeviceSimulatorTest, Screenshots) {
    struct Shot {
        int model;
        std::array<std::uint16_t, 3> extensions;
        const char* name;
    };
    const Shot shots[] = {{12, {0, 0, 0}, "frmDevSimulation_base"}, {9, {1, 1, 0}, "frmDevSimulation"}};
    answers.outputs = {0x05, 0x02, 0x08, 0};
    InScreenshotLanguages([&](const QString& language) {
        for (const Shot& s : shots) {
            ASSERT_NE(openRecorded(s.model, s.extensions), nullptr);
            for (const auto& [module, n] : {std::pair{0, 1}, std::pair{0, 3}, std::pair{1, 2}}) {
                if (QCheckBox* box = window->inputBox(module, n)) {
                    ClickCheckBox(box);
                }
            }
            if (QSlider* slider = window->voltageSlider(0, 0)) {
                slider->setValue(650);
            }
            tick();
            window->resize(window->fullSize());
            Shoot(*window, QLatin1String(s.name) + u'_' + language);
        }
    });
}

// The command in the application: a refused program opens no window.
class DeviceSimulatorCommandTest : public AppRig {};

TEST_F(DeviceSimulatorCommandTest, RefusedProgramOpensNoWindowAndAGoodOneWritesItsImage) {
    start();
    QAction* action = command("mnuOptionsDeviceSimulator");
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    EXPECT_EQ(find<frmDevSimulation>("frmDevSimulation"), nullptr);
    EXPECT_TRUE(
        prompter.texts().join(u'\n').contains(QStringLiteral("Please verify the program before proceeding.")))
        << prompter.texts().join(u'\n').toStdString();

    DrawLampRung(editor());
    prompter.clear();
    action->trigger();
    auto* device = find<frmDevSimulation>("frmDevSimulation");
    ASSERT_NE(device, nullptr) << prompter.texts().join(u'\n').toStdString();
    EXPECT_TRUE(device->isVisible());
    EXPECT_TRUE(QFile::exists(device->simulation().imageFilePath()));
    EXPECT_TRUE(device->simulation().imageFilePath().endsWith(QStringLiteral("/LAD.LAD")));

    // On the application's own timers and clock the device starts after its second and runs.
    EXPECT_TRUE(QTest::qWaitFor([&] { return device->simulation().running(); }, 3000));
    ClickCheckBox(device->inputBox(0, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return device->picture()->outputShown(0, 1); }, 3000));
    action->trigger();
    EXPECT_EQ(window()->findChildren<frmDevSimulation*>().size(), 1) << "one device window at a time";
}

}  // namespace
}  // namespace bdx

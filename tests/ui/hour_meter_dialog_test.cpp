#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>

#include "block_dialog_rig.h"
#include "ui/blocks/hour_meter_frm.h"

namespace bdx {
namespace {

// I1 enables hour meter H1 on the first line; H1's preset is 0.01 hour unless a test sets it.
class HourMeterDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        start();
        Ladder ladder(8);
        ladder.rung(1, 'I', 1, 'H', 1);
        ladder.p.HourMeterParams[0][HourMeterField::Preset + 4] = 1;
        load(ladder);
    }
    void openMeter(std::function<void(HourMeterFrm&)> fill) {
        openBlock<HourMeterFrm>(0, false, std::move(fill));
    }
    // The preset as the user enters it: the resolution, then the text.
    static void enterPreset(HourMeterFrm& d, int resolution, const char* text) {
        d.presetResolution()[resolution]->click();
        TypeInto(d.Text1(), QString::fromLatin1(text));
    }
};

TEST_F(HourMeterDialogTest, PresetIsHeldToTheResolutionsLargestValue) {
    const struct {
        QLocale::Language locale;
        int resolution;
        const char* typed;
        const char* shown;    // after typing
        const char* message;  // "" for none
    } cases[] = {
        {QLocale::English, Resolution36Sec, "1000", "999.99", "Maximum Value is 999.99"},
        {QLocale::English, Resolution6Min, "12345", "9999.9", "Maximum Value is 9999.9"},
        {QLocale::English, Resolution1Hr, "99999", "99999", ""},
        {QLocale::English, Resolution36Sec, "5.5", "5.5", ""},
        // Letters, a second separator and decimals beyond the resolution are not taken.
        {QLocale::English, Resolution6Min, "1a2.3.45", "12.3", ""},
        {QLocale::English, Resolution1Hr, "12.5", "125", ""},
        {QLocale::German, Resolution36Sec, "1000,5", "999,99", "Maximum Value is 999.99"},
        {QLocale::German, Resolution6Min, "7,5", "7,5", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(QLocale(c.locale));
        prompter.clear();
        openMeter([&](HourMeterFrm& d) {
            enterPreset(d, c.resolution, c.typed);
            EXPECT_EQ(d.Text1()->text(), QString::fromLatin1(c.shown));
            EXPECT_TRUE(d.edited());
            d.Command4()->click();
        });
        QLocale::setDefault(QLocale::c());
        EXPECT_EQ(prompter.texts(), *c.message ? QStringList{c.message} : QStringList{});
    }
}

TEST_F(HourMeterDialogTest, ChangingTheResolutionMovesTheDecimalPoint) {
    openMeter([](HourMeterFrm& d) {
        EXPECT_EQ(d.Text1()->text(), QStringLiteral("000.01"));
        TypeInto(d.Text1(), QStringLiteral("123.45"));
        const struct {
            int resolution;
            const char* shown;
        } steps[] = {{Resolution6Min, "1234.5"}, {Resolution1Hr, "12345"}, {Resolution36Sec, "123.45"}};
        for (const auto& step : steps) {
            d.presetResolution()[step.resolution]->click();
            EXPECT_EQ(d.Text1()->text(), QString::fromLatin1(step.shown));
        }
        // A short entry keeps its value's digits when the point moves.
        enterPreset(d, Resolution6Min, "12.5");
        d.presetResolution()[Resolution1Hr]->click();
        EXPECT_EQ(d.Text1()->text(), QStringLiteral("00125"));
        d.Command4()->click();
    });
}

// The bytes are read back from the saved program file, not from the dialog.
TEST_F(HourMeterDialogTest, OkStoresResolutionLockAndDigits) {
    const struct {
        int resolution;
        const char* typed;
        int switchTo;  // resolution chosen after typing, -1 for none
        bool locked;
        std::array<std::uint8_t, kHourMeterFields> row;  // flags without the in-use bit, digits
    } cases[] = {
        {Resolution6Min, "12.5", -1, false, {4, 0, 0, 1, 2, 5}},
        {Resolution36Sec, "5.5", -1, true, {2, 0, 0, 5, 5, 0}},
        {Resolution6Min, "12.5", Resolution1Hr, false, {8, 0, 0, 1, 2, 5}},
        {Resolution1Hr, "99999", -1, true, {10, 9, 9, 9, 9, 9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const int before = undoIndex();
        openMeter([&](HourMeterFrm& d) {
            enterPreset(d, c.resolution, c.typed);
            if (c.switchTo >= 0) {
                d.presetResolution()[c.switchTo]->click();
            }
            (c.locked ? d.optLocked() : d.optNotLocked())->click();
            TypeInto(d.Text2(), QStringLiteral("pump hours"));
            d.Command3()->click();
            EXPECT_EQ(d.result(), QDialog::Accepted);
        });
        EXPECT_EQ(undoIndex(), before + 1);
        const Program saved = savedProgram();
        EXPECT_EQ(saved.HourMeterParams[0][0] & ~kFlagInUse, c.row[0]);
        for (int field = 1; field < kHourMeterFields; ++field) {
            EXPECT_EQ(saved.HourMeterParams[0][field], c.row[field]) << "field " << field;
        }
        EXPECT_EQ(saved.comment(Operand::H, 0), QStringLiteral("pump hours"));
    }
}

TEST_F(HourMeterDialogTest, ZeroPresetAndCancelStoreNothing) {
    const Program original = program();
    const int before = undoIndex();
    for (const char* zero : {"0", "000.00", ""}) {
        SCOPED_TRACE(zero);
        prompter.clear();
        openMeter([&](HourMeterFrm& d) {
            enterPreset(d, Resolution6Min, zero);
            d.Command3()->click();
            EXPECT_TRUE(d.isVisible());  // the refusal keeps the dialog for a correction
            d.Command4()->click();
        });
        EXPECT_EQ(prompter.texts(), QStringList{"Preset count value of Hour Meter should not be zero"});
        EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
    }
    openMeter([](HourMeterFrm& d) {
        enterPreset(d, Resolution1Hr, "5");
        d.Command4()->click();
    });
    EXPECT_EQ(undoIndex(), before);
    EXPECT_EQ(program().HourMeterParams, original.HourMeterParams);
}

TEST_F(HourMeterDialogTest, AnotherMeterAsksToSaveTheEditedOne) {
    for (const Reply reply : {Reply::No, Reply::Yes}) {
        SCOPED_TRACE(int(reply));
        prompter.clear();
        prompter.queueReply(reply);
        openMeter([](HourMeterFrm& d) {
            EXPECT_TRUE(d.chkUsed()->isChecked());
            enterPreset(d, Resolution1Hr, "42");
            d.Combo1()->setCurrentIndex(2);
            EXPECT_EQ(d.meter(), 2);
            EXPECT_FALSE(d.chkUsed()->isChecked());
            EXPECT_EQ(d.Text1()->text(), QStringLiteral("000.00"));
            d.Command4()->click();
        });
        EXPECT_EQ(prompter.texts(), QStringList{"Save Hour Meter1 ?"});
        EXPECT_EQ(ReadHourMeter(program(), 0).count(), reply == Reply::Yes ? 42 : 1);
    }
}

// Modeless beside the run: Update hands the preset to the running meter, zero included, and the
// status labels follow the scans.
TEST_F(HourMeterDialogTest, UpdateDuringARunReachesTheRunningMeter) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    runner().simulation().setInput('I', 1, true);
    scan();
    HourMeterFrm* d = openBlock<HourMeterFrm>(0, false);
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->Command3()->text(), QStringLiteral("&Update"));
    EXPECT_EQ(d->Command4()->text(), QStringLiteral("&Close"));
    EXPECT_TRUE(d->lblOperateTime()->isVisibleTo(d));
    EXPECT_EQ(d->lblOperateTime()->text(), QStringLiteral("000.00"));
    d->operateResolution()[Resolution1Hr]->click();
    EXPECT_EQ(d->lblOperateTime()->text(), QStringLiteral("00000"));
    scan();
    EXPECT_EQ(d->lblEnable()->text(), QStringLiteral("Enable: Active"));
    EXPECT_EQ(d->lblReset()->text(), QStringLiteral("Reset: Unconnected"));
    EXPECT_EQ(d->lblResetAll()->text(), QStringLiteral("Reset All:Unconnected"));
    EXPECT_EQ(d->lblOutput()->text(), QStringLiteral("Output: Not Active"));

    const struct {
        int resolution;
        const char* typed;
        double seconds;
        const char* output;
    } updates[] = {{Resolution6Min, "0", 0.0, "Output: Active"},
                   {Resolution1Hr, "2", 7200.0, "Output: Not Active"}};
    for (const auto& u : updates) {
        SCOPED_TRACE(u.typed);
        const int before = undoIndex();
        enterPreset(*d, u.resolution, u.typed);
        d->Command3()->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(undoIndex(), before + 1);
        EXPECT_EQ(runner().simulation().blocks().hourMeters.presetSeconds(0), u.seconds);
        scan();
        EXPECT_EQ(d->lblOutput()->text(), QString::fromLatin1(u.output));
    }
    EXPECT_TRUE(prompter.messages().empty());
    stopRun();
    EXPECT_EQ(window()->findChild<HourMeterFrm*>(), nullptr);
}

TEST_F(HourMeterDialogTest, PortugueseCaptions) {
    SetLanguageOffset(Portuguese);
    openMeter([](HourMeterFrm& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Horímetro"));
        EXPECT_EQ(d.Command4()->text(), QStringLiteral("Ca&ncelar"));
        EXPECT_EQ(d.presetResolution()[Resolution36Sec]->text(), QStringLiteral("36 Seg."));
        d.Command4()->click();
    });
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(HourMeterDialogTest, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    for (const auto& [language, name] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(language);
        HourMeterFrm d(editor(), prompter, 0);
        d.show();
        QTest::qWait(0);
        d.grab().save(QStringLiteral("%1/HourMeterFrm_%2.png").arg(folder, QLatin1String(name)));
    }
}

}  // namespace
}  // namespace bdx

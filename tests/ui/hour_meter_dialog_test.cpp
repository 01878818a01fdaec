#include <QLocale>

#include "block_dialog_rig.h"
#include "ui/blocks/hour_meter_frm.h"

namespace bdx {
namespace {

// I1 enables hour meter H1 on the first line; H1's preset is 0.01 hour.
class HourMeterDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        Ladder ladder(8);
        ladder.rung(1, 'I', 1, 'H', 1);
        ladder.p.HourMeterParams[0][HourMeterField::Preset + 4] = 1;
        load(ladder);
    }
    void openMeter(std::function<void(HourMeterFrm&)> fill) {
        openBlock<HourMeterFrm>(0, false, std::move(fill));
    }
    // The resolution, then the preset typed.
    static void enterPreset(HourMeterFrm& d, int resolution, const char* text) {
        d.presetResolution()[resolution]->click();
        TypeInto(d.Text1(), QString::fromLatin1(text));
    }
};

// Letters, a second separator and decimals beyond the resolution are not taken.
TEST_F(HourMeterDialogTest, PresetIsHeldToTheResolutionsLargestValue) {
    const struct {
        QLocale::Language locale;
        int resolution;
        const char *typed, *shown, *message;
    } cases[] = {
        {QLocale::English, Resolution6Min, "1a2.3.45", "12.3", ""},
        {QLocale::English, Resolution1Hr, "12.5", "125", ""},
        {QLocale::German, Resolution36Sec, "1000,5", "999,99", "Maximum Value is 999.99"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(QLocale(c.locale));
        prompter.clear();
        openMeter([&](HourMeterFrm& d) {
            enterPreset(d, c.resolution, c.typed);
            EXPECT_EQ(d.Text1()->text(), QString::fromLatin1(c.shown));
            d.Command4()->click();
        });
        QLocale::setDefault(QLocale::c());
        EXPECT_EQ(prompter.texts(), *c.message ? QStringList{c.message} : QStringList{});
    }
}

// The bytes are read back from the saved file; a resolution chosen after typing moves the point.
TEST_F(HourMeterDialogTest, OkStoresResolutionLockAndDigits) {
    const struct {
        int resolution;
        const char* typed;
        int switchTo;
        const char* shown;
        bool locked;
        std::array<std::uint8_t, kHourMeterFields> row;  // flags without the in-use bit, digits
    } cases[] = {
        {Resolution36Sec, "5.5", Resolution36Sec, "5.5", true, {2, 0, 0, 5, 5, 0}},
        {Resolution6Min, "12.5", Resolution1Hr, "00125", false, {8, 0, 0, 1, 2, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        openMeter([&](HourMeterFrm& d) {
            enterPreset(d, c.resolution, c.typed);
            d.presetResolution()[c.switchTo]->click();
            EXPECT_EQ(d.Text1()->text(), QString::fromLatin1(c.shown));
            (c.locked ? d.optLocked() : d.optNotLocked())->click();
            TypeInto(d.Text2(), QStringLiteral("pump hours"));
            d.Command3()->click();
            EXPECT_EQ(d.result(), QDialog::Accepted);
        });
        const Program saved = savedProgram();
        EXPECT_EQ(saved.HourMeterParams[0][0] & ~kFlagInUse, c.row[0]);
        for (int field = 1; field < kHourMeterFields; ++field) {
            EXPECT_EQ(saved.HourMeterParams[0][field], c.row[field]) << "field " << field;
        }
        EXPECT_EQ(saved.comment(Operand::H, 0), QStringLiteral("pump hours"));
    }
}

// Which entries count as zero is the hour meter record's test.
TEST_F(HourMeterDialogTest, ZeroPresetIsRefused) {
    const Program original = program();
    openMeter([&](HourMeterFrm& d) {
        enterPreset(d, Resolution6Min, "000.0");
        d.Command3()->click();
        EXPECT_TRUE(d.isVisible());  // kept open for a correction
        d.Command4()->click();
    });
    EXPECT_EQ(prompter.texts(), QStringList{"Preset count value of Hour Meter should not be zero"});
    EXPECT_EQ(program().HourMeterParams, original.HourMeterParams);
}

// "Used" says whether the shown meter's coil is in the program.
TEST_F(HourMeterDialogTest, UsedBoxFollowsTheShownMeter) {
    openMeter([](HourMeterFrm& d) {
        EXPECT_TRUE(d.chkUsed()->isChecked());
        d.Combo1()->setCurrentIndex(2);
        EXPECT_FALSE(d.chkUsed()->isChecked());
        EXPECT_EQ(d.Text1()->text(), QStringLiteral("000.00"));
        d.Command4()->click();
    });
}

// Beside the run Update hands the preset, zero included, to the running meter; the labels follow.
TEST_F(HourMeterDialogTest, UpdateDuringARunReachesTheRunningMeter) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    runner().simulation().setInput('I', 1, true);
    scan();
    HourMeterFrm* d = openBlock<HourMeterFrm>(0, false);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->lblOperateTime()->text(), QStringLiteral("000.00"));
    d->operateResolution()[Resolution1Hr]->click();
    EXPECT_EQ(d->lblOperateTime()->text(), QStringLiteral("00000"));
    scan();
    EXPECT_EQ(d->lblEnable()->text(), QStringLiteral("Enable: Active"));
    EXPECT_EQ(d->lblReset()->text(), QStringLiteral("Reset: Unconnected"));
    EXPECT_EQ(d->lblResetAll()->text(), QStringLiteral("Reset All:Unconnected"));
    EXPECT_EQ(d->lblOutput()->text(), QStringLiteral("Output: Not Active"));
    // A zero preset, refused outside a run, reaches the meter and switches its output at once;
    // the seconds of other presets are the hour meter record's test.
    enterPreset(*d, Resolution6Min, "0");
    d->Command3()->click();
    EXPECT_EQ(runner().simulation().blocks().hourMeters.presetSeconds(0), 0.0);
    scan();
    EXPECT_EQ(d->lblOutput()->text(), QStringLiteral("Output: Active"));
    EXPECT_TRUE(prompter.messages().empty());
    stopRun();
}

}  // namespace
}  // namespace bdx

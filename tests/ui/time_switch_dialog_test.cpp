#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QImage>
#include <QPainter>

#include "block_dialog_rig.h"
#include "ui/blocks/frm_timeswitch_block.h"
#include "ui/blocks/weekly_graph.h"

namespace bdx {
namespace {

constexpr int kFirstGeneration = 4;
constexpr int kSecondGeneration = 9;
constexpr int kBlock = 2;  // RTC3

// What the user sets: "Day 1" and "Day 2" list rows (-1 none), or ON and OFF day boxes
// (1 = Monday) to click; the time fields typed, "" left as they are.
struct Fill {
    int day1 = -1, day2 = -1;
    std::vector<int> onDays{}, offDays{};
    std::array<const char*, 4> times{"", "", "", ""};
    bool locked = false;
};

void Apply(frmTimeswitchBlock& d, const Fill& f) {
    d.Combo1()->setCurrentIndex(f.day1);
    d.Combo2()->setCurrentIndex(f.day2);
    for (const auto& [days, box] : {std::pair{&f.onDays, &frmTimeswitchBlock::chkStartDay},
                                    std::pair{&f.offDays, &frmTimeswitchBlock::chkSelectEndDay}}) {
        for (int day : *days) {
            (d.*box)(day - 1)->click();
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (*f.times[i] != 0) {
            TypeInto(d.timeField(i), QString::fromLatin1(f.times[i]));
        }
    }
    (f.locked ? d.optLocked() : d.optNotLocked())->click();
}

// The application with a program of the given model whose first line runs RTC3 to Q1.
class TimeSwitchDialogTest : public BlockDialogRig {
  protected:
    void loadModel(int model) {
        Ladder ladder(model);
        ladder.rung(1, ClockContactOpen, kBlock + 1, 'Q', 1);
        load(ladder);
    }
    void open(std::function<void(frmTimeswitchBlock&)> fill) {
        openBlock<frmTimeswitchBlock>(0, true, std::move(fill));
    }
};

// Days, times and lock as the saved file keeps them, and the daily on time shown before saving;
// a refused save keeps the dialog open and the program as it was. Every refusal of either
// generation is the time switch record's test; here one per generation.
TEST_F(TimeSwitchDialogTest, OkStoresEachGenerationsFormOrTellsWhatIsMissing) {
    const struct {
        int model;
        Fill fill;
        const char* daily;
        const char* message;                 // empty when saved
        std::array<std::uint8_t, 6> fields;  // fields 1..6
    } cases[] = {
        // clang-format off
        {kSecondGeneration, {-1, -1, {1, 5}, {6}, {"8", "05", "17", "30"}, false}, "15:55 \u2013 24:00", "",
         {17, 32, 8, 5, 17, 30}},
        {kSecondGeneration, {-1, -1, {1, 2, 3, 4, 5}, {2, 3, 4, 5, 6}, {"22", "0", "6", "0"}, true},
         "02:00 \u2013 08:00", "", {31, 62, 22, 0, 6, 0}},
        {kSecondGeneration, {-1, -1, {}, {1}}, "00:00", "Select Proper Start Day.", {}},
        {kFirstGeneration, {5, 0, {}, {}, {"25", "61", "06", "7"}, false}, "00:01 \u2013 06:08", "",
         {6, 1, 23, 59, 6, 7}},
        {kFirstGeneration, {-1, 4, {}, {}}, "00:00", "Please select \"From\" Weekday", {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.daily);
        loadModel(c.model);
        prompter.clear();
        const auto before = program().TimeSwitchParams[kBlock];
        const int undo = undoIndex();
        const bool saves = *c.message == 0;
        open([&](frmTimeswitchBlock& d) {
            EXPECT_EQ(d.frameNewTimeSwitch()->isVisible(), c.model == kSecondGeneration);
            EXPECT_EQ(d.frameOldTimeSwitch()->isVisible(), c.model == kFirstGeneration);
            Apply(d, c.fill);
            EXPECT_EQ(d.lblDailyDuration()->text(), QString::fromUtf8(c.daily));
            d.Command2()->click();
            EXPECT_EQ(d.isVisible(), !saves);
            if (!saves) {
                d.Command1()->click();
            }
        });
        EXPECT_EQ(prompter.texts(), saves ? QStringList() : QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(undoIndex(), undo + (saves ? 1 : 0));
        if (!saves) {
            EXPECT_EQ(program().TimeSwitchParams[kBlock], before);
            continue;
        }
        const auto row = savedProgram().TimeSwitchParams[kBlock];
        EXPECT_EQ((std::array<std::uint8_t, 6>{row[1], row[2], row[3], row[4], row[5], row[6]}), c.fields);
        EXPECT_EQ((row[0] & kFlagLocked) != 0, c.fill.locked);
    }
}

// Letters, signs, pasted text and extra digits never reach the time fields; values above the
// largest hour or minute are corrected as they are typed.
TEST_F(TimeSwitchDialogTest, TimeFieldsTakeTwoDigitsAndCapThem) {
    loadModel(kSecondGeneration);
    const struct {
        int field;
        const char *typed, *shown;
    } cases[] = {{0, "25", "23"}, {1, "61", "59"}, {2, "99", "23"},  {3, "60", "59"},
                 {0, "ab", ""},   {1, "-5", "5"},  {2, "123", "12"}, {3, " 7", "7"}};
    open([&](frmTimeswitchBlock& d) {
        for (const auto& c : cases) {
            TypeInto(d.timeField(c.field), QString::fromLatin1(c.typed));
            EXPECT_EQ(d.timeField(c.field)->text(), QString::fromLatin1(c.shown)) << c.typed;
        }
        QApplication::clipboard()->setText(QStringLiteral("7 o'clock"));
        d.timeField(0)->setText(QStringLiteral("08"));
        d.timeField(0)->selectAll();
        d.timeField(0)->paste();
        EXPECT_EQ(d.timeField(0)->text(), QStringLiteral("08"));
        d.Command1()->click();
    });
    EXPECT_TRUE(prompter.texts().isEmpty());
}

TEST_F(TimeSwitchDialogTest, FirstGenerationBlockShowsItsDaysAndTimes) {
    loadModel(kFirstGeneration);
    program().TimeSwitchParams[kBlock] = {kFlagInUse, 2, 3, 7, 5, 9, 0};
    open([](frmTimeswitchBlock& d) {
        EXPECT_EQ(d.Combo3()->currentText(), QStringLiteral("RTC3"));
        EXPECT_EQ(d.Combo1()->currentText(), QStringLiteral("Tuesday"));
        EXPECT_EQ(d.timeField(0)->text() + d.timeField(1)->text(), QStringLiteral("0705"));
        d.Command1()->click();
    });
}

// A save refused before another block is shown keeps the block and its edits.
TEST_F(TimeSwitchDialogTest, RefusedSaveBeforeAnotherBlockKeepsTheBlock) {
    loadModel(kSecondGeneration);
    prompter.queueReply(Reply::Yes);
    open([](frmTimeswitchBlock& d) {
        Apply(d, {.offDays = {7}});  // no ON day
        d.Combo3()->setCurrentIndex(5);
        EXPECT_EQ(d.number(), kBlock);
        EXPECT_EQ(d.Combo3()->currentIndex(), kBlock);
        EXPECT_TRUE(d.chkSelectEndDay(6)->isChecked());
        d.Command1()->click();
    });
    EXPECT_EQ(prompter.texts(), (QStringList{"Save Clock3 ?", "Select Proper Start Day."}));
    EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OnDays], 0);
}

// The block starts never on: its ON and OFF fall on the same minute. Updated to switch on every
// day at midnight and off only three days from today, it is on now whatever the PC clock says.
TEST_F(TimeSwitchDialogTest, UpdateDuringARunReachesTheRunningBlock) {
    loadModel(kSecondGeneration);
    program().TimeSwitchParams[kBlock] = {0, 1, 1, 10, 0, 10, 0};
    editor().runRuleCheck();
    ASSERT_NO_FATAL_FAILURE(startRun());
    auto* d = openBlock<frmTimeswitchBlock>(0, true);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(LoopUntil([&] { return d->lblStatus()->text() == QStringLiteral("OFF"); }, 5000));

    // Monday unticked as an OFF day, unless it is the one three days on.
    const int offDay = (QDate::currentDate().dayOfWeek() + 2) % kDaysPerWeek + 1;
    Apply(*d, {.onDays = {2, 3, 4, 5, 6, 7}, .offDays = {1, offDay}, .times = {"00", "00", "12", "00"}});
    d->Command2()->click();
    EXPECT_TRUE(LoopUntil([&] { return d->lblStatus()->text() == QStringLiteral("ON"); }, 5000));
    EXPECT_TRUE(runner().engine().operandValue('Q', 1));
    EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OnDays], 127);
    stopRun();
}

// Monday from noon on: the bars stay in Monday's row, from the middle of the hour scale, at
// any size.
TEST(WeeklyGraphTest, BarsSitWhereTheSwitchIsOn) {
    WeeklySchedule week;
    week.days[0] = {{12 * 60, kMinutesPerDay}};
    for (const QSize size : {QSize(480, 240), QSize(960, 480)}) {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintWeeklyGraph(painter, QRectF(image.rect()), week, ShortWeekdayNames());
        painter.end();
        QRect bars;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                bars |= c.green() > c.red() + 60 ? QRect(x, y, 1, 1) : QRect();
            }
        }
        ASSERT_FALSE(bars.isEmpty()) << size.width();
        EXPECT_LT(bars.bottom(), size.height() / 4);
        EXPECT_GT(bars.left(), size.width() * 0.4);
        EXPECT_LT(bars.left(), size.width() * 0.6);
        EXPECT_GT(bars.right(), size.width() * 0.75);
    }
}

}  // namespace
}  // namespace bdx

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "../check/ladder_drawing.h"
#include "app_rig.h"
#include "ladder/program_file.h"
#include "ui/blocks/frm_timeswitch_block.h"
#include "ui/blocks/weekly_graph.h"

namespace bdx {
namespace {

constexpr int kFirstGeneration = 4;
constexpr int kSecondGeneration = 9;
constexpr int kBlock = 2;  // RTC3

void Type(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

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
            Type(d.timeField(i), QString::fromLatin1(f.times[i]));
        }
    }
    (f.locked ? d.optLocked() : d.optNotLocked())->click();
}

// The application with a program of the given model whose first line runs RTC3 to Q1, the
// clock contact selected.
class TimeSwitchDialogTest : public AppRig {
  protected:
    void SetUp() override {
        AppRig::SetUp();
        start();
    }
    void load(int model) {
        Ladder ladder(model);
        ladder.rung(1, ClockContactOpen, kBlock + 1, 'Q', 1);
        program() = ladder.p;
        editor().runRuleCheck();
        editor().select({SelectionKinds::Contact, 0, 0});
    }
    int undoIndex() { return app->context().document().undoStore().UndoIndex(); }
    void open(std::function<void(frmTimeswitchBlock&)> fill) {
        expectDialog<frmTimeswitchBlock>(std::move(fill));
        command("mnuEditProperties")->trigger();
    }
    // Block RTC3 as File / Save wrote it; load() leaves the program without a name, so Save asks.
    std::array<std::uint8_t, kTimeSwitchFields> savedBlock() {
        const QString file = path("clock") + QString::number(++saves_) + QStringLiteral(".h53");
        prompter.queueFile(file);
        command("mnuFileSave")->trigger();
        Program saved;
        EXPECT_EQ(ReadProgramFile(file, saved).code, ProgramFileStatus::Code::Ok);
        return saved.TimeSwitchParams[kBlock];
    }

  private:
    int saves_ = 0;
};

// Days, times and lock as the saved file keeps them, and the daily on time shown before saving;
// a refused save keeps the dialog open and the program as it was.
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
        {kSecondGeneration, {-1, -1, {3}, {}}, "24:00", "Select Proper End Day.", {}},
        {kFirstGeneration, {5, 0, {}, {}, {"25", "61", "06", "7"}, false}, "00:01 \u2013 06:08", "",
         {6, 1, 23, 59, 6, 7}},
        {kFirstGeneration, {-1, 4, {}, {}}, "00:00", "Please select \"From\" Weekday", {}},
        {kFirstGeneration, {4, -1, {}, {}}, "24:00", "Please select \"To\" Weekday", {}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.daily);
        load(c.model);
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
        const auto row = savedBlock();
        EXPECT_EQ((std::array<std::uint8_t, 6>{row[1], row[2], row[3], row[4], row[5], row[6]}), c.fields);
        EXPECT_EQ((row[0] & kFlagLocked) != 0, c.fill.locked);
    }
}

// Letters, signs, pasted text and extra digits never reach the time fields; values above the
// largest hour or minute are corrected as they are typed.
TEST_F(TimeSwitchDialogTest, TimeFieldsTakeTwoDigitsAndCapThem) {
    load(kSecondGeneration);
    const struct {
        int field;
        const char *typed, *shown;
    } cases[] = {{0, "25", "23"}, {1, "61", "59"}, {2, "99", "23"},  {3, "60", "59"},
                 {0, "ab", ""},   {1, "-5", "5"},  {2, "123", "12"}, {3, " 7", "7"}};
    open([&](frmTimeswitchBlock& d) {
        for (const auto& c : cases) {
            Type(d.timeField(c.field), QString::fromLatin1(c.typed));
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

TEST_F(TimeSwitchDialogTest, EscapeRecordsNothingAndEnterOneUndoPoint) {
    load(kFirstGeneration);
    program().TimeSwitchParams[kBlock] = {kFlagInUse, 2, 3, 7, 5, 9, 0};
    const Program original = program();
    const int before = undoIndex();
    for (const bool save : {false, true}) {
        open([save](frmTimeswitchBlock& d) {
            EXPECT_EQ(d.Combo3()->currentText(), QStringLiteral("RTC3"));
            EXPECT_EQ(d.Combo1()->currentText(), QStringLiteral("Tuesday"));
            EXPECT_EQ(d.timeField(0)->text() + d.timeField(1)->text(), QStringLiteral("0705"));
            Type(d.Text20(), QStringLiteral("lights"));
            Type(d.timeField(3), QStringLiteral("45"));
            QTest::keyClick(d.timeField(3), save ? Qt::Key_Return : Qt::Key_Escape);
            EXPECT_FALSE(d.isVisible());
        });
        EXPECT_EQ(undoIndex(), before + (save ? 1 : 0));
        EXPECT_EQ(program() == original, !save);
    }
    EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OffMinute], 45);
    EXPECT_EQ(program().comment(Operand::Clock, kBlock), QStringLiteral("lights"));
}

TEST_F(TimeSwitchDialogTest, AnotherBlockAsksToSaveTheEditedOne) {
    const struct {
        Reply reply;
        int onDay;  // 0: no ON day, so the save is refused and the block stays
        int shownBlock;
        std::uint8_t onMask;
    } cases[] = {{Reply::No, 2, 5, 0}, {Reply::Yes, 2, 5, 2}, {Reply::Yes, 0, kBlock, 0}};
    for (const auto& c : cases) {
        load(kSecondGeneration);
        prompter.clear();
        prompter.queueReply(c.reply);
        open([&](frmTimeswitchBlock& d) {
            Apply(d, {.onDays = c.onDay != 0 ? std::vector{c.onDay} : std::vector<int>{}, .offDays = {7}});
            d.Combo3()->setCurrentIndex(5);
            EXPECT_EQ(d.number(), c.shownBlock);
            EXPECT_EQ(d.Combo3()->currentIndex(), c.shownBlock);
            d.Command1()->click();
        });
        EXPECT_EQ(prompter.texts().value(0), QStringLiteral("Save Clock3 ?"));  // the text, then the number
        EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OnDays], c.onMask);
    }
}

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

// The block starts never on: its ON and OFF fall on the same minute. Updated to switch on every
// day at midnight and off only three days from today, it is on now whatever the PC clock says.
TEST_F(TimeSwitchDialogTest, UpdateDuringARunReachesTheRunningBlock) {
    load(kSecondGeneration);
    program().TimeSwitchParams[kBlock] = {0, 1, 1, 10, 0, 10, 0};
    editor().runRuleCheck();
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
    command("mnuEditProperties")->trigger();  // modeless: no dialog through the rig
    auto* d = window()->findChild<frmTimeswitchBlock*>();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Command2()->text(), QStringLiteral("&Update"));
    ASSERT_TRUE(WaitFor([&] { return d->lblStatus()->text() == QStringLiteral("OFF"); }));

    // Monday unticked as an OFF day, unless it is the one three days on.
    const int offDay = (QDate::currentDate().dayOfWeek() + 2) % kDaysPerWeek + 1;
    Apply(*d, {.onDays = {2, 3, 4, 5, 6, 7}, .offDays = {1, offDay}, .times = {"00", "00", "12", "00"}});
    d->Command2()->click();
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(WaitFor([&] { return d->lblStatus()->text() == QStringLiteral("ON"); }));
    EXPECT_TRUE(runner().engine().operandValue('Q', 1));
    EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OnDays], 127);

    command("mnuSimulationStop")->trigger();
    EXPECT_TRUE(WaitFor([&] { return !runner().running(); }));
}

// Pictures for the documentation, made only when BDX_SCREENSHOT_DIR names a folder.
TEST_F(TimeSwitchDialogTest, Screenshots) {
    const QString folder = qEnvironmentVariable("BDX_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "BDX_SCREENSHOT_DIR not set";
    }
    for (const auto& [language, name] : {std::pair{English, "en"}, std::pair{Portuguese, "pt"}}) {
        SetLanguageOffset(language);
        for (const auto& [model, days, file] : {std::tuple{kSecondGeneration, std::pair{31, 62}, ""},
                                                std::tuple{kFirstGeneration, std::pair{1, 5}, "_first"}}) {
            load(model);
            program().TimeSwitchParams[kBlock] = {
                1, std::uint8_t(days.first), std::uint8_t(days.second), 22, 0, 6, 0};
            frmTimeswitchBlock d(editor(), prompter, kBlock);
            d.show();
            QTest::qWait(0);
            d.grab().save(QStringLiteral("%1/frmTimeswitchBlock%2_%3.png")
                              .arg(folder, QString::fromLatin1(file), QString::fromLatin1(name)));
        }
    }
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

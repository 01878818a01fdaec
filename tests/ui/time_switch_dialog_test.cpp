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
#include <QSet>
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

// What the user sets: days as "Day 1"/"Day 2" list rows (-1 none) or ON/OFF day numbers
// (1 = Monday), then the four time fields.
struct Fill {
    int day1 = -1, day2 = -1;
    std::vector<int> onDays{}, offDays{};
    std::array<const char*, 4> times{"", "", "", ""};
    bool locked = false;
};

void Apply(frmTimeswitchBlock& d, const Fill& f) {
    if (d.advanced()) {
        for (int day : f.onDays) {
            d.chkStartDay(day - 1)->click();
        }
        for (int day : f.offDays) {
            d.chkSelectEndDay(day - 1)->click();
        }
    } else {
        d.Combo1()->setCurrentIndex(f.day1);
        d.Combo2()->setCurrentIndex(f.day2);
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
    int saves = 0;
    void open(std::function<void(frmTimeswitchBlock&)> fill) {
        expectDialog<frmTimeswitchBlock>(std::move(fill));
        command("mnuEditProperties")->trigger();
    }
    // Block RTC3 as File / Save wrote it into a new file; each load() makes a program without
    // a name, so that Save asks for one.
    std::array<std::uint8_t, kTimeSwitchFields> savedBlock() {
        const QString file = path("clock") + QString::number(++saves) + QStringLiteral(".h53");
        prompter.queueFile(file);
        command("mnuFileSave")->trigger();
        Program saved;
        EXPECT_EQ(ReadProgramFile(file, saved).code, ProgramFileStatus::Code::Ok);
        return saved.TimeSwitchParams[kBlock];
    }
};

// Days, times and the lock as the saved file keeps them; a refused save keeps the dialog open
// and the program unchanged.
TEST_F(TimeSwitchDialogTest, OkStoresEachGenerationsFormOrTellsWhatIsMissing) {
    const struct {
        const char* name;
        int model;
        Fill fill;
        const char* message;                 // empty when saved
        std::array<std::uint8_t, 6> fields;  // fields 1..6
    } cases[] = {
        {"ON days Monday and Friday",
         kSecondGeneration,
         {.onDays = {1, 5}, .offDays = {6}, .times = {"8", "05", "17", "30"}},
         "",
         {17, 32, 8, 5, 17, 30}},
        {"converted night shift",
         kSecondGeneration,
         {.onDays = {1, 2, 3, 4, 5},
          .offDays = {2, 3, 4, 5, 6},
          .times = {"22", "0", "6", "0"},
          .locked = true},
         "",
         {31, 62, 22, 0, 6, 0}},
        {"no ON day", kSecondGeneration, {.offDays = {1}}, "Select Proper Start Day.", {}},
        {"no OFF day", kSecondGeneration, {.onDays = {3}}, "Select Proper End Day.", {}},
        {"weekend past Sunday",
         kFirstGeneration,
         {.day1 = 5, .day2 = 0, .times = {"25", "61", "06", "7"}},
         "",
         {6, 1, 23, 59, 6, 7}},
        {"no Day 1", kFirstGeneration, {.day2 = 4}, "Please select \"From\" Weekday", {}},
        {"no Day 2", kFirstGeneration, {.day1 = 4}, "Please select \"To\" Weekday", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(c.model);
        prompter.clear();
        const auto before = program().TimeSwitchParams[kBlock];
        const int undo = undoIndex();
        const bool saves = *c.message == 0;
        open([&](frmTimeswitchBlock& d) {
            EXPECT_EQ(d.frameNewTimeSwitch()->isVisible(), c.model == kSecondGeneration);
            EXPECT_EQ(d.frameOldTimeSwitch()->isVisible(), c.model == kFirstGeneration);
            Apply(d, c.fill);
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
        const char* typed;
        const char* shown;
    } cases[] = {
        {0, "25", "23"}, {1, "61", "59"}, {2, "99", "23"},  {3, "60", "59"},
        {0, "ab", ""},   {1, "-5", "5"},  {2, "123", "12"}, {3, " 7", "7"},
    };
    open([&](frmTimeswitchBlock& d) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed);
            Type(d.timeField(c.field), QString::fromLatin1(c.typed));
            EXPECT_EQ(d.timeField(c.field)->text(), QString::fromLatin1(c.shown));
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

// The weekly display and the daily figure follow the fields before anything is saved.
TEST_F(TimeSwitchDialogTest, WeekAndDailyDurationFollowTheFields) {
    const struct {
        int model;
        Fill fill;
        QString daily;
        int daysOn;
    } cases[] = {
        {kFirstGeneration, {.day1 = 0, .day2 = 4, .times = {"08", "00", "17", "00"}}, "09:00", 5},
        {kFirstGeneration,
         {.day1 = 0, .day2 = 4, .times = {"22", "00", "06", "00"}},
         "02:00 \u2013 08:00",
         6},
        {kSecondGeneration,
         {.onDays = {1}, .offDays = {5}, .times = {"08", "00", "17", "00"}},
         "16:00 \u2013 24:00",
         5},
        {kSecondGeneration, {.onDays = {3}}, "24:00", 7},  // on and never off again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.daily.toStdString());
        load(c.model);
        open([&](frmTimeswitchBlock& d) {
            EXPECT_EQ(d.lblDailyDuration()->text(), QStringLiteral("00:00"));
            Apply(d, c.fill);
            EXPECT_EQ(d.lblDailyDuration()->text(), c.daily);
            int daysOn = 0;
            for (int day = 0; day < kDaysPerWeek; ++day) {
                daysOn += d.picWeek()->schedule().onMinutes(day) > 0 ? 1 : 0;
            }
            EXPECT_EQ(daysOn, c.daysOn);
            EXPECT_TRUE(d.edited());
            d.Command1()->click();
        });
    }
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
            // Enter in a field saves, Escape closes.
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
        int onDay;       // 0: no ON day, so the save is refused
        int shownBlock;  // 0-based, after the change of number
        std::uint8_t onMask;
    } cases[] = {{Reply::No, 2, 5, 0}, {Reply::Yes, 2, 5, 2}, {Reply::Yes, 0, kBlock, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.onDay);
        load(kSecondGeneration);
        prompter.clear();
        prompter.queueReply(c.reply);
        open([&](frmTimeswitchBlock& d) {
            if (c.onDay != 0) {
                d.chkStartDay(c.onDay - 1)->click();
            }
            d.chkSelectEndDay(6)->click();
            d.Combo3()->setCurrentIndex(5);
            EXPECT_EQ(d.number(), c.shownBlock);
            EXPECT_EQ(d.Combo3()->currentIndex(), c.shownBlock);
            d.Command1()->click();
        });
        EXPECT_EQ(prompter.texts().value(0), QStringLiteral("Save Clock3 ?"));  // the text, then the number
        EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
        EXPECT_EQ(program().TimeSwitchParams[kBlock][TimeSwitchField::OnDays], c.onMask);
    }
}

TEST_F(TimeSwitchDialogTest, PortugueseTexts) {
    load(kFirstGeneration);
    SetLanguageOffset(Portuguese);
    open([](frmTimeswitchBlock& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Programadores horários"));
        EXPECT_EQ(d.Combo1()->itemText(0), QStringLiteral("Segunda-feira"));
        EXPECT_EQ(d.Command2()->text(), QStringLiteral("&OK"));
        EXPECT_EQ(d.Command1()->text(), QStringLiteral("&Cancelar"));
        d.Command1()->click();
    });
}

// Every control of the generation shown is a Tab stop; the hidden generation's are not.
TEST_F(TimeSwitchDialogTest, TabReachesEveryControlOfTheGenerationShown) {
    for (const int model : {kFirstGeneration, kSecondGeneration}) {
        load(model);
        open([model](frmTimeswitchBlock& d) {
            QSet<QWidget*> stops;
            for (QWidget* w = d.nextInFocusChain(); w != &d; w = w->nextInFocusChain()) {
                if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&d) && w->isEnabled()) {
                    stops.insert(w);
                }
            }
            QList<QWidget*> wanted = {d.Combo3(), d.optNotLocked(), d.Text20(), d.Command2(), d.Command1()};
            for (int i = 0; i < 4; ++i) {
                wanted << d.timeField(i);
            }
            for (int day = 0; day < kDaysPerWeek; ++day) {
                wanted << d.chkStartDay(day) << d.chkSelectEndDay(day);
            }
            wanted << d.Combo1() << d.Combo2();
            for (QWidget* w : wanted) {
                const bool dayBox = qobject_cast<QCheckBox*>(w) != nullptr;
                const bool dayList = w == d.Combo1() || w == d.Combo2();
                const bool shown = model == kSecondGeneration ? !dayList : !dayBox;
                EXPECT_EQ(stops.contains(w), shown) << w->objectName().toStdString();
            }
            d.Command1()->click();
        });
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
// day at midnight and off only three days from today (Monday unticked, unless that is the day), it is on now
// whatever the PC clock says.
TEST_F(TimeSwitchDialogTest, UpdateDuringARunReachesTheRunningBlock) {
    load(kSecondGeneration);
    program().TimeSwitchParams[kBlock] = {0, 1, 1, 10, 0, 10, 0};
    editor().runRuleCheck();
    command("mnuSimulationPC")->trigger();
    ASSERT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
    command("mnuEditProperties")->trigger();  // modeless: no dialog through the rig
    auto* d = window()->findChild<frmTimeswitchBlock*>();
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(d->isModal());
    EXPECT_EQ(d->Command2()->text(), QStringLiteral("&Update"));
    ASSERT_TRUE(WaitFor([&] { return d->lblStatus()->text() == QStringLiteral("OFF"); }));

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
        for (const int model : {kSecondGeneration, kFirstGeneration}) {
            load(model);
            program().TimeSwitchParams[kBlock] = model == kFirstGeneration
                                                     ? std::array<std::uint8_t, 7>{1, 1, 5, 22, 0, 6, 0}
                                                     : std::array<std::uint8_t, 7>{1, 31, 62, 22, 0, 6, 0};
            frmTimeswitchBlock d(editor(), prompter, kBlock);
            d.show();
            QTest::qWait(0);
            const QString generation = model == kFirstGeneration ? QStringLiteral("_first") : QString();
            d.grab().save(QStringLiteral("%1/frmTimeswitchBlock%2_%3.png")
                              .arg(folder, generation, QLatin1String(name)));
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
                if (c.green() > c.red() + 60) {
                    bars |= QRect(x, y, 1, 1);
                }
            }
        }
        SCOPED_TRACE(size.width());
        ASSERT_FALSE(bars.isEmpty());
        EXPECT_LT(bars.bottom(), size.height() / 4);
        EXPECT_GT(bars.left(), size.width() * 0.4);
        EXPECT_LT(bars.left(), size.width() * 0.6);
        EXPECT_GT(bars.right(), size.width() * 0.75);
    }
}

}  // namespace
}  // namespace bdx

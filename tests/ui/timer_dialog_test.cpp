#include <QCryptographicHash>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSet>
#include <QTableWidget>

#include "block_dialog_rig.h"
#include "ui/blocks/timer_form.h"
#include "ui/blocks/timing_diagram.h"
#include "ui/ladder/ladder_view.h"

namespace bdx {
namespace {

// A set time as the user enters it: the unit button, then the fields typed.
struct Entry {
    TimeUnit unit;
    const char* first;   // seconds, or the first 2-digit field
    const char* second;  // the second 2-digit field; unused for seconds
};

void Enter(SetTimeGroup* group, const Entry& entry) {
    EnterTime(group, entry.unit, QString::fromLatin1(entry.first), QString::fromLatin1(entry.second));
}

// The application with timer coils T1 and T3 drawn on lines 1 and 2.
class TimerDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        for (const auto& [line, number] : {std::pair{1, 3}, std::pair{0, 1}}) {
            editor().select({SelectionKinds::Coil, line, 0});
            editor().setPlacement('T', OperandNumberCode(number));
            ASSERT_TRUE(editor().PlaceOperand());
        }
    }
    // Properties on T1, the dialog answered by `fill`.
    void openTimer(std::function<void(timer_form&)> fill) {
        openBlock<timer_form>(0, false, std::move(fill));
    }
};

// Each correction is the timer record's test; here the fields follow the locale's separator and
// the two-digit fields are corrected too.
TEST_F(TimerDialogTest, ValuesAreCorrectedAsTheyAreTyped) {
    const struct {
        QLocale::Language locale;
        Entry entry;
        const char* seconds;  // the field after typing, or the second 2-digit field
        bool message;
    } cases[] = {
        {QLocale::German, {TimeUnit::Seconds, "1234,5", ""}, "999,9", true},
        {QLocale::English, {TimeUnit::HoursMinutes, "99", "60"}, "59", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry.first);
        QLocale::setDefault(QLocale(c.locale));
        prompter.clear();
        openTimer([&](timer_form& d) {
            Enter(d.onTime(), c.entry);
            const bool seconds = c.entry.unit == TimeUnit::Seconds;
            EXPECT_EQ((seconds ? d.onTime()->secondsField() : d.onTime()->lowField())->text(),
                      QString::fromLatin1(c.seconds));
            if (!seconds) {
                EXPECT_EQ(d.onTime()->highField()->text(), QString::fromLatin1(c.entry.first));
            }
            EXPECT_TRUE(d.edited());
            d.Command4()->click();
        });
        QLocale::setDefault(QLocale::c());
        EXPECT_EQ(prompter.texts(), c.message ? QStringList{"Maximum Value is 999.9"} : QStringList{});
    }
}

// The bytes are read back from the saved program file, not from the dialog.
TEST_F(TimerDialogTest, SaveStoresTheRecordAsTheFileKeepsIt) {
    const struct {
        int type;
        Entry on, off;
        bool locked;
        std::array<std::uint8_t, kTimerFields> row;  // flags, units, type, ON digits, OFF digits
    } cases[] = {
        {0, {TimeUnit::Seconds, "012.5", ""}, {TimeUnit::Seconds, "", ""}, false, {1, 0, 0, 0, 1, 2, 5}},
        {3,
         {TimeUnit::MinutesSeconds, "01", "30"},
         {TimeUnit::HoursMinutes, "00", "10"},
         true,
         {3, 33, 3, 0, 1, 3, 0, 0, 0, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        program().TimerParams[0][TimerField::Flags] |= kFlagLocked;  // to be cleared by "not locked"
        openTimer([&](timer_form& d) {
            d.selectType(c.type);
            EXPECT_EQ(d.offTime()->isVisible(), TimerHasOffTime(c.type));
            Enter(d.onTime(), c.on);
            if (TimerHasOffTime(c.type)) {
                Enter(d.offTime(), c.off);
            }
            (c.locked ? d.optLocked() : d.optNotLocked())->click();
            d.Command3()->click();
        });
        const TimerTable saved = savedProgram().TimerParams;
        for (int field = 0; field < kTimerFields; ++field) {
            EXPECT_EQ(saved[0][field], c.row[field]) << "field " << field;
        }
    }
}

// The menu command, the key shown with it and a double click on the label lead to the same
// dialog; an element without a dialog (a relay coil) opens nothing.
TEST_F(TimerDialogTest, PropertiesOpensTheDialogOfTheSelectedTimer) {
    EXPECT_EQ(command("mnuEditProperties")->shortcut(), QKeySequence(QStringLiteral("Alt+Return")));
    editor().select({SelectionKinds::Coil, 1, 0});
    expectDialog<timer_form>([](timer_form& d) {
        EXPECT_EQ(d.Combo1()->currentText(), QStringLiteral("T3"));
        EXPECT_EQ(d.gd1()->item(7, 1)->text(), QStringLiteral("Delayed Impulse"));
        EXPECT_TRUE(d.txtDescription()->toPlainText().startsWith(QStringLiteral("On-Delay Timer\n\n - ")));
        d.Command4()->click();
    });
    Q_EMIT find<LadderView>("ladderView")->propertiesRequested();

    editor().select({SelectionKinds::Coil, 2, 0});
    editor().setPlacement('M', OperandNumberCode(1));
    ASSERT_TRUE(editor().PlaceOperand());
    command("mnuEditProperties")->trigger();  // the rig fails on any dialog
}

TEST_F(TimerDialogTest, PortugueseTextsAndFixedModeNames) {
    SetLanguageOffset(Portuguese);
    openTimer([](timer_form& d) {
        EXPECT_EQ(d.gd1()->item(0, 1)->text(), QStringLiteral("Temporizador: ON Atraso"));
        EXPECT_EQ(d.gd1()->item(7, 1)->text(), QStringLiteral("Impulso retardado"));
        EXPECT_EQ(d.Command3()->text(), QStringLiteral("&Salvar"));
        d.Command4()->click();
    });
}

TEST(TimingDiagramTest, EveryTypeDrawsADiagramOfItsOwn) {
    QSet<QByteArray> hashes;
    for (int type = 0; type < kTimerTypes; ++type) {
        QImage image(360, 150, QImage::Format_RGB32);
        QPainter painter(&image);
        PaintTimingDiagram(painter, QRectF(image.rect()), type);
        painter.end();
        hashes.insert(QCryptographicHash::hash(QByteArrayView(image.constBits(), image.sizeInBytes()),
                                               QCryptographicHash::Sha1));
    }
    EXPECT_EQ(hashes.size(), kTimerTypes);
}

}  // namespace
}  // namespace bdx

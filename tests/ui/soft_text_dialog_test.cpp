#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QRegularExpression>

#include "block_dialog_rig.h"
#include "ui/blocks/dlg_soft_msg_embedded_data.h"
#include "ui/blocks/soft_text_editor.h"
#include "ui/blocks/soft_text_form.h"
#include "ui/sim/io_form.h"

namespace bdx {
namespace {

// What the user does in the insert dialog: source, number (list index, -1 none), parameter
// button (nullptr none), then OK unless told otherwise.
struct Choice {
    EmbeddedChoice source;
    int number;
    const char* parameter;
};

void Choose(dlgSoftMsgEmbeddedData& d, const Choice& c, bool ok = true) {
    d.source(c.source)->click();
    if (QComboBox* list = d.numberList(c.source)) {
        list->setCurrentIndex(c.number);
    }
    if (c.parameter != nullptr) {
        d.parameterButton(c.parameter)->click();
    }
    if (ok) {
        d.OKButton()->click();
    }
}

// Types UTF-8 text key by key; characters without a key of their own come as the text of a
// key event, as a compose key or an input method would send them.
void Keys(QWidget* grid, const char* text) {
    for (const QChar c : QString::fromUtf8(text)) {
        if (c.unicode() < 128) {
            QTest::keyClick(grid, c.toLatin1());
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(grid, &press);
        }
    }
}

// The application on a display model with analog inputs: I1 drives message X1.
class SoftTextDialogTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        Ladder ladder(9);
        ladder.rung(1, 'I', 1, 'X', 1);
        load(ladder);
    }
    // Properties on X1, the dialog answered by `fill`; `data` answers the insert dialog that
    // `fill` opens.
    void openMessage(std::function<void(soft_text_form&)> fill,
                     std::function<void(dlgSoftMsgEmbeddedData&)> data = {}) {
        expectDialog<soft_text_form>(std::move(fill));
        if (data) {
            expectDialog<dlgSoftMsgEmbeddedData>(std::move(data));
        }
        openBlock<soft_text_form>(0, false);
    }
    // Message X1 as File / Save wrote it.
    SoftTextRow savedMessage() { return savedProgram().SoftTextParams[0]; }
    static SoftTextRow Text(const char* line1, const char* line2 = "", const char* line3 = "") {
        SoftTextRow row;
        row.fill(' ');
        int at = 0;
        for (const char* line : {line1, line2, line3}) {
            for (int i = 0; line[i] != 0; ++i) {
                row[at + i] = std::uint8_t(line[i]);
            }
            at += kSoftTextLineLength;
        }
        return row;
    }
};

// The stored bytes of every kind of field are the token's test; here the dialog's choices reach it.
TEST_F(SoftTextDialogTest, TypedTextAndEmbeddedDataReachTheSavedFile) {
    const struct {
        Choice choice;
        int cell;  // where the data goes
        std::array<std::uint8_t, 4> stored;
    } cases[] = {
        {{EmbeddedChoice::Counter, 11, "optSP"}, 14, {96, 2, 12, 0}},
        {{EmbeddedChoice::Timer, 2, "optPV"}, 19, {96, 1, 3, 1}},
        {{EmbeddedChoice::HourMeter, 0, "optOT"}, 12, {96, 8, 1, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell);
        prompter.clear();
        openMessage(
            [&](soft_text_form& d) {
                SoftTextEditor* grid = d.grdText();
                grid->setFocus();
                QTest::keyClick(grid, Qt::Key_Home);
                Keys(grid, "Level:");
                grid->buffer().setCursor(c.cell);
                d.cmdInsertData()->click();
                EXPECT_TRUE(d.edited());
                // The grid shows the value's place, never the stored codes.
                EXPECT_FALSE(grid->lines().join(QString()).contains(QChar(kEmbeddedTokenMarker)));
                EXPECT_EQ(grid->lines()[0].left(6), QStringLiteral("Level:"));
                d.cmdSave()->click();
            },
            [&](dlgSoftMsgEmbeddedData& d) { Choose(d, c.choice); });
        EXPECT_TRUE(prompter.texts().isEmpty()) << prompter.texts().join(u'\n').toStdString();
        const SoftTextRow saved = savedMessage();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(saved.data()), 6), QByteArray("Level:"));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(saved[c.cell + i], c.stored[i]) << i;
        }
    }
}

// Every missing choice's message is the token's test.
TEST_F(SoftTextDialogTest, InsertDialogSaysWhatIsMissingAndStaysOpen) {
    const struct {
        Choice choice;
        const char* message;
    } cases[] = {
        {{EmbeddedChoice::Counter, 4, nullptr}, "Select at least one parameter."},
        {{EmbeddedChoice::Counter, -1, "optPV"}, "Please select the counter number."},
    };
    for (const auto& c : cases) {
        prompter.clear();
        openMessage(
            [](soft_text_form& d) {
                d.cmdInsertData()->click();
                EXPECT_FALSE(d.edited());
                d.cmdCancel()->click();
            },
            [&](dlgSoftMsgEmbeddedData& d) {
                Choose(d, c.choice);
                EXPECT_TRUE(d.isVisible());
                EXPECT_TRUE(d.token().isEmpty());
                d.CancelButton()->click();
            });
        EXPECT_EQ(prompter.texts(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(prompter.messages().front().caption, QStringLiteral("BRANTELDESK X"));
    }
}

// A timer with an ON and an OFF time offers both; the dialog names the timer's type.
TEST_F(SoftTextDialogTest, InsertDialogOffersWhatTheSourceHas) {
    program().TimerParams[1][TimerField::Type] = 3;
    Program noAnalog = program();
    noAnalog.ModelIndex = 8;
    const struct {
        Choice choice;
        QStringList shown;
        const char* timerWords;
    } cases[] = {
        {{EmbeddedChoice::Timer, 0, nullptr}, {"optSP", "optPV"}, "On Delay time"},
        {{EmbeddedChoice::Timer, 1, "optSPOn"}, {"optPV", "optSPOn", "optSPOff"}, "asymetric ON time"},
        {{EmbeddedChoice::Counter, 0, nullptr}, {"optSP", "optPV"}, ""},
        {{EmbeddedChoice::HourMeter, 0, nullptr}, {"optSP", "optMT", "optOT"}, ""},
        {{EmbeddedChoice::Date, -1, nullptr}, {}, ""},
    };
    for (const auto& c : cases) {
        dlgSoftMsgEmbeddedData d(program(), prompter);
        d.show();
        Choose(d, c.choice, false);
        QStringList shown;
        for (const char* name : {"optSP", "optPV", "optSPOn", "optSPOff", "optMT", "optOT"}) {
            if (d.parameterButton(name)->isVisible()) {
                shown << QString::fromLatin1(name);
            }
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(d.lblTimerType()->text(), QString::fromLatin1(c.timerWords));
        EXPECT_TRUE(d.source(EmbeddedChoice::Analog)->isVisible());
    }
    dlgSoftMsgEmbeddedData led(noAnalog, prompter);
    led.show();
    EXPECT_FALSE(led.source(EmbeddedChoice::Analog)->isVisible());
    EXPECT_FALSE(led.numberList(EmbeddedChoice::Analog)->isVisible());
}

// Bad input gets a message and leaves the text as it was; a message whose analog input lacks
// its module is not stored.
TEST_F(SoftTextDialogTest, BadInputIsRefusedWithAMessage) {
    const struct {
        const char* name;
        std::function<void(soft_text_form&)> act;
        QString message;
        SoftTextRow saved;
    } cases[] = {
        {"a character the display lacks", [](soft_text_form& d) { Keys(d.grdText(), "ok\xc3\xa9"); },
         QString::fromUtf8("The display cannot show the character \"\xc3\xa9\"."), Text("ok")},
        {"pasted over-long text",
         [](soft_text_form& d) {
             Keys(d.grdText(), "ab");
             QGuiApplication::clipboard()->setText(QStringLiteral("much too long a line"));
             QTest::keyClick(d.grdText(), Qt::Key_V, Qt::ControlModifier);
         },
         QStringLiteral("String Length  is more than Characters available"), Text("ab")},
        {"pasted lines that fit",
         [](soft_text_form& d) {
             QGuiApplication::clipboard()->setText(QStringLiteral("Pump 1\nrunning"));
             QTest::keyClick(d.grdText(), Qt::Key_V, Qt::ControlModifier);
         },
         QString(), Text("Pump 1", "running")},
        {"data that does not fit on the line",
         [](soft_text_form& d) {
             d.grdText()->buffer().setCursor(6);
             d.cmdInsertData()->click();
         },
         QStringLiteral("String Length  is more than Characters available"), Text("")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        std::function<void(dlgSoftMsgEmbeddedData&)> date;
        if (QString::fromLatin1(c.name).startsWith(QLatin1String("data"))) {
            date = [](dlgSoftMsgEmbeddedData& d) { Choose(d, {EmbeddedChoice::Date, -1, nullptr}); };
        }
        openMessage(
            [&](soft_text_form& d) {
                d.grdText()->setText(Text(""));
                d.grdText()->setFocus();
                c.act(d);
                d.cmdSave()->click();
            },
            date);
        EXPECT_EQ(prompter.texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(savedMessage(), c.saved);
    }
}

TEST_F(SoftTextDialogTest, AnalogInputWithoutItsModuleIsNotStored) {
    for (const bool moduleA : {false, true}) {
        prompter.clear();
        program().ExtensionModules[0] = moduleA ? 1 : 0;
        const int before = undoIndex();
        openMessage(
            [&](soft_text_form& d) {
                d.cmdInsertData()->click();
                d.cmdSave()->click();
                EXPECT_EQ(d.isVisible(), !moduleA);  // a refusal keeps the dialog open
                d.cmdCancel()->click();
            },
            [](dlgSoftMsgEmbeddedData& d) {
                Choose(d, {EmbeddedChoice::Analog, 2, nullptr});
            });  // V3
        EXPECT_EQ(prompter.texts(), moduleA
                                        ? QStringList()
                                        : QStringList{QStringLiteral("Extension module A is not selected.")});
        EXPECT_EQ(undoIndex(), before + (moduleA ? 1 : 0));
        EXPECT_EQ(program().SoftTextParams[0][0] == kEmbeddedDataMarker, moduleA);
    }
}

// During a run Update hands the new text to the running message and the live frame follows
// the message's trigger.
TEST_F(SoftTextDialogTest, UpdateDuringARunReachesTheDisplay) {
    ASSERT_NO_FATAL_FAILURE(startRun());
    QPointer<soft_text_form> d = openBlock<soft_text_form>(0, false);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(LoopUntil([&] { return d->lblActive()->text() == QStringLiteral("X1 is not active"); }));

    runner().panel()->inputBox(0)->setChecked(true);
    EXPECT_TRUE(LoopUntil([&] { return d->lblActive()->text() == QStringLiteral("X1 is active"); }));
    EXPECT_TRUE(
        LoopUntil([&] { return d->lblDisplay()->text() == QStringLiteral("Priority Message 1 of 1"); }));

    // The time goes in during the run: the running message must read its new field.
    Keys(d->grdText(), "Running");
    expectDialog<dlgSoftMsgEmbeddedData>([](dlgSoftMsgEmbeddedData& data) {
        Choose(data, {EmbeddedChoice::Time, -1, nullptr});
    });
    d->cmdInsertData()->click();
    d->cmdSave()->click();
    const SoftTextEvaluation& texts = runner().simulation().blocks().softTexts;
    const QRegularExpression shown(QStringLiteral("^Running\\d\\d:\\d\\d$"));
    EXPECT_TRUE(LoopUntil([&] { return shown.match(texts.lines().value(0)).hasMatch(); }))
        << texts.lines().value(0).toStdString();
    EXPECT_TRUE(shown.match(d->grdDisplay()->lines().value(0)).hasMatch());
    stopRun();
}

}  // namespace
}  // namespace bdx

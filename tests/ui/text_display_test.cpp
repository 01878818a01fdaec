#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "block_dialog_rig.h"
#include "blocks/device_model.h"
#include "blocks/soft_text_record.h"
#include "ui/sim/run_text_form.h"
#include "ui/widgets/lcd_display.h"
#include "ui/widgets/z_key_strip.h"

namespace bdx {
namespace {

// A program whose inputs I1 and I2 show the messages X1 and X2, on a model with a display
// unless told otherwise; the run goes on a manual clock.
class TextDisplayTest : public BlockDialogRig {
  protected:
    void SetUp() override {
        BlockDialogRig::SetUp();
        runner().setClock(&clock);
        runner().setDumpPath(QString());
    }
    void load(int model) {
        Ladder l(model);
        if (!HasDisplay(model)) {  // messages are refused there
            l.rung(1, 'I', 1, 'Q', 1);
        } else {
            l.rung(1, 'I', 1, 'X', 1).rung(2, 'I', 2, 'X', 2);
        }
        SetSoftTextLines(l.p, 0, {QStringLiteral("Pump running"), QStringLiteral(" Level ok")});
        SetSoftTextLines(l.p, 1, {QStringLiteral("TANK FULL")});
        BlockDialogRig::load(l);
    }
    // Starts the run with the PC; the text display, if the model has one.
    run_text_form* startRun(int model = 8) {
        load(model);
        command("mnuSimulationPC")->trigger();
        EXPECT_TRUE(runner().running()) << prompter.texts().join(u'\n').toStdString();
        return window()->findChild<run_text_form*>();
    }
    // Scans until the window shows `caption`.
    static bool shows(run_text_form* form, const QString& caption) {
        return LoopUntil([form, caption] {
            form->refresh();
            return form->captionLabel()->text() == caption;
        });
    }
    void setInput(int n, bool on) { runner().simulation().setInput('I', n, on); }
    bool zKey(int k) const { return runner().engine().operandValue('Z', k); }

    ManualClock clock;
};

TEST_F(TextDisplayTest, OpensWithARunOnDisplayModelsOnlyAndClosesWhenTheRunEnds) {
    enum End { Stop, F5, CloseMainWindow };
    const struct {
        int model;
        End end;
    } cases[] = {{8, Stop}, {12, Stop}, {0, F5}, {8, CloseMainWindow}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        QAction* view = command("mnuViewTextDisplay");
        EXPECT_FALSE(view->isEnabled());
        const QPointer<run_text_form> form = startRun(c.model);
        const bool display = HasDisplay(c.model);
        ASSERT_EQ(form != nullptr, display);
        EXPECT_EQ(view->isEnabled(), display);
        EXPECT_EQ(view->isChecked(), display);
        if (form) {
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->keyboardButton()->text(), QStringLiteral("<<"));
            EXPECT_TRUE(form->keyboard()->isHidden());
            EXPECT_TRUE(form->picZKeys()->isHidden());
            // Hidden by the View entry, the scans choose no message; back, they do again.
            view->trigger();
            EXPECT_FALSE(form->isVisible());
            EXPECT_FALSE(runner().simulation().blocks().softTexts.displayShown());
            view->trigger();
            EXPECT_TRUE(form->isVisible());
            EXPECT_TRUE(runner().simulation().blocks().softTexts.displayShown());
        }
        switch (c.end) {
            case Stop:
                command("mnuSimulationStop")->trigger();
                break;
            case F5:
                QTest::keyClick(form, Qt::Key_F5);
                break;
            case CloseMainWindow:
                prompter.queueReply(Reply::Yes);  // end the simulation
                prompter.queueReply(Reply::No);   // and do not save
                ASSERT_TRUE(window()->close());
                break;
        }
        EXPECT_TRUE(LoopUntil([this] { return !runner().running(); }));
        EXPECT_TRUE(LoopUntil([&form] { return form.isNull(); }));
        EXPECT_FALSE(view->isChecked());
        EXPECT_FALSE(view->isEnabled());
    }
}

// View / Soft Text Messages shows the window as Text Display does; View / Z Keys brings it with
// its Z-key strip, and its check mark follows the window's own mode key.
TEST_F(TextDisplayTest, ViewMenuShowsTheWindowAndItsZKeys) {
    QAction* zKeys = command("mnuViewZKeys");
    QAction* softText = command("mnuViewSoftText");
    EXPECT_FALSE(zKeys->isEnabled());
    EXPECT_FALSE(softText->isEnabled());
    run_text_form* form = startRun(8);
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(softText->isChecked());
    EXPECT_FALSE(zKeys->isChecked());

    softText->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(command("mnuViewTextDisplay")->isChecked());
    zKeys->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(softText->isChecked());
    EXPECT_TRUE(form->control().zKeyMode());
    EXPECT_FALSE(form->picZKeys()->isHidden());
    QTest::mouseClick(form->ZKeyButton(kZKeyModeButton), Qt::LeftButton);
    EXPECT_FALSE(form->control().zKeyMode());
    EXPECT_FALSE(zKeys->isChecked());

    command("mnuSimulationStop")->trigger();
    EXPECT_TRUE(LoopUntil([this] { return !runner().running(); }));
    EXPECT_FALSE(zKeys->isEnabled());
    EXPECT_FALSE(softText->isEnabled());
}

TEST_F(TextDisplayTest, ShowsTheMessagesPagesThemAndPressesZKeysWithTheMouse) {
    run_text_form* form = startRun();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(shows(form, QStringLiteral("No message")));
    setInput(1, true);
    setInput(2, true);
    ASSERT_TRUE(shows(form, QStringLiteral("Priority Message 1 of 2")));
    EXPECT_EQ(form->display()->lines(),
              (QStringList{QStringLiteral("TANK FULL   "), QString(12, u' '), QString(12, u' ')}));
    EXPECT_EQ(form->ScrollMsg()->maximum(), 2);

    // The down arrow pages on, the up arrow back; the second button never presses Z2 here.
    QTest::mouseClick(form->ZKeyButton(kPageDownButton), Qt::LeftButton);
    ASSERT_TRUE(shows(form, QStringLiteral("Priority Message 2 of 2")));
    EXPECT_EQ(form->display()->lines()[0], QStringLiteral("Pump running"));
    EXPECT_EQ(form->ScrollMsg()->value(), 2);
    QTest::mousePress(form->ZKeyButton(1), Qt::LeftButton);
    EXPECT_FALSE(zKey(2));
    QTest::mouseRelease(form->ZKeyButton(1), Qt::LeftButton);
    ASSERT_TRUE(shows(form, QStringLiteral("Priority Message 1 of 2")));

    // ESC: the Z keys, shown on the strip, held while the mouse holds the button.
    QTest::mouseClick(form->ZKeyButton(kZKeyModeButton), Qt::LeftButton);
    EXPECT_TRUE(form->picZKeys()->isVisible());
    EXPECT_TRUE(form->zKeyTimeoutRunning());
    EXPECT_EQ(form->ZKeyButton(1)->text(), QStringLiteral("Z2"));
    QTest::mousePress(form->ZKeyButton(1), Qt::LeftButton);
    EXPECT_TRUE(zKey(2));
    EXPECT_EQ(form->picZKeys()->imageName(2), QStringLiteral("Z2 Pressed"));
    QTest::mouseRelease(form->ZKeyButton(1), Qt::LeftButton);
    EXPECT_FALSE(zKey(2));
    EXPECT_EQ(form->picZKeys()->imageName(2), QStringLiteral("Z2 Unpressed"));
    EXPECT_EQ(form->captionLabel()->text(), QStringLiteral("Priority Message 1 of 2"));
    // The keyboard's arrows are the same keys.
    QTest::keyPress(form, Qt::Key_Left);
    EXPECT_TRUE(zKey(1));
    EXPECT_TRUE(form->ZKeyButton(0)->isDown());
    QTest::keyRelease(form, Qt::Key_Left);
    EXPECT_FALSE(zKey(1));

    // Left alone, the mode times out and the arrows page again; each key starts the time anew.
    form->setZKeyModeTimeout(50);
    QTest::mouseClick(form->ZKeyButton(3), Qt::LeftButton);
    EXPECT_TRUE(LoopUntil([form] { return form->picZKeys()->isHidden(); }));
    EXPECT_FALSE(form->zKeyTimeoutRunning());
    EXPECT_TRUE(form->ZKeyButton(1)->text().isEmpty());

    // The virtual keyboard passes the device's keys the same way.
    QTest::mouseClick(form->keyboardButton(), Qt::LeftButton);
    EXPECT_TRUE(form->keyboard()->isVisible());
    EXPECT_EQ(form->keyboardButton()->text(), QStringLiteral(">>"));
    QTest::mouseClick(form->keyboardKey(DisplayKey::Down), Qt::LeftButton);
    ASSERT_TRUE(shows(form, QStringLiteral("Priority Message 2 of 2")));
    QTest::mouseClick(form->keyboardButton(), Qt::LeftButton);
    EXPECT_TRUE(form->keyboard()->isHidden());
}

// Pictures for the documentation, with the virtual keyboard open and Z1 held.
TEST_F(TextDisplayTest, Screenshots) {
    InScreenshotLanguages([this](const QString& language) {
        run_text_form* form = startRun();
        ASSERT_NE(form, nullptr);
        setInput(1, true);
        setInput(2, true);
        ASSERT_TRUE(shows(form, LoadText(8581).arg(1).arg(2)));
        QTest::mouseClick(form->ZKeyButton(kPageDownButton), Qt::LeftButton);
        ASSERT_TRUE(shows(form, LoadText(8581).arg(2).arg(2)));
        QTest::mouseClick(form->keyboardButton(), Qt::LeftButton);
        QTest::mouseClick(form->ZKeyButton(kZKeyModeButton), Qt::LeftButton);
        QTest::mousePress(form->ZKeyButton(0), Qt::LeftButton);
        Shoot(*form, QStringLiteral("run_text_form_") + language);
        QTest::mouseRelease(form->ZKeyButton(0), Qt::LeftButton);
        setInput(1, false);
        setInput(2, false);
        command("mnuSimulationStop")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
}

}  // namespace
}  // namespace bdx

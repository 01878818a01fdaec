#include <QtCore/qnamespace.h>

#include "sim/text_display_control.h"
#include "sim_fixture.h"

namespace bdx {
namespace {

constexpr int kZOpen = 64;    // Zk at 64 + k - 1
constexpr int kZClosed = 68;  // its inverse at 68 + k - 1

// Three active messages X1, X2, X3 (from I1, I2, I3) to page through, and the keys to press.
class TextDisplayControlTest : public SimFixture {
  protected:
    void SetUp() override {
        l.rung(1, 'I', 1, 'X', 1).rung(2, 'I', 2, 'X', 2).rung(3, 'I', 3, 'X', 3);
        for (int m = 0; m < 3; ++m) {
            SetSoftTextLines(l.p, m, {QStringLiteral("Message %1").arg(m + 1)});
        }
        ASSERT_TRUE(prepare(l));
        blocks.softTexts.setDisplayShown(true);
        ASSERT_EQ(scanWith(7), 2);
    }
    // Z1..Z4 as held (1) or not (0), read from the signal table: "1010" is Z1 and Z3 held.
    std::string zKeys() const {
        std::string held;
        for (int k = 0; k < kZKeys; ++k) {
            const bool open = engine.signal(kZOpen + k);
            EXPECT_NE(open, engine.signal(kZClosed + k)) << "Z" << k + 1 << " inverse";
            held += open ? '1' : '0';
        }
        return held;
    }

    Ladder l{8};
    TextDisplayControl control{engine, blocks.softTexts};
};

TEST_F(TextDisplayControlTest, KeyButtonsPageOrPressZKeysByTheMode) {
    enum Kind { Press, Release, KeyDown, KeyUp, Timeout };
    struct Step {
        Kind kind;
        int which;  // button 0..5, or a Qt key
        KeyEffect effect;
        const char* zKeys;
        int scroll;
    };
    const Step steps[] = {
        // Mode off: the second button pages up instead of pressing Z2, the fourth pages down,
        // both held to the scroll bar's range; 0, 2 and 4 do nothing.
        {Press, 1, KeyEffect::PagedUp, "0000", 1},
        {Press, 3, KeyEffect::PagedDown, "0000", 2},
        {Press, 3, KeyEffect::PagedDown, "0000", 3},
        {Press, 3, KeyEffect::PagedDown, "0000", 3},
        {Release, 3, KeyEffect::None, "0000", 3},
        {Press, 1, KeyEffect::PagedUp, "0000", 2},
        {Press, 0, KeyEffect::None, "0000", 2},
        {Press, 2, KeyEffect::None, "0000", 2},
        {Press, 4, KeyEffect::None, "0000", 2},
        // Mode on: buttons 0-3 are Z1-Z4, pressed while the mouse button is down.
        {Press, 5, KeyEffect::ZKeyModeOn, "0000", 2},
        {Press, 0, KeyEffect::ZKeyPressed, "1000", 2},
        {Release, 0, KeyEffect::ZKeyReleased, "0000", 2},
        {Press, 1, KeyEffect::ZKeyPressed, "0100", 2},
        {Press, 3, KeyEffect::ZKeyPressed, "0101", 2},
        {Release, 3, KeyEffect::ZKeyReleased, "0100", 2},
        {Press, 4, KeyEffect::None, "0100", 2},
        // The timeout ends the mode and lets go of the key still held; its release then does nothing.
        {Timeout, 0, KeyEffect::ZKeyModeOff, "0000", 2},
        {Release, 1, KeyEffect::None, "0000", 2},
        {Timeout, 0, KeyEffect::None, "0000", 2},
        // The PC keyboard: the arrows are the same buttons, Backspace the device's Escape.
        {KeyDown, Qt::Key_Up, KeyEffect::PagedUp, "0000", 1},
        {KeyDown, Qt::Key_Down, KeyEffect::PagedDown, "0000", 2},
        {KeyDown, Qt::Key_Left, KeyEffect::None, "0000", 2},
        {KeyDown, Qt::Key_Backspace, KeyEffect::ZKeyModeOn, "0000", 2},
        {KeyDown, Qt::Key_Right, KeyEffect::ZKeyPressed, "0010", 2},
        {KeyDown, Qt::Key_Delete, KeyEffect::None, "0010", 2},
        {KeyDown, Qt::Key_Return, KeyEffect::None, "0010", 2},
        {KeyUp, Qt::Key_Right, KeyEffect::ZKeyReleased, "0000", 2},
        {KeyDown, Qt::Key_Down, KeyEffect::ZKeyPressed, "0001", 2},
        // Switching the mode off with a key held lets go of it too.
        {Press, 5, KeyEffect::ZKeyModeOff, "0000", 2},
        {KeyUp, Qt::Key_Down, KeyEffect::None, "0000", 2},
    };
    int index = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(index++);
        KeyEffect effect = KeyEffect::None;
        switch (s.kind) {
            case Press:
                effect = control.pressButton(s.which);
                break;
            case Release:
                effect = control.releaseButton(s.which);
                break;
            case KeyDown:
            case KeyUp: {
                const std::optional<DisplayKey> key = DisplayKeyOfKeyboard(s.which);
                ASSERT_TRUE(key);
                effect = s.kind == KeyDown ? control.pressKey(*key) : control.releaseKey(*key);
                break;
            }
            case Timeout:
                effect = control.timeoutElapsed();
                break;
        }
        EXPECT_EQ(effect, s.effect);
        EXPECT_EQ(zKeys(), s.zKeys);
        EXPECT_EQ(control.scrollValue(), s.scroll);
    }
    // Keys that are no device keys stay with the window.
    EXPECT_FALSE(DisplayKeyOfKeyboard(Qt::Key_Escape));
    EXPECT_FALSE(DisplayKeyOfKeyboard(Qt::Key_F5));
}

TEST_F(TextDisplayControlTest, ThePagedMessageIsShownAtTheNextScanAndTheRangeFollowsTheActiveMessages) {
    EXPECT_EQ(DisplayCaption(blocks.softTexts), QStringLiteral("Priority Message 1 of 3"));
    EXPECT_EQ(DisplayLines(blocks.softTexts)[0], QStringLiteral("Message 3   "));
    control.pressButton(kPageDownButton);
    control.pressButton(kPageDownButton);
    ASSERT_EQ(scanWith(7), 2);
    EXPECT_EQ(DisplayCaption(blocks.softTexts), QStringLiteral("Priority Message 3 of 3"));
    EXPECT_EQ(DisplayLines(blocks.softTexts)[0], QStringLiteral("Message 1   "));

    // One message gone: the scroll bar shrinks and the value beyond it goes back to the first.
    ASSERT_EQ(scanWith(3), 2);
    EXPECT_EQ(control.scrollMaximum(), 2);
    EXPECT_EQ(control.scrollValue(), 1);
    EXPECT_EQ(DisplayLines(blocks.softTexts)[0], QStringLiteral("Message 2   "));

    // None active: a range of one, nothing to page, a blank display.
    ASSERT_EQ(scanWith(0), 2);
    EXPECT_EQ(control.scrollMaximum(), 1);
    EXPECT_EQ(control.pressButton(kPageDownButton), KeyEffect::PagedDown);
    EXPECT_EQ(control.scrollValue(), 1);
    EXPECT_EQ(DisplayCaption(blocks.softTexts), QStringLiteral("No message"));
    EXPECT_EQ(DisplayLines(blocks.softTexts), QStringList(3, QString(kSoftTextLineLength, u' ')));
}

}  // namespace
}  // namespace bdx

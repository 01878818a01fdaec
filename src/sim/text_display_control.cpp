#include "text_display_control.h"

#include <QtCore/qnamespace.h>

#include <algorithm>

#include "shell/language_table.h"
#include "sim/scan_engine.h"
#include "sim/soft_text_evaluation.h"

namespace bdx {

namespace {

enum TextId {
    NoMessage = 8580,
    PriorityMessage = 8581,  // "Priority Message %1 of %2"
};

constexpr std::uint16_t kZKeyCode = 'Z';

}  // namespace

std::optional<DisplayKey> DisplayKeyOfKeyboard(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return DisplayKey::Enter;
        case Qt::Key_Left:
            return DisplayKey::Left;
        case Qt::Key_Up:
            return DisplayKey::Up;
        case Qt::Key_Right:
            return DisplayKey::Right;
        case Qt::Key_Down:
            return DisplayKey::Down;
        case Qt::Key_Delete:
            return DisplayKey::Delete;
        case Qt::Key_Backspace:
            return DisplayKey::Escape;
        default:
            return std::nullopt;
    }
}

int KeyButtonOf(DisplayKey key) {
    switch (key) {
        case DisplayKey::Left:
            return 0;
        case DisplayKey::Up:
            return 1;
        case DisplayKey::Right:
            return 2;
        case DisplayKey::Down:
            return 3;
        case DisplayKey::Enter:
            return 4;
        case DisplayKey::Escape:
            return kZKeyModeButton;
        case DisplayKey::Delete:
        case DisplayKey::Insert:
            break;
    }
    return -1;
}

QStringList DisplayLines(const SoftTextEvaluation& texts) {
    QStringList lines = texts.lines();
    for (QString& line : lines) {
        line.replace(QChar(0), QChar(u' '));
    }
    return lines;
}

QString DisplayCaption(const SoftTextEvaluation& texts) {
    if (texts.caption().isEmpty()) {
        return QString();
    }
    if (texts.shownRank() == 0) {
        return LoadText(NoMessage);
    }
    return LoadText(PriorityMessage).arg(texts.shownRank()).arg(texts.scrollMaximum());
}

TextDisplayControl::TextDisplayControl(ScanEngine& engine, SoftTextEvaluation& texts)
    : engine_(engine), texts_(texts) {}

KeyEffect TextDisplayControl::pressButton(int button) {
    if (button == kZKeyModeButton) {
        return setZKeyMode(!zKeyMode_);
    }
    if (zKeyMode_ && button >= 0 && button < kZKeys) {
        setZKey(button + 1, true);
        return KeyEffect::ZKeyPressed;
    }
    // Outside the Z-key mode the up and down arrows page; the other keys do nothing here.
    if (!zKeyMode_ && button == kPageUpButton) {
        setScrollValue(scrollValue() - 1);
        return KeyEffect::PagedUp;
    }
    if (!zKeyMode_ && button == kPageDownButton) {
        setScrollValue(scrollValue() + 1);
        return KeyEffect::PagedDown;
    }
    return KeyEffect::None;
}

KeyEffect TextDisplayControl::releaseButton(int button) {
    // A key pressed in the Z-key mode is let go even if the mode ended meanwhile.
    if (button >= 0 && button < kZKeys && zKeyPressed(button + 1)) {
        setZKey(button + 1, false);
        return KeyEffect::ZKeyReleased;
    }
    return KeyEffect::None;
}

KeyEffect TextDisplayControl::pressKey(DisplayKey key) {
    return pressButton(KeyButtonOf(key));
}

KeyEffect TextDisplayControl::releaseKey(DisplayKey key) {
    return releaseButton(KeyButtonOf(key));
}

KeyEffect TextDisplayControl::timeoutElapsed() {
    return zKeyMode_ ? setZKeyMode(false) : KeyEffect::None;
}

KeyEffect TextDisplayControl::setZKeyMode(bool on) {
    zKeyMode_ = on;
    if (!on) {
        // No key stays held once the keys are arrows again.
        for (int k = 1; k <= kZKeys; ++k) {
            if (zKeyPressed(k)) {
                setZKey(k, false);
            }
        }
    }
    return on ? KeyEffect::ZKeyModeOn : KeyEffect::ZKeyModeOff;
}

void TextDisplayControl::setZKey(int k, bool on) {
    const auto bit = static_cast<std::uint8_t>(1u << (k - 1));
    held_ = on ? held_ | bit : held_ & ~bit;
    engine_.setOperand(kZKeyCode, k, on);
}

int TextDisplayControl::scrollMaximum() const {
    return std::max(scrollMinimum(), texts_.scrollMaximum());
}

int TextDisplayControl::scrollValue() const {
    return std::clamp(texts_.scrollValue(), scrollMinimum(), scrollMaximum());
}

void TextDisplayControl::setScrollValue(int value) {
    texts_.setScrollValue(std::clamp(value, scrollMinimum(), scrollMaximum()));
}

}  // namespace bdx

#include "run_text_form.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include "shell/language_table.h"
#include "sim/pc_simulation.h"
#include "ui/widgets/captions.h"
#include "ui/widgets/lcd_display.h"
#include "ui/widgets/z_key_strip.h"

namespace bdx {

namespace {

enum TextId {
    Title = 8582,
    KeyboardTitle = 8583,
    KeyboardButtonTip = 8584,
    ScrollTip = 8585,
    ZKeyHint = 8586,
    ZKeysName = 8587,
    LeftTip = 8590,  // 8591 up, 8592 right, 8593 down, 8594 OK, 8595 ESC, 8596 DEL, 8597 INS
    OkLegend = 8600,
    EscLegend = 8601,
    DelLegend = 8602,
    InsLegend = 8603,
    ShowKeyboard = 8604,  // "<<"
    HideKeyboard = 8605,  // ">>"
    StopHint = 8098,
};

constexpr int kRefreshMilliseconds = 33;  // screen rate
constexpr int kKeySize = 40;

const char* const kStyle = R"(
QPushButton[deviceKey="true"] {
    min-width: 40px; min-height: 30px;
    border: 1px solid #6b717a; border-radius: 7px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f5f7, stop:1 #c9ced6);
    font-weight: bold; color: #23272d;
}
QPushButton[deviceKey="true"]:hover { border-color: #2f80ed; }
QPushButton[deviceKey="true"]:pressed, QPushButton[deviceKey="true"][held="true"] {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1f5fb8, stop:1 #2f80ed);
    color: white; border-color: #174a90;
}
QPushButton[zKey="true"] { color: #1f5fb8; }
QGroupBox {
    border: 1px solid palette(mid); border-radius: 6px;
    margin-top: 1.1em; padding: 6px 8px 8px 8px; font-weight: bold;
}
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QLabel[section="true"] { color: palette(dark); }
QLabel#lblMessageCaption { font-weight: bold; }
)";

// The arrow drawn on a key, pointing left, up, right or down.
QIcon ArrowIcon(DisplayKey key) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(16, 16);
    const qreal turn = key == DisplayKey::Left ? 180 : key == DisplayKey::Up ? 270 : key == DisplayKey::Down ? 90 : 0;
    painter.rotate(turn);
    QPainterPath arrow;
    arrow.moveTo(9, 0);
    arrow.lineTo(-6, -9);
    arrow.lineTo(-6, 9);
    arrow.closeSubpath();
    painter.fillPath(arrow, QColor(0x23, 0x27, 0x2d));
    return QIcon(pixmap);
}

bool IsArrow(DisplayKey key) {
    return key == DisplayKey::Left || key == DisplayKey::Up || key == DisplayKey::Right || key == DisplayKey::Down;
}

// The key buttons in their order, 0-5, as the device keys they are.
constexpr std::array<DisplayKey, kKeyButtons> kButtonKeys = {DisplayKey::Left,  DisplayKey::Up,
                                                            DisplayKey::Right, DisplayKey::Down,
                                                            DisplayKey::Enter, DisplayKey::Escape};

int TipOf(DisplayKey key) {
    switch (key) {
        case DisplayKey::Delete:
            return LeftTip + 6;
        case DisplayKey::Insert:
            return LeftTip + 7;
        default:
            return LeftTip + KeyButtonOf(key);
    }
}

int LegendOf(DisplayKey key) {
    switch (key) {
        case DisplayKey::Enter:
            return OkLegend;
        case DisplayKey::Escape:
            return EscLegend;
        case DisplayKey::Delete:
            return DelLegend;
        case DisplayKey::Insert:
            return InsLegend;
        default:
            return 0;
    }
}

QPushButton* DeviceKeyButton(DisplayKey key, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setProperty("deviceKey", true);
    // The keys act on press and release; the keyboard stays with the window for the device keys.
    button->setFocusPolicy(Qt::NoFocus);
    if (IsArrow(key)) {
        button->setIcon(ArrowIcon(key));
        button->setIconSize({14, 14});
    } else {
        SetTextId(button, LegendOf(key));
    }
    button->setProperty(kToolTipIdProperty, TipOf(key));
    return button;
}

// Restyles a button after a dynamic property its style sheet reads has changed.
void SetStyleFlag(QPushButton* button, const char* name, bool on) {
    if (button->property(name).toBool() != on) {
        button->setProperty(name, on);
        button->style()->unpolish(button);
        button->style()->polish(button);
    }
}

}  // namespace

run_text_form::run_text_form(PcSimulation& simulation, QWidget* parent)
    : QWidget(parent, Qt::Tool), control_(simulation.engine(), simulation.blocks().softTexts) {
    setObjectName(QStringLiteral("run_text_form"));
    SetTextId(this, Title);
    setStyleSheet(QString::fromLatin1(kStyle));
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(6);
    // The window keeps the size of what it shows: the message frame, and the keyboard or the
    // Z keys while they are shown.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("lblMessageCaption"));
    layout->addWidget(caption_);

    auto* messageRow = new QHBoxLayout;
    messageRow->setSpacing(8);
    keyboard_ = buildKeyboard();
    keyboard_->setVisible(false);
    messageRow->addWidget(keyboard_, 0, Qt::AlignTop);
    display_ = new LcdDisplay(this);
    display_->setObjectName(QStringLiteral("lcdMessage"));
    display_->setFixedSize(display_->sizeHint());
    display_->setAccessibleName(LoadText(Title));
    messageRow->addWidget(display_);
    ScrollMsg_ = new QScrollBar(Qt::Vertical, this);
    ScrollMsg_->setObjectName(QStringLiteral("ScrollMsg"));
    ScrollMsg_->setProperty(kToolTipIdProperty, int(ScrollTip));
    ScrollMsg_->setFocusPolicy(Qt::NoFocus);
    ScrollMsg_->setRange(TextDisplayControl::scrollMinimum(), TextDisplayControl::scrollMinimum());
    ScrollMsg_->setPageStep(1);
    connect(ScrollMsg_, &QScrollBar::valueChanged, this, [this](int value) { control_.setScrollValue(value); });
    messageRow->addWidget(ScrollMsg_);
    layout->addLayout(messageRow);

    auto* keyRow = new QHBoxLayout;
    keyboardButton_ = new QPushButton(this);
    keyboardButton_->setObjectName(QStringLiteral("cmdKeyboard"));
    keyboardButton_->setFocusPolicy(Qt::NoFocus);
    keyboardButton_->setFixedWidth(kKeySize);
    SetTextId(keyboardButton_, ShowKeyboard);
    keyboardButton_->setProperty(kToolTipIdProperty, int(KeyboardButtonTip));
    connect(keyboardButton_, &QPushButton::clicked, this, &run_text_form::toggleKeyboard);
    keyRow->addWidget(keyboardButton_, 0, Qt::AlignBottom);
    keyRow->addStretch();
    keyRow->addWidget(buildKeyButtons());
    keyRow->addStretch();
    keyRow->addSpacing(kKeySize);  // balances the keyboard button, so the keys sit in the middle
    layout->addLayout(keyRow);

    zKeySection_ = new QWidget(this);
    zKeySection_->setObjectName(QStringLiteral("fraZKeys"));
    auto* zKeys = new QVBoxLayout(zKeySection_);
    zKeys->setContentsMargins(0, 2, 0, 0);
    zKeys->setSpacing(2);
    picZKeys_ = new ZKeyStrip(zKeySection_);
    picZKeys_->setObjectName(QStringLiteral("picZKeys"));
    picZKeys_->setProperty(kToolTipIdProperty, int(ZKeysName));
    connect(picZKeys_, &ZKeyStrip::keyPressed, this, [this](int k) { apply(control_.pressButton(k - 1)); });
    connect(picZKeys_, &ZKeyStrip::keyReleased, this, [this](int k) { apply(control_.releaseButton(k - 1)); });
    zKeys->addWidget(picZKeys_, 0, Qt::AlignHCenter);
    auto* hint = new QLabel(zKeySection_);
    hint->setObjectName(QStringLiteral("lblZKeyHint"));
    hint->setProperty("section", true);
    SetTextId(hint, ZKeyHint);
    zKeys->addWidget(hint, 0, Qt::AlignHCenter);
    picZKeys_->setVisible(false);
    zKeySection_->setVisible(false);
    layout->addWidget(zKeySection_);

    auto* stop = new QLabel(this);
    stop->setObjectName(QStringLiteral("lblStopHint"));
    stop->setProperty("section", true);
    SetTextId(stop, StopHint);
    layout->addWidget(stop, 0, Qt::AlignRight);

    ApplyCaptions(this);

    refreshTimer_.setInterval(kRefreshMilliseconds);
    connect(&refreshTimer_, &QTimer::timeout, this, &run_text_form::refresh);
    zKeyTimer_.setSingleShot(true);
    zKeyTimer_.setInterval(kZKeyModeTimeoutMs);
    connect(&zKeyTimer_, &QTimer::timeout, this, [this] { apply(control_.timeoutElapsed()); });
}

QWidget* run_text_form::buildKeyButtons() {
    // As on the device: Escape, up and OK above, the other three arrows below.
    auto* keys = new QWidget(this);
    keys->setObjectName(QStringLiteral("fraKeys"));
    auto* grid = new QGridLayout(keys);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);
    constexpr std::array<std::pair<int, int>, kKeyButtons> kPlaces = {
        std::pair{1, 0}, std::pair{0, 1}, std::pair{1, 2}, std::pair{1, 1}, std::pair{0, 2}, std::pair{0, 0}};
    for (int k = 0; k < kKeyButtons; ++k) {
        QPushButton* button = DeviceKeyButton(kButtonKeys[k], keys);
        button->setObjectName(QStringLiteral("ZKeyButton_%1").arg(k));
        connect(button, &QPushButton::pressed, this, [this, k] { apply(control_.pressButton(k)); });
        connect(button, &QPushButton::released, this, [this, k] { apply(control_.releaseButton(k)); });
        grid->addWidget(button, kPlaces[k].first, kPlaces[k].second);
        ZKeyButton_[k] = button;
    }
    return keys;
}

QGroupBox* run_text_form::buildKeyboard() {
    auto* box = new QGroupBox(this);
    box->setObjectName(QStringLiteral("fraKeyboard"));
    SetTextId(box, KeyboardTitle);
    auto* grid = new QGridLayout(box);
    grid->setSpacing(6);
    struct Place {
        DisplayKey key;
        int row;
        int column;
    };
    constexpr Place kPlaces[] = {
        {DisplayKey::Escape, 0, 0}, {DisplayKey::Up, 0, 1},   {DisplayKey::Delete, 0, 2},
        {DisplayKey::Left, 1, 0},   {DisplayKey::Enter, 1, 1}, {DisplayKey::Right, 1, 2},
        {DisplayKey::Insert, 2, 0}, {DisplayKey::Down, 2, 1},
    };
    for (const Place& place : kPlaces) {
        QPushButton* button = DeviceKeyButton(place.key, box);
        const int code = static_cast<int>(place.key);
        button->setObjectName(QStringLiteral("cmdDeviceKey_%1").arg(code));
        const DisplayKey key = place.key;
        connect(button, &QPushButton::pressed, this, [this, key] { apply(control_.pressKey(key)); });
        connect(button, &QPushButton::released, this, [this, key] { apply(control_.releaseKey(key)); });
        grid->addWidget(button, place.row, place.column);
        keyboardKeys_[code] = button;
    }
    return box;
}

void run_text_form::apply(KeyEffect effect) {
    switch (effect) {
        case KeyEffect::ZKeyModeOn:
            showZKeyMode(true);
            zKeyTimer_.start();
            break;
        case KeyEffect::ZKeyModeOff:
            zKeyTimer_.stop();
            showZKeyMode(false);
            break;
        case KeyEffect::ZKeyPressed:
            zKeyTimer_.start();  // the mode lasts while the keys are used
            break;
        case KeyEffect::PagedUp:
        case KeyEffect::PagedDown:
        case KeyEffect::ZKeyReleased:
        case KeyEffect::None:
            break;
    }
    for (int k = 1; k <= kZKeys; ++k) {
        picZKeys_->setPressed(k, control_.zKeyPressed(k));
    }
    refresh();
}

void run_text_form::showZKeyMode(bool on) {
    // In the Z-key mode the four arrows are the keys Z1-Z4 and say so.
    for (int k = 0; k < kZKeys; ++k) {
        QPushButton* button = ZKeyButton_[k];
        button->setIcon(on ? QIcon() : ArrowIcon(kButtonKeys[k]));
        button->setText(on ? QStringLiteral("Z%1").arg(k + 1) : QString());
        SetStyleFlag(button, "zKey", on);
    }
    SetStyleFlag(ZKeyButton_[kZKeyModeButton], "held", on);
    picZKeys_->setVisible(on);
    zKeySection_->setVisible(on);
    Q_EMIT zKeyModeChanged(on);
}

void run_text_form::setZKeyMode(bool on) {
    if (control_.zKeyMode() != on) {
        apply(control_.pressButton(kZKeyModeButton));
        apply(control_.releaseButton(kZKeyModeButton));
    }
}

void run_text_form::toggleKeyboard() {
    const bool show = keyboard_->isHidden();
    keyboard_->setVisible(show);
    keyboardButton_->setText(LoadText(show ? HideKeyboard : ShowKeyboard));
    SetTextId(keyboardButton_, show ? HideKeyboard : ShowKeyboard);
}

void run_text_form::showKeyDown(DisplayKey key, bool down) {
    const int button = KeyButtonOf(key);
    if (button >= 0 && button != kZKeyModeButton) {
        ZKeyButton_[button]->setDown(down);
    }
    keyboardKeys_[static_cast<int>(key)]->setDown(down);
}

void run_text_form::refresh() {
    const SoftTextEvaluation& texts = control_.texts();
    display_->setLines(DisplayLines(texts));
    const QString caption = DisplayCaption(texts);
    if (caption_->text() != caption) {
        caption_->setText(caption);
    }
    const QSignalBlocker blocker(ScrollMsg_);
    ScrollMsg_->setRange(TextDisplayControl::scrollMinimum(), control_.scrollMaximum());
    ScrollMsg_->setValue(control_.scrollValue());
    ScrollMsg_->setEnabled(control_.scrollMaximum() > TextDisplayControl::scrollMinimum());
}

void run_text_form::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F5 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        Q_EMIT stopRequested();
        return;
    }
    const std::optional<DisplayKey> key = DisplayKeyOfKeyboard(event->key());
    if (!key) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A key held down repeats on the PC; the device sees one press until it is let go.
    if (!event->isAutoRepeat()) {
        showKeyDown(*key, true);
        apply(control_.pressKey(*key));
    }
}

void run_text_form::keyReleaseEvent(QKeyEvent* event) {
    const std::optional<DisplayKey> key = DisplayKeyOfKeyboard(event->key());
    if (!key) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (!event->isAutoRepeat()) {
        showKeyDown(*key, false);
        apply(control_.releaseKey(*key));
    }
}

void run_text_form::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    Q_EMIT closed();
}

void run_text_form::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
    refreshTimer_.start();
}

void run_text_form::hideEvent(QHideEvent* event) {
    refreshTimer_.stop();
    // Hidden, the window can no longer show the mode nor let go of a key: both end here.
    apply(control_.timeoutElapsed());
    QWidget::hideEvent(event);
}

}  // namespace bdx

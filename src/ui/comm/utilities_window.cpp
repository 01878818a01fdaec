#include "utilities_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "comm/comm_link.h"
#include "comm/device_protocol.h"
#include "comm/device_utilities.h"
#include "device_busy_bar.h"
#include "frm_password_dialogs.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    NewLevel1 = 171,
    ConfirmLevel1 = 172,
    OldLevel1 = 173,
    WritingStatus = 4297,
    CloseCaption = 8310,
    Level1Group = 8311,
    Level2Group = 8312,
    NewLevel2 = 8313,
    ConfirmLevel2 = 8314,
    OldLevel2 = 8315,
    ChangeCaption = 8316,
    SaveCaption = 8317,
    RemoveCaption = 8318,
    PanelGroup = 8345,
    ChooseLevelHint = 8346,
};

}  // namespace

Prompter& UtilitiesWiring::prompter() const {
    return link->prompter();
}

bool UtilitiesWiring::hasLevel2() const {
    return modelIndex >= ConfigLayout::FirstLargeModel;
}

QLineEdit* PasswordBox(QWidget* parent, const QString& objectName) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setMaxLength(4);
    box->setEchoMode(QLineEdit::Password);
    box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,4}")), box));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 20);
    return box;
}

// --- UtilitiesWindow ---------------------------------------------------------------------------

UtilitiesWindow::UtilitiesWindow(const UtilitiesWiring& wiring, const char* objectName, int titleId,
                                 QWidget* parent)
    : QDialog(parent), wiring_(wiring) {
    setObjectName(QString::fromLatin1(objectName));
    setModal(true);
    SetTextId(this, titleId);
    busy_ = new DeviceBusyBar(*wiring_.link, this, this);
}

void UtilitiesWindow::finishLayout(QLayout* controls) {
    auto* close = CommandButton(this, "cmdClose", CloseCaption);
    connect(close, &QPushButton::clicked, this, &UtilitiesWindow::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(busy_, 1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addStretch(1);
    layout->addLayout(bottom);
    ApplyCaptions(this);
}

bool UtilitiesWindow::act(const QString& status, const std::function<bool(DeviceUtilities&)>& action) {
    return busy_->run(status, [this, &action] {
        DeviceUtilities utilities(wiring_.link->session());
        if (wiring_.configure) {
            wiring_.configure(utilities);
        }
        return action(utilities);
    });
}

void UtilitiesWindow::reject() {
    if (!busy_->running()) {
        QDialog::reject();
    }
}

void UtilitiesWindow::closeEvent(QCloseEvent* event) {
    if (busy_->running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

// The password boxes, run under this window's busy line.
DevicePasswordPanel* UtilitiesWindow::passwordPanel() {
    return new DevicePasswordPanel(
        wiring_,
        [this](const QString& status, const std::function<bool(DeviceUtilities&)>& a) { return act(status, a); },
        this);
}

// --- DevicePasswordPanel -----------------------------------------------------------------------

DevicePasswordPanel::DevicePasswordPanel(const UtilitiesWiring& wiring, Act act, QWidget* parent)
    : QWidget(parent), wiring_(wiring), act_(std::move(act)) {
    setObjectName(QStringLiteral("passwordPanel"));
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraPasswords"));
    SetTextId(frame, PanelGroup);
    auto* inner = new QVBoxLayout(frame);
    level1_ = addLevel(inner, 1);
    level2_ = addLevel(inner, 2);
    // Devices of the smaller models know a level-1 password only.
    level2_.group->setVisible(wiring_.hasLevel2());

    hint_ = new QLabel(frame);
    hint_->setObjectName(QStringLiteral("lblPasswordHint"));
    SetTextId(hint_, ChooseLevelHint);
    hint_->setWordWrap(true);
    inner->addWidget(hint_);

    auto* change = CommandButton(frame, "SetPasswordButton", ChangeCaption);
    okButton_ = CommandButton(frame, "OKPasswordButton", SaveCaption);
    removeButton_ = CommandButton(frame, "RemovePassswordButton", RemoveCaption);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(change);
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(removeButton_);
    inner->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frame);

    connect(change, &QPushButton::clicked, this, &DevicePasswordPanel::SetPasswordButton_Click);
    connect(okButton_, &QPushButton::clicked, this, &DevicePasswordPanel::OKPasswordButton_Click);
    connect(removeButton_, &QPushButton::clicked, this, &DevicePasswordPanel::RemovePassswordButton_Click);
    selectLevel(0);
}

DevicePasswordPanel::Boxes DevicePasswordPanel::addLevel(QVBoxLayout* layout, int level) {
    const QString suffix = level == 2 ? QStringLiteral("lvl2") : QString();
    Boxes b;
    b.group = new QGroupBox(this);
    b.group->setObjectName(level == 2 ? QStringLiteral("fraLevel2") : QStringLiteral("fraLevel1"));
    SetTextId(b.group, level == 2 ? Level2Group : Level1Group);
    b.oldPass = PasswordBox(b.group, QStringLiteral("txtOldPass") + suffix);
    b.newPass = PasswordBox(b.group, QStringLiteral("txtNewPass") + suffix);
    b.confirmPass = PasswordBox(b.group, QStringLiteral("txtConfirmPass") + suffix);
    auto* form = new QFormLayout(b.group);
    const auto row = [&](int textId, QLineEdit* box) {
        auto* label = new QLabel(b.group);
        SetTextId(label, textId);
        label->setBuddy(box);
        form->addRow(label, box);
    };
    row(level == 2 ? OldLevel2 : OldLevel1, b.oldPass);
    row(level == 2 ? NewLevel2 : NewLevel1, b.newPass);
    row(level == 2 ? ConfirmLevel2 : ConfirmLevel1, b.confirmPass);
    layout->addWidget(b.group);
    return b;
}

void DevicePasswordPanel::selectLevel(int level) {
    level_ = level;
    level1_.group->setEnabled(level == 1);
    level2_.group->setEnabled(level == 2);
    okButton_->setEnabled(level != 0);
    removeButton_->setEnabled(level != 0);
    hint_->setVisible(level == 0);
    if (level != 0) {
        boxes(level).oldPass->setFocus();
    }
}

void DevicePasswordPanel::clearBoxes() {
    for (const Boxes* b : {&level1_, &level2_}) {
        b->oldPass->clear();
        b->newPass->clear();
        b->confirmPass->clear();
    }
}

void DevicePasswordPanel::SetPasswordButton_Click() {
    if (!wiring_.hasLevel2()) {
        selectLevel(1);
        return;
    }
    frmPasswordSelection selection(this);
    selection.setLevel(level_ == 0 ? 1 : level_);
    if (wiring_.runDialog(selection) == DialogResult::Accepted) {
        selectLevel(selection.level());
    }
}

void DevicePasswordPanel::OKPasswordButton_Click() {
    if (level_ == 0) {
        return;
    }
    const Boxes& b = boxes(level_);
    const int level = level_;
    const QString oldText = b.oldPass->text();
    const QString newText = b.newPass->text();
    const QString confirmText = b.confirmPass->text();
    if (act_(LoadText(WritingStatus),
             [&](DeviceUtilities& u) { return u.SetPassword(level, oldText, newText, confirmText); })) {
        clearBoxes();
    }
}

void DevicePasswordPanel::RemovePassswordButton_Click() {
    if (level_ == 0) {
        return;
    }
    const int level = level_;
    const QString oldText = boxes(level_).oldPass->text();
    if (act_(LoadText(WritingStatus), [&](DeviceUtilities& u) { return u.RemovePassword(level, oldText); })) {
        clearBoxes();
    }
}

}  // namespace bdx

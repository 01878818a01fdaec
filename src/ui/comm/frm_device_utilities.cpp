#include "frm_device_utilities.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "comm/device_utilities.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    ResetExplanation = 712,
    WritingStatus = 4297,
    ReadingStatus = 8142,
    ReadCaption = 8188,
    WriteCaption = 8189,
    UtilitiesTitle = 8300,
    StartCaption = 8301,
    StopCaption = 8302,
    ModeGroup = 8303,
    BacklightGroup = 8304,
    AutoOption = 8305,
    OnOption = 8306,
    OffOption = 8307,
    SetModeCaption = 8308,
    ResetConfigCaption = 8309,
    ResetTitle = 8319,
    Level1Option = 8336,
    Level2Option = 8337,
    NoPasswordOption = 8338,
    ResetGroup = 8339,
    StartingStatus = 8343,
    StoppingStatus = 8344,
};

QRadioButton* option(QWidget* parent, const char* name, int textId) {
    auto* button = new QRadioButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    SetTextId(button, textId);
    return button;
}

// Start and Stop, shared by both utility windows.
QGroupBox* modeGroup(UtilitiesWindow* window, const std::function<void()>& start,
                     const std::function<void()>& stop) {
    auto* group = new QGroupBox(window);
    group->setObjectName(QStringLiteral("fraDeviceMode"));
    SetTextId(group, ModeGroup);
    auto* startButton = CommandButton(group, "btnDeviceStart", StartCaption);
    auto* stopButton = CommandButton(group, "btnDeviceStop", StopCaption);
    QObject::connect(startButton, &QPushButton::clicked, window, start);
    QObject::connect(stopButton, &QPushButton::clicked, window, stop);
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(startButton);
    layout->addWidget(stopButton);
    layout->addStretch(1);
    return group;
}

}  // namespace

// --- frmDeviceUtilities ------------------------------------------------------------------------

frmDeviceUtilities::frmDeviceUtilities(const UtilitiesWiring& wiring, QWidget* parent)
    : UtilitiesWindow(wiring, "frmDeviceUtilities", UtilitiesTitle, parent) {
    QGroupBox* mode = modeGroup(
        this, [this] { btnDeviceStart_Click(); }, [this] { btnDeviceStop_Click(); });

    auto* backlight = new QGroupBox(this);
    backlight->setObjectName(QStringLiteral("fraBacklight"));
    SetTextId(backlight, BacklightGroup);
    OptAuto_ = option(backlight, "OptAuto", AutoOption);
    optOn_ = option(backlight, "optOn", OnOption);
    optOff_ = option(backlight, "optOff", OffOption);
    auto* setMode = CommandButton(backlight, "SetModeButton", SetModeCaption);
    auto* backlightLayout = new QHBoxLayout(backlight);
    backlightLayout->addWidget(OptAuto_);
    backlightLayout->addWidget(optOn_);
    backlightLayout->addWidget(optOff_);
    backlightLayout->addStretch(1);
    backlightLayout->addWidget(setMode);
    connect(setMode, &QPushButton::clicked, this, &frmDeviceUtilities::SetModeButton_Click);

    auto* resetConfig = CommandButton(this, "cmdSetRstPassConf", ResetConfigCaption);
    connect(resetConfig, &QPushButton::clicked, this, &frmDeviceUtilities::cmdSetRstPassConf_Click);

    auto* controls = new QVBoxLayout;
    controls->addWidget(mode);
    controls->addWidget(backlight);
    controls->addWidget(resetConfig, 0, Qt::AlignLeft);
    finishLayout(controls);
}

void frmDeviceUtilities::btnDeviceStart_Click() {
    act(LoadText(StartingStatus), [](DeviceUtilities& u) { return u.StartDevice(); });
}

void frmDeviceUtilities::btnDeviceStop_Click() {
    act(LoadText(StoppingStatus), [](DeviceUtilities& u) { return u.StopDeviceCommand(); });
}

void frmDeviceUtilities::SetModeButton_Click() {
    std::optional<BacklightMode> mode;
    if (OptAuto_->isChecked()) {
        mode = BacklightMode::Auto;
    } else if (optOn_->isChecked()) {
        mode = BacklightMode::On;
    } else if (optOff_->isChecked()) {
        mode = BacklightMode::Off;
    }
    act(LoadText(WritingStatus), [mode](DeviceUtilities& u) { return u.SetBacklightMode(mode); });
}

void frmDeviceUtilities::cmdSetRstPassConf_Click() {
    frmSetRstPasswordConf dialog(wiring_, this);
    wiring_.runDialog(dialog);
}

// --- frmDeviceUtilities_Other ------------------------------------------------------------------

frmDeviceUtilities_Other::frmDeviceUtilities_Other(const UtilitiesWiring& wiring, QWidget* parent)
    : UtilitiesWindow(wiring, "frmDeviceUtilities_Other", UtilitiesTitle, parent) {
    QGroupBox* mode = modeGroup(
        this, [this] { act(LoadText(StartingStatus), [](DeviceUtilities& u) { return u.StartDevice(); }); },
        [this] { act(LoadText(StoppingStatus), [](DeviceUtilities& u) { return u.StopDeviceCommand(); }); });
    passwords_ = passwordPanel();
    auto* controls = new QVBoxLayout;
    controls->addWidget(mode);
    controls->addWidget(passwords_);
    finishLayout(controls);
}

// --- frmSetRstPasswordConf ---------------------------------------------------------------------

frmSetRstPasswordConf::frmSetRstPasswordConf(const UtilitiesWiring& wiring, QWidget* parent)
    : UtilitiesWindow(wiring, "frmSetRstPasswordConf", ResetTitle, parent) {
    auto* explanation = new QLabel(this);
    explanation->setObjectName(QStringLiteral("lblExplanation"));
    SetTextId(explanation, ResetExplanation);
    explanation->setWordWrap(true);

    auto* group = new QGroupBox(this);
    group->setObjectName(QStringLiteral("fraResetPassword"));
    SetTextId(group, ResetGroup);
    radLevel1Password_ = option(group, "radLevel1Password", Level1Option);
    radLevel2Password_ = option(group, "radLevel2Password", Level2Option);
    radNoPassword_ = option(group, "radNoPassword", NoPasswordOption);
    auto* read = CommandButton(group, "btnRead", ReadCaption);
    auto* ok = CommandButton(group, "btnOK", WriteCaption);
    // Nothing is chosen until the device has been read or the user picks: a stray OK must not
    // take a protection away.
    ok->setEnabled(false);
    for (QRadioButton* choice : {radLevel1Password_, radLevel2Password_, radNoPassword_}) {
        connect(choice, &QRadioButton::toggled, ok, [ok] { ok->setEnabled(true); });
    }
    auto* choices = new QVBoxLayout;
    choices->addWidget(radLevel1Password_);
    choices->addWidget(radLevel2Password_);
    choices->addWidget(radNoPassword_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(read);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addLayout(choices, 1);
    groupLayout->addLayout(buttons);
    connect(read, &QPushButton::clicked, this, &frmSetRstPasswordConf::btnRead_Click);
    connect(ok, &QPushButton::clicked, this, &frmSetRstPasswordConf::btnOK_Click);

    auto* passwords = passwordPanel();

    auto* controls = new QVBoxLayout;
    controls->addWidget(explanation);
    controls->addWidget(group);
    controls->addWidget(passwords);
    finishLayout(controls);
    setMinimumWidth(460);
}

void frmSetRstPasswordConf::btnRead_Click() {
    std::optional<ResetPassword> found;
    act(LoadText(ReadingStatus), [&found](DeviceUtilities& u) {
        found = u.ReadResetPassword();
        return found.has_value();
    });
    if (!found) {
        return;
    }
    switch (*found) {
        case ResetPassword::Level1:
            radLevel1Password_->setChecked(true);
            break;
        case ResetPassword::Level2:
            radLevel2Password_->setChecked(true);
            break;
        case ResetPassword::None:
            radNoPassword_->setChecked(true);
            break;
    }
}

void frmSetRstPasswordConf::btnOK_Click() {
    ResetPassword choice = ResetPassword::None;
    if (radLevel1Password_->isChecked()) {
        choice = ResetPassword::Level1;
    } else if (radLevel2Password_->isChecked()) {
        choice = ResetPassword::Level2;
    } else if (!radNoPassword_->isChecked()) {
        return;
    }
    act(LoadText(WritingStatus), [choice](DeviceUtilities& u) { return u.SetResetPassword(choice); });
}

}  // namespace bdx

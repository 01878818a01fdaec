#include "frm_update_firmware.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "comm/comm_link.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CloseCaption = 4086,
    StopCaption = 8100,
    Title = 8405,
    PackageLabel = 8406,
    BrowseCaption = 8407,
    VersionLabel = 8408,
    BuiltLabel = 8409,
    UpdateCaption = 8410,
    VerifyCaption = 8411,
    ChooseNote = 8412,
    StillRunning = 8413,
    ChooserCaption = 8414,
    UpdatedNote = 8419,
    NotUpdatedNote = 8420,
    StoppedNote = 8421,
};

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00/00/00 00:00:00")) + 8);
    return label;
}

}  // namespace

frmUpdateFirmware::frmUpdateFirmware(CommLink& link, const QString& imageFolder, QWidget* parent)
    : QDialog(parent), link_(link), update_(link.session(), imageFolder, this) {
    setObjectName(QStringLiteral("frmUpdateFirmware"));
    setModal(true);
    SetTextId(this, Title);
    buildLayout();
    ApplyCaptions(this);
    NameForAccessibility(this);

    connect(BrowseBinFile_, &QPushButton::clicked, this, &frmUpdateFirmware::BrowseBinFile_Click);
    connect(WriteHexFileButton_, &QPushButton::clicked, this, &frmUpdateFirmware::WriteHexFileButton_Click);
    connect(StopButton_, &QPushButton::clicked, this, &frmUpdateFirmware::StopButton_Click);
    connect(Command1_, &QPushButton::clicked, this, &frmUpdateFirmware::reject);
    setIdleControls();
    lblNote_->setText(LoadText(ChooseNote));
}

frmUpdateFirmware::~frmUpdateFirmware() = default;

void frmUpdateFirmware::setShowCommSettings(std::function<void()> show) {
    update_.showCommSettings = std::move(show);
}

void frmUpdateFirmware::buildLayout() {
    txtBinFile_ = new QLineEdit(this);
    txtBinFile_->setObjectName(QStringLiteral("txtBinFile"));
    txtBinFile_->setReadOnly(true);
    txtBinFile_->setMinimumWidth(txtBinFile_->fontMetrics().averageCharWidth() * 48);
    BrowseBinFile_ = CommandButton(this, "BrowseBinFile", BrowseCaption);
    lblVersion_ = valueLabel(this, "lblVersion");
    lblDateTime_ = valueLabel(this, "lblDateTime");
    WriteHexFileButton_ = CommandButton(this, "WriteHexFileButton", UpdateCaption);
    WriteHexFileButton_->setDefault(true);
    StopButton_ = CommandButton(this, "StopButton", StopCaption);
    chkVerify_ = new QCheckBox(this);
    chkVerify_->setObjectName(QStringLiteral("chkVerify"));
    SetTextId(chkVerify_, VerifyCaption);
    chkVerify_->setChecked(true);
    prgBar_ = new QProgressBar(this);
    prgBar_->setObjectName(QStringLiteral("prgBar"));
    prgBar_->setRange(0, 1);
    prgBar_->setValue(0);
    lblNote_ = new QLabel(this);
    lblNote_->setObjectName(QStringLiteral("lblNote"));
    lblNote_->setWordWrap(true);
    lblNote_->setMinimumHeight(lblNote_->fontMetrics().height() * 2);
    Command1_ = CommandButton(this, "Command1", CloseCaption);

    auto* packageLabel = CaptionLabel(this, PackageLabel);
    packageLabel->setBuddy(BrowseBinFile_);
    auto* grid = new QGridLayout;
    grid->addWidget(packageLabel, 0, 0);
    grid->addWidget(txtBinFile_, 0, 1, 1, 2);
    grid->addWidget(BrowseBinFile_, 0, 3);
    grid->addWidget(CaptionLabel(this, VersionLabel), 1, 0);
    grid->addWidget(lblVersion_, 1, 1);
    grid->addWidget(CaptionLabel(this, BuiltLabel), 2, 0);
    grid->addWidget(lblDateTime_, 2, 1);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkVerify_);
    buttons->addStretch(1);
    buttons->addWidget(WriteHexFileButton_);
    buttons->addWidget(StopButton_);
    buttons->addWidget(Command1_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(prgBar_);
    layout->addWidget(lblNote_);
    layout->addLayout(buttons);
}

void frmUpdateFirmware::setIdleControls() {
    BrowseBinFile_->setEnabled(true);
    WriteHexFileButton_->setEnabled(update_.packageReady());
    chkVerify_->setEnabled(true);
    Command1_->setEnabled(true);
    StopButton_->setEnabled(false);
}

void frmUpdateFirmware::BrowseBinFile_Click() {
    if (running_) {
        return;
    }
    FileChoice choice;
    choice.caption = LoadText(ChooserCaption);
    choice.filter = QStringLiteral("(*.QVEX) (*.qvex)");
    choice.directory =
        txtBinFile_->text().isEmpty() ? QString() : QFileInfo(txtBinFile_->text()).absolutePath();
    const QString path = link_.prompter().chooseOpenFile(choice);
    if (path.isEmpty()) {
        return;
    }
    txtBinFile_->setText(QDir::toNativeSeparators(path));
    // selectPackage tells why a package cannot be used; the version shows whenever it could be read.
    const bool ready = update_.selectPackage(path);
    lblVersion_->setText(update_.version());
    lblDateTime_->setText(update_.dateTime());
    prgBar_->setRange(0, 1);
    prgBar_->setValue(0);
    lblNote_->setText(ready ? QString() : LoadText(ChooseNote));
    setIdleControls();
    if (ready) {
        WriteHexFileButton_->setFocus();
    }
}

void frmUpdateFirmware::WriteHexFileButton_Click() {
    if (running_ || !update_.packageReady()) {
        return;
    }
    running_ = true;
    BrowseBinFile_->setEnabled(false);
    WriteHexFileButton_->setEnabled(false);
    chkVerify_->setEnabled(false);
    Command1_->setEnabled(false);
    StopButton_->setEnabled(true);
    StopButton_->setFocus();
    prgBar_->setRange(0, 1);
    prgBar_->setValue(0);
    lblNote_->clear();
    {
        // Errors of the link during the update answer what the user asked for: in a box.
        const CommLink::Action action(link_);
        lastResult_ = update_.run(chkVerify_->isChecked());
    }
    running_ = false;
    switch (lastResult_) {
        case FirmwareResult::Updated:
            lblNote_->setText(LoadText(UpdatedNote));
            break;
        case FirmwareResult::Stopped:
            lblNote_->setText(LoadText(StoppedNote));
            break;
        case FirmwareResult::Failed:
            lblNote_->setText(LoadText(NotUpdatedNote));
            break;
        case FirmwareResult::Refused:
        case FirmwareResult::Declined:
            lblNote_->clear();
            break;
    }
    setIdleControls();
}

void frmUpdateFirmware::StopButton_Click() {
    if (running_) {
        update_.stop();
    }
}

void frmUpdateFirmware::setRange(int minimum, int maximum) {
    prgBar_->setRange(minimum, maximum);
}

void frmUpdateFirmware::setValue(int value) {
    prgBar_->setValue(value);
}

void frmUpdateFirmware::setStatus(const QString& text) {
    lblNote_->setText(text);
}

bool frmUpdateFirmware::refuseWhileRunning() {
    if (!running_) {
        return false;
    }
    lblNote_->setText(LoadText(StillRunning));
    return true;
}

void frmUpdateFirmware::reject() {
    if (!refuseWhileRunning()) {
        QDialog::reject();
    }
}

void frmUpdateFirmware::closeEvent(QCloseEvent* event) {
    if (refuseWhileRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace bdx

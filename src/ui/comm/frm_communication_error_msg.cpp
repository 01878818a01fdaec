#include "frm_communication_error_msg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "comm/comm_link.h"
#include "comm/comm_texts.h"
#include "comm/device_protocol.h"
#include "shell/language_table.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CancelCaption = 8083,
    Title = 8415,
    TryAgainCaption = 8416,
    ScanCaption = 8417,
    ScanCancelCaption = 8418,
};

}  // namespace

QString CommunicationErrorLines(bool ethernet) {
    // The same pieces as the plain warning, one reason a line.
    const auto piece = [](int id) { return LoadText(id).trimmed(); };
    return QStringList{
        piece(CommText::NoReplyBecause),
        piece(ethernet ? CommText::DialogEthernetCableReason : CommText::DialogSerialCableReason),
        piece(CommText::DialogNotPoweredReason),
        piece(CommText::VerifyConnection),
        QString(),
        piece(CommText::DialogScanHint)}
        .join(u'\n');
}

frmCommunicationErrorMsg::frmCommunicationErrorMsg(CommLink& link, bool ethernet, QWidget* parent)
    : QDialog(parent), link_(link) {
    setObjectName(QStringLiteral("frmCommunicationErrorMsg"));
    setModal(true);
    SetTextId(this, Title);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgWarning"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    text_ = new QLabel(CommunicationErrorLines(ethernet), this);
    text_->setObjectName(QStringLiteral("CommunicationErrorText"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setMinimumWidth(text_->fontMetrics().averageCharWidth() * 78);
    btTryAgain_ = CommandButton(this, "btTryAgain", TryAgainCaption);
    btTryAgain_->setDefault(true);
    btScanModbusID_ = CommandButton(this, "btScanModbusID", ScanCaption);
    btScanCancel_ = CommandButton(this, "btScanCancel", ScanCancelCaption);
    btCancel_ = CommandButton(this, "btCancel", CancelCaption);
    prgScan_ = new QProgressBar(this);
    prgScan_->setObjectName(QStringLiteral("prgScan"));
    prgScan_->setRange(DeviceAddress::FirstId, DeviceAddress::LastId);
    prgScan_->setFormat(QStringLiteral("%v / %m"));

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btTryAgain_);
    buttons->addWidget(btScanModbusID_);
    buttons->addWidget(btScanCancel_);
    buttons->addStretch(1);
    buttons->addWidget(btCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(prgScan_);
    layout->addLayout(buttons);

    ApplyCaptions(this);
    NameForAccessibility(this);

    connect(btTryAgain_, &QPushButton::clicked, this, &frmCommunicationErrorMsg::accept);
    connect(btScanModbusID_, &QPushButton::clicked, this, &frmCommunicationErrorMsg::btScanModbusID_Click);
    connect(btScanCancel_, &QPushButton::clicked, this, &frmCommunicationErrorMsg::btScanCancel_Click);
    connect(btCancel_, &QPushButton::clicked, this, &frmCommunicationErrorMsg::reject);
    showScanning(false);
}

frmCommunicationErrorMsg::~frmCommunicationErrorMsg() = default;

void frmCommunicationErrorMsg::showScanning(bool scanning) {
    prgScan_->setVisible(scanning);
    btScanCancel_->setEnabled(scanning);
    btScanModbusID_->setEnabled(!scanning);
    btTryAgain_->setEnabled(!scanning);
}

void frmCommunicationErrorMsg::btScanModbusID_Click() {
    if (scanning_) {
        return;
    }
    scanning_ = true;
    found_ = false;
    closeWhenDone_ = -1;
    prgScan_->setValue(DeviceAddress::FirstId);
    showScanning(true);
    btScanCancel_->setFocus();
    // The search talks on the line the report came from: the serial one.
    const bool wasEthernet = link_.state().IsEthernet;
    link_.state().IsEthernet = false;
    {
        const CommLink::Action action(link_);
        DeviceUtilities utilities(link_.session());
        utilities.saveSettings = saveSettings_;
        search_ = &utilities;
        found_ = utilities.ScanModbusId(this) == IdSearchResult::Found;
        search_ = nullptr;
    }
    link_.state().IsEthernet = wasEthernet;
    scanning_ = false;
    showScanning(false);
    if (closeWhenDone_ >= 0) {
        done(closeWhenDone_);
    } else if (found_) {
        // Nothing left to do here: the user repeats the operation with the address found.
        accept();
    }
}

void frmCommunicationErrorMsg::btScanCancel_Click() {
    if (search_ != nullptr) {
        search_->CancelIdSearch();  // the search ends before the next address
    }
}

void frmCommunicationErrorMsg::setRange(int minimum, int maximum) {
    prgScan_->setRange(minimum, maximum);
}

void frmCommunicationErrorMsg::setValue(int value) {
    prgScan_->setValue(value);
}

void frmCommunicationErrorMsg::accept() {
    if (scanning_) {
        closeWhenDone_ = Accepted;
        btScanCancel_Click();
        return;
    }
    QDialog::accept();
}

void frmCommunicationErrorMsg::reject() {
    if (scanning_) {
        closeWhenDone_ = Rejected;
        btScanCancel_Click();
        return;
    }
    QDialog::reject();
}

void frmCommunicationErrorMsg::closeEvent(QCloseEvent* event) {
    if (scanning_) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace bdx

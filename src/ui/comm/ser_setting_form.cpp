#include "ser_setting_form.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "blocks/device_model.h"
#include "comm/comm_link.h"
#include "comm/port_access.h"
#include "device_busy_bar.h"
#include "shell/language_table.h"
#include "shell/prompter.h"
#include "ui/widgets/captions.h"

namespace bdx {

namespace {

enum TextId {
    CommPortTitle = 265,
    SelectPort = 4289,
    UsbPortOption = 4290,
    SerialPortOption = 4292,
    ModbusIdLabel = 4293,
    OkCaption = 8082,
    CancelCaption = 8083,
    EthernetOption = 8180,
    BaudRateLabel = 8181,
    ParityLabel = 8182,
    StopBitLabel = 8183,
    IpAddressLabel = 8184,
    PortNumberLabel = 8185,
    ConnectCaption = 8186,
    DisconnectCaption = 8187,
    ReadParameters = 8188,
    WriteParameters = 8189,
    WritingDevice = 4297,
    ReadingDevice = 8142,
    ModbusIdRange = 8797,  // the same text as OK's refusal
    Connecting = 8474,
};

QLineEdit* digitBox(QWidget* parent, const char* name, int digits) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(digits);
    box->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), box));
    box->setAlignment(Qt::AlignRight);
    // Room for the digits and a little air, whatever the font.
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QString(digits + 1, u'0')) + 14);
    return box;
}

QString joinedAddress(const std::array<QString, 4>& parts) {
    return QStringList(parts.begin(), parts.end()).join(u'.');
}

int indexOrFirst(int index, int count) {
    return index >= 0 && index < count ? index : 0;
}

// The device-parameter exchange runs over the transport the dialog shows, which may not yet be
// the one in the settings: the state follows the dialog for the exchange and is put back after.
class SelectionScope {
  public:
    SelectionScope(CommState& state, const ser_setting_form& form, Prompter& prompter,
                   const SerialPortLister& lister, const SerialPortProbe& probe)
        : state_(state),
          isEthernet_(state.IsEthernet),
          commPort_(state.CommPort),
          serialPortPath_(state.SerialPortPath) {
        state.IsEthernet = form.optEthernet()->isChecked();
        if (form.optUSB()->isChecked()) {
            ready_ = FindUsbPort(state, prompter, lister, probe) == UsbPortResult::Found;
        } else if (form.optUART()->isChecked()) {
            state.SerialPortPath = form.cmbCommPort()->currentText().trimmed();
        }
    }
    ~SelectionScope() {
        state_.IsEthernet = isEthernet_;
        state_.CommPort = commPort_;
        state_.SerialPortPath = serialPortPath_;
    }
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

    bool ready() const { return ready_; }

  private:
    CommState& state_;
    bool isEthernet_;
    std::uint16_t commPort_;
    QString serialPortPath_;
    bool ready_ = true;
};

}  // namespace

ser_setting_form::ser_setting_form(CommLink& link, int modelIndex, QWidget* parent, SerialPortLister lister,
                                   SerialPortProbe probe)
    : QDialog(parent),
      link_(link),
      modelIndex_(modelIndex),
      lister_(std::move(lister)),
      probe_(std::move(probe)) {
    setObjectName(QStringLiteral("ser_setting_form"));
    setModal(true);
    setWindowTitle(WithoutAccelerators(LoadText(CommPortTitle)));
    buildLayout();

    connect(optUART_, &QRadioButton::toggled, this, &ser_setting_form::updateTransportControls);
    connect(optUSB_, &QRadioButton::toggled, this, &ser_setting_form::updateTransportControls);
    connect(optEthernet_, &QRadioButton::toggled, this, &ser_setting_form::updateTransportControls);
    connect(Command1_, &QPushButton::clicked, this, &ser_setting_form::Command1_Click);
    connect(CancelButton_, &QPushButton::clicked, this, &ser_setting_form::reject);
    connect(cmdConnect_, &QPushButton::clicked, this, &ser_setting_form::cmdConnect_Click);
    connect(btnReadPara_, &QPushButton::clicked, this, &ser_setting_form::btnReadPara_Click);
    connect(btnWritePara_, &QPushButton::clicked, this, &ser_setting_form::btnWritePara_Click);
    connect(txtModbusID_, &QLineEdit::textChanged, this, &ser_setting_form::updateModbusIdHint);
    connect(cmbCommPort_, &QComboBox::currentTextChanged, this, &ser_setting_form::updatePortAccess);
    // A socket error after Connect has already been reported; the dialog only follows it.
    connect(&link_.tcp(), &TcpTransport::linkLost, this, [this] {
        connectedHere_ = false;
        showConnected(false);
        if (!busy_->running()) {
            updateCancel();
        }
    });

    const CommState& state = link_.state();
    opened_ = {state.IsEthernet, state.TcpHost, state.TcpPort};

    ApplyCaptions(this);
    Form_Load();
}

ser_setting_form::~ser_setting_form() = default;

void ser_setting_form::buildLayout() {
    auto* transport = new QGroupBox(this);
    transport->setObjectName(QStringLiteral("frameTransport"));
    optUART_ = new QRadioButton(transport);
    optUART_->setObjectName(QStringLiteral("optUART"));
    SetTextId(optUART_, SerialPortOption);
    optUSB_ = new QRadioButton(transport);
    optUSB_->setObjectName(QStringLiteral("optUSB"));
    SetTextId(optUSB_, UsbPortOption);
    optEthernet_ = new QRadioButton(transport);
    optEthernet_->setObjectName(QStringLiteral("optEthernet"));
    SetTextId(optEthernet_, EthernetOption);

    // Editable: a pseudo-terminal or a port the system does not list can be typed in.
    cmbCommPort_ = new QComboBox(transport);
    cmbCommPort_->setObjectName(QStringLiteral("cmbCommPort"));
    cmbCommPort_->setEditable(true);
    cmbCommPort_->setInsertPolicy(QComboBox::NoInsert);
    cmbCommPort_->setMinimumContentsLength(14);
    cmbCommPort_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    frameEthernet_ = new QGroupBox(transport);
    frameEthernet_->setObjectName(QStringLiteral("frameEthernet"));
    static constexpr std::array<const char*, 4> kIpNames = {"txtIPAddress", "txtIPAddress1", "txtIPAddress2",
                                                            "txtIPAddress3"};
    auto* address = new QHBoxLayout;
    address->setSpacing(2);
    for (std::size_t i = 0; i < txtIPAddress_.size(); ++i) {
        txtIPAddress_[i] = digitBox(frameEthernet_, kIpNames[i], 3);
        if (i > 0) {
            address->addWidget(new QLabel(QStringLiteral("."), frameEthernet_));
        }
        address->addWidget(txtIPAddress_[i]);
    }
    address->addStretch();
    txtPortNumber_ = digitBox(frameEthernet_, "txtPortNumber", 5);
    cmdConnect_ = CommandButton(frameEthernet_, "cmdConnect", ConnectCaption);
    auto* port = new QHBoxLayout;
    port->addWidget(txtPortNumber_);
    port->addStretch();
    port->addWidget(cmdConnect_);
    auto* ethernet = new QGridLayout(frameEthernet_);
    ethernet->addWidget(CaptionLabel(frameEthernet_, IpAddressLabel, txtIPAddress_[0]), 0, 0);
    ethernet->addLayout(address, 0, 1);
    ethernet->addWidget(CaptionLabel(frameEthernet_, PortNumberLabel, txtPortNumber_), 1, 0);
    ethernet->addLayout(port, 1, 1);
    ethernet->setColumnStretch(1, 1);

    auto* transportLayout = new QGridLayout(transport);
    transportLayout->addWidget(optUART_, 0, 0);
    transportLayout->addWidget(cmbCommPort_, 0, 1);
    // Why the chosen port cannot be opened and how to fix it, before a device exchange fails.
    lblPortAccess_ = new QLabel(transport);
    lblPortAccess_->setObjectName(QStringLiteral("lblPortAccess"));
    lblPortAccess_->setWordWrap(true);
    lblPortAccess_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblPortAccess_->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblPortAccess_->setFixedWidth(440);
    lblPortAccess_->hide();
    transportLayout->addWidget(lblPortAccess_, 1, 0, 1, 2);
    transportLayout->addWidget(optUSB_, 2, 0, 1, 2);
    transportLayout->addWidget(optEthernet_, 3, 0, 1, 2);
    auto* indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(frameEthernet_);
    transportLayout->addLayout(indented, 4, 0, 1, 2);
    transportLayout->setColumnStretch(1, 1);

    auto* line = new QGroupBox(this);
    line->setObjectName(QStringLiteral("frameLineSettings"));
    CmbBaud_ = new QComboBox(line);
    CmbBaud_->setObjectName(QStringLiteral("CmbBaud"));
    cmbParity_ = new QComboBox(line);
    cmbParity_->setObjectName(QStringLiteral("cmbParity"));
    cmbStop_ = new QComboBox(line);
    cmbStop_->setObjectName(QStringLiteral("cmbStop"));
    txtModbusID_ = digitBox(line, "txtModbusID", 3);
    auto* lineLayout = new QGridLayout(line);
    lineLayout->setHorizontalSpacing(10);
    lineLayout->addWidget(CaptionLabel(line, BaudRateLabel, CmbBaud_), 0, 0);
    lineLayout->addWidget(CmbBaud_, 0, 1);
    lineLayout->addWidget(CaptionLabel(line, ParityLabel, cmbParity_), 1, 0);
    lineLayout->addWidget(cmbParity_, 1, 1);
    lineLayout->setColumnMinimumWidth(2, 16);
    lineLayout->addWidget(CaptionLabel(line, StopBitLabel, cmbStop_), 0, 3);
    lineLayout->addWidget(cmbStop_, 0, 4);
    lineLayout->addWidget(CaptionLabel(line, ModbusIdLabel, txtModbusID_), 1, 3);
    lineLayout->addWidget(txtModbusID_, 1, 4, Qt::AlignLeft);
    lineLayout->setColumnStretch(5, 1);
    lblModbusIdHint_ = new QLabel(line);
    lblModbusIdHint_->setObjectName(QStringLiteral("lblModbusIdHint"));
    SetTextId(lblModbusIdHint_, ModbusIdRange);
    lblModbusIdHint_->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblModbusIdHint_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lineLayout->addWidget(lblModbusIdHint_, 2, 0, 1, 6);

    btnReadPara_ = CommandButton(this, "btnReadPara", ReadParameters);
    btnWritePara_ = CommandButton(this, "btnWritePara", WriteParameters);
    Command1_ = CommandButton(this, "Command1", OkCaption);
    Command1_->setDefault(true);
    CancelButton_ = CommandButton(this, "CancelButton", CancelCaption);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnReadPara_);
    buttons->addWidget(btnWritePara_);
    buttons->addStretch();
    buttons->addSpacing(24);
    buttons->addWidget(Command1_);
    buttons->addWidget(CancelButton_);

    busy_ = new DeviceBusyBar(link_, this, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(transport);
    layout->addWidget(line);
    layout->addSpacing(4);
    layout->addWidget(busy_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ser_setting_form::Form_Load() {
    const CommState& state = link_.state();
    CmbBaud_->addItems(BaudRateTexts());
    cmbParity_->addItems(ParityTexts());
    cmbStop_->addItems(StopBitTexts());
    selectText(CmbBaud_, state.BaudRateText);
    selectText(cmbParity_, state.ParityText);
    selectText(cmbStop_, state.StopBitText);
    txtModbusID_->setText(QString::number(state.ModbusID));

    // Every port the system lists that opens now, and the stored one even when it does not:
    // it may be a pseudo-terminal, or a cable that is unplugged at the moment.
    const std::vector<SerialPortEntry> ports = lister_ ? lister_() : SystemSerialPorts();
    for (const SerialPortEntry& entry : ports) {
        if (!entry.path.isEmpty() && cmbCommPort_->findText(entry.path) < 0 &&
            (probe_ ? probe_(entry.path) : SerialPortOpens(entry.path))) {
            cmbCommPort_->addItem(entry.path);
        }
    }
    const QString stored = state.SerialPortPath.trimmed();
    if (!stored.isEmpty() && cmbCommPort_->findText(stored) < 0) {
        cmbCommPort_->addItem(stored);
    }
    cmbCommPort_->setCurrentIndex(stored.isEmpty() ? -1 : cmbCommPort_->findText(stored));

    const CommKind kind = CommKindOf(state.CommPort);
    if (state.IsEthernet || kind == CommKind::Ethernet) {
        optEthernet_->setChecked(true);
    } else if (kind == CommKind::UsbCable) {
        optUSB_->setChecked(true);
    } else {
        optUART_->setChecked(true);
    }

    if (state.TcpHost != QLatin1String(kUnsetIpAddress)) {
        const QStringList parts = state.TcpHost.split(u'.');
        if (parts.size() == static_cast<qsizetype>(txtIPAddress_.size())) {
            for (std::size_t i = 0; i < txtIPAddress_.size(); ++i) {
                txtIPAddress_[i]->setText(parts[static_cast<qsizetype>(i)].trimmed());
            }
        }
    }
    if (state.TcpPort > 0) {
        txtPortNumber_->setText(QString::number(state.TcpPort));
    }

    // Models with a display set their communication parameters on the device's own keys.
    const bool parameterButtons = !HasDisplay(modelIndex_);
    btnReadPara_->setVisible(parameterButtons);
    btnWritePara_->setVisible(parameterButtons);

    showConnected(link_.ethernetConnected());
    updateTransportControls();
    updateModbusIdHint();
}

void ser_setting_form::selectText(QComboBox* box, const QString& text) {
    const int index = box->findText(text.trimmed(), Qt::MatchFixedString);
    box->setCurrentIndex(index < 0 ? 0 : index);
}

void ser_setting_form::updateTransportControls() {
    frameEthernet_->setEnabled(optEthernet_->isChecked());
    cmbCommPort_->setEnabled(optUART_->isChecked());
    updatePortAccess();
}

void ser_setting_form::updatePortAccess() {
    const QString path = cmbCommPort_->currentText().trimmed();
    const QString reason =
        optUART_->isChecked() && !path.isEmpty() ? PortAccessMessage(CheckPortAccess(path)) : QString();
    lblPortAccess_->setText(reason);
    // The dialog keeps a fixed size: the wrapped text gets the height it needs.
    if (!reason.isEmpty()) {
        lblPortAccess_->setFixedHeight(lblPortAccess_->heightForWidth(lblPortAccess_->width()));
    }
    lblPortAccess_->setVisible(!reason.isEmpty());
}

void ser_setting_form::updateModbusIdHint() {
    lblModbusIdHint_->setVisible(CheckModbusId(txtModbusID_->text()).has_value());
}

void ser_setting_form::updateCancel() {
    CancelButton_->setEnabled(!connectedHere_);
}

void ser_setting_form::showConnected(bool connected) {
    const int id = connected ? DisconnectCaption : ConnectCaption;
    SetTextId(cmdConnect_, id);
    cmdConnect_->setText(LoadText(id));
}

std::array<QString, 4> ser_setting_form::ipParts() const {
    std::array<QString, 4> parts;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        parts[i] = txtIPAddress_[i]->text().trimmed();
    }
    return parts;
}

QWidget* ser_setting_form::ethernetFieldWidget(EthernetField field) const {
    switch (field) {
        case EthernetField::IpPart1:
            return txtIPAddress_[0];
        case EthernetField::IpPart2:
            return txtIPAddress_[1];
        case EthernetField::IpPart3:
            return txtIPAddress_[2];
        case EthernetField::IpPart4:
            return txtIPAddress_[3];
        case EthernetField::Port:
            break;
    }
    return txtPortNumber_;
}

void ser_setting_form::Command1_Click() {
    Prompter& prompter = link_.prompter();
    if (const std::optional<QString> message = CheckModbusId(txtModbusID_->text())) {
        prompter.warn(*message);
        txtModbusID_->setFocus();
        return;
    }
    CommState& state = link_.state();
    const QString path = cmbCommPort_->currentText().trimmed();
    std::uint16_t commPort = 0;
    if (optUSB_->isChecked()) {
        // The cable's own port number is filled in when a transfer finds it.
        commPort = EncodeCommPort(CommKind::UsbCable);
    } else if (optEthernet_->isChecked()) {
        // The address is taken here as well as on Connect, so it has to be a valid one.
        if (!ethernetFieldsValid()) {
            return;
        }
        commPort = kCommPortEthernet;
    } else {
        if (path.isEmpty()) {
            prompter.warn(LoadText(SelectPort));
            cmbCommPort_->setFocus();
            return;
        }
        commPort = EncodeCommPort(CommKind::Serial, PortNumberOfPath(path));
    }

    state.ModbusID = static_cast<std::uint8_t>(txtModbusID_->text().trimmed().toInt());
    state.CommPort = commPort;
    state.IsEthernet = optEthernet_->isChecked();
    if (optUART_->isChecked()) {
        state.SerialPortPath = path;
    } else if (state.IsEthernet) {
        state.TcpHost = joinedAddress(ipParts());
        state.TcpPort = static_cast<std::uint16_t>(txtPortNumber_->text().trimmed().toInt());
    }
    state.BaudRateText = CmbBaud_->currentText();
    state.ParityText = cmbParity_->currentText();
    state.StopBitText = cmbStop_->currentText();
    accept();
}

bool ser_setting_form::ethernetFieldsValid() {
    const std::optional<EthernetFieldError> error = CheckEthernetFields(ipParts(), txtPortNumber_->text());
    if (error) {
        link_.prompter().warn(error->message);
        ethernetFieldWidget(error->field)->setFocus();
    }
    return !error;
}

void ser_setting_form::cmdConnect_Click() {
    if (!ethernetFieldsValid()) {
        return;
    }
    CommState& state = link_.state();
    state.TcpHost = joinedAddress(ipParts());
    state.TcpPort = static_cast<std::uint16_t>(txtPortNumber_->text().trimmed().toInt());
    if (link_.ethernetConnected()) {
        link_.disconnectEthernet();
        connectedHere_ = false;
        showConnected(false);
    } else {
        const QString status = LoadText(Connecting).arg(state.TcpHost).arg(state.TcpPort);
        // The wait ends when the socket connects, reports an error, or the user presses Stop.
        if (busy_->run(status, [this] { return link_.connectEthernet(connectTimeoutMs_); })) {
            // The link is in use now: OK confirms it. Cancel goes off until Disconnect; closing
            // the window keeps the connection.
            connectedHere_ = true;
            showConnected(true);
        }
    }
    updateCancel();
    savedHere_ = true;
    Q_EMIT settingsToSave();
}

void ser_setting_form::btnReadPara_Click() {
    SelectionScope scope(link_.state(), *this, link_.prompter(), lister_, probe_);
    if (!scope.ready()) {
        return;
    }
    std::optional<DeviceCommParams> params;
    busy_->run(LoadText(ReadingDevice), [this, &params] {
        params = ReadDeviceCommParams(link_.session());
        return params.has_value();
    });
    if (!params) {
        return;
    }
    txtModbusID_->setText(QString::number(params->modbusId));
    CmbBaud_->setCurrentIndex(indexOrFirst(params->baudIndex, CmbBaud_->count()));
    cmbParity_->setCurrentIndex(indexOrFirst(params->parityIndex, cmbParity_->count()));
    cmbStop_->setCurrentIndex(indexOrFirst(params->stopBitIndex, cmbStop_->count()));
}

void ser_setting_form::btnWritePara_Click() {
    SelectionScope scope(link_.state(), *this, link_.prompter(), lister_, probe_);
    if (!scope.ready()) {
        return;
    }
    DeviceCommParams params;
    // Anything but a number counts as 0, which the write refuses with the address message.
    params.modbusId = txtModbusID_->text().trimmed().toInt();
    params.baudIndex = std::max(0, CmbBaud_->currentIndex());
    params.parityIndex = std::max(0, cmbParity_->currentIndex());
    params.stopBitIndex = std::max(0, cmbStop_->currentIndex());
    busy_->run(LoadText(WritingDevice),
               [this, &params] { return WriteDeviceCommParams(link_.session(), params); });
}

void ser_setting_form::reject() {
    if (busy_->running()) {
        // Escape or the close box while the device is being waited for: the same as Stop.
        busy_->stopButton()->click();
        return;
    }
    if (!connectedHere_ || !link_.ethernetConnected()) {
        // Nothing the user did here stays.
        CommState& state = link_.state();
        state.IsEthernet = opened_.isEthernet;
        state.TcpHost = opened_.host;
        state.TcpPort = opened_.port;
        settingsRestored_ = savedHere_;
    }
    QDialog::reject();
}

}  // namespace bdx

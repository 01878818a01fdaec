#include "comm/comm_link.h"

#include "comm/device_utilities.h"
#include "shell/prompter.h"

namespace bdx {

// The socket's own error reports: a box while a device action runs, the idle reporter otherwise.
class CommLink::LinkPrompter : public Prompter {
  public:
    explicit LinkPrompter(CommLink& link) : link_(link) {}

    Reply show(const Message& message) override {
        const bool plainNotice = message.buttons.size() == 1 && message.buttons.front() == Reply::Ok;
        if (plainNotice && !link_.actionRunning() && link_.idleReporter_) {
            link_.idleReporter_(message.text.simplified());
            return Reply::Ok;
        }
        return link_.prompter_.show(message);
    }
    QString chooseOpenFile(const FileChoice& choice) override { return link_.prompter_.chooseOpenFile(choice); }
    QString chooseSaveFile(const FileChoice& choice) override { return link_.prompter_.chooseSaveFile(choice); }
    std::optional<QString> askPassword(const QString& prompt) override { return link_.prompter_.askPassword(prompt); }

  private:
    CommLink& link_;
};

CommLink::CommLink(Prompter& prompter)
    : prompter_(prompter),
      linkPrompter_(std::make_unique<LinkPrompter>(*this)),
      serial_(std::make_unique<SerialTransport>(state_)),
      tcp_(std::make_unique<TcpTransport>(state_, *linkPrompter_)),
      serialSession_(std::make_unique<ModbusSession>(state_, *serial_, prompter)),
      tcpSession_(std::make_unique<ModbusSession>(state_, *tcp_, prompter)) {
    QObject::connect(tcp_.get(), &TcpTransport::linkLost, tcp_.get(),
                     [this] { state_.EthernetConnected = false; });
    // A serial device that did not answer the probe at any address is reported with the
    // communication-error text; a window that offers the address search installs its own.
    serialSession_->setCommErrorDialog([this] { prompter_.warn(CommunicationErrorText(false)); }, {});
}

CommLink::~CommLink() = default;

ModbusSession& CommLink::session() {
    return state_.IsEthernet ? *tcpSession_ : *serialSession_;
}

bool CommLink::connectEthernet(int timeoutMs) {
    const bool connected = tcp_->connectToDevice(timeoutMs);
    state_.EthernetConnected = connected;
    if (connected) {
        state_.IsEthernet = true;
    }
    return connected;
}

void CommLink::disconnectEthernet() {
    tcp_->disconnectFromDevice();
    state_.EthernetConnected = false;
}

bool CommLink::ethernetConnected() const {
    return tcp_->connected();
}

void CommLink::cancel() {
    state_.CommCancelled = true;
    state_.StopRequested = actions_ > 0;
    state_.IdSearchActive = false;
    state_.IdSearchCount = 254;
    serialSession_->closeIfSerial();
    tcp_->abortConnect();
}

}  // namespace bdx

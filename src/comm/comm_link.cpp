#include "comm/comm_link.h"

#include "comm/device_utilities.h"
#include "shell/prompter.h"

namespace bdx {

CommLink::CommLink(Prompter& prompter)
    : prompter_(prompter),
      serial_(std::make_unique<SerialTransport>(state_)),
      tcp_(std::make_unique<TcpTransport>(state_, prompter)),
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

}  // namespace bdx

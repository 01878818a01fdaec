#pragma once

#include <memory>

#include "comm/comm_state.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"

// The program's one connection to the device: the shared state, the serial port, the TCP
// socket, and a session over each. IsEthernet chooses which session the operations use, so
// the settings dialog can switch transports without anything else being rebuilt.
namespace bdx {

class Prompter;

class CommLink {
  public:
    explicit CommLink(Prompter& prompter);
    ~CommLink();
    CommLink(const CommLink&) = delete;
    CommLink& operator=(const CommLink&) = delete;

    CommState& state() { return state_; }
    Prompter& prompter() { return prompter_; }
    SerialTransport& serial() { return *serial_; }
    TcpTransport& tcp() { return *tcp_; }
    // The session of the transport that IsEthernet selects.
    ModbusSession& session();

    // Ethernet "Connect": the socket to TcpHost:TcpPort, waiting (events processed) until it is
    // connected or reports an error. Connected: IsEthernet and EthernetConnected are set.
    // timeoutMs < 0: no time-out of its own.
    bool connectEthernet(int timeoutMs = -1);
    // "Disconnect": the socket closed; IsEthernet stays as the user left it.
    void disconnectEthernet();
    bool ethernetConnected() const;

  private:
    Prompter& prompter_;
    CommState state_;
    std::unique_ptr<SerialTransport> serial_;
    std::unique_ptr<TcpTransport> tcp_;
    std::unique_ptr<ModbusSession> serialSession_;
    std::unique_ptr<ModbusSession> tcpSession_;
};

}  // namespace bdx

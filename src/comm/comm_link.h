#pragma once

#include <QString>
#include <functional>
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

    // --- Device actions -------------------------------------------------------------------
    // A device conversation the user started (a transfer, a clock read, monitoring...). While
    // one runs, a link error is shown in a box: it answers what the user asked for. Otherwise
    // (an Ethernet device dropping while the user edits) it goes to the idle reporter.
    class Action {
      public:
        // A Stop belongs to the action it was pressed in: the next one starts afresh.
        explicit Action(CommLink& link) : link_(link) {
            if (link_.actions_++ == 0) {
                link_.state_.StopRequested = false;
            }
        }
        ~Action() {
            if (--link_.actions_ == 0) {
                link_.state_.StopRequested = false;
            }
        }
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

      private:
        CommLink& link_;
    };
    bool actionRunning() const { return actions_ > 0; }
    // Where link errors go while no action runs (the main window's status bar); unset: a box.
    void setIdleReporter(std::function<void(const QString&)> reporter) { idleReporter_ = std::move(reporter); }
    // The Stop of a running action: the waiting transaction ends at its next check, the ID
    // search ends, the serial port is closed and a pending Ethernet connect is given up.
    void cancel();

    // What the serial link shows when the device did not answer its probe at any address (the
    // window with the address search); unset: a plain warning with the same text. `unload`
    // closes it when the waiting exchange is cancelled.
    void setCommErrorDialog(std::function<void()> show, std::function<void()> unload);

  private:
    class LinkPrompter;

    Prompter& prompter_;
    std::unique_ptr<LinkPrompter> linkPrompter_;
    int actions_ = 0;
    std::function<void(const QString&)> idleReporter_;
    CommState state_;
    std::unique_ptr<SerialTransport> serial_;
    std::unique_ptr<TcpTransport> tcp_;
    std::unique_ptr<ModbusSession> serialSession_;
    std::unique_ptr<ModbusSession> tcpSession_;
};

}  // namespace bdx

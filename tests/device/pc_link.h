#pragma once

// Test helper: the PC's end of the link to a running device process, made of the program's
// own CommLink and a prompter that records what the operations say.

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "device_process.h"
#include "shell/scripted_prompter.h"

namespace bdx::test {

class PcLink {
  public:
    // Selects the device's TCP endpoint (connected here) or its pseudo-terminal (opened by the
    // session per operation). Time-outs are shrunk so that failures come quickly; a test that
    // needs others sets them afterwards. False when the socket does not connect.
    bool connect(const DeviceProcess& device, bool tcp) {
        CommState& s = link_.state();
        s.replyTimeoutMs = 300;
        s.idSearchTimeoutMs = 100;
        s.silenceMs = 15;
        s.retryPauseMs = 0;
        if (!tcp) {
            s.CommPort = 1;
            s.SerialPortPath = device.ptyPath;
            s.IsEthernet = false;
            return true;
        }
        s.CommPort = kCommPortEthernet;
        s.TcpHost = QStringLiteral("127.0.0.1");
        s.TcpPort = device.tcpPort;
        return link_.connectEthernet(5000);
    }

    CommState& state() { return link_.state(); }
    ModbusSession& session() { return link_.session(); }
    CommLink& comm() { return link_; }

    ScriptedPrompter prompter;

  private:
    CommLink link_{prompter};
};

}  // namespace bdx::test

#pragma once

// Test helpers: the PC's end of the link to a running device process, made of the program's
// own CommLink and a prompter that records what the operations say, and the rig of the two.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

#include "comm/comm_link.h"
#include "comm/comm_settings.h"
#include "device_process.h"
#include "ladder/program_file.h"
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

// A device process serving TCP and its pty, and the PC's link to it.
struct DeviceRig {
    DeviceProcess device;
    PcLink link;
    ScriptedPrompter& prompter = link.prompter;

    // False, with the device's complaint in `device.failure`, when either end fails.
    bool start(QStringList options = {}, bool tcp = true) {
        options << QStringLiteral("--pty") << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:0");
        return device.start(options) && link.connect(device, tcp);
    }
    // The answers to the questions the next operations ask, in order.
    void answer(std::initializer_list<Reply> replies) {
        for (const Reply r : replies) {
            prompter.queueReply(r);
        }
    }
    QString last() const { return prompter.texts().value(prompter.texts().size() - 1); }
    std::string said() const { return prompter.texts().join(u'|').toStdString(); }
    int transactions() { return link.session().transactionCount(); }
    CommState& state() { return link.state(); }
};

// Records what a progress bar and its status line would show, for any of the operations'
// progress interfaces (no `override`: not all of them have a status line); `onValue` is
// called from the first step on.
template <typename Progress>
struct RecordingProgress : Progress {
    void setRange(int, int maximum) { ranges.push_back(maximum); }
    void setValue(int value) {
        last = value;
        highest = std::max(highest, value);
        if (onValue && value > 0) {
            onValue(value);
        }
    }
    void setStatus(const QString& text) { statuses << text; }

    std::vector<int> ranges;  // the maximum of each setRange
    int last = -1;
    int highest = 0;
    QStringList statuses;
    std::function<void(int)> onValue;
};

// A sample program of the examples folder.
inline Program Example(const char* name) {
    Program program;
    const QString path = QStringLiteral(BDX_SOURCE_DIR "/examples/") + QLatin1String(name);
    EXPECT_TRUE(ReadProgramFile(path, program).ok()) << name;
    return program;
}

}  // namespace bdx::test

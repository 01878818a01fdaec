#pragma once

// Test helpers: a transport whose peer is a function from request frame to reply (nothing for
// silence), recording every frame sent; the virtual device behind it with the session and a
// recording prompter; and a raw pseudo-terminal pair for the real serial transport. Replies
// arrive from the event loop, as a real line's do.

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QTimer>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

#include "comm/comm_settings.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"
#include "device/virtual_device.h"
#include "shell/scripted_prompter.h"
#include "sim/clock.h"

namespace bdx::test {

inline QByteArray hex(const char* text) {
    return QByteArray::fromHex(text);
}

using Responder = std::function<std::optional<QByteArray>(const QByteArray&)>;

// A peer answering each frame with the next reply of the list; silence once it is used up.
inline Responder Replies(std::vector<std::optional<QByteArray>> replies) {
    return [replies = std::move(replies), next = std::size_t(0)](const QByteArray&) mutable {
        return next < replies.size() ? replies[next++] : std::optional<QByteArray>();
    };
}

class FakeTransport : public Transport {
  public:
    FakeTransport(CommState& state, Responder responder, bool ethernet = false)
        : Transport(state), responder_(std::move(responder)), ethernet_(ethernet) {}

    bool isEthernet() const override { return ethernet_; }
    bool openPort() override { return open_ = true; }
    void closePort() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool sendFrame(const QByteArray& frame) override {
        EXPECT_TRUE(HasValidCrc(frame));
        state_.TxBuffer = frame;
        rxBuffer().clear();
        sent.push_back(frame);
        if (std::optional<QByteArray> reply = responder_(frame)) {
            QTimer::singleShot(0, this, [this, bytes = *reply] {
                Q_EMIT bytesArrived();
                appendReceived(bytes);
                markReplyReady();
            });
        }
        return true;
    }
    void discardInput() override { rxBuffer().clear(); }
    void setSilenceInterval(int ms) override { silence = ms; }

    std::vector<QByteArray> sent;  // CRC included
    int silence = -1;

  private:
    Responder responder_;
    bool ethernet_;
    bool open_ = true;
};

// The virtual device's options; the defaults are the device process's.
inline VirtualDeviceOptions DeviceOptions(int model = 9, int id = 1, const char* firmware = "QX2 V2.10",
                                          const char* password = "") {
    VirtualDeviceOptions o;
    o.model = model;
    o.id = id;
    o.firmware = QString::fromLatin1(firmware);
    o.password = QString::fromLatin1(password);
    return o;
}

// The virtual device in this process behind a fake serial line (or Ethernet link), the session
// to it and a prompter recording what the operations say. Each frame first gives the device a
// scan, as the device process's timer would. The device process's faults are flags here.
struct DeviceLink {
    explicit DeviceLink(VirtualDeviceOptions options = DeviceOptions(), bool ethernet = false)
        : device(std::move(options), clock),
          transport(
              state, [this](const QByteArray& f) { return respond(f); }, ethernet) {
        state.replyTimeoutMs = 20;
        state.idSearchTimeoutMs = 5;
        state.retryPauseMs = 0;
        state.lateReplyGraceMs = 0;
        state.IsEthernet = ethernet;
        state.CommPort = ethernet ? kCommPortEthernet : 1;
        state.SerialPortPath = QStringLiteral("line");
    }

    std::optional<QByteArray> respond(QByteArray frame) {
        if (silent || (onlyAddress1 && frame.at(0) != 1)) {
            return std::nullopt;
        }
        device.tick();
        if (onlyAddress1) {  // as address 1 whatever the device's own address
            frame = WithCrc(QByteArray(1, char(254)) + frame.mid(1, frame.size() - 3));
        }
        QByteArray reply = device.handleFrame(frame);
        if (onlyAddress1 && reply.size() >= 4) {
            reply = WithCrc(QByteArray(1, char(1)) + reply.mid(1, reply.size() - 3));
        }
        return reply.isEmpty() ? std::nullopt : std::optional(reply);
    }

    // The answers to the questions the next operations ask, in order.
    void answer(std::initializer_list<Reply> replies) {
        for (const Reply r : replies) {
            prompter.queueReply(r);
        }
    }
    QString last() const { return prompter.texts().value(prompter.texts().size() - 1); }
    std::string said() const { return prompter.texts().join(u'|').toStdString(); }
    int transactions() const { return session.transactionCount(); }

    ManualClock clock;
    VirtualDevice device;
    CommState state;
    ScriptedPrompter prompter;
    FakeTransport transport;
    ModbusSession session{state, transport, prompter};
    bool silent = false;        // a pulled cable
    bool onlyAddress1 = false;  // answers the service address only
};

// Both ends of a pseudo-terminal in raw mode; `path` names the end the transport opens.
struct PtyPair {
    PtyPair() {
        char name[128] = {};
        EXPECT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLatin1(name);
    }
    ~PtyPair() {
        ::close(slave);
        ::close(master);
    }
    int master = -1, slave = -1;
    QString path;
};

}  // namespace bdx::test

#pragma once

// Test helpers: a transport whose peer is a function from request frame to reply (nothing for
// silence), recording every frame sent, and a raw pseudo-terminal pair for the real serial
// transport. Replies arrive from the event loop, as a real line's do.

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "comm/modbus_crc.h"
#include "comm/transport.h"

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

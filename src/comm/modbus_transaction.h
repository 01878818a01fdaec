#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>

#include "comm/comm_state.h"
#include "comm/device_protocol.h"

namespace bdx {

class Prompter;
class Transport;

// Results of ValidateReply.
namespace ReplyCheck {
inline constexpr int Ok = 0;
inline constexpr int Retry = 1;  // function-100 exception; a model-family answer rewrote the request
inline constexpr int Mismatch = 3;  // a reply, but not to this request (reply_match.h)
inline constexpr int WrongAddress = 4;
inline constexpr int Exception = 5;  // a Modbus exception reply
inline constexpr int BadCrc = 6;
inline constexpr int TooShort = 7;  // fewer than 4 bytes
}  // namespace ReplyCheck

// Results of WaitForReply.
namespace WaitResult {
inline constexpr int Reply = 0;
inline constexpr int Cancelled = 2;
inline constexpr int LinkLost = 3;   // the port or the connection went away during the wait
inline constexpr int StrayByte = 8;  // a single byte is no reply
inline constexpr int TimedOut = 9;
}  // namespace WaitResult

// Checks a reply against its request: frame, address, then whether it answers this request
// (ReplyMismatch). A model-family answer (function-100 exception of 12 bytes) rewrites the
// request in place so that the retry sends the corrected one. Never reads outside either
// array. `reason`, when given, receives why a reply was not accepted.
int ValidateReply(const QByteArray& reply, QByteArray& request, QString* reason = nullptr);

// The serial silence interval for a baud rate: the silence time itself at 9600 baud and above,
// scaled up by 9600 / baud below (80 ms at 1200 baud gives 640 ms). Unreadable or zero rates
// count as 9600.
int SilenceInterval(int silenceMs, const QString& baudRateText);

// The failure messages, exactly as the user sees them.
QString InvalidResponseMessage();
QString SerialNoReplyMessage();
QString EthernetNoReplyMessage();

// Waits `ms` milliseconds while the event loop keeps running (retry pauses, the stop delay).
void PauseWithEvents(int ms);

// Runs request/reply transactions over one transport: CRC, send, wait, validate, retry and the
// failure messages. Waiting runs a local event loop, so the caller's user interface (or the
// test's QCoreApplication) keeps processing events meanwhile.
class ModbusSession {
  public:
    ModbusSession(CommState& state, Transport& transport, Prompter& prompter);
    ~ModbusSession();
    ModbusSession(const ModbusSession&) = delete;
    ModbusSession& operator=(const ModbusSession&) = delete;

    // One request/reply exchange. `request` holds address and function code in bytes 0 and 1
    // and two slots for the CRC at its end; `reply` receives the whole reply frame. True when a
    // valid reply is in `reply` (or, during the ID search, a reply matched the request).
    // silenceMs < 0 takes CommState::silenceMs.
    bool ModbusTransaction(QByteArray& request, QByteArray& reply, int silenceMs = -1,
                           bool repeatOnRetry = false);

    // Waits for the reply to the frame just sent; one of WaitResult.
    int WaitForReply(QByteArray& reply);

    // The communication-error dialog: shown after a failed device probe on the serial
    // transport, unloaded when a wait is cancelled. Without hooks nothing is shown.
    void setCommErrorDialog(std::function<void()> show, std::function<void()> unload) {
        showCommError_ = std::move(show);
        unloadCommError_ = std::move(unload);
    }

    // Serial transport: open before / close after an operation (TCP: nothing to do).
    bool openIfSerial();
    void closeIfSerial();

    CommState& state() { return state_; }
    Transport& transport() { return transport_; }
    // The last transaction failed and said why (no reply, an invalid reply, a lost link): the
    // operation's own failure message would be a second one for the same cause.
    bool failureReported() const;
    Prompter& prompter() { return prompter_; }

    // Attempts the last transaction sent, and its silence interval: for tests and diagnostics.
    int lastAttempts() const { return lastAttempts_; }
    int lastSilenceInterval() const { return lastSilence_; }
    // Transactions run since the session was made.
    int transactionCount() const { return transactions_; }
    // Why the last transaction refused its reply in the end; empty when it did not.
    const QString& lastReplyProblem() const { return lastReplyProblem_; }

  private:
    void startReplyTimer();
    // Before a send: the rest of the time an earlier failed attempt's late reply may take.
    void awaitLateReply();
    // The first byte of a reply: over a serial line the rest must follow within a time-out of
    // it (an endless stream is no reply); over TCP the attempt's own time-out goes on.
    void onReplyStarted();
    // Ends the transaction after the transport's failure, with its message when not yet shown.
    bool failLink();

    CommState& state_;
    Transport& transport_;
    Prompter& prompter_;
    QTimer replyTimer_;
    QElapsedTimer lateReplyWindow_;  // since a failed attempt whose reply may still come
    std::function<void()> showCommError_;
    std::function<void()> unloadCommError_;
    bool replyStarted_ = false;
    int lastAttempts_ = 0;
    int lastSilence_ = 0;
    int transactions_ = 0;
    QString lastReplyProblem_;
};

}  // namespace bdx

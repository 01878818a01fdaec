#include "modbus_transaction.h"

#include <QEventLoop>

#include "comm/byte_reader.h"
#include "comm/modbus_crc.h"
#include "comm/transport.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr std::uint8_t kAreaQueryException = FunctionCode::ReadArea | FunctionCode::ExceptionFlag;  // 228
// How often a wait looks at the flags other parties may have set (the Stop buttons).
constexpr int kFlagPollMs = 10;

}  // namespace

int ValidateReply(const QByteArray& reply, QByteArray& request) {
    if (reply.size() < kMinFrameBytes) {
        return ReplyCheck::TooShort;
    }
    if (!HasValidCrc(reply)) {
        return ReplyCheck::BadCrc;
    }
    const ByteReader r(reply);
    if (r.u8(0) != ByteReader(request).u8(0)) {
        return ReplyCheck::WrongAddress;
    }
    const std::uint8_t function = *r.u8(1);
    if (function != kAreaQueryException) {
        return (function & FunctionCode::ExceptionFlag) != 0 ? ReplyCheck::Exception : ReplyCheck::Ok;
    }
    // The device answers a model-family check for the wrong family with this exception; it
    // carries what the request should have said, so the retry asks again corrected.
    const std::optional<std::uint8_t> area = r.u8(PacketByte::Area);
    if (reply.size() == ModelCheckByte::AnswerSize &&
        (area == Area::ModelFamily || area == kModelCheckAltArea) &&
        r.u8(ModelCheckByte::Marker) == kModelCheckMarker && request.size() >= ModelCheckByte::RequestSize) {
        for (const int at : {ModelCheckByte::Model - 1, ModelCheckByte::Model, ModelCheckByte::Family + 1}) {
            request[at] = reply.at(at);
        }
        const std::uint8_t model = *r.u8(ModelCheckByte::Model);
        if (model < ModelFamilyTable.size()) {
            request[ModelCheckByte::Family] = static_cast<char>(ModelFamilyTable[model]);
        }
    }
    return ReplyCheck::Retry;
}

int SilenceInterval(int silenceMs, const QString& baudRateText) {
    bool ok = false;
    const qint64 baud = baudRateText.trimmed().toLongLong(&ok);
    if (!ok || baud <= 0 || baud >= 9600) {
        return silenceMs;
    }
    return static_cast<int>(qint64(silenceMs) * 9600 / baud);
}

QString InvalidResponseMessage() {
    return QStringLiteral("Invalid response from device.");
}

QString SerialNoReplyMessage() {
    return QStringLiteral(
        "The communication with the device was unsuccessful because \r\n"
        "1. The communication cable may be faulty or not connected OR \r\n"
        "2. The device may not be powered ON.\r\n"
        "Please verify the proper connection and try again. \r\n\r\n"
        "Please also verify the MODBUS ID settings.");
}

QString EthernetNoReplyMessage() {
    return QStringLiteral(
        "The communication with the device was unsuccessful because \r\n"
        "1. The communication or Ethernet Cable may be faulty or not connected OR \r\n"
        "2. The device may not be powered ON.\r\n"
        "Please verify the proper connection and try again. ");
}

ModbusSession::ModbusSession(CommState& state, Transport& transport, Prompter& prompter)
    : state_(state), transport_(transport), prompter_(prompter) {
    replyTimer_.setSingleShot(true);
    // A coarse timer may fire 5 % early: a reply just inside the time-out would be missed.
    replyTimer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&replyTimer_, &QTimer::timeout, [this] { state_.ReplyTimedOut = true; });
    QObject::connect(&transport_, &Transport::bytesArrived, &replyTimer_, [this] { onReplyStarted(); });
}

void ModbusSession::onReplyStarted() {
    if (replyStarted_ || !replyTimer_.isActive()) {
        return;
    }
    replyStarted_ = true;
    if (!transport_.isEthernet()) {
        replyTimer_.start();
    }
}

bool ModbusSession::failLink() {
    replyTimer_.stop();
    const QString message = transport_.takeFailureMessage();
    if (!message.isEmpty()) {
        prompter_.critical(message);
    }
    state_.CommFailed = true;
    state_.CommCancelled = true;
    return false;
}

ModbusSession::~ModbusSession() = default;

bool ModbusSession::openIfSerial() {
    return transport_.isEthernet() || transport_.openPort();
}

void ModbusSession::closeIfSerial() {
    if (!transport_.isEthernet()) {
        transport_.closePort();
    }
}

void ModbusSession::startReplyTimer() {
    state_.ReplyTimedOut = false;
    replyStarted_ = false;
    // The address search tries one address after another: over TCP as over a serial line, each
    // gets the short wait.
    const bool shortWait = state_.QuietComm && state_.IdSearchActive;
    replyTimer_.start(shortWait ? state_.idSearchTimeoutMs : state_.replyTimeoutMs);
}

void PauseWithEvents(int ms) {
    if (ms <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

int ModbusSession::WaitForReply(QByteArray& reply) {
    state_.ReplyReady = false;
    const auto settled = [this] {
        return state_.ReplyReady || state_.CommCancelled || state_.ReplyTimedOut || transport_.linkFailed();
    };
    if (!settled()) {
        QEventLoop loop;
        const auto quitOnReply =
            QObject::connect(&transport_, &Transport::replyReady, &loop, &QEventLoop::quit);
        const auto quitOnLoss =
            QObject::connect(&transport_, &Transport::linkFailure, &loop, &QEventLoop::quit);
        const auto quitOnTimeout = QObject::connect(&replyTimer_, &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (settled()) {
                loop.quit();
            }
        });
        poll.start(kFlagPollMs);
        while (!settled()) {
            loop.exec();
        }
        QObject::disconnect(quitOnReply);
        QObject::disconnect(quitOnLoss);
        QObject::disconnect(quitOnTimeout);
    }
    if (transport_.linkFailed() && !state_.ReplyReady) {
        return WaitResult::LinkLost;
    }
    // Time ran out in the middle of a reply (a stream that never ends, a reply cut short): what
    // came is judged as the reply, and refused.
    if (state_.ReplyTimedOut && !state_.ReplyReady && !state_.CommCancelled &&
        !transport_.rxBuffer().isEmpty()) {
        state_.ReplyReady = true;
    }
    if (state_.ReplyReady) {
        QByteArray& rx = transport_.rxBuffer();
        if (rx.size() == 1) {
            rx.clear();
            return WaitResult::StrayByte;
        }
        reply = rx;
        return WaitResult::Reply;
    }
    return state_.CommCancelled ? WaitResult::Cancelled : WaitResult::TimedOut;
}

bool ModbusSession::ModbusTransaction(QByteArray& request, QByteArray& reply, int silenceMs,
                                      bool repeatOnRetry) {
    ++transactions_;
    lastAttempts_ = 0;
    int attempt = 0;
    state_.CommCancelled = false;
    state_.CommFailed = false;
    lastSilence_ = SilenceInterval(silenceMs < 0 ? state_.silenceMs : silenceMs, state_.BaudRateText);
    transport_.setSilenceInterval(lastSilence_);
    if (!transport_.isEthernet() && !transport_.isOpen()) {
        return failLink();  // the port would not open: its message, once
    }
    if (request.size() < 4) {
        return false;  // no room for address, function code and CRC: not a request at all
    }

    const auto failInvalid = [this] {
        replyTimer_.stop();
        prompter_.critical(InvalidResponseMessage());
        state_.CommFailed = true;
        state_.CommCancelled = true;  // ends the packet loop that called us
        return false;
    };

    for (;;) {
        AppendCrc(request);
        const bool sent = transport_.sendFrame(request);
        if (!sent && transport_.linkFailed()) {
            return failLink();
        }
        if (sent) {
            ++lastAttempts_;
            startReplyTimer();
            const int waited = WaitForReply(reply);
            if (waited == WaitResult::LinkLost) {
                return failLink();
            }
            if (waited == WaitResult::Cancelled && !state_.QuietComm) {
                replyTimer_.stop();
                if (unloadCommError_) {
                    unloadCommError_();
                }
                return false;
            }
            if (waited == WaitResult::Reply) {
                // An overlong buffer is a peer gone wrong, never a reply.
                const int check = reply.size() > state_.maxReplyBytes ? int(ReplyCheck::TooShort)
                                                                      : ValidateReply(reply, request);
                if (check == ReplyCheck::Ok) {
                    replyTimer_.stop();
                    return true;
                }
                if (state_.QuietComm) {
                    if (reply.size() < 2 || reply.at(0) != request.at(0) || reply.at(1) != request.at(1)) {
                        return failInvalid();
                    }
                    state_.MatchedReply = true;
                } else if (attempt >= 2) {
                    return failInvalid();
                }
            }
            if (!state_.QuietComm && !state_.IdSearchActive) {
                PauseWithEvents(state_.retryPauseMs);
            }
        }
        attempt += state_.QuietComm && state_.IdSearchActive ? 3 : 1;
        if (attempt > 2) {
            break;
        }
        if (state_.CommCancelled && !state_.QuietComm) {
            replyTimer_.stop();
            return false;
        }
        if (repeatOnRetry && request.size() > 2 && request.at(2) == 1) {
            request[2] = 2;
        }
    }

    replyTimer_.stop();
    if (!state_.QuietComm) {
        state_.CommFailed = true;
        prompter_.warn(transport_.isEthernet() ? EthernetNoReplyMessage() : SerialNoReplyMessage());
    } else if (state_.IdSearchCount >= 2 && !state_.IdSearchActive && !state_.MatchedReply) {
        if (transport_.isEthernet()) {
            prompter_.warn(EthernetNoReplyMessage());
        } else if (showCommError_) {
            showCommError_();
        }
    }
    // Only the ID search sets MatchedReply; outside it a leftover flag must not turn a failure
    // into success.
    if (state_.MatchedReply && state_.QuietComm) {
        return true;
    }
    state_.CommCancelled = true;
    return false;
}

}  // namespace bdx

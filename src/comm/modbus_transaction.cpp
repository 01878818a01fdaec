#include "modbus_transaction.h"

#include <QEventLoop>

#include "comm/byte_reader.h"
#include "comm/comm_texts.h"
#include "comm/modbus_crc.h"
#include "comm/reply_match.h"
#include "comm/transport.h"
#include "shell/language_table.h"
#include "shell/prompter.h"

namespace bdx {

namespace {

constexpr std::uint8_t kAreaQueryException = FunctionCode::ReadArea | FunctionCode::ExceptionFlag;  // 228
// How often a wait looks at the flags other parties may have set (the Stop buttons).
constexpr int kFlagPollMs = 10;

}  // namespace

namespace {

// The model-family answer: rewrites the request from it (see ValidateReply). False when the
// reply is no such answer.
bool ApplyModelFamilyAnswer(const ByteReader& r, const QByteArray& reply, QByteArray& request) {
    const std::optional<std::uint8_t> area = r.u8(PacketByte::Area);
    if (reply.size() != ModelCheckByte::AnswerSize ||
        (area != Area::ModelFamily && area != kModelCheckAltArea) ||
        r.u8(ModelCheckByte::Marker) != kModelCheckMarker || request.size() < ModelCheckByte::RequestSize) {
        return false;
    }
    for (const int at : {ModelCheckByte::Model - 1, ModelCheckByte::Model, ModelCheckByte::Family + 1}) {
        request[at] = reply.at(at);
    }
    const std::uint8_t model = *r.u8(ModelCheckByte::Model);
    if (model < ModelFamilyTable.size()) {
        request[ModelCheckByte::Family] = static_cast<char>(ModelFamilyTable[model]);
    }
    return true;
}

int Refused(int code, QString* reason, const QString& why) {
    if (reason != nullptr) {
        *reason = why;
    }
    return code;
}

}  // namespace

int ValidateReply(const QByteArray& reply, QByteArray& request, QString* reason) {
    if (reply.size() < kMinFrameBytes) {
        return Refused(ReplyCheck::TooShort, reason, LoadText(CommText::ReplyTooShort).arg(reply.size()));
    }
    if (!HasValidCrc(reply)) {
        return Refused(ReplyCheck::BadCrc, reason, LoadText(CommText::ReplyBadCrc));
    }
    const ByteReader r(reply);
    const ByteReader q(request);
    if (r.u8(0) != q.u8(0)) {
        return Refused(ReplyCheck::WrongAddress, reason,
                       LoadText(CommText::ReplyWrongAddress).arg(*r.u8(0)).arg(q.u8(0).value_or(0)));
    }
    const std::uint8_t function = *r.u8(1);
    const std::optional<QString> mismatch = ReplyMismatch(request, reply);
    const QString refusal = LoadText(CommText::ReplyException).arg(r.u8(2).value_or(0));
    if (function == kAreaQueryException) {
        // The device answers a model-family check for the wrong family with this exception; it
        // carries what the request should have said, so the retry asks again corrected. Any
        // other function-100 exception is retried as well.
        if (ApplyModelFamilyAnswer(r, reply, request)) {
            return Refused(ReplyCheck::Retry, reason, LoadText(CommText::ReplyOtherFamily));
        }
        return Refused(ReplyCheck::Retry, reason, mismatch.value_or(refusal));
    }
    if (mismatch) {
        return Refused(ReplyCheck::Mismatch, reason, *mismatch);
    }
    if ((function & FunctionCode::ExceptionFlag) != 0) {
        return Refused(ReplyCheck::Exception, reason, refusal);
    }
    return ReplyCheck::Ok;
}

int SilenceInterval(int silenceMs, const QString& baudRateText) {
    bool ok = false;
    const qint64 baud = baudRateText.trimmed().toLongLong(&ok);
    if (!ok || baud <= 0 || baud >= 9600) {
        return silenceMs;
    }
    return static_cast<int>(qint64(silenceMs) * 9600 / baud);
}

namespace {

// Line breaks inside a message box text.
QString boxBreak() {
    return QStringLiteral("\r\n");
}

// The no-reply message up to its advice: the cause, the transport's cable reason, power.
QString noReplyText(int cableReason) {
    return LoadText(CommText::NoReplyBecause) + boxBreak() + LoadText(cableReason) + boxBreak() +
           LoadText(CommText::NotPoweredReason) + boxBreak() + LoadText(CommText::VerifyConnection);
}

}  // namespace

QString InvalidResponseMessage() {
    return LoadText(CommText::InvalidResponse);
}

QString SerialNoReplyMessage() {
    return noReplyText(CommText::SerialCableReasonOr) + boxBreak() + boxBreak() +
           LoadText(CommText::VerifyModbusId);
}

QString EthernetNoReplyMessage() {
    return noReplyText(CommText::EthernetCableReasonOr);
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

bool ModbusSession::failureReported() const {
    return state_.CommFailed || transport_.linkFailed();
}

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

void ModbusSession::awaitLateReply() {
    if (!lateReplyWindow_.isValid()) {
        return;
    }
    // A timed-out or refused attempt may still be answered; no request goes out before that
    // answer would have come, and the send discards it, so it is never taken for another's.
    PauseWithEvents(int(std::max<qint64>(0, state_.lateReplyGraceMs - lateReplyWindow_.elapsed())));
    lateReplyWindow_.invalidate();
}

bool ModbusSession::ModbusTransaction(QByteArray& request, QByteArray& reply, int silenceMs,
                                      bool repeatOnRetry) {
    ++transactions_;
    lastAttempts_ = 0;
    lastReplyProblem_.clear();
    int attempt = 0;
    if (state_.StopRequested) {
        state_.CommCancelled = true;  // the user's Stop: nothing more goes out, nothing is told
        return false;
    }
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

    QString problem;  // why the last reply was refused
    const auto failInvalid = [this, &problem] {
        replyTimer_.stop();
        lastReplyProblem_ = problem;
        prompter_.show({MessageIcon::Critical,
                        InvalidResponseMessage(),
                        {Reply::Ok},
                        QString::fromLatin1(kProductTitle),
                        problem});
        state_.CommFailed = true;
        state_.CommCancelled = true;  // ends the packet loop that called us
        return false;
    };

    for (;;) {
        AppendCrc(request);
        awaitLateReply();
        const bool sent = transport_.sendFrame(request);
        if (!sent && transport_.linkFailed()) {
            return failLink();
        }
        int waited = WaitResult::TimedOut;
        if (sent) {
            ++lastAttempts_;
            startReplyTimer();
            waited = WaitForReply(reply);
            if (waited == WaitResult::LinkLost) {
                return failLink();
            }
            if (waited == WaitResult::Cancelled && state_.StopRequested) {
                replyTimer_.stop();
                return false;
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
                const int check =
                    reply.size() > state_.maxReplyBytes
                        ? Refused(ReplyCheck::TooShort, &problem, LoadText(CommText::ReplyOverlong))
                        : ValidateReply(reply, request, &problem);
                if (check == ReplyCheck::Ok) {
                    replyTimer_.stop();
                    return true;
                }
                if (state_.QuietComm) {
                    // A reply to another request is no sign of this one arriving either.
                    if (check == ReplyCheck::Mismatch || reply.size() < 2 || reply.at(0) != request.at(0) ||
                        reply.at(1) != request.at(1)) {
                        return failInvalid();
                    }
                    state_.MatchedReply = true;
                } else if (attempt >= 2) {
                    return failInvalid();
                }
            }
        }
        if (sent && !state_.IdSearchActive && (waited == WaitResult::TimedOut || waited == WaitResult::Reply)) {
            lateReplyWindow_.start();
        }
        if (sent && !state_.QuietComm && !state_.IdSearchActive) {
            PauseWithEvents(state_.retryPauseMs);
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
    if (state_.StopRequested) {
        state_.CommCancelled = true;
        return false;
    }
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

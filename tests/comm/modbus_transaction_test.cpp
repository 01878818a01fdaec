#include "comm/modbus_transaction.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <modbus.h>
#include <unistd.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <atomic>
#include <deque>
#include <optional>
#include <thread>

#include "comm/comm_state.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "comm/transport.h"
#include "fake_transport.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

using test::hex;

// Read 2 holding registers at 0 from address 1, and a good answer to it.
const QByteArray kRequest = hex("010300000002");
const QByteArray kGoodReply = WithCrc(hex("0103040001000A"));

class TransactionTest : public ::testing::Test {
  protected:
    TransactionTest() {
        state.replyTimeoutMs = 20;
        state.idSearchTimeoutMs = 20;
        state.retryPauseMs = 0;
        state.lateReplyGraceMs = 0;
    }

    // One transaction of `request` against a peer answering from `replies`.
    bool transact(std::vector<std::optional<QByteArray>> replies, bool ethernet = false,
                  QByteArray request = WithCrc(kRequest), bool repeatOnRetry = false) {
        transport = std::make_unique<test::FakeTransport>(state, test::Replies(std::move(replies)), ethernet);
        session = std::make_unique<ModbusSession>(state, *transport, prompter);
        if (configure) {
            configure(*transport, *session);
        }
        return session->ModbusTransaction(request, reply, -1, repeatOnRetry);
    }
    int sent() const { return static_cast<int>(transport->sent.size()); }

    CommState state;
    ScriptedPrompter prompter;
    std::unique_ptr<test::FakeTransport> transport;
    std::unique_ptr<ModbusSession> session;
    std::function<void(test::FakeTransport&, ModbusSession&)> configure;
    QByteArray reply;
};

TEST(ModbusCrcTest, KnownVectors) {
    EXPECT_EQ(ModbusCrc(QByteArray("123456789")), 0x4B37);
    QByteArray frame = hex("01030000000A0000");
    AppendCrc(frame);
    EXPECT_EQ(frame, hex("01030000000AC5CD"));  // low byte first
    EXPECT_TRUE(HasValidCrc(frame));
    frame[3] = 1;
    EXPECT_FALSE(HasValidCrc(frame));
    EXPECT_FALSE(HasValidCrc(hex("C5CD")));
}

TEST(ValidateReplyTest, ModelFamilyAnswerCorrectsTheRequest) {
    // address, 100, 1, 14, 0, 4, 1, model 0, 1, 0
    const QByteArray original = WithCrc(hex("0164010E000401000100"));
    QByteArray request = original;
    // 12-byte exception: area 14, byte 5 = 4, bytes 6/7/9 = what the device wants (model 9).
    const QByteArray answer = WithCrc(hex("01E4010E00040709AA05"));
    ASSERT_EQ(answer.size(), 12);
    EXPECT_EQ(ValidateReply(answer, request), ReplyCheck::Retry);
    EXPECT_EQ(request.mid(6, 4), hex("07090205"));  // family of model 9 is 2

    // Area byte 142 counts too; a model index past the table leaves byte 8 alone.
    request = original;
    EXPECT_EQ(ValidateReply(WithCrc(hex("01E4018E00040730AA05")), request), ReplyCheck::Retry);
    EXPECT_EQ(request.mid(6, 4), hex("07300105"));

    // Other lengths or areas are plain function-100 exceptions: the request stays as it was.
    for (const QByteArray& other :
         {WithCrc(hex("01E4010D00040709AA05")), WithCrc(hex("01E4010E00040709AA0500"))}) {
        request = original;
        EXPECT_EQ(ValidateReply(other, request), ReplyCheck::Retry);
        EXPECT_EQ(request, original);
    }
    // A too-short request is never written past its end.
    QByteArray shortRequest = hex("0164");
    EXPECT_EQ(ValidateReply(answer, shortRequest), ReplyCheck::Retry);
    EXPECT_EQ(shortRequest, hex("0164"));
}

TEST(SilenceIntervalTest, ScalesBelow9600Baud) {
    const std::pair<const char*, int> cases[] = {{"115200", 80}, {"9600", 80},  {"4800", 160},
                                                 {"2400", 320},  {"1200", 640}, {"", 80},
                                                 {"fast", 80},   {"0", 80},     {"-1200", 80}};
    for (const auto& [baud, expected] : cases) {
        EXPECT_EQ(SilenceInterval(80, QString::fromLatin1(baud)), expected) << baud;
    }
    EXPECT_EQ(SilenceInterval(50, QStringLiteral("2400")), 200);
}

TEST_F(TransactionTest, SilenceIntervalReachesTheTransport) {
    state.BaudRateText = QStringLiteral("1200");
    transport = std::make_unique<test::FakeTransport>(state, test::Replies({kGoodReply}));
    session = std::make_unique<ModbusSession>(state, *transport, prompter);
    QByteArray request = WithCrc(kRequest);
    ASSERT_TRUE(session->ModbusTransaction(request, reply, 80));
    EXPECT_EQ(transport->silence, 640);
    EXPECT_EQ(session->lastSilenceInterval(), 640);
}

// Three attempts, then one message: "Invalid response" for replies that came but would not do,
// the transport's cable message for silence and for a single stray byte.
TEST_F(TransactionTest, FailedAttemptsEndInOneMessage) {
    const std::optional<QByteArray> none;
    struct Case {
        const char* name;
        std::optional<QByteArray> reply;
        bool ethernet;
        QString message;
        MessageIcon icon;
    };
    const QString invalid = InvalidResponseMessage();
    const Case cases[] = {
        {"wrong crc", hex("0103040001000A0000"), false, invalid, MessageIcon::Critical},
        {"wrong address", WithCrc(hex("0203040001000A")), false, invalid, MessageIcon::Critical},
        {"exception", WithCrc(hex("018302")), false, invalid, MessageIcon::Critical},
        {"overlong", WithCrc(QByteArray(2000, '\1')), false, invalid, MessageIcon::Critical},
        {"silence, serial", none, false, SerialNoReplyMessage(), MessageIcon::Warning},
        {"silence, ethernet", none, true, EthernetNoReplyMessage(), MessageIcon::Warning},
        {"stray byte", hex("FF"), false, SerialNoReplyMessage(), MessageIcon::Warning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        state.IsEthernet = c.ethernet;
        EXPECT_FALSE(transact({c.reply, c.reply, c.reply, c.reply, c.reply}, c.ethernet));
        EXPECT_EQ(sent(), 3);
        ASSERT_EQ(prompter.messages().size(), 1u);
        EXPECT_EQ(prompter.messages()[0].text, c.message);
        EXPECT_EQ(prompter.messages()[0].icon, c.icon);
        EXPECT_TRUE(state.CommFailed);
        if (c.icon == MessageIcon::Warning) {
            EXPECT_TRUE(state.CommCancelled);
        }
    }
    // The two cable messages differ only where the transports do.
    const QString common =
        QStringLiteral("The communication with the device was unsuccessful because \r\n1. ");
    EXPECT_TRUE(SerialNoReplyMessage().startsWith(common + QStringLiteral("The communication cable")));
    EXPECT_TRUE(
        EthernetNoReplyMessage().startsWith(common + QStringLiteral("The communication or Ethernet")));
    EXPECT_TRUE(SerialNoReplyMessage().endsWith(QStringLiteral("MODBUS ID settings.")));
    EXPECT_FALSE(EthernetNoReplyMessage().endsWith(QStringLiteral("MODBUS ID settings.")));
}

TEST_F(TransactionTest, RecoversOnALaterAttempt) {
    state.CommCancelled = true;  // left over from an earlier operation
    EXPECT_TRUE(transact({std::nullopt, hex("0103040001000A0000"), kGoodReply}, false,
                         kRequest + QByteArray(2, '\0')));
    EXPECT_EQ(reply, kGoodReply);
    EXPECT_EQ(session->lastAttempts(), 3);
    EXPECT_EQ(transport->sent[0], WithCrc(kRequest));
    EXPECT_FALSE(state.CommCancelled);
    EXPECT_FALSE(state.CommFailed);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(TransactionTest, RepeatOnRetryAsksForThePacketAgain) {
    const QByteArray packet = WithCrc(hex("0165010201030A0B0C"));
    ASSERT_TRUE(transact({std::nullopt, WithCrc(hex("016502020103"))}, false, packet, true));
    ASSERT_EQ(sent(), 2);
    EXPECT_EQ(transport->sent[0].at(2), 1);
    EXPECT_EQ(transport->sent[1].at(2), 2);
    EXPECT_TRUE(HasValidCrc(transport->sent[1]));

    // Without the flag the request goes out unchanged.
    ASSERT_TRUE(transact({std::nullopt, WithCrc(hex("016501020103"))}, false, packet));
    EXPECT_EQ(transport->sent[1], transport->sent[0]);
}

TEST_F(TransactionTest, QuietIdSearchTriesOnceAndNotesAMatchingReply) {
    state.QuietComm = true;
    state.IdSearchActive = true;
    state.IdSearchCount = 5;
    state.MatchedReply = false;
    EXPECT_FALSE(transact({}));
    EXPECT_EQ(sent(), 1);
    EXPECT_TRUE(prompter.messages().empty());
    EXPECT_TRUE(state.CommCancelled);

    // Address and function match but the CRC does not: the device is there.
    EXPECT_TRUE(transact({hex("0103040001000A0000")}));
    EXPECT_TRUE(state.MatchedReply);
    EXPECT_TRUE(prompter.messages().empty());

    // Someone else answered: reported at once.
    state.MatchedReply = false;
    EXPECT_FALSE(transact({WithCrc(hex("0703040001000A"))}));
    EXPECT_EQ(prompter.texts(), QStringList{InvalidResponseMessage()});
    EXPECT_TRUE(state.CommFailed);
}

TEST_F(TransactionTest, QuietProbeFailureOpensTheCommunicationErrorDialog) {
    state.QuietComm = true;
    state.IdSearchCount = 2;
    int shown = 0;
    configure = [&](test::FakeTransport&, ModbusSession& s) { s.setCommErrorDialog([&] { ++shown; }, {}); };
    for (const bool ethernet : {false, true}) {
        prompter.clear();
        shown = 0;
        EXPECT_FALSE(transact({}, ethernet));
        EXPECT_EQ(sent(), 3);
        EXPECT_EQ(shown, ethernet ? 0 : 1);
        EXPECT_EQ(prompter.texts(), ethernet ? QStringList{EthernetNoReplyMessage()} : QStringList{});
        EXPECT_FALSE(state.CommFailed);
    }
}

TEST_F(TransactionTest, CancelDuringTheWaitEndsAtOnce) {
    state.replyTimeoutMs = 60000;  // only the cancel can end this wait
    int unloaded = 0;
    configure = [&](test::FakeTransport&, ModbusSession& s) {
        s.setCommErrorDialog({}, [&] { ++unloaded; });
    };
    QTimer::singleShot(5, [&] { state.CommCancelled = true; });
    EXPECT_FALSE(transact({}));
    EXPECT_EQ(sent(), 1);
    EXPECT_EQ(unloaded, 1);
    EXPECT_TRUE(prompter.messages().empty());
}

TEST_F(TransactionTest, ClosedSerialPortOrMalformedRequestFailsSilently) {
    configure = [](test::FakeTransport& t, ModbusSession&) { t.closePort(); };
    EXPECT_FALSE(transact({kGoodReply}));
    EXPECT_EQ(sent(), 0);
    configure = {};
    EXPECT_FALSE(transact({kGoodReply}, false, hex("01")));
    EXPECT_EQ(sent(), 0);
    EXPECT_TRUE(prompter.messages().empty());
}

// --- Real transports -------------------------------------------------------------------------

// A TCP peer on 127.0.0.1 that records what it receives and answers from a queue.
class LoopbackPeer {
  public:
    LoopbackPeer() {
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, [this] {
                received += client->readAll();
                if (!answers.empty()) {
                    client->write(answers.front());
                    answers.pop_front();
                }
            });
        });
    }
    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray received;
    std::deque<QByteArray> answers;
};

// A flood of bytes from the peer is refused without hanging.
TEST_F(TransactionTest, TcpCarriesTheRtuFrameUnchangedAndRefusesAFlood) {
    LoopbackPeer peer;
    state.IsEthernet = true;
    state.TcpPort = peer.server.serverPort();
    peer.answers = {kGoodReply};
    TcpTransport tcp(state, prompter);
    ASSERT_TRUE(tcp.connectToDevice(5000));
    ModbusSession session(state, tcp, prompter);
    QByteArray request = WithCrc(kRequest), reply;
    ASSERT_TRUE(session.ModbusTransaction(request, reply));
    EXPECT_EQ(peer.received, WithCrc(kRequest));  // no MBAP header, CRC included
    EXPECT_EQ(reply, kGoodReply);
    EXPECT_TRUE(tcp.isOpen());  // kept connected between operations

    peer.answers.assign(3, QByteArray(1 << 20, '\x55'));
    EXPECT_FALSE(session.ModbusTransaction(request, reply));
    EXPECT_LE(state.EthernetRx.size(), state.maxReplyBytes + 1);
    EXPECT_EQ(prompter.texts(), QStringList{InvalidResponseMessage()});
}

TEST_F(TransactionTest, TcpErrorsAreReportedAndDropTheLink) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    state.TcpPort = closedPort;
    TcpTransport tcp(state, prompter);
    int lost = 0;
    QObject::connect(&tcp, &TcpTransport::linkLost, [&] { ++lost; });
    EXPECT_FALSE(tcp.connectToDevice(5000));
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(prompter.messages()[0].text,
              QStringLiteral("Invalid Port Number. Please enter a valid Port Number."));
    EXPECT_EQ(prompter.messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(lost, 1);

    // Not connected: nothing is sent, and the cable message follows the three attempts.
    prompter.clear();
    ModbusSession session(state, tcp, prompter);
    QByteArray request = WithCrc(kRequest), reply;
    EXPECT_FALSE(session.ModbusTransaction(request, reply));
    EXPECT_EQ(prompter.texts(), QStringList{EthernetNoReplyMessage()});
}

// A serial peer on the master side of a pseudo-terminal that never stops talking.
TEST_F(TransactionTest, SerialEndlessStreamIsRefusedWithoutHanging) {
    test::PtyPair pty;
    fcntl(pty.master, F_SETFL, fcntl(pty.master, F_GETFL) | O_NONBLOCK);
    std::atomic<bool> stop{false};
    std::thread talker([&] {
        const QByteArray noise(64, '\x5A');
        while (!stop) {
            if (write(pty.master, noise.constData(), noise.size()) < 0) {
                usleep(200);
            }
            usleep(100);
        }
    });
    state.SerialPortPath = pty.path;
    state.silenceMs = 30;
    SerialTransport serial(state);
    ModbusSession session(state, serial, prompter);
    ASSERT_TRUE(session.openIfSerial());
    QByteArray request = WithCrc(kRequest), reply;
    EXPECT_FALSE(session.ModbusTransaction(request, reply));
    session.closeIfSerial();
    stop = true;
    talker.join();
    EXPECT_EQ(prompter.texts(), QStringList{InvalidResponseMessage()});
    EXPECT_EQ(session.lastAttempts(), 3);
}

// Our transaction over a real serial port against libmodbus, an RTU server nobody here wrote:
// both ends of a pseudo-terminal, libmodbus on the master side, SerialTransport on the slave.
class LibmodbusPeerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        map_ = modbus_mapping_new(16, 40, 1004, 72);
        ASSERT_NE(map_, nullptr);
        // libmodbus opens a device path itself; give it the master side we already hold.
        ctx_ = modbus_new_rtu("/dev/null", 9600, 'N', 8, 1);
        ASSERT_NE(ctx_, nullptr);
        modbus_set_slave(ctx_, 1);
        modbus_set_socket(ctx_, pty_.master);
        modbus_set_indication_timeout(ctx_, 0, 50000);

        state_.SerialPortPath = pty_.path;
        state_.silenceMs = 20;
        state_.replyTimeoutMs = 1000;
        state_.retryPauseMs = 0;
        state_.lateReplyGraceMs = 0;
    }

    void startServer() {
        server_ = std::thread([this] {
            std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!stop_) {
                const int length = modbus_receive(ctx_, query);
                if (length > 0) {
                    modbus_reply(ctx_, query, length, map_);
                }
            }
        });
    }

    void stopServer() {
        stop_ = true;
        if (server_.joinable()) {
            server_.join();
        }
    }

    void TearDown() override {
        stopServer();
        if (ctx_ != nullptr) {
            modbus_free(ctx_);  // not modbus_close: the descriptor is ours
        }
        if (map_ != nullptr) {
            modbus_mapping_free(map_);
        }
    }

    test::PtyPair pty_;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::thread server_;
    std::atomic<bool> stop_{false};
    CommState state_;
    ScriptedPrompter prompter_;
};

TEST_F(LibmodbusPeerTest, StandardFunctionsAgree) {
    const std::uint16_t clock[6] = {2026, 6, 5, 8, 30, 59};
    std::copy(std::begin(clock), std::end(clock), map_->tab_registers + kClockRegister);
    for (int i = 0; i < 8; ++i) {
        map_->tab_input_registers[64 + i] = static_cast<std::uint16_t>(1000 * i + 7);
    }
    for (int i = 0; i < 40; ++i) {
        map_->tab_input_bits[i] = (i % 3 == 0) ? 1 : 0;
    }
    startServer();

    SerialTransport serial(state_);
    ModbusSession session(state_, serial, prompter_);

    const auto holding = ReadRegisters(session, 3, kClockRegister, kClockRegisterCount);
    ASSERT_TRUE(holding);
    EXPECT_EQ(*holding, std::vector<std::uint16_t>(std::begin(clock), std::end(clock)));
    EXPECT_FALSE(serial.isOpen());  // closed after each operation

    const auto input = ReadRegisters(session, 4, 64, 8);
    ASSERT_TRUE(input);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ((*input)[i], 1000 * i + 7);
    }

    const auto inputs = ReadDiscreteInputs(session);
    ASSERT_TRUE(inputs);
    ASSERT_EQ(inputs->size(), 5);
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ((static_cast<std::uint8_t>(inputs->at(i / 8)) >> (i % 8)) & 1, i % 3 == 0 ? 1 : 0) << i;
    }

    ASSERT_TRUE(WriteCoils(session, 0xA55A));
    std::vector<std::uint16_t> dst(kDstRegisterCount);
    for (int i = 0; i < kDstRegisterCount; ++i) {
        dst[i] = static_cast<std::uint16_t>(0x0101 * i);
    }
    ASSERT_TRUE(WriteRegisters(session, kDstRegister, dst));
    EXPECT_TRUE(prompter_.messages().empty());

    stopServer();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(map_->tab_bits[i], (0xA55A >> i) & 1) << i;
    }
    for (int i = 0; i < kDstRegisterCount; ++i) {
        EXPECT_EQ(map_->tab_registers[kDstRegister + i], dst[i]) << i;
    }
}

}  // namespace
}  // namespace bdx

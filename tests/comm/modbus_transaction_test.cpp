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

#include "comm/byte_reader.h"
#include "comm/comm_state.h"
#include "comm/modbus_crc.h"
#include "comm/modbus_requests.h"
#include "comm/reply_match.h"
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

// The reply check as the transaction runs it: each request of the program against its proper
// reply and against replies that answer something else.
QByteArray Sent(QByteArray request) {
    AppendCrc(request);
    return request;
}

QByteArray Answer(const char* hexBody) {
    return WithCrc(QByteArray::fromHex(hexBody));
}

struct Case {
    const char* name;
    QByteArray request;  // CRC filled in
    QByteArray reply;
    int code;
    const char* reason;  // part of the reason; "" when accepted
};

TEST(ReplyMatchTest, RepliesAgainstTheirRequests) {
    const QByteArray readTwo = Sent(ReadRegistersRequest(1, FunctionCode::ReadHoldingRegisters, 0, 2));
    const QByteArray readHolding = Sent(ReadRegistersRequest(1, FunctionCode::ReadHoldingRegisters, 384, 6));
    const QByteArray readInputs = Sent(ReadDiscreteInputsRequest(1, 0, 40));
    const QByteArray writeClock = Sent(WriteRegistersRequest(1, 384, {2030, 1, 2, 3, 4, 5}));
    const QByteArray writeCoils = Sent(WriteCoilsRequest(1, 0, 16, QByteArray::fromHex("0F00")));
    const QByteArray writeCoil =
        Sent(MakeRequest(1, FunctionCode::WriteCoil, QByteArray::fromHex("0003FF00")));
    const QByteArray query = Sent(AreaQueryRequest(1, Area::Time));
    const QByteArray firstPacket = Sent(AreaPacketReadRequest(1, SubCommand::First, Area::ConfigRecord));
    const QByteArray nextPacket = Sent(AreaPacketReadRequest(1, SubCommand::Next, Area::ProgramCode));
    const QByteArray packetWrite =
        Sent(AreaPacketWriteRequest(1, SubCommand::Next, Area::ProgramCode, 2, "abc"));
    const QByteArray stop = Sent(ItemWriteRequest(1, Area::Setting, QByteArray(1, char(DeviceMode::Stop))));
    const QByteArray family = Sent(ModelFamilyRequest(1, 9));
    using namespace ReplyCheck;
    const Case cases[] = {
        // Checked in this order: length, CRC, address, then what the reply says.
        {"empty", readTwo, QByteArray(), TooShort, ""},
        {"three bytes", readTwo, QByteArray::fromHex("010304"), TooShort, ""},
        {"bad crc", readTwo, QByteArray::fromHex("0103040001000A0000"), BadCrc, ""},
        {"bad crc beats wrong address", readTwo, QByteArray::fromHex("0203040001000A0000"), BadCrc, ""},
        {"wrong address", readTwo, Answer("0203040001000A"), WrongAddress, ""},
        {"no request to answer", QByteArray(), Answer("0103040001000A"), WrongAddress, ""},
        {"function-100 exception to a register read", readTwo, Answer("01E402"), Retry, ""},
        // Proper replies.
        {"two registers", readTwo, Answer("0103040001000A"), Ok, ""},
        {"registers", readHolding, Answer("01030C07EE00010002000300040005"), Ok, ""},
        {"inputs", readInputs, Answer("0102050102030405"), Ok, ""},
        {"write echo", writeClock, Answer("011001800006"), Ok, ""},
        {"coils echo", writeCoils, Answer("010F00000010"), Ok, ""},
        {"single coil echo", writeCoil, Answer("01050003FF00"), Ok, ""},
        {"item query", query, Answer("0164000601030A0B0C"), Ok, ""},
        {"record packet", firstPacket, Answer("01640304010B0102030405060708090A0B"), Ok, ""},
        {"next packet, the last", nextPacket, Answer("016403020F02AABB"), Ok, ""},
        {"packet write", packetWrite, Answer("016501020203"), Ok, ""},
        {"item write: status and size", stop, Answer("016500090001"), Ok, ""},
        {"model family echo", family, Answer("0164010E000401090100"), Ok, ""},
        {"exception", writeClock, Answer("019002"), Exception, "exception 2"},
        // Function codes.
        {"read code to a write", stop, Answer("016400090001"), Mismatch, "function code 100"},
        {"register read to the clock write", writeClock, Answer("01030C07EE00010002000300040005"), Mismatch,
         "function code 3"},
        {"exception of another function", writeClock, Answer("018302"), Mismatch, "exception of function 3"},
        {"exception one byte long", writeClock, Answer("01900200"), Mismatch, "6 bytes long; 5"},
        {"exception without code", stop, Answer("01E5"), Mismatch, "4 bytes long; 5"},
        {"function-100 exception stays a retry", query, Answer("01E40200"), Retry, "6 bytes long"},
        // Byte counts.
        {"register count short", readHolding, Answer("01030B07EE00010002000300040005"), Mismatch,
         "counts 11"},
        {"register frame short", readHolding, Answer("01030C07EE0001000200030004"), Mismatch,
         "15 bytes long; 17"},
        {"no data at all", readHolding, Answer("0103"), Mismatch, "4 bytes long; 17"},
        {"input count short", readInputs, Answer("01020401020304"), Mismatch, "40 bits"},
        {"area length short", query, Answer("0164000601020A0B0C"), Mismatch,
         "announces 2 data bytes but carries 3"},
        {"area reply headless", query, Answer("01640006"), Mismatch, "too short"},
        {"other area", query, Answer("016400050103010203"), Mismatch, "area 5; area 6"},
        {"query answered as a packet", query, Answer("016401060103010203"), Mismatch, "sub-command 1"},
        {"packet answered as a query", nextPacket, Answer("016400020F02AABB"), Mismatch, "sub-command 0"},
        {"packet of an unknown kind", firstPacket, Answer("016405040100"), Mismatch, "sub-command 5"},
        // Echoes.
        {"clock write at another address", writeClock, Answer("011001810006"), Mismatch,
         "address 385; the request wrote at 384"},
        {"clock write of fewer registers", writeClock, Answer("011001800005"), Mismatch, "quantity of 5"},
        {"coil value", writeCoil, Answer("010500030000"), Mismatch, "the value 0"},
        {"echo too long", writeCoils, Answer("010F0000001000"), Mismatch, "9 bytes long; 8"},
        {"item for another area", stop, Answer("016500080001"), Mismatch, "area 8; the request sent 9"},
        {"item as a packet", stop, Answer("016504090001"), Mismatch, "sub-command 4"},
        {"packet number", packetWrite, Answer("016501020303"), Mismatch, "packet number 3"},
        {"packet length", packetWrite, Answer("016501020202"), Mismatch, "length 2"},
    };
    for (const Case& c : cases) {
        QByteArray request = c.request;
        QString reason;
        EXPECT_EQ(ValidateReply(c.reply, request, &reason), c.code) << c.name << ": " << reason.toStdString();
        EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << c.name << ": " << reason.toStdString();
        EXPECT_EQ(request, c.request) << c.name;  // only a model family answer corrects it
        if (c.code == Ok || c.code == Mismatch) {
            EXPECT_EQ(ReplyMismatch(c.request, c.reply).has_value(), c.code == Mismatch) << c.name;
        }
    }
}

// Every read width in both orders, at the edges of a five-byte sequence: inside it gives the
// number, one byte past either end gives nothing.
TEST(ByteReader, ReadsInsideAndNothingPastEitherEnd) {
    const QByteArray bytes = QByteArray::fromHex("0102A0B0FF");
    const ByteReader r(bytes);
    using U = std::optional<std::uint32_t>;
    struct Case {
        qsizetype at;
        U u8, be16, le16, be32, le32;
    };
    const Case cases[] = {
        {0, 0x01, 0x0102, 0x0201, 0x0102A0B0, 0xB0A00201},
        {1, 0x02, 0x02A0, 0xA002, 0x02A0B0FF, 0xFFB0A002},
        {3, 0xB0, 0xB0FF, 0xFFB0, {}, {}},
        {4, 0xFF, {}, {}, {}, {}},
        {5, {}, {}, {}, {}, {}},
        {-1, {}, {}, {}, {}, {}},
    };
    const auto widen = [](auto v) { return v ? U(*v) : U(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(widen(r.u8(c.at)), c.u8);
        EXPECT_EQ(widen(r.u16be(c.at)), c.be16);
        EXPECT_EQ(widen(r.u16le(c.at)), c.le16);
        EXPECT_EQ(widen(r.u16(c.at, ByteOrder::Big)), c.be16);
        EXPECT_EQ(r.u32be(c.at), c.be32);
        EXPECT_EQ(r.u32le(c.at), c.le32);
        EXPECT_EQ(r.u32(c.at, OrderOf(false)), c.le32);
    }
}

TEST(ByteReader, SlicesOnlyWhatIsThere) {
    const QByteArray bytes("abcdef");
    const ByteReader r(bytes);
    EXPECT_EQ(r.bytes(2, 3)->toByteArray(), "cde");
    EXPECT_EQ(r.bytes(6, 0)->size(), 0);
    const std::pair<int, int> outside[] = {{4, 3}, {-1, 2}, {2, -1}, {7, 0}, {0, 7}};
    for (const auto& [at, count] : outside) {
        EXPECT_FALSE(r.bytes(at, count)) << at << ' ' << count;
        EXPECT_FALSE(r.has(at, count)) << at << ' ' << count;
    }
    EXPECT_FALSE(ByteReader(QByteArrayView()).u8(0));
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

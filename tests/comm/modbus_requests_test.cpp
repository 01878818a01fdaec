#include "comm/modbus_requests.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <map>
#include <optional>

#include "comm/comm_state.h"
#include "comm/modbus_crc.h"
#include "comm/transport.h"
#include "fake_transport.h"
#include "shell/language_table.h"
#include "shell/scripted_prompter.h"

namespace bdx {
namespace {

using test::hex;

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    }
    return bytes;
}

// Just enough of a device for the packet exchanges: areas in 200-byte packets.
struct FakeDevice {
    std::map<int, QByteArray> areas;
    int packet = 0;
    QByteArray written;
    // Lets a test spoil packet replies: (packet number, reply without CRC) -> reply without CRC.
    std::function<QByteArray(int, QByteArray)> spoil;
    int answerLimit = 1 << 30;  // requests answered before the device goes quiet

    std::optional<QByteArray> operator()(const QByteArray& frame) {
        if (answerLimit-- <= 0) {
            return std::nullopt;
        }
        const QByteArray request = frame.left(frame.size() - 2);
        const int function = static_cast<std::uint8_t>(request.at(1));
        const int sub = request.at(2);
        const int area = request.at(3);
        const QByteArray& data = areas[area];
        const int packets = static_cast<int>((data.size() + 199) / 200);
        QByteArray reply = request.left(2);
        if (function == 100 && sub == 0) {
            reply += hex("00");
            reply += char(area);
            reply += char(packets);
            reply += hex("00");
        } else if (function == 100) {
            packet = sub == 4 ? 1 : sub == 1 ? packet + 1 : packet;
            const QByteArray chunk = data.mid((packet - 1) * 200, 200);
            reply += char(packet == packets ? 3 : 1);
            reply += char(area);
            reply += char(packet);
            reply += char(chunk.size());
            reply += chunk;
            if (spoil) {
                reply = spoil(packet, reply);
            }
        } else if (function == 101) {
            written += request.mid(6);
            reply += request.mid(2, 4);  // sub-command, area, packet number, length
        }
        return WithCrc(reply);
    }
};

class RequestsTest : public ::testing::Test {
  protected:
    RequestsTest() {
        state.replyTimeoutMs = 20;
        state.retryPauseMs = 0;
        state.lateReplyGraceMs = 0;
    }
    void use(test::Responder responder) {
        session.reset();
        transport = std::make_unique<test::FakeTransport>(state, std::move(responder));
        session = std::make_unique<ModbusSession>(state, *transport, prompter);
    }
    QByteArray lastSent() const { return transport->sent.back().chopped(2); }

    CommState state;
    ScriptedPrompter prompter;
    FakeDevice device;
    std::unique_ptr<test::FakeTransport> transport;
    std::unique_ptr<ModbusSession> session;
};

TEST(RequestFramesTest, BytesOnTheWire) {
    const std::pair<QByteArray, const char*> cases[] = {
        {AreaQueryRequest(1, Area::Time), "01640006"},
        {AreaQueryRequest(1, Area::MonitorStatus, hex("0000")), "0164000D0000"},
        {AreaPacketReadRequest(7, SubCommand::First, Area::ConfigRecord), "07640404"},
        {AreaPacketWriteRequest(1, SubCommand::First, 4, 1, hex("0102030405060708090A0B")),
         "01650404010B0102030405060708090A0B"},
        {ItemWriteRequest(1, Area::Setting, hex("03")), "0165000903"},
        {ItemWriteRequest(1, Area::Command, {}), "01650008"},
        {ReadRegistersRequest(1, 3, 384, 6), "010301800006"},
        {ReadRegistersRequest(1, 4, 64, 8), "010400400008"},
        {WriteRegistersRequest(1, 390, {0}), "011001860001020000"},
        {WriteRegistersRequest(1, 1000, {5, 1, 0, 0x1234}), "011003E80004080005000100001234"},
        {ReadDiscreteInputsRequest(1, 0, 40), "010200000028"},
        {WriteCoilsRequest(1, 0, 16, hex("0102")), "010F00000010020102"},
        {IdentityRequest(9), "0911"},
        {ModelFamilyRequest(1, 9), "0164010E000401090100"},
    };
    for (const auto& [frame, expected] : cases) {
        EXPECT_EQ(frame.toHex(), (hex(expected) + QByteArray(2, '\0')).toHex()) << expected;
    }
    // A packet never carries more than 200 data bytes.
    EXPECT_EQ(AreaPacketWriteRequest(1, 1, 2, 3, pattern(300)).size(), 6 + 200 + 2);
}

TEST(RequestFramesTest, AreaWritePlan) {
    struct Case {
        int length;
        std::vector<std::array<int, 4>> packets;  // sub-command, packet, offset, length
    };
    const Case cases[] = {
        {0, {}},
        {1, {{4, 1, 0, 1}}},
        {200, {{4, 1, 0, 200}}},
        {400, {{4, 1, 0, 200}, {3, 2, 200, 200}}},
        {401, {{4, 1, 0, 200}, {1, 2, 200, 200}, {3, 3, 400, 1}}},
        {1190,
         {{4, 1, 0, 200},
          {1, 2, 200, 200},
          {1, 3, 400, 200},
          {1, 4, 600, 200},
          {1, 5, 800, 200},
          {3, 6, 1000, 190}}},
    };
    for (const Case& c : cases) {
        const std::vector<PacketPlan> plan = PlanAreaWrite(c.length);
        ASSERT_EQ(plan.size(), c.packets.size()) << c.length;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            const std::array<int, 4> got = {plan[i].subCommand, plan[i].packet, plan[i].offset,
                                            plan[i].length};
            EXPECT_EQ(got, c.packets[i]) << c.length << " packet " << i;
        }
    }
}

// Whole areas written and read back: the program transfer's test against the virtual device.
TEST_F(RequestsTest, FailedPacketIsRepeatedThenTheWriteStops) {
    device.answerLimit = 2;  // packets 1 and 2 go through, then silence
    use(std::ref(device));
    EXPECT_FALSE(WriteDeviceArea(*session, Area::ProgramCode, pattern(1000)));
    ASSERT_EQ(transport->sent.size(), 5u);  // 1, 2, then packet 3 three times
    EXPECT_EQ(transport->sent[2].left(5), hex("0165010203"));
    EXPECT_EQ(transport->sent[3].left(5), hex("0165020203"));  // repeat request
    EXPECT_EQ(transport->sent[4].left(5), hex("0165020203"));
    EXPECT_TRUE(state.CommCancelled);
    EXPECT_EQ(prompter.texts(), QStringList{SerialNoReplyMessage()});
}

TEST_F(RequestsTest, HostilePacketRepliesAreRefused) {
    struct Case {
        const char* name;
        std::function<QByteArray(int, QByteArray)> spoil;
    };
    const Case cases[] = {
        {"length beyond the frame", [](int, QByteArray r) { return r.left(6 + 50); }},
        {"length above 200", [](int, QByteArray r) { return (r[5] = char(201), r + QByteArray(1, 'x')); }},
        {"packet skipped", [](int k, QByteArray r) { return (r[4] = char(k == 2 ? 3 : k), r); }},
        {"packet from the past", [](int k, QByteArray r) { return (r[4] = char(k == 3 ? 1 : k), r); }},
        {"another area", [](int k, QByteArray r) { return (r[3] = char(k == 2 ? 3 : 2), r); }},
        {"another function", [](int, QByteArray r) { return (r[1] = char(3), r); }},
        {"header only", [](int, QByteArray r) { return r.left(4); }},
    };
    device.areas[Area::ProgramCode] = pattern(1000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.clear();
        device.spoil = c.spoil;
        use(std::ref(device));
        QByteArray buffer("stale");
        EXPECT_EQ(ReadDeviceArea(*session, Area::ProgramCode, buffer), -1);
        EXPECT_TRUE(buffer.isEmpty());
        EXPECT_EQ(prompter.texts(), QStringList{InvalidResponseMessage()});
        EXPECT_TRUE(state.CommCancelled);
    }
}

TEST_F(RequestsTest, ReadStopsAtTheAnnouncedPacketCountOrARepeatedPacket) {
    device.areas[Area::ProgramCode] = pattern(600);  // 3 packets
    // The device never marks a last packet: the read still stops after three.
    device.spoil = [](int, QByteArray r) { return (r[2] = char(1), r); };
    use(std::ref(device));
    QByteArray buffer;
    EXPECT_EQ(ReadDeviceArea(*session, Area::ProgramCode, buffer), 600);
    EXPECT_EQ(transport->sent.size(), 1u + 3u);

    // A device repeating packet 2 has nothing more: the read ends with what came.
    device.spoil = [](int k, QByteArray r) { return (r[4] = char(std::min(k, 2)), r); };
    use(std::ref(device));
    EXPECT_EQ(ReadDeviceArea(*session, Area::ProgramCode, buffer), 400);

    // An empty area reads as nothing, without packet requests.
    device.areas[Area::ProgramCode].clear();
    use(std::ref(device));
    EXPECT_EQ(ReadDeviceArea(*session, Area::ProgramCode, buffer), 0);
    EXPECT_EQ(transport->sent.size(), 1u);
    EXPECT_TRUE(prompter.messages().empty());
}

// Its frames are the frame test's; a record of the wrong size is not taken.
TEST_F(RequestsTest, ConfigurationRecordOfTheWrongSizeIsRefused) {
    device.areas[Area::ConfigRecord] = hex("0102030405060708090A0B");
    use(std::ref(device));
    EXPECT_EQ(ReadConfigRecord(*session, 11), device.areas[Area::ConfigRecord]);
    EXPECT_FALSE(ReadConfigRecord(*session, 8));
    EXPECT_EQ(prompter.texts(), QStringList{InvalidResponseMessage()});
}

QByteArray identityReply(const char* model) {
    QByteArray reply = hex("0111");
    reply.append(33, '\0');     // bytes 2..34
    reply.append("QX2 V2.10");  // 35..43
    reply.append(2, '\0');      // 44..45
    reply.append(model);        // 46..47
    return WithCrc(reply);
}

TEST_F(RequestsTest, IdentityGivesModelAndFirmware) {
    use([](const QByteArray&) { return identityReply("09"); });
    EXPECT_EQ(ReadDeviceIdentity(*session), 9);
    EXPECT_EQ(state.FirmwareText, QStringLiteral("QX2 V2.10"));
    EXPECT_FALSE(transport->isOpen());

    use([](const QByteArray&) { return identityReply("16"); });
    EXPECT_FALSE(ReadDeviceIdentity(*session));
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(520)});

    prompter.clear();
    use([](const QByteArray&) { return identityReply("9x"); });
    EXPECT_FALSE(ReadDeviceIdentity(*session));
    EXPECT_EQ(prompter.texts(), QStringList{LoadText(521)});
    prompter.clear();
    use([](const QByteArray&) { return std::nullopt; });
    EXPECT_FALSE(ReadDeviceIdentity(*session));
    // The silence has been reported; the failed read is no second cause.
    EXPECT_EQ(prompter.texts(), QStringList{SerialNoReplyMessage()});
}

TEST_F(RequestsTest, SmallRepliesAreTakenApartOrRefused) {
    use([](const QByteArray& f) -> std::optional<QByteArray> {
        switch (f.at(1)) {
            case 3:
                return WithCrc(hex("01030C07EA000600050008001E0000"));
            case 4:
                return WithCrc(hex("010402FFFF"));  // one register where eight were asked
            case 2:
                return WithCrc(hex("01020401020304"));  // four input bytes where five were asked
            default:
                break;
        }
        if (f.at(3) == Area::Time) {
            return WithCrc(hex("016400060003081E05"));
        }
        return WithCrc(hex("01640005"));  // header only: no item in it
    });
    EXPECT_EQ(ReadRegisters(*session, 3, kClockRegister, kClockRegisterCount),
              (std::vector<std::uint16_t>{2026, 6, 5, 8, 30, 0}));
    EXPECT_EQ(ReadDeviceTime(*session), std::optional<QByteArray>(hex("081E05")));
    EXPECT_TRUE(prompter.messages().empty());

    EXPECT_FALSE(ReadRegisters(*session, 4, 64, 8));
    EXPECT_FALSE(ReadDiscreteInputs(*session));
    EXPECT_FALSE(ReadDeviceDate(*session));
    EXPECT_EQ(prompter.texts(), QStringList(3, InvalidResponseMessage()));
    EXPECT_FALSE(WriteRegisters(*session, 0, std::vector<std::uint16_t>(124)));
}

TEST_F(RequestsTest, ModelFamilyCheck) {
    state.ModelByte = 0;
    int calls = 0;
    // The device is model 9: first it corrects the request, then answers it.
    use([&](const QByteArray& f) -> std::optional<QByteArray> {
        ++calls;
        if (static_cast<std::uint8_t>(f.at(7)) != 9) {
            return WithCrc(hex("01E4010E00040009AA00"));
        }
        return WithCrc(f.left(10));
    });
    EXPECT_EQ(CheckModelFamily(*session), ModelFamilyResult::Accepted);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(session->lastSilenceInterval(), 50);

    // A device of the other family echoing the wrong family byte.
    use([](const QByteArray&) { return WithCrc(hex("0164010E000401090100")); });
    state.ModelByte = 9;
    EXPECT_EQ(CheckModelFamily(*session), ModelFamilyResult::Rejected);
    use([](const QByteArray&) { return std::nullopt; });
    EXPECT_EQ(CheckModelFamily(*session), ModelFamilyResult::NoReply);
}

}  // namespace
}  // namespace bdx

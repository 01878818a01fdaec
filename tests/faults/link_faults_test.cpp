#include <gtest/gtest.h>

#include <QSerialPort>
#include <QTemporaryDir>

#include "../cli/run_cli.h"
#include "../device/device_process.h"
#include "../ladder/test_programs.h"
#include "comm/modbus_transaction.h"
#include "comm/reply_framing.h"
#include "shell/language_table.h"

// Faults of the link between the program and the device: ports that cannot be used, replies
// that come in pieces, late or never end, and a peer that goes away in the middle of a wait. The
// command-line tool runs as a shell would run it, against the virtual device's fault modes; each
// fault must end the command with its exit code and exactly one message.
namespace bdx {
namespace {

using test::DeviceProcess;

int Messages(const CliResult& r) {
    return int(r.err.count(QStringLiteral("BRANTELDESK X: ")));
}

std::string Describe(const CliResult& r) {
    return QStringLiteral("exit %1\nstdout: %2\nstderr: %3").arg(r.code).arg(r.out, r.err).toStdString();
}

// --- Ports that cannot be used --------------------------------------------------------------

TEST(LinkFaults, UnusablePortEndsWithOneMessageNamingIt) {
    QTemporaryDir dir;
    const QString plainFile = dir.filePath(QStringLiteral("not-a-terminal"));
    ASSERT_TRUE(writeFile(plainFile));

    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty", "--no-stdin"})) << device.failure.toStdString();
    QSerialPort holder(device.ptyPath);  // another program has the port open
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();

    for (const QString& port : {QStringLiteral("/dev/pts/9999"), plainFile, device.ptyPath}) {
        SCOPED_TRACE(port.toStdString());
        for (const char* command : {"stop", "clock"}) {
            const CliResult o = RunCli({command, "--serial", port});
            EXPECT_EQ(o.code, 1) << Describe(o);
            EXPECT_EQ(Messages(o), 1) << Describe(o);
            EXPECT_TRUE(o.err.contains(port)) << Describe(o);
        }
    }
}

// --- The device's side of the link ----------------------------------------------------------

enum class Over { Tcp, Pty };

struct LinkCase {
    const char* name;
    QStringList faults;
    Over over;
    int code;
    const char* message;  // in the one message
};

void PrintTo(const LinkCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviceLinkFault : public testing::TestWithParam<LinkCase> {};

TEST_P(DeviceLinkFault, EndsWithItsExitCodeAndOneMessage) {
    const LinkCase& c = GetParam();
    DeviceProcess device;
    QStringList arguments = c.over == Over::Tcp ? QStringList{"--tcp", "127.0.0.1:0"} : QStringList{"--pty"};
    arguments << QStringLiteral("--no-stdin");
    for (const QString& fault : c.faults) {
        arguments << QStringLiteral("--fault") << fault;
    }
    ASSERT_TRUE(device.start(arguments)) << device.failure.toStdString();
    const QStringList link = c.over == Over::Tcp ? QStringList{"--tcp", device.tcpAddress()}
                                                 : QStringList{"--serial", device.ptyPath};
    const CliResult o = RunCli(QStringList{"clock"} + link);
    EXPECT_EQ(o.code, c.code) << Describe(o);
    EXPECT_EQ(Messages(o), 1) << Describe(o);
    EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.message))) << Describe(o);
}

const char* const kRead = "Device data has been read successfully.";
const char* const kNoAnswer = "The communication with the device was unsuccessful because ";
const char* const kLinkLost = "was lost";

INSTANTIATE_TEST_SUITE_P(
    Faults, DeviceLinkFault,
    testing::Values(
        // A reply in two TCP segments is one reply, wherever the split falls.
        LinkCase{"SplitAfter7Tcp", {"split:7"}, Over::Tcp, 0, kRead},
        LinkCase{"SplitAfter2Tcp", {"split:2"}, Over::Tcp, 0, kRead},
        // Silence: the serial probe reports once, through the communication-error report.
        LinkCase{"NoReplyPty", {"no-reply"}, Over::Pty, 1, kNoAnswer},
        // A late reply inside the time-out is a reply. Half a second of margin: on a loaded
        // machine the device process itself can be a few hundred milliseconds late.
        LinkCase{"LateButInTimeTcp", {"slow:2500"}, Over::Tcp, 0, kRead},
        // A reply too late for its attempt is no reply to the retry either.
        LinkCase{"TooLateTcp", {"slow:3300"}, Over::Tcp, 1, kNoAnswer},
        // A stream that never ends is never a reply.
        LinkCase{"EndlessPty", {"endless"}, Over::Pty, 1, "BRANTELDESK X: "},
        LinkCase{"EndlessTcp", {"endless"}, Over::Tcp, 1, "BRANTELDESK X: "},
        // The peer goes away during a wait, or between two requests.
        LinkCase{"VanishPty", {"vanish"}, Over::Pty, 1, kLinkLost},
        LinkCase{"VanishTcp", {"vanish"}, Over::Tcp, 1, kLinkLost},
        LinkCase{"DropAfterProbeTcp", {"drop-after:1"}, Over::Tcp, 1, kLinkLost}),
    [](const testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

// --- Gathering a reply that arrives in pieces -------------------------------------------------

// How many bytes a reply still lacks, for replies cut anywhere: 0 once whole, and 0 for what
// no reply to the request can start with (the first arrival is then taken as it is).
TEST(ReplyFraming, CountsTheBytesAReplyStillLacks) {
    const QByteArray readHolding = test::Frame({1, 3, 1, 134, 0, 6});
    const QByteArray holdingReply = test::Frame({1, 3, 4, 0, 7, 0, 9});  // 9 bytes
    const QByteArray areaQuery = test::Frame({1, 100, 0, 6});
    const QByteArray areaReply = test::Frame({1, 100, 0, 6, 1, 3, 12, 30, 5});  // 11 bytes
    const QByteArray familyCheck = test::Frame({1, 100, 1, 14, 0, 4, 1, 9, 2, 0});
    const QByteArray familyAnswer = test::Frame({1, 228, 1, 14, 0, 4, 1, 3, 1, 0});  // 12 bytes
    const QByteArray exception = test::Frame({1, 228, 2});
    const QByteArray itemWrite = test::Frame({1, 101, 0, 9, 1, 3});
    const QByteArray itemReply = test::Frame({1, 101, 0, 9, 0, 1});
    const QByteArray writeCoils = test::Frame({1, 15, 0, 0, 0, 16, 2, 0, 0});
    const QByteArray coilsEcho = test::Frame({1, 15, 0, 0, 0, 16});
    struct Case {
        const char* name;
        QByteArray request, received;
        int missing;
    };
    const Case cases[] = {
        {"holding, whole", readHolding, holdingReply, 0},
        {"holding, header only", readHolding, holdingReply.left(3), 6},
        {"holding, cut after the function", readHolding, holdingReply.left(2), 1},
        {"area, cut after 7", areaQuery, areaReply.left(7), 4},
        {"area, cut before the length", areaQuery, areaReply.left(4), 2},
        {"family answer, cut after 7", familyCheck, familyAnswer.left(7), 5},
        {"family answer, whole", familyCheck, familyAnswer, 0},
        {"short exception, whole", areaQuery, exception, 0},
        {"item reply, cut after 5", itemWrite, itemReply.left(5), 3},
        {"coils echo, cut after 3", writeCoils, coilsEcho.left(3), 5},
        {"a single byte", readHolding, holdingReply.left(1), 0},
        {"another function", readHolding, test::Frame({1, 4, 2, 0, 0}).left(3), 0},
        {"garbage", areaQuery, QByteArray(6, char(0xA5)), 0},
        {"more than expected", readHolding, holdingReply + holdingReply, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReplyBytesMissing(c.received, c.request), c.missing) << c.name;
    }
}

// --- Replies that answer, but not what was asked ---------------------------------------------

// Every device command must fail with the invalid-reply message and its reason, over TCP and over
// the pseudo-terminal, and never report success.
constexpr int kTextDataWritten = 4298;
constexpr int kTextProgramDownloaded = 4300;

struct FaultCase {
    const char* mode;
    const char* reason;  // part of the reason printed under the message
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.mode;
}

const FaultCase kFaults[] = {
    {"wrong-function", "function code"},
    {"wrong-id", "comes from address"},
    {"wrong-echo", "The reply confirms"},
    {"short-count", "announces"},
    {"bad-exception", "exception reply is 6 bytes long"},
};

// The commands, each with the device options appended.
QList<QStringList> Commands() {
    return {
        {"write", QStringLiteral(BDX_SOURCE_DIR "/examples/batching_counter.h53"), "--yes"},
        {"clock", "--set", "2030-01-02 03:04:05", "--yes"},
        {"stop"},
    };
}

class ReplyFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ReplyFaults, EveryCommandFailsWithTheReason) {
    const FaultCase& fault = GetParam();
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--model", "8", "--tcp", "0", "--pty", "--fault", fault.mode}))
        << device.failure.toStdString();
    const QList<QStringList> transports = {{"--tcp", device.tcpAddress()}, {"--serial", device.ptyPath}};
    for (const QStringList& transport : transports) {
        for (const QStringList& command : Commands()) {
            const QStringList line = command + transport;
            const std::string name = (QLatin1String(fault.mode) + u' ' + line.join(u' ')).toStdString();
            const CliResult r = test::RunCli(line);  // in this process
            EXPECT_EQ(r.code, 1) << name << "\n" << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QStringLiteral("BRANTELDESK X: ") + InvalidResponseMessage()))
                << name << "\n"
                << r.err.toStdString();
            EXPECT_TRUE(r.err.contains(QLatin1String(fault.reason))) << name << "\n" << r.err.toStdString();
            for (const int success : {kTextDataWritten, kTextProgramDownloaded}) {
                EXPECT_FALSE((r.out + r.err).contains(LoadText(success))) << name;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplyFaults, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                             QString name = QLatin1String(info.param.mode);
                             return name.remove(u'-').toStdString();
                         });

}  // namespace
}  // namespace bdx

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "../device/device_process.h"
#include "comm/modbus_transaction.h"
#include "shell/language_table.h"

// The command-line tool against a virtual device whose replies answer, but not what was asked:
// every device command must fail with the invalid-reply message and its reason, over TCP and
// over the pseudo-terminal, and never report success.
namespace bdx {
namespace {

using test::CliResult;
using test::DeviceProcess;
using test::RunCli;

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
            const CliResult r = RunCli(line);
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

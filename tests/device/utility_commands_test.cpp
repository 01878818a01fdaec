#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "cli/cli_commands.h"
#include "device_process.h"

// The clock, run, stop and scan-id commands, run in-process against the virtual device. What
// the operations say and check is the device utilities' test: here the options and the wiring.
namespace bdx {
namespace {

using test::DeviceProcess;

using test::CliResult;
using test::RunCli;

// Bad command lines first: they must leave the device alone; then clock, run and stop.
TEST(UtilityCommands, ClockRunAndStopOverTcp) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--tcp", "127.0.0.1:0"})) << device.failure.toStdString();
    const QString tcp = device.tcpAddress();
    const QList<QStringList> lines = {
        {"run", "--tcp", tcp, "--bogus"},
        {"run", "--tcp", tcp, "--id", "0"},
        {"run", "--tcp", tcp, "--id", "248"},
        {"run", "--tcp", tcp, "--password", "12a4"},
        {"run", "--tcp", tcp, "--serial", "/dev/null"},
        {"run", "--tcp", tcp, "--id"},
        {"scan-id", "--tcp", "127.0.0.1:0"},
        {"stop", "--tcp", tcp, "extra"},
        {"clock", "--tcp", tcp, "--set"},
        {"clock", "--tcp", tcp, "--set", "2030-13-40 03:04:05", "--yes"},
        {"clock", "--tcp", tcp, "--set", "now", "--yes", "--baud", "19200"},
    };
    for (const QStringList& line : lines) {
        const CliResult r = RunCli(line);
        EXPECT_EQ(r.code, 2) << line.join(u' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty()) << line.join(u' ').toStdString();
        EXPECT_EQ(r.out, QString()) << line.join(u' ').toStdString();
    }
    EXPECT_EQ(device.dumpValue("mode"), "stop");
    EXPECT_FALSE(device.dumpValue("clock").startsWith("2030"));

    for (const char* mode : {"run", "stop", "run"}) {
        const CliResult r = RunCli({mode, "--tcp", tcp});
        EXPECT_EQ(r.code, 0) << mode << ": " << r.err.toStdString();
        EXPECT_EQ(r.out, QString()) << mode;
        EXPECT_EQ(device.dumpValue("mode"), QLatin1String(mode));
    }

    // The device runs: setting the clock must leave run mode first.
    const QDateTime target(QDate(2030, 1, 2), QTime(3, 4, 5));
    const CliResult set =
        RunCli({"clock", "--set", "2030-01-02 03:04:05", "--yes", "--tcp", tcp, "--id", "1"});
    ASSERT_EQ(set.code, 0) << set.err.toStdString();
    EXPECT_TRUE(device.dumpValue("clock").startsWith("2030-01-02 03:04:"))
        << device.dumpValue("clock").toStdString();

    const CliResult read = RunCli({"clock", "--tcp", tcp, "--id", "1"});
    ASSERT_EQ(read.code, 0) << read.err.toStdString();
    ASSERT_TRUE(read.out.endsWith(u'\n'));
    ASSERT_EQ(read.out.count(u'\n'), 1) << read.out.toStdString();
    const QDateTime shown = QDateTime::fromString(read.out.trimmed(), "yyyy-MM-dd HH:mm:ss");
    ASSERT_TRUE(shown.isValid()) << read.out.toStdString();
    // The device clock keeps running between the two commands.
    EXPECT_GE(shown, target);
    EXPECT_LE(shown, target.addSecs(5));
}

// Without a transport option the commands use the stored settings, and an address found by the
// search is stored for the next command.
TEST(UtilityCommands, StoredSettingsAreUsedAndTheFoundAddressIsKept) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--pty", "--tcp", "127.0.0.1:0", "--id", "7"})) << device.failure.toStdString();

    const CliResult stored = RunCli({"settings", "--serial", device.ptyPath, "--id", "9"});
    ASSERT_EQ(stored.code, 0) << stored.err.toStdString();
    EXPECT_TRUE(stored.out.contains("transport: serial port " + device.ptyPath)) << stored.out.toStdString();

    const CliResult scan = RunCli({"scan-id"});
    ASSERT_EQ(scan.code, 0) << scan.err.toStdString();
    EXPECT_EQ(scan.out, "7\n");
    EXPECT_TRUE(RunCli({"settings"}).out.contains("modbus-id: 7"));

    EXPECT_EQ(RunCli({"run"}).code, 0);
    EXPECT_EQ(device.dumpValue("mode"), "run");

    // A refused address changes nothing; a valid one moves the commands to TCP.
    const CliResult refused = RunCli({"settings", "--tcp", "224.1.1.1:502"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains("Please enter a valid IP Address between 1 to 223."))
        << refused.err.toStdString();
    ASSERT_EQ(RunCli({"settings", "--tcp", device.tcpAddress()}).code, 0);
    const CliResult stop = RunCli({"stop"});
    EXPECT_EQ(stop.code, 0) << stop.err.toStdString();
    EXPECT_EQ(device.dumpValue("mode"), "stop");
    EXPECT_TRUE(RunCli({"settings"}).out.contains("transport: Ethernet " + device.tcpAddress()));
}

}  // namespace
}  // namespace bdx

#include "comm/program_transfer.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

#include "../comm/fake_transport.h"
#include "cli/cli_commands.h"
#include "comm/device_image.h"
#include "device_process.h"
#include "pc_link.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

using test::DeviceProcess;
using test::Example;

// The transfer flow against the virtual device in this process.
struct Rig : test::DeviceLink {
    explicit Rig(VirtualDeviceOptions options = test::DeviceOptions(8), bool ethernet = true)
        : DeviceLink(options, ethernet) {}

    Program program = Example("motor_start_stop.h53");  // model 8
    test::RecordingProgress<TransferProgress> progress;

    std::unique_ptr<ProgramTransfer> transfer(Program& target, TransferHooks hooks = {}) {
        auto t = std::make_unique<ProgramTransfer>(session, target, prompter, &progress);
        t->setStopDelayMs(0);
        t->setHooks(std::move(hooks));
        return t;
    }
    bool write(TransferHooks hooks = {}) { return transfer(program, std::move(hooks))->pc_to_leg_Click(); }
    bool read(Program& target) { return transfer(target)->leg_to_pc_Click(); }
};

// Everything the device image and the configuration record carry; that the image gives back
// every table field is the image's own test.
void ExpectSameImageFields(const Program& read, const Program& written) {
    EXPECT_EQ(BuildImage(read, true), BuildImage(written, true));
    EXPECT_EQ(read.ModelIndex, written.ModelIndex);
    EXPECT_EQ(read.ExtensionModules, written.ExtensionModules);
}

TEST(ProgramTransfer, WrittenProgramRunsAndReadsBackEqual) {
    Rig rig;
    // Stop and emergency stop are wired normally closed: released before the program starts.
    rig.device.setInput(0, 2, true);
    rig.device.setInput(0, 3, true);
    rig.answer({Reply::Yes, Reply::Yes});  // leave run mode, then run mode
    ASSERT_TRUE(rig.write()) << rig.said();
    EXPECT_EQ(rig.progress.ranges.back(), kTransferProgressMax);
    EXPECT_EQ(rig.progress.highest, kTransferProgressMax);
    EXPECT_TRUE(rig.progress.statuses.contains(LoadText(4298)));
    EXPECT_EQ(rig.device.mode(), DeviceMode::Run);
    rig.device.setInput(0, 1, true);
    rig.device.tick();
    rig.device.tick();
    EXPECT_TRUE(rig.device.output(0, 1)) << rig.device.dump().toStdString();

    Program read;
    rig.prompter.clear();
    rig.answer({Reply::Yes});
    ASSERT_TRUE(rig.read(read)) << rig.said();
    ExpectSameImageFields(read, rig.program);
    EXPECT_EQ(read.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_EQ(rig.last(), QStringLiteral("The program has been read successfully."));
    EXPECT_EQ(rig.device.mode(), DeviceMode::Stop);  // a read stops the device too

    // Block tables and extension modules (the configuration record) come back too; the
    // editor's modified program is not saved first when the user says No.
    rig.program = Example("batching_counter.h53");
    rig.program.ExtensionModules = {1, 0, 1};
    rig.answer({Reply::Yes, Reply::No, Reply::Yes, Reply::No});
    ASSERT_TRUE(rig.write()) << rig.said();
    read.ProgramModified = true;
    ASSERT_TRUE(rig.read(read)) << rig.said();
    ExpectSameImageFields(read, rig.program);
    EXPECT_EQ(rig.prompter.unanswered(), 0);
}

TEST(ProgramTransfer, WrongModelStopsTheWriteAndTheReadAdoptsTheDevicesModel) {
    Rig rig(test::DeviceOptions(9));
    ASSERT_EQ(LoadText(4296),
              QStringLiteral("Please select proper model from 'Configuration -> PLC Model' menu"));
    rig.answer({Reply::Yes});
    EXPECT_FALSE(rig.write());
    ASSERT_FALSE(rig.prompter.messages().empty());
    EXPECT_EQ(rig.prompter.messages().back().text, LoadText(4296));
    EXPECT_EQ(rig.prompter.messages().back().icon, MessageIcon::Information);

    Program read;
    int modelChanges = 0;
    TransferHooks hooks;
    hooks.modelChanged = [&] { ++modelChanges; };
    rig.answer({Reply::Yes});
    ASSERT_TRUE(rig.transfer(read, hooks)->leg_to_pc_Click());
    EXPECT_EQ(read.ModelIndex, 9);
    EXPECT_EQ(modelChanges, 1);
    EXPECT_EQ(read.LadderGrid, Program().LadderGrid);  // nothing was written
}

// The password steps themselves are the device utilities' test: here only that both
// directions ask.
TEST(ProgramTransfer, DevicePasswordGuardsTheWrite) {
    Rig rig(test::DeviceOptions(8, 1, "QX2 V2.10", "0042"));
    rig.answer({Reply::Yes});
    rig.prompter.queuePassword(QStringLiteral("4200"));
    EXPECT_FALSE(rig.write());
    EXPECT_EQ(rig.last(), QStringLiteral("Invalid password. "));
    Program read;
    rig.answer({Reply::Yes});
    rig.prompter.queuePassword(QStringLiteral("0042"));
    ASSERT_TRUE(rig.read(read));
    EXPECT_EQ(read.LadderGrid, Program().LadderGrid);
    rig.answer({Reply::Yes});
    rig.prompter.queuePassword(QStringLiteral("0042"));
    rig.answer({Reply::No});
    EXPECT_TRUE(rig.write());
    EXPECT_EQ(rig.prompter.unanswered(), 0);
}

TEST(ProgramTransfer, RefusedBeforeAnyExchangeAndNoToRunModeLeavesTheDeviceStopped) {
    Rig rig;
    Program empty;  // no rung at all: it does not compile
    empty.ModelIndex = 8;
    EXPECT_FALSE(rig.transfer(empty)->pc_to_leg_Click());
    EXPECT_TRUE(rig.prompter.texts().contains(LoadText(4257) + LoadText(4258)));
    EXPECT_EQ(rig.transactions(), 0);

    rig.device.run();
    rig.answer({Reply::Yes, Reply::No});
    ASSERT_TRUE(rig.write());
    EXPECT_EQ(rig.last(), LoadText(345));
    EXPECT_EQ(rig.device.mode(), DeviceMode::Stop);

    // No to leaving run mode: nothing is sent at all.
    const int before = rig.transactions();
    rig.answer({Reply::No});
    EXPECT_FALSE(rig.write());
    EXPECT_EQ(rig.transactions(), before);
}

TEST(ProgramTransfer, ProbeFallsBackToAddressOneAndStoresIt) {
    Rig rig(test::DeviceOptions(8, 7));
    rig.onlyAddress1 = true;
    rig.state.ModbusID = 5;
    std::vector<int> saved;
    TransferHooks hooks;
    hooks.settingsChanged = [&] { saved.push_back(rig.state.ModbusID); };
    rig.answer({Reply::Yes, Reply::No});
    EXPECT_TRUE(rig.write(hooks)) << rig.said();
    EXPECT_EQ(saved, std::vector<int>{1});
    EXPECT_EQ(rig.state.ModbusID, 1);
    EXPECT_FALSE(rig.prompter.texts().join(u'|').contains(QStringLiteral("unsuccessful")));
}

// The port check is the device utilities' test; here its hooks: no port, so the settings
// dialog is shown, the cable chosen there is looked up with the transfer's port lister.
TEST(ProgramTransfer, SettingsDialogAndPortListerReachThePortCheck) {
    Rig rig(test::DeviceOptions(8), false);
    rig.state.SerialPortPath.clear();
    rig.state.CommPort = 0;
    int dialogs = 0;
    TransferHooks hooks;
    hooks.showCommSettings = [&] {
        ++dialogs;
        rig.state.CommPort = kCommPortUsbFlag;
    };
    auto transfer = rig.transfer(rig.program, hooks);
    transfer->setPortLister(
        [] {
            return std::vector<SerialPortEntry>{{QStringLiteral("/dev/cable"), true, 0x10C4, 0xEA60, {}}};
        },
        [](const QString&) { return true; });
    rig.answer({Reply::Yes, Reply::No});
    EXPECT_TRUE(transfer->pc_to_leg_Click()) << rig.said();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(rig.state.SerialPortPath, QStringLiteral("/dev/cable"));
}

TEST(ProgramTransfer, SilentDeviceIsReportedOnceAfterTheThirdAddress) {
    Rig rig;
    rig.silent = true;
    rig.answer({Reply::Yes});
    EXPECT_FALSE(rig.write());
    EXPECT_EQ(rig.prompter.texts().count(EthernetNoReplyMessage()), 1);
    EXPECT_EQ(rig.state.ModbusID, 1);  // not moved by a failed probe
    EXPECT_FALSE(rig.state.QuietComm);
}

// A transfer broken off after its first packet: by a pulled cable in either direction, or by
// the Stop button.
TEST(ProgramTransfer, BrokenOffMidTransfer) {
    enum class Cut { CableOnWrite, CableOnRead, Stop };
    for (const Cut cut : {Cut::CableOnWrite, Cut::CableOnRead, Cut::Stop}) {
        SCOPED_TRACE(int(cut));
        Rig rig;
        auto transfer = rig.transfer(rig.program);
        rig.progress.onValue = [&](int) {
            cut == Cut::Stop ? transfer->cmd_stop_Click() : void(rig.silent = true);
        };
        rig.answer({Reply::Yes});
        if (cut == Cut::CableOnRead) {
            EXPECT_FALSE(transfer->leg_to_pc_Click());
            EXPECT_EQ(rig.last(), LoadText(4307));
            EXPECT_EQ(rig.program.LadderGrid, Program().LadderGrid);  // emptied by the read
            EXPECT_EQ(rig.program.ModelIndex, 8);
            continue;
        }
        EXPECT_FALSE(transfer->pc_to_leg_Click());
        EXPECT_EQ(rig.last(), LoadText(4299));
        if (cut == Cut::Stop) {
            EXPECT_LT(rig.progress.highest, kProgramCodeSize);
            EXPECT_EQ(rig.state.IdSearchCount, 254);
        } else {
            EXPECT_EQ(rig.prompter.texts().count(EthernetNoReplyMessage()), 1) << rig.said();
            EXPECT_TRUE(rig.progress.statuses.contains(LoadText(4299)));
        }
    }
}

// The command-line tool over the device process: written over TCP, read back over the pty (at
// the real 80 ms silence), both through the device's password.
TEST(TransferCommands, WriteThenReadBackToAFile) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--model", "8", "--tcp", "0", "--pty", "--password", "1234"}))
        << device.failure.toStdString();
    QTemporaryDir dir;
    const QString source = QStringLiteral(BDX_SOURCE_DIR "/examples/batching_counter.h53");
    const QString target = dir.filePath(QStringLiteral("back.h53"));
    const QString tcp = device.tcpAddress();
    const test::CliResult written =
        test::RunCli({"write", source, "--tcp", tcp, "--yes", "--password", "1234"});
    EXPECT_EQ(written.code, 0) << written.err.toStdString();
    EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("run"));
    const test::CliResult back =
        test::RunCli({"read", "-o", target, "--serial", device.ptyPath, "--yes", "--password", "1234"});
    EXPECT_EQ(back.code, 0) << back.err.toStdString();
    Program read;
    ASSERT_TRUE(ReadProgramFile(target, read).ok());
    ExpectSameImageFields(read, Example("batching_counter.h53"));

    // Usage errors never reach the device (the device options are the utility commands' test).
    for (const QStringList& wrong :
         {QStringList{"write", "--tcp", tcp}, QStringList{"read", target, "--tcp", tcp}}) {
        EXPECT_EQ(test::RunCli(wrong).code, 2) << wrong.join(u' ').toStdString();
    }
}

// The clock, run, stop and scan-id commands, run in-process against the virtual device. What
// the operations say and check is the device utilities' test: here the options and the wiring.
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

#include "comm/program_transfer.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "cli/cli_commands.h"
#include "comm/device_image.h"
#include "comm/modbus_requests.h"
#include "ladder/program_file.h"
#include "pc_link.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

using test::DeviceProcess;

Program Example(const char* name) {
    const QString path =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("../../examples/")) +
        QLatin1String(name);
    Program program;
    const ProgramFileStatus status = ReadProgramFile(path, program);
    EXPECT_TRUE(status.ok()) << path.toStdString();
    return program;
}

struct Recorder : TransferProgress {
    void setRange(int, int maximum) override { this->maximum = maximum; }
    void setValue(int value) override {
        highest = std::max(highest, value);
        if (onValue) {
            onValue(value);
        }
    }
    void setStatus(const QString& text) override { statuses << text; }
    int maximum = 0;
    int highest = 0;
    QStringList statuses;
    std::function<void(int)> onValue;
};

// A device process and the PC's link to it.
struct Rig {
    DeviceProcess device;
    test::PcLink link;

    bool start(QStringList options, bool pty = false) {
        options << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:0");
        if (pty) {
            options << QStringLiteral("--pty");
        }
        return device.start(options) && link.connect(device, !pty);
    }

    std::unique_ptr<ProgramTransfer> transfer(Program& program, TransferProgress* progress = nullptr) {
        auto t = std::make_unique<ProgramTransfer>(link.session(), program, link.prompter, progress);
        t->setStopDelayMs(0);
        return t;
    }

    // Run mode byte of the device: 1 run, 3 stop.
    int runMode() {
        const auto item = ReadDeviceItem(link.session(), Area::Setting);
        return item && !item->isEmpty() ? static_cast<quint8>(item->at(0)) : -1;
    }

    bool outputBecomes(const QString& output, const QString& value) {
        const QString expected = output + u'=' + value;
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(20)) {
            if (device.command(QStringLiteral("get ") + output).value(0) == expected) {
                return true;
            }
        }
        return false;
    }
};

// Everything the device image and the configuration record carry. Unused analog entries may
// differ in how they spell a plus sign: the image compares them as the device sees them.
void ExpectSameImageFields(const Program& read, const Program& written) {
    EXPECT_EQ(ImageBytes(BuildImage(read, true)), ImageBytes(BuildImage(written, true)));
    EXPECT_EQ(read.LadderGrid, written.LadderGrid);
    EXPECT_EQ(read.ModelIndex, written.ModelIndex);
    EXPECT_EQ(read.ExtensionModules, written.ExtensionModules);
    EXPECT_EQ(read.TimeSwitchParams, written.TimeSwitchParams);
    EXPECT_EQ(read.TimerParams, written.TimerParams);
    EXPECT_EQ(read.CounterParams, written.CounterParams);
    EXPECT_EQ(read.CompareParams, written.CompareParams);
    EXPECT_EQ(read.HourMeterParams, written.HourMeterParams);
    EXPECT_EQ(read.SoftTextParams, written.SoftTextParams);
}

class TransferOverBothLines : public ::testing::TestWithParam<bool> {};

TEST_P(TransferOverBothLines, WrittenProgramRunsAndReadsBackEqual) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"}, GetParam())) << rig.device.failure.toStdString();
    // Stop and emergency stop are wired normally closed: released before the program starts.
    rig.device.command(QStringLiteral("set I2=1"));
    rig.device.command(QStringLiteral("set I3=1"));
    Program program = Example("motor_start_stop.h53");
    Recorder progress;
    rig.link.prompter.queueReply(Reply::Yes);  // leave run mode
    rig.link.prompter.queueReply(Reply::Yes);  // run mode
    ASSERT_TRUE(rig.transfer(program, &progress)->pc_to_leg_Click())
        << rig.link.prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(progress.maximum, kTransferProgressMax);
    EXPECT_EQ(progress.highest, kTransferProgressMax);
    EXPECT_TRUE(progress.statuses.contains(LoadText(4298)));
    EXPECT_EQ(rig.link.prompter.unanswered(), 0);

    EXPECT_EQ(rig.runMode(), 1);
    rig.device.command(QStringLiteral("set I1=1"));
    EXPECT_TRUE(rig.outputBecomes(QStringLiteral("Q1"), QStringLiteral("1")))
        << rig.device.command(QStringLiteral("dump")).join(u'\n').toStdString();

    Program read;
    rig.link.prompter.clear();
    rig.link.prompter.queueReply(Reply::Yes);
    ASSERT_TRUE(rig.transfer(read)->leg_to_pc_Click()) << rig.link.prompter.texts().join(u'|').toStdString();
    ExpectSameImageFields(read, program);
    EXPECT_EQ(read.ProgramFileName, QStringLiteral("Untitled.h53"));
    EXPECT_EQ(rig.link.prompter.texts().last(), QStringLiteral("The program has been read successfully."));
    EXPECT_EQ(rig.runMode(), 3);  // a read stops the device too
}

INSTANTIATE_TEST_SUITE_P(Lines, TransferOverBothLines, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Pty" : "Tcp"; });

TEST(ProgramTransfer, BlockTablesSurviveTheRoundTripWithExtensionModules) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    for (const char* name : {"batching_counter.h53", "staircase_light.h53"}) {
        Program program = Example(name);
        program.ExtensionModules = {1, 0, 1};
        rig.link.prompter.queueReply(Reply::Yes);
        rig.link.prompter.queueReply(Reply::No);
        ASSERT_TRUE(rig.transfer(program)->pc_to_leg_Click()) << name;
        Program read = Example("motor_start_stop.h53");  // something else in the editor
        read.ProgramModified = true;
        rig.link.prompter.queueReply(Reply::Yes);
        rig.link.prompter.queueReply(Reply::No);  // do not save the editor's program
        ASSERT_TRUE(rig.transfer(read)->leg_to_pc_Click()) << name;
        ExpectSameImageFields(read, program);
    }
}

TEST(ProgramTransfer, WrongModelStopsTheWriteAndTheReadAdoptsTheDevicesModel) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "9"})) << rig.device.failure.toStdString();
    ASSERT_EQ(LoadText(4296),
              QStringLiteral("Please select proper model from 'Configuration -> PLC Model' menu"));
    Program program = Example("motor_start_stop.h53");  // model 8
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(rig.transfer(program)->pc_to_leg_Click());
    ASSERT_FALSE(rig.link.prompter.messages().empty());
    EXPECT_EQ(rig.link.prompter.messages().back().text, LoadText(4296));
    EXPECT_EQ(rig.link.prompter.messages().back().icon, MessageIcon::Information);

    Program read;
    int modelChanges = 0;
    auto transfer = rig.transfer(read);
    TransferHooks hooks;
    hooks.modelChanged = [&] { ++modelChanges; };
    transfer->setHooks(hooks);
    rig.link.prompter.queueReply(Reply::Yes);
    ASSERT_TRUE(transfer->leg_to_pc_Click());
    EXPECT_EQ(read.ModelIndex, 9);
    EXPECT_EQ(modelChanges, 1);
    EXPECT_EQ(read.LadderGrid, Program().LadderGrid);  // nothing was written
}

TEST(ProgramTransfer, DevicePasswordGuardsTheWrite) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8", "--password", "0042"})) << rig.device.failure.toStdString();
    Program program = Example("motor_start_stop.h53");

    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queuePassword(QStringLiteral("123"));  // refused: not four digits
    rig.link.prompter.queuePassword(QStringLiteral("4200"));
    EXPECT_FALSE(rig.transfer(program)->pc_to_leg_Click());
    EXPECT_TRUE(rig.link.prompter.texts().contains(LoadText(4301)));
    EXPECT_EQ(rig.link.prompter.texts().last(), QStringLiteral("Invalid password. "));
    Program read;
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queuePassword(QStringLiteral("0042"));
    ASSERT_TRUE(rig.transfer(read)->leg_to_pc_Click());
    EXPECT_EQ(read.LadderGrid, Program().LadderGrid);

    // Cancelling the password box ends the transfer quietly.
    rig.link.prompter.clear();
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queuePassword(std::nullopt);
    EXPECT_FALSE(rig.transfer(program)->pc_to_leg_Click());
    EXPECT_FALSE(rig.link.prompter.texts().contains(QStringLiteral("Invalid password. ")));

    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queuePassword(QStringLiteral("0042"));
    rig.link.prompter.queueReply(Reply::No);
    EXPECT_TRUE(rig.transfer(program)->pc_to_leg_Click());
}

TEST(ProgramTransfer, ProgramWithErrorsIsRefusedBeforeAnyExchange) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    Program empty;  // no rung at all: it does not compile
    empty.ModelIndex = 8;
    EXPECT_FALSE(rig.transfer(empty)->pc_to_leg_Click());
    EXPECT_TRUE(rig.link.prompter.texts().contains(LoadText(4257) + LoadText(4258)));
    EXPECT_EQ(rig.link.session().transactionCount(), 0);
}

TEST(ProgramTransfer, NoToRunModeLeavesTheDeviceStopped) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    rig.device.command(QStringLiteral("run"));
    Program program = Example("motor_start_stop.h53");
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queueReply(Reply::No);
    ASSERT_TRUE(rig.transfer(program)->pc_to_leg_Click());
    EXPECT_EQ(rig.link.prompter.texts().last(), LoadText(345));
    EXPECT_EQ(rig.runMode(), 3);

    // No to leaving run mode: nothing is sent at all.
    const int before = rig.link.session().transactionCount();
    rig.link.prompter.queueReply(Reply::No);
    EXPECT_FALSE(rig.transfer(program)->pc_to_leg_Click());
    EXPECT_EQ(rig.link.session().transactionCount(), before);
}

TEST(ProgramTransfer, ProbeFallsBackToAddressOneAndStoresIt) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8", "--id", "7", "--fault", "only-address-1"}))
        << rig.device.failure.toStdString();
    rig.link.state().ModbusID = 5;
    Program program = Example("motor_start_stop.h53");
    std::vector<int> saved;
    auto transfer = rig.transfer(program);
    TransferHooks hooks;
    hooks.settingsChanged = [&] { saved.push_back(rig.link.state().ModbusID); };
    transfer->setHooks(hooks);
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queueReply(Reply::No);
    EXPECT_TRUE(transfer->pc_to_leg_Click()) << rig.link.prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(saved, std::vector<int>{1});
    EXPECT_EQ(rig.link.state().ModbusID, 1);
    EXPECT_FALSE(rig.link.prompter.texts().join(u'|').contains(QStringLiteral("unsuccessful")));
}

TEST(ProgramTransfer, SerialPortComesFromTheUsbCableOrTheSettingsDialog) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"}, true)) << rig.device.failure.toStdString();
    const QString pty = rig.link.state().SerialPortPath;
    Program program = Example("motor_start_stop.h53");

    rig.link.state().SerialPortPath.clear();
    rig.link.state().CommPort = kCommPortUsbFlag;
    auto transfer = rig.transfer(program);
    transfer->setPortLister(
        [&] {
            return std::vector<SerialPortEntry>{{pty, true, 0x10C4, 0xEA60, {}}};
        },
        [](const QString&) { return true; });
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queueReply(Reply::No);
    EXPECT_TRUE(transfer->pc_to_leg_Click()) << rig.link.prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(rig.link.state().SerialPortPath, pty);
    EXPECT_EQ(rig.link.state().CommPort & kCommPortUsbFlag, kCommPortUsbFlag);

    // No port at all: the settings dialog is shown; a port chosen there is used at once.
    rig.link.state().SerialPortPath.clear();
    rig.link.state().CommPort = 0;
    int dialogs = 0;
    TransferHooks hooks;
    hooks.showCommSettings = [&] {
        ++dialogs;
        rig.link.state().SerialPortPath = pty;
    };
    transfer = rig.transfer(program);
    transfer->setHooks(hooks);
    rig.link.prompter.queueReply(Reply::Yes);
    rig.link.prompter.queueReply(Reply::No);
    EXPECT_TRUE(transfer->pc_to_leg_Click());
    EXPECT_EQ(dialogs, 1);

    // Still no port after the dialog: nothing is sent.
    rig.link.state().SerialPortPath.clear();
    hooks.showCommSettings = [] {};
    transfer = rig.transfer(program);
    transfer->setHooks(hooks);
    const int before = rig.link.session().transactionCount();
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(transfer->pc_to_leg_Click());
    EXPECT_EQ(rig.link.session().transactionCount(), before);
}

TEST(ProgramTransfer, SilentDeviceIsReportedOnceAfterTheThirdAddress) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8", "--fault", "no-reply"})) << rig.device.failure.toStdString();
    Program program = Example("motor_start_stop.h53");
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(rig.transfer(program)->pc_to_leg_Click());
    EXPECT_EQ(rig.link.prompter.texts().count(EthernetNoReplyMessage()), 1);
    EXPECT_EQ(rig.link.state().ModbusID, 1);  // not moved by a failed probe
    EXPECT_FALSE(rig.link.state().QuietComm);
}

TEST(ProgramTransfer, CablePulledMidWriteIsReportedOnce) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    Program program = Example("motor_start_stop.h53");
    Recorder progress;
    progress.onValue = [&](int value) {
        if (value > 0) {
            rig.device.kill();
        }
    };
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(rig.transfer(program, &progress)->pc_to_leg_Click());
    const QStringList texts = rig.link.prompter.texts();
    EXPECT_EQ(texts.count(EthernetNoReplyMessage()), 1) << texts.join(u'|').toStdString();
    EXPECT_EQ(texts.last(), LoadText(4299));
    EXPECT_TRUE(progress.statuses.contains(LoadText(4299)));
}

TEST(ProgramTransfer, ReadFailureAfterTheResetLeavesAnEmptyProgram) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    Program program = Example("motor_start_stop.h53");
    Recorder progress;
    progress.onValue = [&](int value) {
        if (value > 0) {
            rig.device.kill();
        }
    };
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(rig.transfer(program, &progress)->leg_to_pc_Click());
    EXPECT_EQ(rig.link.prompter.texts().last(), LoadText(4307));
    EXPECT_EQ(program.LadderGrid, Program().LadderGrid);
    EXPECT_EQ(program.ModelIndex, 8);
}

TEST(ProgramTransfer, StopEndsTheRunningPacketLoop) {
    Rig rig;
    ASSERT_TRUE(rig.start({"--model", "8"})) << rig.device.failure.toStdString();
    Program program = Example("motor_start_stop.h53");
    Recorder progress;
    auto transfer = rig.transfer(program, &progress);
    progress.onValue = [&](int value) {
        if (value > 0) {
            transfer->cmd_stop_Click();
        }
    };
    rig.link.prompter.queueReply(Reply::Yes);
    EXPECT_FALSE(transfer->pc_to_leg_Click());
    EXPECT_LT(progress.highest, kProgramCodeSize);
    EXPECT_EQ(rig.link.state().IdSearchCount, 254);
    EXPECT_EQ(rig.link.prompter.texts().last(), LoadText(4299));
}

// The command-line tool: written over TCP, read back over the pty (at the real 80 ms silence).
TEST(TransferCommands, WriteThenReadBackToAFile) {
    DeviceProcess device;
    ASSERT_TRUE(device.start({"--model", "8", "--tcp", "0", "--pty"})) << device.failure.toStdString();
    QTemporaryDir dir;
    const QString source = QFileInfo(QStringLiteral(__FILE__))
                               .dir()
                               .filePath(QStringLiteral("../../examples/batching_counter.h53"));
    const QString target = dir.filePath(QStringLiteral("back.h53"));
    const QString tcp = device.tcpAddress();
    QString outText, errText;
    QTextStream out(&outText), err(&errText);

    EXPECT_EQ(cli::Run({"write", source, "--tcp", tcp, "--yes"}, out, err), 0) << errText.toStdString();
    EXPECT_EQ(device.dumpValue(QStringLiteral("mode")), QStringLiteral("run"));
    EXPECT_EQ(cli::Run({"read", "-o", target, "--serial", device.ptyPath, "--yes"}, out, err), 0)
        << errText.toStdString();
    Program written = Example("batching_counter.h53");
    Program read;
    ASSERT_TRUE(ReadProgramFile(target, read).ok());
    ExpectSameImageFields(read, written);

    // Usage errors never reach the device.
    for (const QStringList& wrong :
         {QStringList{"write", "--tcp", tcp}, QStringList{"read", target, "--tcp", tcp},
          QStringList{"write", source, "--tcp", tcp, "--id", "248"},
          QStringList{"write", source, "--tcp", tcp, "--serial", "/dev/null"}}) {
        EXPECT_EQ(cli::Run(wrong, out, err), 2) << wrong.join(u' ').toStdString();
    }
    // A refused write: the wrong model's message on standard error, exit 1.
    errText.clear();
    DeviceProcess other;
    ASSERT_TRUE(other.start({"--model", "9", "--tcp", "0"}));
    EXPECT_EQ(cli::Run({"write", source, "--tcp", other.tcpAddress(), "--yes"}, out, err), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("BRANTELDESK X: ") + LoadText(4296)))
        << errText.toStdString();
}

}  // namespace
}  // namespace bdx

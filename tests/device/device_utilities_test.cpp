#include "comm/device_utilities.h"

#include <gtest/gtest.h>

#include "../comm/fake_transport.h"
#include "comm/modbus_requests.h"
#include "pc_link.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

const QString kWritten = QStringLiteral("Data has been written successfully in device.");
const QString kReadDone = QStringLiteral("Device data has been read successfully.");
const QString kInvalidPassword = QStringLiteral("Invalid password. ");

// The virtual device, the PC's link to it and the utilities on it.
struct Rig : test::DeviceLink {
    explicit Rig(VirtualDeviceOptions options = test::DeviceOptions()) : DeviceLink(std::move(options)) {
        utilities.stopDelayMs = 0;
        utilities.saveSettings = [this] { ++settingsSaved; };
    }
    DeviceUtilities utilities{session};
    int settingsSaved = 0;
};

class ClockRoundTrip : public testing::TestWithParam<const char*> {};

// A version in the firmware text: the register path; none: the date and time items.
TEST_P(ClockRoundTrip, SetThenReadGivesTheSetTime) {
    Rig rig(test::DeviceOptions(9, 1, GetParam()));
    const QDate date(2031, 2, 28);
    const QTime time(23, 58, 30);
    rig.answer({Reply::Yes});  // leave run mode
    ASSERT_TRUE(rig.utilities.SetClock(date, time)) << rig.said();
    EXPECT_EQ(rig.last(), kWritten);
    EXPECT_EQ(rig.device.dateTime(), QDateTime(date, time, Qt::UTC));

    const std::optional<DeviceClock> clock = rig.utilities.ReadClock();
    ASSERT_TRUE(clock.has_value()) << rig.said();
    EXPECT_EQ(clock->date, date);
    EXPECT_EQ(clock->time, time);
    EXPECT_EQ(rig.last(), kReadDone);
    EXPECT_EQ(rig.prompter.unanswered(), 0);
}

INSTANTIATE_TEST_SUITE_P(Paths, ClockRoundTrip, testing::Values("QX2 V2.10", "QX2"));

TEST(DeviceClock, RefusesBadTimesAndOldFirmwareWithoutTouchingTheDevice) {
    Rig rig(test::DeviceOptions(9, 1, "06X"));
    EXPECT_FALSE(rig.utilities.SetClock(QDate(2031, 2, 30), QTime(1, 0)));
    EXPECT_FALSE(rig.utilities.SetClock(QDate(1999, 12, 31), QTime(1, 0)));
    EXPECT_EQ(rig.prompter.texts(), QStringList({"Set Proper Time.", "Set Proper Time."}));
    EXPECT_EQ(rig.transactions(), 0);

    rig.prompter.clear();
    EXPECT_FALSE(rig.utilities.ReadClock().has_value());
    ASSERT_EQ(rig.prompter.messages().size(), 1u);
    const Message& m = rig.prompter.messages().front();
    EXPECT_EQ(m.icon, MessageIcon::Critical);
    EXPECT_TRUE(m.text.startsWith(
        "The current software version does not support the connected device's firmware version."));
    EXPECT_EQ(m.buttons, (std::vector<Reply>{Reply::Ok, Reply::Help}));
}

TEST(DaylightSaving, SwitchingOffWritesRegister390AloneAndKeepsTheRule) {
    Rig rig;
    // The last Sunday of March, 02:00, to the last Sunday of October, 03:00.
    const DstRule rule{.enabled = true,
                       .startWeek = 4,
                       .startMonth = 2,
                       .startHour = 2,
                       .endWeek = 4,
                       .endMonth = 9,
                       .endHour = 3,
                       .offsetHours = 1};
    rig.answer({Reply::Yes, Reply::No, Reply::Yes, Reply::No});  // leave run mode, not permanently
    bool permanent = true;
    ASSERT_TRUE(rig.utilities.SetDst(rule, &permanent)) << rig.said();
    EXPECT_FALSE(permanent);
    EXPECT_TRUE(rig.last().startsWith("Do you want to save the settings permanently?\n1. If Yes"));
    EXPECT_EQ(rig.utilities.ReadDst(), rule);

    DstRule off = rule;
    off.enabled = false;
    off.startMonth = 7;  // what the dialog shows besides the switch must not reach the device
    ASSERT_TRUE(rig.utilities.SetDst(off));
    std::vector<std::uint16_t> expected = rule.registers();
    expected[0] = 0;
    EXPECT_EQ(ReadRegisters(rig.session, 3, kDstRegister, kDstRegisterCount), expected);
}

TEST(DaylightSaving, ValidationNamesTheFirstFaultAndSendsNothing) {
    const DstRule base{.enabled = true, .startMonth = 2, .endMonth = 9};
    struct Case {
        std::function<void(DstRule&)> change;
        const char* text;
    };
    const std::vector<Case> cases = {
        {[](DstRule& r) { r.endMonth = r.startMonth; }, "DST Start Date and DST End Date can not be same."},
        {[](DstRule& r) { r.startHour = 24; }, "DST hour not valid."},
        {[](DstRule& r) { r.offsetHours = 24; }, "DST hour not valid."},
        {[](DstRule& r) { r.endMinute = 60; }, "DST minute not valid."},
        {[](DstRule& r) { r.startWeek = 5; }, "DST week not valid."},
        {[](DstRule& r) { r.endWeekday = 7; }, "DST Day not valid."},
        {[](DstRule& r) { r.startMonth = 12; }, "DST month not valid."},
    };
    Rig rig;
    for (const Case& c : cases) {
        DstRule rule = base;
        c.change(rule);
        rig.prompter.clear();
        EXPECT_FALSE(rig.utilities.SetDst(rule));
        EXPECT_EQ(rig.prompter.texts(), QStringList{c.text});
    }
    EXPECT_EQ(rig.transactions(), 0);
}

TEST(DevicePasswords, FourDigitsOnlyInEveryBox) {
    ScriptedPrompter prompter;
    prompter.queuePassword(QStringLiteral("123"));
    prompter.queuePassword(QStringLiteral("12a4"));
    prompter.queuePassword(QStringLiteral("0420"));
    EXPECT_EQ(AskDevicePassword(prompter), 420);
    QStringList warnings;
    for (const Message& m : prompter.messages()) {
        if (m.icon == MessageIcon::Warning) {
            warnings << m.text;
        }
    }
    EXPECT_EQ(warnings, QStringList({"Enter 4 Digit password.", "Enter 4 Digit password."}));

    prompter.clear();
    prompter.queuePassword(std::nullopt);
    EXPECT_EQ(AskDevicePassword(prompter), std::nullopt);

    Rig rig;
    EXPECT_FALSE(rig.utilities.SetPassword(1, {}, "123", "123"));
    EXPECT_FALSE(rig.utilities.SetPassword(2, {}, "12345", "12345"));
    EXPECT_FALSE(rig.utilities.SetPassword(1, {}, "1234", "1243"));
    EXPECT_EQ(rig.prompter.texts(),
              QStringList({"Enter 4 Digit Level 1 password.", "Enter 4 Digit Level 2  password.",
                           "Please enter correct Confirm Password."}));
    EXPECT_EQ(rig.transactions(), 0);
}

TEST(DevicePasswords, SetChangeCheckAndRemove) {
    Rig rig;
    DeviceUtilities& u = rig.utilities;
    const auto lastText = [&] { return rig.last(); };
    const auto yes = [&] { rig.answer({Reply::Yes}); };

    yes();
    ASSERT_TRUE(u.SetPassword(1, {}, "1234", "1234")) << lastText().toStdString();
    EXPECT_EQ(lastText(), "Password has been set successfully.");

    rig.prompter.queuePassword(QStringLiteral("1111"));
    EXPECT_FALSE(u.CheckDevicePassword());
    EXPECT_EQ(lastText(), kInvalidPassword);
    rig.prompter.queuePassword(QStringLiteral("1234"));
    EXPECT_TRUE(u.CheckDevicePassword());
    rig.prompter.queuePassword(std::nullopt);  // cancelled: refused without a warning
    EXPECT_FALSE(u.CheckDevicePassword());
    EXPECT_NE(lastText(), kInvalidPassword);

    yes();
    EXPECT_FALSE(u.SetPassword(1, "4321", "5678", "5678"));
    EXPECT_EQ(lastText(), "Please enter correct Old Password. ");
    yes();
    ASSERT_TRUE(u.SetPassword(1, "1234", "5678", "5678"));
    rig.prompter.queuePassword(QStringLiteral("5678"));
    EXPECT_TRUE(u.CheckDevicePassword());

    // A level-2 password of its own, then the reset menu protected by it.
    yes();
    ASSERT_TRUE(u.SetPassword(2, {}, "2468", "2468")) << lastText().toStdString();
    yes();
    rig.prompter.queuePassword(QStringLiteral("2468"));
    ASSERT_TRUE(u.SetResetPassword(ResetPassword::Level2)) << lastText().toStdString();
    EXPECT_EQ(lastText(), "Level 2 Password has been set for executing reset functionality.");
    EXPECT_EQ(u.ReadResetPassword(), ResetPassword::Level2);

    yes();
    EXPECT_FALSE(u.RemovePassword(1, "1234"));
    EXPECT_EQ(lastText(), "Please enter correct Old Password. ");
    yes();
    ASSERT_TRUE(u.RemovePassword(1, "5678"));
    EXPECT_EQ(lastText(), "Password has been removed successfully.");
    yes();
    EXPECT_FALSE(u.RemovePassword(1, "5678"));
    EXPECT_EQ(lastText(), "Password is not enabled in the device.");

    // No password any more: the check passes without asking.
    rig.prompter.clear();
    EXPECT_TRUE(u.CheckDevicePassword());
    EXPECT_TRUE(rig.prompter.messages().empty());
    EXPECT_EQ(rig.prompter.unanswered(), 0);
}

TEST(DevicePasswords, ResetMenuLevelWithoutThatPasswordChangesNothing) {
    Rig rig(test::DeviceOptions(9, 1, "QX2 V2.10", "1234"));
    rig.answer({Reply::Yes});
    EXPECT_FALSE(rig.utilities.SetResetPassword(ResetPassword::Level2));
    EXPECT_EQ(rig.last(), "Level 2 Password is not present in the device.");
    EXPECT_EQ(rig.utilities.ReadResetPassword(), ResetPassword::None);

    rig.answer({Reply::Yes});
    rig.prompter.queuePassword(QStringLiteral("9999"));
    EXPECT_FALSE(rig.utilities.SetResetPassword(ResetPassword::Level1));
    EXPECT_EQ(rig.last(), kInvalidPassword);
    EXPECT_EQ(rig.utilities.ReadResetPassword(), ResetPassword::None);

    // Model codes below 8 have no reset-menu password at all.
    Rig small(test::DeviceOptions(3));
    small.answer({Reply::Yes});
    EXPECT_FALSE(small.utilities.SetResetPassword(ResetPassword::None));
    EXPECT_EQ(small.last(), "This feature is not supported for the connected device.");
}

// Every device dialog and the transfer start with the port check: without a port the settings
// are shown (or, without them, a message), the USB cable chosen there is looked up, and with no
// port still nothing is sent. Then run and stop change the device's mode.
TEST(DeviceUtilitiesRun, PortCheckComesFirstThenRunAndStop) {
    Rig rig;
    CommState& state = rig.state;
    const QString pty = state.SerialPortPath;

    state.SerialPortPath.clear();
    state.CommPort = 1;
    EXPECT_FALSE(rig.utilities.StartDevice());
    EXPECT_EQ(rig.prompter.texts(), QStringList{LoadText(4289)});
    EXPECT_EQ(rig.transactions(), 0);

    int shown = 0;
    rig.utilities.showCommSettings = [&] { ++shown; };  // closed without a choice
    EXPECT_FALSE(rig.utilities.StartDevice());
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(rig.transactions(), 0);
    rig.utilities.showCommSettings = [&] {
        ++shown;
        state.CommPort = kCommPortUsbFlag;  // the user chose the cable
    };
    rig.utilities.portLister = [&] { return std::vector<SerialPortEntry>{{pty, true, 0x10C4, 0xEA60, {}}}; };
    rig.utilities.portProbe = [](const QString&) { return true; };
    int disabled = 0;
    rig.utilities.setStopControlsEnabled = [&](bool on) { disabled += on ? 0 : 1; };
    rig.prompter.clear();
    ASSERT_TRUE(rig.utilities.StartDevice()) << rig.said();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(state.SerialPortPath, pty);
    EXPECT_EQ(rig.device.mode(), DeviceMode::Run);
    // Stop takes the device out of run mode and switches the stop controls off once.
    ASSERT_TRUE(rig.utilities.StopDeviceCommand());
    EXPECT_EQ(rig.device.mode(), DeviceMode::Stop);
    EXPECT_EQ(disabled, 1);
    EXPECT_TRUE(rig.prompter.messages().empty()) << rig.said();
}

using RecordingProgress = test::RecordingProgress<ScanProgress>;

struct SearchCase {
    int id;
    bool onlyAddress1;
    int found;
};

class AddressSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(AddressSearch, StopsAtTheFirstAnsweringAddress) {
    Rig rig(test::DeviceOptions(9, GetParam().id));
    rig.onlyAddress1 = GetParam().onlyAddress1;
    rig.state.ModbusID = 200;
    RecordingProgress progress;
    EXPECT_EQ(rig.utilities.ScanModbusId(&progress), IdSearchResult::Found);
    EXPECT_EQ(rig.state.ModbusID, GetParam().found);
    EXPECT_EQ(progress.last, GetParam().found);
    EXPECT_EQ(rig.settingsSaved, 1);
    EXPECT_EQ(rig.prompter.texts(),
              QStringList{QStringLiteral("ModBus ID modified\nDevice ModBus ID =%1").arg(GetParam().found)});
    EXPECT_FALSE(rig.state.QuietComm);
    EXPECT_FALSE(rig.state.IdSearchActive);
    // The found address works for the next operation.
    EXPECT_TRUE(rig.utilities.ProbeDevice());
}

// Answers as 1 although its own ID is 9: address 1 wins.
INSTANTIATE_TEST_SUITE_P(Devices, AddressSearch,
                         testing::Values(SearchCase{7, false, 7}, SearchCase{9, true, 1}));

TEST(AddressSearchControl, CancelEndsBeforeTheNextAddressAndChangesNothing) {
    Rig rig(test::DeviceOptions(9, 7));
    rig.state.ModbusID = 200;
    RecordingProgress progress;
    progress.onValue = [&](int value) {
        if (value == 3) {
            rig.utilities.CancelIdSearch();
        }
    };
    EXPECT_EQ(rig.utilities.ScanModbusId(&progress), IdSearchResult::Cancelled);
    EXPECT_EQ(progress.last, 3);
    EXPECT_EQ(rig.state.ModbusID, 200);
    EXPECT_EQ(rig.settingsSaved, 0);
    EXPECT_TRUE(rig.prompter.messages().empty());
}

TEST(AddressSearchControl, NoAnswerAnywhereGivesTheSettingsMessage) {
    Rig rig;
    rig.silent = true;
    rig.state.replyTimeoutMs = 5;
    EXPECT_EQ(rig.utilities.ScanModbusId(), IdSearchResult::NotFound);
    ASSERT_EQ(rig.prompter.messages().size(), 1u);
    EXPECT_EQ(rig.prompter.messages().front().icon, MessageIcon::Warning);
    EXPECT_EQ(rig.prompter.texts().front(),
              "Communication with device is not successful for any valid Modbus Id.\n"
              "Please check communication settings other than Modbus ID.");
}

// The report of a failed probe runs the search inside the failing exchange; the address it found
// must survive the probe putting its own tries back.
TEST(AddressSearchControl, AddressFoundFromTheFailedProbesReportIsKept) {
    Rig rig(test::DeviceOptions(9, 7));
    rig.silent = true;
    rig.state.ModbusID = 200;
    int reports = 0;
    rig.session.setCommErrorDialog(
        [&] {
            ++reports;
            rig.silent = false;  // the cable is plugged back in before the search
            EXPECT_EQ(rig.utilities.ScanModbusId(), IdSearchResult::Found);
        },
        {});
    EXPECT_FALSE(rig.utilities.ProbeDevice());
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(rig.state.ModbusID, 7);
    EXPECT_EQ(rig.settingsSaved, 1);
    EXPECT_TRUE(rig.utilities.ProbeDevice());
    EXPECT_EQ(rig.state.ModbusID, 7);
}

}  // namespace
}  // namespace bdx

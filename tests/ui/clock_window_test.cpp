#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include "device_app_rig.h"
#include "ui/comm/device_busy_bar.h"
#include "ui/comm/frm_clock_settings.h"

namespace bdx {
namespace {

class ClockWindow : public DeviceAppRig {
  protected:
    // Opens the clock window from its toolbar button and hands it to `use`.
    void withClockWindow(const std::function<void(frmClockSettings&)>& use) {
        bool opened = false;
        expectDialog<frmClockSettings>([&](frmClockSettings& w) {
            opened = true;
            use(w);
            w.cmdClose()->click();
        });
        button("ClockTransfer")->click();
        EXPECT_TRUE(opened);
    }

    QString deviceClock() { return device.dumpValue(QStringLiteral("clock")); }
};

// Last Sunday of March 02:00 to last Sunday of October 03:00, one hour ahead.
DstRule EuropeanRule() {
    DstRule r;
    r.enabled = true;
    r.startWeek = 4, r.startWeekday = 0, r.startMonth = 2, r.startHour = 2, r.startMinute = 0;
    r.endWeek = 4, r.endWeekday = 0, r.endMonth = 9, r.endHour = 3, r.endMinute = 0;
    r.offsetHours = 1, r.offsetMinutes = 0;
    return r;
}

TEST_F(ClockWindow, SetsTheDeviceClockAndReadsItBackOnlyWithItsPassword) {
    // The application expects the device at address 7: the probe finds it at a fallback
    // address, and the settings file keeps that one.
    AppSettings stored;
    stored.LanguageDlg = 1;  // no language question at start
    stored.ModbusID = 7;
    ASSERT_TRUE(WriteSettings(settingsPath(), stored));
    startConnected({QStringLiteral("--password"), QStringLiteral("1234")});
    CommState& state = link().state();
    state.ModbusID = 7;
    state.replyTimeoutMs = 500;
    withClockWindow([&](frmClockSettings& w) {
        w.dtpDate()->setDate(QDate(2031, 7, 15));
        w.dtpTime()->setTime(QTime(13, 45, 10));
        prompter.queueReply(Reply::Yes);  // leave run mode
        prompter.queuePassword(QStringLiteral("1234"));
        w.cmdSetClock()->click();
        state.replyTimeoutMs = 3000;
        EXPECT_EQ(prompter.texts().last(), LoadText(4298));
        EXPECT_TRUE(deviceClock().startsWith(QLatin1String("2031-07-15 13:4")))
            << deviceClock().toStdString();
        EXPECT_EQ(ReadSettings(settingsPath()).ModbusID, state.ModbusID);
        EXPECT_NE(state.ModbusID, 7);

        // A wrong password leaves the device's clock alone.
        prompter.clear();
        w.dtpDate()->setDate(QDate(2040, 1, 1));
        prompter.queueReply(Reply::Yes);
        prompter.queuePassword(QStringLiteral("4321"));
        w.cmdSetClock()->click();
        EXPECT_EQ(prompter.texts().last(), LoadText(4256));
        EXPECT_TRUE(deviceClock().startsWith(QLatin1String("2031-07-15"))) << deviceClock().toStdString();

        // Reading needs no password and puts the device's time into the fields.
        prompter.clear();
        w.cmdReadClock()->click();
        EXPECT_EQ(prompter.texts(), QStringList{LoadText(4306)});
        EXPECT_EQ(w.dtpDate()->date(), QDate(2031, 7, 15));
        EXPECT_EQ(w.dtpTime()->time().hour(), 13);
        EXPECT_TRUE(w.cmdSetClock()->isEnabled());
    });
}

TEST_F(ClockWindow, DaylightSavingRuleIsWrittenAndSwitchingItOffKeepsTheRule) {
    startConnected();
    withClockWindow([this](frmClockSettings& w) {
        const auto writeAndReadBack = [&](const DstRule& rule) {
            w.showDstRule(rule);
            prompter.queueReply(Reply::Yes);  // leave run mode
            prompter.queueReply(Reply::No);   // not permanently
            w.CmdSetDst()->click();
            w.showDstRule(DstRule{});
            w.CmdReadDst()->click();
            EXPECT_EQ(prompter.texts().last(), LoadText(4306));
            return w.dstRule();
        };
        const DstRule rule = EuropeanRule();
        EXPECT_EQ(writeAndReadBack(rule), rule);
        QComboBox* offset = w.findChild<QComboBox*>(QStringLiteral("cmbDSTOffHr"));
        EXPECT_TRUE(offset->isEnabled());

        // Off: register 390 alone goes to the device, whatever the other fields show; the rule
        // stays there for the next time.
        DstRule shown = rule;
        shown.enabled = false;
        shown.startMonth = 3;
        shown.offsetMinutes = 30;
        DstRule off = rule;
        off.enabled = false;
        EXPECT_EQ(writeAndReadBack(shown), off);
        EXPECT_FALSE(offset->isEnabled());
        EXPECT_EQ(prompter.unanswered(), 0);
    });
}

TEST_F(ClockWindow, RuleWithTheSameStartAndEndIsRefusedBeforeTheDeviceIsAsked) {
    startConnected();
    withClockWindow([this](frmClockSettings& w) {
        DstRule rule = EuropeanRule();
        rule.endMonth = rule.startMonth;
        w.showDstRule(rule);
        w.CmdSetDst()->click();
        // No question about run mode: nothing has gone to the device.
        EXPECT_EQ(prompter.texts(), QStringList{LoadText(111)});
    });
}

// A device that goes away, or a user who stops a slow or silent one: the read ends (a lost
// device with one message, a Stop with none) and the window is usable again.
TEST_F(ClockWindow, InterruptedReadLeavesTheWindowUsable) {
    struct Case {
        bool pty;
        const char* fault;
        bool stop;  // the user presses Stop; otherwise the device is killed
    };
    for (const Case c :
         {Case{false, "slow:3000", false}, Case{false, "no-reply", true}, Case{true, "slow:1000", true}}) {
        SCOPED_TRACE(c.fault);
        const QStringList fault{QStringLiteral("--fault"), QString::fromLatin1(c.fault)};
        if (c.pty) {
            startOnPty(fault);
        } else {
            startConnected(fault);
        }
        prompter.clear();
        withClockWindow([&](frmClockSettings& w) {
            const QDate shown = w.dtpDate()->date();
            QTimer poll;
            bool interrupted = false;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (!interrupted && w.busyBar()->running()) {
                    interrupted = true;
                    if (c.stop) {
                        w.busyBar()->stopButton()->click();
                    } else {
                        device.kill();
                    }
                }
            });
            poll.start(50);
            w.cmdReadClock()->click();  // returns once the read has ended
            EXPECT_TRUE(interrupted);
            EXPECT_FALSE(w.busyBar()->running());
            EXPECT_TRUE(w.cmdReadClock()->isEnabled());
            EXPECT_TRUE(w.cmdClose()->isEnabled());
            EXPECT_EQ(w.dtpDate()->date(), shown);
            if (c.stop) {
                EXPECT_TRUE(prompter.messages().empty()) << prompter.texts().join(u'\n').toStdString();
            } else {
                ASSERT_EQ(prompter.messages().size(), 1u) << prompter.texts().join(u'\n').toStdString();
                EXPECT_EQ(prompter.messages().front().icon, MessageIcon::Critical);
            }
            // A slow device is read in full when the user waits (Stop closed the serial port).
            if (QString::fromLatin1(c.fault).startsWith(QLatin1String("slow")) && c.stop) {
                w.dtpDate()->setDate(QDate(2001, 1, 1));
                w.cmdReadClock()->click();
                EXPECT_EQ(prompter.texts(), QStringList{LoadText(4306)});
                EXPECT_NE(w.dtpDate()->date(), QDate(2001, 1, 1));
            }
        });
        app.reset();
        device.kill();
    }
}

TEST_F(ClockWindow, Screenshots) {
    start();
    InScreenshotLanguages([this](const QString& language) {
        withClockWindow([&](frmClockSettings& w) {
            w.dtpDate()->setDate(QDate(2031, 3, 30));
            w.dtpTime()->setTime(QTime(14, 5, 30));
            w.showDstRule(EuropeanRule());
            Shoot(w, QStringLiteral("frmClockSettings_") + language);
        });
    });
}

}  // namespace
}  // namespace bdx

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "blocks/device_model.h"
#include "device_app_rig.h"
#include "shell/app_settings.h"
#include "ui/comm/ser_setting_form.h"
#include "ui/comm/transfer_form.h"

namespace bdx {
namespace {

constexpr int kSelectProperModel = 4296;
constexpr int kWriteFailed = 4299;
constexpr int kReadFailed = 4307;
constexpr int kInvalidPassword = 4256;

class TransferWindow : public DeviceAppRig {
  protected:
    // Writes the editor's program; the device is left stopped unless `run`. True when the
    // dialog closed on success.
    bool write(bool run = false, const std::function<void()>& beforeClick = {}) {
        prompter.queueReply(Reply::Yes);  // leave run mode
        prompter.queueReply(run ? Reply::Yes : Reply::No);
        bool closed = false;
        openFrom<transfer_form>("mnuTransferProgram", [&](transfer_form& form) {
            if (beforeClick) {
                beforeClick();
            }
            form.pc_to_leg()->click();
            closed = form.result() == QDialog::Accepted;
        });
        return closed;
    }
    void read(std::optional<Reply> saveAnswer = std::nullopt) {
        prompter.queueReply(Reply::Yes);
        if (saveAnswer) {
            prompter.queueReply(*saveAnswer);
        }
        openFrom<transfer_form>("mnuTransferProgram", [](transfer_form& form) { form.leg_to_pc()->click(); });
    }

    // `act` once, when the progress bar first passes `value`.
    static void onProgress(transfer_form& form, int value, std::function<void()> act) {
        QObject::connect(form.prgBar(), &QProgressBar::valueChanged, &form,
                         [value, act = std::move(act), done = false](int now) mutable {
                             if (now > value && !done) {
                                 done = true;
                                 act();
                             }
                         });
    }

    // A program the device can run, with a rung that the undo history holds.
    void drawProgram() {
        DrawLampRung(editor());
        DrawLampRung(editor(), 1, 'I', 2, 'Q', 2);
        ASSERT_TRUE(editor().errors().empty());
    }

    // What the user has in hand: the program, its name and whether an undo is there.
    struct Hand {
        LadderGridWords grid;
        QString name;
        int model;
        bool canUndo;
        bool operator==(const Hand&) const = default;
    };
    Hand hand() const {
        return {program().LadderGrid, program().ProgramFileName, program().ModelIndex, editor().CanUndo()};
    }

    QStringList critical() const {
        QStringList texts;
        for (const Message& m : prompter.messages()) {
            if (m.icon == MessageIcon::Critical) {
                texts << m.text;
            }
        }
        return texts;
    }

    // A program written, the editor's changed, and the device's read back in its place.
    // `beforeWrite` runs in the open dialog, before Write is pressed.
    void roundTrip(const std::function<void()>& beforeWrite = {}) {
        drawProgram();
        const Hand written = hand();
        ASSERT_TRUE(write(true, beforeWrite)) << prompter.texts().join(u'\n').toStdString();
        EXPECT_EQ(prompter.unanswered(), 0);
        EXPECT_TRUE(critical().isEmpty()) << critical().join(u'\n').toStdString();
        // It runs in the device: the lamp follows the switch.
        device.command(QStringLiteral("set I1=1"));
        EXPECT_TRUE(LoopUntil([this] {
            return device.command(QStringLiteral("get Q1")).join(u' ').contains(QStringLiteral("=1"));
        }));

        DrawLampRung(editor(), 2, 'I', 3, 'Q', 3);
        ASSERT_TRUE(program().ProgramModified);
        prompter.clear();
        read(Reply::No);
        EXPECT_EQ(prompter.unanswered(), 0);
        EXPECT_TRUE(critical().isEmpty()) << critical().join(u'\n').toStdString();
        Hand expected = written;
        expected.name = QStringLiteral("Untitled.h53");
        expected.canUndo = false;
        EXPECT_EQ(hand(), expected);
        EXPECT_FALSE(program().ProgramModified);
        EXPECT_TRUE(window()->windowTitle().contains(QStringLiteral("Untitled.h53")));
    }
};

TEST_F(TransferWindow, WritesAndReadsBackOverTcpAndThePseudoTerminal) {
    for (const bool overTcp : {true, false}) {
        SCOPED_TRACE(overTcp ? "tcp" : "pty");
        if (overTcp) {
            startConnected({QStringLiteral("--model"), QStringLiteral("0"), QStringLiteral("--fault"),
                            QStringLiteral("only-address-1")});
            // The device answers at 1 only: the probe finds it there and the settings keep it.
            link().state().ModbusID = 7;
            link().state().replyTimeoutMs = 1000;  // a device on this machine answers at once
            roundTrip();
        } else {
            startOnPty({QStringLiteral("--model"), QStringLiteral("0")});
            // No port chosen yet: the settings dialog comes first, and the port chosen there is used.
            link().state().SerialPortPath.clear();
            roundTrip([this] {
                expectDialog<ser_setting_form>([this](ser_setting_form& form) {
                    form.optUART()->setChecked(true);
                    form.cmbCommPort()->setCurrentText(device.ptyPath);
                    form.txtModbusID()->setText(QStringLiteral("1"));
                    form.Command1()->click();
                });
            });
        }
        EXPECT_EQ(ReadSettings(settingsPath()).ModbusID, 1);
        app.reset();
        prompter.clear();
        device.kill();
    }
}

// A device with a program password: a wrong one moves nothing, the right one writes.
TEST_F(TransferWindow, AsksForTheDevicePasswordOnWrite) {
    startConnected({QStringLiteral("--model"), QStringLiteral("0"), QStringLiteral("--password"),
                    QStringLiteral("1234")});
    drawProgram();
    prompter.queuePassword(QStringLiteral("4321"));
    EXPECT_FALSE(write());
    EXPECT_TRUE(prompter.texts().contains(LoadText(kInvalidPassword)));
    EXPECT_FALSE(prompter.texts().contains(LoadText(kWriteFailed)));

    prompter.clear();
    prompter.queuePassword(QStringLiteral("1234"));
    EXPECT_TRUE(write()) << prompter.texts().join(u'\n').toStdString();
    EXPECT_FALSE(prompter.texts().contains(LoadText(kInvalidPassword)));
}

// The program is for model 0, the device is a model 9: refused before anything is written; a
// read takes the device's model, and the model display shows it.
TEST_F(TransferWindow, AnotherModelIsRefusedOnWriteAndAdoptedOnRead) {
    startConnected({QStringLiteral("--model"), QStringLiteral("9")});
    drawProgram();
    const LadderGridWords drawn = program().LadderGrid;
    EXPECT_FALSE(write());
    ASSERT_FALSE(prompter.messages().empty());
    EXPECT_EQ(prompter.messages().back().text, LoadText(kSelectProperModel));
    EXPECT_EQ(prompter.messages().back().icon, MessageIcon::Information);

    // Cancel to the question to save ends the read before anything changes.
    const Hand before = hand();
    prompter.clear();
    read(Reply::Cancel);
    EXPECT_EQ(hand(), before);
    EXPECT_EQ(find<QLabel>("sbStatusBarModel")->text(), QString::fromLatin1(ModelDisplayName(0)));

    prompter.clear();
    read(Reply::No);
    EXPECT_TRUE(critical().isEmpty()) << critical().join(u'\n').toStdString();
    EXPECT_EQ(program().ModelIndex, 9);
    EXPECT_EQ(find<QLabel>("sbStatusBarModel")->text(), QString::fromLatin1(ModelDisplayName(9)));
    // The device never received the program.
    EXPECT_NE(program().LadderGrid, drawn);
}

// Stop, or closing the dialog, while the program moves ends the transfer with its message; the
// dialog stays open and the link is usable for the next try.
TEST_F(TransferWindow, StopEndsARunningTransfer) {
    startConnected({QStringLiteral("--model"), QStringLiteral("0")});
    drawProgram();
    const Hand before = hand();
    const struct {
        bool writing;
        bool byClosing;
        int message;
    } cases[] = {{true, false, kWriteFailed}, {false, true, kReadFailed}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.writing ? "write" : "read");
        prompter.clear();
        prompter.queueReply(Reply::Yes);
        prompter.queueReply(Reply::No);
        bool closeRefused = false;
        openFrom<transfer_form>("mnuTransferProgram", [&](transfer_form& form) {
            onProgress(form, 600, [&] {
                if (c.byClosing) {
                    closeRefused = !form.close() && form.transferring();
                } else {
                    form.cmd_stop()->click();
                }
            });
            (c.writing ? form.pc_to_leg() : form.leg_to_pc())->click();
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(form.prgBar()->value(), 0);
        });
        EXPECT_EQ(closeRefused, c.byClosing);
        EXPECT_EQ(critical(), QStringList{LoadText(c.message)});
        EXPECT_EQ(hand(), before);
    }
    prompter.clear();
    EXPECT_TRUE(write()) << prompter.texts().join(u'\n').toStdString();
}

// The device killed half-way, or answering wrongly: one box that says why, the dialog still
// open and ready, and the editor's program, name and undo history as they were (on a read too,
// where the program in hand had already been given up for the device's).
TEST_F(TransferWindow, FailuresGiveOneMessageAndLoseNothing) {
    for (const char* fault : {"", "wrong-echo", "short-count", "stray-byte"}) {
        for (const bool writing : {true, false}) {
            SCOPED_TRACE(std::string(*fault ? fault : "killed") + (writing ? " write" : " read"));
            QStringList arguments = {QStringLiteral("--model"), QStringLiteral("0")};
            if (*fault) {
                arguments << QStringLiteral("--fault") << QString::fromLatin1(fault);
            }
            startConnected(arguments);
            drawProgram();
            const Hand before = hand();
            prompter.queueReply(Reply::Yes);
            prompter.queueReply(Reply::No);  // do not save
            openFrom<transfer_form>("mnuTransferProgram", [&](transfer_form& form) {
                onProgress(form, 1000, [this] { device.kill(); });
                (writing ? form.pc_to_leg() : form.leg_to_pc())->click();
                EXPECT_TRUE(form.isVisible() && form.pc_to_leg()->isEnabled() &&
                            !form.cmd_stop()->isEnabled());
            });
            QStringList told;
            for (const Message& m : prompter.messages()) {
                if (m.icon != MessageIcon::Question) {
                    told << m.text;
                }
            }
            EXPECT_EQ(told.size(), 1) << told.join(u'\n').toStdString();
            EXPECT_EQ(hand(), before);
            EXPECT_TRUE(program().ProgramModified);
            app.reset();
            prompter.clear();
            device.kill();
        }
    }
}

TEST_F(TransferWindow, Screenshots) {
    startConnected({QStringLiteral("--model"), QStringLiteral("0")});
    drawProgram();
    InScreenshotLanguages([this](const QString& language) {
        prompter.queueReply(Reply::Yes);
        prompter.queueReply(Reply::No);
        openFrom<transfer_form>("mnuTransferProgram", [&](transfer_form& form) {
            Shoot(form, QStringLiteral("transfer_form_") + language);
            onProgress(form, 1500, [&] { Shoot(form, QStringLiteral("transfer_form_writing_") + language); });
            form.pc_to_leg()->click();
        });
    });
}

}  // namespace
}  // namespace bdx

#pragma once

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

#include "comm/comm_link.h"
#include "shell/app_settings.h"
#include "shell/prompter.h"

// What every device command of the command-line tool shares: the connection options, the link
// to the device, and a prompter that talks on the terminal.
namespace bdx::cli {

// --tcp HOST:PORT | --serial DEVICE | --usb, [--baud B] [--parity N|E|O] [--stop 1|2], --id N,
// --password NNNN, --yes. Without a transport option the stored communication settings are used;
// the line options and --id then override only what they name.
struct DeviceOptions {
    enum class Link { Stored, Tcp, Serial, Usb };
    Link link = Link::Stored;
    QString host = QStringLiteral("127.0.0.1");
    int port = 0;
    QString serialDevice;
    std::optional<QString> baud;      // default 9600
    std::optional<QChar> parity;      // default N
    std::optional<QString> stopBits;  // default 1
    std::optional<int> id;            // default 1
    QString password;                 // empty: asked on the terminal when the device wants one
    bool yes = false;                 // answer Yes to every yes/no question
};

// Takes the connection options out of `args` (what remains is the command's own). An error
// text for a bad or missing option.
std::optional<QString> TakeDeviceOptions(QStringList& args, DeviceOptions& options);

// The options' usage text, to append to a command's own.
QString DeviceOptionsUsage();

// Messages go to `err` as "BRANTELDESK X: text"; yes/no questions are answered Yes with --yes,
// otherwise asked on the terminal (stdin; no answer means No / Cancel); the password comes from
// --password or the terminal.
class TerminalPrompter : public Prompter {
  public:
    TerminalPrompter(const DeviceOptions& options, QTextStream& out, QTextStream& err);
    Reply show(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    std::optional<QString> askPassword(const QString& prompt) override;

  private:
    const DeviceOptions& options_;
    QTextStream& out_;
    QTextStream& err_;
};

// The connection of one command. A TCP link is connected when it is made; a serial port is
// opened per operation by the session.
struct DeviceLink {
    explicit DeviceLink(Prompter& prompter) : comm(prompter) {}
    CommLink comm;
    bool stored = false;  // the settings file's communication settings are in use
    CommState& state() { return comm.state(); }
    ModbusSession& session() { return comm.session(); }
    // For the probe and the address search, which may move ModbusID: the new address is
    // noted on `note`, and written back to the settings file when the link came from it.
    std::function<void()> settingsSaver(QTextStream& note);
};

// The settings file. Each value outside its allowed set is noted on `err`, once per run: the
// steps of one command may read the file more than once.
AppSettings ReadStoredSettings(QTextStream& err);

// The options' own values (transport, line settings, Modbus ID) over those already in `state`.
void ApplyDeviceOptions(const DeviceOptions& options, CommState& state);

// Connects as the options say, over the stored settings when no transport is named and over
// the defaults otherwise; nothing, with the reason shown, when TCP cannot connect or no
// serial port can be used (the USB cable is looked up here).
std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceOptions& options, Prompter& prompter,
                                           QTextStream& err);

}  // namespace bdx::cli

#pragma once

#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

#include "comm/comm_state.h"
#include "comm/modbus_transaction.h"
#include "comm/transport.h"
#include "shell/prompter.h"

// What every device command of the command-line tool shares: the connection options, the link
// to the device, and a prompter that talks on the terminal.
namespace bdx::cli {

// --tcp HOST:PORT | --serial DEVICE [--baud B] [--parity N|E|O] [--stop 1|2], --id N,
// --password NNNN, --yes.
struct DeviceOptions {
    bool tcp = false;
    QString host = QStringLiteral("127.0.0.1");
    int port = 0;
    QString serialDevice;
    QString baud = QStringLiteral("9600");
    QChar parity = QLatin1Char('N');
    QString stopBits = QStringLiteral("1");
    int id = 1;
    QString password;  // empty: asked on the terminal when the device wants one
    bool yes = false;  // answer Yes to every yes/no question
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

// The state, transport and session of one command's connection. A TCP link is connected when
// it is made; a serial port is opened per operation by the session.
struct DeviceLink {
    CommState state;
    std::unique_ptr<Transport> transport;
    std::unique_ptr<ModbusSession> session;
};

// Connects as the options say; nothing, with the reason on `err`, when TCP cannot connect.
std::unique_ptr<DeviceLink> OpenDeviceLink(const DeviceOptions& options, Prompter& prompter,
                                           QTextStream& err);

}  // namespace bdx::cli

#include "transfer_commands.h"

#include "comm/program_transfer.h"
#include "device_options.h"
#include "ladder/program_file.h"
#include "program_commands.h"
#include "shell/app_settings.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Status lines on stdout; the bar itself means nothing on a terminal.
class StatusLines : public TransferProgress {
  public:
    explicit StatusLines(QTextStream& out) : out_(out) {}
    void setRange(int, int) override {}
    void setValue(int) override {}
    void setStatus(const QString& text) override {
        out_ << text << '\n';
        out_.flush();
    }

  private:
    QTextStream& out_;
};

// Takes the device options and the byte order out of `args`; the usage error, if any.
std::optional<QString> takeCommon(QStringList& args, DeviceOptions& options, bool& bigEndian,
                                  QTextStream& err) {
    if (std::optional<QString> error = TakeDeviceOptions(args, options)) {
        return error;
    }
    const bool little = args.removeAll(QStringLiteral("--little-endian")) > 0;
    const bool big = args.removeAll(QStringLiteral("--big-endian")) > 0;
    if (little && big) {
        return QStringLiteral("give one of --big-endian and --little-endian");
    }
    bigEndian = big || (!little && ReadStoredSettings(err).BigEndian);
    return std::nullopt;
}

int usage(QTextStream& err, const QString& problem, const char* synopsis) {
    err << problem << "\n\nUsage: branteldesk-cli " << synopsis
        << " [--big-endian|--little-endian] DEVICE-OPTIONS\n"
        << DeviceOptionsUsage();
    return kUsage;
}

// Runs one transfer direction over a fresh link.
int transfer(const DeviceOptions& options, bool bigEndian, Program& program, bool write, QTextStream& out,
             QTextStream& err) {
    TerminalPrompter prompter(options, out, err);
    const std::unique_ptr<DeviceLink> link = OpenDeviceLink(options, prompter, err);
    if (!link) {
        return kFailed;
    }
    StatusLines progress(out);
    ProgramTransfer job(link->session(), program, prompter, &progress);
    job.setBigEndian(bigEndian);
    TransferHooks hooks;
    hooks.settingsChanged = link->settingsSaver(err);
    job.setHooks(hooks);
    return (write ? job.pc_to_leg_Click() : job.leg_to_pc_Click()) ? kOk : kFailed;
}

}  // namespace

int WriteCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    constexpr const char* synopsis = "write FILE";
    QStringList rest = args;
    DeviceOptions options;
    bool bigEndian = true;
    if (const std::optional<QString> error = takeCommon(rest, options, bigEndian, err)) {
        return usage(err, *error, synopsis);
    }
    if (rest.size() != 1 || rest.front().startsWith(u'-')) {
        return usage(err, QStringLiteral("write takes one program file"), synopsis);
    }
    Program program;
    const ProgramFileStatus status = ReadProgramFile(rest.front(), program, true);
    if (!status.ok()) {
        err << ProgramFileMessage(status) << '\n';
        return kFailed;
    }
    return transfer(options, bigEndian, program, true, out, err);
}

int ReadCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    constexpr const char* synopsis = "read -o FILE";
    QStringList rest = args;
    DeviceOptions options;
    bool bigEndian = true;
    if (const std::optional<QString> error = takeCommon(rest, options, bigEndian, err)) {
        return usage(err, *error, synopsis);
    }
    const qsizetype o = rest.indexOf(QStringLiteral("-o"));
    if (o < 0 || o + 1 >= rest.size() || rest.size() != 2) {
        return usage(err, QStringLiteral("read wants -o FILE and nothing else"), synopsis);
    }
    const QString path = rest.at(o + 1);
    // Asked before the device is touched, and again before the write: the editor may have
    // opened the file meanwhile.
    if (TargetHeldOpen(path, err)) {
        return kFailed;
    }
    Program program;
    if (transfer(options, bigEndian, program, false, out, err) != kOk) {
        return kFailed;
    }
    QString error;
    if (TargetHeldOpen(path, err)) {
        return kFailed;
    }
    if (!WriteProgramFile(program, path, &error)) {
        err << "Cannot write " << path << ": " << error << '\n';
        return kFailed;
    }
    out << "Saved " << path << '\n';
    return kOk;
}

}  // namespace bdx::cli

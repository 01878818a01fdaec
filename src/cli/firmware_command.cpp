#include "firmware_command.h"

#include <QSaveFile>

#include "comm/firmware_update.h"
#include "device_options.h"
#include "shell/app_paths.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;  // also a package that cannot be used

QString usage() {
    return QStringLiteral(
               "usage: branteldesk-cli firmware PACKAGE [--verify] DEVICE-OPTIONS\n"
               "       branteldesk-cli firmware --make-test-package OUT [--version TEXT] [--family 1|2]\n"
               "                                [--model N|any] [--min-main N] [--size BYTES]\n") +
           DeviceOptionsUsage();
}

// Status lines and the block count on the terminal.
class TerminalProgress : public FirmwareProgress {
  public:
    explicit TerminalProgress(QTextStream& out) : out_(out) {}
    void setRange(int, int maximum) override { maximum_ = maximum; }
    void setValue(int value) override {
        if (value == maximum_ && maximum_ > 0) {
            out_ << value << " blocks" << Qt::endl;
        }
    }
    void setStatus(const QString& text) override { out_ << text << Qt::endl; }

  private:
    QTextStream& out_;
    int maximum_ = 0;
};

bool takeInt(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

// A package with a generated image, for trying the update without a real firmware file.
int makeTestPackage(const QStringList& args, QTextStream& err) {
    TestPackageOptions options;
    QString output;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const QString value = hasValue ? args[i + 1] : QString();
        bool ok = hasValue;
        if (arg == QLatin1String("--version")) {
            ok = ok && !value.isEmpty() && value.size() <= 9;
            options.version = value;
        } else if (arg == QLatin1String("--family")) {
            ok = ok && takeInt(value, 1, 2, options.family);
        } else if (arg == QLatin1String("--model")) {
            if (value == QLatin1String("any")) {
                options.model = kQvexAnyModel;
            } else {
                ok = ok && takeInt(value, 0, 15, options.model);
            }
        } else if (arg == QLatin1String("--min-main")) {
            ok = ok && takeInt(value, 0, 255, options.minimumMainVersion);
        } else if (arg == QLatin1String("--size")) {
            ok = ok && takeInt(value, 1, kQvexDataEnd - kQvexHeaderSize - 200, options.imageSize);
        } else if (output.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            output = arg;
            continue;
        } else {
            ok = false;
        }
        if (!ok) {
            err << "firmware: bad option " << arg << (hasValue ? QStringLiteral(" ") + value : QString())
                << "\n"
                << usage();
            return kUsage;
        }
        ++i;
    }
    if (output.isEmpty()) {
        err << usage();
        return kUsage;
    }
    QSaveFile file(output);
    const QByteArray bytes = BuildTestFirmwarePackage(options);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        err << "firmware: cannot write " << output << "\n";
        return kFailed;
    }
    return kOk;
}

}  // namespace

int FirmwareCommand(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.value(0) == QLatin1String("--make-test-package")) {
        return makeTestPackage(arguments, err);
    }
    QStringList args = arguments;
    DeviceOptions options;
    if (const std::optional<QString> error = TakeDeviceOptions(args, options)) {
        err << "firmware: " << *error << "\n" << usage();
        return kUsage;
    }
    const bool verify = args.removeAll(QStringLiteral("--verify")) > 0;
    if (args.size() != 1 || args[0].startsWith(QLatin1String("--"))) {
        err << usage();
        return kUsage;
    }

    TerminalPrompter prompter(options, out, err);
    const std::unique_ptr<DeviceLink> link = OpenDeviceLink(options, prompter, err);
    if (!link) {
        return kFailed;
    }
    TerminalProgress progress(out);
    FirmwareUpdate update(link->session(), ApplicationFolder(), &progress);
    if (!update.selectPackage(args[0])) {
        return kUsage;
    }
    out << "package: " << update.version() << " built " << update.dateTime() << Qt::endl;
    return update.run(verify) == FirmwareResult::Updated ? kOk : kFailed;
}

}  // namespace bdx::cli

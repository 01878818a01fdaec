#include "image_command.h"

#include <QSaveFile>
#include <optional>

#include "comm/device_image.h"
#include "ladder/grid.h"
#include "ladder/program_file.h"
#include "program_commands.h"
#include "shell/app_paths.h"
#include "shell/app_settings.h"

namespace bdx::cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;  // also a program file that cannot be read

constexpr const char* kUsageText =
    "usage: branteldesk-cli image FILE [--big-endian|--little-endian] [--lad] -o OUT\n";

struct ImageOptions {
    QString program;
    QString output;
    std::optional<bool> bigEndian;  // the settings file decides when not given
    bool imageFile = false;
};

// Empty on success, else what is wrong with the command line.
QString parseOptions(const QStringList& args, ImageOptions& options) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--big-endian") || arg == QLatin1String("--little-endian")) {
            if (options.bigEndian) {
                return QStringLiteral("give the byte order once");
            }
            options.bigEndian = arg == QLatin1String("--big-endian");
        } else if (arg == QLatin1String("--lad")) {
            options.imageFile = true;
        } else if (arg == QLatin1String("-o")) {
            if (i + 1 >= args.size() || !options.output.isEmpty()) {
                return QStringLiteral("-o needs one output file");
            }
            options.output = args[++i];
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return QStringLiteral("unknown option ") + arg;
        } else if (options.program.isEmpty()) {
            options.program = arg;
        } else {
            return QStringLiteral("one program file only");
        }
    }
    if (options.program.isEmpty()) {
        return QStringLiteral("no program file given");
    }
    if (options.output.isEmpty()) {
        return QStringLiteral("no output file given (-o OUT)");
    }
    return {};
}

bool writeFile(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        return true;
    }
    error = file.errorString();
    return false;
}

}  // namespace

int ImageCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    ImageOptions options;
    const QString usageError = parseOptions(args, options);
    if (!usageError.isEmpty()) {
        err << usageError << '\n' << kUsageText;
        return kUsage;
    }
    Program program;
    if (!ReadProgramForCommand(options.program, program, err)) {
        return kUsage;
    }

    // The application's own byte order setting, big-endian when there is no settings file.
    const bool bigEndian = options.bigEndian.value_or(ReadSettings(SettingsFilePath()).BigEndian);
    QString error;
    const std::optional<DeviceImage> image = BuildImage(program, bigEndian, &error);
    if (!image) {
        err << options.program << ": no image: " << error << '\n';
        return kFailed;
    }
    const QByteArray bytes =
        options.imageFile ? BuildImageFileBytes(program, bigEndian, program.ModelIndex) : ImageBytes(*image);
    if (!writeFile(options.output, bytes, error)) {
        err << options.output << ": the image could not be written: " << error << '\n';
        return kFailed;
    }
    out << options.output << ": " << bytes.size() << " bytes, " << (bigEndian ? "big" : "little") << "-endian"
        << (options.imageFile ? ", image file" : "") << '\n';
    return kOk;
}

}  // namespace bdx::cli

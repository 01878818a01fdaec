#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ladder/file_lock.h"
#include "run_cli.h"
#include "shell/app_paths.h"

namespace bdx {
namespace {

const QString kRelays = QStringLiteral(BDX_SOURCE_DIR "/tests/cli/scripts/relays.h53");

bool writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

TEST(BoundedInputsTest, BadSettingsFallBackToTheirDefaultsWithANote) {
    ASSERT_TRUE(QDir().mkpath(ProductDataFolder()));
    ASSERT_TRUE(writeText(SettingsFilePath(),
                          "[APPLICATION SETTINGS]\r\nModbusID:= 250\r\nBaudRate:= 0\r\nStrBaudRate:= 1\r\n"));
    const CliResult shown = RunCli({QStringLiteral("settings")});
    QFile::remove(SettingsFilePath());
    EXPECT_EQ(shown.code, 0);
    EXPECT_TRUE(shown.out.contains(QStringLiteral("line: 9600,N,8,1")) &&
                shown.out.contains(QStringLiteral("modbus-id: 254")))
        << shown.out.toStdString();
    for (const char* part : {"Config.ini", "ModbusID", "250", "254", "StrBaudRate"}) {
        EXPECT_TRUE(shown.err.contains(QLatin1String(part))) << part << '\n' << shown.err.toStdString();
    }
}

// Neither a FIFO (whose open would wait for a writer forever) nor a folder or a device is a
// program, whichever command is given it.
TEST(BoundedInputsTest, OnlyRegularFilesAreReadAsPrograms) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.h53"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString out = dir.filePath(QStringLiteral("out"));
    const QString folder = dir.path();
    const QString device = QStringLiteral("/dev/null");
    const QStringList commands[] = {
        {QStringLiteral("info"), fifo},
        {QStringLiteral("simulate"), fifo},
        {QStringLiteral("check"), folder},
        {QStringLiteral("convert"), device, out},
        {QStringLiteral("image"), device, QStringLiteral("-o"), out},
        {QStringLiteral("write"), folder, QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")},
    };
    for (const QStringList& command : commands) {
        const CliResult result = RunCli(command);
        EXPECT_GT(result.code, 0) << command.join(u' ').toStdString();
        EXPECT_TRUE(result.err.contains(QFileInfo(command[1]).fileName() + QStringLiteral(" is a")) &&
                    result.err.contains(QStringLiteral("not a regular file")))
            << command.join(u' ').toStdString() << ": " << result.err.toStdString();
    }
}

TEST(BoundedInputsTest, AProgramHeldOpenByTheApplicationIsNotReplaced) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("Held.h53"));
    ASSERT_TRUE(writeText(target, "kept"));
    const QString refused = QStringLiteral("Can not replace. File already opened!");
    {
        FileLocks application;
        ASSERT_TRUE(application.AcquireFileLock(target));
        const CliResult convert = RunCli({QStringLiteral("convert"), kRelays, target});
        EXPECT_EQ(convert.code, 1);
        EXPECT_TRUE(convert.err.contains(refused)) << convert.err.toStdString();
        // Refused before the device is even asked.
        const CliResult read = RunCli({QStringLiteral("read"), QStringLiteral("-o"), target,
                                       QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:1")});
        EXPECT_EQ(read.code, 1);
        EXPECT_TRUE(read.err.contains(refused)) << read.err.toStdString();
        QFile file(target);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("kept"));
    }
    // A lock file whose holder has gone does not keep the file.
    ASSERT_TRUE(writeText(LockFilePath(target), ""));
    EXPECT_EQ(RunCli({QStringLiteral("convert"), kRelays, target}).code, 0);
}

TEST(BoundedInputsTest, AScriptTimeBeyondTheMaximumIsRefusedBeforeTheRun) {
    const CliResult result =
        RunCli({QStringLiteral("simulate"), kRelays}, "0 print Q1\n604800 print Q1\n604800.01 print Q1\n");
    EXPECT_EQ(result.code, 3);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains(QStringLiteral("stdin:3: ")) &&
                result.err.contains(QStringLiteral("604800")))
        << result.err.toStdString();
}

}  // namespace
}  // namespace bdx

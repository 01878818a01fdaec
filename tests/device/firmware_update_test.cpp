// Firmware packages and the update flow, end to end against the virtual device process.

#include "comm/firmware_update.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "../comm/fake_transport.h"
#include "comm/modbus_requests.h"
#include "pc_link.h"
#include "shell/language_table.h"

namespace bdx {
namespace {

using test::DeviceProcess;

// --- Package reader ------------------------------------------------------------------------

// Header (22) + image + 2 bytes per 1000-byte chunk: the position right after the last chunk.
int EndOfChunks(int imageSize) {
    return kQvexHeaderSize + imageSize + 2 * ((imageSize + 999) / 1000) + 1;
}

TEST(FirmwarePackage, ReadsHeaderAndImage) {
    TestPackageOptions options;
    options.imageSize = 2500;
    options.chunkSize = 700;
    const PackageReadResult read = ParseFirmwarePackage(BuildTestFirmwarePackage(options));
    ASSERT_TRUE(read.package);
    EXPECT_EQ(read.package->version, QStringLiteral("QX2 V2.20"));
    EXPECT_EQ(read.package->dateTimeText(), QStringLiteral("14/03/25 09:26:53"));
    EXPECT_TRUE(read.package->supported());
    EXPECT_EQ(read.package->family(), 2);
    EXPECT_EQ(read.package->image, TestFirmwareImage(options));
    EXPECT_TRUE(read.package->image.startsWith("QX2 V2.20"));
}

TEST(FirmwarePackage, ChunksStartingAtTheDataEndOrLaterAreIgnored) {
    // Image sizes whose chunks end so that the next chunk starts one before / at the data end.
    const QByteArray extra = QByteArray("\x03\x00XYZ", 5);
    struct Case {
        int imageSize;
        bool extraRead;
    };
    for (const Case c : {Case{65951, true}, Case{65952, false}}) {
        TestPackageOptions options;
        options.imageSize = c.imageSize;
        options.chunkSize = 1000;
        options.trailing = extra;
        const int next = EndOfChunks(c.imageSize);
        ASSERT_EQ(next, c.extraRead ? kQvexDataEnd - 1 : kQvexDataEnd);
        const PackageReadResult read = ParseFirmwarePackage(BuildTestFirmwarePackage(options));
        ASSERT_TRUE(read.package) << c.imageSize;
        EXPECT_EQ(read.package->image,
                  TestFirmwareImage(options) + (c.extraRead ? QByteArray("XYZ") : QByteArray()))
            << c.imageSize;
    }
}

TEST(FirmwarePackage, DamagedFilesAreRefused) {
    const QByteArray good = BuildTestFirmwarePackage();
    QByteArray wrongSignature = good;
    wrongSignature[0] = 'X';
    QByteArray overlongChunk = good;
    overlongChunk[kQvexHeaderSize + 1] = char(0x7F);  // count far beyond the file
    struct Case {
        const char* name;
        QByteArray bytes;
        PackageError error;
    };
    const Case cases[] = {
        {"empty", {}, PackageError::NotAPackage},
        {"signature", wrongSignature, PackageError::NotAPackage},
        {"short header", good.left(15), PackageError::Damaged},
        {"no chunks", good.left(kQvexHeaderSize), PackageError::Damaged},
        {"truncated chunk", good.chopped(1), PackageError::Damaged},
        {"dangling count byte", good + QByteArray(1, '\x05'), PackageError::Damaged},
        {"overlong chunk", overlongChunk, PackageError::Damaged},
    };
    for (const Case& c : cases) {
        const PackageReadResult read = ParseFirmwarePackage(c.bytes);
        EXPECT_FALSE(read.package) << c.name;
        EXPECT_EQ(read.error, c.error) << c.name;
    }
}

TEST(FirmwarePackage, VersionsCompareNumericallyPartByPart) {
    const auto v = [](const char* text) { return FirmwareVersionNumbers(QString::fromLatin1(text)).value(); };
    EXPECT_GT(CompareFirmwareVersions(v("QX2 V2.10"), v("QX2 V2.9")), 0);
    EXPECT_LT(CompareFirmwareVersions(v("V1.99"), v("V2.0")), 0);
    EXPECT_EQ(CompareFirmwareVersions(v("V2.10"), v("2.10.0")), 0);
    EXPECT_FALSE(FirmwareVersionNumbers(QStringLiteral("QX2 V2")));
}

// --- Update against the device ----------------------------------------------------------------

// The update against the virtual device in process; the command-line test below runs it over
// the device process.
class FirmwareUpdateTest : public ::testing::Test {
  protected:
    QString writePackage(const TestPackageOptions& options, const char* name = "fw.qvex") {
        const QString path = folder.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeFile(path, BuildTestFirmwarePackage(options)));
        return path;
    }

    QTemporaryDir folder;
    test::DeviceLink link;
    VirtualDevice& device = link.device;
    ScriptedPrompter& prompter = link.prompter;
    CommState& state = link.state;
    test::RecordingProgress<FirmwareProgress> progress;
    FirmwareUpdate update{link.session, folder.path(), &progress};
};

TEST_F(FirmwareUpdateTest, PackageUpdatesTheDeviceWithVerify) {
    TestPackageOptions options;
    options.imageSize = 1000;  // 8 blocks of 128, the last one short
    ASSERT_TRUE(update.selectPackage(writePackage(options)));
    EXPECT_EQ(update.version(), QStringLiteral("QX2 V2.20"));
    EXPECT_EQ(contentOf(update.imagePath()), TestFirmwareImage(options));

    prompter.queueReply(Reply::Yes);  // overwrite?
    EXPECT_EQ(update.run(true), FirmwareResult::Updated) << prompter.texts().join(u'|').toStdString();
    EXPECT_EQ(prompter.texts().last(), QStringLiteral("Successful!"));
    // A model with a display: the OK key.
    EXPECT_TRUE(prompter.texts().contains(QStringLiteral("Now Press and Hold the OK key on Device.....")));
    EXPECT_EQ(prompter.unanswered(), 0);
    EXPECT_EQ(progress.ranges, (std::vector<int>{8, 8}));  // written, then read back
    EXPECT_EQ(progress.last, 8);
    EXPECT_EQ(progress.statuses, (QStringList{"Connecting...", "Updating firmware..."}));

    // The device runs the new firmware and says so in its identity.
    ASSERT_TRUE(ReadDeviceIdentity(link.session));
    EXPECT_EQ(state.FirmwareText.trimmed(), QStringLiteral("QX2 V2.20"));
    EXPECT_EQ(device.mode(), DeviceMode::Stop);
}

TEST_F(FirmwareUpdateTest, ChecksStopBeforeTheDeviceIsTouched) {
    struct Case {
        const char* name;
        int family, model, minimumMain;
        const char* version;
        std::vector<Reply> answers;
        FirmwareResult result;
        QString message;
    };
    const QString overwrite = QStringLiteral(
        "Firmware version - QX2 V2.20 will overwrite the present firmware in device.\nIf you still want to "
        "continue release OK key of device and press Yes button.");
    // clang-format off
    const Case cases[] = {
        {"other family", 1, kQvexAnyModel, 1, "QX2 V2.20", {}, FirmwareResult::Refused,
         "The connected device type and selected 'QVEX' file types are different."},
        {"other model", 2, 12, 1, "QX2 V2.20", {}, FirmwareResult::Refused,
         "The connected device type and selected 'QVEX' file type is different."},
        {"device too old", 2, 9, 3, "QX2 V3.00", {Reply::Ok}, FirmwareResult::Refused,
         "Device firmware version QX2 V2.10 is incompatible with the selected .QVEX files's firmware version "
         "QX2 V3.00.\nPlease select proper .QVEX file and try again."},
        {"unnumbered package", 2, 9, 1, "QX2 beta", {}, FirmwareResult::Refused, "Firmware version is incompatible."},
        {"same version, No", 2, 9, 1, "QX2 V2.10", {Reply::No}, FirmwareResult::Declined,
         "Firmware in the device is of same version.\nDo you still want to continue?"},
        {"older package, No", 2, 9, 1, "QX2 V2.9", {Reply::No}, FirmwareResult::Declined,
         "Firmware in the device is of higher version.\nDo you still want to continue?"},
        {"newer, No to overwrite", 2, 9, 1, "QX2 V2.20", {Reply::No}, FirmwareResult::Declined, overwrite},
    };
    // clang-format on
    for (const Case& c : cases) {
        prompter.clear();
        TestPackageOptions options;
        options.family = c.family;
        options.model = c.model;
        options.minimumMainVersion = c.minimumMain;
        options.version = QString::fromLatin1(c.version);
        ASSERT_TRUE(update.selectPackage(writePackage(options))) << c.name;
        for (const Reply r : c.answers) {
            prompter.queueReply(r);
        }
        EXPECT_EQ(update.run(false), c.result) << c.name;
        EXPECT_EQ(prompter.texts().value(prompter.texts().size() - 1), c.message) << c.name;
        EXPECT_EQ(prompter.unanswered(), 0) << c.name;
        EXPECT_EQ(device.mode(), DeviceMode::Stop) << c.name;
        EXPECT_EQ(device.firmware(), QStringLiteral("QX2 V2.10")) << c.name;
    }
}

TEST_F(FirmwareUpdateTest, SerialPortMustRunAt9600NoParityOneStop) {
    ASSERT_TRUE(update.selectPackage(writePackage({})));
    for (const auto& [baud, parity, stop] : {std::tuple{"4800", "None", "1"}, std::tuple{"9600", "Even", "1"},
                                             std::tuple{"9600", "None", "2"}}) {
        prompter.clear();
        state.BaudRateText = QString::fromLatin1(baud);
        state.ParityText = QString::fromLatin1(parity);
        state.StopBitText = QString::fromLatin1(stop);
        EXPECT_EQ(update.run(false), FirmwareResult::Refused);
        EXPECT_EQ(prompter.texts(), QStringList{LineSettingsMessage()});
    }
    EXPECT_EQ(link.transactions(), 0);
}

TEST_F(FirmwareUpdateTest, UnusablePackagesAreRefusedWhenChosen) {
    TestPackageOptions unsupported;
    unsupported.format = 7;
    const QString damaged = folder.filePath(QStringLiteral("bad.qvex"));
    ASSERT_TRUE(writeFile(damaged, BuildTestFirmwarePackage().chopped(10)));

    EXPECT_FALSE(update.selectPackage(writePackage(unsupported)));
    EXPECT_FALSE(update.selectPackage(damaged));
    EXPECT_FALSE(update.selectPackage(folder.filePath(QStringLiteral("missing.qvex"))));
    EXPECT_EQ(prompter.texts(),
              (QStringList{UnsupportedPackageMessage(QStringLiteral("QX2 V2.20")), InvalidPackageMessage(),
                           QStringLiteral("The firmware package cannot be opened.")}));
    // Without a usable package nothing is sent.
    prompter.clear();
    EXPECT_EQ(update.run(false), FirmwareResult::Refused);
    EXPECT_EQ(prompter.texts(), QStringList{InvalidPackageMessage()});
    EXPECT_EQ(link.transactions(), 0);
}

TEST_F(FirmwareUpdateTest, StopDuringTheBlockWrites) {
    TestPackageOptions options;
    options.imageSize = 3000;
    ASSERT_TRUE(update.selectPackage(writePackage(options)));
    progress.onValue = [this](int value) {
        if (value == 5) {
            update.stop();
        }
    };
    prompter.queueReply(Reply::Yes);
    EXPECT_EQ(update.run(false), FirmwareResult::Stopped);
    EXPECT_EQ(progress.last, 5);
    EXPECT_EQ(
        prompter.texts().last(),
        QStringLiteral(
            "Unable to write into program memory. \nUnable to update firmware.\nSee help for more detail."));
    EXPECT_FALSE(update.running());
    // Erased and half written: the device waits in its loader for a complete update.
    EXPECT_EQ(device.mode(), DeviceMode::Loader);
}

// The command over the device process's TCP endpoint, with the largest image it makes: its
// block addresses pass 64 KiB.
TEST_F(FirmwareUpdateTest, CommandLineMakesAPackageAndUpdatesWithIt) {
    DeviceProcess process;
    ASSERT_TRUE(process.start({"--tcp", "0", "--firmware", "QX2 V2.10"})) << process.failure.toStdString();
    const QByteArray appData = qgetenv("AppData");
    qputenv("AppData", folder.path().toLocal8Bit());  // the unpacked image goes there
    const QString package = folder.filePath(QStringLiteral("cli.qvex"));
    const test::CliResult made = test::RunCli(
        {"firmware", "--make-test-package", package, "--version", "QX2 V4.5", "--size", "65885"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QStringList tcp{"--tcp", process.tcpAddress()};
    const test::CliResult updated = test::RunCli(QStringList{"firmware", package, "--verify", "--yes"} + tcp);
    EXPECT_EQ(updated.code, 0) << updated.err.toStdString();
    EXPECT_EQ(process.dumpValue("model").section(QStringLiteral("firmware: "), 1),
              QStringLiteral("QX2 V4.5"));
    EXPECT_EQ(
        test::RunCli(QStringList{"firmware", folder.filePath(QStringLiteral("none.qvex")), "--yes"} + tcp)
            .code,
        2);
    qputenv("AppData", appData);
}

}  // namespace
}  // namespace bdx

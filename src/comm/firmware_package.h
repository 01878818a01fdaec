#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

#include "comm/device_protocol.h"

// The ".qvex" firmware package: a header (signature "TBQ", build date and time, version text,
// four bytes of version information) followed by the firmware image in length-prefixed chunks.
namespace bdx {

inline constexpr char kQvexSignature[] = "TBQ";
inline constexpr int kQvexHeaderSize = 22;
// 1-based file position at which chunk reading stops: a chunk starting there or later is
// not part of the image (the area beyond holds data the loader never sees).
inline constexpr int kQvexDataEnd = 66107;
// The package layout this software understands (first byte of the version information).
inline constexpr std::uint8_t kQvexFormat = 1;
// A version-information model byte accepting every model of the package's family.
inline constexpr std::uint8_t kQvexAnyModel = 0xFF;
// Name of the unpacked image in the application folder.
inline constexpr char kFirmwareImageName[] = "QVEX.bin";

struct FirmwarePackage {
    QString version;         // positions 10..18, trailing blanks and NULs dropped
    QString buildDate;       // "dd/mm/yy"
    QString buildTime;       // "hh:mm:ss"
    QByteArray versionInfo;  // positions 19..22
    QByteArray image;        // the chunks' data, in order

    // Version information: layout, device family (1 or 2), model code (kQvexAnyModel for the
    // whole family) and the lowest main version of device firmware that can take the package.
    int format() const { return byte(0); }
    int family() const { return byte(1); }
    int model() const { return byte(2); }
    int minimumMainVersion() const { return byte(3); }
    bool supported() const { return format() == kQvexFormat; }
    // As the dialog shows it: date, a space, time.
    QString dateTimeText() const { return buildDate + u' ' + buildTime; }

  private:
    int byte(int i) const {
        return i < versionInfo.size() ? static_cast<std::uint8_t>(versionInfo.at(i)) : -1;
    }
};

enum class PackageError { None, CannotOpen, NotAPackage, Damaged };

struct PackageReadResult {
    std::optional<FirmwarePackage> package;
    PackageError error = PackageError::None;
};

// Never reads outside `bytes`: a short header, a chunk running past the end of the file, an
// empty image or one larger than the device memory give Damaged; a wrong signature gives
// NotAPackage. An unsupported version information is not an error here (the caller asks
// FirmwarePackage::supported()).
PackageReadResult ParseFirmwarePackage(const QByteArray& bytes);
PackageReadResult ReadFirmwarePackage(const QString& path);

// Writes the image file (QSaveFile: a failed write keeps the previous file).
bool WriteFirmwareImage(const QByteArray& image, const QString& path);

// Versions are compared part by part on the "." separators of the first "N.N..." in the
// text ("QX2 V2.10" is 2.10). Nothing when the text holds no such number.
std::optional<QList<int>> FirmwareVersionNumbers(const QString& text);
// <0, 0, >0 as a is older than, equal to or newer than b (missing parts count as 0).
int CompareFirmwareVersions(const QList<int>& a, const QList<int>& b);

// A well-formed package for tests and demonstrations: no real firmware needed. The image
// begins with the version text (padded to 9 characters), which is what a device reports as
// its firmware text after the update; the rest is a repeatable byte pattern.
struct TestPackageOptions {
    QString version = QStringLiteral("QX2 V2.20");
    int format = kQvexFormat;
    int family = 2;
    int model = kQvexAnyModel;
    int minimumMainVersion = 1;
    int imageSize = 4096;
    int chunkSize = 1024;  // 1..65535
    QDateTime built = QDateTime(QDate(2025, 3, 14), QTime(9, 26, 53));
    QByteArray trailing;  // raw bytes appended after the chunks
    std::uint32_t seed = 1;
};
QByteArray BuildTestFirmwarePackage(const TestPackageOptions& options = {});
// The image BuildTestFirmwarePackage packs for these options.
QByteArray TestFirmwareImage(const TestPackageOptions& options);

}  // namespace bdx

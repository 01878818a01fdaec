#include "comm/firmware_package.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include "comm/byte_reader.h"

namespace bdx {

namespace {

constexpr int kVersionOffset = 9;
constexpr int kVersionLength = 9;
constexpr int kVersionInfoOffset = 18;
constexpr int kVersionInfoLength = 4;

QString twoDigits(std::optional<std::uint8_t> value) {
    return QStringLiteral("%1").arg(value.value_or(0), 2, 10, QLatin1Char('0'));
}

QString joinTwoDigits(const ByteReader& bytes, qsizetype from, QChar separator) {
    return twoDigits(bytes.u8(from)) + separator + twoDigits(bytes.u8(from + 1)) + separator +
           twoDigits(bytes.u8(from + 2));
}

}  // namespace

PackageReadResult ParseFirmwarePackage(const QByteArray& bytes) {
    if (bytes.size() < 3 || !bytes.startsWith(kQvexSignature)) {
        return {std::nullopt, PackageError::NotAPackage};
    }
    if (bytes.size() < kQvexHeaderSize) {
        return {std::nullopt, PackageError::Damaged};
    }
    const ByteReader reader(bytes);
    FirmwarePackage package;
    package.buildDate = joinTwoDigits(reader, 3, u'/');
    package.buildTime = joinTwoDigits(reader, 6, u':');
    QString version = QString::fromLatin1(bytes.mid(kVersionOffset, kVersionLength));
    while (!version.isEmpty() && (version.back() == u' ' || version.back() == QChar(0))) {
        version.chop(1);
    }
    package.version = version;
    package.versionInfo = bytes.mid(kVersionInfoOffset, kVersionInfoLength);

    // Chunks run until the file ends or the next one would start at the data end.
    qsizetype at = kQvexHeaderSize;
    while (at < bytes.size() && at + 1 < kQvexDataEnd) {
        const std::optional<std::uint16_t> count = reader.u16le(at);
        if (!count) {
            return {std::nullopt, PackageError::Damaged};
        }
        at += 2;
        const std::optional<QByteArrayView> chunk = reader.bytes(at, *count);
        if (!chunk || package.image.size() + *count > kFirmwareMemorySize) {
            return {std::nullopt, PackageError::Damaged};
        }
        package.image.append(*chunk);
        at += *count;
    }
    if (package.image.isEmpty()) {
        return {std::nullopt, PackageError::Damaged};
    }
    return {std::move(package), PackageError::None};
}

PackageReadResult ReadFirmwarePackage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt, PackageError::CannotOpen};
    }
    // Nothing past the last possible chunk matters; a chunk starting just before the data end
    // may still carry 65535 bytes.
    return ParseFirmwarePackage(file.read(kQvexDataEnd + 2 + 0xFFFF));
}

bool WriteFirmwareImage(const QByteArray& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size()) {
        return false;
    }
    return file.commit();
}

std::optional<QList<int>> FirmwareVersionNumbers(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("\\d+(?:\\.\\d+)+"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    QList<int> parts;
    for (const QString& part : match.captured().split(u'.')) {
        parts << part.left(6).toInt();  // six digits: no overflow from hostile text
    }
    return parts;
}

int CompareFirmwareVersions(const QList<int>& a, const QList<int>& b) {
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const int x = i < a.size() ? a[i] : 0;
        const int y = i < b.size() ? b[i] : 0;
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

QByteArray TestFirmwareImage(const TestPackageOptions& options) {
    QByteArray image = options.version.toLatin1().left(kVersionLength).leftJustified(kVersionLength, ' ');
    std::uint32_t x = options.seed == 0 ? 1 : options.seed;
    while (image.size() < options.imageSize) {
        // xorshift32: a repeatable pattern that verification can tell from erased memory
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        image.append(static_cast<char>(x & 0xFF));
    }
    return image.left(std::max(options.imageSize, 0));
}

QByteArray BuildTestFirmwarePackage(const TestPackageOptions& options) {
    QByteArray bytes(kQvexSignature);
    const QDate date = options.built.date();
    const QTime time = options.built.time();
    for (const int v :
         {date.day(), date.month(), date.year() % 100, time.hour(), time.minute(), time.second()}) {
        bytes.append(static_cast<char>(v));
    }
    bytes.append(options.version.toLatin1().left(kVersionLength).leftJustified(kVersionLength, ' '));
    for (const int v : {options.format, options.family, options.model, options.minimumMainVersion}) {
        bytes.append(static_cast<char>(v));
    }
    const QByteArray image = TestFirmwareImage(options);
    const int chunk = std::clamp(options.chunkSize, 1, 0xFFFF);
    for (qsizetype at = 0; at < image.size(); at += chunk) {
        const QByteArray part = image.mid(at, chunk);
        bytes.append(static_cast<char>(part.size() & 0xFF));
        bytes.append(static_cast<char>(part.size() >> 8));
        bytes.append(part);
    }
    bytes.append(options.trailing);
    return bytes;
}

}  // namespace bdx

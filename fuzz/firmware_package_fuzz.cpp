// libFuzzer target for the firmware package reader. Any file must be refused or read without
// reading outside it; an accepted package must keep its image within the device memory, come
// back the same when its image is packed again behind the same header, and its image must reach
// the device's loader and read back unchanged through the frames the update sends.
#include <cstdint>

#include "comm/firmware_package.h"
#include "comm/firmware_update.h"
#include "device/firmware_loader.h"
#include "fuzz_require.h"

namespace {

using namespace bdx;

// The loader's answer to one of the update's frames (CRC slots dropped); nothing for silence.
QByteArray ask(FirmwareLoader& loader, const QByteArray& request) {
    return loader.answer(QByteArrayView(request).first(request.size() - 2), 9).reply;
}

void requireRepacked(const QByteArray& bytes, const FirmwarePackage& package) {
    QByteArray again = bytes.left(kQvexHeaderSize);
    for (qsizetype at = 0; at < package.image.size(); at += 0xFFFF) {
        if (again.size() + 1 >= kQvexDataEnd) {
            return;  // would not fit in front of the data end in the largest chunks
        }
        const QByteArray chunk = package.image.mid(at, 0xFFFF);
        again.append(static_cast<char>(chunk.size() & 0xFF));
        again.append(static_cast<char>(chunk.size() >> 8));
        again.append(chunk);
    }
    const PackageReadResult read = ParseFirmwarePackage(again);
    FUZZ_REQUIRE(read.package.has_value());
    FUZZ_REQUIRE(read.package->image == package.image && read.package->version == package.version &&
                 read.package->versionInfo == package.versionInfo &&
                 read.package->dateTimeText() == package.dateTimeText());
}

void requireLoaded(const QByteArray& image, int loaderType) {
    FirmwareLoader loader;
    FUZZ_REQUIRE(ask(loader, LoaderRequest(LoaderCommand::Erase)) ==
                 QByteArray::fromRawData("\x0e\x00", 2));
    const int block = LoaderBlockSize(loaderType);
    for (qsizetype at = 0; at < image.size(); at += block) {
        const QByteArray data = image.mid(at, block);
        const QByteArray written = ask(loader, LoaderWriteRequest(static_cast<int>(at), data));
        FUZZ_REQUIRE(written.size() == 2 && written.at(1) == 0);
        const QByteArray read =
            ask(loader, LoaderReadRequest(static_cast<int>(at), static_cast<int>(data.size())));
        FUZZ_REQUIRE(read.size() == 2 + data.size() && read.mid(2) == data);
    }
    const FirmwareLoader::Answer rebooted =
        loader.answer(QByteArrayView(LoaderRequest(LoaderCommand::Reboot)).first(2), 9);
    FUZZ_REQUIRE(rebooted.rebooted && rebooted.firmware && rebooted.firmware->size() <= kFirmwareTextLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PackageReadResult read = ParseFirmwarePackage(bytes);
    FUZZ_REQUIRE(read.package.has_value() == (read.error == PackageError::None));
    if (!read.package) {
        FUZZ_REQUIRE(read.error == PackageError::NotAPackage || read.error == PackageError::Damaged);
        return 0;
    }
    const FirmwarePackage& package = *read.package;
    FUZZ_REQUIRE(!package.image.isEmpty() && package.image.size() <= kFirmwareMemorySize);
    FUZZ_REQUIRE(package.image.size() + kQvexHeaderSize + 2 <= bytes.size());
    FUZZ_REQUIRE(package.versionInfo.size() == 4 && package.version.size() <= 9);
    FUZZ_REQUIRE(!package.version.endsWith(u' ') && !package.version.endsWith(QChar(0)));
    FUZZ_REQUIRE(UnsupportedPackageMessage(package.version).contains(package.version));

    // A version compares equal to itself and in the opposite sense against another.
    if (const std::optional<QList<int>> numbers = FirmwareVersionNumbers(package.version)) {
        FUZZ_REQUIRE(numbers->size() >= 2 && CompareFirmwareVersions(*numbers, *numbers) == 0);
        const QList<int> other = {2, 10};
        FUZZ_REQUIRE(CompareFirmwareVersions(*numbers, other) == -CompareFirmwareVersions(other, *numbers));
    }
    requireRepacked(bytes, package);
    requireLoaded(package.image, package.image.size() % 2);
    return 0;
}

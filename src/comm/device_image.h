#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "comm/device_protocol.h"
#include "ladder/program.h"

// The device image: the whole program translated into the fixed record the device stores, and
// back. Built and read in either byte order.
namespace bdx {

// Offsets of the tables inside the image.
namespace ImageOffset {
inline constexpr int ProgramCode = 0, Timers = 3000, Counters = 3112, TimeSwitches = 3256, Analog = 3368,
                     Compare = 3440, HourMeters = 3552, SoftTexts = 3572, AnalogScaling = 4148,
                     Reserved = 4188;
}

using DeviceImage = std::array<std::uint8_t, kDeviceImageSize>;

// Grid element code (contact code or coil letter, 128, 133) to the device's code, and back.
// Codes the table does not know give 128 (empty), which is why the image is built only from a
// grid that `UnknownImageWord` passes; the inverse gives nothing for unknown codes.
std::uint8_t ElementCode(std::uint16_t gridCode);
std::optional<std::uint16_t> GridElementCode(std::uint8_t deviceCode);
// Coil function and coil letter to the device's coil code, and back.
std::uint8_t CoilCode(std::uint16_t coilFunction, std::uint16_t coilLetter);
std::uint16_t CoilFunctionOf(std::uint8_t coilCode, std::uint16_t coilLetter);

// Index of the first grid word the device has no code for (no grid code at all, or an element
// the device lacks such as a normally closed message output); -1 when there is none.
int UnknownImageWord(const Program& program);
// What is wrong with that word, for the user: its line, position and value.
QString UnknownImageWordText(const Program& program, int word);

// The image of `program`; multi-byte numbers most significant byte first when `bigEndian`.
// Bytes 4188-4189 stay 0. Nothing, with `error` saying why, when a grid word has no device code.
std::optional<DeviceImage> BuildImage(const Program& program, bool bigEndian, QString* error = nullptr);
// Rebuilds the grid and the parameter tables of `program` from an image (the rest of the
// program stays as it was). Bytes the translation cannot map read as empty elements.
void ReadImage(const DeviceImage& image, bool bigEndian, Program& program);

// The image as the byte sequence the device areas and files hold, and back (exactly
// kDeviceImageSize bytes, nothing otherwise).
QByteArray ImageBytes(const DeviceImage& image);
std::optional<DeviceImage> ImageFromBytes(const QByteArray& bytes);

// Configuration record: 8 bytes for device model codes 0..7, 11 for 8..15.
int ConfigRecordSize(int modelCode);
// Byte 4 = (byte 4 AND 248) OR the extension-module bits of `program`.
void SetExtensionFlags(QByteArray& record, const Program& program);
// Swaps the word at bytes 0-1 and, in an 11-byte record, the word at 6-7, when `bigEndian`.
void SwapConfigRecord(QByteArray& record, bool bigEndian);

// The image file: the configuration record built from the program (zeros but the extension
// bits), as many zero bytes again, then the image. Empty, with `error` set, when the image
// cannot be built.
QByteArray BuildImageFileBytes(const Program& program, bool bigEndian, int modelCode,
                               QString* error = nullptr);
// Writes it atomically to `path`; false with `error` set when the image cannot be built or the
// file cannot be written.
bool BuildImageFile(const Program& program, bool bigEndian, int modelCode, const QString& path,
                    QString* error = nullptr);
// Takes an image file apart: the record size follows from the file's length (2 × 8 or 2 × 11
// bytes before the image). Nothing for a file of any other length.
std::optional<DeviceImage> ImageOfImageFile(const QByteArray& bytes);
// The image file's path for a program: its ".LAD" companion, or "LAD.LAD" in the application
// folder when the program has no file yet.
QString ImageFilePath(const Program& program, const QString& applicationFolder);

}  // namespace bdx

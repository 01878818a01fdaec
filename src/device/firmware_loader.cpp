#include "device/firmware_loader.h"

#include "comm/byte_reader.h"
#include "comm/device_protocol.h"

namespace bdx {

namespace {

// A block frame: command, 24-bit address high byte first, length, data.
constexpr int kAddressByte = 1, kLengthByte = 4, kDataByte = 5;
constexpr std::uint8_t kDone = 0, kRefused = 1;
constexpr std::uint8_t kLoaderType = 0;  // 128-byte blocks

QString firmwareText(const QByteArray& flash) {
    QString text;
    for (const char c : flash.left(kFirmwareTextLength)) {
        text.append(c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : (c == 0 ? QChar(' ') : QChar('?')));
    }
    return text.trimmed();
}

}  // namespace

void FirmwareLoader::reset() {
    flash_.clear();
    erased_ = written_ = false;
}

FirmwareLoader::Answer FirmwareLoader::answer(QByteArrayView frame, int model) {
    const ByteReader r(frame);
    const int command = r.u8(0).value_or(0);
    const int address = r.u8(kAddressByte).value_or(0) << 16 | r.u16be(kAddressByte + 1).value_or(0);
    const std::optional<std::uint8_t> length = r.u8(kLengthByte);
    Answer answer;
    QByteArray& reply = answer.reply;
    reply.append(char(command));
    switch (command) {
        case LoaderCommand::Identify:
            reply.append(char(model));
            reply.append(char(kLoaderType));
            return answer;
        case LoaderCommand::Erase:
            flash_ = QByteArray(kFirmwareMemorySize, char(0xFF));
            erased_ = true;
            written_ = false;
            reply.append(char(kDone));
            return answer;
        case LoaderCommand::Write: {
            const int n = length.value_or(0);
            const bool ok = frame.size() == kDataByte + n && erased_ && n >= 1 && n <= kPacketSize &&
                            address + n <= kFirmwareMemorySize;
            if (ok) {
                std::copy(frame.begin() + kDataByte, frame.end(), flash_.begin() + address);
                written_ = true;
            }
            reply.append(char(ok ? kDone : kRefused));
            return answer;
        }
        case LoaderCommand::Read: {
            const int n = length.value_or(0);
            if (!length || n < 1 || n > kPacketSize || address + n > kFirmwareMemorySize) {
                reply.append(char(0));
                return answer;
            }
            reply.append(char(n));
            reply.append(flash_.isEmpty() ? QByteArray(n, char(0xFF)) : flash_.mid(address, n));
            return answer;
        }
        case LoaderCommand::Reboot:
            if (erased_ && !written_) {
                reply.append(char(kRefused));  // no firmware to start: the loader stays
                return answer;
            }
            if (written_) {
                answer.firmware = firmwareText(flash_);
            }
            reset();
            answer.rebooted = true;
            reply.append(char(kDone));
            return answer;
        default:
            return {};
    }
}

}  // namespace bdx

// libFuzzer target for the virtual device's request handling: a fresh device takes a series of
// request frames, scanning between them. Whatever it is sent, every answer must be a
// well-formed frame that answers that request (address and function echoed, or an exception
// for that function), and the program's own reply check must not take it for a reply to
// another request.
//
// Input: byte 0 = the device (model in bits 0-3, little-endian memory in bit 4, a password in
// bit 5; bit 6: frames are taken as they are, otherwise they get a valid CRC); the rest is a
// series of frames, each behind its length byte.
#include <cstdint>

#include "comm/modbus_crc.h"
#include "comm/modbus_transaction.h"
#include "device/virtual_device.h"
#include "fuzz_require.h"
#include "sim/clock.h"

namespace {

using namespace bdx;

int byteAt(const QByteArray& frame, int i) {
    return static_cast<std::uint8_t>(frame.at(i));
}

void requireAnswers(const QByteArray& request, const QByteArray& reply, bool loader) {
    FUZZ_REQUIRE(reply.size() >= kMinFrameBytes && reply.size() <= 256 && HasValidCrc(reply));
    if (loader) {
        FUZZ_REQUIRE(byteAt(reply, 0) == byteAt(request, 0));  // the loader echoes its command
        return;
    }
    FUZZ_REQUIRE(reply.size() >= 5 && byteAt(reply, 0) == byteAt(request, 0));
    const int function = byteAt(request, 1);
    if (byteAt(reply, 1) == (function | FunctionCode::ExceptionFlag)) {
        // A plain exception, or the model-family answer of function 100.
        FUZZ_REQUIRE(reply.size() == 5 || (function == FunctionCode::ReadArea && reply.size() == 12));
        FUZZ_REQUIRE(reply.size() != 5 || (byteAt(reply, 2) >= 1 && byteAt(reply, 2) <= 11));
    } else {
        FUZZ_REQUIRE(byteAt(reply, 1) == function);
    }
    QByteArray asked = request;
    const int check = ValidateReply(reply, asked);
    FUZZ_REQUIRE(check != ReplyCheck::BadCrc && check != ReplyCheck::TooShort && check != ReplyCheck::WrongAddress);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    ManualClock clock(QDateTime(QDate(2026, 1, 5), QTime(8, 0)));
    VirtualDeviceOptions options;
    options.model = data[0] % 16;
    options.bigEndian = (data[0] & 0x10) == 0;
    options.password = (data[0] & 0x20) != 0 ? QStringLiteral("1234") : QString();
    const bool raw = (data[0] & 0x40) != 0;
    VirtualDevice device(options, clock);

    std::size_t at = 1;
    while (at < size) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        QByteArray request(reinterpret_cast<const char*>(data + at + 1), static_cast<qsizetype>(length));
        at += 1 + length;
        if (!raw) {
            request = WithCrc(request);
        }
        const bool loader = device.mode() == DeviceMode::Loader;
        const QByteArray reply = device.handleFrame(request);
        if (!reply.isEmpty()) {
            requireAnswers(request, reply, loader);
        }
        FUZZ_REQUIRE(device.id() >= 1 && device.id() <= 247);
        FUZZ_REQUIRE(device.mode() >= DeviceMode::Run && device.mode() <= DeviceMode::Loader);
        clock.advance(10);
        device.tick();
    }
    return 0;
}

#include "device/device_passwords.h"

#include "comm/byte_reader.h"
#include "device/device_memory.h"

namespace bdx {

namespace {

constexpr int kOpByte = 0, kLevelByte = 1, kOldWord = 2, kNewWord = 4;

}  // namespace

int RunPasswordCommand(DeviceMemory& memory, QByteArrayView item, bool& changed) {
    changed = false;
    const ByteReader r(item);
    const int op = r.u8(kOpByte).value_or(0), level = r.u8(kLevelByte).value_or(0);
    const int old = r.u16be(kOldWord).value_or(0), fresh = r.u16be(kNewWord).value_or(0);
    if (op < PasswordOp::Set || op > PasswordOp::Check || level < 1 || level > 2) {
        return PasswordStatus::UnknownOp;
    }
    if (level == 2 && memory.recordSize() < ConfigLayout::LargeSize) {
        return PasswordStatus::NoLevel2;
    }
    QByteArray& config = memory.config;
    const int present = memory.password(level);
    const int at = level == 1 ? ConfigLayout::Level1Password : ConfigLayout::Level2Password;
    const int resetBit = level == 1 ? ConfigLayout::ResetLevel1 : ConfigLayout::ResetLevel2;
    if (op == PasswordOp::Set) {
        if (present != 0 && old != present) {
            return PasswordStatus::Wrong;
        }
        if (fresh < 1 || fresh > kMaxPassword) {
            return PasswordStatus::BadNew;
        }
        memory.setRecordWord(at, fresh);
        if (level == 1) {
            config[ConfigLayout::PasswordByte] =
                char(config[ConfigLayout::PasswordByte] | ConfigLayout::PasswordActive);
        }
        changed = true;
        return PasswordStatus::Done;
    }
    if (present == 0) {
        return PasswordStatus::Absent;
    }
    if (old != present) {
        return PasswordStatus::Wrong;
    }
    if (op == PasswordOp::Remove) {
        memory.setRecordWord(at, 0);
        if (level == 1) {
            config[ConfigLayout::PasswordByte] =
                char(config[ConfigLayout::PasswordByte] & ~ConfigLayout::PasswordActive);
        }
        config[ConfigLayout::FlagsByte] = char(config[ConfigLayout::FlagsByte] & ~resetBit);
        changed = true;
    }
    return PasswordStatus::Done;
}

}  // namespace bdx

#pragma once

#include <QByteArrayView>

// The device's own password commands (area 10 items): set, remove or check the level-1 or
// level-2 password held in its configuration record.
namespace bdx {

class DeviceMemory;

// Carries out one item: operation, level, old password, new password (words high byte first).
// Returns the PasswordStatus the reply carries; `changed` tells whether the record changed.
int RunPasswordCommand(DeviceMemory& memory, QByteArrayView item, bool& changed);

}  // namespace bdx

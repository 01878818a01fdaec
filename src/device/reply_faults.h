#pragma once

#include <QByteArray>

#include "device/device_server.h"

namespace bdx {

// The fault modes that answer, but not what was asked: a reply to a write with another
// function code, another address, another echo or an exception frame of the wrong length; a
// read reply whose byte count is one short. Each mangled reply gets a valid CRC, so only a
// master that checks the reply against its request notices. `reply` comes back unchanged for
// the other modes and for requests the mode does not touch.
QByteArray MisanswerReply(FaultMode mode, const QByteArray& request, const QByteArray& reply);

}  // namespace bdx

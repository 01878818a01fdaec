#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Whether a reply answers the request it was sent for, checked as a careful Modbus master
// checks a confirmation: the function code or its exception form (exactly one exception byte),
// the byte count against the quantity asked for, the echo of a write, the area and packet of
// the device's own functions 100 and 101. Address and CRC are the transaction's own checks and
// come first; this one assumes them done.
namespace bdx {

// Both frames carry their CRC. Nothing when the reply matches the request; otherwise why not,
// in words for the user.
std::optional<QString> ReplyMismatch(const QByteArray& request, const QByteArray& reply);

}  // namespace bdx

#pragma once

#include <QByteArray>

namespace bdx {

// How many more bytes the reply begun in `received` needs before it is whole, judged from its
// function code and length byte against the request it answers: 0 when it is whole (or longer),
// and 0 when its length cannot be told (a single byte, another function, a loader frame): such
// an arrival is taken as it is. A reply whose CRC already checks is whole.
int ReplyBytesMissing(const QByteArray& received, const QByteArray& request);

}  // namespace bdx

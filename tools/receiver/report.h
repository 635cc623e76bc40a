#pragma once

// The receiver's printout: one header line per packet, one line per item, noise marked.

#include "tools/receiver/wits_stream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QTime>

namespace kestrune::receiver {

// Bytes of an overlong line that the printout shows.
inline constexpr qsizetype kOverlongShown = 64;

enum class Detail { Items, HeaderOnly };

// Printable ASCII as it is, a backslash doubled, every other byte as \xNN: the printout stays one
// line per wire line and any byte can be read back from it.
QByteArray escaped(QByteArrayView bytes);

// Lines ending in LF. `number` counts the packets received so far, this one included.
QByteArray describePacket(const WitsPacket& packet, qsizetype number, QTime arrival, Detail detail);
QByteArray describeGarbage(const GarbageLine& line, QTime arrival);
// A line for what the receiver itself sent.
QByteArray describeSent(QByteArrayView bytes, QTime sent);

} // namespace kestrune::receiver

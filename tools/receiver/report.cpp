#include "tools/receiver/report.h"

namespace kestrune::receiver {

namespace {

constexpr char kFirstPrintable = ' ';
constexpr char kLastPrintable = '~';
constexpr char kEscape = '\\';
constexpr const char* kTimeFormat = "hh:mm:ss.zzz";
constexpr const char* kIndent = "  ";
constexpr const char* kCodeGap = "  ";

QByteArray stamp(QTime arrival) {
    return arrival.toString(QLatin1String(kTimeFormat)).toLatin1();
}

QByteArray plural(qsizetype n, const char* one, const char* many) {
    return QByteArray::number(n) + ' ' + (n == 1 ? one : many);
}

QByteArray endNote(BlockEnd end) {
    switch (end) {
    case BlockEnd::Closed:
        return {};
    case BlockEnd::NewBlock:
        return ", unfinished: \"&&\" came before \"!!\"";
    case BlockEnd::TooLong:
        return ", unfinished: over " + QByteArray::number(kMaxBlockLines) + " lines";
    case BlockEnd::StreamEnd:
        return ", unfinished: input ended before \"!!\"";
    }
    return {};
}

QByteArray garbageText(const GarbageLine& line) {
    switch (line.kind) {
    case GarbageKind::OutsideBlock:
        return "garbage (outside a packet): " + escaped(line.text);
    case GarbageKind::Malformed:
        return "garbage (not an item): " + escaped(line.text);
    case GarbageKind::Overlong:
        return "garbage (line over " + QByteArray::number(kMaxLineLength) +
               " bytes, dropped): " + escaped(line.text.left(kOverlongShown)) + "...";
    }
    return {};
}

} // namespace

QByteArray escaped(QByteArrayView bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (c == kEscape) {
            out.append(kEscape).append(kEscape);
        } else if (c >= kFirstPrintable && c <= kLastPrintable) {
            out.append(c);
        } else {
            out.append("\\x").append(
                QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0'));
        }
    }
    return out;
}

QByteArray describePacket(const WitsPacket& packet, qsizetype number, QTime arrival,
                          Detail detail) {
    QByteArray out = stamp(arrival) + " packet " + QByteArray::number(number) + ": " +
                     plural(packet.items.size(), "item", "items");
    if (!packet.garbage.isEmpty())
        out += ", " + plural(packet.garbage.size(), "garbage line", "garbage lines");
    out += endNote(packet.end) + '\n';
    if (detail == Detail::HeaderOnly)
        return out;
    for (const WitsItem& item : packet.items)
        out += kIndent + item.code + kCodeGap + escaped(item.value) + '\n';
    for (const GarbageLine& line : packet.garbage)
        out += kIndent + garbageText(line) + '\n';
    return out;
}

QByteArray describeGarbage(const GarbageLine& line, QTime arrival) {
    return stamp(arrival) + ' ' + garbageText(line) + '\n';
}

QByteArray describeSent(QByteArrayView bytes, QTime sent) {
    return stamp(sent) + " sent " + escaped(bytes) + '\n';
}

} // namespace kestrune::receiver

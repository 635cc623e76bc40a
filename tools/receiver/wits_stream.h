#pragma once

// Incremental WITS Level 0 parser for a receiver: bytes arrive in chunks of any size, packets
// and line noise come out in arrival order.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>
#include <variant>
#include <vector>

namespace kestrune::receiver {

// A line this long without an end is noise; only its head is kept, so a flood cannot grow memory.
inline constexpr qsizetype kMaxLineLength = 4096;
// Lines one block may hold before it is given up (templates have at most 200).
inline constexpr qsizetype kMaxBlockLines = 1000;
// Two digits of record and two of item start every data line.
inline constexpr qsizetype kCodeLength = 4;
inline constexpr QByteArrayView kBlockStart = "&&";
inline constexpr QByteArrayView kBlockEnd = "!!";

struct WitsItem {
    QByteArray code;
    QByteArray value; // the rest of the line, bytes as received
    bool operator==(const WitsItem&) const = default;
};

enum class GarbageKind {
    OutsideBlock, // a line between blocks, a stray "!!" among them
    Malformed,    // in a block: shorter than a code, or a code that is not four digits
    Overlong,     // longer than kMaxLineLength; the rest of the line is dropped
};

struct GarbageLine {
    GarbageKind kind;
    QByteArray text; // for an overlong line its first kMaxLineLength bytes
    bool operator==(const GarbageLine&) const = default;
};

enum class BlockEnd {
    Closed,    // by "!!"
    NewBlock,  // a new "&&" came first
    TooLong,   // more than kMaxBlockLines lines
    StreamEnd, // the stream ended first
};

struct WitsPacket {
    QList<WitsItem> items;
    QList<GarbageLine> garbage; // lines of the block that are not items, in arrival order
    BlockEnd end = BlockEnd::Closed;
    bool complete() const { return end == BlockEnd::Closed; }
    bool operator==(const WitsPacket&) const = default;
};

using WitsEvent = std::variant<WitsPacket, GarbageLine>;

// Lines end at CR LF, a lone LF or a lone CR: each of CR and LF ends a line and empty lines are
// skipped, so CR LF split between chunks, and mixed endings such as LF CR, need no state.
class WitsStream {
public:
    std::vector<WitsEvent> feed(QByteArrayView chunk);
    // The stream is over: a last line without an end is taken, an open block is reported.
    std::vector<WitsEvent> finish();

private:
    void takeLine(std::vector<WitsEvent>& out);
    void addNonItem(GarbageKind kind, const QByteArray& text, std::vector<WitsEvent>& out);
    void endBlock(BlockEnd how, std::vector<WitsEvent>& out);

    QByteArray line_;
    bool dropping_ = false; // inside an overlong line, until its end
    std::optional<WitsPacket> block_;
};

} // namespace kestrune::receiver

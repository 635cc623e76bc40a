#include "tools/receiver/wits_stream.h"

#include <algorithm>
#include <utility>

namespace kestrune::receiver {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isFull(const WitsPacket& block) {
    return block.items.size() + block.garbage.size() >= kMaxBlockLines;
}

bool isItem(const QByteArray& line) {
    return line.size() >= kCodeLength &&
           std::all_of(line.cbegin(), line.cbegin() + kCodeLength, isDigit);
}

} // namespace

std::vector<WitsEvent> WitsStream::feed(QByteArrayView chunk) {
    std::vector<WitsEvent> out;
    for (const char c : chunk) {
        // CR LF ends a line and then an empty one, which carries nothing.
        if (c == kCr || c == kLf) {
            if (dropping_)
                dropping_ = false;
            else
                takeLine(out);
            line_.clear();
            continue;
        }
        if (dropping_)
            continue;
        if (line_.size() == kMaxLineLength) {
            addNonItem(GarbageKind::Overlong, line_, out);
            line_.clear();
            dropping_ = true;
            continue;
        }
        line_.append(c);
    }
    return out;
}

std::vector<WitsEvent> WitsStream::finish() {
    std::vector<WitsEvent> out;
    if (!dropping_)
        takeLine(out);
    if (block_)
        endBlock(BlockEnd::StreamEnd, out);
    line_.clear();
    dropping_ = false;
    return out;
}

void WitsStream::takeLine(std::vector<WitsEvent>& out) {
    if (line_.isEmpty())
        return;
    if (line_ == kBlockStart) {
        if (block_)
            endBlock(BlockEnd::NewBlock, out);
        block_.emplace();
        return;
    }
    if (block_ && line_ == kBlockEnd) {
        endBlock(BlockEnd::Closed, out);
        return;
    }
    if (block_ && isItem(line_) && !isFull(*block_)) {
        block_->items.append({line_.left(kCodeLength), line_.mid(kCodeLength)});
        return;
    }
    addNonItem(GarbageKind::Malformed, line_, out);
}

void WitsStream::addNonItem(GarbageKind kind, const QByteArray& text, std::vector<WitsEvent>& out) {
    if (block_ && isFull(*block_))
        endBlock(BlockEnd::TooLong, out);
    if (!block_) {
        // Between blocks every line is noise, however it looks.
        out.emplace_back(
            GarbageLine{kind == GarbageKind::Overlong ? kind : GarbageKind::OutsideBlock, text});
        return;
    }
    block_->garbage.append({kind, text});
}

void WitsStream::endBlock(BlockEnd how, std::vector<WitsEvent>& out) {
    block_->end = how;
    out.emplace_back(std::move(*block_));
    block_.reset();
}

} // namespace kestrune::receiver

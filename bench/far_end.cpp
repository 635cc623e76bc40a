#include "bench/far_end.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kestrune::bench {

namespace {

constexpr qsizetype kReadChunk = 4096;
// Enough of a line to tell "&&" from anything longer.
constexpr qsizetype kLineHead = 4;

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

} // namespace

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::optional<QByteArray> TimedBlock::value(QByteArrayView code) const {
    for (const receiver::WitsItem& item : packet.items) {
        if (item.code == code) {
            return item.value;
        }
    }
    return std::nullopt;
}

FarEnd::FarEnd(const QByteArray& device) {
    fd_ = ::open(device.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        return;
    }
    termios tio{};
    if (tcgetattr(fd_, &tio) == 0) {
        cfmakeraw(&tio);
        tio.c_cc[VMIN] = 1;
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd_, TCSANOW, &tio);
    }
}

FarEnd::~FarEnd() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::vector<TimedBlock> FarEnd::readOnce(qsizetype& bytes) {
    std::vector<TimedBlock> out;
    char buffer[kReadChunk];
    const ssize_t got = ::read(fd_, buffer, sizeof buffer);
    // Taken at once: the first byte of this read arrived no later than now.
    const std::int64_t at = monotonicNs();
    lastReadNs_ = at;
    bytes = got > 0 ? got : 0;
    if (got <= 0) {
        return out;
    }
    const QByteArrayView chunk(buffer, got);
    qsizetype from = 0;
    for (qsizetype i = 0; i < chunk.size(); ++i) {
        if (isLineEnd(chunk[i])) {
            take(chunk.sliced(from, i - from + 1), at, out);
            from = i + 1;
        }
    }
    if (from < chunk.size()) {
        take(chunk.sliced(from), at, out);
    }
    return out;
}

void FarEnd::take(QByteArrayView piece, std::int64_t at, std::vector<TimedBlock>& out) {
    bool blockOpened = false;
    for (const char c : piece) {
        if (isLineEnd(c)) {
            if (inLine_ && line_ == receiver::kBlockStart) {
                blockOpened = true;
            }
            inLine_ = false;
            continue;
        }
        if (!inLine_) {
            inLine_ = true;
            lineStartNs_ = at;
            line_.clear();
        }
        if (line_.size() < kLineHead) {
            line_.append(c);
        }
    }
    for (receiver::WitsEvent& event : stream_.feed(piece)) {
        if (auto* packet = std::get_if<receiver::WitsPacket>(&event)) {
            out.push_back({blockStartNs_, at, std::move(*packet)});
        } else {
            ++garbageOutside_;
        }
    }
    // After the events: a "&&" that ends an open block closes it with the old start.
    if (blockOpened) {
        blockStartNs_ = lineStartNs_;
    }
}

bool FarEnd::writeAll(QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += put;
    }
    return true;
}

} // namespace kestrune::bench

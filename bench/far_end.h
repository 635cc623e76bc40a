#pragma once

// The receiver's end of the line, read raw: every WITS block comes out with the monotonic time
// of the read that brought its first byte and of the read that brought its last.

#include "tools/receiver/wits_stream.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrune::bench {

std::int64_t monotonicNs();

struct TimedBlock {
    std::int64_t firstByteNs = 0;
    std::int64_t lastByteNs = 0;
    receiver::WitsPacket packet;
    std::optional<QByteArray> value(QByteArrayView code) const;
};

class FarEnd {
public:
    // Opens the device and makes it raw; check isOpen().
    explicit FarEnd(const QByteArray& device);
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // One read of what is waiting; the blocks it finished. `bytes` gets the count read.
    std::vector<TimedBlock> readOnce(qsizetype& bytes);
    bool writeAll(QByteArrayView bytes);
    qsizetype garbageOutsideBlocks() const { return garbageOutside_; }
    // When the last read returned.
    std::int64_t lastReadNs() const { return lastReadNs_; }

private:
    void take(QByteArrayView piece, std::int64_t at, std::vector<TimedBlock>& out);

    int fd_ = -1;
    receiver::WitsStream stream_;
    // Our own view of line starts, so a block gets the time of its "&&" line.
    QByteArray line_;
    bool inLine_ = false;
    std::int64_t lineStartNs_ = 0;
    std::int64_t blockStartNs_ = 0;
    qsizetype garbageOutside_ = 0;
    std::int64_t lastReadNs_ = 0;
};

} // namespace kestrune::bench

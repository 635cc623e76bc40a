#include "bench/timed_port.h"

#include "bench/far_end.h"
#include "wits/send_scheduler.h"

namespace kestrune::bench {

TimedPort::TimedPort(serial::MSComm& inner) : inner_(inner) {
    connect(&inner_, &serial::MSComm::portLost, this, &serial::MSComm::portLost);
}

Result<QByteArray> TimedPort::Input() {
    const std::int64_t at = monotonicNs();
    Result<QByteArray> got = inner_.Input();
    if (got && got.value().contains(wits::kRequestMarker)) {
        requestsTaken_.push_back(at);
    }
    return got;
}

Status TimedPort::Output(const QByteArray& bytes) {
    outputs_.push_back(monotonicNs());
    return inner_.Output(bytes);
}

} // namespace kestrune::bench

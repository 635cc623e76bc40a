#pragma once

// A real port with a stopwatch: passes every call to the QtCommPort underneath and notes when
// requests were taken in and packets handed out, on the clock the far end uses.

#include "serial/comm_port.h"

#include <cstdint>
#include <vector>

namespace kestrune::bench {

class TimedPort final : public serial::MSComm {
    Q_OBJECT
public:
    explicit TimedPort(serial::MSComm& inner);

    Status setCommPort(std::int16_t number) override { return inner_.setCommPort(number); }
    int CommPort() const override { return inner_.CommPort(); }
    Status setSettings(const QByteArray& settings) override { return inner_.setSettings(settings); }
    Status setInputLen(int length) override { return inner_.setInputLen(length); }
    bool PortOpen() const override { return inner_.PortOpen(); }
    Status setPortOpen(bool open) override { return inner_.setPortOpen(open); }
    Result<int> InBufferCount() override { return inner_.InBufferCount(); }
    Result<QByteArray> Input() override;
    Status Output(const QByteArray& bytes) override;

    // Times of Input calls that took a request marker, and of every Output call.
    const std::vector<std::int64_t>& requestsTaken() const { return requestsTaken_; }
    const std::vector<std::int64_t>& outputs() const { return outputs_; }

private:
    serial::MSComm& inner_;
    std::vector<std::int64_t> requestsTaken_;
    std::vector<std::int64_t> outputs_;
};

} // namespace kestrune::bench

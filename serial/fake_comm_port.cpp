#include "serial/fake_comm_port.h"

#include "serial/port_names.h"
#include "serial/port_rules.h"

#include <algorithm>

namespace kestrune::serial {

FakeCommPort::FakeCommPort(QObject* parent) : FakeCommPort(QProcessEnvironment(), parent) {}

FakeCommPort::FakeCommPort(const QProcessEnvironment& env, QObject* parent)
    : MSComm(parent), env_(env), number_(kInitialPortNumber) {}

Status FakeCommPort::setCommPort(std::int16_t number) {
    if (Status s = injected(Op::SetCommPort); !s)
        return s;
    if (open_)
        return Failure{QLatin1String(kOpenPortMessage)};
    if (const Result<QString> path = devicePathForPort(number, env_); !path)
        return path.status();
    number_ = number;
    return {};
}

Status FakeCommPort::setSettings(const QByteArray& text) {
    if (Status s = injected(Op::SetSettings); !s)
        return s;
    if (const Result<qint32> rate = parseBaudRate(text); !rate)
        return rate.status();
    settings = text;
    return {};
}

Status FakeCommPort::setInputLen(int length) {
    if (Status s = injected(Op::SetInputLen); !s)
        return s;
    if (Status s = checkInputLen(length); !s)
        return s;
    inputLen = length;
    return {};
}

Status FakeCommPort::setPortOpen(bool open) {
    if (Status s = injected(open ? Op::Open : Op::Close); !s)
        return s;
    if (open && open_)
        return Failure{QLatin1String(kAlreadyOpenMessage)};
    open_ = open;
    if (!open_)
        inbox_.clear();
    return {};
}

Result<int> FakeCommPort::InBufferCount() {
    if (Status s = injected(Op::InBufferCount); !s)
        return Failure{s.description()};
    return open_ ? static_cast<int>(inbox_.size()) : 0;
}

Result<QByteArray> FakeCommPort::Input() {
    if (Status s = injected(Op::Input); !s)
        return Failure{s.description()};
    if (!open_)
        return Failure{QLatin1String(kNotOpenMessage)};
    const qsizetype count =
        inputLen > 0 ? std::min<qsizetype>(inputLen, inbox_.size()) : inbox_.size();
    QByteArray taken = inbox_.left(count);
    inbox_.remove(0, count);
    return taken;
}

Status FakeCommPort::Output(const QByteArray& bytes) {
    if (Status s = injected(Op::Output); !s)
        return s;
    if (!open_)
        return Failure{QLatin1String(kNotOpenMessage)};
    writes.append(bytes);
    written.append(bytes);
    return {};
}

void FakeCommPort::failNext(Op op, const QString& description) {
    failures_[op] = Injected{description, false};
}

void FakeCommPort::failAlways(Op op, const QString& description) {
    failures_[op] = Injected{description, true};
}

void FakeCommPort::clearFailures() {
    failures_.clear();
}

void FakeCommPort::receive(const QByteArray& bytes) {
    if (open_)
        inbox_.append(bytes);
}

void FakeCommPort::loseDevice(const QString& description) {
    if (!open_)
        return;
    open_ = false;
    inbox_.clear();
    emit portLost(description);
}

Status FakeCommPort::injected(Op op) {
    calls.append(op);
    const auto found = failures_.find(op);
    if (found == failures_.end())
        return {};
    const QString description = found->second.description;
    if (!found->second.always)
        failures_.erase(found);
    return Failure{description};
}

} // namespace kestrune::serial

#pragma once

// A serial-port service in memory, for testing its callers: it records what they set and write,
// lets a test feed incoming bytes, fail any operation and pull the device away.

#include "serial/comm_port.h"
#include "serial/port_rules.h"

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <map>

namespace kestrune::serial {

class FakeCommPort final : public MSComm {
    Q_OBJECT
public:
    enum class Op {
        SetCommPort,
        SetSettings,
        SetInputLen,
        Open,
        Close,
        InBufferCount,
        Input,
        Output,
    };

    // `env` decides which numbers name a device, as for the real port.
    explicit FakeCommPort(QObject* parent = nullptr);
    explicit FakeCommPort(const QProcessEnvironment& env, QObject* parent = nullptr);

    Status setCommPort(std::int16_t number) override;
    int CommPort() const override { return number_; }
    Status setSettings(const QByteArray& settings) override;
    Status setInputLen(int length) override;
    bool PortOpen() const override { return open_; }
    Status setPortOpen(bool open) override;
    Result<int> InBufferCount() override;
    Result<QByteArray> Input() override;
    Status Output(const QByteArray& bytes) override;

    // The next call of `op` fails with `description` and changes nothing.
    void failNext(Op op, const QString& description);
    // Every call of `op` fails so, until clearFailures().
    void failAlways(Op op, const QString& description);
    void clearFailures();

    // Bytes arriving from the far end; dropped while the port is closed, as on a real line.
    void receive(const QByteArray& bytes);
    // Closes the open port and emits portLost(description) at once; nothing when closed.
    void loseDevice(const QString& description);

    // Every operation called, in order, failed ones included.
    QList<Op> calls;
    // Every Output call's bytes, one entry per call, and all of them run together.
    QList<QByteArray> writes;
    QByteArray written;
    // The last accepted settings text and input length.
    QByteArray settings = QByteArray::number(kInitialBaudRate);
    int inputLen = 0;

private:
    Status injected(Op op);

    QProcessEnvironment env_;
    int number_;
    bool open_ = false;
    QByteArray inbox_;
    struct Injected {
        QString description;
        bool always;
    };
    std::map<Op, Injected> failures_;
};

} // namespace kestrune::serial

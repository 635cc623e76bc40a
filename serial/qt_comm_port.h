#pragma once

// The serial-port service on a real device, through QSerialPort. Never waits on the line: writes
// are queued (up to a bound) and leave as the event loop runs, reads take what has arrived.

#include "serial/comm_port.h"

#include <QProcessEnvironment>
#include <QSerialPort>
#include <QString>

namespace kestrune::serial {

// Most bytes waiting to leave; a peer that stops reading makes Output fail instead of growing
// memory.
inline constexpr qint64 kOutputQueueLimit = 64 * 1024;
// Most received bytes held; a flooding peer waits in the kernel beyond this.
inline constexpr qint64 kInputBufferLimit = 64 * 1024;

class QtCommPort final : public MSComm {
    Q_OBJECT
public:
    // `env` decides which device each port number names.
    explicit QtCommPort(QObject* parent = nullptr);
    explicit QtCommPort(const QProcessEnvironment& env, QObject* parent = nullptr);
    ~QtCommPort() override;

    Status setCommPort(std::int16_t number) override;
    int CommPort() const override { return number_; }
    Status setSettings(const QByteArray& settings) override;
    Status setInputLen(int length) override;
    bool PortOpen() const override;
    Status setPortOpen(bool open) override;
    Result<int> InBufferCount() override;
    Result<QByteArray> Input() override;
    Status Output(const QByteArray& bytes) override;

    // The underlying device, for inspecting the applied line settings.
    const QSerialPort& device() const { return port_; }

private:
    Status open();
    void onError(QSerialPort::SerialPortError error);
    QString deviceFailure() const;
    QString lossDescription(QSerialPort::SerialPortError error) const;

    QProcessEnvironment env_;
    QSerialPort port_;
    int number_;
    qint32 baudRate_;
    int inputLen_ = 0;
    // The path resolved at opening, as the port number named it; used in descriptions.
    QString path_;
    // Set while a setting is applied to the open device: its failure is returned, not a loss.
    bool applying_ = false;
};

} // namespace kestrune::serial

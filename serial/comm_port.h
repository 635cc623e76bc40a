#pragma once

// The serial-port service: the only way the program reaches the line. Every operation runs on
// the user-interface thread and fails with a short description instead of throwing. The class
// takes the name of the serial-port control it replaces, which frees CommPort for the port number.

#include "core/status.h"

#include <QByteArray>
#include <QObject>
#include <cstdint>

namespace kestrune::serial {

class MSComm : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Selects the port for the next opening; fails for a number that names no device, or while
    // the port is open.
    virtual Status setCommPort(std::int16_t number) = 0;
    // The port number in effect (1 until one is set).
    virtual int CommPort() const = 0;

    // Takes a settings text holding the baud rate alone ("9600"); parity, data and stop bits stay
    // no parity, 8, 1. Applied at once when open, otherwise at the next opening.
    virtual Status setSettings(const QByteArray& settings) = 0;

    // 0: each Input() returns everything waiting; n > 0: at most n bytes per Input().
    virtual Status setInputLen(int length) = 0;

    virtual bool PortOpen() const = 0;
    // true opens the selected port with the current settings (fails with the device's own
    // description and stays closed); false closes it.
    virtual Status setPortOpen(bool open) = 0;

    // Bytes waiting to be read; 0 while the port is closed.
    virtual Result<int> InBufferCount() = 0;
    // The waiting bytes (at most InputLen when that is above 0), removed from the buffer.
    virtual Result<QByteArray> Input() = 0;
    // Queues the bytes for transmission and returns without waiting. Fails, queueing nothing,
    // when the port is closed or the queue would exceed its bound.
    virtual Status Output(const QByteArray& bytes) = 0;

signals:
    // The open port failed underneath (device pulled, far end gone) and has been closed. Emitted
    // once per loss.
    void portLost(const QString& description);
};

} // namespace kestrune::serial

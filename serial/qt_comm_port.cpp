#include "serial/qt_comm_port.h"

#include "serial/port_names.h"
#include "serial/port_rules.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace kestrune::serial {

namespace {

// Qt takes a name that does not start like a path as a device under /dev.
bool isPathName(const QString& name) {
    return name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) ||
           name.startsWith(QLatin1String("../"));
}

// Errors that mean the open device stopped working. The rest either come only from opening,
// concern a refused request on a working line, or a closed port.
bool isLoss(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::NotOpenError:
        return false;
    default:
        return true;
    }
}

enum class Ready {
    Input, // bytes received that QSerialPort has not read in yet
    Room,  // room for at least one byte
};

// Whether the device is ready now and has not failed. A write to a full line fails with EAGAIN,
// which QSerialPort reports as a write error, the same as a device gone.
bool ready(const QSerialPort& port, Ready what) {
#ifdef Q_OS_UNIX
    const short event = what == Ready::Input ? POLLIN : POLLOUT;
    pollfd line{static_cast<int>(port.handle()), event, 0};
    return ::poll(&line, 1, 0) == 1 && (line.revents & event) != 0 &&
           (line.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
#else
    Q_UNUSED(port);
    Q_UNUSED(what);
    return false;
#endif
}

} // namespace

QtCommPort::QtCommPort(QObject* parent)
    : QtCommPort(QProcessEnvironment::systemEnvironment(), parent) {}

QtCommPort::QtCommPort(const QProcessEnvironment& env, QObject* parent)
    : MSComm(parent), env_(env), number_(kInitialPortNumber), baudRate_(kInitialBaudRate) {
    port_.setReadBufferSize(kInputBufferLimit);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtCommPort::onError);
}

QtCommPort::~QtCommPort() {
    // Closing here, before the members go, keeps the error handler away from a half-destroyed
    // object.
    disconnect(&port_, nullptr, this, nullptr);
    if (port_.isOpen())
        port_.close();
}

Status QtCommPort::setCommPort(std::int16_t number) {
    if (port_.isOpen())
        return Failure{QLatin1String(kOpenPortMessage)};
    const Result<QString> path = devicePathForPort(number, env_);
    if (!path)
        return path.status();
    number_ = number;
    return {};
}

Status QtCommPort::setSettings(const QByteArray& settings) {
    const Result<qint32> rate = parseBaudRate(settings);
    if (!rate)
        return rate.status();
    if (port_.isOpen()) {
        applying_ = true;
        const bool applied = port_.setBaudRate(*rate);
        applying_ = false;
        if (!applied)
            return Failure{deviceFailure()};
    }
    baudRate_ = *rate;
    return {};
}

Status QtCommPort::setInputLen(int length) {
    if (const Status checked = checkInputLen(length); !checked)
        return checked;
    inputLen_ = length;
    return {};
}

bool QtCommPort::PortOpen() const {
    return port_.isOpen();
}

Status QtCommPort::setPortOpen(bool open) {
    if (open)
        return this->open();
    if (port_.isOpen())
        port_.close();
    return {};
}

Status QtCommPort::open() {
    if (port_.isOpen())
        return Failure{QLatin1String(kAlreadyOpenMessage)};
    const Result<QString> path = devicePathForPort(number_, env_);
    if (!path)
        return path.status();
    path_ = *path;

    // A link and its target must share one lock file, or the same line could be opened twice.
    QString name = path_;
    if (isPathName(name)) {
        const QFileInfo info(name);
        if (info.exists())
            name = info.canonicalFilePath();
    }
    port_.setPortName(name);
    port_.setBaudRate(baudRate_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString description = deviceFailure();
        if (port_.isOpen())
            port_.close();
        return Failure{description};
    }
    port_.clearError();
    return {};
}

Result<int> QtCommPort::InBufferCount() {
    if (!port_.isOpen())
        return 0;
    // What has reached the device counts as waiting, as a UART's receive buffer would, even if
    // the event loop has not yet turned to read it in: a request that arrived just before the
    // scheduler's tick is answered at that tick, not the next. Only asked when bytes are there,
    // so the wait cannot time out.
    if (ready(port_, Ready::Input))
        port_.waitForReadyRead(0);
    return static_cast<int>(
        std::min<qint64>(port_.bytesAvailable(), std::numeric_limits<int>::max()));
}

Result<QByteArray> QtCommPort::Input() {
    if (!port_.isOpen())
        return Failure{QLatin1String(kNotOpenMessage)};
    const qint64 available = port_.bytesAvailable();
    const qint64 wanted = inputLen_ > 0 ? std::min<qint64>(inputLen_, available) : available;
    return port_.read(wanted);
}

Status QtCommPort::Output(const QByteArray& bytes) {
    if (!port_.isOpen())
        return Failure{QLatin1String(kNotOpenMessage)};
    const qint64 waiting = port_.bytesToWrite();
    if (waiting + bytes.size() > kOutputQueueLimit) {
        return Failure{QStringLiteral("Output queue full: %1 bytes waiting, %2 more exceed the "
                                      "limit of %3")
                           .arg(waiting)
                           .arg(bytes.size())
                           .arg(kOutputQueueLimit)};
    }
    if (bytes.isEmpty())
        return {};
    const qint64 queued = port_.write(bytes);
    if (queued != bytes.size())
        return Failure{deviceFailure()};
    // Start the bytes on their way now, rather than when the event loop next turns, which may be
    // after a repaint: the receiver is timing the answer. Only into a line with room; the rest
    // follows as the line drains.
    if (ready(port_, Ready::Room))
        port_.flush();
    return {};
}

QString QtCommPort::deviceFailure() const {
    return path_ + QStringLiteral(": ") + port_.errorString();
}

QString QtCommPort::lossDescription(QSerialPort::SerialPortError error) const {
    // Qt 6.4 words a failed read or write from a stale errno ("File exists" when the far end
    // hangs up), so those are told by kind alone.
    QString what;
    switch (error) {
    case QSerialPort::ReadError:
        what = QStringLiteral("read failed");
        break;
    case QSerialPort::WriteError:
        what = QStringLiteral("write failed");
        break;
    default:
        what = port_.errorString();
        break;
    }
    return path_ + QStringLiteral(": Device lost: ") + what;
}

void QtCommPort::onError(QSerialPort::SerialPortError error) {
    if (applying_ || !port_.isOpen() || !isLoss(error))
        return;
    const QString description = lossDescription(error);
    // Qt 6.4 keeps a failed port open and repeats the error without end; closing stops it, and a
    // closed port ignores the repeats, so each loss is reported once.
    port_.close();
    // Reported from the event loop, away from QSerialPort's own call stack, so a handler may
    // reopen the port.
    QMetaObject::invokeMethod(
        this, [this, description] { emit portLost(description); }, Qt::QueuedConnection);
}

} // namespace kestrune::serial

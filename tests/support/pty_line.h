#pragma once

// A serial line made of a socat pseudo-terminal pair, for tests of the real port: the near end is
// the port under test, the far end is read and written here as a plain file descriptor.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace kestrune::testing {

inline constexpr int kLineDeadlineMs = 5000;

// One turn of the event loop, which is what moves bytes through QSerialPort.
inline void spinEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::usleep(500);
}

// Runs the event loop until `done` holds or the deadline passes; returns `done()`.
template <class Done> bool waitFor(Done done, int ms = kLineDeadlineMs) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        spinEvents();
    }
    return true;
}

// The far end of the pair, read and written without Qt.
class FarEnd {
public:
    explicit FarEnd(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~FarEnd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Writes what the line takes now; returns how much.
    qsizetype writeSome(const QByteArray& bytes) {
        const ssize_t n = ::write(fd_, bytes.constData(), static_cast<size_t>(bytes.size()));
        return n > 0 ? n : 0;
    }

    bool writeAll(const QByteArray& bytes) {
        qsizetype done = 0;
        return waitFor([&] {
            done += writeSome(bytes.mid(done));
            return done == bytes.size();
        });
    }

    // What has arrived so far.
    QByteArray readSome() {
        QByteArray got;
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        return got;
    }

    // Reads until `count` bytes have arrived or the deadline passes.
    QByteArray read(qsizetype count, int ms = kLineDeadlineMs) {
        QByteArray got;
        waitFor(
            [&] {
                got += readSome();
                return got.size() >= count;
            },
            ms);
        return got;
    }

private:
    int fd_;
};

// The socat process and the two links it makes in a folder of its own; the links can be made
// again after a stop, as when a device comes back.
class SocatPair {
public:
    SocatPair()
        : socat_(QStandardPaths::findExecutable(QStringLiteral("socat"))),
          near_(dir_.filePath(QStringLiteral("near"))), far_(dir_.filePath(QStringLiteral("far"))) {
    }
    ~SocatPair() { stop(); }
    SocatPair(const SocatPair&) = delete;
    SocatPair& operator=(const SocatPair&) = delete;

    bool haveSocat() const { return !socat_.isEmpty(); }
    bool folderValid() const { return dir_.isValid(); }

    bool start() {
        // Links left by a killed socat would pass for the new ones.
        QFile::remove(near_);
        QFile::remove(far_);
        process_ = std::make_unique<QProcess>();
        process_->setStandardErrorFile(dir_.filePath(QStringLiteral("socat.log")),
                                       QIODevice::Append);
        process_->start(socat_, {QStringLiteral("-d"), QStringLiteral("-d"),
                                 QStringLiteral("pty,raw,echo=0,link=") + near_,
                                 QStringLiteral("pty,raw,echo=0,link=") + far_});
        if (!process_->waitForStarted(kLineDeadlineMs))
            return false;
        return waitFor([this] { return QFileInfo::exists(near_) && QFileInfo::exists(far_); });
    }

    void stop() {
        if (!process_)
            return;
        process_->kill();
        process_->waitForFinished(kLineDeadlineMs);
        process_.reset();
    }

    const QString& near() const { return near_; }
    const QString& far() const { return far_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Port 1 names `device`.
    static QProcessEnvironment envFor(const QString& device) {
        QProcessEnvironment env;
        env.insert(QStringLiteral("KESTRUNE_COM1"), device);
        return env;
    }
    QProcessEnvironment env() const { return envFor(near_); }

private:
    QTemporaryDir dir_;
    QString socat_;
    QString near_;
    QString far_;
    std::unique_ptr<QProcess> process_;
};

} // namespace kestrune::testing

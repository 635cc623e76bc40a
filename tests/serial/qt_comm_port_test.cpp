// The real port on pseudo-terminal pairs made by socat: the near end is the port under test, the
// far end is opened here as a plain file descriptor.

#include "serial/qt_comm_port.h"
#include "tests/support/pty_line.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <termios.h>

namespace {

using kestrune::Status;
using kestrune::serial::kInputBufferLimit;
using kestrune::serial::kOutputQueueLimit;
using kestrune::serial::QtCommPort;
using kestrune::testing::FarEnd;
using kestrune::testing::SocatPair;
using kestrune::testing::waitFor;

constexpr int kFloodDeadlineMs = 20000;
// How long to watch for repeats after a device loss has been reported.
constexpr int kAfterLossMs = 500;

QByteArray everyByte(int repeats) {
    QByteArray bytes;
    for (int r = 0; r < repeats; ++r)
        for (int b = 0; b < 256; ++b)
            bytes.append(static_cast<char>(b));
    return bytes;
}

// Reads the far end without ever turning the event loop, so only bytes the port has written by
// itself arrive; socat, a process of its own, relays them.
QByteArray readWithoutEvents(FarEnd& far, qsizetype count) {
    QByteArray got;
    const QDeadlineTimer deadline(kFloodDeadlineMs);
    while (got.size() < count && !deadline.hasExpired()) {
        got += far.readSome();
        QThread::usleep(500);
    }
    return got;
}

class QtCommPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pair_.haveSocat())
            GTEST_SKIP() << "socat is not on PATH";
        ASSERT_TRUE(pair_.folderValid());
        near_ = pair_.near();
        far_ = pair_.far();
        env_ = pair_.env();
        ASSERT_TRUE(startSocat());
    }

    void TearDown() override { stopSocat(); }

    bool startSocat() { return pair_.start(); }
    void stopSocat() { pair_.stop(); }

    QProcessEnvironment envFor(const QString& device) const { return SocatPair::envFor(device); }

    SocatPair pair_;
    QString near_;
    QString far_;
    QProcessEnvironment env_;
};

TEST_F(QtCommPortOnPty, EveryByteValueCrossesBothWaysUnchanged) {
    QtCommPort port(env_);
    FarEnd far(far_);
    ASSERT_TRUE(far.isOpen());
    ASSERT_TRUE(port.setPortOpen(true).ok());

    const QByteArray bytes = everyByte(4);
    ASSERT_TRUE(port.Output(bytes).ok());
    EXPECT_EQ(far.read(bytes.size()), bytes);

    ASSERT_TRUE(far.writeAll(bytes));
    ASSERT_TRUE(waitFor([&] { return *port.InBufferCount() == bytes.size(); }));
    const auto input = port.Input();
    ASSERT_TRUE(input.ok());
    EXPECT_EQ(*input, bytes);
    EXPECT_EQ(*port.InBufferCount(), 0);

    // A set input length caps each read, and the rest stays for the next.
    ASSERT_TRUE(port.setInputLen(100).ok());
    ASSERT_TRUE(far.writeAll(bytes));
    ASSERT_TRUE(waitFor([&] { return *port.InBufferCount() == bytes.size(); }));
    QByteArray pieces;
    while (*port.InBufferCount() > 0) {
        const QByteArray piece = *port.Input();
        ASSERT_EQ(piece.size(), std::min<qsizetype>(100, bytes.size() - pieces.size()));
        pieces += piece;
    }
    EXPECT_EQ(pieces, bytes);
}

TEST_F(QtCommPortOnPty, OpensClosesAndRefusesWhatNeedsTheOtherState) {
    QtCommPort port(env_);
    FarEnd far(far_);
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(*port.InBufferCount(), 0);
    EXPECT_EQ(port.Output("x").description(), QStringLiteral("Port not open"));
    EXPECT_EQ(port.Input().description(), QStringLiteral("Port not open"));
    EXPECT_TRUE(port.setPortOpen(false).ok());
    // A rejected number leaves the previous one in effect.
    EXPECT_FALSE(port.setCommPort(0).ok());
    EXPECT_EQ(port.CommPort(), 1);

    ASSERT_TRUE(port.setPortOpen(true).ok());
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.setPortOpen(true).description(), QStringLiteral("Port already open"));
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.setCommPort(2).description(),
              QStringLiteral("Operation valid only when the port is closed"));
    EXPECT_EQ(port.CommPort(), 1);

    // Bytes waiting at the close are gone with it.
    ASSERT_TRUE(far.writeAll("pending"));
    ASSERT_TRUE(waitFor([&] { return *port.InBufferCount() == 7; }));
    ASSERT_TRUE(port.setPortOpen(false).ok());
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(*port.InBufferCount(), 0);

    ASSERT_TRUE(port.setPortOpen(true).ok());
    EXPECT_EQ(*port.InBufferCount(), 0);
}

// The line settings as the device holds them.
struct LineSettings {
    speed_t speed;
    tcflag_t charSize;
    bool parity;
    bool twoStopBits;
    bool hardwareFlow;
    bool softwareFlow;
};

LineSettings lineSettings(const QtCommPort& port) {
    termios tio{};
    EXPECT_EQ(::tcgetattr(static_cast<int>(port.device().handle()), &tio), 0);
    return {::cfgetospeed(&tio),          tio.c_cflag & CSIZE,
            (tio.c_cflag & PARENB) != 0,  (tio.c_cflag & CSTOPB) != 0,
            (tio.c_cflag & CRTSCTS) != 0, (tio.c_iflag & (IXON | IXOFF)) != 0};
}

TEST_F(QtCommPortOnPty, BaudRateAppliesAtOpeningOrAtOnceWithEightNoneOne) {
    const struct {
        const char* settings; // before opening; nullptr keeps the initial rate
        speed_t speed;
    } cases[] = {{nullptr, B9600}, {"19200", B19200}, {"115200", B115200}};
    for (const auto& c : cases) {
        QtCommPort port(env_);
        if (c.settings) {
            ASSERT_TRUE(port.setSettings(c.settings).ok());
        }
        ASSERT_TRUE(port.setPortOpen(true).ok());
        const LineSettings line = lineSettings(port);
        EXPECT_EQ(line.speed, c.speed) << (c.settings ? c.settings : "initial");
        EXPECT_EQ(line.charSize, static_cast<tcflag_t>(CS8));
        EXPECT_FALSE(line.parity);
        EXPECT_FALSE(line.twoStopBits);
        EXPECT_FALSE(line.hardwareFlow);
        EXPECT_FALSE(line.softwareFlow);
    }

    QtCommPort port(env_);
    ASSERT_TRUE(port.setPortOpen(true).ok());
    ASSERT_TRUE(port.setSettings("38400").ok());
    EXPECT_EQ(lineSettings(port).speed, static_cast<speed_t>(B38400));
    EXPECT_FALSE(port.setSettings("fast").ok());
    EXPECT_EQ(lineSettings(port).speed, static_cast<speed_t>(B38400));
    EXPECT_EQ(lineSettings(port).charSize, static_cast<tcflag_t>(CS8));
}

TEST_F(QtCommPortOnPty, AHeldPortFailsToOpenUnderEitherName) {
    const QString target = QFileInfo(near_).canonicalFilePath();
    ASSERT_NE(target, near_);
    const struct {
        QString holder;
        QString other;
    } cases[] = {{near_, near_}, {near_, target}, {target, near_}};
    FarEnd far(far_);
    for (const auto& c : cases) {
        QtCommPort holder(envFor(c.holder));
        QtCommPort other(envFor(c.other));
        ASSERT_TRUE(holder.setPortOpen(true).ok());

        const Status refused = other.setPortOpen(true);
        ASSERT_FALSE(refused.ok()) << c.holder.toStdString() << " / " << c.other.toStdString();
        const QString prefix = c.other + QStringLiteral(": ");
        EXPECT_TRUE(refused.description().startsWith(prefix))
            << refused.description().toStdString();
        EXPECT_GT(refused.description().size(), prefix.size());
        EXPECT_FALSE(other.PortOpen());

        EXPECT_TRUE(holder.PortOpen());
        ASSERT_TRUE(holder.Output("still here").ok());
        EXPECT_EQ(far.read(10), QByteArray("still here"));

        ASSERT_TRUE(holder.setPortOpen(false).ok());
        EXPECT_TRUE(other.setPortOpen(true).ok());
    }
}

TEST_F(QtCommPortOnPty, AMissingOrUnfitDeviceFailsWithItsOwnDescription) {
    const QString missing = pair_.filePath(QStringLiteral("missing"));
    const QString dangling = pair_.filePath(QStringLiteral("dangling"));
    ASSERT_TRUE(QFile::link(pair_.filePath(QStringLiteral("nowhere")), dangling));
    const QString plainFile = pair_.filePath(QStringLiteral("plain"));
    {
        QFile file(plainFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const struct {
        QString path;
        const char* error;
    } cases[] = {{missing, "No such file or directory"},
                 {dangling, "No such file or directory"},
                 {plainFile, "Inappropriate ioctl for device"}};
    for (const auto& c : cases) {
        QtCommPort port(envFor(c.path));
        const Status opened = port.setPortOpen(true);
        ASSERT_FALSE(opened.ok()) << c.path.toStdString();
        EXPECT_EQ(opened.description(), c.path + QStringLiteral(": ") + QLatin1String(c.error));
        EXPECT_FALSE(port.PortOpen());
        EXPECT_EQ(*port.InBufferCount(), 0);
    }
}

// An answer leaves with the call that writes it, not after whatever the event loop does next.
TEST_F(QtCommPortOnPty, OutputStartsTheBytesWithoutWaitingForTheEventLoop) {
    QtCommPort port(env_);
    FarEnd far(far_);
    ASSERT_TRUE(port.setPortOpen(true).ok());
    const QByteArray bytes = everyByte(2);
    ASSERT_TRUE(port.Output(bytes).ok());
    EXPECT_EQ(readWithoutEvents(far, bytes.size()), bytes);
    EXPECT_EQ(port.device().bytesToWrite(), 0);
}

TEST_F(QtCommPortOnPty, InputCountsWhatReachedTheDeviceWithoutWaitingForTheEventLoop) {
    QtCommPort port(env_);
    FarEnd far(far_);
    ASSERT_TRUE(port.setPortOpen(true).ok());
    ASSERT_EQ(far.writeSome("!!\r\n"), 4);
    const QDeadlineTimer deadline(kFloodDeadlineMs);
    int count = 0;
    while ((count = *port.InBufferCount()) < 4 && !deadline.hasExpired())
        QThread::usleep(500); // socat passes the bytes on; no event is handled meanwhile
    EXPECT_EQ(count, 4);
    EXPECT_EQ(*port.Input(), QByteArray("!!\r\n"));
    EXPECT_EQ(*port.InBufferCount(), 0);
    EXPECT_EQ(port.device().error(), QSerialPort::NoError);
}

TEST_F(QtCommPortOnPty, OutputQueueStopsAtItsBoundWhenTheFarEndDoesNotRead) {
    QtCommPort port(env_);
    FarEnd far(far_);
    ASSERT_TRUE(port.setPortOpen(true).ok());

    const QByteArray chunk = everyByte(16);
    QByteArray accepted;
    Status refused;
    const bool filled = waitFor(
        [&] {
            const qint64 before = port.device().bytesToWrite();
            refused = port.Output(chunk);
            if (refused.ok()) {
                accepted += chunk;
                return false;
            }
            EXPECT_EQ(port.device().bytesToWrite(), before);
            EXPECT_LE(before, kOutputQueueLimit);
            EXPECT_GT(before + chunk.size(), kOutputQueueLimit);
            EXPECT_EQ(refused.description(),
                      QStringLiteral("Output queue full: %1 bytes waiting, %2 more exceed the "
                                     "limit of %3")
                          .arg(before)
                          .arg(chunk.size())
                          .arg(kOutputQueueLimit));
            return true;
        },
        kFloodDeadlineMs);
    ASSERT_TRUE(filled) << "accepted " << accepted.size() << " bytes without a refusal";

    // Once the far end reads, all accepted bytes arrive and nothing refused went out; the queue
    // empties and takes bytes again.
    EXPECT_EQ(far.read(accepted.size(), kFloodDeadlineMs), accepted);
    ASSERT_TRUE(waitFor([&] { return port.device().bytesToWrite() == 0; }));
    ASSERT_TRUE(port.Output("end").ok());
    EXPECT_EQ(far.read(3), QByteArray("end"));
}

TEST_F(QtCommPortOnPty, AFloodingPeerWaitsBeyondTheInputBound) {
    QtCommPort port(env_);
    FarEnd far(far_);
    ASSERT_TRUE(port.setPortOpen(true).ok());

    const QByteArray flood = everyByte(3 * static_cast<int>(kInputBufferLimit) / 256);
    qsizetype sent = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            sent += far.writeSome(flood.mid(sent));
            EXPECT_LE(*port.InBufferCount(), kInputBufferLimit);
            return *port.InBufferCount() == kInputBufferLimit;
        },
        kFloodDeadlineMs));

    QByteArray received;
    ASSERT_TRUE(waitFor(
        [&] {
            sent += far.writeSome(flood.mid(sent));
            EXPECT_LE(*port.InBufferCount(), kInputBufferLimit);
            if (*port.InBufferCount() > 0)
                received += *port.Input();
            return received.size() == flood.size();
        },
        kFloodDeadlineMs));
    EXPECT_EQ(received, flood);
}

TEST_F(QtCommPortOnPty, LosingTheDeviceClosesTheSessionAndReportsOnce) {
    QtCommPort port(env_);
    QStringList lost;
    QObject::connect(&port, &QtCommPort::portLost,
                     [&lost](const QString& description) { lost.append(description); });
    {
        FarEnd far(far_);
        ASSERT_TRUE(port.setPortOpen(true).ok());
        ASSERT_TRUE(port.Output("before").ok());
        EXPECT_EQ(far.read(6), QByteArray("before"));

        stopSocat();
        ASSERT_TRUE(waitFor([&] { return !lost.isEmpty(); }));
    }
    // Qt repeats the error while the port stays open; watch for repeats for a while.
    waitFor([] { return false; }, kAfterLossMs);

    ASSERT_EQ(lost.size(), 1) << lost.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(lost.front().startsWith(near_ + QStringLiteral(": Device lost: ")))
        << lost.front().toStdString();
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(*port.InBufferCount(), 0);
    EXPECT_EQ(port.Output("after").description(), QStringLiteral("Port not open"));

    // The same number reaches the device once it is back.
    ASSERT_TRUE(startSocat());
    FarEnd far(far_);
    ASSERT_TRUE(port.setPortOpen(true).ok());
    ASSERT_TRUE(port.Output("again").ok());
    EXPECT_EQ(far.read(5), QByteArray("again"));
    EXPECT_EQ(lost.size(), 1);
}

} // namespace

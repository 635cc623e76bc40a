// The receiver program on a socat pseudo-terminal pair: the test holds the simulator's end.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

constexpr int kDeadlineMs = 5000;
constexpr int kPollMs = 20;

// The serial port needs an application object for its event dispatcher.
void ensureApplication() {
    static int argc = 1;
    static char name[] = "tools_receiver_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
}

// Polls `done` while the other processes work, until it holds or the deadline passes; the
// event loop idles between polls instead of spinning.
template <class Done> bool waitFor(Done done) {
    const QDeadlineTimer deadline(kDeadlineMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QEventLoop idle;
        QTimer::singleShot(kPollMs, &idle, &QEventLoop::quit);
        idle.exec();
    }
    return true;
}

class ReceiverOnLine : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        const QString socat = QStandardPaths::findExecutable(QStringLiteral("socat"));
        if (socat.isEmpty())
            GTEST_SKIP() << "socat is not on PATH";
        ASSERT_TRUE(dir_.isValid());
        simulatorEnd_ = dir_.filePath(QStringLiteral("kestrune-com1"));
        receiverEnd_ = dir_.filePath(QStringLiteral("traskel"));
        socat_.setStandardErrorFile(dir_.filePath(QStringLiteral("socat.log")));
        socat_.start(socat, {QStringLiteral("-d"), QStringLiteral("-d"),
                             QStringLiteral("pty,raw,echo=0,link=") + simulatorEnd_,
                             QStringLiteral("pty,raw,echo=0,link=") + receiverEnd_});
        ASSERT_TRUE(socat_.waitForStarted(kDeadlineMs));
        ASSERT_TRUE(waitFor([this] {
            return QFileInfo::exists(simulatorEnd_) && QFileInfo::exists(receiverEnd_);
        }));
        port_.setPortName(simulatorEnd_);
        ASSERT_TRUE(port_.open(QIODevice::ReadWrite)) << port_.errorString().toStdString();
    }

    void TearDown() override {
        port_.close();
        for (QProcess* process : {&receiver_, &socat_}) {
            process->kill();
            process->waitForFinished(kDeadlineMs);
        }
    }

    // Starts the receiver and waits until it has opened its end.
    void startReceiver(const QStringList& options) {
        receiver_.start(QStringLiteral(KESTRUNE_RECEIVER_PATH),
                        QStringList{receiverEnd_} + options);
        ASSERT_TRUE(receiver_.waitForStarted(kDeadlineMs));
        ASSERT_TRUE(waitFor([this] {
            stderr_ += receiver_.readAllStandardError();
            return stderr_.contains("listening on");
        })) << stderr_.toStdString();
    }

    bool waitForExit() {
        return waitFor([this] { return receiver_.state() == QProcess::NotRunning; });
    }

    QTemporaryDir dir_;
    QString simulatorEnd_;
    QString receiverEnd_;
    QProcess socat_;
    QProcess receiver_;
    QSerialPort port_;
    QByteArray stderr_;
};

TEST_F(ReceiverOnLine, PrintsThePacketThatArrivesAndExitsAtTheCount) {
    startReceiver({QStringLiteral("--count"), QStringLiteral("1")});
    port_.write("\xff\r\n&&\r\n0108"
                "1234.5\r\n1984PASON/EDR\r\n0110\x01\xfe\r\n!!\r\n&&\r\n0110"
                "99\r\n!!\r\n");
    ASSERT_TRUE(port_.waitForBytesWritten(kDeadlineMs));

    ASSERT_TRUE(waitForExit());
    EXPECT_EQ(receiver_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(receiver_.exitCode(), 0);
    const QByteArray out = receiver_.readAllStandardOutput();
    EXPECT_TRUE(out.contains("garbage (outside a packet): \\xff\n")) << out.toStdString();
    EXPECT_TRUE(out.contains(" packet 1: 3 items\n"
                             "  0108  1234.5\n"
                             "  1984  PASON/EDR\n"
                             "  0110  \\x01\\xfe\n"))
        << out.toStdString();
    EXPECT_FALSE(out.contains("packet 2")) << out.toStdString();
}

TEST_F(ReceiverOnLine, AsksAtTheIntervalAndStopsCleanlyOnCtrlC) {
    startReceiver({QStringLiteral("--request"), QStringLiteral("1")});
    QByteArray requests;
    EXPECT_TRUE(waitFor([&] {
        requests += port_.readAll();
        return requests.contains("!!\r\n");
    })) << requests.toStdString();

    ::kill(static_cast<pid_t>(receiver_.processId()), SIGINT);
    ASSERT_TRUE(waitForExit());
    EXPECT_EQ(receiver_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(receiver_.exitCode(), 0);
}

TEST_F(ReceiverOnLine, ReportsALostDeviceOnceAndFails) {
    startReceiver({});
    // Half a packet is still shown when the line goes. The noise line before it shows at once,
    // so its arrival proves the receiver holds the rest: a small write crosses the pair whole.
    port_.write("\xff\r\n&&\r\n0108"
                "7\r\n");
    QByteArray out;
    ASSERT_TRUE(waitFor([&] {
        out += receiver_.readAllStandardOutput();
        return out.contains("garbage");
    }));
    port_.close();
    socat_.kill();

    ASSERT_TRUE(waitForExit());
    EXPECT_EQ(receiver_.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(receiver_.exitCode(), 0);
    stderr_ += receiver_.readAllStandardError();
    EXPECT_EQ(stderr_.count("lost "), 1) << stderr_.toStdString();
    out += receiver_.readAllStandardOutput();
    EXPECT_TRUE(out.contains("packet 1: 1 item, unfinished: input ended before \"!!\"\n"
                             "  0108  7\n"))
        << out.toStdString();
}

} // namespace

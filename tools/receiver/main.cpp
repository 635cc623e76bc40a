// kestrune-receiver: a small WITS Level 0 receiver on a serial line, for trying the simulator.
// Prints every packet as it arrives; can ask for packets with "!!" at a fixed interval.

#include "tools/receiver/report.h"
#include "tools/receiver/wits_stream.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTime>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <unistd.h>
#include <utility>

namespace {

using namespace kestrune::receiver;

constexpr const char* kName = "kestrune-receiver";
constexpr qint32 kDefaultBaud = 9600;
constexpr double kMaxRequestSeconds = 86400.0;
constexpr double kMsPerSecond = 1000.0;
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// A bare marker on a line of its own: the shortest request seen in the field, and the
// simulator's receive window then shows one request per line.
constexpr QByteArrayView kRequest = "!!\r\n";

struct Options {
    QString device;
    qint32 baud = kDefaultBaud;
    int requestMs = 0; // 0: never ask
    Detail detail = Detail::Items;
    qsizetype count = 0; // 0: no limit
};

void report(const QString& message) {
    std::fprintf(stderr, "%s: %s\n", kName, message.toLocal8Bit().constData());
    std::fflush(stderr);
}

std::optional<Options> parseOptions(const QStringList& arguments, int& exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the WITS Level 0 packets that arrive on a serial device."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("device"),
                                 QStringLiteral("Serial device, for instance /dev/ttyUSB0."));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Line speed (9600)."),
                                  QStringLiteral("rate"));
    const QCommandLineOption request(QStringLiteral("request"),
                                     QStringLiteral("Send \"!!\" every SECONDS seconds."),
                                     QStringLiteral("SECONDS"));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("One line per packet, no items or noise."));
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Exit after N packets."),
                                   QStringLiteral("N"));
    parser.addOptions({baud, request, quiet, count});

    const auto usageError = [&](const QString& message) {
        report(message + QStringLiteral(" (see --help)"));
        exitCode = kExitUsage;
        return std::nullopt;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        exitCode = kExitOk;
        return std::nullopt;
    }
    if (parser.positionalArguments().size() != 1)
        return usageError(QStringLiteral("expected one device"));

    Options options;
    options.device = parser.positionalArguments().constFirst();
    bool ok = true;
    if (parser.isSet(baud)) {
        options.baud = parser.value(baud).toInt(&ok);
        if (!ok || options.baud <= 0)
            return usageError(QStringLiteral("invalid baud rate: ") + parser.value(baud));
    }
    if (parser.isSet(request)) {
        const double seconds = parser.value(request).toDouble(&ok);
        if (!ok || !(seconds > 0.0 && seconds <= kMaxRequestSeconds) ||
            qRound(seconds * kMsPerSecond) < 1)
            return usageError(QStringLiteral("invalid request interval: ") + parser.value(request));
        options.requestMs = qRound(seconds * kMsPerSecond);
    }
    if (parser.isSet(quiet))
        options.detail = Detail::HeaderOnly;
    if (parser.isSet(count)) {
        options.count = parser.value(count).toLongLong(&ok);
        if (!ok || options.count <= 0)
            return usageError(QStringLiteral("invalid count: ") + parser.value(count));
    }
    return options;
}

// Ctrl+C and SIGTERM reach the event loop through a pipe; the handler itself only writes a byte.
int signalPipe[2] = {-1, -1};
// Set at once, while the pipe waits for the event loop: Ctrl+C on a terminal may end the far
// end of the line too, and its loss must not read as a failure.
volatile std::sig_atomic_t stopSignalled = 0;

void onSignal(int) {
    stopSignalled = 1;
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

bool catchStopSignals() {
    if (::pipe(signalPipe) != 0)
        return false;
    for (const int fd : signalPipe)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction previous {};
    // A shell without job control starts background jobs with Ctrl+C ignored; keep it so.
    if (::sigaction(SIGINT, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
        ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A closed stdout is reported as a failed write, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

class Receiver {
public:
    explicit Receiver(Options options) : options_(std::move(options)) {
        QObject::connect(&port_, &QSerialPort::readyRead, [this] { readInput(); });
        QObject::connect(&requestTimer_, &QTimer::timeout, [this] { sendRequest(); });
    }

    bool open() {
        port_.setPortName(options_.device);
        port_.setBaudRate(options_.baud);
        port_.setDataBits(QSerialPort::Data8);
        port_.setParity(QSerialPort::NoParity);
        port_.setStopBits(QSerialPort::OneStop);
        port_.setFlowControl(QSerialPort::NoFlowControl);
        if (!port_.open(QIODevice::ReadWrite)) {
            report(QStringLiteral("cannot open %1: %2").arg(options_.device, port_.errorString()));
            return false;
        }
        // Only now: a failed opening is reported above, once.
        QObject::connect(&port_, &QSerialPort::errorOccurred,
                         [this](QSerialPort::SerialPortError error) { onError(error); });
        QString note =
            QStringLiteral("listening on %1 at %2 8N1").arg(options_.device).arg(options_.baud);
        if (options_.requestMs > 0) {
            note += QStringLiteral(", sending \"!!\" every %1 s")
                        .arg(options_.requestMs / kMsPerSecond);
            requestTimer_.start(options_.requestMs);
        }
        report(note);
        return true;
    }

    // Prints what the parser still holds, then ends the event loop.
    void stop(int exitCode) {
        if (stopped_)
            return;
        stopped_ = true;
        requestTimer_.stop();
        port_.close();
        const std::vector<WitsEvent> rest = stream_.finish();
        for (const WitsEvent& event : rest)
            print(event);
        QCoreApplication::exit(exitCode);
    }

private:
    void readInput() {
        const QByteArray bytes = port_.readAll();
        for (const WitsEvent& event : stream_.feed(bytes)) {
            if (stopped_)
                return;
            print(event);
            if (std::holds_alternative<WitsPacket>(event) && packets_ == options_.count) {
                stopped_ = true;
                port_.close();
                QCoreApplication::exit(kExitOk);
            }
        }
    }

    void print(const WitsEvent& event) {
        const QTime now = QTime::currentTime();
        if (const auto* packet = std::get_if<WitsPacket>(&event))
            write(describePacket(*packet, ++packets_, now, options_.detail));
        else if (options_.detail == Detail::Items)
            write(describeGarbage(std::get<GarbageLine>(event), now));
    }

    void write(const QByteArray& text) {
        const auto size = static_cast<size_t>(text.size());
        if ((std::fwrite(text.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0) &&
            !stopped_) {
            report(QStringLiteral("cannot write the output: %1").arg(qt_error_string(errno)));
            stop(kExitFailure);
        }
    }

    void sendRequest() {
        // A request still queued means the line does not move; do not pile up more.
        if (port_.bytesToWrite() > 0) {
            report(QStringLiteral("request skipped: the previous one has not left yet"));
            return;
        }
        port_.write(kRequest.data(), kRequest.size());
        if (options_.detail == Detail::Items)
            write(describeSent(kRequest, QTime::currentTime()));
    }

    void onError(QSerialPort::SerialPortError error) {
        if (error == QSerialPort::NoError || stopped_)
            return;
        const QString why = port_.errorString();
        if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
            // Qt 6.4 repeats these without end once the device is gone; close at the first one.
            if (stopSignalled) {
                stop(kExitOk);
                return;
            }
            report(QStringLiteral("lost %1: %2").arg(options_.device, why));
            stop(kExitFailure);
            return;
        }
        report(QStringLiteral("%1: %2").arg(options_.device, why));
        port_.clearError();
    }

    Options options_;
    QSerialPort port_;
    QTimer requestTimer_;
    WitsStream stream_;
    qsizetype packets_ = 0;
    bool stopped_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int exitCode = kExitOk;
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments(), exitCode);
    if (!options)
        return exitCode;
    if (!catchStopSignals()) {
        report(QStringLiteral("cannot catch signals: %1").arg(qt_error_string(errno)));
        return kExitFailure;
    }

    Receiver receiver(*options);
    QSocketNotifier stopRequest(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&stopRequest, &QSocketNotifier::activated, [&receiver] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        receiver.stop(kExitOk);
    });
    if (!receiver.open())
        return kExitFailure;
    return QCoreApplication::exec();
}

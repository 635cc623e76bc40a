// kestrune-bench: drives the real window on a socat line and measures it from the far end,
// which a forked child reads raw. Prints its findings as Markdown.
//   kestrune-bench period [SECONDS]   automatic packets every 2 s at ROP 1 s/ft
//   kestrune-bench request [COUNT]    "!!" answered in request mode
//   kestrune-bench idle [SECONDS]     run switch off: CPU and memory
//   kestrune-bench busy [SECONDS]     a packet every tick with noise: CPU and memory
//   kestrune-bench paints [SECONDS]   run switch off: which widgets repaint, how often
// KESTRUNE_BENCH_HALT=name,name stops those window timers first, to see what each one costs.

#include "app/application_setup.h"
#include "app/fm_kestrune.h"
#include "app/window_texts.h"
#include "bench/far_end.h"
#include "bench/stats.h"
#include "bench/timed_port.h"
#include "serial/qt_comm_port.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using namespace kestrune;
using bench::fitLine;
using bench::largest;
using bench::mean;
using bench::monotonicNs;
using bench::percentile;

constexpr double kNsPerMs = 1e6;
constexpr double kNsPerS = 1e9;
constexpr double kSecondsPerHour = 3600;
constexpr int kWaitTenths = 50;
// Lets the window settle (first ticks, first paints) before anything is measured.
constexpr int kSettleMs = 3000;
constexpr int kSampleMs = 10000;
constexpr double kPeriodMs = 2000;
constexpr double kTickMs = 100;
constexpr double kTargetRateFtPerHour = 3600;
constexpr double kTargetErrorPercent = 0.05;
constexpr double kTargetIdleCpuPercent = 0.5;
constexpr double kFlatRssKiB = 1024;
constexpr qsizetype kLineBaud = 9600;
constexpr qsizetype kBitsPerByte = 10; // 8N1
// Far end, request mode: a packet is over after this much silence; a request unanswered for
// this long has failed.
constexpr int kSilenceMs = 30;
constexpr int kAnswerTimeoutMs = 2000;
constexpr int kRequestSpreadMs = 100;
constexpr QByteArrayView kRequest = "!!\r\n";
constexpr QByteArrayView kHoleDepthCode = "0110";

enum class Mode { Period, Request, Idle, Busy, Paints };

struct Options {
    Mode mode = Mode::Period;
    double seconds = 600;
    int count = 1000;
};

void fail(const char* what) {
    std::fprintf(stderr, "kestrune-bench: %s\n", what);
    std::exit(1);
}

bool waitUntil(const std::function<bool()>& ready) {
    for (int tenth = 0; tenth <= kWaitTenths; ++tenth) {
        if (ready()) {
            return true;
        }
        usleep(100'000);
    }
    return false;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// A socat pseudo-terminal pair, as scripts/virtual-line.sh makes it.
class SocatLine {
public:
    bool start() {
        char pattern[] = "/tmp/kestrune-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            return false;
        }
        dir_ = pattern;
        const std::string nearArg = "pty,raw,echo=0,link=" + near();
        const std::string farArg = "pty,raw,echo=0,link=" + far();
        char* argv[] = {const_cast<char*>("socat"), const_cast<char*>(nearArg.data()),
                        const_cast<char*>(farArg.data()), nullptr};
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawnp(&pid_, "socat", &quiet, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (spawned != 0) {
            pid_ = -1;
            return false;
        }
        return waitUntil([this] { return exists(near()) && exists(far()); });
    }
    ~SocatLine() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (!dir_.empty()) {
            rmdir(dir_.c_str());
        }
    }
    std::string near() const { return dir_ + "/kestrune-com1"; }
    std::string far() const { return dir_ + "/traskel"; }

private:
    std::string dir_;
    pid_t pid_ = -1;
};

// ---- The far end (forked child; no Qt event loop) ----

// Results are kept in memory until the end: a full pipe must never stall the reading.
__attribute__((format(printf, 2, 3))) void appendf(std::string& out, const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length > 0) {
        out.append(text, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof text - 1));
    }
}

void writeBlock(std::string& out, const bench::TimedBlock& block) {
    const std::optional<QByteArray> hole = block.value(kHoleDepthCode);
    const QByteArray record =
        block.packet.items.isEmpty() ? QByteArray("--") : block.packet.items.first().code.left(2);
    appendf(out, "B %lld %lld %d %lld %s %s\n", static_cast<long long>(block.firstByteNs),
            static_cast<long long>(block.lastByteNs), block.packet.complete() ? 1 : 0,
            static_cast<long long>(block.packet.garbage.size()), record.constData(),
            hole ? hole->constData() : "-");
}

// Reads until the parent closes the control pipe.
void collect(bench::FarEnd& line, int control, std::string& out) {
    qsizetype total = 0;
    pollfd fds[2] = {{line.fd(), POLLIN, 0}, {control, POLLIN, 0}};
    while (true) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents != 0) {
            qsizetype bytes = 0;
            for (const bench::TimedBlock& block : line.readOnce(bytes)) {
                writeBlock(out, block);
            }
            total += bytes;
            if (bytes == 0) {
                fds[0].fd = -1; // the line is gone; wait for the parent
            }
        }
        if (fds[1].revents != 0) {
            break;
        }
    }
    appendf(out, "S %lld %lld\n", static_cast<long long>(total),
            static_cast<long long>(line.garbageOutsideBlocks()));
}

bool readable(int fd, int timeoutMs) {
    pollfd one{fd, POLLIN, 0};
    int ready = 0;
    do {
        ready = poll(&one, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Asks `count` times, each after the previous answer and a random pause, so the requests fall
// evenly over the simulator's tick.
void request(bench::FarEnd& line, int control, int count, std::string& out) {
    char go = 0;
    if (::read(control, &go, 1) != 1) {
        return;
    }
    std::mt19937 pauses(1);
    std::uniform_int_distribution<int> pauseUs(0, kRequestSpreadMs * 1000);
    for (int i = 0; i < count; ++i) {
        usleep(static_cast<useconds_t>(pauseUs(pauses)));
        const std::int64_t written = monotonicNs();
        if (!line.writeAll(kRequest)) {
            break;
        }
        std::int64_t first = 0;
        std::int64_t last = 0;
        qsizetype bytes = 0;
        bool answered = false;
        int waitMs = kAnswerTimeoutMs;
        while (readable(line.fd(), waitMs)) {
            qsizetype got = 0;
            for (const bench::TimedBlock& block : line.readOnce(got)) {
                answered = answered || (block.packet.complete() && block.value(kHoleDepthCode));
                last = block.lastByteNs;
            }
            if (got == 0) {
                break;
            }
            if (first == 0) {
                first = line.lastReadNs();
            }
            bytes += got;
            waitMs = kSilenceMs;
        }
        appendf(out, "L %lld %lld %lld %d %lld\n", static_cast<long long>(written),
                static_cast<long long>(first), static_cast<long long>(last), answered ? 1 : 0,
                static_cast<long long>(bytes));
    }
}

[[noreturn]] void farEnd(const std::string& device, Mode mode, int count, int control,
                         int results) {
    bench::FarEnd line(QByteArray::fromStdString(device));
    if (!line.isOpen()) {
        _exit(1);
    }
    std::string out;
    if (mode == Mode::Request) {
        request(line, control, count, out);
    } else {
        collect(line, control, out);
    }
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t put = ::write(results, out.data() + done, out.size() - done);
        if (put < 0 && errno != EINTR) {
            _exit(1);
        }
        done += put > 0 ? static_cast<std::size_t>(put) : 0;
    }
    _exit(0);
}

// ---- Results ----

struct Block {
    std::int64_t first = 0;
    std::int64_t last = 0;
    bool complete = false;
    long long garbage = 0;
    std::string record;
    std::string hole;
};

struct Answer {
    std::int64_t written = 0;
    std::int64_t first = 0;
    std::int64_t last = 0;
    bool ok = false;
    long long bytes = 0;
};

struct FarResults {
    std::vector<Block> blocks;
    std::vector<Answer> answers;
    long long bytes = 0;
    long long garbageOutside = 0;
};

FarResults parseResults(const QByteArray& text) {
    FarResults results;
    for (const QByteArray& row : text.split('\n')) {
        const QList<QByteArray> f = row.split(' ');
        if (f.first() == "B" && f.size() == 7) {
            results.blocks.push_back({f[1].toLongLong(), f[2].toLongLong(), f[3] == "1",
                                      f[4].toLongLong(), f[5].toStdString(), f[6].toStdString()});
        } else if (f.first() == "L" && f.size() == 6) {
            results.answers.push_back({f[1].toLongLong(), f[2].toLongLong(), f[3].toLongLong(),
                                       f[4] == "1", f[5].toLongLong()});
        } else if (f.first() == "S" && f.size() == 3) {
            results.bytes = f[1].toLongLong();
            results.garbageOutside = f[2].toLongLong();
        }
    }
    return results;
}

QByteArray readAll(int fd) {
    QByteArray all;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        all.append(buffer, got);
    }
    return all;
}

std::vector<double> intervalsMs(const std::vector<std::int64_t>& times) {
    std::vector<double> out;
    for (std::size_t i = 1; i < times.size(); ++i) {
        out.push_back(static_cast<double>(times[i] - times[i - 1]) / kNsPerMs);
    }
    return out;
}

std::vector<double> deviations(const std::vector<double>& values, double from) {
    std::vector<double> out;
    for (const double v : values) {
        out.push_back(std::abs(v - from));
    }
    return out;
}

// The first of `times` at or after `at`, if any.
std::optional<std::int64_t> firstFrom(const std::vector<std::int64_t>& times, std::int64_t at) {
    const auto found = std::lower_bound(times.begin(), times.end(), at);
    return found == times.end() ? std::nullopt : std::optional(*found);
}

// The last of `times` at or before `at`, if any.
std::optional<std::int64_t> lastUpTo(const std::vector<std::int64_t>& times, std::int64_t at) {
    const auto found = std::upper_bound(times.begin(), times.end(), at);
    return found == times.begin() ? std::nullopt : std::optional(*std::prev(found));
}

const char* verdict(bool met) {
    return met ? "met" : "**missed**";
}

void row(const QString& measure, const QString& result, const QString& target, bool met) {
    std::printf("| %s | %s | %s | %s |\n", measure.toUtf8().constData(),
                result.toUtf8().constData(), target.toUtf8().constData(), verdict(met));
}

void info(const QString& measure, const QString& result) {
    std::printf("| %s | %s | | |\n", measure.toUtf8().constData(), result.toUtf8().constData());
}

void tableHead() {
    std::printf("| Measure | Result | Target | |\n|---|---|---|---|\n");
}

QString ms(double value) {
    return QString::number(value, 'f', 2) + QStringLiteral(" ms");
}

// ---- Resource use of this process ----

long statusKiB(const char* field) {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char text[256];
    long value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(text, sizeof text, status) != nullptr) {
        if (std::strncmp(text, field, length) == 0 && text[length] == ':') {
            value = std::strtol(text + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

double cpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

struct Usage {
    double startCpu = 0;
    std::int64_t startNs = 0;
    std::int64_t stopNs = 0;
    std::vector<double> rssKiB;
    double cpuPercent = 0;
    double seconds = 0;
    long hwmKiB = 0;

    void start() {
        startCpu = cpuSeconds();
        startNs = monotonicNs();
        sample();
    }
    void sample() { rssKiB.push_back(static_cast<double>(statusKiB("VmRSS"))); }
    void stop() {
        sample();
        stopNs = monotonicNs();
        seconds = static_cast<double>(stopNs - startNs) / kNsPerS;
        cpuPercent = (cpuSeconds() - startCpu) / seconds * 100;
        hwmKiB = statusKiB("VmHWM");
    }
};

QString mib(double kib) {
    return QString::number(kib / 1024, 'f', 1) + QStringLiteral(" MiB");
}

void reportUsage(const Usage& usage, bool idle) {
    const double growth = usage.rssKiB.back() - usage.rssKiB.front();
    const double spread =
        largest(usage.rssKiB) - *std::min_element(usage.rssKiB.begin(), usage.rssKiB.end());
    if (idle) {
        row(QStringLiteral("CPU, run switch off"),
            QString::number(usage.cpuPercent, 'f', 3) + QStringLiteral(" % of one core over ") +
                QString::number(usage.seconds, 'f', 0) + QStringLiteral(" s"),
            QStringLiteral("under 0.5 %"), usage.cpuPercent < kTargetIdleCpuPercent);
    } else {
        info(QStringLiteral("CPU, a packet every tick with noise"),
             QString::number(usage.cpuPercent, 'f', 2) + QStringLiteral(" % of one core over ") +
                 QString::number(usage.seconds, 'f', 0) + QStringLiteral(" s"));
    }
    info(QStringLiteral("Peak resident memory (VmHWM)"), mib(static_cast<double>(usage.hwmKiB)));
    QString samples;
    for (const double kib : usage.rssKiB) {
        samples += QString::number(kib / 1024, 'f', 1) + QLatin1Char(' ');
    }
    row(QStringLiteral("Resident memory, every %1 s (MiB)").arg(kSampleMs / 1000),
        samples.trimmed() + QStringLiteral("; first to last %1 KiB, spread %2 KiB")
                                .arg(growth, 0, 'f', 0)
                                .arg(spread, 0, 'f', 0),
        QStringLiteral("flat (growth and spread within 1 MiB)"),
        growth <= kFlatRssKiB && spread <= kFlatRssKiB);
}

// ---- The measurements ----

void reportPeriod(const FarResults& far, const bench::TimedPort& port,
                  const std::vector<std::int64_t>& ticks) {
    std::vector<std::int64_t> arrivals;
    std::vector<double> hours;
    std::vector<double> feet;
    for (const Block& block : far.blocks) {
        if (!block.complete || block.hole == "-") {
            continue;
        }
        arrivals.push_back(block.first);
        hours.push_back(static_cast<double>(block.first) / kNsPerS / kSecondsPerHour);
        feet.push_back(std::strtod(block.hole.c_str(), nullptr));
    }
    if (arrivals.size() < 3) {
        fail("too few packets arrived");
    }
    const std::vector<double> periods = intervalsMs(arrivals);
    const std::vector<double> off = deviations(periods, kPeriodMs);
    const double meanMs = mean(periods);
    const double periodError = (meanMs - kPeriodMs) / kPeriodMs * 100;
    const double span = static_cast<double>(arrivals.back() - arrivals.front()) / kNsPerS;

    tableHead();
    row(QStringLiteral("Mean period error"),
        QString::number(periodError, 'f', 4) + QStringLiteral(" % (mean ") +
            QString::number(meanMs, 'f', 3) +
            QStringLiteral(" ms over %1 intervals, %2 s)").arg(periods.size()).arg(span, 0, 'f', 0),
        QStringLiteral("within 0.05 %"), std::abs(periodError) <= kTargetErrorPercent);
    info(QStringLiteral("Single interval, deviation from 2000 ms"),
         QStringLiteral("p50 %1, p99 %2, largest %3")
             .arg(ms(percentile(off, 50)), ms(percentile(off, 99)), ms(largest(off))));

    const bench::Line fit = fitLine(hours, feet);
    const double rateError = (fit.slope - kTargetRateFtPerHour) / kTargetRateFtPerHour * 100;
    const double endToEnd = (feet.back() - feet.front()) / (hours.back() - hours.front());
    row(QStringLiteral("Rate of penetration at ROP 1 Sec/ Ft"),
        QString::number(fit.slope, 'f', 2) + QStringLiteral(" ft/h, error ") +
            QString::number(rateError, 'f', 4) +
            QStringLiteral(" % (least squares over %1 packets; first to last %2 ft/h, %3 → %4 ft)")
                .arg(feet.size())
                .arg(endToEnd, 0, 'f', 2)
                .arg(feet.front(), 0, 'f', 1)
                .arg(feet.back(), 0, 'f', 1),
        QStringLiteral("3600 ft/h within 0.05 %"), std::abs(rateError) <= kTargetErrorPercent);

    // Where the time goes: the program's own hand-over to the port, and its scheduler tick.
    const std::vector<double> outputs = intervalsMs(port.outputs());
    const std::vector<double> outputOff = deviations(outputs, kPeriodMs);
    info(QStringLiteral("Hand-over to the port (Output), deviation from 2000 ms"),
         QStringLiteral("mean period %1, p50 %2, p99 %3, largest %4")
             .arg(ms(mean(outputs)), ms(percentile(outputOff, 50)), ms(percentile(outputOff, 99)),
                  ms(largest(outputOff))));
    std::vector<double> delivery;
    for (const std::int64_t at : arrivals) {
        if (const std::optional<std::int64_t> out = lastUpTo(port.outputs(), at)) {
            delivery.push_back(static_cast<double>(at - *out) / kNsPerMs);
        }
    }
    info(QStringLiteral("Output call to first byte at the far end"),
         QStringLiteral("p50 %1, p99 %2, largest %3")
             .arg(ms(percentile(delivery, 50)), ms(percentile(delivery, 99)),
                  ms(largest(delivery))));
    const std::vector<double> tickOff = deviations(intervalsMs(ticks), kTickMs);
    const auto stalls =
        std::count_if(tickOff.begin(), tickOff.end(), [](double d) { return d > kTickMs / 2; });
    info(QStringLiteral("Scheduler tick (tmrDataArrival), deviation from 100 ms"),
         QStringLiteral("p50 %1, p99 %2, largest %3; %4 of %5 ticks off by more than 50 ms")
             .arg(ms(percentile(tickOff, 50)), ms(percentile(tickOff, 99)), ms(largest(tickOff)))
             .arg(stalls)
             .arg(tickOff.size()));
}

void reportRequest(const FarResults& far, const bench::TimedPort& port) {
    std::vector<double> latency;
    std::vector<double> whole;
    std::vector<double> transfer;
    std::vector<double> waited;
    std::vector<double> built;
    std::vector<double> delivered;
    std::vector<double> handed;
    long long bytes = 0;
    int failed = 0;
    for (const Answer& a : far.answers) {
        if (!a.ok || a.first == 0) {
            ++failed;
            continue;
        }
        latency.push_back(static_cast<double>(a.first - a.written) / kNsPerMs);
        whole.push_back(static_cast<double>(a.last - a.written) / kNsPerMs);
        transfer.push_back(static_cast<double>(a.last - a.first) / kNsPerMs);
        bytes = std::max(bytes, a.bytes);
        const std::optional<std::int64_t> taken = firstFrom(port.requestsTaken(), a.written);
        if (!taken || *taken > a.first) {
            continue;
        }
        const std::optional<std::int64_t> out = firstFrom(port.outputs(), *taken);
        if (!out || *out > a.first) {
            continue;
        }
        waited.push_back(static_cast<double>(*taken - a.written) / kNsPerMs);
        built.push_back(static_cast<double>(*out - *taken) / kNsPerMs);
        delivered.push_back(static_cast<double>(a.first - *out) / kNsPerMs);
        handed.push_back(static_cast<double>(*out - a.written) / kNsPerMs);
    }
    const double p99 = percentile(latency, 99);
    const double handedP99 = percentile(handed, 99);
    const double ptyTransfer = percentile(transfer, 99);
    const double lineTransferMs =
        static_cast<double>(bytes * kBitsPerByte) / static_cast<double>(kLineBaud) * 1000;
    tableHead();
    info(QStringLiteral("Request latency, \"!!\" written to first byte of the packet"),
         QStringLiteral("p50 %1, p99 %2, largest %3 (%4 answered, %5 failed)")
             .arg(ms(percentile(latency, 50)), ms(p99), ms(largest(latency)))
             .arg(latency.size())
             .arg(failed));
    // The line's share of each answer, from the Output call to the first byte at the far end, is
    // this line's transfer time; what is left is the simulator's.
    row(QStringLiteral("Request latency less the line's delivery of the packet (\"!!\" written "
                       "to the packet handed to the port)"),
        QStringLiteral("p50 %1, p99 %2, largest %3 (%4 requests)")
            .arg(ms(percentile(handed, 50)), ms(handedP99), ms(largest(handed)))
            .arg(handed.size()),
        QStringLiteral("p99 within 100 ms; the packet's transfer time on the line comes on top "
                       "(here the delivery below, first to last byte %1; %2 bytes would take %3 "
                       "at 9600 baud)")
            .arg(ms(ptyTransfer))
            .arg(bytes)
            .arg(ms(lineTransferMs)),
        failed == 0 && handed.size() == latency.size() && handedP99 <= kTickMs);
    info(
        QStringLiteral("To the last byte of the packet"),
        QStringLiteral("p50 %1, p99 %2").arg(ms(percentile(whole, 50)), ms(percentile(whole, 99))));
    info(QStringLiteral("Request waiting for the scheduler tick to take it"),
         QStringLiteral("p50 %1, p99 %2, largest %3")
             .arg(ms(percentile(waited, 50)), ms(percentile(waited, 99)), ms(largest(waited))));
    info(QStringLiteral("Building the packet (request taken to Output call)"),
         QStringLiteral("p50 %1, p99 %2, largest %3")
             .arg(ms(percentile(built, 50)), ms(percentile(built, 99)), ms(largest(built))));
    info(QStringLiteral("Output call to first byte at the far end"),
         QStringLiteral("p50 %1, p99 %2, largest %3")
             .arg(ms(percentile(delivered, 50)), ms(percentile(delivered, 99)),
                  ms(largest(delivered))));
}

void reportBusyLine(const FarResults& far, const Usage& usage) {
    long long packets = 0;
    long long noisy = 0;
    for (const Block& block : far.blocks) {
        if (block.first < usage.startNs || block.first > usage.stopNs) {
            continue;
        }
        if (block.hole != "-") {
            ++packets;
        }
        if (!block.complete || block.garbage > 0) {
            ++noisy;
        }
    }
    info(QStringLiteral("Received at the far end"),
         QStringLiteral("%1 bytes in all; while measured %2 packets with a hole depth (%3 a "
                        "second), %4 blocks with noise; %5 stray lines in all")
             .arg(far.bytes)
             .arg(packets)
             .arg(static_cast<double>(packets) / usage.seconds, 0, 'f', 2)
             .arg(noisy)
             .arg(far.garbageOutside));
}

// Counts the paint events each widget gets, from when it is armed.
class PaintCensus : public QObject {
public:
    void arm() { armed_ = true; }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed_ && event->type() == QEvent::Paint) {
            QString name = watched->objectName();
            if (name.isEmpty()) {
                name = QString::fromLatin1(watched->metaObject()->className()) +
                       QStringLiteral(" in ") +
                       (watched->parent() ? watched->parent()->objectName() : QString());
            }
            ++counts_[name];
        }
        return false;
    }
    void report(double seconds) const {
        std::vector<std::pair<int, QString>> sorted;
        for (auto it = counts_.cbegin(); it != counts_.cend(); ++it) {
            sorted.emplace_back(it.value(), it.key());
        }
        std::sort(sorted.rbegin(), sorted.rend());
        std::printf("| Widget | Paint events a second |\n|---|---|\n");
        for (const auto& [count, name] : sorted) {
            std::printf("| %s | %.2f |\n", name.toUtf8().constData(),
                        static_cast<double>(count) / seconds);
        }
    }

private:
    bool armed_ = false;
    QHash<QString, int> counts_;
};

template <class T> T* named(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (found == nullptr) {
        fail(name);
    }
    return found;
}

void click(QWidget& window, const char* name) {
    QTest::mouseClick(named<QAbstractButton>(window, name), Qt::LeftButton);
}

Options parseOptions(int argc, char** argv) {
    if (argc < 2) {
        fail("usage: kestrune-bench period|request|idle|busy|paints [SECONDS|COUNT]");
    }
    Options options;
    const std::string mode = argv[1];
    if (mode == "period") {
        options.mode = Mode::Period;
    } else if (mode == "request") {
        options.mode = Mode::Request;
    } else if (mode == "idle") {
        options.mode = Mode::Idle;
        options.seconds = 120;
    } else if (mode == "busy") {
        options.mode = Mode::Busy;
        options.seconds = 120;
    } else if (mode == "paints") {
        options.mode = Mode::Paints;
        options.seconds = 30;
    } else {
        fail("unknown mode");
    }
    if (argc > 2) {
        const double value = std::strtod(argv[2], nullptr);
        if (!(value > 0)) {
            fail("the length must be above 0");
        }
        options.seconds = value;
        options.count = static_cast<int>(value);
    }
    return options;
}

int simulate(int argc, char** argv, const Options& options, const SocatLine& line, int control,
             int results) {
    app::prepareProcess();
    QApplication application(argc, argv);
    app::setUpApplication();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KESTRUNE_COM1"), QString::fromStdString(line.near()));

    serial::QtCommPort device(environment);
    bench::TimedPort timed(device);
    SystemClock clock;
    DefaultRandomSource random;
    const bool timing = options.mode == Mode::Period || options.mode == Mode::Request;
    app::WindowServices services;
    // The load runs see the port exactly as the program does.
    services.port = timing ? static_cast<serial::MSComm*>(&timed) : &device;
    services.clock = &clock;
    services.random = &random;
    services.programFolder = QCoreApplication::applicationDirPath();
    services.environment = environment;
    services.liveTimers = true;

    auto window = std::make_unique<app::fm_kestrune>(services);
    window->Form_Load();
    if (!device.PortOpen()) {
        fail("port 1 did not open on the line");
    }
    for (const QByteArray& name : qgetenv("KESTRUNE_BENCH_HALT").split(',')) {
        if (!name.isEmpty()) {
            if (app::Ticker* ticker = window->timer(name.constData())) {
                ticker->halt();
            } else {
                fail("KESTRUNE_BENCH_HALT names no timer");
            }
        }
    }
    PaintCensus census;
    if (options.mode == Mode::Paints) {
        application.installEventFilter(&census);
    }
    std::vector<std::int64_t> ticks;
    QObject::connect(window->timer("tmrDataArrival"), &app::Ticker::tick,
                     [&ticks] { ticks.push_back(monotonicNs()); });

    switch (options.mode) {
    case Mode::Period:
        click(*window, "op_on_bottom");
        click(*window, "op_01sec");
        click(*window, "cmd_start_wits");
        break;
    case Mode::Request:
        click(*window, "op_sim_pason_req");
        click(*window, "cmd_start_wits");
        break;
    case Mode::Idle:
    case Mode::Paints:
        break;
    case Mode::Busy:
        named<QLineEdit>(*window, "txt_msg_timer")->setText(QStringLiteral("0"));
        click(*window, "chk_random_noise");
        click(*window, "cmd_start_wits");
        break;
    }

    Usage usage;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&usage] { usage.sample(); });
    QByteArray farText;
    std::unique_ptr<QSocketNotifier> answers;
    QTimer::singleShot(kSettleMs, Qt::PreciseTimer, [&] {
        usage.start();
        census.arm();
        sampler.start(kSampleMs);
        if (options.mode == Mode::Request) {
            const char go = 'g';
            if (::write(control, &go, 1) != 1) {
                fail("cannot start the far end");
            }
            answers = std::make_unique<QSocketNotifier>(results, QSocketNotifier::Read);
            QObject::connect(answers.get(), &QSocketNotifier::activated, [&] {
                char buffer[4096];
                const ssize_t got = ::read(results, buffer, sizeof buffer);
                if (got > 0) {
                    farText.append(buffer, got);
                } else {
                    answers->setEnabled(false);
                    QCoreApplication::quit();
                }
            });
        } else {
            QTimer::singleShot(static_cast<int>(options.seconds * 1000), Qt::PreciseTimer,
                               &application, &QCoreApplication::quit);
        }
    });
    QApplication::exec();
    usage.stop();
    sampler.stop();
    ::close(control);
    farText += readAll(results);
    window.reset();

    const FarResults far = parseResults(farText);
    switch (options.mode) {
    case Mode::Period:
        reportPeriod(far, timed, ticks);
        break;
    case Mode::Request:
        reportRequest(far, timed);
        break;
    case Mode::Idle:
        tableHead();
        reportUsage(usage, true);
        break;
    case Mode::Busy:
        tableHead();
        reportUsage(usage, false);
        reportBusyLine(far, usage);
        break;
    case Mode::Paints:
        census.report(usage.seconds);
        break;
    }
    std::printf("\nQt %s, platform %s.\n", qVersion(),
                QGuiApplication::platformName().toUtf8().constData());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    SocatLine line;
    if (!line.start()) {
        fail("socat did not make the line");
    }
    int control[2];
    int results[2];
    if (pipe2(control, O_CLOEXEC) != 0 || pipe2(results, O_CLOEXEC) != 0) {
        fail("pipe");
    }
    // Forked before Qt starts, so the far end is a plain single-threaded process.
    const pid_t child = fork();
    if (child < 0) {
        fail("fork");
    }
    if (child == 0) {
        ::close(control[1]);
        ::close(results[0]);
        farEnd(line.far(), options.mode, options.count, control[0], results[1]);
    }
    ::close(control[0]);
    ::close(results[1]);
    const int code = simulate(argc, argv, options, line, control[1], results[0]);
    int status = 0;
    waitpid(child, &status, 0);
    std::fflush(stdout);
    return code != 0 ? code : (WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

#include "app/ticker.h"

#include <QPointer>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>
#endif

namespace kestrune::app {

Ticker::Ticker(const QString& name, int period, bool live, QObject* parent)
    : QObject(parent), period_(period), live_(live) {
    setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Ticker::deliver);
#ifdef Q_OS_LINUX
    if (live_) {
        fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd_ >= 0) {
            notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
            connect(notifier_, &QSocketNotifier::activated, this, &Ticker::expired);
        }
    }
#endif
    apply();
}

Ticker::~Ticker() {
    delete notifier_;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        ::close(fd_);
    }
#endif
}

bool Ticker::isActive() const {
    return fd_ >= 0 ? armed_ : timer_.isActive();
}

Status Ticker::setPeriod(qint64 period) {
    if (period < 0 || period > kMaxPeriod) {
        return Failure{QStringLiteral("Invalid property value")};
    }
    period_ = static_cast<int>(period);
    apply();
    return {};
}

void Ticker::halt() {
    live_ = false;
    apply();
}

void Ticker::apply() {
    const bool run = live_ && period_ != 0;
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        // Setting the time, or clearing it, also forgets an expiry not yet read, and retiming a
        // running ticker restarts its period, as a new interval should.
        itimerspec timing{};
        if (run) {
            timing.it_value.tv_sec = period_ / 1000;
            timing.it_value.tv_nsec = static_cast<long>(period_ % 1000) * 1000000L;
            timing.it_interval = timing.it_value;
        }
        armed_ = timerfd_settime(fd_, 0, &timing, nullptr) == 0 && run;
        return;
    }
#endif
    if (run) {
        timer_.start(period_);
    } else {
        timer_.stop();
    }
}

void Ticker::expired() {
#ifdef Q_OS_LINUX
    // Reading takes however many periods have passed; they make one tick.
    std::uint64_t periods = 0;
    if (::read(fd_, &periods, sizeof periods) != static_cast<ssize_t>(sizeof periods)) {
        return; // nothing due after all (EAGAIN) or retimed meanwhile
    }
#endif
    deliver();
}

void Ticker::deliver() {
    if (ticking_) {
        return; // the handler of the tick before is still running
    }
    ticking_ = true;
    const QPointer<Ticker> alive(this);
    emit tick();
    if (alive) {
        ticking_ = false;
    }
}

} // namespace kestrune::app

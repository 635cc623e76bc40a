#pragma once

#include "core/status.h"

#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace kestrune::app {

// A window timer: a period in milliseconds, 0 meaning stopped, at most kMaxPeriod. Each deadline
// is the previous one plus the period, so ticks do not drift; an overdue tick comes once, late;
// a tick that comes due while the ticker's own handler is still running (letting events run) is
// dropped. A ticker built without `live` keeps its period but never fires, so tests can call the
// handlers.
//
// On Linux a ticker wakes the event loop through a timerfd, to the microsecond. Qt's own timers
// round every wait up to a whole millisecond, so their ticks come up to 1 ms late, 0.5 ms on
// average; where no timerfd is to be had, the ticker uses one, always of the precise type, since
// a coarse timer may be 5 % off and falsify every rate shown.
class Ticker : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPeriod = 65535;

    Ticker(const QString& name, int period, bool live, QObject* parent);
    ~Ticker() override;

    int period() const { return period_; }
    Qt::TimerType timerType() const { return timer_.timerType(); }
    bool isActive() const;
    // Fails, changing nothing, for a period below 0 or above kMaxPeriod.
    Status setPeriod(qint64 period);
    // Ends all ticks for good (shutdown).
    void halt();

signals:
    void tick();

private:
    void apply();
    void expired();
    void deliver();

    QTimer timer_; // where there is no timerfd
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    bool armed_ = false;
    bool ticking_ = false;
    int period_;
    bool live_;
};

} // namespace kestrune::app

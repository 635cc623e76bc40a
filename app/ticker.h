#pragma once

#include "core/status.h"

#include <QObject>
#include <QTimer>

namespace kestrune::app {

// A window timer: a period in milliseconds, 0 meaning stopped, at most kMaxPeriod. Always of
// the precise type, since a coarse timer may be 5 % off and falsify every rate shown. A ticker
// built without `live` keeps its period but never fires, so tests can call the handlers.
class Ticker : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxPeriod = 65535;

    Ticker(const QString& name, int period, bool live, QObject* parent);

    int period() const { return period_; }
    Qt::TimerType timerType() const { return timer_.timerType(); }
    bool isActive() const { return timer_.isActive(); }
    // Fails, changing nothing, for a period below 0 or above kMaxPeriod.
    Status setPeriod(qint64 period);
    // Ends all ticks for good (shutdown).
    void halt();

signals:
    void tick();

private:
    void apply();

    QTimer timer_;
    int period_;
    bool live_;
};

} // namespace kestrune::app

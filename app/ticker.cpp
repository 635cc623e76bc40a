#include "app/ticker.h"

namespace kestrune::app {

Ticker::Ticker(const QString& name, int period, bool live, QObject* parent)
    : QObject(parent), period_(period), live_(live) {
    setObjectName(name);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Ticker::tick);
    apply();
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
    timer_.stop();
}

void Ticker::apply() {
    if (!live_ || period_ == 0) {
        timer_.stop();
        return;
    }
    // Retiming a running timer restarts its period, as a new interval should.
    timer_.start(period_);
}

} // namespace kestrune::app

#include "pumps/pump_policy.h"

#include "core/numeric_text.h"
#include "pumps/pump_strokes.h"

#include <QByteArray>

namespace kestrune::pumps {

namespace {

bool pumpsRunning(const PumpWindow& window) {
    return window.pumpTimerPeriod(1) > 0;
}

Status stopAllPumps(PumpWindow& window) {
    for (int pump = 1; pump <= kPumpCount; ++pump) {
        if (Status stopped = window.setPumpTimerPeriod(pump, 0); !stopped.ok()) {
            return stopped;
        }
    }
    for (int pump = 1; pump <= kPumpCount; ++pump) {
        window.setPumpSpmText(pump, kStoppedRateText);
    }
    return {};
}

Status startAllPumps(PumpWindow& window, RandomSource& random) {
    for (int pump = 1; pump <= kPumpCount; ++pump) {
        const auto rate = static_cast<float>(random.next() * kRandomRateSpan);
        window.setPumpSpmText(pump, text::singleSignPosition(rate));
    }
    for (int pump = 1; pump <= kPumpCount; ++pump) {
        QByteArray shown = window.pumpSpmText(pump);
        shown.removeIf([](char c) { return c == ' '; });
        window.setPumpSpmText(pump, shown);
    }
    // The period follows the seven-digit text, not the unrounded draw.
    for (int pump = 1; pump <= kPumpCount; ++pump) {
        const Result<double> rate = text::numericValue(window.pumpSpmText(pump));
        if (!rate.ok()) {
            return rate.status();
        }
        const Result<qint64> period = runnablePeriod(*rate);
        if (!period.ok()) {
            return period.status();
        }
        if (Status set = window.setPumpTimerPeriod(pump, *period); !set.ok()) {
            return set;
        }
    }
    return {};
}

} // namespace

Status pumpRunPolicy(const sim_state& state, PumpWindow& window, RandomSource& random) {
    // Each check reads the option, the bottom state and the run indicator afresh; one option is
    // selected, so at most one of them acts.
    if (window.pumpPolicy() == PumpPolicy::OffWhenOffBottom && state.off_bottom &&
        pumpsRunning(window)) {
        if (Status stopped = stopAllPumps(window); !stopped.ok()) {
            return stopped;
        }
    }
    if (window.pumpPolicy() == PumpPolicy::AlwaysOff && pumpsRunning(window)) {
        if (Status stopped = stopAllPumps(window); !stopped.ok()) {
            return stopped;
        }
    }
    if (window.pumpPolicy() == PumpPolicy::AlwaysOn && !pumpsRunning(window)) {
        if (Status started = startAllPumps(window, random); !started.ok()) {
            return started;
        }
    }
    if (window.pumpPolicy() == PumpPolicy::OffWhenOffBottom && !state.off_bottom &&
        !pumpsRunning(window)) {
        if (Status started = startAllPumps(window, random); !started.ok()) {
            return started;
        }
    }
    return {};
}

} // namespace kestrune::pumps

#include "pumps/pump_strokes.h"

#include "core/numeric_text.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace kestrune::pumps {

namespace {

constexpr double kSecondsPerMinute = 60;
constexpr double kMsPerSecond = 1000;

const Failure kDivisionByZero{QStringLiteral("Division by zero")};
const Failure kOverflow{QStringLiteral("Overflow")};

constexpr std::int32_t sim_state::*kPumpCounts[kPumpCount] = {
    &sim_state::pump1_strokes, &sim_state::pump2_strokes, &sim_state::pump3_strokes};

std::int32_t& pumpCount(sim_state& state, int pump) {
    Q_ASSERT(pump >= 1 && pump <= kPumpCount);
    return state.*kPumpCounts[pump - 1];
}

// A stroke count one up, or left where it stands rather than wrap.
std::int32_t counted(std::int32_t count) {
    return count < std::numeric_limits<std::int32_t>::max() ? count + 1 : count;
}

// The count a count box's figure stands for; a figure that does not fit keeps the old count.
void takeCount(std::int32_t& count, QByteArrayView figure) {
    const Result<double> value = text::numericValue(figure);
    if (!value.ok()) {
        return;
    }
    const Result<std::int32_t> whole = text::toInt32(*value);
    if (whole.ok()) {
        count = *whole;
    }
}

} // namespace

Result<qint64> strokePeriod(double rate) {
    // Every fault IEEE arithmetic would flag is caught here explicitly: an infinite rate would
    // otherwise slip through as a period of 0.
    if (!std::isfinite(rate)) {
        return kOverflow;
    }
    const double strokesPerSecond = rate / kSecondsPerMinute;
    if (strokesPerSecond == 0) {
        return kDivisionByZero;
    }
    const double period = 1 / strokesPerSecond * kMsPerSecond;
    if (!std::isfinite(period)) {
        return kOverflow;
    }
    const Result<std::int32_t> whole = text::toInt32(period);
    if (!whole.ok()) {
        return Failure{whole.description()};
    }
    return qint64{*whole};
}

Result<qint64> runnablePeriod(double rate) {
    if (rate == 0) {
        return qint64{0};
    }
    Result<qint64> period = strokePeriod(rate);
    // A positive finite rate fails the rule only by being too slow, never too fast.
    const bool tooSlow =
        rate > 0 && std::isfinite(rate) && (!period.ok() || *period > kMaxStrokePeriod);
    if (tooSlow) {
        return kMaxStrokePeriod;
    }
    return period;
}

void pumpStroke(sim_state& state, PumpWindow& window, int pump) {
    const std::optional<Rgb> colour = window.pumpSpmBackColour(pump);
    window.setPumpSpmBackColour(pump, colour == kStrokeGrey ? kStrokeWhite : kStrokeGrey);

    std::int32_t& count = pumpCount(state, pump);
    count = counted(count);
    window.setPumpTsText(pump, text::signPositionInt(count));

    state.total_strokes = counted(state.total_strokes);
    window.setTotalStrokesText(text::plainInt(state.total_strokes));
}

void tmr_pump1_Timer(sim_state& state, PumpWindow& window) {
    pumpStroke(state, window, 1);
}
void tmr_pump2_Timer(sim_state& state, PumpWindow& window) {
    pumpStroke(state, window, 2);
}
void tmr_pump3_Timer(sim_state& state, PumpWindow& window) {
    pumpStroke(state, window, 3);
}

void checkRate(PumpWindow& window, int pump) {
    Q_ASSERT(pump >= 1 && pump <= kPumpCount);
    const Result<double> rate = text::numericValue(window.pumpSpmText(pump));
    // A rate beyond the range of a double is out of range as well. Writing the default changes
    // the text again, so this check runs once more on it and passes.
    if (!rate.ok() || *rate < 0 || *rate > kMaxRate) {
        window.setPumpSpmText(pump, kDefaultRateTexts[pump - 1]);
    }
}

void txt_Pump1SPM_Change(PumpWindow& window) {
    checkRate(window, 1);
}
void txt_Pump2SPM_Change(PumpWindow& window) {
    checkRate(window, 2);
}
void txt_Pump3SPM_Change(PumpWindow& window) {
    checkRate(window, 3);
}

void applyRate(PumpWindow& window, int pump) {
    const Result<double> rate = text::numericValue(window.pumpSpmText(pump));
    if (!rate.ok()) {
        // The rate check never leaves such a text in the box.
        return;
    }
    if (*rate == 0) {
        window.setPumpSpmText(pump, kStoppedRateText);
    }
    const Result<qint64> period = runnablePeriod(*rate);
    if (period.ok()) {
        // The period is within the timer's range for every rate the rate check lets through, so
        // the timer cannot refuse it.
        (void)window.setPumpTimerPeriod(pump, *period);
    }
}

void txt_Pump1SPM_LostFocus(PumpWindow& window) {
    applyRate(window, 1);
}
void txt_Pump2SPM_LostFocus(PumpWindow& window) {
    applyRate(window, 2);
}
void txt_Pump3SPM_LostFocus(PumpWindow& window) {
    applyRate(window, 3);
}

void txt_Pump1TS_LostFocus(sim_state& state, PumpWindow& window) {
    takeCount(state.pump1_strokes, window.pumpTsText(1));
}
void txt_Pump2TS_LostFocus(sim_state& state, PumpWindow& window) {
    takeCount(state.pump2_strokes, window.pumpTsText(2));
}
void txt_Pump3TS_LostFocus(sim_state& state, PumpWindow& window) {
    takeCount(state.pump3_strokes, window.pumpTsText(3));
}
void txt_TotalStrokes_LostFocus(sim_state& state, PumpWindow& window) {
    takeCount(state.total_strokes, window.totalStrokesText());
}

void cmd_Reset_TS_Click(sim_state& state) {
    state.total_strokes = 0;
}

} // namespace kestrune::pumps

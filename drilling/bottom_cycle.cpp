#include "drilling/bottom_cycle.h"

#include "drilling/depth_engine.h"

#include "core/numeric_text.h"
#include "drilling/drilling_constants.h"
#include "drilling/finite.h"

#include <optional>

namespace kestrune::drilling {

namespace {

// Counts a cycle timer down by one second; true when it has run out. A timer already at 0 runs
// out at once.
bool countDown(std::int32_t& timer) {
    if (timer > 0) {
        --timer;
    }
    return timer == 0;
}

std::optional<std::int32_t> timedOnBottomPeriod(BottomMode mode) {
    switch (mode) {
    case BottomMode::Every10:
        return kEvery10OnBottom;
    case BottomMode::Every30:
        return kEvery30OnBottom;
    case BottomMode::Every60:
        return kEvery60OnBottom;
    case BottomMode::OnBottom:
    case BottomMode::OffBottom:
    case BottomMode::Every32:
        break;
    }
    return std::nullopt;
}

void runTimedCycle(sim_state& state, std::int32_t onBottomPeriod) {
    if (state.off_bottom && countDown(state.off_bottom_timer)) {
        state.off_bottom_timer = kTimedOffBottom;
        state.off_bottom = false;
    }
    // The tick that brings the bit back already counts its first second on bottom.
    if (!state.off_bottom && countDown(state.on_bottom_timer)) {
        state.on_bottom_timer = onBottomPeriod;
        state.off_bottom = true;
    }
}

Status maintenanceTick(sim_state& state, DrillingWindow& window) {
    if (state.noise_holdoff > 0) {
        --state.noise_holdoff;
    }
    if (!state.wits_running) {
        window.blinkStep();
    }
    if (window.bottom_mode() == BottomMode::OnBottom) {
        state.off_bottom = false;
    } else if (window.bottom_mode() == BottomMode::OffBottom) {
        state.off_bottom = true;
    }
    if (Status s = window.pumpRunPolicy(); !s) {
        return s;
    }
    if (const std::optional<std::int32_t> period = timedOnBottomPeriod(window.bottom_mode())) {
        runTimedCycle(state, *period);
    }
    if (window.bottom_mode() == BottomMode::Every32 && state.off_bottom &&
        countDown(state.off_bottom_timer)) {
        state.off_bottom_timer = kAfterConnection;
        state.off_bottom = false;
    }
    window.set_txt_on_bot_timer_text(text::plainInt(state.on_bottom_timer));
    window.set_txt_off_bot_timer_text(text::plainInt(state.off_bottom_timer));
    return {};
}

Status rewriteDepthOnBottom(sim_state& state, DrillingWindow& window) {
    const Result<double> depth = text::numericValue(window.txt_depth_text());
    if (!depth) {
        return depth.status();
    }
    state.current_depth = *depth;
    const Result<QByteArray> depthText = text::pattern(state.current_depth, kDepthRewriteDecimals);
    if (!depthText) {
        return depthText.status();
    }
    window.set_txt_depth_text(*depthText);
    // The bit takes the depth as the box now shows it, to two decimals.
    const Result<double> bit = text::numericValue(window.txt_depth_text());
    if (!bit) {
        return bit.status();
    }
    state.bit_depth = *bit;
    const Result<QByteArray> bitText = text::pattern(state.bit_depth, kDepthRewriteDecimals);
    if (!bitText) {
        return bitText.status();
    }
    window.set_txt_bit_depth_text(*bitText);
    return {};
}

void setTimers(sim_state& state, std::int32_t offBottom, std::int32_t onBottom) {
    state.off_bottom_timer = offBottom;
    state.on_bottom_timer = onBottom;
}

// The option handlers have no label of their own; theirs is the controller's.
void reportIfFailed(DrillingWindow& window, const Status& status) {
    if (!status) {
        report(window, kMaintenanceErrLabel, status.description());
    }
}

} // namespace

void tmr_maintaince_Timer(sim_state& state, DrillingWindow& window) {
    reportIfFailed(window, maintenanceTick(state, window));
}

// The fixed modes load the timers of the 10-minute cycle.
void op_on_bottom_Click(sim_state& state, DrillingWindow& window) {
    setTimers(state, kTimedOffBottom, kEvery10OnBottom);
    reportIfFailed(window, rewriteDepthOnBottom(state, window));
}

void op_off_bottom_Click(sim_state& state, DrillingWindow& window) {
    setTimers(state, kTimedOffBottom, kEvery10OnBottom);
    reportIfFailed(window, liftBit(state, window, kDepthRewriteDecimals));
}

void op_off_bottom_10_Click(sim_state& state, DrillingWindow& window) {
    setTimers(state, kTimedOffBottom, kEvery10OnBottom);
    reportIfFailed(window, liftBit(state, window, kDepthRewriteDecimals));
}

void op_off_bottom_30_Click(sim_state& state, DrillingWindow& window) {
    setTimers(state, kTimedOffBottom, kEvery30OnBottom);
    reportIfFailed(window, liftBit(state, window, kDepthRewriteDecimals));
}

void op_off_bottom_60_Click(sim_state& state, DrillingWindow& window) {
    setTimers(state, kTimedOffBottom, kEvery60OnBottom);
    reportIfFailed(window, liftBit(state, window, kDepthRewriteDecimals));
}

void op_off_bottom_every32_Click(sim_state& state, DrillingWindow& /*window*/) {
    setTimers(state, kConnectionOffBottom, 0);
    state.footage_since_connection = 0;
}

} // namespace kestrune::drilling

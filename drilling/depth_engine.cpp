#include "drilling/depth_engine.h"

#include "core/numeric_text.h"
#include "drilling/drilling_constants.h"
#include "drilling/finite.h"

namespace kestrune::drilling {

namespace {

void showDrillingStatus(const sim_state& state, DrillingWindow& window) {
    if (state.off_bottom) {
        window.set_lbl_drilling_status_caption(kOffBottomCaption);
        window.set_lbl_drilling_status_back(kOffBottomBack);
        window.set_lbl_drilling_status_text_colour(kOffBottomText);
    } else {
        window.set_lbl_drilling_status_caption(kOnBottomCaption);
        window.set_lbl_drilling_status_back(kOnBottomBack);
        window.set_lbl_drilling_status_text_colour(kOnBottomText);
    }
}

Status connectionCountdown(sim_state& state, DrillingWindow& window) {
    if (window.bottom_mode() != BottomMode::Every32) {
        window.set_lbl_connection_info_caption("");
        return {};
    }
    const Result<double> feetLeft = finite(kConnectionInterval - state.footage_since_connection);
    if (!feetLeft) {
        return feetLeft.status();
    }
    const Result<QByteArray> feetText = text::patternExact(*feetLeft, kConnectionDecimals);
    if (!feetText) {
        return feetText.status();
    }
    window.set_lbl_connection_info_caption(kConnectionPrefix + *feetText + kConnectionSuffix);
    if (state.footage_since_connection >= kConnectionInterval) {
        state.footage_since_connection = 0;
        state.off_bottom_timer = kConnectionOffBottom;
        state.off_bottom = true;
    }
    return {};
}

Status showDiagnostics(const sim_state& state, DrillingWindow& window) {
    const Result<std::int32_t> counter = text::toInt32(state.rop_countdown);
    if (!counter) {
        return counter.status();
    }
    window.set_lbl_sec_timer_caption(kSecondsCounterPrefix + text::plainInt(*counter));
    window.set_lbl_TimerReload_caption(kTimerReloadPrefix + text::plainInt(state.rop_reload));
    return {};
}

void setRate(sim_state& state, std::int32_t secondsPerFoot) {
    state.rop_reload = secondsPerFoot;
    state.rop_countdown = secondsPerFoot;
}

Status stepOnBottom(sim_state& state, DrillingWindow& window, RandomRop& randomRop) {
    const Result<double> typed = text::numericValue(window.txt_depth_text());
    if (!typed) {
        return typed.status();
    }
    const Result<double> depth = finite(*typed + kDepthStep);
    if (!depth) {
        return depth.status();
    }
    state.current_depth = *depth;
    const Result<double> footage = finite(state.footage_since_connection + kDepthStep);
    if (!footage) {
        return footage.status();
    }
    state.footage_since_connection = *footage;
    const Result<QByteArray> depthText = text::pattern(state.current_depth, kDepthBoxDecimals);
    if (!depthText) {
        return depthText.status();
    }
    window.set_txt_depth_text(*depthText);
    state.bit_depth = state.current_depth;
    const Result<QByteArray> bitText = text::pattern(state.bit_depth, kDepthBoxDecimals);
    if (!bitText) {
        return bitText.status();
    }
    window.set_txt_bit_depth_text(*bitText);
    // The new rate takes over from the step just made, so each foot goes at one rate.
    if (window.op_RNDsec_selected() && randomRop.stepDrilled()) {
        setRate(state, randomRop.draw());
    }
    return {};
}

Status dataChangeTick(sim_state& state, DrillingWindow& window, RandomRop& randomRop) {
    showDrillingStatus(state, window);
    window.set_txt_depth_back(state.wits_running ? kDepthBackRunning : kDepthBackStopped);
    if (Status s = connectionCountdown(state, window); !s) {
        return s;
    }
    if (Status s = showDiagnostics(state, window); !s) {
        return s;
    }
    if (state.rop_countdown > 0) {
        state.rop_countdown -= 1;
    }
    if (state.rop_countdown != 0) {
        return {};
    }
    state.rop_countdown = state.rop_reload;
    return state.off_bottom ? liftBit(state, window, kDepthBoxDecimals)
                            : stepOnBottom(state, window, randomRop);
}

} // namespace

Status liftBit(sim_state& state, DrillingWindow& window, int decimals) {
    const Result<double> depth = text::numericValue(window.txt_depth_text());
    if (!depth) {
        return depth.status();
    }
    state.current_depth = *depth;
    const Result<double> bit = finite(state.current_depth - kBitLift);
    if (!bit) {
        return bit.status();
    }
    state.bit_depth = *bit;
    const Result<QByteArray> bitText = text::pattern(state.bit_depth, decimals);
    if (!bitText) {
        return bitText.status();
    }
    window.set_txt_bit_depth_text(*bitText);
    return {};
}

void old_tmr_data_chage_Timer(sim_state& state, DrillingWindow& window, RandomRop& randomRop) {
    if (const Status s = dataChangeTick(state, window, randomRop); !s) {
        report(window, kDataChangeErrLabel, s.description());
    }
}

void op_600sec_Click(sim_state& state) {
    setRate(state, kRop10MinPerFt);
}
void op_300sec_Click(sim_state& state) {
    setRate(state, kRop5MinPerFt);
}
void op_120sec_Click(sim_state& state) {
    setRate(state, kRop2MinPerFt);
}
void op_60sec_Click(sim_state& state) {
    setRate(state, kRop1MinPerFt);
}
void op_10sec_Click(sim_state& state) {
    setRate(state, kRop10SecPerFt);
}
void op_05sec_Click(sim_state& state) {
    setRate(state, kRop5SecPerFt);
}
void op_02sec_Click(sim_state& state) {
    setRate(state, kRop2SecPerFt);
}
void op_01sec_Click(sim_state& state) {
    setRate(state, kRop1SecPerFt);
}

void op_RNDsec_Click(sim_state& state, RandomRop& randomRop) {
    setRate(state, randomRop.draw());
}

} // namespace kestrune::drilling

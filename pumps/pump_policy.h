#pragma once

// The once-a-second step that stops the three pumps or starts them at new random rates, as the
// selected pump option and the bottom state ask.

#include "core/random_source.h"
#include "core/sim_state.h"
#include "core/status.h"
#include "pumps/pump_window.h"

namespace kestrune::pumps {

// Random rates lie in [0, kRandomRateSpan) SPM.
inline constexpr double kRandomRateSpan = 80;

// The pump run policy step of the maintenance tick. The period of tmr_pump1 alone tells whether
// the pumps run. Stopping zeroes the three periods, then writes "0" into the three rate boxes;
// starting draws three rates (pumps 1, 2, 3), writes them into the rate boxes, strips the blanks
// and sets each period from the text now shown. A failure ends the step where it happened and is
// returned for the tick to report.
Status pumpRunPolicy(const sim_state& state, PumpWindow& window, RandomSource& random);

} // namespace kestrune::pumps

#pragma once

// Bottom cycle controller: the once-a-second maintenance tick and the six bottom options.

#include "core/sim_state.h"
#include "drilling/drilling_window.h"

namespace kestrune::drilling {

// Noise hold-off, blink, fixed modes, pump run policy, timed and depth-driven cycles, timer
// displays, in that order. Stops at its first failure with a "Maintainance timer Err: " report.
void tmr_maintaince_Timer(sim_state& state, DrillingWindow& window);

// Each reloads its mode's timers; none moves the bit by itself. A depth text beyond the range
// of a double ends the depth rewrite with a "Maintainance timer Err: " report (timers already
// set stay set).
void op_on_bottom_Click(sim_state& state, DrillingWindow& window);
void op_off_bottom_Click(sim_state& state, DrillingWindow& window);
void op_off_bottom_10_Click(sim_state& state, DrillingWindow& window);
void op_off_bottom_30_Click(sim_state& state, DrillingWindow& window);
void op_off_bottom_60_Click(sim_state& state, DrillingWindow& window);
void op_off_bottom_every32_Click(sim_state& state, DrillingWindow& window);

} // namespace kestrune::drilling

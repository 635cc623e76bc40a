#pragma once

// Depth and ROP engine: the 100 ms data-change tick and the ROP options.

#include "core/sim_state.h"
#include "drilling/drilling_window.h"
#include "drilling/random_rop.h"

namespace kestrune::drilling {

// Status label, depth-box colour, connection countdown, diagnostics, ROP countdown and, when it
// is due, one depth step. Stops at its first failure with a "Data Change Timer Err: " report.
// While "ROP Random Sec/ Ft" is selected, each foot drilled on bottom draws a new rate from
// `randomRop`.
void old_tmr_data_chage_Timer(sim_state& state, DrillingWindow& window, RandomRop& randomRop);

// Each sets the rate and restarts the current 0.1 ft interval.
void op_600sec_Click(sim_state& state);
void op_300sec_Click(sim_state& state);
void op_120sec_Click(sim_state& state);
void op_60sec_Click(sim_state& state);
void op_10sec_Click(sim_state& state);
void op_05sec_Click(sim_state& state);
void op_02sec_Click(sim_state& state);
void op_01sec_Click(sim_state& state);
// Draws a random rate at once and restarts the interval with it.
void op_RNDsec_Click(sim_state& state, RandomRop& randomRop);

// The bit 36 ft above the hole: the hole depth re-read from its box, the bit depth shown with
// `decimals` decimals; the hole box is not rewritten.
Status liftBit(sim_state& state, DrillingWindow& window, int decimals);

} // namespace kestrune::drilling

#pragma once

// Decides when a packet is due: every txt_msg_timer seconds in the automatic modes, or on the
// Traskel's request marker in request mode. Also moves received bytes to the receive window.

#include "core/clock.h"
#include "core/random_source.h"
#include "core/sim_state.h"
#include "serial/comm_port.h"
#include "wits/wits_window.h"

namespace kestrune::wits {

// Period of tmrDataArrival and the seconds it adds to auto_send_elapsed per tick.
inline constexpr int kDataArrivalTickMs = 100;
inline constexpr double kAutoSendStep = 0.1;
// What the Traskel sends to ask for a packet in request mode.
inline constexpr char kRequestMarker[] = "!!";
inline constexpr char kTimerDataArrivalErrorLabel[] = "Timer Data Arrival Err: ";

// The tick handler of tmrDataArrival. A failure ends the tick and is appended to the send window
// after kTimerDataArrivalErrorLabel; the builder reports its own failures.
void tmrDataArrival_Timer(sim_state& state, WitsWindow& window, serial::MSComm& port,
                          const Clock& clock, RandomSource& random);

} // namespace kestrune::wits

#pragma once

// Stroke counting of the three pumps, the checking and applying of typed rates and counts, and
// the reset of the overall total.

#include "core/rgb.h"
#include "core/sim_state.h"
#include "core/status.h"
#include "pumps/pump_window.h"

#include <QByteArray>
#include <QtGlobal>

namespace kestrune::pumps {

// Rates typed into a rate box must lie in [0, kMaxRate] SPM.
inline constexpr double kMaxRate = 320;
// Start rate texts of the three rate boxes, put back whenever a box holds a rate out of range.
inline constexpr const char* kDefaultRateTexts[kPumpCount] = {"77", "82", "15"};
// What a rate box shows for a stopped pump.
inline constexpr char kStoppedRateText[] = "0";
// The stroke timers take periods up to this many ms.
inline constexpr qint64 kMaxStrokePeriod = 65535;

// A rate box flashes between these two colours, one change per stroke.
inline constexpr Rgb kStrokeGrey{231, 231, 231};
inline constexpr Rgb kStrokeWhite{255, 255, 255};

// Period in ms of one stroke at `rate` SPM: 1 / (rate / 60) * 1000, rounded halves to even.
// Fails on a floating-point fault (a rate of 0, a rate too small to divide by, a non-finite rate)
// or when the period leaves the signed 32-bit range.
Result<qint64> strokePeriod(double rate);

// The period a stroke timer can run `rate` at: 0 (stopped) for a rate of 0, and the longest
// period the timer allows for a positive rate too slow for it, including one so small that
// strokePeriod overflows. Any other rate gets strokePeriod's answer.
Result<qint64> runnablePeriod(double rate);

// One stroke of pump 1, 2 or 3: flash its rate box, count the stroke for the pump and for the
// total and show both counts. A count at 2147483647 stays there.
void pumpStroke(sim_state& state, PumpWindow& window, int pump);
void tmr_pump1_Timer(sim_state& state, PumpWindow& window);
void tmr_pump2_Timer(sim_state& state, PumpWindow& window);
void tmr_pump3_Timer(sim_state& state, PumpWindow& window);

// Rate check at every change of a rate box: a rate below 0 or above kMaxRate, or one beyond the
// range of a double, is replaced by the pump's default rate text.
void checkRate(PumpWindow& window, int pump);
void txt_Pump1SPM_Change(PumpWindow& window);
void txt_Pump2SPM_Change(PumpWindow& window);
void txt_Pump3SPM_Change(PumpWindow& window);

// Applies the rate box's rate to the pump's stroke timer when the box loses the focus. A rate of
// 0 writes "0" into the box and stops the pump; any other rate leaves the text as typed.
void applyRate(PumpWindow& window, int pump);
void txt_Pump1SPM_LostFocus(PumpWindow& window);
void txt_Pump2SPM_LostFocus(PumpWindow& window);
void txt_Pump3SPM_LostFocus(PumpWindow& window);

// Takes the figure a count box shows as the count when the box loses the focus. A figure out of
// the signed 32-bit range is ignored and the count keeps its value; the box is not rewritten.
void txt_Pump1TS_LostFocus(sim_state& state, PumpWindow& window);
void txt_Pump2TS_LostFocus(sim_state& state, PumpWindow& window);
void txt_Pump3TS_LostFocus(sim_state& state, PumpWindow& window);
void txt_TotalStrokes_LostFocus(sim_state& state, PumpWindow& window);

// "Reset Total Strokes": the total goes to 0; its box keeps the old figure until the next stroke.
void cmd_Reset_TS_Click(sim_state& state);

} // namespace kestrune::pumps

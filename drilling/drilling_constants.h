#pragma once

// Fixed numbers, texts and colours of the drilling simulation.

#include "core/rgb.h"

#include <cstdint>

namespace kestrune::drilling {

// Failure reports in the send window: label followed directly by the description.
inline constexpr char kDataChangeErrLabel[] = "Data Change Timer Err: ";
inline constexpr char kMaintenanceErrLabel[] = "Maintainance timer Err: ";

// Depth engine.
inline constexpr double kDepthStep = 0.1;           // ft drilled per step on bottom
inline constexpr double kBitLift = 36.0;            // ft the bit stands above the hole off bottom
inline constexpr double kConnectionInterval = 32.0; // ft of footage between connections
inline constexpr int kDepthBoxDecimals = 1;         // "0.0" after a depth step
inline constexpr int kDepthRewriteDecimals = 2;     // "0.00" from the bottom options
inline constexpr int kConnectionDecimals = 2;       // "0.00" in the connection countdown

inline constexpr char kOnBottomCaption[] = "  ON BOTTOM  ";
inline constexpr char kOffBottomCaption[] = "  OFF BOTTOM  ";
inline constexpr Rgb kOnBottomBack{0, 255, 0};
inline constexpr Rgb kOnBottomText{0, 0, 0};
inline constexpr Rgb kOffBottomBack{255, 128, 0};
inline constexpr Rgb kOffBottomText{255, 255, 255};
inline constexpr Rgb kDepthBackRunning{255, 255, 255};
inline constexpr Rgb kDepthBackStopped{255, 0, 0};

inline constexpr char kConnectionPrefix[] = "Connection in ";
inline constexpr char kConnectionSuffix[] = " ft";
inline constexpr char kSecondsCounterPrefix[] = "Seconds Counter: ";
inline constexpr char kTimerReloadPrefix[] = "Timer Reload: ";

// Rates of penetration, seconds per foot: the reload of the 100 ms countdown.
inline constexpr std::int32_t kRop10MinPerFt = 600;
inline constexpr std::int32_t kRop5MinPerFt = 300;
inline constexpr std::int32_t kRop2MinPerFt = 120;
inline constexpr std::int32_t kRop1MinPerFt = 60;
inline constexpr std::int32_t kRop10SecPerFt = 10;
inline constexpr std::int32_t kRop5SecPerFt = 5;
inline constexpr std::int32_t kRop2SecPerFt = 2;
inline constexpr std::int32_t kRop1SecPerFt = 1;

// Random rate: a whole number of seconds per foot, redrawn at every foot drilled.
inline constexpr std::int32_t kRandomRopMin = 1;
inline constexpr std::int32_t kRandomRopMax = 600;
inline constexpr int kStepsPerFoot = 10;

// Bottom cycle, seconds.
inline constexpr std::int32_t kConnectionOffBottom = 300; // off bottom at each connection
inline constexpr std::int32_t kAfterConnection = 600;     // off-bottom timer once back on bottom
inline constexpr std::int32_t kTimedOffBottom = 180;      // off-bottom phase of the timed cycles
inline constexpr std::int32_t kEvery10OnBottom = 600;
inline constexpr std::int32_t kEvery30OnBottom = 1800;
inline constexpr std::int32_t kEvery60OnBottom = 3600;

} // namespace kestrune::drilling

#pragma once

// Fixed texts and bounds of the main window.

#include "wits/send_scheduler.h"
#include "wits/wits_window.h"

namespace kestrune::app {

inline constexpr char kWindowName[] = "fm_kestrune";
inline constexpr char kTitlePrefix[] = "Kestrune Version: ";
inline constexpr int kMajorVersion = 14;

inline constexpr char kStoppedCaption[] = "Kestrune Stopped";
inline constexpr char kRunningCaption[] = "Kestrune Running";
using wits::kFullWitsCaption;
using wits::kHalfWitsCaption;

inline constexpr char kStartupErrLabel[] = "Startup Err: ";

// Traffic windows: trimmed to their last `keep` characters once longer than `trim above`.
inline constexpr int kSendTrimAbove = 5000;
inline constexpr int kSendKeepLast = 4500;
inline constexpr int kReceiveTrimAbove = 17000;
inline constexpr int kReceiveKeepLast = 16000;

// Timer start periods, ms. The stroke periods are 60000 ms over the start rates 77, 82, 15.
inline constexpr int kDataArrivalPeriod = wits::kDataArrivalTickMs;
inline constexpr int kDataChangePeriod = 100;
inline constexpr int kMaintenancePeriod = 1000;
inline constexpr int kPump1StartPeriod = 779;
inline constexpr int kPump2StartPeriod = 732;
inline constexpr int kPump3StartPeriod = 4000;

// Client area, twips.
inline constexpr int kClientWidthTwips = 8820;
inline constexpr int kClientHeightTwips = 8850;

} // namespace kestrune::app

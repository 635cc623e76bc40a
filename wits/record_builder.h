#pragma once

// Builds one WITS Level 0 packet from the selected template and the simulator state, and writes
// it to the serial port.

#include "core/clock.h"
#include "core/random_source.h"
#include "core/sim_state.h"
#include "core/status.h"
#include "serial/comm_port.h"
#include "wits/wits_window.h"

#include <QByteArray>
#include <cstdint>

namespace kestrune::wits {

inline constexpr char kSendWitsErrorLabel[] = "Send WITS Error: ";
inline constexpr char kLastPacketSentPrefix[] = "Last packet sent ";
inline constexpr char kLastPacketSentTimeFormat[] = "hh:mm:ss";
inline constexpr char kPktSizePrefix[] = "Pkt Size: ";
// Lines holding this marker go out only in the Pason modes.
inline constexpr char kPasonMarker[] = "PASON";
inline constexpr int kItemCodeLength = 4;

// Line noise: the draws scale r by these spans.
inline constexpr double kNoiseHoldoffSpan = 15;
inline constexpr double kNoisePassSpan = 8;
inline constexpr double kNoiseByteSpan = 254;
// The noise position is drawn this many characters short of the packet's end.
inline constexpr double kNoisePositionBack = 5;
// Packets of at most this many characters are left clean.
inline constexpr qsizetype kNoiseMinLength = 10;
// Characters before the inserted byte that are sent twice.
inline constexpr qsizetype kNoiseRepeatedChars = 2;

// The handler: builds the packet the cmd_wits_type caption selects, shows it and writes it in
// one Output call. Does nothing when the port is closed. A failure is appended to the send
// window after kSendWitsErrorLabel and the packet is not written.
void Send_Wits_Out_Serial_Port(sim_state& state, WitsWindow& window, serial::MSComm& port,
                               const Clock& clock, RandomSource& random);

// Corrupts a finished packet as a noisy line would and draws the next hold-off into
// `noise_holdoff`. The caller decides whether noise is due.
Status addLineNoise(QByteArray& packet, std::int32_t& noise_holdoff, RandomSource& random);

} // namespace kestrune::wits

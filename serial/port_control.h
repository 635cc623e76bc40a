#pragma once

// Choosing, opening and closing the port from the window's two boxes, and typed keys.

#include "core/status.h"
#include "serial/comm_port.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace kestrune::serial {

inline constexpr char kCommErrLabel[] = "COMM Err: ";
inline constexpr char kKeypressErrLabel[] = "Keypress Error: ";
inline constexpr char kPortInUseMessage[] = "The comm port is being used by another app.";
inline constexpr char kPortButtonCaption[] = "Com Port";
inline constexpr char kPortInactiveCaption[] = "Port Inactive";

// How the port button looks: as loaded, open, or closed by the button.
enum class PortLook { Initial, Active, Inactive };

// "Port " + number + " Active".
QByteArray activeCaption(int portNumber);

// The port number of a port box text: its numeric value rounded halves-to-even into 16 bits.
Result<std::int16_t> portNumberFromText(QByteArrayView text);
// The settings text of a baud box text: its leading number alone, in plain decimal
// ("9600,n,8,1" gives 9600, a text without a number gives 0).
Result<QByteArray> settingsFromText(QByteArrayView text);

// Start-up's port steps. Every step is tried even after one fails; true when none failed.
bool openAtStartup(MSComm& port, QByteArrayView portText, QByteArrayView baudText);

// The port button: opens a closed port from the boxes or closes an open one. Stops at the first
// failure (steps already done stay done) and returns it; on success the button's new look.
Result<PortLook> togglePort(MSComm& port, QByteArrayView portText, QByteArrayView baudText);

// A key typed into the send window goes out as its one byte while the port is open.
Status sendTypedKey(MSComm& port, int code);

} // namespace kestrune::serial

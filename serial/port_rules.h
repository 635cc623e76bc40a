#pragma once

// What every serial-port service shares: the state it starts in, how it reads its inputs and the
// words of its refusals, so the real port and the test double behave alike.

#include "core/status.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace kestrune::serial {

inline constexpr int kInitialPortNumber = 1;
inline constexpr qint32 kInitialBaudRate = 9600;

inline constexpr char kNotOpenMessage[] = "Port not open";
inline constexpr char kAlreadyOpenMessage[] = "Port already open";
inline constexpr char kOpenPortMessage[] = "Operation valid only when the port is closed";

// The baud rate from a settings text that holds it alone: a positive decimal number, digits only.
Result<qint32> parseBaudRate(const QByteArray& settings);

// Fails for a negative length; 0 and above are valid.
Status checkInputLen(int length);

} // namespace kestrune::serial

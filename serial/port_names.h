#pragma once

// Which device a port number stands for. An environment variable KESTRUNE_COM<N> holding a device
// path names port N and wins over the built-in mapping, so any device (a pseudo-terminal, a
// by-id link) can be reached through a number.

#include "core/status.h"

#include <QProcessEnvironment>
#include <QString>

namespace kestrune::serial {

inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 96;
// Numbers come in blocks of this size per device family: ttyS, then ttyUSB, then ttyACM.
inline constexpr int kPortsPerFamily = 32;
inline constexpr char kPortVariablePrefix[] = "KESTRUNE_COM";

// The environment variable that names the device of port `number`.
QString portVariableName(int number);

// The device path of port `number`, or why the number names no device.
Result<QString> devicePathForPort(int number, const QProcessEnvironment& env);

// One line for a tool tip: the device behind the number, or why there is none.
QString portToolTip(int number, const QProcessEnvironment& env);

} // namespace kestrune::serial

#pragma once

// The number conversions every text box and packet item goes through. Texts are 8-bit
// byte strings, one byte per character.

#include "core/status.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace kestrune::text {

// Numeric value of a text: blanks, tabs and line feeds are ignored wherever they stand; the
// longest leading run that reads as a decimal number (optional sign, digits, at most one point,
// optional exponent "e"/"E" with optional sign and at least one digit) gives the value; anything
// else ends the number; no leading number reads as 0. A number beyond the range of a double fails
// with "Overflow"; one too small to represent reads as 0.
Result<double> numericValue(QByteArrayView text);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4). A result outside the
// target type's range, or a NaN, fails with "Overflow".
Result<std::int16_t> toInt16(double value);
Result<std::int32_t> toInt32(double value);

// The decimal text of a double with at most 15 significant digits (2000.0999999999999 -> 2000.1).
QByteArray fifteenDigits(double value);

// Patterns "0.0" (decimals = 1) and "0.00" (decimals = 2) applied to the 15-significant-digit text
// of the value: at least one digit before the point, exactly `decimals` after it, rounded half away
// from zero, no grouping, leading minus when negative. Infinity or NaN fails with "Overflow".
Result<QByteArray> pattern(double value, int decimals);

// The same patterns applied to the exact binary value of the double itself.
Result<QByteArray> patternExact(double value, int decimals);

// Plain integer text: 25, -4.
QByteArray plainInt(std::int64_t value);
// Sign-position integer text: a blank before zero and positive values (" 25"), -4 otherwise.
QByteArray signPositionInt(std::int64_t value);

// Single-precision number in sign-position form with at most seven significant digits, trailing
// zeros dropped, no zero before the point below 1: " 56.4438", " .5316", " 12", "-1.5".
QByteArray singleSignPosition(float value);

} // namespace kestrune::text

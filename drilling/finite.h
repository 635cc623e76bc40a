#pragma once

#include "core/status.h"

#include <cmath>

namespace kestrune::drilling {

inline constexpr char kOverflowDescription[] = "Overflow";

// The result of depth arithmetic, or "Overflow" when it left the range of a double.
inline Result<double> finite(double value) {
    if (!std::isfinite(value)) {
        return Failure{QString::fromLatin1(kOverflowDescription)};
    }
    return value;
}

} // namespace kestrune::drilling

#pragma once

// The rate behind "ROP Random Sec/ Ft": a whole number of seconds per foot, drawn anew at every
// foot drilled. It has a generator of its own so the shared random sequence of the line noise
// and the pumps is not disturbed by it.

#include <cstdint>
#include <random>

namespace kestrune::drilling {

class RandomRop {
public:
    static constexpr std::uint32_t kDefaultSeed = 5489u; // fixed: every run draws the same rates

    explicit RandomRop(std::uint32_t seed = kDefaultSeed) : engine_(seed) {}

    // A new rate, uniform over kRandomRopMin..kRandomRopMax s/ft; starts a new foot.
    std::int32_t draw();

    // Counts one on-bottom depth step; true when it completes a foot since the last draw.
    bool stepDrilled();

private:
    std::mt19937 engine_;
    int stepsThisFoot_ = 0;
};

} // namespace kestrune::drilling

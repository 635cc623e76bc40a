#include "drilling/random_rop.h"

#include "drilling/drilling_constants.h"

namespace kestrune::drilling {

std::int32_t RandomRop::draw() {
    stepsThisFoot_ = 0;
    // Rejection keeps every rate equally likely and the sequence the same on every standard
    // library (std::uniform_int_distribution differs from one library to another).
    constexpr std::uint64_t kRange = kRandomRopMax - kRandomRopMin + 1;
    constexpr std::uint64_t kOutputs = std::uint64_t{std::mt19937::max()} + 1;
    constexpr std::uint64_t kLimit = kOutputs - kOutputs % kRange;
    std::uint64_t value = engine_();
    while (value >= kLimit) {
        value = engine_();
    }
    return kRandomRopMin + static_cast<std::int32_t>(value % kRange);
}

bool RandomRop::stepDrilled() {
    ++stepsThisFoot_;
    return stepsThisFoot_ >= kStepsPerFoot;
}

} // namespace kestrune::drilling

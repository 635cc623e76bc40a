#include "core/random_source.h"

namespace kestrune {

double DefaultRandomSource::next() {
    // The top 53 bits of one 64-bit draw, scaled by 2^-53: a multiple of 2^-53 in [0, 1).
    return static_cast<double>(engine_() >> 11) * 0x1p-53;
}

double SequenceRandomSource::next() {
    const std::size_t index = drawn_++;
    if (values_.empty()) {
        return 0.0;
    }
    return values_[index % values_.size()];
}

} // namespace kestrune

#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace kestrune {

// Uniform values r with 0 <= r < 1, shared by the line noise and the pump policy.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double next() = 0;
};

// Never seeded by the program: every start draws the same sequence.
class DefaultRandomSource final : public RandomSource {
public:
    double next() override;

private:
    std::mt19937_64 engine_; // default seed
};

// Hands out a fixed list in order, then repeats it; for tests.
class SequenceRandomSource final : public RandomSource {
public:
    explicit SequenceRandomSource(std::vector<double> values) : values_(std::move(values)) {}
    double next() override;
    std::size_t drawn() const { return drawn_; }

private:
    std::vector<double> values_;
    std::size_t drawn_ = 0;
};

} // namespace kestrune

#pragma once

// Summaries of measured samples.

#include <vector>

namespace kestrune::bench {

double mean(const std::vector<double>& samples);
// Nearest-rank percentile, p in [0, 100]; 0 for no samples.
double percentile(std::vector<double> samples, double p);
double largest(const std::vector<double>& samples);

struct Line {
    double slope = 0;
    double intercept = 0;
};
// Least-squares straight line through (x, y).
Line fitLine(const std::vector<double>& x, const std::vector<double>& y);

} // namespace kestrune::bench

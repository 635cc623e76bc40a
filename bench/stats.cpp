#include "bench/stats.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kestrune::bench {

double mean(const std::vector<double>& samples) {
    if (samples.empty()) {
        return 0;
    }
    return std::accumulate(samples.begin(), samples.end(), 0.0) /
           static_cast<double>(samples.size());
}

double percentile(std::vector<double> samples, double p) {
    if (samples.empty()) {
        return 0;
    }
    std::sort(samples.begin(), samples.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(samples.size()));
    const auto index = static_cast<std::size_t>(std::max(rank, 1.0)) - 1;
    return samples[std::min(index, samples.size() - 1)];
}

double largest(const std::vector<double>& samples) {
    return samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());
}

Line fitLine(const std::vector<double>& x, const std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (n < 2) {
        return {};
    }
    const std::vector<double> xs(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
    const std::vector<double> ys(y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    const double mx = mean(xs);
    const double my = mean(ys);
    double sxy = 0;
    double sxx = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sxy += (xs[i] - mx) * (ys[i] - my);
        sxx += (xs[i] - mx) * (xs[i] - mx);
    }
    if (sxx == 0) {
        return {0, my};
    }
    const double slope = sxy / sxx;
    return {slope, my - slope * mx};
}

} // namespace kestrune::bench

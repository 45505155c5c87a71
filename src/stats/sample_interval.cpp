#include "stats/sample_interval.h"

#include <algorithm>
#include <cmath>

namespace vex {

namespace {
constexpr double kZ95 = 1.959963984540054;
}

std::optional<Interval> rateInterval95(long long hits, long long trials) {
    if (trials <= 0) return std::nullopt;
    const double n = static_cast<double>(trials);
    const double p = std::clamp(static_cast<double>(hits) / n, 0.0, 1.0);
    const double z2 = kZ95 * kZ95;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = kZ95 / (1 + z2 / n) * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    return Interval{100 * std::max(0.0, centre - half), 100 * std::min(1.0, centre + half)};
}

std::optional<Interval> returnInterval95(long long bets, int stake, double paidSum, double paidSquares) {
    if (bets < 2 || stake <= 0) return std::nullopt;
    const double n = static_cast<double>(bets);
    const double mean = paidSum / n;
    const double variance = std::max(0.0, (paidSquares - n * mean * mean) / (n - 1));
    const double half = kZ95 * std::sqrt(variance / n);
    const double toPercent = 100.0 / stake;
    return Interval{std::max(0.0, mean - half) * toPercent, (mean + half) * toPercent};
}

}  // namespace vex

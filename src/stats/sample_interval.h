#pragma once
// 95 % intervals for the rates and returns of the analysis, so that a figure from a few dozen
// runners can be shown for what it is. Percent throughout.
#include <optional>

namespace vex {

struct Interval {
    double low = 0, high = 0;
    bool operator==(const Interval&) const = default;
};

// Below this many runners a group's rates are marked as a small sample.
inline constexpr long long kSmallSampleRunners = 100;

// Wilson score interval of `hits` in `trials`: unlike the plain normal interval it stays inside
// 0..100 and does not collapse to a point at 0 or all hits. None without trials.
std::optional<Interval> rateInterval95(long long hits, long long trials);

// Interval of the return (paid over staked) of `bets` equal bets of `stake` yen each, from the sum
// and the sum of squares of what each paid: the mean's normal interval, low end at 0. None below
// two bets, where there is no spread to speak of.
std::optional<Interval> returnInterval95(long long bets, int stake, double paidSum, double paidSquares);

}  // namespace vex

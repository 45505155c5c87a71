#include "ui/widgets/label_placement.h"

#include <algorithm>
#include <numeric>

namespace vex::ui {

namespace {

// Least-squares non-decreasing fit (pool adjacent violators): a run that goes down is replaced
// by its mean, merging backwards while the means go down.
std::vector<double> nonDecreasingFit(const std::vector<double>& values) {
    struct Block { double sum; int count; double mean() const { return sum / count; } };
    std::vector<Block> blocks;
    for (double v : values) {
        blocks.push_back({v, 1});
        while (blocks.size() > 1 && blocks[blocks.size() - 2].mean() > blocks.back().mean()) {
            Block last = blocks.back();
            blocks.pop_back();
            blocks.back().sum += last.sum;
            blocks.back().count += last.count;
        }
    }
    std::vector<double> fitted;
    for (const Block& b : blocks) fitted.insert(fitted.end(), static_cast<std::size_t>(b.count), b.mean());
    return fitted;
}

}  // namespace

std::vector<double> spreadLabels(const std::vector<double>& wanted, double gap, double low, double high) {
    const std::size_t n = wanted.size();
    if (n == 0) return {};
    if (n > 1) gap = std::min(gap, (high - low) / static_cast<double>(n - 1));
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return wanted[a] < wanted[b]; });
    // Taking i gaps off the i-th label turns "gap apart" into "in order", which the fit gives.
    std::vector<double> shifted(n);
    for (std::size_t i = 0; i < n; ++i) shifted[i] = wanted[order[i]] - static_cast<double>(i) * gap;
    std::vector<double> fitted = nonDecreasingFit(shifted);
    const double lastLow = high - static_cast<double>(n - 1) * gap;
    std::vector<double> placed(n);
    for (std::size_t i = 0; i < n; ++i)
        placed[order[i]] = std::clamp(fitted[i], low, std::max(low, lastLow)) + static_cast<double>(i) * gap;
    return placed;
}

}  // namespace vex::ui

#include "betting/stake_split.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "betting/bet_list.h"
#include "betting/grid_sort.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

void clearStakes(TextGrid& list) {
    for (int r = 1; r < list.rowCount(); ++r) {
        list.setCell(kListStake, r, {});
        list.setCell(kListReturn, r, {});
        list.setCell(kListReturnRate, r, {});
    }
}

}  // namespace

std::string stakeModeCaption(StakeMode m) {
    static const char* c[kStakeModeCount] = {"均等", "均等2", "均一", "均一2", "比例"};
    return sj(c[static_cast<int>(m)]);
}

void splitStakes(StakeMode mode, long long amount, TextGrid& list, SplitLabels& labels) {
    const int rows = list.rowCount();
    if (rows >= 4898 || rows < 2) return;
    if (amount < 100) {
        // No stake below 100 yen: the previous amount's stakes must not stay to be voted.
        clearStakes(list);
        labels.clear();
        return;
    }
    if (mode == StakeMode::Proportional && isBlank(list.cell(kListOdds, 1))) return;

    clearStakes(list);
    if (mode == StakeMode::Even2)
        for (int r = 1; r < rows; ++r) list.setCell(kListOdds, r, {});

    const bool usesOdds = !ignoresOdds(mode);
    const std::string& erased = eraseMark();
    auto live = [&](int r) { return !isBlank(list.cell(kListNumber, r)) && list.cell(kListErase, r) != erased; };
    // Odds of each row that takes part; 0 for the others.
    std::vector<double> odds(rows, 0.0);
    std::vector<char> part(rows, 0);
    int n = 0;
    for (int r = 1; r < rows; ++r) {
        if (!live(r)) continue;
        if (usesOdds) {
            if (isBlank(list.cell(kListOdds, r))) continue;
            odds[r] = cellNumber(list.cell(kListOdds, r));
            if (odds[r] <= 0) continue;
        }
        part[r] = 1;
        ++n;
    }

    std::vector<long long> stake(rows, 0);
    long long total = 0;
    if (mode != StakeMode::Proportional) {
        if (n == 0) return;
        long long s = amount;
        if (mode == StakeMode::Even || mode == StakeMode::Even2)
            s = static_cast<long long>(std::trunc(static_cast<double>(amount) / n / 100.0 + 0.9)) * 100;
        if (s < 100) s = 100;
        for (int r = 1; r < rows; ++r)
            if (part[r]) {
                stake[r] = s;
                list.setCell(kListStake, r, formatText("%6lld", s));
            }
        total = s * n;
        labels.count = formatText("%3d", n);
        labels.total = formatText("%6lld", total);
        if (!usesOdds) return;
    } else {
        // Stakes in inverse proportion to the odds. Weights are scaled by 100 times the first
        // row's odds, as the shares have always been computed; the scale cancels out.
        const double scale = 100.0 * cellNumber(list.cell(kListOdds, 1));
        std::vector<double> weight(rows, 0.0);
        double sum = 0;
        for (int r = 1; r < rows; ++r)
            if (part[r]) {
                weight[r] = scale / odds[r];
                sum += weight[r];
            }
        for (int r = 1; r < rows && sum > 0; ++r) {
            if (!live(r) || isBlank(list.cell(kListOdds, r))) continue;
            const double share = weight[r] / sum * 100.0;
            long long s = static_cast<long long>(std::trunc(static_cast<double>(amount) * share / 10000.0 + 0.95)) * 100;
            if (s < 100) s = 100;
            stake[r] = s;
            total += s;
            list.setCell(kListStake, r, formatText("%6lld", s));
        }
        labels.count = formatText("%3d", n);
        labels.total = formatText("%6lld", total);
        if (total < 1) return;
    }

    // Return columns and the expected rate: the mean over the lines of what a hit would return,
    // as a percentage of the total stake.
    double returns = 0;
    for (int r = 1; r < rows; ++r) {
        if (!part[r] || stake[r] == 0) continue;
        const double back = static_cast<double>(stake[r]) * odds[r];
        list.setCell(kListReturn, r, formatText("%7.0f", back));
        list.setCell(kListReturnRate, r, formatText("%7.1f", back / static_cast<double>(total) * 100.0));
        returns += std::trunc(back);
    }
    if (n == 0) return;
    const double rate = returns / n / static_cast<double>(total) * 100.0;
    labels.rate = formatText("%7.1f", rate);
    labels.colour = rate > 100 ? RateColour::Black : rate > 0 ? RateColour::Red : RateColour::None;
}

}  // namespace vex

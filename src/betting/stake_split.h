#pragma once
// The stake split: one amount for the race turned into a stake per bet-list line, in units of
// 100 yen, with the line count, the total stake and the expected return rate.
#include <optional>
#include <string>

#include "betting/bet_list.h"

namespace vex {

// Items of 資金配分.
enum class StakeMode { Even, Even2, Flat, Flat2, Proportional };
inline constexpr int kStakeModeCount = 5;
std::string stakeModeCaption(StakeMode m);  // "均等", "均等2", "均一", "均一2", "比例" (CP932)
// Modes 均等2 and 均一2 ignore odds: no filter, no return columns.
inline bool ignoresOdds(StakeMode m) { return m == StakeMode::Even2 || m == StakeMode::Flat2; }

// What the split worked out, for the labels 買い点数, 投票金額 and 予想回収率. Unset: the label stays
// as it was (the caller empties the labels before a fresh list).
struct StakeSummary {
    std::optional<int> lines;        // lines taking part
    std::optional<long long> total;  // yen
    std::optional<double> rate;      // expected return, percent of the total
};

// The expected rate's colour as the window paints it: black above 100, red above 0 up to 100.
enum class RateColour { None, Black, Red };

// Why a split left the list without stakes.
enum class SplitRefusal { None, AmountBelow100, TooManyLines };

struct SplitLabels {
    std::string count;  // 買い点数 "%3d"
    std::string total;  // 投票金額 "%6d"
    std::string rate;   // 予想回収率 "%7.1f"
    RateColour colour = RateColour::None;
    // Beside the typed amount: "合計 11,000円", and how far above the amount when it is.
    std::string totalBesideAmount;
    bool totalAboveAmount = false;
    // Where the list stands: why it has no stakes; empty when it has.
    std::string note;
};
SplitLabels splitLabels(const StakeSummary& summary, long long amount = 0,
                        SplitRefusal refusal = SplitRefusal::None);

// Splits `amount` over the lines of `list` that are not erased (and, where the mode uses odds, have
// odds above 0). Does nothing to a list longer than kMaxBetLines; below 100 yen it clears every
// stake and return, and the summary.
SplitRefusal splitStakes(StakeMode mode, long long amount, BetList& list, StakeSummary& summary);

}  // namespace vex

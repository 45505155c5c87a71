#pragma once
// The stake split: one amount for the race turned into a stake per bet-list line, in units of
// 100 yen, with the line count, the total stake and the expected return rate.
#include <string>

#include "vocabulary/text_grid.h"

namespace vex {

// Items of 資金配分.
enum class StakeMode { Even, Even2, Flat, Flat2, Proportional };
inline constexpr int kStakeModeCount = 5;
std::string stakeModeCaption(StakeMode m);  // "均等", "均等2", "均一", "均一2", "比例" (CP932)
// Modes 均等2 and 均一2 ignore odds: no filter, no return columns.
inline bool ignoresOdds(StakeMode m) { return m == StakeMode::Even2 || m == StakeMode::Flat2; }

// The expected rate's colour as the window paints it: black above 100, red above 0 up to 100.
enum class RateColour { None, Black, Red };

struct SplitLabels {
    std::string count;  // 買い点数 "%3d"
    std::string total;  // 投票金額 "%6d"
    std::string rate;   // 予想回収率 "%7.1f"
    RateColour colour = RateColour::None;
    void clear() { *this = SplitLabels{}; }
};

// Splits `amount` over the lines of `list` (bet list columns: 0 erase, 1 number, 3 odds, 6 stake,
// 7 return, 8 return rate). Does nothing above 4896 lines; below 100 yen it clears every stake,
// return and rate, and the labels. Writes the labels only where the split sets them; the caller
// empties them before a fresh list.
void splitStakes(StakeMode mode, long long amount, TextGrid& list, SplitLabels& labels);

}  // namespace vex

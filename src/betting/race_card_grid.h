#pragma once
// The race card grid of the developer tab: one row per registered runner with the runner's entry,
// Compi value, odds, rates, last runs and final result side by side, so that a race can be read at a
// glance. Row 0 is the header; row r shows runner record r. Texts are CP932, blank where the race
// table holds nothing. The result columns (kRcCompiRank, kRcWinPopularity, kRcPlacePopularity,
// kRcTopThreeRank, kRcFinish, kRcFinalPopularity) hold ranks or positions, 1 best, so that the
// grid can colour 1 red and 2, 3 blue.
#include "vocabulary/text_grid.h"

namespace vex {

struct RaceTable;

enum RaceCardColumn {
    kRcFrame = 0, kRcHorse = 1, kRcName = 2, kRcSexAge = 3, kRcJockey = 4, kRcWeight = 5, kRcInterval = 6,
    kRcCompi = 7, kRcCompiRank = 8, kRcWinOdds = 9, kRcWinPopularity = 10, kRcPlaceOdds = 11,
    kRcPlacePopularity = 12, kRcTopThreeRate = 13, kRcTopThreeRank = 14, kRcLastFinish = 15,
    kRcLastPopularity = 16,
    kRcPastRun = 17,  // past run k: 17 + 3 (k - 1) date and track, + 1 surface and distance, + 2 position
    kRcRecord = 26, kRcZone = 27, kRcFinish = 28, kRcFinalPopularity = 29, kRcTime = 30
};
inline constexpr int kRaceCardColumns = 31;

// The grid for the race in `slot`; a slot out of range gives the header row alone.
TextGrid buildRaceCardGrid(const RaceTable& table, int slot);

}  // namespace vex

#pragma once
// Builds the bet page's view of one race from the race table.
#include "betting/bet_race.h"

namespace vex {

struct RaceTable;

// The race in `slot` as the bet page reads it. `listEntry` is its race-list line (CP932).
BetRace betRaceOf(const RaceTable& table, int slot);

}  // namespace vex

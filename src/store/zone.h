#pragma once
// The zone pattern of a race (A to E, from the race number and the two top Compi values) and the
// zone flag of its runners (Compi rank fits the pattern, last run's weight and running style right).
#include <string>
#include <string_view>

#include "store/race_table.h"

namespace vex {

// 0 = none, 1..5 = A..E.
int zonePattern(int raceNumber, int topValue, int secondValue);
// Whether a runner fits `pattern`: body weight of past run 1 in 420..700, its running style 先 or
// 中, and its Compi rank in the pattern's band.
bool zoneFits(int pattern, int compiRank, int pastBodyWeight, std::string_view pastRunStyle);
// "A" .. "E", empty for 0 (what the zone label shows).
std::string zoneLabel(int pattern);

// Computes zonePattern and zoneFlag of every used slot (the day load runs it once the Compi lines
// and the past runs are in).
void applyZoneRule(RaceTable& table);

}  // namespace vex

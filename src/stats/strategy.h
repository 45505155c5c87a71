#pragma once
// The strategy check: the automatic-voting criteria applied to the stored days. Each race that
// matches is bet as the automatic vote bets it, 100 yen to win on every runner of a chosen
// popularity rank; the check adds up what that would have staked and been paid, race by race.
#include <string>
#include <vector>

#include "stats/analysis.h"
#include "store/race_criteria.h"

namespace vex {

// A stored race's conditions as the criteria read them from its race record.
RaceConditions conditionsOf(const AppearanceRace& race);

// The criteria of automatic voting (the one table of store/race_criteria.h) and the win popularity
// ranks it bets on.
struct StrategyCriteria : RaceCriteria {
    std::vector<int> popularity;  // win popularity ranks 1..18 bet on
    bool matches(const AppearanceRace& race) const { return RaceCriteria::matches(conditionsOf(race)); }
};

struct BalancePoint {
    int date = 0, track = 0, raceNumber = 0;
    long long balance = 0;  // paid - staked so far
};

struct StrategyResult {
    int races = 0;            // races that matched
    long long bets = 0, stake = 0, paid = 0;
    int longestLosingRun = 0; // races bet in a row that paid nothing
    long long worstDrawdown = 0;  // largest fall of the balance from an earlier high, yen
    std::vector<BalancePoint> balance;  // after each race bet
};

// Races in time order; `filter` is the analysis window's own filter, applied first.
StrategyResult checkStrategy(const std::vector<AppearanceRace>& races, const RaceFilter& filter,
                             const StrategyCriteria& criteria);

}  // namespace vex

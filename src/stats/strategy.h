#pragma once
// The strategy check: the automatic-voting criteria applied to the stored days. Each race that
// matches is bet as the automatic vote bets it, 100 yen to win on every runner of a chosen
// popularity rank; the check adds up what that would have staked and been paid, race by race.
#include <string>
#include <vector>

#include "stats/analysis.h"

namespace vex {

// The lists of the automatic-voting window, by item index. Nothing selected in a list matches
// every race; the two ranges always apply.
struct StrategyCriteria {
    std::vector<int> tracks;      // track codes
    std::vector<int> surfaces;    // 0 芝 (codes 10-22), 1 ダート (23-29)
    std::vector<int> raceTypes;   // 0 ２歳 (11), 1 ３歳 (12), 2 ３歳上 (13, 18), 3 ４歳上 (14, 19)
    std::vector<int> classes;     // 0 未勝利 703, 1 500万 5, 2 1000万 10, 3 1600万 16, 4 オープン 999,
                                  // 5 G３ grade C, 6 G２ B, 7 G１ A
    std::vector<int> weightRules; // 0 ハンデ 1, 1 別定 2, 2 馬齢 3, 3 定量 4
    NumberRange runners{5, 18};
    NumberRange distance{1000, 5000};
    std::vector<int> popularity;  // win popularity ranks 1..18 bet on
    bool matches(const AppearanceRace& race) const;
};

// Captions of the lists, in item order (CP932).
const std::vector<std::string>& surfaceCaptions();
const std::vector<std::string>& raceTypeCaptions();
const std::vector<std::string>& classCaptions();
const std::vector<std::string>& weightRuleCaptions();

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

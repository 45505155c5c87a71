#include "stats/strategy.h"

#include <algorithm>

#include "vocabulary/cp932.h"

namespace vex {

namespace {

bool contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// Nothing selected matches every race; else one selected item must match.
template <typename ItemMatches>
bool listMatches(const std::vector<int>& selected, ItemMatches itemMatches) {
    return selected.empty() || std::any_of(selected.begin(), selected.end(), itemMatches);
}

bool raceTypeMatches(int item, int code) {
    switch (item) {
        case 0: return code == 11;
        case 1: return code == 12;
        case 2: return code == 13 || code == 18;
        case 3: return code == 14 || code == 19;
    }
    return false;
}

bool classMatches(int item, const AppearanceRace& race) {
    static constexpr int kConditions[] = {703, 5, 10, 16, 999};
    static constexpr char kGrades[] = {'C', 'B', 'A'};
    if (item >= 0 && item < 5) return race.condition == kConditions[item];
    if (item >= 5 && item < 8) return race.grade == kGrades[item - 5];
    return false;
}

}  // namespace

bool StrategyCriteria::matches(const AppearanceRace& race) const {
    return listMatches(tracks, [&](int code) { return code == race.track; }) &&
           listMatches(surfaces,
                       [&](int item) { return surfaceMatches(item == 0 ? Surface::Turf : Surface::Dirt, race.surface); }) &&
           listMatches(raceTypes, [&](int item) { return raceTypeMatches(item, race.raceType); }) &&
           listMatches(classes, [&](int item) { return classMatches(item, race); }) &&
           listMatches(weightRules, [&](int item) { return race.weightRule == item + 1; }) &&
           runners.contains(race.registered) && distance.contains(race.distance);
}

const std::vector<std::string>& surfaceCaptions() {
    static const std::vector<std::string> list{sj("芝"), sj("ダート")};
    return list;
}
const std::vector<std::string>& raceTypeCaptions() {
    static const std::vector<std::string> list{sj("２歳"), sj("３歳"), sj("３歳上"), sj("４歳上")};
    return list;
}
const std::vector<std::string>& classCaptions() {
    static const std::vector<std::string> list{sj("未勝利"), sj("500万"), sj("1000万"), sj("1600万"),
                                               sj("オープン"), sj("G３"),   sj("G２"),    sj("G１")};
    return list;
}
const std::vector<std::string>& weightRuleCaptions() {
    static const std::vector<std::string> list{sj("ハンデ"), sj("別定"), sj("馬齢"), sj("定量")};
    return list;
}

StrategyResult checkStrategy(const std::vector<AppearanceRace>& races, const RaceFilter& filter,
                             const StrategyCriteria& criteria) {
    StrategyResult result;
    long long balance = 0, high = 0;
    int losingRun = 0;
    for (const AppearanceRace& race : races) {
        if (!filter.keeps(race) || !criteria.matches(race)) continue;
        ++result.races;
        long long bets = 0, paid = 0;
        for (int m = 0; m < race.runnerCount; ++m) {
            const AppearanceRunner& runner = race.runners[static_cast<std::size_t>(m)];
            if (runner.refunded || !contains(criteria.popularity, runner.popularity)) continue;
            ++bets;
            paid += runner.winPaid;
        }
        if (bets == 0) continue;
        result.bets += bets;
        result.stake += 100 * bets;
        result.paid += paid;
        losingRun = paid > 0 ? 0 : losingRun + 1;
        result.longestLosingRun = std::max(result.longestLosingRun, losingRun);
        balance += paid - 100 * bets;
        high = std::max(high, balance);
        result.worstDrawdown = std::max(result.worstDrawdown, high - balance);
        result.balance.push_back({race.date, race.track, race.raceNumber, balance});
    }
    return result;
}

}  // namespace vex

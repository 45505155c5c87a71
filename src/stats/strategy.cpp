#include "stats/strategy.h"

#include <algorithm>

#include "vocabulary/codes.h"

namespace vex {

namespace {

bool contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

RaceConditions conditionsOf(const AppearanceRace& race) {
    RaceConditions c;
    c.track = formatText("%02d", race.track);
    c.surface = formatText("%02d", race.surface);
    c.raceType = formatText("%02d", race.raceType);
    c.weightRule = formatText("%d", race.weightRule);
    c.classes = classCodes(formatText("%03d", race.condition), std::string(1, race.grade));
    c.registered = race.registered;
    c.distance = race.distance;
    return c;
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

#include "stats/strategy.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

namespace vex {

namespace {

bool contains(const std::vector<int>& list, int value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// A code as the race record spells it: `value` (never negative) zero-padded to `width` digits.
// Not printf: the check makes five of these per race, and printf showed in its profile.
std::string code(int value, int width) {
    char digits[16];
    char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    std::string text(static_cast<std::size_t>(std::max(width - static_cast<int>(end - digits), 0)), '0');
    return text.append(digits, static_cast<std::size_t>(end - digits));
}

// What conditionsOf reads of a race: races alike in these are alike to the criteria.
using ConditionsKey = std::tuple<int, int, int, int, int, char, int, int>;
ConditionsKey conditionsKey(const AppearanceRace& race) {
    return {race.track, race.surface, race.raceType, race.weightRule, race.condition, race.grade, race.registered,
            race.distance};
}

}  // namespace

RaceConditions conditionsOf(const AppearanceRace& race) {
    RaceConditions c;
    c.track = code(race.track, 2);
    c.surface = code(race.surface, 2);
    c.raceType = code(race.raceType, 2);
    c.weightRule = code(race.weightRule, 1);
    c.classes = classCodes(code(race.condition, 3), std::string(1, race.grade));
    c.registered = race.registered;
    c.distance = race.distance;
    return c;
}

StrategyResult checkStrategy(const std::vector<AppearanceRace>& races, const RaceFilter& filter,
                             const StrategyCriteria& criteria) {
    StrategyResult result;
    long long balance = 0, high = 0;
    int losingRun = 0;
    // Races repeat their conditions (track, class, distance, field size): each set is matched once.
    std::map<ConditionsKey, bool> matched;
    auto matches = [&](const AppearanceRace& race) {
        auto [known, isNew] = matched.try_emplace(conditionsKey(race));
        if (isNew) known->second = criteria.matches(race);
        return known->second;
    };
    for (const AppearanceRace& race : races) {
        if (!filter.keeps(race) || !matches(race)) continue;
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

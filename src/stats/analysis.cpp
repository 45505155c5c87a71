#include "stats/analysis.h"

#include <algorithm>

#include "store/zone.h"

namespace vex {

bool surfaceMatches(Surface surface, int courseCode) {
    switch (surface) {
        case Surface::Turf: return courseCode >= 10 && courseCode <= 22;
        case Surface::Dirt: return courseCode >= 23 && courseCode <= 29;
        case Surface::Any: break;
    }
    return true;
}

bool RaceFilter::keeps(const AppearanceRace& race) const {
    if (!dates.contains(race.date)) return false;
    if (!tracks.empty() && std::find(tracks.begin(), tracks.end(), race.track) == tracks.end()) return false;
    return surfaceMatches(surface, race.surface) && distance.contains(race.distance) &&
           runners.contains(race.registered) && raceNumber.contains(race.raceNumber);
}

void BetRecord::add(const AppearanceRunner& runner, bool placeSold) {
    if (runner.refunded) return;
    ++runners;
    wins += runner.finish == 1 ? 1 : 0;
    topThree += runner.finish >= 1 && runner.finish <= 3 ? 1 : 0;
    winStake += 100;
    winPaid += runner.winPaid;
    winPaidSquares += static_cast<double>(runner.winPaid) * runner.winPaid;
    if (placeSold) {
        placeStake += 100;
        placePaid += runner.placePaid;
        placePaidSquares += static_cast<double>(runner.placePaid) * runner.placePaid;
    }
}

std::optional<Interval> BetRecord::winReturnInterval() const {
    return returnInterval95(winStake / 100, 100, static_cast<double>(winPaid), winPaidSquares);
}

std::optional<Interval> BetRecord::placeReturnInterval() const {
    return returnInterval95(placeStake / 100, 100, static_cast<double>(placePaid), placePaidSquares);
}

int zonePatternOf(const AppearanceRace& race) {
    return zonePattern(race.raceNumber, race.compiValueOfRank(1), race.compiValueOfRank(2));
}

Analysis analyse(const std::vector<AppearanceRace>& races, const RaceFilter& filter) {
    Analysis a;
    std::vector<int> dates;
    for (const AppearanceRace& race : races) {
        if (!filter.keeps(race)) continue;
        ++a.races;
        if (dates.empty() || dates.back() != race.date) dates.push_back(race.date);
        for (int m = 0; m < race.runnerCount; ++m) {
            const AppearanceRunner& runner = race.runners[static_cast<std::size_t>(m)];
            if (runner.compiRank >= 1 && runner.compiRank <= 18)
                a.byCompiRank[static_cast<std::size_t>(runner.compiRank)].add(runner, race.placeSold);
            if (runner.popularity >= 1 && runner.popularity <= 18)
                a.byPopularity[static_cast<std::size_t>(runner.popularity)].add(runner, race.placeSold);
        }
        int pattern = zonePatternOf(race);
        std::size_t row = pattern >= 1 ? static_cast<std::size_t>(pattern - 1) : kZoneRows - 1;
        ++a.zoneRaces[row];
        if (const AppearanceRunner* recommended = race.runnerOfCompiRank(race.recommendedRank))
            a.zoneRecommended[row].add(*recommended, race.placeSold);
    }
    std::sort(dates.begin(), dates.end());
    a.days = static_cast<int>(std::unique(dates.begin(), dates.end()) - dates.begin());
    return a;
}

}  // namespace vex

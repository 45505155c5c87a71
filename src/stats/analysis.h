#pragma once
// The analysis of the appearance files: for the races a filter keeps, the record of every Compi
// rank and every win popularity (runners, wins, top-three finishes, and what a 100-yen win and place
// bet on each of them returned), and of the recommended horse per zone pattern. Returns are
// paid ÷ staked from the per-runner payout fields; a runner whose stake was refunded is no bet.
#include <array>
#include <string>
#include <vector>

#include "stats/appearance_reader.h"
#include "stats/sample_interval.h"

namespace vex {

struct NumberRange {
    int low = 0, high = 0;
    bool contains(int v) const { return v >= low && v <= high; }
};

enum class Surface { Any, Turf, Dirt };
// Turf: course codes 10-22; dirt: 23-29.
bool surfaceMatches(Surface surface, int courseCode);

struct RaceFilter {
    NumberRange dates{0, 99999999};  // yyyymmdd
    std::vector<int> tracks;  // track codes; empty: every track
    Surface surface = Surface::Any;
    NumberRange distance{0, 9999};
    NumberRange runners{0, 18};  // registered runners
    NumberRange raceNumber{1, 99};
    bool keeps(const AppearanceRace& race) const;
};

// What betting 100 yen to win and to place on every runner of a group returned.
struct BetRecord {
    long long runners = 0, wins = 0, topThree = 0;
    long long winStake = 0, winPaid = 0;
    long long placeStake = 0, placePaid = 0;  // only races that sold place bets
    double winPaidSquares = 0, placePaidSquares = 0;  // the spread, for the intervals
    void add(const AppearanceRunner& runner, bool placeSold);

    std::optional<Interval> winRateInterval() const { return rateInterval95(wins, runners); }
    std::optional<Interval> winReturnInterval() const;
    std::optional<Interval> placeReturnInterval() const;
    bool smallSample() const { return runners < kSmallSampleRunners; }
};

inline constexpr int kZoneRows = 6;  // A..E, then races without a pattern

struct Analysis {
    int days = 0, races = 0;
    std::array<BetRecord, 19> byCompiRank;   // [1..18]
    std::array<BetRecord, 19> byPopularity;  // [1..18]
    std::array<int, kZoneRows> zoneRaces{};
    std::array<BetRecord, kZoneRows> zoneRecommended;  // the recommended horse of those races
};

// The zone pattern (0 none, 1..5 A..E) recomputed from the Compi values the line holds.
int zonePatternOf(const AppearanceRace& race);

Analysis analyse(const std::vector<AppearanceRace>& races, const RaceFilter& filter);

}  // namespace vex

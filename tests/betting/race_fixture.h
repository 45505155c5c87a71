#pragma once
// A race built by hand for the bet-builder tests: n runners, odds and popularity of every
// combination derived from its index so that tests can recompute them independently.
#include <string>

#include "betting/bet_race.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::test {

// Odds of combination k of a kind: varied, never 0, some at the filter edges.
inline double fixtureOdds(BetKind kind, int k) { return 1.0 + ((k * 37 + static_cast<int>(kind) * 11) % 300) / 10.0; }
inline int fixturePopularity(BetKind kind, int k) { return (k * 7 + static_cast<int>(kind)) % 999 + 1; }

inline BetRace fixtureRace(int runners, int slot = 3) {
    BetRace race;
    race.sizeTables();
    race.slot = slot;
    race.runners = runners;
    for (int c = 1; c <= 9; ++c) {
        const BetKind kind = static_cast<BetKind>(c);
        for (int k = 1; k < static_cast<int>(race.odds[c].size()); ++k) {
            race.odds[c][k] = fixtureOdds(kind, k);
            race.popularity[c][k] = fixturePopularity(kind, k);
        }
    }
    for (int h = 1; h <= runners; ++h) {
        BetRunner r;
        r.frame = FrameOfHorse(runners, h);
        r.horse = h;
        r.name = padRight(sj("テスト") + std::to_string(h), 36);
        r.compiValue = 40 + h;
        r.compiRank = runners + 1 - h;
        r.winOdds = race.odds[1][h];
        r.winPopularity = ((h * 5) % runners) + 1;
        race.winPopularity[h] = r.winPopularity;
        race.cardRows.push_back(r);
    }
    race.year = "2024";
    race.monthDay = "0115";
    race.trackCode = "44";
    race.raceNumber = "11";
    race.postTime = "1630";
    race.listEntry = sj("大井11R");
    return race;
}

}  // namespace vex::test

#pragma once
// What the bet page reads of the selected race: the runners as the index card shows them, the odds
// and popularity tables of every kind, the paid combinations and the race header fields the vote
// needs. Filled from the race table when a race is selected (and again after an odds or payout
// refresh); the bet builder never reads the table itself, so it can be driven and tested alone.
#include <array>
#include <string>
#include <vector>

#include "vocabulary/bet_kinds.h"

namespace vex {

struct BetRunner {
    int frame = 0;          // runner record position 28
    int horse = 0;          // positions 29-30
    std::string name;       // positions 41-76, 36 bytes as stored
    int compiValue = 0, compiRank = 0;
    double winOdds = 0;
    int winPopularity = 0;
    int zoneFlag = 0;
};

struct BetRace {
    int slot = -1;              // race table slot; the card keeps its marks when the same slot comes back
    int runners = 0;            // registered runner count
    std::vector<BetRunner> cardRows;  // runner record r at element r - 1
    int recommendedHorse = 0;
    int zonePattern = 0;        // 0 none, 1..5 = A..E
    // Runners that will not start (scratched or excluded), by horse number: the site refuses a
    // batch holding any of them, so no line is made with one.
    std::array<bool, 19> nonStarter{};

    // Odds and popularity by kind code (1..9), each indexed by CombinationIndex (element 0 unused).
    // 単勝: win odds and popularity; 複勝: place lower-bound odds and their popularity.
    std::array<std::vector<double>, 10> odds;
    std::array<std::vector<int>, 10> popularity;
    // Win popularity by horse number (element 0 unused): the accept rule of 単勝/複勝 and column 5.
    std::array<int, 19> winPopularity{};

    // Paid combinations: win and place horses, and the labels of every other kind by kind code.
    std::array<int, 3> winHorses{};
    std::array<int, 5> placeHorses{};
    std::array<std::vector<std::string>, 10> paidLabels;

    // Race header texts used by the vote (digits as stored).
    std::string year;        // "2024"
    std::string monthDay;    // "0115"
    std::string trackCode;   // "44"
    std::string raceNumber;  // "11"
    std::string postTime;    // "hhmm"
    std::string listEntry;   // the race's entry in the race list, e.g. "大井11R" (CP932)

    // Sizes every table for its kind, all zero.
    void sizeTables();
    double oddsOf(BetKind kind, int k) const;
    int popularityOf(BetKind kind, int k) const;
    // Whether the combination can be bet: every horse starts; for the frame kinds every frame
    // has a starter, and a same-frame pair two.
    bool canBet(BetKind kind, const Combination& numbers) const;
};

}  // namespace vex

#pragma once
// Bet generation: from the marks of the index card, the kind, the method and the multi boxes, the
// candidate combinations; with the odds filter, the accepted bet-list lines.
#include <array>
#include <string>
#include <vector>

#include "betting/bet_list.h"
#include "betting/bet_race.h"
#include "betting/index_card.h"

namespace vex {

struct BetChoice {
    BetKind kind = BetKind::Win;
    int method = -1;  // item of 買い方; -1 for 単勝 and 複勝
    std::array<bool, kMultiCount> multi{};
    bool multiOn(Multi m) const { return multi[static_cast<int>(m)]; }
};

// The candidate combinations (frames for 枠連 and 枠単), ascending, each once. `runners` is the
// registered runner count: card rows 1..runners are scanned.
std::vector<Combination> candidates(const IndexCard& card, int runners, const BetChoice& choice);

struct OddsFilter {
    double lower = 0, upper = 0;
    bool ignoreOdds = false;  // stake modes 均等2 and 均一2: no filter, no odds listed
};
// Value of a filter edit's text: blank or not a number counts as 0.
double filterValue(const std::string& text);

// The lines of the candidates the filter accepts, numbered 1.. in candidate order, without stakes.
std::vector<BetLine> acceptLines(const std::vector<Combination>& candidates, const BetRace& race, BetKind kind,
                                 const OddsFilter& filter);

}  // namespace vex

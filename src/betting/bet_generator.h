#pragma once
// Bet generation: from the marks of the index card, the kind, the method and the multi boxes, the
// candidate combinations; with the odds filter, the accepted lines; and the bet list rows they make.
#include <array>
#include <string>
#include <vector>

#include "betting/bet_race.h"
#include "betting/index_card.h"
#include "vocabulary/text_grid.h"

namespace vex {

struct BetChoice {
    BetKind kind = BetKind::Win;
    int method = -1;  // item of 買い方; -1 for 単勝 and 複勝
    std::array<bool, kMultiCount> multi{};
    bool multiOn(Multi m) const { return multi[static_cast<int>(m)]; }
};

// A candidate combination: its label text and its numbers (frames for 枠連 and 枠単).
struct Candidate {
    std::string text;
    int a = 0, b = 0, c = 0;
};

// The candidate list, sorted by text, without duplicates. `runners` is the registered runner
// count: card rows 1..runners are scanned.
std::vector<Candidate> candidates(const IndexCard& card, int runners, const BetChoice& choice);

// One accepted line: the bet list's columns 2 to 5.
struct BetLine {
    std::string combination, odds, popularity, ranks;
};

struct OddsFilter {
    double lower = 0, upper = 0;
    bool ignoreOdds = false;  // stake modes 均等2 and 均一2: no filter, odds blank
};
// Value of a filter edit's text: blank or not a number counts as 0.
double filterValue(const std::string& text);

std::vector<BetLine> acceptLines(const std::vector<Candidate>& candidates, const BetRace& race, BetKind kind,
                                 const OddsFilter& filter);

// Widths of a kind's row-number, odds and popularity texts.
struct LineWidths {
    int number, odds, popularity;
};
LineWidths lineWidths(BetKind kind);
// Whether the kind fills column 5 "連人気".
bool hasRankColumn(BetKind kind);

}  // namespace vex

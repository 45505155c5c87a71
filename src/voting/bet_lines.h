#pragma once
// Bet lines: the fixed 90-character digit lines the betting operation takes, one per live bet-list
// row; the race title of the log; the day's bet file.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "betting/bet_race.h"
#include "vocabulary/text_grid.h"

namespace vex {

class TIniGT;

inline constexpr int kBetLineWidth = 90;
// The stake field holds 5 digits of 100-yen units.
inline constexpr long long kMaxStakeUnits = 99999;

// The line of one combination text (" 3-12- 7", " 5") and stake in yen. Nullopt when the stake
// does not fit the 5-digit field (10,000,000 yen or more).
std::optional<std::string> betLine(const BetRace& race, BetKind kind, const std::string& combination,
                                   long long stakeYen);

struct BetLines {
    std::vector<std::string> lines;
    int tooLarge = 0;  // live rows whose stake does not fit; no lines are valid then
};
// Lines of every bet-list row whose combination and stake are not blank and that is not erased,
// in row order.
BetLines buildBetLines(const TextGrid& list, BetKind kind, const BetRace& race);

// MMDD + track name + race number + "R:" + kind name.
std::string raceTitle(const BetRace& race, BetKind kind);
// yy + MMDD + ".nbet" of the race's date.
std::string betFileName(const BetRace& race);
// Folder of the bet files: Dir/kaime (default the application folder); the application folder
// itself means its kaime subfolder.
std::filesystem::path betFileFolder(const TIniGT* settings);

}  // namespace vex

#pragma once
// Vote lines: the fixed 90-character digit lines the betting operation takes, one per staked bet-list
// line that is not erased; the race title of the log; the day's bet file.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "betting/bet_list.h"
#include "betting/bet_race.h"

namespace vex {

class Settings;

inline constexpr int kBetLineWidth = 90;
// The stake field holds 5 digits of 100-yen units, from offset 83 (positions 84-88).
inline constexpr long long kMaxStakeUnits = 99999;
inline constexpr std::size_t kStakeField = 83;
inline constexpr std::size_t kStakeDigits = 5;

// The line of one combination (horses or frames, in the order bet) and stake in yen. Nullopt when
// the stake does not fit the 5-digit field (10,000,000 yen or more).
std::optional<std::string> voteLine(const BetRace& race, BetKind kind, const Combination& numbers, long long stakeYen);

struct VoteLines {
    std::vector<std::string> lines;
    int tooLarge = 0;  // lines whose stake does not fit; no lines are valid then
};
// The vote lines of every bet-list line with a stake that is not erased, in list order.
VoteLines voteLinesOf(const BetList& list, const BetRace& race);

// MMDD + track name + race number + "R:" + kind name.
std::string raceTitle(const BetRace& race, BetKind kind);
// yy + MMDD + ".nbet" of the race's date.
std::string betFileName(const BetRace& race);
// Folder of the bet files: Dir/kaime (default the application folder); the application folder
// itself means its kaime subfolder.
std::filesystem::path betFileFolder(const Settings* settings);

}  // namespace vex

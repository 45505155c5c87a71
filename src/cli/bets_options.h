#pragma once
// The options shared by card, bets, betlines and vote: the day, the race-list entry and the bet
// page settings. prepareBetPage loads the day in batch mode, selects the entry and sets the page up
// as a user would, without writing the settings file.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "betting/bet_page.h"
#include "store/race_table.h"

namespace vex::cli {

struct BetsOptions {
    std::string day;  // CP932 day stamp
    int entry = 0;    // 1-based race-list entry
    std::optional<int> kind, method, mode;
    std::vector<std::pair<int, std::vector<int>>> marks;  // column, horse numbers
    std::vector<Multi> multis;
    std::optional<long long> amount;
    std::optional<std::string> lower, upper;  // CP932
};

// Parses DAY N [options]; `withBetOptions` false accepts DAY N only. Throws UsageError.
BetsOptions parseBetsOptions(const std::vector<std::string>& args, bool withBetOptions);

struct PreparedRace {
    std::unique_ptr<RaceTable> table;  // the loaded day, owned here (about 30 MB: never on the stack)
    int slot = -1;
    Settings settings;
    std::unique_ptr<BetPage> page;
};

// Loads the day and selects the entry; with bet options, sets kind, method, multi boxes, stake mode,
// filter, marks and amount, and refuses (naming the file) when the settings cannot be read. On
// failure prints the message to stderr and returns nullopt.
std::optional<PreparedRace> prepareBetPage(const BetsOptions& options, bool applyBetOptions);

// Prints a grid's columns 0..lastCol, row 0 first, cells TAB-joined exactly as held.
void printGrid(const TextGrid& grid, int lastCol);

}  // namespace vex::cli

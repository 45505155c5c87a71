#pragma once
// The appearance file of a day (TOKEI/em<yyyymmdd>.dat): one fixed-width line per race with final
// results, holding the race's conditions, every runner's card data, Compi value and rank, result,
// odds and payouts, and the race's winning combinations and payouts. Rewritten whole at every load
// of a day whose payout file exists.
#include <filesystem>
#include <string>
#include <vector>

#include "store/race_table.h"

namespace vex {

inline constexpr int kAppearanceLineWidth = 3696;

// The line of slot `slot` (3,696 bytes, without CR LF).
std::string appearanceLine(const RaceTable& table, int slot);

// The sorted lines of the loaded day's races with final results.
std::vector<std::string> appearanceLines(const RaceTable& table);

// File of the loaded day (TOKEI under the application folder); empty when no race is loaded.
std::filesystem::path appearanceFile(const RaceTable& table);

// Writes the day's appearance file when at least one race has final results; returns whether a
// file was written. Nothing happens when no day is loaded. Throws FileWriteError (naming the file)
// when the file or its folder cannot be written.
bool writeAppearanceFile(const RaceTable& table);

}  // namespace vex

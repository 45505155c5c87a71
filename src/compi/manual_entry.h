#pragma once
// Manual Compi entry: the grid of one race (horse number and value per rank 1..18, frame number and
// value per frame rank 1..8), as the Compi window shows it, with the checks run on a typed change
// and the saving of the race's line. The window holds the cells; this is what they mean.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "store/race_table.h"

namespace vex {

struct CompiEntryGrid {
    OneBased<int, kMaxRunners> horse{}, value{};      // per rank; 0 = empty cell
    OneBased<int, kMaxFrames> frame{}, frameValue{};  // per frame rank
};

// The cells of line `line` (a Compi file line) for a race of `runners`: horse ranks 1..runners,
// frame ranks 1..8. A field that reads as 0 stays empty.
CompiEntryGrid compiEntryFromLine(std::string_view line, int runners);

// "コンピ指数の入力が間違っています。" once per rank i (1..count-1) whose value is below rank i+1's.
std::vector<std::string> valueOrderMessages(const std::vector<int>& valuesByRank);
// The ranks (1-based) of `numbers` (per rank, first `count`) that are 0 or above `limit`: the
// cells to erase.
std::vector<int> ranksOutOfRange(const std::vector<int>& numbersByRank, int limit);
// "a位とb位の<what>が重複しています。" for every ordered pair of ranks holding the same number
// of 2 or more (`what`: "馬番" or "枠番", UTF-8).
std::vector<std::string> duplicateMessages(const std::vector<int>& numbersByRank, std::string_view what);

// The line saved for race `raceNumber`: date key (year, month, day, track name as CP932) + every
// horse rank (hidden ones too) + two spaces + frames + two spaces. Saving clears the recommended
// horse and frame, which the manual entry has no cell for.
std::string compiEntryLine(std::string_view yyyymmdd, std::string_view trackName, int raceNumber,
                           const CompiEntryGrid& grid);

// Replaces line `raceNumber` of `file` (creating the file with 12 empty template lines; a shorter
// file gets template lines up to that race). Throws FileReadError when the file exists but cannot
// be read (it is then left as it is), FileWriteError, FolderBusyError.
void saveCompiEntryLine(const std::filesystem::path& file, int raceNumber, const std::string& line);

// The race table takes the saved cells: per rank 1..runners with number and value its value and
// rank, per frame rank its value and rank. Nothing is cleared; the day reload recomputes the rest.
void applyCompiEntry(const CompiEntryGrid& grid, int runners, RaceRecord& race);

}  // namespace vex

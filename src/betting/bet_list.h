#pragma once
// The bet list grid (15 columns, row 0 the header), its erase marks, sort and hit highlight, and the
// decoding of bet-line files for the bet-file viewer.
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "betting/bet_generator.h"
#include "betting/bet_race.h"
#include "vocabulary/text_grid.h"

namespace vex {

enum ListColumn {
    kListErase = 0, kListNumber = 1, kListCombination = 2, kListOdds = 3, kListPopularity = 4, kListRanks = 5,
    kListStake = 6, kListReturn = 7, kListReturnRate = 8
};
inline constexpr int kListColumns = 15;

const std::string& eraseMark();  // "消"

// An empty list: the header row and one empty row.
TextGrid emptyBetList();
// Resets `list` to the header and one empty row.
void clearBetList(TextGrid& list);
// Column 2 texts of the rows that carry the erase mark.
std::vector<std::string> erasedCombinations(const TextGrid& list);
// Writes the accepted lines as rows (number, columns 2-5) and marks the first row of every erased
// text again.
void writeBetList(TextGrid& list, const std::vector<BetLine>& lines, BetKind kind,
                  const std::vector<std::string>& erased);
// Erase toggle of a data cell of column 0: "消" on an empty or blank cell, else empty. False when
// the click is not on such a cell.
bool toggleErase(TextGrid& list, int row);

// Sort state: one direction flag per column, flipped before each sort (the first click sorts
// descending), and the last sort column.
class BetListSort {
public:
    // Header click on column 1 or higher: flips its flag and sorts. False for column 0.
    bool headerClick(TextGrid& list, int col);
    int flag(int col) const { return flags_[col]; }
    int lastColumn() const { return last_; }

private:
    std::array<int, kListColumns> flags_{};
    int last_ = -1;
};

// Whether the combination cell of a row is a paid combination of the race for the kind (the
// window paints it magenta).
bool isHit(const std::string& combination, BetKind kind, const BetRace& race);

// Bet-file viewer: the files listed ("*.txt" and "*.nbet" of the folder, by name) and one decoded
// grid of 12 columns for the lines of a file.
std::vector<std::string> listBetFiles(const std::filesystem::path& folder);
TextGrid decodeBetLines(const std::vector<std::string>& lines);

}  // namespace vex

#pragma once
// The bet list: typed lines (combination, odds, stake, erase mark ...), the one formatter that turns
// them into the 15-column grid the window shows (row 0 the header), erase marks, sort and hit
// highlight; and the decoding of bet-line files for the bet-file viewer.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "betting/bet_race.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/text_grid.h"

namespace vex {

enum ListColumn {
    kListErase = 0, kListNumber = 1, kListCombination = 2, kListOdds = 3, kListPopularity = 4, kListRanks = 5,
    kListStake = 6, kListReturn = 7, kListReturnRate = 8
};
inline constexpr int kListColumns = 15;
// A 3連単 box of 18 horses; the split refuses longer lists.
inline constexpr std::size_t kMaxBetLines = 4896;

// What a line's stake brings back if it hits.
struct HitReturn {
    double yen = 0;             // stake * odds
    double percentOfTotal = 0;  // yen as a percentage of the list's total stake
};

struct BetLine {
    int number = 0;                       // "No.": place in combination order when the list was made
    Combination numbers;                  // horses, or frames for 枠連 and 枠単, in the order bet
    std::optional<double> odds;           // to the tenth, as listed; none where the stake mode ignores odds
    int popularity = 0;
    std::optional<Combination> winRanks;  // "連人気": each horse's win popularity (horse kinds of 2 or 3)
    long long stake = 0;                  // yen; 0: none
    std::optional<HitReturn> ifHit;       // set by the split where it uses odds
    bool erased = false;                  // "消": listed, but neither split nor voted
};

struct BetList {
    BetKind kind = BetKind::Win;
    std::vector<BetLine> lines;
    bool oddsEmptied = false;  // 均等2 empties the odds column when it splits
};

// Widths of a kind's row-number, odds and popularity texts.
struct LineWidths {
    int number, odds, popularity;
};
LineWidths lineWidths(BetKind kind);
// Whether the kind fills column 5 "連人気": the horse kinds of two or three numbers.
bool hasRankColumn(BetKind kind);

const std::string& eraseMark();  // "消"

// " 5", " 3-12", " 3-12- 7": "%2d" numbers joined by "-", as many as the kind picks.
std::string combinationText(BetKind kind, const Combination& numbers);

// The formatter: the text of column `col` of a line, exactly as the grid shows it.
std::string betListCell(const BetList& list, const BetLine& line, int col);
// The grid shown: the header row, then a row per line; a list without lines shows one empty row.
TextGrid betListGrid(const BetList& list);
// The grid of a list without lines.
TextGrid emptyBetList();

// The combinations of the erased lines, in ascending order, each once.
std::vector<Combination> erasedCombinations(const BetList& list);
// Erases the lines whose combination is one of `erased` (ascending, as erasedCombinations gives).
void markErased(BetList& list, const std::vector<Combination>& erased);

// Orders the lines by the text column `col` shows, byte-wise, ascending or descending; equal texts
// then ascending by column 1 (column 2 when column 1 is the key). The columns are right-aligned at
// fixed widths, so this is numeric order, as the list has always sorted.
void sortBetList(BetList& list, int col, bool descending);

// Sort state: one direction flag per column, flipped before each sort (the first click sorts
// descending), and the last sort column.
class BetListSort {
public:
    // Header click on column 1 or higher: flips its flag and sorts. False for column 0.
    bool headerClick(BetList& list, int col);
    int flag(int col) const { return flags_[col]; }
    int lastColumn() const { return last_; }

private:
    std::array<int, kListColumns> flags_{};
    int last_ = -1;
};

// Whether a combination of the kind was paid in the race (the window paints it magenta).
bool isHit(BetKind kind, const Combination& numbers, const BetRace& race);

// Bet-file viewer: the files listed ("*.txt" and "*.nbet" of the folder, by name) and one decoded
// grid of 12 columns for the lines of a file.
std::vector<std::string> listBetFiles(const std::filesystem::path& folder);
TextGrid decodeBetLines(const std::vector<std::string>& lines);

}  // namespace vex

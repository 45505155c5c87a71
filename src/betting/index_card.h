#pragma once
// The index card of the bet page: one row per runner (frame, horse, name, Compi value and rank,
// win odds and popularity, zone match) and four mark columns in which the user picks horses.
// Marks live only in the grid; any non-empty text in a mark cell is a mark.
#include <array>
#include <string>
#include <vector>

#include "betting/bet_race.h"
#include "vocabulary/text_grid.h"

namespace vex {

// Columns of the card.
enum CardColumn {
    kCardFrame = 0, kCardHorse = 1, kCardName = 2, kCardCompi = 3, kCardCompiRank = 4, kCardWinOdds = 5,
    kCardWinPopularity = 6, kCardZone = 7, kCardMark1 = 8, kCardMark2 = 9, kCardMark3 = 10, kCardPartner = 11
};
inline constexpr int kCardColumns = 12;

// The multi boxes, in the order of their captions "マルチ", "1,2着マルチ", "2,3着マルチ", "1,3着マルチ".
enum class Multi { All, First12, Second23, Ends13 };
inline constexpr int kMultiCount = 4;
std::string multiCaption(Multi m);

// Items of 買い方 for a kind (CP932); empty for 単勝 and 複勝, whose method index is -1.
std::vector<std::string> methodItems(BetKind kind);

// Which mark columns (8..11, as [0..3]) and which multi boxes are shown for a kind and method.
std::array<bool, 4> markColumnsShown(BetKind kind, int method);
std::array<bool, kMultiCount> multiBoxesShown(BetKind kind, int method);

// Column that "全"/"CL" pair 1, 2 or 3 acts on; -1 when the pair does nothing for kind and method.
int markPairColumn(int pair, BetKind kind, int method);

class IndexCard {
public:
    IndexCard();

    const TextGrid& grid() const { return grid_; }
    // "A" .. "E", or empty when the race has no zone pattern.
    const std::string& zoneLabel() const { return zoneLabel_; }
    int shownSlot() const { return shownSlot_; }

    // Fills the card for a race. The same slot as before keeps the marks (rows are first put back
    // in horse order so they stay with their horses); another race clears them.
    void fill(const BetRace& race);
    // Forgets which race was shown, so the next fill clears the marks (a new day).
    void forgetRace() { shownSlot_ = -1; }
    // Rewrites columns 0-7 from fresh values of the shown race (odds refresh) keeping rows and marks.
    void refresh(const BetRace& race);

    // Header click: 1, 4, 6 sort; 8..11 mark every zone-flagged row. True when marks changed.
    bool headerClick(int col);
    // Data cell click in a mark column toggles the mark. True when marks changed.
    bool cellClick(int col, int row);
    // Marks (set) or clears every data row of a mark column.
    void setColumn(int col, bool marked);
    // Writes `text` into one mark cell (automatic voting writes its own mark there).
    void setMark(int col, int row, const std::string& text);

    bool hasMark(int col, int row) const;
    // Horse number of a data row (column 1).
    int horseOfRow(int row) const;
    int dataRows() const { return grid_.rowCount() - 1; }

    static const std::string& markText();  // "ν"
    static const std::string& zoneText();  // "☆"

private:
    void writeRow(int row, const BetRunner& runner);
    TextGrid grid_;
    std::string zoneLabel_;
    std::array<int, kCardColumns> sortFlags_{};
    int shownSlot_ = -1;
};

}  // namespace vex

// The bet-list formatter: the grid the window shows (and vexmora-cli prints) from typed lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "betting/bet_list.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

BetLine staked(int number, const Combination& numbers, double odds, int popularity, long long stake) {
    BetLine line;
    line.number = number;
    line.numbers = numbers;
    line.odds = odds;
    line.popularity = popularity;
    line.stake = stake;
    return line;
}

std::vector<std::string> cells(const BetList& list, const BetLine& line) {
    std::vector<std::string> out;
    for (int c = 0; c < kListColumns; ++c) out.push_back(betListCell(list, line, c));
    return out;
}

TEST(BetListFormat, EachKindAtItsWidths) {
    const std::vector<std::string> none(6, "");  // columns 9-14 are never filled
    auto withNone = [&](std::vector<std::string> row) {
        row.insert(row.end(), none.begin(), none.end());
        return row;
    };
    {
        BetList list{BetKind::Win};
        BetLine line = staked(7, {5, 0, 0}, 12.3, 4, 1200);
        line.ifHit = HitReturn{14760, 49.2};
        EXPECT_EQ(cells(list, line), withNone({"", " 7", " 5", "  12.3", " 4", "", "  1200", "  14760", "   49.2"}));
    }
    {
        BetList list{BetKind::Quinella};
        BetLine line = staked(12, {3, 12, 0}, 1234.5, 101, 100);
        line.winRanks = Combination{1, 10, 0};
        EXPECT_EQ(cells(list, line), withNone({"", " 12", " 3-12", " 1234.5", "101", " 1-10", "   100", "", ""}));
    }
    {
        BetList list{BetKind::Trifecta};
        BetLine line = staked(4896, {18, 17, 16}, 99999.9, 4896, 0);
        line.winRanks = Combination{18, 17, 16};
        line.erased = true;
        EXPECT_EQ(cells(list, line),
                  withNone({sj("消"), "4896", "18-17-16", " 99999.9", "4896", "18-17-16", "", "", ""}));
    }
    {
        // Frame kinds have no 連人気, and their numbers are frames.
        BetList list{BetKind::BracketExacta};
        EXPECT_EQ(cells(list, staked(1, {8, 8, 0}, 3.0, 1, 0))[kListCombination], " 8- 8");
        EXPECT_FALSE(hasRankColumn(BetKind::BracketExacta));
        EXPECT_TRUE(hasRankColumn(BetKind::QuinellaPlace));
    }
}

// Lines without odds (均一2) show blanks of the column's width; once 均等2 has split, nothing.
TEST(BetListFormat, OddsBlankOrEmpty) {
    BetLine line;
    line.number = 1;
    line.numbers = {2, 0, 0};
    BetList win{BetKind::Place};
    EXPECT_EQ(betListCell(win, line, kListOdds), "      ");
    BetList trifecta{BetKind::Trifecta};
    EXPECT_EQ(betListCell(trifecta, line, kListOdds), "        ");
    trifecta.oddsEmptied = true;
    EXPECT_EQ(betListCell(trifecta, line, kListOdds), "");
    // Odds of 0 are odds: a place bet may list them.
    line.odds = 0.0;
    EXPECT_EQ(betListCell(win, line, kListOdds), "   0.0");
}

TEST(BetListFormat, GridHasTheHeaderAndARowPerLine) {
    const TextGrid empty = emptyBetList();
    ASSERT_EQ(empty.rowCount(), 2);
    ASSERT_EQ(empty.colCount(), kListColumns);
    EXPECT_EQ(empty.cell(kListCombination, 0), sj("買い目"));
    EXPECT_EQ(empty.cell(14, 0), sj("結果人気"));
    EXPECT_EQ(empty.row(1), std::vector<std::string>(kListColumns, ""));

    BetList list{BetKind::Exacta};
    list.lines = {staked(2, {2, 1, 0}, 5.0, 3, 300), staked(1, {1, 2, 0}, 4.0, 2, 0)};
    list.lines[1].erased = true;
    const TextGrid grid = betListGrid(list);
    ASSERT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.row(1), cells(list, list.lines[0]));
    EXPECT_EQ(grid.row(2), cells(list, list.lines[1]));
    EXPECT_EQ(grid.cell(kListErase, 2), eraseMark());
}

TEST(BetListFormat, ErasedCombinationsComeBackOnTheirLines) {
    BetList list{BetKind::Trio};
    list.lines = {staked(1, {1, 2, 3}, 5, 1, 0), staked(2, {1, 2, 4}, 5, 1, 0), staked(3, {2, 3, 4}, 5, 1, 0)};
    list.lines[2].erased = list.lines[0].erased = true;
    const std::vector<Combination> erased = erasedCombinations(list);
    EXPECT_EQ(erased, (std::vector<Combination>{{1, 2, 3}, {2, 3, 4}}));
    BetList fresh{BetKind::Trio};
    fresh.lines = {staked(1, {1, 2, 4}, 5, 1, 0), staked(2, {2, 3, 4}, 5, 1, 0), staked(3, {3, 4, 5}, 5, 1, 0)};
    markErased(fresh, erased);
    EXPECT_FALSE(fresh.lines[0].erased);
    EXPECT_TRUE(fresh.lines[1].erased);
    EXPECT_FALSE(fresh.lines[2].erased);
}

}  // namespace
}  // namespace vex

// Stake split over hand-made bet lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "betting/bet_list.h"
#include "betting/stake_split.h"

namespace vex {
namespace {

// A list of lines with the given odds (0 = blank odds text) in rows 1..n.
TextGrid listWithOdds(const std::vector<double>& odds) {
    TextGrid g = emptyBetList();
    g.resize(static_cast<int>(odds.size()) + 1, kListColumns);
    for (std::size_t i = 0; i < odds.size(); ++i) {
        char b[32];
        std::snprintf(b, sizeof b, "%3d", static_cast<int>(i) + 1);
        g.setCell(kListNumber, static_cast<int>(i) + 1, b);
        g.setCell(kListCombination, static_cast<int>(i) + 1, " 1- " + std::to_string(i + 2));
        if (odds[i] > 0) std::snprintf(b, sizeof b, "%7.1f", odds[i]);
        else std::snprintf(b, sizeof b, "%7s", "");
        g.setCell(kListOdds, static_cast<int>(i) + 1, b);
    }
    return g;
}

std::vector<std::string> col(const TextGrid& g, int c) {
    std::vector<std::string> out;
    for (int r = 1; r < g.rowCount(); ++r) out.push_back(g.cell(c, r));
    return out;
}

TEST(StakeSplit, EvenRoundsUpByPointNine) {
    struct Case {
        long long amount;
        int lines;
        std::string stake, count, total;
    } cases[] = {{1000, 3, "   400", "  3", "  1200"},
                 {1000, 7, "   200", "  7", "  1400"},
                 {1000, 20, "   100", " 20", "  2000"},
                 {100, 40, "   100", " 40", "  4000"}};  // below 100 raised to 100
    for (const Case& c : cases) {
        TextGrid g = listWithOdds(std::vector<double>(c.lines, 4.0));
        SplitLabels labels;
        splitStakes(StakeMode::Even, c.amount, g, labels);
        EXPECT_EQ(col(g, kListStake), std::vector<std::string>(c.lines, c.stake)) << c.amount << "/" << c.lines;
        EXPECT_EQ(labels.count, c.count);
        EXPECT_EQ(labels.total, c.total);
    }
}

TEST(StakeSplit, ReturnsAndTheExpectedRate) {
    TextGrid g = listWithOdds({2.0, 5.5, 30.0});
    SplitLabels labels;
    splitStakes(StakeMode::Even, 3000, g, labels);  // 1000 each, total 3000
    EXPECT_EQ(col(g, kListReturn), (std::vector<std::string>{"   2000", "   5500", "  30000"}));
    EXPECT_EQ(col(g, kListReturnRate), (std::vector<std::string>{"   66.7", "  183.3", " 1000.0"}));
    // (2000 + 5500 + 30000) / 3 / 3000 * 100
    EXPECT_EQ(labels.rate, "  416.7");
    EXPECT_EQ(labels.colour, RateColour::Black);

    g = listWithOdds({1.2, 1.5});
    splitStakes(StakeMode::Flat, 500, g, labels);
    EXPECT_EQ(labels.total, "  1000");
    EXPECT_EQ(labels.rate, "   67.5");  // (600 + 750) / 2 / 1000 * 100
    EXPECT_EQ(labels.colour, RateColour::Red);
}

TEST(StakeSplit, FlatModesAndModesWithoutReturns) {
    TextGrid g = listWithOdds(std::vector<double>(12, 3.0));
    SplitLabels labels;
    splitStakes(StakeMode::Flat, 500, g, labels);
    EXPECT_EQ(col(g, kListStake), std::vector<std::string>(12, "   500"));
    EXPECT_EQ(labels.total, "  6000");

    // 均等2 and 均一2 never show returns or a rate; 均等2 also clears the odds column.
    for (StakeMode mode : {StakeMode::Even2, StakeMode::Flat2}) {
        TextGrid h = listWithOdds({0, 0, 0});
        SplitLabels l;
        splitStakes(mode, 1000, h, l);
        EXPECT_EQ(col(h, kListStake)[0], mode == StakeMode::Even2 ? "   400" : "  1000");
        EXPECT_EQ(col(h, kListReturn), std::vector<std::string>(3, ""));
        EXPECT_EQ(l.rate, "");
        EXPECT_EQ(l.colour, RateColour::None);
    }
}

TEST(StakeSplit, ProportionalSharesInverseToOdds) {
    TextGrid g = listWithOdds({2.0, 6.0});
    SplitLabels labels;
    splitStakes(StakeMode::Proportional, 3000, g, labels);
    EXPECT_EQ(col(g, kListStake), (std::vector<std::string>{"  2300", "   800"}));
    EXPECT_EQ(labels.total, "  3100");
    EXPECT_EQ(labels.count, "  2");
    EXPECT_EQ(col(g, kListReturn), (std::vector<std::string>{"   4600", "   4800"}));

    // A share too small for 100 yen still buys 100.
    g = listWithOdds({1.1, 900.0});
    splitStakes(StakeMode::Proportional, 1000, g, labels);
    EXPECT_EQ(col(g, kListStake)[1], "   100");

    // Row 1 without odds: nothing at all.
    g = listWithOdds({0, 6.0});
    SplitLabels none;
    splitStakes(StakeMode::Proportional, 3000, g, none);
    EXPECT_EQ(col(g, kListStake), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(none.count, "");
}

TEST(StakeSplit, ErasedAndUnsplittableLines) {
    TextGrid g = listWithOdds({2.0, 3.0, 4.0});
    g.setCell(kListErase, 2, eraseMark());
    SplitLabels labels;
    splitStakes(StakeMode::Even, 1000, g, labels);
    EXPECT_EQ(col(g, kListStake), (std::vector<std::string>{"   500", "", "   500"}));
    EXPECT_EQ(labels.count, "  2");

    // No taking-part line: labels stay empty.
    SplitLabels untouched;
    TextGrid empty = listWithOdds({0, 0});
    splitStakes(StakeMode::Even, 1000, empty, untouched);
    EXPECT_EQ(untouched.total, "");
    EXPECT_EQ(col(empty, kListStake), (std::vector<std::string>{"", ""}));
}

// Typing 5000 and then 50: the 50 must not leave the 5000's stakes on the lines to be voted.
TEST(StakeSplit, AmountBelowOneHundredLeavesNoStake) {
    for (StakeMode mode : {StakeMode::Even, StakeMode::Flat, StakeMode::Proportional}) {
        TextGrid g = listWithOdds({2.0, 3.0, 4.0});
        g.setCell(kListErase, 2, eraseMark());
        SplitLabels labels;
        splitStakes(mode, 5000, g, labels);
        ASSERT_NE(col(g, kListStake)[0], "");
        splitStakes(mode, 50, g, labels);
        const std::vector<std::string> blank(3, "");
        EXPECT_EQ(col(g, kListStake), blank);
        EXPECT_EQ(col(g, kListReturn), blank);
        EXPECT_EQ(col(g, kListReturnRate), blank);
        EXPECT_EQ(labels.count + labels.total + labels.rate, "");
        EXPECT_EQ(labels.colour, RateColour::None);
        EXPECT_EQ(col(g, kListOdds)[0], "    2.0");  // the lines themselves stay
        EXPECT_EQ(g.cell(kListErase, 2), eraseMark());
        splitStakes(mode, 5000, g, labels);  // and split again at a real amount
        EXPECT_NE(col(g, kListStake)[0], "");
    }
}

}  // namespace
}  // namespace vex

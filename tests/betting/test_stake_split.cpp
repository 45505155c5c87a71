// Stake split over hand-made bet lists; every expected stake, return and rate is worked out by hand
// (the arithmetic beside it), and read as the list shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "betting/bet_list.h"
#include "betting/stake_split.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

// A 馬連 list of lines with the given odds (0 = none listed), numbered 1..n.
BetList listWithOdds(const std::vector<double>& odds) {
    BetList list{BetKind::Quinella};
    for (std::size_t i = 0; i < odds.size(); ++i) {
        BetLine line;
        line.number = static_cast<int>(i) + 1;
        line.numbers = {1, static_cast<int>(i) + 2, 0};
        if (odds[i] > 0) line.odds = odds[i];
        list.lines.push_back(line);
    }
    return list;
}

// Column `col` of every line, as the grid shows it.
std::vector<std::string> col(const BetList& list, int c) {
    std::vector<std::string> out;
    for (const BetLine& line : list.lines) out.push_back(betListCell(list, line, c));
    return out;
}

SplitLabels split(StakeMode mode, long long amount, BetList& list, StakeSummary& summary) {
    splitStakes(mode, amount, list, summary);
    return splitLabels(summary);
}

TEST(StakeSplit, EvenRoundsUpByPointNine) {
    struct Case {
        long long amount;
        int lines;
        std::string stake, count, total;
    } cases[] = {{1000, 3, "   400", "  3", "  1200"},   // 1000/3/100 = 3.33 + 0.9 -> 4 -> 400; 3 * 400
                 {1000, 7, "   200", "  7", "  1400"},   // 1000/7/100 = 1.43 + 0.9 -> 2 -> 200; 7 * 200
                 {1000, 20, "   100", " 20", "  2000"},  // 1000/20/100 = 0.5 + 0.9 -> 1 -> 100; 20 * 100
                 {100, 40, "   100", " 40", "  4000"}};  // 100/40/100 = 0.025 + 0.9 -> 0, raised to 100; 40 * 100
    for (const Case& c : cases) {
        BetList list = listWithOdds(std::vector<double>(c.lines, 4.0));
        StakeSummary summary;
        const SplitLabels labels = split(StakeMode::Even, c.amount, list, summary);
        EXPECT_EQ(col(list, kListStake), std::vector<std::string>(c.lines, c.stake)) << c.amount << "/" << c.lines;
        EXPECT_EQ(labels.count, c.count);
        EXPECT_EQ(labels.total, c.total);
    }
}

TEST(StakeSplit, ReturnsAndTheExpectedRate) {
    BetList list = listWithOdds({2.0, 5.5, 30.0});
    StakeSummary summary;
    SplitLabels labels = split(StakeMode::Even, 3000, list, summary);  // 3000/3/100 = 10 + 0.9 -> 1000 each
    // 1000 * 2.0, 1000 * 5.5, 1000 * 30.0
    EXPECT_EQ(col(list, kListReturn), (std::vector<std::string>{"   2000", "   5500", "  30000"}));
    // 2000/3000, 5500/3000, 30000/3000 as percentages
    EXPECT_EQ(col(list, kListReturnRate), (std::vector<std::string>{"   66.7", "  183.3", " 1000.0"}));
    EXPECT_EQ(labels.rate, "  416.7");  // (2000 + 5500 + 30000) / 3 / 3000 * 100
    EXPECT_EQ(labels.colour, RateColour::Black);

    list = listWithOdds({1.2, 1.5});
    labels = split(StakeMode::Flat, 500, list, summary);
    EXPECT_EQ(labels.total, "  1000");   // 2 * 500
    EXPECT_EQ(labels.rate, "   67.5");  // (600 + 750) / 2 / 1000 * 100
    EXPECT_EQ(labels.colour, RateColour::Red);
}

TEST(StakeSplit, FlatModesAndModesWithoutReturns) {
    BetList list = listWithOdds(std::vector<double>(12, 3.0));
    StakeSummary summary;
    const SplitLabels labels = split(StakeMode::Flat, 500, list, summary);
    EXPECT_EQ(col(list, kListStake), std::vector<std::string>(12, "   500"));
    EXPECT_EQ(labels.total, "  6000");  // 12 * 500

    // 均等2 and 均一2 never show returns or a rate; 均等2 also empties the odds column.
    for (StakeMode mode : {StakeMode::Even2, StakeMode::Flat2}) {
        BetList h = listWithOdds({0, 0, 0});
        StakeSummary s;
        const SplitLabels l = split(mode, 1000, h, s);
        // 均等2: 1000/3/100 = 3.33 + 0.9 -> 400; 均一2: the whole 1000
        EXPECT_EQ(col(h, kListStake)[0], mode == StakeMode::Even2 ? "   400" : "  1000");
        EXPECT_EQ(col(h, kListReturn), std::vector<std::string>(3, ""));
        EXPECT_EQ(col(h, kListOdds), std::vector<std::string>(3, mode == StakeMode::Even2 ? "" : "       "));
        EXPECT_EQ(l.rate, "");
        EXPECT_EQ(l.colour, RateColour::None);
    }
    // 均等2 drops odds a line still carried: they can no longer be split by.
    BetList withOdds = listWithOdds({2.0, 3.0});
    splitStakes(StakeMode::Even2, 1000, withOdds, summary);
    EXPECT_EQ(col(withOdds, kListOdds), (std::vector<std::string>{"", ""}));
    EXPECT_FALSE(withOdds.lines[0].odds);
}

TEST(StakeSplit, ProportionalSharesInverseToOdds) {
    BetList list = listWithOdds({2.0, 6.0});
    StakeSummary summary;
    SplitLabels labels = split(StakeMode::Proportional, 3000, list, summary);
    // Shares 1/2 : 1/6 = 75% : 25%; 3000 * 0.75 / 100 = 22.5 + 0.95 -> 2300; 750 / 100 = 7.5 + 0.95 -> 800
    EXPECT_EQ(col(list, kListStake), (std::vector<std::string>{"  2300", "   800"}));
    EXPECT_EQ(labels.total, "  3100");  // 2300 + 800
    EXPECT_EQ(labels.count, "  2");
    EXPECT_EQ(col(list, kListReturn), (std::vector<std::string>{"   4600", "   4800"}));  // 2300 * 2.0, 800 * 6.0

    // A share too small for 100 yen still buys 100: 1000 * (1/900) / (1/1.1 + 1/900) = 1.2 yen.
    list = listWithOdds({1.1, 900.0});
    split(StakeMode::Proportional, 1000, list, summary);
    EXPECT_EQ(col(list, kListStake)[1], "   100");

    // The first line without odds: nothing at all.
    list = listWithOdds({0, 6.0});
    StakeSummary none;
    labels = split(StakeMode::Proportional, 3000, list, none);
    EXPECT_EQ(col(list, kListStake), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(labels.count, "");
}

// A listed line whose odds are 0 (a place bet the win popularity let through) takes no share,
// yet buys the 100-yen minimum; it counts in the total, not in the line count or the rate.
TEST(StakeSplit, ProportionalLineWithOddsOfZeroBuysTheMinimum) {
    BetList list = listWithOdds({2.0, 2.0});
    list.lines[1].odds = 0.0;
    StakeSummary summary;
    const SplitLabels labels = split(StakeMode::Proportional, 1000, list, summary);
    // The first line takes the whole share: 1000 / 100 + 0.95 -> 10 -> 1000; the second 0 + 0.95 -> 0 -> 100.
    EXPECT_EQ(col(list, kListStake), (std::vector<std::string>{"  1000", "   100"}));
    EXPECT_EQ(labels.count, "  1");
    EXPECT_EQ(labels.total, "  1100");  // 1000 + 100
    EXPECT_EQ(col(list, kListReturn), (std::vector<std::string>{"   2000", ""}));  // 1000 * 2.0
    EXPECT_EQ(labels.rate, "  181.8");  // 2000 / 1 / 1100 * 100
}

TEST(StakeSplit, ErasedAndUnsplittableLines) {
    BetList list = listWithOdds({2.0, 3.0, 4.0});
    list.lines[1].erased = true;
    StakeSummary summary;
    const SplitLabels labels = split(StakeMode::Even, 1000, list, summary);
    EXPECT_EQ(col(list, kListStake), (std::vector<std::string>{"   500", "", "   500"}));  // 1000/2/100 + 0.9 -> 5
    EXPECT_EQ(labels.count, "  2");

    // No taking-part line: labels stay empty.
    StakeSummary untouched;
    BetList empty = listWithOdds({0, 0});
    EXPECT_EQ(split(StakeMode::Even, 1000, empty, untouched).total, "");
    EXPECT_EQ(col(empty, kListStake), (std::vector<std::string>{"", ""}));

    // Longer than a 3連単 box of 18 horses: left as it is.
    BetList tooLong = listWithOdds(std::vector<double>(kMaxBetLines + 1, 2.0));
    StakeSummary none;
    splitStakes(StakeMode::Flat, 1000, tooLong, none);
    EXPECT_EQ(tooLong.lines[0].stake, 0);
    EXPECT_FALSE(none.lines);
}

// Typing 5000 and then 50: the 50 must not leave the 5000's stakes on the lines to be voted.
TEST(StakeSplit, AmountBelowOneHundredLeavesNoStake) {
    for (StakeMode mode : {StakeMode::Even, StakeMode::Flat, StakeMode::Proportional}) {
        BetList list = listWithOdds({2.0, 3.0, 4.0});
        list.lines[1].erased = true;
        StakeSummary summary;
        splitStakes(mode, 5000, list, summary);
        ASSERT_NE(col(list, kListStake)[0], "");
        const SplitLabels labels = split(mode, 50, list, summary);
        const std::vector<std::string> blank(3, "");
        EXPECT_EQ(col(list, kListStake), blank);
        EXPECT_EQ(col(list, kListReturn), blank);
        EXPECT_EQ(col(list, kListReturnRate), blank);
        EXPECT_EQ(labels.count + labels.total + labels.rate, "");
        EXPECT_EQ(labels.colour, RateColour::None);
        EXPECT_EQ(col(list, kListOdds)[0], "    2.0");  // the lines themselves stay
        EXPECT_EQ(col(list, kListErase)[1], eraseMark());
        splitStakes(mode, 5000, list, summary);  // and split again at a real amount
        EXPECT_NE(col(list, kListStake)[0], "");
    }
}

// A list without stakes says why where it stands; a total above the typed amount is flagged beside
// the amount (3000 over 11 lines of 均等 is 11 x 300; 均一 puts 3000 on each of 3 lines).
TEST(StakeSplit, LabelsSayWhyNoStakeAndWhenTheTotalIsAboveTheAmount) {
    BetList list = listWithOdds({2.0, 3.0, 4.0});
    StakeSummary summary;
    SplitLabels l = splitLabels(summary, 50, splitStakes(StakeMode::Even, 50, list, summary));
    EXPECT_EQ(toUtf8(l.note), "入力投票金額が100円未満のため、購入額を割り振れません。100円以上を入力してください。");
    EXPECT_EQ(l.totalBesideAmount, "");

    BetList tooLong = listWithOdds(std::vector<double>(kMaxBetLines + 1, 2.0));
    l = splitLabels(summary, 3000, splitStakes(StakeMode::Even, 3000, tooLong, summary));
    EXPECT_EQ(toUtf8(l.note), "買い目が4,896点を超えるため、購入額を割り振れません。");

    l = splitLabels(summary, 3000, splitStakes(StakeMode::Flat, 3000, list, summary));
    EXPECT_EQ(l.note, "");
    EXPECT_TRUE(l.totalAboveAmount);
    EXPECT_EQ(toUtf8(l.totalBesideAmount), "合計 9,000円（入力額より6,000円多い）");

    BetList eleven = listWithOdds(std::vector<double>(11, 2.0));
    l = splitLabels(summary, 3000, splitStakes(StakeMode::Even, 3000, eleven, summary));
    EXPECT_EQ(toUtf8(l.totalBesideAmount), "合計 3,300円（入力額より300円多い）");

    BetList two = listWithOdds({2.0, 3.0});
    l = splitLabels(summary, 3000, splitStakes(StakeMode::Even, 3000, two, summary));
    EXPECT_FALSE(l.totalAboveAmount);
    EXPECT_EQ(toUtf8(l.totalBesideAmount), "合計 3,000円");
}

}  // namespace
}  // namespace vex

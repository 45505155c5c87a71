#include <gtest/gtest.h>

#include "stats/analysis.h"
#include "stats/stats_tables.h"

namespace vex {
namespace {

void expectInterval(const std::optional<Interval>& got, double low, double high) {
    ASSERT_TRUE(got.has_value());
    EXPECT_NEAR(got->low, low, 0.01);
    EXPECT_NEAR(got->high, high, 0.01);
}

// Reference figures of the Wilson interval at 95 %.
TEST(SampleInterval, WinRateIsTheWilsonIntervalInsideZeroToHundred) {
    expectInterval(rateInterval95(5, 10), 23.66, 76.34);
    expectInterval(rateInterval95(1, 36), 0.49, 14.17);
    // No wins is not "exactly 0 %", and all wins is not "exactly 100 %".
    expectInterval(rateInterval95(0, 10), 0.0, 27.75);
    expectInterval(rateInterval95(10, 10), 72.25, 100.0);
    EXPECT_FALSE(rateInterval95(0, 0).has_value());
    // A hundred times the runners: about a tenth of the width.
    auto wide = rateInterval95(2, 10), narrow = rateInterval95(200, 1000);
    EXPECT_LT((narrow->high - narrow->low) * 5, wide->high - wide->low);
}

TEST(SampleInterval, ReturnIsTheMeansIntervalFromSumAndSquares) {
    // Four 100-yen bets, one paid 500: mean 125, s = 250, half width 1.96 * 125.
    expectInterval(returnInterval95(4, 100, 500, 250000), 0.0, 125 + 1.959964 * 125);
    // Every bet paid the same: no spread, the interval is the return itself.
    expectInterval(returnInterval95(3, 100, 360, 3 * 120.0 * 120.0), 120.0, 120.0);
    EXPECT_FALSE(returnInterval95(1, 100, 500, 250000).has_value());
    EXPECT_FALSE(returnInterval95(0, 100, 0, 0).has_value());
}

TEST(SampleInterval, BetRecordKeepsTheSpreadOfWhatEachRunnerPaid) {
    BetRecord r;
    AppearanceRunner loser, winner;
    winner.finish = 1;
    winner.winPaid = 500;
    winner.placePaid = 200;
    AppearanceRunner refunded = winner;
    refunded.refunded = true;
    for (const AppearanceRunner* runner : {&loser, &loser, &loser, &winner, &refunded}) r.add(*runner, true);
    expectInterval(r.winReturnInterval(), 0.0, 125 + 1.959964 * 125);
    expectInterval(r.placeReturnInterval(), 0.0, 50 + 1.959964 * 50);
    expectInterval(r.winRateInterval(), rateInterval95(1, 4)->low, rateInterval95(1, 4)->high);
    EXPECT_TRUE(r.smallSample());
}

TEST(SampleInterval, StrategyYenFiguresAreGroupedByThousands) {
    StrategyResult r;
    r.races = 1051;
    r.bets = 1051;
    r.stake = 105100;
    r.paid = 81230;
    r.worstDrawdown = 24620;
    EXPECT_EQ(strategyTable(r).row(1), (std::vector<std::string>{"1051", "1051", "105,100", "81,230", "77.3", "0",
                                                                 "24,620"}));
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "store/payout_reader.h"
#include "store/test_day_load_store.h"

namespace vex {
namespace {

TEST(PayoutReader, LabelsOnlyForFullCombinationsAndStaleLabelsCleared) {
    auto table = std::make_unique<RaceTable>();
    std::string hr = test::Record::hr(test::key16("20240512", "44", 1))
        .payout(HR::BracketQuinella, 1, "36", 1230, 4)
        .payout(HR::BracketQuinella, 2, "00", 0, 0)
        .payout(HR::Exacta, 1, "1007", 5000, 9)
        .payout(HR::Trifecta, 1, "100102", 99999, 120)
        .payout(HR::Place, 1, "19", 100, 1)
        .str();
    table->raw[0].hr.assign(hr);
    table->races[0].payouts.exactaLabels[3] = " 9- 9";  // from an earlier decode
    decodePayouts(*table, 0);
    const RacePayouts& p = table->races[0].payouts;
    EXPECT_EQ(p.bracketQuinellaLabels[0], " 3- 6");
    EXPECT_EQ(p.bracketQuinellaLabels[1], "");
    EXPECT_EQ(p.popularity[PayoutAt::BracketQuinella], 4);
    EXPECT_EQ(p.exactaLabels[0], "10- 7");
    EXPECT_EQ(p.exactaLabels[3], "");
    EXPECT_EQ(p.trifectaLabels[0], "10- 1- 2");
    EXPECT_EQ(p.popularity[PayoutAt::Trifecta], 120);
    EXPECT_EQ(p.placeHorses[0], 19);
    for (int h = 1; h <= 18; ++h) EXPECT_EQ(table->races[0].placePayout[h], 0);

    // An all-space copy decodes to zeros and no labels.
    table->raw[0].hr.clear();
    decodePayouts(*table, 0);
    EXPECT_EQ(table->races[0].payouts.trifectaLabels[0], "");
    EXPECT_EQ(table->races[0].payouts.payout[PayoutAt::Trifecta], 0);
    prepareResultsView(*table);
    EXPECT_EQ(table->results[0].byKind[9].size(), 6u);
    EXPECT_EQ(table->results[0].byKind[9][0].label, "");
}

TEST(PayoutReader, PlacePositionsFillOnlyMissingFinishes) {
    auto table = std::make_unique<RaceTable>();
    test::Runner a{1, 1, "2019100001", 0}, b{2, 2, "2019100002", 1};
    table->raw[0].se[0].assign(test::se("20240512", "44", 1, a));
    table->raw[0].se[1].assign(test::se("20240512", "44", 1, b));
    std::string hr = test::Record::hr(test::key16("20240512", "44", 1))
        .payout(HR::Place, 1, "02", 110, 1)
        .payout(HR::Place, 2, "01", 140, 2)
        .str();
    table->raw[0].hr.assign(hr);
    decodePayouts(*table, 0);
    EXPECT_EQ(table->raw[0].se[0].field(SE::FinishPosition), "02");  // before the final records
    EXPECT_EQ(table->raw[0].se[1].field(SE::FinishPosition), "01");  // final position stands
    EXPECT_EQ(table->races[0].placePayout[1], 140);
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "store/race_table.h"

namespace vex {

TEST(RaceTable, WholeTableStaysWellUnderItsMemoryBound) {
    EXPECT_LT(sizeof(RaceTable), 64u * 1024 * 1024);
}

TEST(RaceTable, ResetClearsDerivedValuesButNotRawCopies) {
    auto table = std::make_unique<RaceTable>();
    RaceRecord& r = table->races[5];
    r.compiValue[3] = 77;
    r.frameCompiRank[2] = 1;
    r.zonePattern = 4;
    r.zoneFlag[18] = 1;
    r.runningStyle[7][2] = "XX";
    r.winPayout[1] = 350;
    r.payouts.trioLabels[0] = " 1- 2- 3";
    r.oddsFetchTime = "155430";
    table->raw[5].ra.setField(Common::Year, "2024");

    table->reset();
    EXPECT_EQ(r.compiValue[3], 0);
    EXPECT_EQ(r.frameCompiRank[2], 0);
    EXPECT_EQ(r.zonePattern, 0);
    EXPECT_EQ(r.zoneFlag[18], 0);
    EXPECT_EQ(r.runningStyle[7][2], "  ");
    EXPECT_EQ(r.winPayout[1], 0);
    EXPECT_EQ(r.payouts.trioLabels[0], "");
    EXPECT_EQ(r.oddsFetchTime, "");
    EXPECT_EQ(table->raw[5].ra.field(Common::Year), "2024");
}

TEST(RaceTable, SlotUseFollowsTheYearField) {
    auto table = std::make_unique<RaceTable>();
    EXPECT_FALSE(table->slotUsed(0));  // spaces
    table->raw[0].ra.setField(Common::Year, "0000");
    EXPECT_FALSE(table->slotUsed(0));
    table->raw[0].ra.setField(Common::Year, "2024");
    EXPECT_TRUE(table->slotUsed(0));
    EXPECT_FALSE(table->slotUsed(96));
    EXPECT_FALSE(table->slotUsed(-1));
}

TEST(RaceTable, RawRecordCopiesArePaddedAndCut) {
    RawRecord<8> r;
    r.assign("AB");
    EXPECT_EQ(r.view(), "AB      ");
    r.assign("0123456789");
    EXPECT_EQ(r.view(), "01234567");
    r.setField({7, 4}, "XY");  // beyond the record: ignored
    EXPECT_EQ(r.view(), "01234567");
    r.setField({2, 3}, "X");
    EXPECT_EQ(r.view(), "0X  4567");
}

}  // namespace vex

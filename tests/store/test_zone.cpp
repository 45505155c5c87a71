#include <gtest/gtest.h>

#include "store/test_day_load_store.h"
#include "store/zone.h"

namespace vex {
namespace {

TEST(Zone, PatternFromRaceNumberAndTopValues) {
    EXPECT_EQ(zonePattern(9, 90, 0), 1);
    EXPECT_EQ(zonePattern(10, 90, 0), 3);
    EXPECT_EQ(zonePattern(10, 78, 80), 5);
    EXPECT_EQ(zonePattern(5, 85, 77), 0);
    EXPECT_EQ(zonePattern(3, 60, 0), 2);
    EXPECT_EQ(zonePattern(12, 77, 0), 4);
    for (int top : {59, 91}) {
        EXPECT_EQ(zonePattern(4, top, 0), 0);
        EXPECT_EQ(zonePattern(11, top, 0), 0);
        EXPECT_EQ(zonePattern(11, top, 78), 5);
    }
    EXPECT_EQ(zonePattern(3, 90, 85), 1);  // E only when nothing else applied
    EXPECT_EQ(zonePattern(0, 70, 80), 5);  // race 0 is no A-D race
    EXPECT_EQ(zoneLabel(1), "A");
    EXPECT_EQ(zoneLabel(5), "E");
    EXPECT_EQ(zoneLabel(0), "");
}

TEST(Zone, RunnerFitsByWeightStyleAndRank) {
    std::string middle = sj("中"), front = sj("先");
    EXPECT_TRUE(zoneFits(2, 5, 420, middle));
    EXPECT_TRUE(zoneFits(2, 9, 700, front));
    for (int w : {419, 701, 0}) EXPECT_FALSE(zoneFits(2, 5, w, middle));
    for (const char* s : {"逃", "後"}) EXPECT_FALSE(zoneFits(2, 5, 470, sj(s)));
    EXPECT_FALSE(zoneFits(2, 5, 470, "  "));
    EXPECT_FALSE(zoneFits(2, 4, 470, middle));
    EXPECT_TRUE(zoneFits(1, 1, 470, middle));
    EXPECT_FALSE(zoneFits(1, 2, 470, middle));
    EXPECT_TRUE(zoneFits(3, 3, 470, middle));
    EXPECT_TRUE(zoneFits(4, 6, 470, middle));
    EXPECT_TRUE(zoneFits(5, 2, 470, middle));
    EXPECT_FALSE(zoneFits(5, 0, 470, middle));
    EXPECT_FALSE(zoneFits(0, 1, 470, middle));
}

TEST(Zone, AppliedToUsedSlotsOnly) {
    auto table = std::make_unique<RaceTable>();
    table->raw[0].ra.assign(test::ra("20240512", "44", 4, 6, "1500"));
    table->races[0].topValue = 70;
    table->races[0].compiRank[1] = 5;
    table->races[0].compiRank[2] = 5;
    table->races[0].runningStyle[1][1] = sj("中");
    table->raw[0].pastSe[0][0].setField(SE::BodyWeight, "480");
    table->races[0].runningStyle[2][1] = sj("中");  // no past run: weight blank
    table->raw[1].ra.assign(test::ra("00000512", "44", 9, 6, "1500"));
    table->raw[1].ra.setField(Common::Year, "0000");
    table->races[1].topValue = 90;
    applyZoneRule(*table);
    EXPECT_EQ(table->races[0].zonePattern, 2);
    EXPECT_EQ(table->races[0].zoneFlag[1], 1);
    EXPECT_EQ(table->races[0].zoneFlag[2], 0);
    EXPECT_EQ(table->races[1].zonePattern, 0);
}

}  // namespace
}  // namespace vex

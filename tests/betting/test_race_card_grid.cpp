// The race card grid of the developer tab, built from a race table slot filled by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "betting/race_card_grid.h"
#include "store/race_table.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

class RaceCardGridTest : public ::testing::Test {
protected:
    static constexpr int kSlot = 5;
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();
    RaceRecord& rec() { return table->races[kSlot]; }
    RawRecords& raw() { return table->raw[kSlot]; }

    // A race of `runners` runners whose records are in horse order.
    void setUpRace(int runners) {
        raw().ra.setField(Common::Year, "2024");
        char count[4];
        std::snprintf(count, sizeof count, "%02d", runners);
        raw().ra.setField(RA::Registered, count);
        for (int m = 0; m < runners; ++m) {
            SeRecord& se = raw().se[m];
            se.setField(Common::Year, "2024");
            se.setField(SE::Frame, std::to_string(m / 2 + 1));
            char horse[4];
            std::snprintf(horse, sizeof horse, "%02d", m + 1);
            se.setField(SE::Horse, horse);
            se.setField(SE::HorseName, sj("テストホース") + horse);
            se.setField(SE::Sex, "1");
            se.setField(SE::Age, "04");
            se.setField(SE::Jockey, sj("騎手") + horse);
            se.setField(SE::WeightCarried, "560");
        }
    }
    void setPastRun(int horse, int k, const char* monthDay, const char* track, int distance, const char* course,
                    const char* finish, const char* popularity, const char* runners) {
        SeRecord& se = raw().pastSe[horse - 1][k - 1];
        RaRecord& ra = raw().pastRa[horse - 1][k - 1];
        se.setField(Common::Year, "2024");
        se.setField(Common::MonthDay, monthDay);
        se.setField(Common::Track, track);
        se.setField(Common::RaceNumber, "05");
        se.setField(SE::FinishPosition, finish);
        se.setField(SE::WinPopularity, popularity);
        ra.setField(RA::Distance, std::to_string(distance));  // four digits here
        ra.setField(RA::Surface, course);
        ra.setField(RA::Registered, runners);
    }
    TextGrid grid() const { return buildRaceCardGrid(*table, kSlot); }
};

TEST_F(RaceCardGridTest, RowsFollowTheRegisteredRunnersUnderAShortHeader) {
    setUpRace(7);
    TextGrid g = grid();
    ASSERT_EQ(g.colCount(), kRaceCardColumns);
    ASSERT_EQ(g.rowCount(), 8);
    EXPECT_EQ(g.cell(kRcCompi, 0), sj("ｺﾝﾋﾟ"));
    for (int c = 0; c < kRaceCardColumns; ++c) EXPECT_LE(g.cell(c, 0).size(), 6u) << "header of column " << c;

    // A race without runner records keeps the header alone; a slot outside the table too.
    raw().ra.setField(RA::Registered, "0");
    EXPECT_EQ(grid().rowCount(), 1);
    EXPECT_EQ(buildRaceCardGrid(*table, kMaxRaces).rowCount(), 1);
    EXPECT_EQ(buildRaceCardGrid(*table, -1).rowCount(), 1);
}

TEST_F(RaceCardGridTest, EntryColumnsComeFromTheRunnerRecords) {
    setUpRace(3);
    TextGrid g = grid();
    EXPECT_EQ(g.cell(kRcFrame, 3), " 2");
    EXPECT_EQ(g.cell(kRcHorse, 3), " 3");
    EXPECT_EQ(g.cell(kRcName, 3), sj("テストホース03")) << "trailing blanks go";
    EXPECT_EQ(g.cell(kRcSexAge, 1), sj("牡4"));
    EXPECT_EQ(g.cell(kRcJockey, 2), sj("騎手02"));
    EXPECT_EQ(g.cell(kRcWeight, 1), "56.0");
    EXPECT_EQ(g.cell(kRcTime, 1), "") << "no time before the race";
    raw().se[0].setField(SE::Time, "1254");
    raw().se[1].setField(SE::Time, "12x4");  // damaged: blank, the rest still built
    g = grid();
    EXPECT_EQ(g.cell(kRcTime, 1), "125.4");
    EXPECT_EQ(g.cell(kRcTime, 2), "");
    EXPECT_EQ(g.cell(kRcName, 2), sj("テストホース02"));
}

TEST_F(RaceCardGridTest, ValuesByHorseNumberLandInTheirColumns) {
    setUpRace(4);
    // Runner records 1 and 2 carry horses 2 and 1: the values follow the horse, not the row.
    raw().se[0].setField(SE::Horse, "02");
    raw().se[1].setField(SE::Horse, "01");
    rec().compiValue[1] = 72;
    rec().compiRank[1] = 1;
    rec().compiValue[2] = 12;
    rec().compiRank[2] = 4;
    rec().compiValue[3] = 11;
    rec().compiValue[4] = 5;  // an unknown code shows nothing
    rec().winOdds[1] = 12.3;
    rec().winPopularity[1] = 1;
    rec().winOdds[2] = Cancelled;
    rec().placeOddsLower[1] = 1.1;
    rec().placeLowerPopularity[1] = 2;
    rec().intervalDays[1][1] = 21;
    rec().zoneFlag[2] = 1;
    rec().finalPosition[1] = 3;
    rec().finalPopularity[1] = 1;
    rec().finishCounts[1] = {2, 0, 1, 5};
    TextGrid g = grid();
    // Row 2 is horse 1.
    EXPECT_EQ(g.cell(kRcHorse, 2), " 1");
    EXPECT_EQ(g.cell(kRcCompi, 2), " 72");
    EXPECT_EQ(g.cell(kRcCompiRank, 2), " 1");
    EXPECT_EQ(g.cell(kRcWinOdds, 2), " 12.3");
    EXPECT_EQ(g.cell(kRcWinPopularity, 2), " 1");
    EXPECT_EQ(g.cell(kRcPlaceOdds, 2), " 1.1");
    EXPECT_EQ(g.cell(kRcPlacePopularity, 2), " 2");
    EXPECT_EQ(g.cell(kRcInterval, 2), " 21");
    EXPECT_EQ(g.cell(kRcRecord, 2), "2-0-1-5");
    EXPECT_EQ(g.cell(kRcFinish, 2), " 3");
    EXPECT_EQ(g.cell(kRcFinalPopularity, 2), " 1");
    EXPECT_EQ(g.cell(kRcZone, 2), "");
    // Row 1 is horse 2: a code for its Compi value, no odds, the zone mark.
    EXPECT_EQ(g.cell(kRcCompi, 1), sj("除"));
    EXPECT_EQ(g.cell(kRcCompiRank, 1), " 4");
    EXPECT_EQ(g.cell(kRcWinOdds, 1), "") << "cancelled odds show nothing";
    EXPECT_EQ(g.cell(kRcZone, 1), sj("☆"));
    EXPECT_EQ(g.cell(kRcCompi, 3), sj("消"));
    // Nothing known: blank, never 0.
    for (int c : {kRcInterval, kRcCompiRank, kRcWinPopularity, kRcPlaceOdds, kRcPlacePopularity, kRcTopThreeRate,
                  kRcTopThreeRank, kRcLastFinish, kRcLastPopularity, kRcPastRun, kRcRecord, kRcFinish,
                  kRcFinalPopularity})
        EXPECT_EQ(g.cell(c, 4), "") << "column " << c;

    // A runner record without a horse number shows its entry but no values.
    raw().se[3].setField(SE::Horse, "  ");
    rec().compiValue[4] = 60;
    g = grid();
    EXPECT_EQ(g.cell(kRcHorse, 4), "");
    EXPECT_EQ(g.cell(kRcCompi, 4), "");
    EXPECT_EQ(g.cell(kRcName, 4), sj("テストホース04"));
}

TEST_F(RaceCardGridTest, TopThreeRateIsRankedAmongTheRunnersWithTiesSharingARank) {
    setUpRace(5);
    rec().topThreeRate[1] = 40.0;
    rec().topThreeRate[2] = 62.5;
    rec().topThreeRate[3] = 40.0;
    rec().topThreeRate[4] = 10.0;
    rec().topThreeRate[6] = 99.0;  // not a runner of this race: does not count
    TextGrid g = grid();
    EXPECT_EQ(g.cell(kRcTopThreeRate, 2), " 62.5");
    EXPECT_EQ(g.cell(kRcTopThreeRank, 2), " 1");
    EXPECT_EQ(g.cell(kRcTopThreeRank, 1), " 2");
    EXPECT_EQ(g.cell(kRcTopThreeRank, 3), " 2");
    EXPECT_EQ(g.cell(kRcTopThreeRank, 4), " 4");
    EXPECT_EQ(g.cell(kRcTopThreeRank, 5), "") << "no rate, no rank";
}

TEST_F(RaceCardGridTest, PastRunsAreSummarisedInThreeColumnsEach) {
    setUpRace(2);
    setPastRun(1, 1, "0420", "43", 1400, "24", "03", "05", "14");
    setPastRun(1, 3, "0310", "05", 1600, "11", "01", "01", "16");
    setPastRun(2, 2, "0401", "44", 1200, "23", "00", "00", "12");  // position not known
    TextGrid g = grid();
    EXPECT_EQ(g.cell(kRcLastFinish, 1), " 3");
    EXPECT_EQ(g.cell(kRcLastPopularity, 1), " 5");
    EXPECT_EQ(g.cell(kRcPastRun, 1), sj("4.20船橋"));
    EXPECT_EQ(g.cell(kRcPastRun + 1, 1), sj("ダ1400"));
    EXPECT_EQ(g.cell(kRcPastRun + 2, 1), " 3/14");
    EXPECT_EQ(g.cell(kRcPastRun + 3, 1), "") << "an empty past run leaves its columns blank";
    EXPECT_EQ(g.cell(kRcPastRun + 6, 1), sj("3.10東京"));
    EXPECT_EQ(g.cell(kRcPastRun + 7, 1), sj("芝1600"));
    EXPECT_EQ(g.cell(kRcPastRun + 8, 1), " 1/16");
    // Horse 2 has no past run 1: nothing for the last run; its run 2 shows without a position.
    EXPECT_EQ(g.cell(kRcLastFinish, 2), "");
    EXPECT_EQ(g.cell(kRcPastRun, 2), "");
    EXPECT_EQ(g.cell(kRcPastRun + 3, 2), sj("4.1大井"));
    EXPECT_EQ(g.cell(kRcPastRun + 4, 2), sj("ダ1200"));
    EXPECT_EQ(g.cell(kRcPastRun + 5, 2), "");
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "store/odds_reader.h"
#include "store/test_day_load_store.h"
#include "support/test_support.h"

namespace vex {
namespace {
using namespace vex::test;

TEST(OddsValue, CancelledNoDataNumbersAndJunk) {
    EXPECT_DOUBLE_EQ(oddsValue("----"), Cancelled);
    EXPECT_DOUBLE_EQ(oddsValue("****"), Cancelled);
    EXPECT_DOUBLE_EQ(oddsValue("-------"), Cancelled);
    EXPECT_DOUBLE_EQ(oddsValue("    "), NoData);
    EXPECT_DOUBLE_EQ(oddsValue("0000"), 0.0);
    EXPECT_DOUBLE_EQ(oddsValue("0035"), 3.5);
    EXPECT_DOUBLE_EQ(oddsValue("  35"), 3.5);
    bool bad = false;
    EXPECT_DOUBLE_EQ(oddsValue("-*-*", &bad), NoData);  // mixed marks are no cancellation
    EXPECT_TRUE(bad);
    bad = false;
    EXPECT_DOUBLE_EQ(oddsValue("3.5x", &bad), NoData);
    EXPECT_TRUE(bad);
}

// One O1 record (and optionally O2) for race 44-1 with `runners` registered.
struct OddsDay {
    explicit OddsDay(int runners) {
        std::filesystem::create_directories(appFolder() / "Data");
        paths = dayPaths(sj("2024年05月12日"));
        table = std::make_unique<RaceTable>();
        table->paths = paths;
        table->raw[0].ra.assign(ra("20240512", "44", 1, runners, "1500"));
        o1 = Record::of("O1", key16("20240512", "44", 1));
    }
    void write() { writeRecords(paths.o1, {Record::of("O1", key16("20240512", "44", 2)), o1}); }
    int read() {
        table->oddsTargetSlot = 0;
        return readOdds(*table);
    }
    DayPaths paths;
    std::unique_ptr<RaceTable> table;
    std::string o1;
};

TEST(OddsReader, PopularityTiesBrokenByPlaceOddsThenHorse) {
    TempHome home;
    OddsDay day(3);
    const char* win[] = {"0020", "0035", "0035"};
    const char* lower[] = {"0011", "0013", "0012"};
    for (int h = 1; h <= 3; ++h) {
        setField(day.o1, Odds::Win.odds(h), win[h - 1]);
        setField(day.o1, Odds::PlaceLower.odds(h), lower[h - 1]);
        setField(day.o1, Odds::PlaceUpper.odds(h), "0030");
    }
    day.write();
    EXPECT_EQ(day.read(), 0);
    const RaceRecord& r = day.table->races[0];
    EXPECT_EQ(r.winPopularity[1], 1);
    EXPECT_EQ(r.winPopularity[3], 2);
    EXPECT_EQ(r.winPopularity[2], 3);
    EXPECT_EQ(r.placeLowerPopularity[1], 1);
    EXPECT_EQ(r.placeLowerPopularity[3], 2);
    EXPECT_DOUBLE_EQ(r.placeOddsUpper[2], 3.0);
    EXPECT_EQ(r.placeUpperPopularity[1], 1);  // all 3.0: the lower odds decide
    EXPECT_EQ(r.placeUpperPopularity[2], 3);
}

TEST(OddsReader, RunnerBoundAndBadFieldsDoNotStopTheRace) {
    TempHome home;
    OddsDay day(16);
    for (int h = 1; h <= 18; ++h) {
        setField(day.o1, Odds::Win.odds(h), "0050");
        setField(day.o1, Odds::PlaceLower.odds(h), "0015");
        setField(day.o1, Odds::PlaceUpper.odds(h), "0020");
    }
    setField(day.o1, Odds::Win.odds(2), "00x5");  // malformed: no data, the rest goes on
    setField(day.o1, Odds::BracketQuinella.odds(36), "01234");
    setField(day.o1, Odds::BracketQuinella.popularity(36), " 9");
    day.write();
    EXPECT_EQ(day.read(), 1);
    const RaceRecord& r = day.table->races[0];
    EXPECT_DOUBLE_EQ(r.winOdds[2], NoData);
    EXPECT_DOUBLE_EQ(r.winOdds[16], 5.0);
    EXPECT_DOUBLE_EQ(r.winOdds[17], 0.0);  // beyond the 16 registered runners
    EXPECT_DOUBLE_EQ(r.winOdds[18], 0.0);
    EXPECT_DOUBLE_EQ(r.bracketQuinellaOdds[36], 123.4);
    EXPECT_EQ(r.bracketQuinellaPopularity[36], 9);
    EXPECT_EQ(r.winPopularity[2], 0);

    // 18 registered: horse 18 is read.
    day.table->raw[0].ra.setField(RA::Registered, "18");
    day.read();
    EXPECT_DOUBLE_EQ(r.winOdds[18], 5.0);
}

TEST(OddsReader, PreviousCopyStaysWhenTheFileLosesTheRace) {
    TempHome home;
    OddsDay day(2);
    setField(day.o1, Odds::Win.odds(1), "0042");
    day.write();
    day.read();
    EXPECT_DOUBLE_EQ(day.table->races[0].winOdds[1], 4.2);
    std::filesystem::remove(day.paths.o1);
    day.read();  // parsed again from the raw copy of the earlier read
    EXPECT_DOUBLE_EQ(day.table->races[0].winOdds[1], 4.2);
    // A race without a number looks nothing up.
    day.table->raw[0].ra.setField(Common::RaceNumber, "00");
    EXPECT_EQ(day.read(), 0);
}

TEST(OddsReader, DayLoadClearsARaceWhoseRecordsAreGone) {
    TempHome home;
    OddsDay day(3);
    setField(day.o1, Odds::BracketQuinella.odds(1), "00123");
    setField(day.o1, Odds::BracketQuinella.popularity(1), " 4");
    std::string o6 = Record::of("O6", key16("20240512", "44", 1));
    setField(o6, Odds::Trifecta.odds(4896), "0012345");
    setField(o6, Odds::Trifecta.popularity(4896), "   7");
    day.write();
    writeRecords(day.paths.o6, {o6});
    const RaceRecord& r = day.table->races[0];
    {
        OddsFiles files(day.paths, true);
        EXPECT_EQ(readOdds(*day.table, 0, files, true), 0);
    }
    EXPECT_DOUBLE_EQ(r.bracketQuinellaOdds[1], 12.3);
    EXPECT_EQ(r.trifectaPopularity[4896], 7);
    EXPECT_DOUBLE_EQ(r.trifectaOdds[1], NoData);  // blank field

    // The files lose the race: the day load's read leaves no value of the earlier one behind.
    std::filesystem::remove(day.paths.o1);
    std::filesystem::remove(day.paths.o6);
    {
        OddsFiles files(day.paths, true);
        EXPECT_EQ(readOdds(*day.table, 0, files, true), 0);
    }
    for (double v : {r.bracketQuinellaOdds[1], r.trifectaOdds[4896], r.trifectaOdds[1], r.quinellaOdds[153]})
        EXPECT_DOUBLE_EQ(v, NoData);
    EXPECT_EQ(r.bracketQuinellaPopularity[1], 0);
    EXPECT_EQ(r.trifectaPopularity[4896], 0);
    EXPECT_EQ(day.table->raw[0].o6.view(), std::string(RecordLength::O6, ' '));
}

}  // namespace
}  // namespace vex

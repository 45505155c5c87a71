// The timer rules on the clock: when a race's odds are due, the racing windows of both timers,
// and a day that is not today.
#include <gtest/gtest.h>

#include <memory>

#include "datalink/timed_refresh.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "support/records.h"

namespace vex {
namespace {

const std::string kToday = "20240510";
const DateTime kDay{2024, 5, 10, 0, 0, 0};

DateTime at(int h, int m, int s) { return {kDay.year, kDay.month, kDay.day, h, m, s}; }

// A day with the 16:05 race in slot 0 (odds 10 min 30 s before) and the 16:40 race in slot 1.
struct TimedOdds : ::testing::Test {
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();
    OddsFetchedFlags fetched;
    TimedOdds() {
        race(0, 1, "1605", "155430", "155435");
        race(1, 2, "1640", "162930", "162935");
    }
    void race(int slot, int number, std::string_view post, std::string fetch, std::string recheck) {
        auto& raw = table->raw[static_cast<std::size_t>(slot)];
        raw.ra.assign(std::string(test::Record::ra(test::raceKey(kToday, "44", number)).post(post)));
        table->races[static_cast<std::size_t>(slot)].oddsFetchTime = std::move(fetch);
        table->races[static_cast<std::size_t>(slot)].oddsRecheckTime = std::move(recheck);
    }
    std::vector<std::string> tick(int h, int m, int s) { return takeOddsWorkList(*table, fetched, at(h, m, s)); }
};

TEST_F(TimedOdds, FetchesAtTheOddsTimeOnceAndQueuesTheWorkListLine) {
    EXPECT_TRUE(tick(15, 54, 29).empty());
    auto lines = tick(15, 54, 30);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], test::raceKey(kToday, "44", 1) + " 0");
    // Queued is not fetched: the flag waits for the fetch to succeed.
    EXPECT_FALSE(fetched.isSet(0));
    fetched.set(0, dayStampOf(kDay));
    // The re-check second and every later one: the flag holds it.
    EXPECT_TRUE(tick(15, 54, 31).empty());
    EXPECT_TRUE(tick(15, 54, 35).empty());
}

TEST_F(TimedOdds, AFetchThatDidNotSucceedIsTriedAgainAfterThePause) {
    ASSERT_EQ(tick(15, 54, 30).size(), 1u);
    // The job failed or was cancelled: no flag. Not every tick, but after the pause, again.
    EXPECT_TRUE(tick(15, 54, 31).empty());
    EXPECT_TRUE(tick(15, 54, 59).empty());
    EXPECT_EQ(tick(15, 55, 0).size(), 1u);
    // A day load forgets the attempts with the flags.
    fetched.clear();
    EXPECT_EQ(tick(15, 55, 1).size(), 1u);
}

TEST_F(TimedOdds, ASkippedSecondIsMadeUpAtTheNextTickBeforeThePost) {
    EXPECT_TRUE(tick(15, 54, 29).empty());
    // 15:54:30 never ticked (the window was busy, the clock jumped).
    auto lines = tick(15, 54, 31);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(raceOfWorkListLine(lines[0])->slot, 0);

    // A jump over both odds times fetches both races, in slot order, once.
    table->races[1].oddsFetchTime = "155500";
    OddsFetchedFlags fresh;
    auto both = takeOddsWorkList(*table, fresh, at(15, 56, 0));
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(raceOfWorkListLine(both[0])->slot, 0);
    EXPECT_EQ(raceOfWorkListLine(both[1])->slot, 1);
}

TEST_F(TimedOdds, NothingOnceThePostHasComeOrTheOddsWereFetchedByHand) {
    EXPECT_TRUE(takeOddsWorkList(*table, fetched, at(16, 5, 0)).empty());
    auto late = takeOddsWorkList(*table, fetched, at(16, 29, 30));
    ASSERT_EQ(late.size(), 1u);  // only the 16:40 race
    EXPECT_EQ(raceOfWorkListLine(late[0])->slot, 1);
    EXPECT_FALSE(fetched.isSet(0));

    OddsFetchedFlags byHand;
    byHand.set(0, dayStampOf(kDay));
    EXPECT_TRUE(oddsDueSlots(*table, byHand, at(15, 55, 0)).empty());
}

TEST_F(TimedOdds, RacesWithoutTimesOrWithABlankPostAreNeverDue) {
    table->races[0].oddsFetchTime.clear();
    table->races[0].oddsRecheckTime.clear();
    table->raw[1].ra.setField(RA::PostTime, "    ");
    EXPECT_TRUE(oddsDueSlots(*table, fetched, at(16, 0, 0)).empty());
}

TEST(TimedRefreshWindows, NineToTheLatestPostAndThirtyMinutesMoreForResults) {
    const std::string today = dayStampOf(kDay);
    EXPECT_FALSE(oddsTimerActs(today, "2020", at(8, 59, 59)));
    EXPECT_FALSE(resultsTimerActs(today, "2020", at(8, 59, 0)));
    EXPECT_TRUE(oddsTimerActs(today, "2020", at(9, 0, 0)));
    EXPECT_TRUE(resultsTimerActs(today, "2020", at(9, 0, 0)));
    EXPECT_TRUE(oddsTimerActs(today, "2020", at(20, 20, 59)));
    EXPECT_FALSE(oddsTimerActs(today, "2020", at(20, 21, 0)));
    EXPECT_TRUE(resultsTimerActs(today, "2020", at(20, 50, 59)));
    EXPECT_FALSE(resultsTimerActs(today, "2020", at(20, 51, 0)));
}

TEST(TimedRefreshWindows, ADayThatIsNotTodayStopsBoth) {
    const std::string yesterday = dayStampOf({2024, 5, 9, 0, 0, 0});
    EXPECT_FALSE(oddsTimerActs(yesterday, "2020", at(12, 0, 0)));
    EXPECT_FALSE(resultsTimerActs(yesterday, "2020", at(12, 0, 0)));
    EXPECT_FALSE(oddsTimerActs("", "2020", at(12, 0, 0)));
    EXPECT_TRUE(showsToday(dayStampOf(kDay), at(23, 59, 59)));
}

TEST(OddsWorkList, LinesCarryTheKeyAndTheSlotRightAligned) {
    const std::string key = test::raceKey(kToday, "45", 11);
    EXPECT_EQ(workListLine(key, 7), key + " 7");
    EXPECT_EQ(workListLine(key, 42), key + "42");
    auto race = raceOfWorkListLine(key + "42");
    ASSERT_TRUE(race);
    EXPECT_EQ(race->slot, 42);
    EXPECT_EQ(race->raceKey, key);
    EXPECT_EQ(race->raceNumber, "11");
    EXPECT_EQ(race->trackName, trackShortName("45"));
    EXPECT_FALSE(raceOfWorkListLine(key));
    EXPECT_FALSE(raceOfWorkListLine(key + "99"));
}

}  // namespace
}  // namespace vex

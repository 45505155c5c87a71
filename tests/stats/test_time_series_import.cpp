#include <gtest/gtest.h>

#include "app/file_read.h"
#include "stats/time_series_import.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// An O1 snapshot of race `race` of 大井 on 12 May 2024, announced on `monthDay` at hh:mm, the win
// odds of horse 1 telling the snapshots apart.
std::string snapshot(int race, const std::string& monthDay, int hour, int minute, int tenths) {
    std::string record = test::Record::of("O1", test::raceKey("20240512", "44", race))
                             .set({28, 4}, monthDay)
                             .set({32, 2}, test::two(hour))
                             .set({34, 2}, test::two(minute))
                             .odds(Odds::Win, 1, tenths)
                             .str();
    return record.substr(0, record.size() - 2);
}

TEST(TimeSeriesImport, NearestSnapshotOfTheRaceDay) {
    // 14:55 and 15:05 around a fetch time of 15:00: the first listed wins.
    std::vector<std::string> lines{snapshot(1, "0512", 14, 30, 10), snapshot(1, "0512", 14, 55, 20),
                                   snapshot(1, "0512", 15, 5, 30)};
    EXPECT_EQ(nearestSnapshot(lines, 15 * 60), 1u);
    EXPECT_EQ(nearestSnapshot(lines, 15 * 60 + 3), 2u);
    EXPECT_EQ(nearestSnapshot(lines, 9 * 60), 0u);
    // Announced the day before: never taken, however near its time.
    std::vector<std::string> dayBefore{snapshot(1, "0511", 15, 0, 10)};
    EXPECT_FALSE(nearestSnapshot(dayBefore, 15 * 60));
    // A cut line is no snapshot.
    std::vector<std::string> cut{snapshot(1, "0512", 15, 0, 10).substr(0, 500), snapshot(1, "0512", 12, 0, 40)};
    EXPECT_EQ(nearestSnapshot(cut, 15 * 60), 1u);
}

TEST(TimeSeriesImport, ReplacesTheRacesLineOrAddsItAtTheEnd) {
    std::vector<std::string> day{snapshot(1, "0512", 10, 0, 11), snapshot(2, "0512", 10, 0, 12)};
    putOddsLine(day, snapshot(2, "0512", 15, 0, 99));
    ASSERT_EQ(day.size(), 2u);
    EXPECT_EQ(day[1], snapshot(2, "0512", 15, 0, 99));
    putOddsLine(day, snapshot(3, "0512", 15, 0, 77));
    ASSERT_EQ(day.size(), 3u);
    EXPECT_EQ(day[2], snapshot(3, "0512", 15, 0, 77));
}

class TimeSeriesDay : public ::testing::Test {
protected:
    test::TempHome home;
    fs::path folder = home.path() / "series";
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();
    std::string stamp = sj("2024年05月12日");

    void SetUp() override {
        table->dayLoaded = true;
        table->paths = dayPaths(stamp);
        for (int race = 1; race <= 3; ++race) {
            auto slot = static_cast<std::size_t>(race - 1);
            table->raw[slot].ra.assign(test::Record::ra(test::raceKey("20240512", "44", race)).runners(8).str());
            table->races[slot].oddsFetchTime = race == 3 ? "" : "150000";
        }
        fs::create_directories(folder / "20240512");
    }
    void series(int race, const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& l : lines) bytes += l + "\r\n";
        test::writeBytes(folder / "20240512" / ("44" + test::two(1) + test::two(1) + test::two(race) + ".nvO1"), bytes);
    }
};

TEST_F(TimeSeriesDay, WritesTheSnapshotsIntoTheDayOddsFile) {
    fs::create_directories(dataFolder());
    test::writeBytes(dayFilePath(stamp, DayFile::O1), snapshot(2, "0512", 9, 0, 1) + "\r\n");
    series(1, {snapshot(1, "0512", 14, 50, 40), snapshot(1, "0512", 15, 1, 41)});
    series(2, {snapshot(2, "0512", 14, 58, 50)});
    series(3, {snapshot(3, "0512", 15, 0, 60)});  // race 3 has no fetch time: skipped
    EXPECT_EQ(importTimeSeriesOdds(*table, folder), 2);
    std::vector<std::string> lines = readLines(dayFilePath(stamp, DayFile::O1));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], snapshot(2, "0512", 14, 58, 50));  // replaced in place
    EXPECT_EQ(lines[1], snapshot(1, "0512", 15, 1, 41));   // added at the end
    EXPECT_EQ(toUtf8(timeSeriesImportMessage(2)), "2ﾚｰｽ分の単複枠ｵｯｽﾞ、0ﾚｰｽ分の3連単ｵｯｽﾞ\r\nを取りこみました。");
}

TEST_F(TimeSeriesDay, NothingToImportLeavesTheStoreAlone) {
    series(1, {snapshot(1, "0511", 15, 0, 40)});  // announced the day before
    EXPECT_EQ(importTimeSeriesOdds(*table, folder), 0);
    EXPECT_FALSE(fs::exists(dayFilePath(stamp, DayFile::O1)));
    table->dayLoaded = false;
    series(1, {snapshot(1, "0512", 15, 0, 40)});
    EXPECT_EQ(importTimeSeriesOdds(*table, folder), 0);
}

}  // namespace
}  // namespace vex

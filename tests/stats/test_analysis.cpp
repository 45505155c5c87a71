#include <gtest/gtest.h>

#include "stats/stats_tables.h"
#include "support/appearance_days.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

std::vector<AppearanceRace> handRaces() {
    std::string bytes;
    for (const std::string& line : test::handDayLines()) bytes += line + "\r\n";
    std::vector<AppearanceRace> races;
    EXPECT_EQ(parseAppearanceFile(bytes, races), "");
    return races;
}

std::vector<std::string> row(const TextGrid& grid, int r) { return grid.row(r); }

// Figures worked out by hand from tests/support/appearance_days.h.
TEST(Analysis, ByCompiRankCountsDeadHeatsTwiceAndScratchedRunnersNever) {
    Analysis a = analyse(handRaces(), RaceFilter{});
    EXPECT_EQ(a.days, 1);
    EXPECT_EQ(a.races, 3);
    TextGrid table = compiRankTable(a);
    ASSERT_EQ(table.rowCount(), 19);
    EXPECT_EQ(row(table, 0), (std::vector<std::string>{sj("順位"), sj("頭数"), sj("1着"), sj("3着内"), sj("勝率"),
                                                      sj("複勝率"), sj("単回収率"), sj("複回収率")}));
    // Rank 1: two winners paid 250 and 180 to win, 120 and 110 to place.
    EXPECT_EQ(row(table, 1), (std::vector<std::string>{"1", "2", "2", "2", "100.0", "100.0", "215.0", "115.0"}));
    // Rank 2: third (place 300) and the second winner of the dead heat (320, 140).
    EXPECT_EQ(row(table, 2), (std::vector<std::string>{"2", "2", "1", "2", "50.0", "100.0", "160.0", "220.0"}));
    EXPECT_EQ(row(table, 3), (std::vector<std::string>{"3", "2", "0", "2", "0.0", "100.0", "0.0", "175.0"}));
    // Rank 5: race 1's is scratched (refunded), race 2's ran fifth.
    EXPECT_EQ(row(table, 5), (std::vector<std::string>{"5", "1", "0", "0", "0.0", "0.0", "0.0", "0.0"}));
    EXPECT_EQ(row(table, 7), (std::vector<std::string>{"7", "0", "0", "0", "-", "-", "-", "-"}));
}

TEST(Analysis, ByPopularityIncludesRacesWithoutCompi) {
    TextGrid table = popularityTable(analyse(handRaces(), RaceFilter{}));
    // Favourites: race 1 won (250/120), race 2 won the dead heat (320/140), race 3 second (place 130).
    EXPECT_EQ(row(table, 1), (std::vector<std::string>{"1", "3", "2", "3", "66.7", "100.0", "190.0", "130.0"}));
    // Fifth favourites: race 2 and race 3 (race 1's horse 5 was scratched and had no popularity).
    EXPECT_EQ(row(table, 5)[1], "2");
}

TEST(Analysis, ZonePatternFromTheFileAndTheRecommendedHorse) {
    TextGrid table = zoneTable(analyse(handRaces(), RaceFilter{}));
    ASSERT_EQ(table.rowCount(), 7);
    EXPECT_EQ(row(table, 1), (std::vector<std::string>{"A", "1", "1", "1", "1", "100.0", "100.0", "250.0", "120.0"}));
    EXPECT_EQ(row(table, 2)[1], "0");
    // Race 10 with top 88 is C; its recommended horse (rank 2) won the dead heat.
    EXPECT_EQ(row(table, 3), (std::vector<std::string>{"C", "1", "1", "1", "1", "100.0", "100.0", "320.0", "140.0"}));
    // The race without Compi data has no pattern and no recommended horse.
    EXPECT_EQ(row(table, 6), (std::vector<std::string>{sj("なし"), "1", "0", "0", "0", "-", "-", "-", "-"}));
}

TEST(Analysis, FilterKeepsTracksRangesAndSurface) {
    std::vector<AppearanceRace> races = handRaces();
    RaceFilter filter;
    filter.tracks = {45};
    EXPECT_EQ(analyse(races, filter).races, 1);
    filter.tracks = {};
    filter.raceNumber = {2, 12};
    EXPECT_EQ(analyse(races, filter).races, 2);
    filter.raceNumber = {1, 99};
    filter.distance = {1300, 1600};
    filter.runners = {6, 18};
    EXPECT_EQ(analyse(races, filter).races, 1);
    filter = RaceFilter{};
    filter.surface = Surface::Turf;
    Analysis none = analyse(races, filter);
    EXPECT_EQ(none.races, 0);
    EXPECT_EQ(none.days, 0);
    EXPECT_EQ(coverageText(none), sj("0日 0レース"));
}

TEST(Strategy, BetsTheChosenPopularityAndTracksTheRunningBalance) {
    StrategyCriteria favourites;
    favourites.popularity = {1};
    StrategyResult r = checkStrategy(handRaces(), RaceFilter{}, favourites);
    EXPECT_EQ(r.races, 3);
    EXPECT_EQ(r.bets, 3);
    EXPECT_EQ(r.stake, 300);
    EXPECT_EQ(r.paid, 570);
    ASSERT_EQ(r.balance.size(), 3u);
    EXPECT_EQ(r.balance[0].balance, 150);
    EXPECT_EQ(r.balance[1].balance, 370);
    EXPECT_EQ(r.balance[2].balance, 270);
    EXPECT_EQ(r.longestLosingRun, 1);
    EXPECT_EQ(r.worstDrawdown, 100);
    EXPECT_EQ(strategyTable(r).row(1),
              (std::vector<std::string>{"3", "3", "300", "570", "190.0", "1", "100"}));
}

TEST(Strategy, LosingRunsAndDrawdownOverSeveralRaces) {
    // Fifth favourites: race 2's ran fifth, race 3's too: two losing races, 200 down.
    StrategyCriteria fifth;
    fifth.popularity = {5};
    StrategyResult r = checkStrategy(handRaces(), RaceFilter{}, fifth);
    EXPECT_EQ(r.bets, 2);
    EXPECT_EQ(r.longestLosingRun, 2);
    EXPECT_EQ(r.worstDrawdown, 200);
    // No popularity chosen: races match, nothing is bet.
    StrategyResult none = checkStrategy(handRaces(), RaceFilter{}, StrategyCriteria{});
    EXPECT_EQ(none.races, 3);
    EXPECT_EQ(none.bets, 0);
    EXPECT_EQ(strategyTable(none).row(1)[4], "-");
}

TEST(Strategy, CriteriaListsMatchAsTheAutomaticVoteDoes) {
    std::vector<AppearanceRace> races = handRaces();
    StrategyCriteria c;
    c.popularity = {1};
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 3);  // nothing selected: every race
    c.classes = {0};  // 未勝利: condition 703, race 2 only
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 1);
    c.classes = {1};  // 一般: condition 000 and no grade, races 1 and 3
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 2);
    c.classes = {0, 4};
    c.raceTypes = {2};  // ３歳上: code 13
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 1);
    c.raceTypes = {3};
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 0);
    c = StrategyCriteria{};
    c.weights = {2};  // 馬齢: code 3
    c.surfaces = {1};
    c.runnersFrom = 6;
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 1);
    c.surfaces = {0};
    EXPECT_EQ(checkStrategy(races, RaceFilter{}, c).races, 0);
}

// Races alike but for one condition the criteria look at are each matched on their own, in any
// order: a race the criteria reject never lends its verdict to one they take, or the other way.
TEST(Strategy, RacesDifferingInOneConditionAreMatchedEachOnTheirOwn) {
    const AppearanceRace taken = handRaces()[0];  // 44, dirt 24, type 13, weight 3, class 000, 5 runners, 1200 m
    StrategyCriteria c;
    c.popularity = {1};
    c.tracks = {"44"};
    c.surfaces = {1};
    c.raceTypes = {2};
    c.classes = {1};
    c.weights = {2};
    c.runnersFrom = c.runnersTo = 5;
    c.distanceFrom = c.distanceTo = 1200;
    std::vector<void (*)(AppearanceRace&)> changes{
        [](AppearanceRace& r) { r.track = 45; },       [](AppearanceRace& r) { r.surface = 11; },
        [](AppearanceRace& r) { r.raceType = 11; },    [](AppearanceRace& r) { r.weightRule = 1; },
        [](AppearanceRace& r) { r.condition = 703; },  [](AppearanceRace& r) { r.grade = 'E'; },
        [](AppearanceRace& r) { r.registered = 6; },   [](AppearanceRace& r) { r.distance = 1400; }};
    std::vector<AppearanceRace> races{taken};
    for (std::size_t i = 0; i < changes.size(); ++i) {
        AppearanceRace rejected = taken;
        rejected.raceNumber = static_cast<int>(i) + 2;  // tells the balance points apart
        changes[i](rejected);
        races.push_back(rejected);
        races.push_back(taken);
    }
    StrategyResult r = checkStrategy(races, RaceFilter{}, c);
    EXPECT_EQ(r.races, static_cast<int>(changes.size()) + 1);
    for (const BalancePoint& point : r.balance) EXPECT_EQ(point.raceNumber, taken.raceNumber);
}

TEST(AppearanceReader, PlaceReturnsOnlyWhereThePlaceWasSold) {
    // Four runners: no place sale; the place column stakes nothing.
    test::AppearanceLine small("20240513", 42, 1, 4);
    small.runner(1, 80, 1, 1, 1).paid(1, 200, 0);
    std::optional<AppearanceRace> race = parseAppearanceLine(small.str());
    ASSERT_TRUE(race);
    EXPECT_FALSE(race->placeSold);
    TextGrid table = compiRankTable(analyse({*race}, RaceFilter{}));
    EXPECT_EQ(row(table, 1)[6], "200.0");
    EXPECT_EQ(row(table, 1)[7], "-");
}

class AppearanceFolder : public ::testing::Test {
protected:
    test::TempHome home;
    fs::path folder = home.path() / "TOKEI";
    void write(const std::string& name, const std::string& bytes) { writeFileAtomic(folder / name, bytes, false); }
    void SetUp() override { test::writeHandDay(home.path()); }
};

TEST_F(AppearanceFolder, DamagedFilesAreSkippedByName) {
    std::string good = test::handDayLines()[0];
    write("em20240501.dat", good.substr(0, 3000) + "\r\n");           // short line
    write("em20240502.dat", good + "X\r\n");                          // one byte too many
    std::string letters = good;
    letters.replace(118 + 149, 9, "   12a450");                       // a payout with a letter
    write("em20240503.dat", good + "\r\n" + letters + "\r\n");
    fs::create_directories(folder / "em20240504.dat");                // a folder in its place
    write("notes.txt", "not an appearance file");
    AppearanceSet set = readAppearanceFolder(folder);
    EXPECT_EQ(set.files, 1);
    EXPECT_EQ(set.races.size(), 3u);
    ASSERT_EQ(set.warnings.size(), 4u);
    EXPECT_NE(toUtf8(set.warnings[0]).find("em20240501.dat"), std::string::npos);
    EXPECT_NE(toUtf8(set.warnings[0]).find("1 行目"), std::string::npos);
    EXPECT_NE(toUtf8(set.warnings[2]).find("2 行目"), std::string::npos);
    EXPECT_NE(toUtf8(set.warnings[3]).find("em20240504.dat"), std::string::npos);
}

TEST_F(AppearanceFolder, DateRangeAndTimeOrder) {
    test::AppearanceLine early("20240511", 42, 12, 5);
    write("em20240511.dat", early.str() + "\r\n");
    AppearanceSet set = readAppearanceFolder(folder, 20240512, 20240512);
    EXPECT_EQ(set.files, 1);
    set = readAppearanceFolder(folder);
    ASSERT_EQ(set.races.size(), 4u);
    EXPECT_EQ(set.races[0].date, 20240511);
    EXPECT_EQ(set.races[3].track, 45);  // posts at 16:00, after both 15:00 races
    EXPECT_EQ(analyse(set.races, RaceFilter{}).days, 2);
    EXPECT_TRUE(readAppearanceFolder(home.path() / "nothing").races.empty());
}

TEST(StatsTables, CsvQuotesOnlyWhatNeedsIt) {
    TextGrid grid(2, 2);
    grid.setRow(0, {"a", "b,c"});
    grid.setRow(1, {"say \"hi\"", "1"});
    EXPECT_EQ(tableAsCsv(grid), "a,\"b,c\"\n\"say \"\"hi\"\"\",1\n");
    EXPECT_EQ(tableAsTsv(grid), "a\tb,c\nsay \"hi\"\t1\n");
}

}  // namespace
}  // namespace vex

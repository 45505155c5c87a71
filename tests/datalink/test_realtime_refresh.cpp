// The real-time refresh: what it stores and skips, its status texts and error lines, the quiet
// flag and the job's cancel, which races count as fetched, and a race day of the simulated service
// end to end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/error_log.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "control/sim_service.h"
#include "datalink/bulk_download.h"
#include "datalink/download_support.h"
#include "datalink/odds_history.h"
#include "datalink/realtime_refresh.h"
#include "datalink/result_messages.h"
#include "dayload/day_load.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/fake_control.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;
using test::raceKey;

const std::string kDate = "20240510";

std::string odds(std::string_view kind, std::string_view track, int race, char category = '1') {
    return Record::of(kind, raceKey(kDate, track, race)).sent(category, kDate);
}

struct RealtimeRules : ::testing::Test {
    test::TempHome home;
    test::RecordingReporter reporter;
    test::FakeControl control;
    const std::string stamp = dayStamp(kDate);
    RealtimeRules() {
        setClock(DateTime{2024, 5, 10, 15, 0, 0});
        createAppFolders();
    }
    ~RealtimeRules() override { setClock(std::nullopt); }
    RealtimeRefresh refresh() { return RealtimeRefresh(control, reporter, stamp); }
    RefreshRace race(int number, int slot = 0) { return *raceOfWorkListLine(workListLine(raceKey(kDate, "44", number), slot)); }
    std::vector<std::string> lines(DayFile kind) const { return readLines(dayFilePath(stamp, kind)); }
};

TEST_F(RealtimeRules, OddsStoreTheSouthernKantoRecordsZeroedAndSkipTheRest) {
    std::string wrongLength = odds("O1", "44", 3);
    wrongLength.insert(20, "X");
    control.realtime = {odds("O1", "44", 1), odds("O2", "45", 1), odds("O1", "30", 1), odds("O1", "44", 2, '0'),
                       odds("O1", "44", 4, '9'), wrongLength, Record::of("O1", std::string(16, ' ')).sent('1'),
                       odds("O1", "44", 0), Record::hr(raceKey(kDate, "44", 1)).sent('2')};
    RefreshResult result = refresh().oddsOfRace(race(1, 5));
    EXPECT_FALSE(result.serviceError);
    EXPECT_EQ(result.recordsStored, 2);
    auto o1 = lines(DayFile::O1);
    ASSERT_EQ(o1.size(), 1u);
    EXPECT_EQ(fieldOf(o1[0], Common::RaceKey), raceKey(kDate, "44", 1));
    EXPECT_EQ(fieldOf(o1[0], Common::CategoryAndDate), "000000000");
    EXPECT_EQ(lines(DayFile::O2).size(), 1u);
    EXPECT_FALSE(fs::exists(dayFilePath(stamp, DayFile::HR)));
    EXPECT_EQ(control.opened, std::vector<std::string>{"0B30:" + raceKey(kDate, "44", 1)});
    EXPECT_EQ(control.bufferSizes.front(), 100000);
    EXPECT_EQ(result.fetchedSlots, std::vector<int>{5});
    EXPECT_EQ(result.oddsSlots, std::vector<int>{5});
    // The status texts, in order; cleared at the end. Two closes per request.
    const std::string name = toUtf8(trackShortName("44"));
    EXPECT_EQ(reporter.statuses, (std::vector<std::string>{name + " 1オッズ取得中", ""}));
    EXPECT_EQ(control.closes, 2);
    EXPECT_EQ(reporter.informations.size(), 0u);
}

TEST_F(RealtimeRules, ALaterFetchReplacesTheRaceLineAndKeepsTheOthers) {
    control.realtime = {odds("O1", "44", 2), odds("O1", "44", 1)};
    refresh().oddsOfRace(race(1));
    std::string newer = Record(odds("O1", "44", 1)).set(Odds::AnnounceTime, "15101510");
    control.realtime = {newer};
    refresh().oddsOfRace(race(1));
    auto o1 = lines(DayFile::O1);
    ASSERT_EQ(o1.size(), 2u);
    EXPECT_EQ(fieldOf(o1[0], Common::RaceKey), raceKey(kDate, "44", 1));
    EXPECT_EQ(fieldOf(o1[0], Odds::AnnounceTime), "15101510");

    // The odds history keeps both snapshots of race 1, as received, and race 2's one.
    auto history = readLines(oddsHistoryFile(raceKey(kDate, "44", 1)));
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(fieldOf(history[0], Common::CategoryAndDate), "1" + kDate);
    EXPECT_EQ(history[1], recordLine(newer));
    EXPECT_EQ(oddsHistoryFile(raceKey(kDate, "44", 1)), home.path() / "OddsHistory" / kDate / "44010101.nvO1");
    EXPECT_EQ(readLines(oddsHistoryFile(raceKey(kDate, "44", 2))).size(), 1u);
    EXPECT_TRUE(oddsHistoryFile(std::string(16, ' ')).empty());
}

TEST_F(RealtimeRules, ResultsGoOnlyIntoDayFilesTheDownloadMadeAndPayoutsKeepTheirHeader) {
    const std::string key = raceKey(kDate, "44", 3);
    control.realtime = {Record::ra(key).sent('7', kDate).runners(10), Record::se(key).sent('7', kDate).horse(2),
                       Record::hr(key).sent('2', kDate), Record::hr(raceKey(kDate, "30", 3)).sent('2', kDate)};
    RefreshResult first = refresh().resultsOfDay(race(3), kDate);
    EXPECT_EQ(first.recordsStored, 1);
    EXPECT_TRUE(first.payouts);
    EXPECT_FALSE(fs::exists(dayFilePath(stamp, DayFile::RA)));
    EXPECT_FALSE(fs::exists(runnerFilePath(stamp, "44")));
    auto hr = lines(DayFile::HR);
    ASSERT_EQ(hr.size(), 1u);
    EXPECT_EQ(fieldOf(hr[0], Common::CategoryAndDate), "2" + kDate);
    EXPECT_EQ(control.opened, std::vector<std::string>{"0B12:" + kDate});
    EXPECT_EQ(control.bufferSizes.front(), 60000);

    // With the day's files there, the race is upserted zeroed and the runner slot taken as sent.
    test::writeRecords(dayFilePath(stamp, DayFile::RA), {Record::ra(raceKey(kDate, "44", 1)).runners(10)});
    test::writeRunnerFile(runnerFilePath(stamp, "44"), {});
    refresh().resultsOfDay(race(3), kDate);
    auto ra = lines(DayFile::RA);
    ASSERT_EQ(ra.size(), 2u);
    EXPECT_EQ(fieldOf(ra[1], Common::CategoryAndDate), "000000000");
    auto runners = readLines(runnerFilePath(stamp, "44"));
    ASSERT_EQ(runners.size(), 216u);
    EXPECT_EQ(fieldOf(runners[2 * 18 + 1], Common::CategoryAndDate), "7" + kDate);
}

TEST_F(RealtimeRules, TheQuietFlagSilencesTheResultsBeepsOnly) {
    refresh().resultsOfDay(race(1), kDate);
    EXPECT_EQ(reporter.beeps, 2);  // one per close
    reporter.beeps = 0;
    RealtimeRefresh quiet = refresh();
    quiet.setQuiet(true);
    control.openResult = -504;
    quiet.resultsOfDay(race(1), kDate);
    EXPECT_EQ(reporter.beeps, 0);
    EXPECT_EQ(reporter.statuses.back(), "");
    const std::string error = toUtf8(trackShortName("44")) + " 1R:ﾚｰｽ情報データ取得エラー：" +
                              toUtf8(ResultMessage("NVRTOpen", -504));
    EXPECT_EQ(reporter.statuses.end()[-2], error);
}

TEST_F(RealtimeRules, AReadErrorLogsAndLeavesTheStoreAsItWas) {
    control.realtime = {odds("O1", "44", 1)};
    refresh().oddsOfRace(race(1));
    const std::string before = readFileBytes(dayFilePath(stamp, DayFile::O1));
    control.realtime = {odds("O1", "44", 1, '3'), odds("O1", "44", 2)};
    control.readErrorAt = 1;
    reporter.beeps = 0;
    RefreshResult result = refresh().oddsOfRace(race(1));
    EXPECT_TRUE(result.serviceError);
    EXPECT_EQ(readFileBytes(dayFilePath(stamp, DayFile::O1)), before);
    EXPECT_EQ(readLines(oddsHistoryFile(raceKey(kDate, "44", 1))).size(), 1u);
    const std::string text = toUtf8(ResultMessage("NVRead", -502));
    EXPECT_NE(std::find(reporter.statuses.begin(), reporter.statuses.end(), text), reporter.statuses.end());
    EXPECT_EQ(reporter.beeps, 1);
    ErrorLog log;
    log.addError(sj("x"));  // reloads the file
    ASSERT_GE(log.lines().size(), 2u);
    const std::string line = toUtf8(log.lines().end()[-2]);
    EXPECT_TRUE(line.starts_with("【エラー】15:")) << line;
    EXPECT_TRUE(line.ends_with("：" + text)) << line;
}

TEST_F(RealtimeRules, TheJobsCancelStopsEveryLoopBeforeItsFirstReadAndCountsNothingFetched) {
    control.realtime = {odds("O1", "44", 1)};
    const std::vector<std::string> workList{workListLine(raceKey(kDate, "44", 1), 0),
                                            workListLine(raceKey(kDate, "44", 2), 1)};
    RealtimeRefresh cancelled = refresh();
    CancelToken cancel;
    cancel.cancel();
    cancelled.setCancelToken(cancel);
    RefreshResult result = cancelled.oddsOfWorkList(workList);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.fetchedSlots.empty());
    EXPECT_EQ(result.recordsStored, 0);
    EXPECT_TRUE(control.bufferSizes.empty());
    EXPECT_EQ(control.opened.size(), 2u);
    EXPECT_EQ(control.closes, 4);
    EXPECT_FALSE(fs::exists(dayFilePath(stamp, DayFile::O1)));
    EXPECT_EQ(result.oddsSlots, (std::vector<int>{0, 1}));
    const std::string name = toUtf8(trackShortName("44"));
    EXPECT_EQ(reporter.statuses, (std::vector<std::string>{name + " 1R ｵｯｽﾞ取得中", "", name + " 2R ｵｯｽﾞ取得中", ""}));

    // The next job has its own token: the cancel of this one does not reach it.
    RefreshResult next = refresh().oddsOfWorkList(workList);
    EXPECT_FALSE(next.cancelled);
    EXPECT_EQ(next.fetchedSlots, (std::vector<int>{0, 1}));
    EXPECT_EQ(lines(DayFile::O1).size(), 1u);
}

TEST_F(RealtimeRules, OnlyARaceReadToItsEndCountsAsFetchedAndOnlyForTheDayShown) {
    control.readErrorAt = 0;
    EXPECT_TRUE(refresh().oddsOfRace(race(1, 3)).fetchedSlots.empty());
    control.readErrorAt = -1;
    control.openResult = -504;
    EXPECT_TRUE(refresh().oddsOfRace(race(1, 3)).fetchedSlots.empty());
    control.openResult = 0;
    control.realtime = {odds("O1", "44", 1)};
    RefreshResult result = refresh().oddsOfRace(race(1, 3));
    EXPECT_EQ(result.fetchedSlots, std::vector<int>{3});

    // The flags are set by the reload, for the day the table shows, on today's date.
    auto table = std::make_unique<RaceTable>();
    table->dayLoaded = true;
    table->paths = dayPaths(dayStamp("20240509"));
    OddsFetchedFlags fetched;
    EXPECT_FALSE(applyRefresh(*table, result, &fetched));
    EXPECT_FALSE(fetched.isSet(3));
    table->paths = dayPaths(stamp);
    applyRefresh(*table, result, &fetched);
    EXPECT_TRUE(fetched.fetchedOn(3, dayStampOf(now())));
    EXPECT_FALSE(fetched.fetchedOn(3, dayStamp("20240509")));
    result.storeError = true;  // a store that could not be written holds none of them for sure
    fetched.clear();
    applyRefresh(*table, result, &fetched);
    EXPECT_FALSE(fetched.isSet(3));
}

TEST_F(RealtimeRules, TheSummarySaysWhenWhatAndWhy) {
    const DateTime from{2024, 5, 10, 15, 0, 1}, to{2024, 5, 10, 15, 0, 4};
    RefreshResult odds;
    odds.oddsSlots = {0, 1, 2};
    odds.fetchedSlots = {0, 2};
    odds.recordsStored = 24;
    EXPECT_EQ(toUtf8(refreshSummary(sj("オッズ自動取得"), from, to, odds)),
              "オッズ自動取得 15:00:01～15:00:04：オッズ3レース中2レース、24件");
    RefreshResult results;
    results.payouts = true;
    results.recordsStored = 7;
    EXPECT_EQ(toUtf8(refreshSummary(sj("結果情報"), from, to, results)), "結果情報 15:00:01～15:00:04：7件");
    results.cancelled = true;
    EXPECT_EQ(toUtf8(refreshSummary(sj("結果情報"), from, to, results)), "結果情報 15:00:01～15:00:04：中止しました");
    results.serviceError = true;
    results.error = ResultMessage("NVRTOpen", -504);
    EXPECT_EQ(toUtf8(refreshSummary(sj("結果情報"), from, to, results)),
              "結果情報 15:00:01～15:00:04：エラー " + toUtf8(results.error));
}

TEST_F(RealtimeRules, ACloseErrorIsShownAndLoggedAndABlankKeyDoesNothing) {
    control.closeResult = -201;
    reporter.beeps = 0;
    RefreshResult result = refresh().oddsOfRace(race(1));
    EXPECT_TRUE(result.serviceError);
    EXPECT_EQ(reporter.beeps, 2);
    EXPECT_EQ(reporter.statuses.back(), toUtf8(ResultMessage("NVClose", -201)));

    RefreshRace blank = race(1);
    blank.raceKey = std::string(16, ' ');
    control.opened.clear();
    refresh().oddsOfRace(blank);
    EXPECT_TRUE(control.opened.empty());
    EXPECT_FALSE(refresh().resultsOfDay(race(1), "        ").payouts);
}

// ---- a race day of the simulated service

// The first day from 2024-05-10 on that a southern-Kanto track races in the simulated world.
DateTime simRaceDay() {
    const int from = dayNumber(2024, 5, 10);
    control::SimService sim(control::simSeed(), from);
    for (int d = from; d < from + 60; ++d)
        for (int track = 42; track <= 45; ++track)
            if (sim.world().findTrackDay(d, track) >= 0) {
                CivilDate c = civilDate(d);
                return {c.year, c.month, c.day, 0, 0, 0};
            }
    return {};
}

struct RealtimeOnSim : ::testing::Test {
    test::TempHome home;
    test::RecordingReporter reporter;
    OddsFetchedFlags fetched;
    std::unique_ptr<DataControl> control;
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();
    std::string stamp;
    RefreshRace first;
    std::string post;  // hhmm of the first race
    DateTime day = simRaceDay();

    void SetUp() override {
        setenv("VEXMORA_SERVICE", "sim", 1);
        unsetenv("VEXMORA_FAULTS");
        control::setFaultPlan(std::nullopt);
        // The cards of the day are out by noon; the first post is later.
        setClock(DateTime{day.year, day.month, day.day, 12, 0, 0});
        createAppFolders();
        control = createDataControl(nullptr);
        control->NVInit(kSoftwareId);
        BulkDownload download(*control, reporter);
        download.setFromTime(fromEpoch(toEpoch(now()) - 24 * 3600));
        ASSERT_EQ(download.run([] {}), DownloadOutcome::Completed);
        stamp = dayStampOf(now());
        ASSERT_TRUE(loadDay(*table, stamp, DayLoadOptions{true, nullptr, nullptr}).loaded);
        first = *refreshRaceOf(*table, table->raceListSlots.at(0));
        post = std::string(table->raw[static_cast<std::size_t>(first.slot)].ra.field(RA::PostTime));
    }
    void TearDown() override {
        setClock(std::nullopt);
        control::setFaultPlan(std::nullopt);
        unsetenv("VEXMORA_SERVICE");
    }
    // The clock `minutes` from the first race's post.
    void fromPost(int minutes) {
        int total = std::stoi(post.substr(0, 2)) * 60 + std::stoi(post.substr(2, 2)) + minutes;
        setClock(DateTime{day.year, day.month, day.day, total / 60, total % 60, 0});
    }
    RealtimeRefresh refresh() { return RealtimeRefresh(*control, reporter, stamp); }
    std::string o1Line() const {
        for (const auto& line : readLines(dayFilePath(stamp, DayFile::O1)))
            if (fieldOf(line, Common::RaceKey) == first.raceKey) return line;
        return {};
    }
};

TEST_F(RealtimeOnSim, OddsMoveBetweenTwoRefreshesTenMinutesApart) {
    const auto s = static_cast<std::size_t>(first.slot);
    fromPost(-30);
    RefreshResult early = refresh().oddsOfRace(first);
    ASSERT_FALSE(early.serviceError);
    ASSERT_TRUE(applyRefresh(*table, early, &fetched));
    const std::string firstLine = o1Line();
    ASSERT_FALSE(firstLine.empty());
    const auto firstOdds = table->races[s].winOdds;

    fromPost(-20);
    RefreshResult later = refresh().oddsOfRace(first);
    ASSERT_TRUE(applyRefresh(*table, later, &fetched));
    EXPECT_NE(o1Line(), firstLine);
    EXPECT_NE(table->races[s].winOdds, firstOdds);
    EXPECT_GT(table->races[s].winOdds[1], 0.0);
    EXPECT_TRUE(fetched.isSet(first.slot));
    EXPECT_EQ(table->oddsTargetSlot, first.slot);
    // Both snapshots are in the race's history, ten minutes apart.
    auto history = readWinOddsHistory(first.raceKey);
    ASSERT_EQ(history.size(), 2u);
    EXPECT_GT(history[1].minuteOfDay, history[0].minuteOfDay);
    for (int h = 1; h <= registeredRunners(table->raw[s].ra); ++h) {
        EXPECT_EQ(history[0].winOdds[h], firstOdds[h]) << h;
        EXPECT_EQ(history[1].winOdds[h], table->races[s].winOdds[h]) << h;
    }

    // A reload made for another day leaves the table alone.
    later.dayStamp = dayStamp("20240509");
    EXPECT_FALSE(applyRefresh(*table, later));
}

TEST_F(RealtimeOnSim, AfterThePostTheResultsBringThePayouts) {
    const auto s = static_cast<std::size_t>(first.slot);
    EXPECT_EQ(table->races[s].payouts.payout[PayoutAt::Win], 0);
    fromPost(30);
    reporter.beeps = 0;
    RealtimeRefresh results = refresh();
    results.setQuiet(true);
    RefreshResult result = results.resultsOfDay(first, dayKeyOf(*table));
    ASSERT_FALSE(result.serviceError);
    EXPECT_GT(result.recordsStored, 0);
    ASSERT_TRUE(applyRefresh(*table, result));
    EXPECT_GT(table->races[s].payouts.payout[PayoutAt::Win], 0);
    EXPECT_GT(table->races[s].finalPosition[table->races[s].payouts.winHorses[0]], 0);
    EXPECT_EQ(reporter.beeps, 0);
}

TEST_F(RealtimeOnSim, AForcedOpenFailureGivesTheStatusTextAndErrorLineAndNoDialog) {
    control::setFaultPlan(control::parseFaultPlan("NVRTOpen=-504"));
    control = createDataControl(nullptr);
    control->NVInit(kSoftwareId);
    const auto storeBefore = test::treeOf(dataFolder());
    reporter.informations.clear();
    reporter.statuses.clear();
    setClock(DateTime{day.year, day.month, day.day, 14, 3, 7});
    RefreshResult result = refresh().oddsOfRace(first);
    EXPECT_TRUE(result.serviceError);
    const std::string name = toUtf8(first.trackName + first.raceNumber);
    const std::string error = name + "R:ｵｯｽﾞ取得エラー：サーバーがメンテナンス中です。(-504)";
    EXPECT_EQ(reporter.statuses, (std::vector<std::string>{name + "オッズ取得中", error, ""}));
    EXPECT_TRUE(reporter.informations.empty());
    EXPECT_EQ(test::treeOf(dataFolder()), storeBefore);
    auto log = readLines(appFolder() / "ErrorLog.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(toUtf8(log.back()), "【エラー】14:03:07：" + error);
}

}  // namespace
}  // namespace vex

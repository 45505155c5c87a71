#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <algorithm>
#include <thread>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "datalink/bulk_download.h"
#include "datalink/download_support.h"
#include "support/fake_control.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::FakeControl;
using test::Record;
using test::raceKey;

// A store in a temp home, the clock in June 2024 (year bound "2009").
struct DownloadTest : ::testing::Test {
    test::TempHome home;
    test::RecordingReporter reporter;
    FakeControl control;
    DownloadTest() {
        setClock(DateTime{2024, 6, 1, 9, 0, 0});
        createAppFolders();
    }
    ~DownloadTest() override { setClock(std::nullopt); }

    DownloadOutcome download(DateTime from = {2024, 1, 15, 0, 0, 0}, CancelToken cancel = {}) {
        BulkDownload d(control, reporter);
        d.setFromTime(from);
        d.setCancelToken(std::move(cancel));
        return d.run([] {});
    }
    std::string lastTime() const { return Settings().readString("JvDataGet", "LastTime", "(none)"); }
    std::vector<std::string> linesOf(const fs::path& file) const { return readLines(file); }
    bool saw(const std::vector<std::string>& texts, const std::string& utf8) const {
        return std::find(texts.begin(), texts.end(), utf8) != texts.end();
    }
};

std::string ra(std::string_view date, std::string_view track, int race, int runners = 10, char category = '7') {
    return Record::ra(raceKey(date, track, race)).sent(category).runners(runners);
}
std::string se(std::string_view date, std::string_view track, int race, int horse, char category = '7',
               std::string_view number = "2015000001") {
    return Record::se(raceKey(date, track, race)).sent(category).horse(horse).reg(number).name("サンプルホース");
}
std::string zeroed(std::string r) {
    r = std::string(recordLine(r));
    zeroCategoryAndDate(r);
    return r;
}

TEST_F(DownloadTest, RoutesEachKindToItsFilesWithTheStoreRules) {
    std::string day = "20240115";
    std::string stamp = dayStamp(day);
    std::string race2 = ra(day, "44", 2);
    std::string race1old = Record(ra(day, "44", 1)).set(RA::RaceName, "OLD");
    std::string race1 = Record(ra(day, "44", 1)).set(RA::RaceName, "NEW");
    std::string local = ra(day, "30", 4);
    std::string noRunners = ra(day, "43", 5, 0);
    std::string tooMany = ra(day, "43", 6, 19);
    std::string runner = se(day, "44", 2, 3);
    std::string horse19 = se(day, "44", 2, 19);
    std::string card = se(day, "45", 1, 1, '1', "2016000002");
    std::string oldHorse = se(day, "44", 3, 4, '7', "2009000003");  // not above the bound "2009"
    std::string pay = Record::hr(raceKey(day, "44", 2)).sent('2');
    std::string win = Record::of("O1", raceKey(day, "44", 2)).sent('1');
    std::string win0 = Record::of("O1", raceKey(day, "44", 3)).sent('0').set({45, 5}, "KIND0");
    std::string win9 = Record::of("O1", raceKey(day, "44", 4)).sent('9');
    std::string exactaFrames = Record::of("OA", raceKey(day, "42", 1)).sent('3');
    control.files = {{race2, race1old, local, noRunners, tooMany}, {race1, runner, horse19, card, oldHorse},
                     {pay, win, win0, win9, exactaFrames}};
    EXPECT_EQ(download(), DownloadOutcome::Completed);

    // Day race file: zeroed, one line per key (the later one), sorted; tracks 42-45 and 1-18 runners only.
    EXPECT_EQ(linesOf(dayFilePath(stamp, DayFile::RA)), (std::vector<std::string>{zeroed(race1), zeroed(race2)}));
    // Past-race files take every track, the rejected day records included.
    EXPECT_EQ(linesOf(pastRaceFilePath(day, "30")), std::vector<std::string>{zeroed(local)});
    EXPECT_EQ(linesOf(pastRaceFilePath(day, "43")), (std::vector<std::string>{zeroed(noRunners), zeroed(tooMany)}));
    EXPECT_EQ(linesOf(pastRaceFilePath(day, "44")).size(), 2u);

    // Slot file: 216 slots, the runner as received (not zeroed), horse 19 nowhere.
    std::vector<std::string> slots = linesOf(runnerFilePath(stamp, "44"));
    ASSERT_EQ(slots.size(), 216u);
    EXPECT_EQ(slots[1 * 18 + 2], std::string(recordLine(runner)));
    EXPECT_EQ(slots[2 * 18 + 3], std::string(recordLine(oldHorse)));
    EXPECT_EQ(std::count(slots.begin(), slots.end(), std::string(553, ' ')), 214);
    std::vector<std::string> cards = linesOf(runnerFilePath(stamp, "45"));
    EXPECT_EQ(cards[0], std::string(recordLine(card)));

    // Per-horse files: final results only, zeroed; the year folder is made for other kinds too.
    std::vector<std::string> horseRuns = linesOf(pastRunFilePath("2015000001"));
    ASSERT_EQ(horseRuns.size(), 1u);  // the same race key twice: the horse-19 record replaced it
    EXPECT_EQ(horseRuns[0], zeroed(horse19));
    EXPECT_TRUE(fs::is_directory(home.path() / "SEI" / "2016"));
    EXPECT_FALSE(fs::exists(pastRunFilePath("2016000002")));
    EXPECT_FALSE(fs::exists(home.path() / "SEI" / "2009"));

    EXPECT_EQ(linesOf(dayFilePath(stamp, DayFile::HR)), std::vector<std::string>{zeroed(pay)});
    EXPECT_EQ(linesOf(dayFilePath(stamp, DayFile::O1)), std::vector<std::string>{zeroed(win)});
    EXPECT_EQ(linesOf(dayFilePath(stamp, DayFile::OA)), std::vector<std::string>{zeroed(exactaFrames)});
    EXPECT_EQ(lastTime(), "2024/06/01 12:30:00");
}

TEST_F(DownloadTest, DateFilterUsesPlainIntegerArithmetic) {
    // From 2024-01-05 the bound is 20240095: all of January 2024 passes, nothing of 2023.
    control.files = {{ra("20231231", "44", 1), ra("20240101", "44", 1)}};
    download({2024, 1, 5, 10, 0, 0});
    EXPECT_FALSE(fs::exists(dayFilePath(dayStamp("20231231"), DayFile::RA)));
    EXPECT_TRUE(fs::exists(dayFilePath(dayStamp("20240101"), DayFile::RA)));
    EXPECT_EQ(control.openedFrom, "20240105100000");
    // From 2024-01-15 the bound is 20240105.
    control.files = {{ra("20240104", "45", 1), ra("20240105", "45", 1)}};
    download({2024, 1, 15, 0, 0, 0});
    EXPECT_FALSE(fs::exists(dayFilePath(dayStamp("20240104"), DayFile::RA)));
    EXPECT_TRUE(fs::exists(dayFilePath(dayStamp("20240105"), DayFile::RA)));
}

TEST_F(DownloadTest, ExistingFilesAreMergedSortedAndTrimmed) {
    std::string stamp = dayStamp("20240115");
    fs::path file = dayFilePath(stamp, DayFile::O1);
    std::string r3 = zeroed(Record::of("O1", raceKey("20240115", "44", 3)).sent('7').str());
    std::string r1 = zeroed(Record::of("O1", raceKey("20240115", "44", 1)).sent('7').str());
    // Unsorted, with a blank line: the blank sorts first and is trimmed.
    writeLinesAtomic(file, {r3, "   ", r1});
    std::string r2 = Record::of("O1", raceKey("20240115", "44", 2)).sent('5');
    control.files = {{r2}};
    download();
    EXPECT_EQ(linesOf(file), (std::vector<std::string>{r1, zeroed(r2), r3}));
    // A short slot file is padded to its 216 slots rather than failing.
    fs::path slots = runnerFilePath(stamp, "44");
    writeLinesAtomic(slots, {std::string(553, ' ')});
    control.files = {{se("20240115", "44", 12, 18)}};
    download();
    std::vector<std::string> lines = linesOf(slots);
    ASSERT_EQ(lines.size(), 216u);
    EXPECT_EQ(lines[215].substr(0, 2), "SE");
}

TEST_F(DownloadTest, MalformedRecordsAreSkippedNotFatal) {
    std::string good = ra("20240115", "44", 1);
    std::string cut = good.substr(0, 30);
    std::string badTrack = Record(ra("20240115", "44", 2)).set(Common::Track, "4\x82");
    std::string badRace = Record(ra("20240115", "44", 3)).set(Common::RaceNumber, "  ");
    std::string longer = std::string(recordLine(ra("20240115", "44", 4))) + "XX\r\n";
    std::string escape = Record(se("20240115", "44", 1, 1)).set(SE::RegistrationNumber, "2020/../..");
    control.files = {{cut, "R", badTrack, badRace, longer, escape, good}};
    BulkDownload d(control, reporter);
    d.setFromTime({2024, 1, 15, 0, 0, 0});
    EXPECT_EQ(d.run([] {}), DownloadOutcome::Completed);
    EXPECT_EQ(d.stats().malformed, 2);  // the cut one and the long one
    EXPECT_EQ(linesOf(dayFilePath(dayStamp("20240115"), DayFile::RA)), std::vector<std::string>{zeroed(good)});
    EXPECT_FALSE(fs::exists(home.path() / "SEI" / "2020" / ".."  / ".." / ".nvSEI"));
    EXPECT_EQ(test::treeOf(home.path() / "SEI").size(), 0u);
}

TEST_F(DownloadTest, MessagesAndStatusTextsOfACompleteDownload) {
    control.downloadCount = 2;
    control.files = {{ra("20240115", "44", 1)}, {}};
    std::vector<DownloadProgress> seen;
    BulkDownload d(control, reporter, [&](const DownloadProgress& p) { seen.push_back(p); });
    d.setFromTime({2024, 1, 15, 8, 5, 9});
    EXPECT_EQ(toUtf8(d.startMessage()),
              "2024年01月15日08時05分09秒以降のデータ取込を開始します。データ作成が終了するまで本ソフトを操作したり"
              "他のアプリケーションを操作することは極力避けてください。");
    EXPECT_EQ(d.run([] {}), DownloadOutcome::Completed);
    std::vector<std::string> expected = {"ReadCount:2, DownloadCount:2", "ダウンロード中・・・",
                                         "ダウンロード中．．．(1/2)",    "ダウンロード中．．．(2/2)",
                                         "データ読込み中．．．(0/2)",    "データ読込み中．．．(1/2)",
                                         "データ読込み中．．．(2/2)",    "データ読込み完了(2/2)",
                                         "データ作成が完了しました。"};
    EXPECT_EQ(reporter.statuses, expected);
    EXPECT_EQ(control.closes, 1);
    EXPECT_TRUE(reporter.informations.empty());  // the start notice is the caller's; nothing else to say
    EXPECT_EQ(lastTime(), "2024/06/01 12:30:00");
    EXPECT_EQ(d.fromTime(), (DateTime{2024, 6, 1, 12, 30, 0}));
    // The made-data label named the race stored, and went busy and back.
    auto label = std::find_if(seen.begin(), seen.end(), [](const auto& p) { return !p.madeData.empty(); });
    ASSERT_NE(label, seen.end());
    EXPECT_EQ(toUtf8(label->madeData), "開催:2024年01月15日大井01R");
    EXPECT_EQ(toUtf8(std::next(label)->madeData), "開催馬:2024年01月15日大井01R");  // its second target
    EXPECT_EQ(seen.back().madeData, "");  // cleared at the file boundary
    EXPECT_TRUE(seen.front().busy);
    EXPECT_FALSE(seen.back().busy);
    EXPECT_EQ(seen.back().downloadPosition, 0);
}

TEST_F(DownloadTest, ProgressLabelsOfRunnersPastRunsAndOdds) {
    std::vector<std::string> labels;
    control.files = {{se("20240115", "44", 1, 3), Record::of("O6", raceKey("20240115", "45", 11)).sent('1').str()}};
    BulkDownload d(control, reporter, [&](const DownloadProgress& p) {
        if (labels.empty() || labels.back() != toUtf8(p.madeData)) labels.push_back(toUtf8(p.madeData));
    });
    d.setFromTime({2024, 1, 15, 0, 0, 0});
    d.run([] {});
    EXPECT_TRUE(saw(labels, "過去走:2024/01/15大井01R/③サンプルホース" + std::string(22, ' ')));
    EXPECT_TRUE(saw(labels, "3連単確定ｵｯｽﾞ:川崎11R/2024年01月15日.nvO6"));
}

TEST_F(DownloadTest, NoNewDataAndServiceErrors) {
    control.openResult = -1;
    EXPECT_EQ(download(), DownloadOutcome::NoNewData);
    EXPECT_TRUE(saw(reporter.informations, "最新のデータがありません。"));
    EXPECT_EQ(control.closes, 1);

    control.openResult = 0;
    control.files.clear();  // opened, but nothing to read
    EXPECT_EQ(download(), DownloadOutcome::NoNewData);

    control.openResult = -301;
    reporter.informations.clear();
    EXPECT_EQ(download(), DownloadOutcome::ServiceError);
    EXPECT_EQ(reporter.informations.back(), "NVOpenエラー:認証エラーが発生しました。(-301)");

    control.openResult = 0;
    control.files = {{ra("20240115", "44", 1)}};
    control.downloadCount = 3;
    control.statusError = -502;
    EXPECT_EQ(download(), DownloadOutcome::ServiceError);
    EXPECT_EQ(reporter.informations.back(), "NVStatusエラー:ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)");

    control.downloadCount = 0;
    control.statusError = 0;
    control.closeResult = -201;
    EXPECT_EQ(download(), DownloadOutcome::Completed);
    EXPECT_EQ(reporter.informations.back(), "NVCloseエラー:(-201)");
    EXPECT_EQ(lastTime(), "2024/06/01 12:30:00");
}

TEST_F(DownloadTest, ReadErrorKeepsWhatWasReadButNotLastTime) {
    control.files = {{ra("20240115", "44", 1), ra("20240115", "44", 2), ra("20240115", "44", 3)}};
    control.readErrorAt = 2;
    EXPECT_EQ(download(), DownloadOutcome::ServiceError);
    EXPECT_EQ(reporter.informations.back(), "JVReadエラー:ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)");
    EXPECT_EQ(linesOf(dayFilePath(dayStamp("20240115"), DayFile::RA)).size(), 2u);
    EXPECT_EQ(lastTime(), "(none)");
    EXPECT_EQ(control.closes, 1);
}

// The window presses the token from its own thread; the download reports the cancel on its thread,
// as the cancel button did, and writes what it read.
TEST_F(DownloadTest, CancelPressedDuringReadingIsReportedWritesWhatWasReadAndCloses) {
    control.files = {{ra("20240115", "44", 1), ra("20240115", "44", 2), ra("20240115", "44", 3)}};
    CancelToken cancel;
    control.onRecord = [cancel](int index) {
        if (index == 1) std::thread([cancel] { cancel.cancel(); }).join();
    };
    EXPECT_EQ(download({2024, 1, 15, 0, 0, 0}, cancel), DownloadOutcome::Cancelled);
    EXPECT_TRUE(cancel.cancelled());
    EXPECT_EQ(control.cancels, 1);
    EXPECT_EQ(control.closes, 1);
    EXPECT_EQ(reporter.beeps, 2);  // the cancel's and the close's
    EXPECT_EQ(reporter.informations, std::vector<std::string>{"NVCancel:キャンセルされました"});
    EXPECT_TRUE(saw(reporter.statuses, "NVCancel:キャンセルされました"));
    EXPECT_EQ(linesOf(dayFilePath(dayStamp("20240115"), DayFile::RA)).size(), 2u);  // read before the cancel
    EXPECT_EQ(lastTime(), "(none)");
    // The next download has its own token and finishes the job.
    control.onRecord = nullptr;
    EXPECT_EQ(download(), DownloadOutcome::Completed);
    EXPECT_EQ(linesOf(dayFilePath(dayStamp("20240115"), DayFile::RA)).size(), 3u);
}

TEST_F(DownloadTest, CancelWhileDownloadingSkipsCloseAndReadsNothing) {
    control.files = {{ra("20240115", "44", 1)}};
    control.downloadCount = 5;
    BulkDownload d(control, reporter);
    d.setFromTime({2024, 1, 15, 0, 0, 0});
    d.start();
    ASSERT_TRUE(d.polling());
    d.pollStatus();
    EXPECT_EQ(control.cancels, 0);
    d.cancelNow();
    EXPECT_FALSE(d.polling());
    EXPECT_EQ(d.outcome(), DownloadOutcome::Cancelled);
    EXPECT_EQ(control.closes, 0);
    EXPECT_EQ(reporter.statuses.back(), "NVCancel:キャンセルされました");
    EXPECT_FALSE(fs::exists(dayFilePath(dayStamp("20240115"), DayFile::RA)));

    // The token alone, pressed while run() polls, does the same; a new run gets a new token.
    d.setCancelToken(CancelToken{});
    control.statusCalls = 0;
    int polls = 0;
    EXPECT_EQ(d.run([&] {
        if (++polls == 2) d.cancelToken().cancel();
    }), DownloadOutcome::Cancelled);
    EXPECT_EQ(control.cancels, 2);
    EXPECT_EQ(control.reads, 0);
    EXPECT_TRUE(reporter.questions.empty());  // the window asks, never the download
    EXPECT_EQ(toUtf8(BulkDownload::cancelQuestion()), "データ取込を中止します。実行しますか？");
    EXPECT_EQ(toUtf8(BulkDownload::notRunningMessage()), "データ取込は実行されていません。");
}

TEST_F(DownloadTest, OddLastFileTimestampsLeaveLastTimeAlone) {
    control.files = {{ra("20240115", "44", 1)}};
    for (const char* stamp : {"              ", "00000000000000", "2024133112ab00", ""}) {
        control.lastFileTimestamp = stamp;
        EXPECT_EQ(download(), DownloadOutcome::Completed);
        EXPECT_EQ(lastTime(), "(none)") << stamp;
    }
    EXPECT_EQ(reporter.statuses.back(), "データ作成が完了しました。");
}

// Files larger than `bytes` cannot be written while it lives (as on a full disk).
struct FileSizeLimit {
    rlimit old{};
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
};

TEST_F(DownloadTest, FailedWriteNamesTheFileKeepsOldContentAndLastTime) {
    std::string stamp = dayStamp("20240115");
    Settings().writeString("JvDataGet", "LastTime", "2024/01/15 00:00:00");
    fs::path raFile = dayFilePath(stamp, DayFile::RA);
    std::string old = zeroed(ra("20240115", "44", 9));
    writeLinesAtomic(raFile, {old});
    control.files = {{ra("20240115", "44", 1), Record::hr(raceKey("20240115", "44", 1)).sent('7').str()}};
    {
        FileSizeLimit limit(2000);  // the race file grows to two records; the payout file stays small
        EXPECT_EQ(download(), DownloadOutcome::WriteError);
    }
    std::string message;
    for (const auto& m : reporter.informations)
        if (m.find("データファイルを書き込めませんでした。") != std::string::npos) message = m;
    EXPECT_NE(message.find(raFile.string()), std::string::npos) << message;
    EXPECT_EQ(lastTime(), "2024/01/15 00:00:00");
    EXPECT_EQ(linesOf(raFile), std::vector<std::string>{old});  // whole, and the old content
    EXPECT_EQ(linesOf(dayFilePath(stamp, DayFile::HR)).size(), 1u);
    EXPECT_EQ(test::treeOf(home.path() / "Data").size(), 2u);  // no temporaries left behind
    EXPECT_NE(reporter.statuses.back(), "データ作成が完了しました。");
    // With room again, the same from-time does the job.
    EXPECT_EQ(download(), DownloadOutcome::Completed);
    EXPECT_EQ(linesOf(raFile).size(), 2u);
}

TEST_F(DownloadTest, UnreadableStoreFileStopsTheReadingWithItsName) {
    fs::path raFile = dayFilePath(dayStamp("20240115"), DayFile::RA);
    fs::create_directories(raFile);  // a folder where the file should be
    control.files = {{ra("20240115", "44", 1), ra("20240115", "44", 2)}};
    EXPECT_EQ(download(), DownloadOutcome::WriteError);
    EXPECT_NE(reporter.informations.back().find(raFile.string()), std::string::npos);
    EXPECT_EQ(lastTime(), "(none)");
    EXPECT_EQ(control.closes, 1);
}

TEST_F(DownloadTest, StartsFromLastTimeElseNinetyDaysBack) {
    EXPECT_EQ(BulkDownload::initialFromTime(), (DateTime{2024, 3, 3, 9, 0, 0}));
    Settings().writeString("JvDataGet", "LastTime", "2024/05/30 21:15:00");
    EXPECT_EQ(BulkDownload::initialFromTime(), (DateTime{2024, 5, 30, 21, 15, 0}));
    Settings().writeString("JvDataGet", "LastTime", "garbage");
    EXPECT_EQ(BulkDownload::initialFromTime(), (DateTime{2024, 3, 3, 9, 0, 0}));
}

}  // namespace
}  // namespace vex

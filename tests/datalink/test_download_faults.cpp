// The download on a store or a feed left damaged by earlier faults, and on a full disk.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "control/feed_service.h"
#include "control/service_control.h"
#include "datalink/bulk_download.h"
#include "support/fake_control.h"
#include "datalink/feed_builder.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;
using test::raceKey;

struct DownloadFaults : ::testing::Test {
    test::TempHome home;
    test::RecordingReporter reporter;
    DownloadFaults() {
        setClock(DateTime{2024, 6, 1, 9, 0, 0});
        createAppFolders();
    }
    ~DownloadFaults() override { setClock(std::nullopt); }

    DownloadOutcome download(DataControl& control, std::size_t commitBatch = HeldStore::kDefaultCommitBatch) {
        BulkDownload d(control, reporter);
        d.setFromTime({2024, 1, 15, 0, 0, 0});
        d.setCommitBatch(commitBatch);
        return d.run([] {});
    }
    std::string lastTime() const { return Settings().readString("JvDataGet", "LastTime", "(none)"); }
    // The messages containing `utf8`.
    std::vector<std::string> told(const std::string& utf8) const {
        std::vector<std::string> found;
        for (const auto& m : reporter.informations)
            if (m.find(utf8) != std::string::npos) found.push_back(m);
        return found;
    }
};

// A race card the day file takes (1 to 18 runners registered).
std::string ra(int race, char category = '1') {
    return Record::ra(raceKey("20240115", "44", race)).sent(category).runners(10);
}
std::string se(int race, int horse) {
    return Record::se(raceKey("20240115", "44", race)).sent('7').horse(horse).reg("2015000001");
}

// A slot file and a day file cut inside a record by an earlier fault: the download writes them
// back aligned, so that every slot and record is where the readers look for it.
TEST_F(DownloadFaults, CutRecordFilesAreRebuiltFromTheirWholeRecords) {
    std::string stamp = dayStamp("20240115");
    fs::path slots = runnerFilePath(stamp, "44");
    std::string slotBytes;
    for (int h = 1; h <= 6; ++h) slotBytes += se(1, h);
    slotBytes.resize(slotBytes.size() - 255);  // cut inside slot 5
    writeFileAtomic(slots, slotBytes);
    fs::path races = dayFilePath(stamp, DayFile::RA);
    std::string ra1 = ra(1, '0');
    std::string ra3 = ra(3, '0');
    writeFileAtomic(races, ra1 + ra3.substr(0, 700));

    test::FakeControl control;
    control.files = {{se(8, 1), ra(8, '1')}};
    ASSERT_EQ(download(control), DownloadOutcome::Completed);

    EXPECT_EQ(fs::file_size(slots), 216u * RecordLength::SE);
    for (int h = 1; h <= 5; ++h) EXPECT_EQ(readRunnerSlot(slots, 1, h - 1), se(1, h)) << h;
    EXPECT_TRUE(isSpaces(recordLine(*readRunnerSlot(slots, 1, 5))));  // the cut record is gone
    EXPECT_EQ(readRunnerSlot(slots, 8, 0), se(8, 1));                 // just stored, and found
    EXPECT_EQ(fs::file_size(races), 2u * RecordLength::RA);
    RecordFile raFile(races, RecordLength::RA, RecordFile::Indexed);
    EXPECT_TRUE(raFile.findRaceKey(raceKey("20240115", "44", 1)));
    EXPECT_TRUE(raFile.findRaceKey(raceKey("20240115", "44", 8)));

    auto mended = told("完全なレコードだけで作り直しました。");
    ASSERT_EQ(mended.size(), 1u);
    EXPECT_NE(mended[0].find(slots.string()), std::string::npos) << mended[0];
    EXPECT_NE(mended[0].find(races.string()), std::string::npos) << mended[0];
}

// Feed files whose name is no time, or that cannot be read at all.
struct FeedFaults : DownloadFaults {
    fs::path feed = home.path() / "feed";
    FeedFaults() { fs::create_directories(feed / "diff"); }
    void feedFile(const std::string& name, const std::string& bytes) { writeFileAtomic(feed / "diff" / name, bytes); }
    DownloadOutcome replay() {
        control::ServiceControl service(std::make_unique<control::FeedService>(feed), nullptr);
        service.NVInit("test");
        return download(service);
    }
};

TEST_F(FeedFaults, AFileNamedByNoTimeLeavesLastTimeToTheNewestValidOneAndIsTold) {
    feedFile("20240115100000_a.txt", ra(1, '1'));
    feedFile("20240115110000_b.txt", ra(2, '1'));
    feedFile("20241399000000_c.txt", ra(3, '1'));
    EXPECT_EQ(replay(), DownloadOutcome::Completed);
    EXPECT_EQ(lastTime(), "2024/01/15 11:00:00");
    auto bad = told("名前の日時が正しくない");
    ASSERT_EQ(bad.size(), 1u);
    EXPECT_NE(bad[0].find("20241399000000_c.txt"), std::string::npos) << bad[0];
    EXPECT_EQ(bad[0].find("_b.txt"), std::string::npos) << bad[0];
    EXPECT_EQ(readLines(dayFilePath(dayStamp("20240115"), DayFile::RA)).size(), 3u);  // its data is kept
}

TEST_F(FeedFaults, AnUnreadableEntryIsAReadErrorAndWhatWasReadIsWritten) {
    feedFile("20240115100000_a.txt", ra(1, '1'));
    feedFile("20240115110000_b.txt", ra(2, '1'));
    feedFile("20240115120000_c.txt", ra(3, '1'));
    ASSERT_TRUE(setFileFaults("read:20240115110000_b.txt"));
    DownloadOutcome outcome = DownloadOutcome::None;
    ASSERT_NO_THROW(outcome = replay());
    setFileFaults("");
    EXPECT_EQ(outcome, DownloadOutcome::ServiceError);
    ASSERT_FALSE(reporter.informations.empty());
    EXPECT_EQ(reporter.informations.back(),
              "JVReadエラー:ダウンロードに失敗しました。(通信エラーやディスクエラー)(-502)\nファイル：20240115110000_b.txt");
    EXPECT_EQ(readLines(dayFilePath(dayStamp("20240115"), DayFile::RA)).size(), 1u);
    EXPECT_EQ(lastTime(), "(none)");
}

// Temporaries are named after their writer's pid: those of a writer that is gone are removed by
// the next download, those of a live one kept.
TEST_F(DownloadFaults, TemporariesOfWritersThatAreGoneAreRemoved) {
    pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    std::string dead = std::to_string(gone), live = std::to_string(getpid());
    fs::create_directories(home.path() / "SEI" / "2019");
    std::vector<fs::path> stale = {home.path() / "Data" / ("." + toUtf8(dayStamp("20240101")) + ".nvRA." + dead + ".7"),
                                   home.path() / "SEI" / "2019" / (".2019100001.nvSEI." + dead + ".12"),
                                   home.path() / (".Vexmora.ini." + dead + ".1")};
    std::vector<fs::path> kept = {home.path() / "Data" / (".x.nvRA." + live + ".3"), home.path() / "Data" / ".hidden",
                                  home.path() / "Data" / ("x.nvRA." + dead + ".3"),
                                  home.path() / "Data" / ("." + dead + ".3")};
    for (const auto& f : stale) writeFileAtomic(f, "half");
    for (const auto& f : kept) writeFileAtomic(f, "keep");
    test::FakeControl control;
    control.files = {{ra(1, '1')}};
    ASSERT_EQ(download(control), DownloadOutcome::Completed);
    for (const auto& f : stale) EXPECT_FALSE(fs::exists(f)) << f;
    for (const auto& f : kept) EXPECT_TRUE(fs::exists(f)) << f;
}

// A small memory file system mounted on Data/ for the test (root only).
class SmallDisk {
public:
    SmallDisk(const fs::path& at, std::size_t bytes) : at_(at) {
        fs::create_directories(at);
        std::string options = "size=" + std::to_string(bytes);
        mounted_ = ::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    fs::path at_;
    bool mounted_ = false;
};

// Space the files under `folder` take on a page-granular file system.
std::size_t pagesUsed(const fs::path& folder) {
    std::size_t bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) bytes += (e.file_size() + 4095) / 4096 * 4096;
    return bytes;
}

TEST_F(DownloadFaults, AFullDiskIsToldOnceWithTheCountOfFilesNotWritten) {
    SmallDisk disk(home.path() / "Data", 256 << 10);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here (needs root)";
    test::FakeControl control;
    control.files = test::FeedBuilder(3).build({2024, 1, 15, 0, 0, 0}, 8, 3);
    EXPECT_EQ(download(control), DownloadOutcome::WriteError);
    EXPECT_EQ(lastTime(), "(none)");
    auto full = told("データファイルを書き込めませんでした。");
    ASSERT_EQ(full.size(), 1u);
    const std::string& text = full[0];
    EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 3) << text;
    EXPECT_NE(text.find(std::strerror(ENOSPC)), std::string::npos) << text;
    EXPECT_NE(text.find("ファイルが書き込まれていません。"), std::string::npos) << text;
    EXPECT_NE(text.find("次回の取込は同じ日時から行います。"), std::string::npos) << text;
    for (const auto& e : fs::directory_iterator(home.path() / "Data"))  // no temporary left, locks apart
        if (!e.path().string().ends_with(".lock")) EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
}

// A download that rewrites a whole store needs room for the new copies beside the old ones; in
// batches it needs that room for one batch only, so a disk with less free space than the store
// still takes it.
TEST_F(DownloadFaults, BatchedCommitsFitADiskWithLessRoomThanTheStore) {
    auto feed = test::FeedBuilder(5).build({2024, 1, 15, 0, 0, 0}, 8, 3);
    std::size_t store = 0;
    {
        test::TempHome sizing;
        createAppFolders();
        test::FakeControl control;
        control.files = feed;
        ASSERT_EQ(download(control), DownloadOutcome::Completed);
        store = pagesUsed(sizing.path() / "Data");
    }
    SmallDisk disk(home.path() / "Data", store + store / 2);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs mount here (needs root)";
    test::FakeControl control;
    control.files = feed;
    ASSERT_EQ(download(control, 64 << 10), DownloadOutcome::Completed);
    // The same records again: every file of the store is written anew over its old copy.
    ASSERT_EQ(download(control, 64 << 10), DownloadOutcome::Completed) << ::testing::PrintToString(reporter.informations);
    EXPECT_EQ(lastTime(), "2024/06/01 12:30:00");
}

}  // namespace
}  // namespace vex

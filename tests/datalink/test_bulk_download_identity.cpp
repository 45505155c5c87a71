#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "datalink/bulk_download.h"
#include "datalink/download_support.h"
#include "support/fake_control.h"
#include "datalink/feed_builder.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

const DateTime kNow{2024, 6, 1, 9, 0, 0};
const DateTime kFrom{2024, 3, 1, 0, 0, 0};

// What a store holds before the download: files the rules did not write themselves (unsorted,
// duplicate keys, blank lines, a short slot file), so the first record on each is merged as read.
void seedStore() {
    createAppFolders();
    std::string stamp = dayStamp("20240303");
    std::string a = test::Record::ra(test::raceKey("20240303", "44", 3)).sent('0');
    std::string b = test::Record::ra(test::raceKey("20240303", "44", 1)).sent('0');
    writeLinesAtomic(dayFilePath(stamp, DayFile::RA),
                     {std::string(recordLine(a)), "", std::string(recordLine(b)), std::string(recordLine(b))});
    writeLinesAtomic(runnerFilePath(stamp, "45"), {std::string(553, ' '), "short"});
    writeLinesAtomic(dayFilePath(dayStamp("20240302"), DayFile::HR), {" ", "\t"});
}

std::map<std::string, std::string> storeTree(const fs::path& home) {
    std::map<std::string, std::string> all;
    for (const char* folder : {"Data", "SEI", "SEIR"})
        for (auto& [name, bytes] : test::treeOf(home / folder)) all[std::string(folder) + "/" + name] = std::move(bytes);
    return all;
}

struct IdentityTest : ::testing::Test {
    // The feed and the reference store are built once: storing record by record is slow.
    static inline std::vector<std::vector<std::string>> feed;
    static inline std::map<std::string, std::string> reference;
    static void SetUpTestSuite() {
        setClock(kNow);
        feed = test::FeedBuilder(7).build(kFrom, 30, 4);
        // On a memory file system when there is one: thousands of whole-file rewrites.
        std::string tmpdir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        if (fs::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 1);
        {
            test::TempHome home;
            seedStore();
            test::referenceStore(feed, RoutingContext{20240301, "2009"});
            reference = storeTree(home.path());
        }
        if (tmpdir.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", tmpdir.c_str(), 1);
    }
    static void TearDownTestSuite() {
        feed.clear();
        reference.clear();
    }
    IdentityTest() { setClock(kNow); }
    ~IdentityTest() override { setClock(std::nullopt); }

    std::map<std::string, std::string> download(std::size_t bound, DownloadStats* stats = nullptr) {
        test::TempHome home;
        seedStore();
        test::FakeControl control;
        control.files = feed;
        test::RecordingReporter reporter;
        BulkDownload d(control, reporter);
        d.setFromTime(kFrom);
        d.setMemoryBound(bound);
        EXPECT_EQ(d.run([] {}), DownloadOutcome::Completed);
        if (stats) *stats = d.stats();
        return storeTree(home.path());
    }
};

void expectSameTree(const std::map<std::string, std::string>& got, const std::map<std::string, std::string>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (auto g = got.begin(), w = want.begin(); g != got.end(); ++g, ++w) {
        ASSERT_EQ(g->first, w->first);
        EXPECT_TRUE(g->second == w->second) << g->first << " differs";
    }
}

TEST_F(IdentityTest, HeldFilesWrittenOnceEqualRecordByRecordStoring) {
    ASSERT_GT(reference.size(), 250u);  // day files of 30 days, slot files, horses, past races
    DownloadStats stats;
    expectSameTree(download(HeldStore::kDefaultBound, &stats), reference);
    EXPECT_EQ(stats.flushes, 1u);
    EXPECT_GT(stats.malformed, 0);
    // A small memory bound writes and lets go of the files several times on the way.
    expectSameTree(download(std::size_t{2} << 20, &stats), reference);
    EXPECT_GT(stats.flushes, 5u);
}

// A download killed with SIGKILL at some point of its read loop (small memory bound, so files are
// being replaced while it runs) leaves every store file whole and LastTime as it was; the next
// download from the same from-time gives the same store as an uninterrupted one.
TEST_F(IdentityTest, KilledDownloadLeavesWholeFilesAndTheNextOneFinishes) {
    for (int killAfter : {200, 2000}) {
        test::TempHome home;
        seedStore();
        Settings().writeString("JvDataGet", "LastTime", "2024/03/01 00:00:00");
        std::string iniBefore = readFileBytes(home.path() / "Vexmora.ini");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            test::FakeControl control;
            control.files = feed;
            control.onRecord = [&](int index) {
                if (index == killAfter) (void)!::write(ready[1], "k", 1);
            };
            test::RecordingReporter reporter;
            BulkDownload d(control, reporter);
            d.setFromTime(kFrom);
            d.setMemoryBound(std::size_t{4} << 20);
            d.run([] {});
            _exit(0);
        }
        close(ready[1]);
        char c = 0;
        ASSERT_EQ(::read(ready[0], &c, 1), 1);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(ready[0]);
        ASSERT_TRUE(WIFSIGNALED(status));

        EXPECT_EQ(readFileBytes(home.path() / "Vexmora.ini"), iniBefore);
        // Every record file is whole: a whole number of records of its kind, each ending CR LF.
        for (const auto& [name, bytes] : storeTree(home.path())) {
            int length = 0;
            for (DayFile kind : kDayFiles)
                if (name.ends_with(dayFileExtension(kind))) length = dayFileRecordLength(kind);
            if (name.ends_with(".nvSEr") || name.ends_with(".nvSEI")) length = RecordLength::SE;
            if (name.ends_with(".nvSERA")) length = RecordLength::RA;
            if (length == 0 || name.find("20240303") != std::string::npos || name.find("2024年03月0") != std::string::npos)
                continue;  // the seeded odd files keep their own shapes
            ASSERT_EQ(bytes.size() % static_cast<std::size_t>(length), 0u) << name;
            for (std::size_t at = length; at <= bytes.size(); at += length)
                ASSERT_EQ(bytes.substr(at - 2, 2), "\r\n") << name;
        }

        test::FakeControl control;
        control.files = feed;
        test::RecordingReporter reporter;
        BulkDownload d(control, reporter);
        EXPECT_EQ(d.fromTime(), kFrom);  // from the unchanged LastTime
        EXPECT_EQ(d.run([] {}), DownloadOutcome::Completed);
        expectSameTree(storeTree(home.path()), reference);
    }
}

}  // namespace
}  // namespace vex

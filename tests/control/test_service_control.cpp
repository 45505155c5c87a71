// The control's data operations over the simulated service and feed replay: open, status, read with
// file boundaries, real-time requests, cancel, the presence test and fault injection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "control/feed_service.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "support/test_support.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace {
namespace fs = std::filesystem;

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(DateTime{2024, 5, 10, 20, 0, 0});
        unsetenv("VEXMORA_SERVICE");
        unsetenv("VEXMORA_FAULTS");
        setFaultPlan(std::nullopt);
    }
    void TearDown() override {
        setClock(std::nullopt);
        unsetenv("VEXMORA_SERVICE");
        setFaultPlan(std::nullopt);
    }
    test::TempHome home;
};

struct ReadResult {
    std::vector<std::string> records;
    int boundaries = 0;
    int end = 1;
};

ReadResult readAll(DataControl& c, int bufferSize = 100000) {
    ReadResult r;
    for (int guard = 0; guard < 2000000; ++guard) {
        std::string rec, name;
        int size = bufferSize;
        int code = c.NVRead(rec, size, name);
        if (code > 0) {
            EXPECT_EQ(code, static_cast<int>(rec.size()));
            r.records.push_back(rec);
        } else if (code == -1) {
            ++r.boundaries;
        } else if (code == -3 || code == -2) {
            continue;
        } else {
            r.end = code;
            break;
        }
    }
    return r;
}

TEST_F(ControlTest, DownloadServesTheFilesMadeSinceTheFromTime) {
    auto c = createDataControl(nullptr);
    ASSERT_TRUE(c);
    int readCount = 0, downloadCount = 0;
    std::string last;
    EXPECT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), -201) << "before NVInit";
    ASSERT_EQ(c->NVInit("SA000000/SD000000/Vexmora/Version.1.05"), 0);
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), 0);
    EXPECT_GT(readCount, 10);
    EXPECT_EQ(downloadCount, readCount);
    EXPECT_LE(last, "20240510200000");
    EXPECT_GT(last, "20240510190000");
    int status = 0, polls = 0;
    while (status < downloadCount && polls < 1000) {
        int s = c->NVStatus();
        ASSERT_GE(s, status);
        status = s;
        ++polls;
    }
    EXPECT_EQ(status, downloadCount);
    EXPECT_GT(polls, 2) << "progress comes in steps";
    ReadResult r = readAll(*c);
    EXPECT_EQ(r.end, 0);
    EXPECT_EQ(r.boundaries, readCount);
    for (const auto& rec : r.records) ASSERT_GE(fieldOf(rec, Common::MakeDate), "20240509");
    EXPECT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), -202) << "still open";
    EXPECT_EQ(c->NVClose(), 0);

    // Nothing new since the last file: -1. Bad arguments: their codes.
    EXPECT_EQ(c->NVOpen("RACEDIFF", last, 1, readCount, downloadCount, last), -1);
    EXPECT_EQ(c->NVOpen("RACE", "20240509120000", 1, readCount, downloadCount, last), -111);
    EXPECT_EQ(c->NVOpen("RACEDIFF", "2024050912", 1, readCount, downloadCount, last), -112);
    EXPECT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 2, readCount, downloadCount, last), -115);
}

TEST_F(ControlTest, CancelStopsTheDownloadAndBufferSizeIsHonoured) {
    auto c = createDataControl(nullptr);
    c->NVInit("id");
    int readCount = 0, downloadCount = 0;
    std::string last, rec, name;
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240501000000", 1, readCount, downloadCount, last), 0);
    while (c->NVStatus() < downloadCount) {
    }
    int size = 100;
    int code = c->NVRead(rec, size, name);
    ASSERT_EQ(code, 100);
    EXPECT_EQ(size, 100) << "the caller's buffer size is left as it was";
    EXPECT_EQ(name.substr(0, 14) <= last, true);
    EXPECT_EQ(c->NVCancel(), 0);
    size = 100000;
    EXPECT_EQ(c->NVRead(rec, size, name), -203);
    EXPECT_EQ(c->NVClose(), 0);
}

TEST_F(ControlTest, RealTimeRequestsGiveTheRacesOddsAndTheDaysResults) {
    auto c = createDataControl(nullptr);
    c->NVInit("id");
    SimService sim(simSeed(), dayNumber(2024, 5, 10));
    const auto& tds = sim.world().trackDays();
    int td = sim.world().findTrackDay(dayNumber(2024, 5, 10), 44);
    ASSERT_GE(td, 0) << "the night track races that day";
    auto last = sim.race(td, static_cast<int>(tds[static_cast<std::size_t>(td)].races.size()) - 1);
    ASSERT_EQ(c->NVRTOpen("0B30", last->raceKey()), 0);
    ReadResult odds = readAll(*c);
    c->NVClose();
    ASSERT_EQ(odds.records.size(), 7u);
    EXPECT_EQ(odds.boundaries, 0);
    EXPECT_EQ(odds.records[0].substr(0, 3), "O11") << "before the post: interim odds";
    EXPECT_EQ(odds.records[5].size(), static_cast<std::size_t>(RecordLength::O6));

    ASSERT_EQ(c->NVRTOpen("0B12", "20240510"), 0);
    ReadResult results = readAll(*c, 60000);
    c->NVClose();
    int ra = 0, hr = 0;
    for (const auto& r : results.records) {
        ASSERT_EQ(fieldOf(r, Common::Date), "20240510");
        ra += r.compare(0, 2, "RA") == 0;
        hr += r.compare(0, 2, "HR") == 0;
        if (r.compare(0, 2, "RA") == 0) {
            EXPECT_LE(fieldOf(r, RA::PostTime), "1956") << "only races already run";
        }
    }
    EXPECT_GT(ra, 5);
    EXPECT_EQ(ra, hr);

    EXPECT_EQ(c->NVRTOpen("0B30", "2024051044"), -114);
    EXPECT_EQ(c->NVRTOpen("0B12", "20241340"), -114);
    EXPECT_EQ(c->NVRTOpen("0B99", "20240510"), -111);
    ASSERT_EQ(c->NVRTOpen("0B30", "2024051099010101"), 0) << "an unknown race opens with nothing to read";
    EXPECT_EQ(c->NVRTOpen("0B30", last->raceKey()), -202);
    EXPECT_TRUE(readAll(*c).records.empty());
    c->NVClose();
}

TEST_F(ControlTest, PresenceTestNamesWhatIsMissing) {
    EXPECT_EQ(dataControlProblem(), "");
    setenv("VEXMORA_SERVICE", "feed:/no/such/folder", 1);
    EXPECT_NE(dataControlProblem().find("/no/such/folder"), std::string::npos);
    EXPECT_FALSE(createDataControl(nullptr));
    setenv("VEXMORA_SERVICE", "nonsense", 1);
    EXPECT_FALSE(dataControlProblem().empty());
    setenv("VEXMORA_SERVICE", ("feed:" + home.path().string()).c_str(), 1);
    EXPECT_EQ(dataControlProblem(), "");
    EXPECT_TRUE(createDataControl(nullptr));
    unsetenv("VEXMORA_SERVICE");
    setenv("VEXMORA_FAULTS", "NVOpen=oops", 1);
    EXPECT_FALSE(dataControlProblem().empty());
    unsetenv("VEXMORA_FAULTS");
}

TEST_F(ControlTest, FaultsMakeOperationsFailAsPlanned) {
    EXPECT_FALSE(parseFaultPlan("NVOpen"));
    EXPECT_FALSE(parseFaultPlan("NoSuchOp=-1"));
    EXPECT_FALSE(parseFaultPlan("NVRead=-502@x"));
    auto plan = parseFaultPlan("NVOpen=-504@1;NVRead=-502@5,RakutenLogin=-5");
    ASSERT_TRUE(plan);
    setFaultPlan(plan);
    auto c = createDataControl(nullptr);
    c->NVInit("id");
    int readCount, downloadCount;
    std::string last;
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), 0) << "one call passes";
    while (c->NVStatus() < downloadCount) {
    }
    ReadResult r = readAll(*c);
    EXPECT_EQ(r.records.size(), 5u);
    EXPECT_EQ(r.end, -502);
    c->NVClose();
    EXPECT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), -504);
    EXPECT_EQ(c->RakutenLogin("", ""), -5);
    EXPECT_EQ(c->RakutenLogout(), 0) << "not planned: passes through";
}

TEST_F(ControlTest, FeedReplayServesRecordedFilesLikeTheService) {
    fs::path feed = home.path() / "feed";
    fs::create_directories(feed / "diff");
    fs::create_directories(feed / "0B30");
    writeFileAtomic(feed / "diff" / "20240509120000_a.txt", "RA1\r\nSE1\r\n\r\n");
    writeFileAtomic(feed / "diff" / "20240509130000_b.txt", "SE2\nSE3");  // bare LF, no final break
    writeFileAtomic(feed / "diff" / "notes.txt", "ignored");
    writeFileAtomic(feed / "0B30" / "2024050944010101.txt", "O1x\r\n");
    setenv("VEXMORA_SERVICE", ("feed:" + feed.string()).c_str(), 1);
    auto c = createDataControl(nullptr);
    c->NVInit("id");
    int readCount, downloadCount;
    std::string last;
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240509115959", 1, readCount, downloadCount, last), 0);
    EXPECT_EQ(readCount, 2);
    EXPECT_EQ(downloadCount, 0);
    EXPECT_EQ(last, "20240509130000");
    ReadResult r = readAll(*c);
    EXPECT_EQ(r.records, (std::vector<std::string>{"RA1\r\n", "SE1\r\n", "SE2\r\n", "SE3\r\n"}));
    EXPECT_EQ(r.boundaries, 2);
    c->NVClose();
    ASSERT_EQ(c->NVOpen("RACEDIFF", "20240509120000", 1, readCount, downloadCount, last), 0);
    EXPECT_EQ(readCount, 1) << "only files later than the from-time";
    c->NVClose();
    EXPECT_EQ(c->NVOpen("RACEDIFF", "20240509130000", 1, readCount, downloadCount, last), -1);
    ASSERT_EQ(c->NVRTOpen("0B30", "2024050944010101"), 0);
    EXPECT_EQ(readAll(*c).records, std::vector<std::string>{"O1x\r\n"});
    c->NVClose();
    ASSERT_EQ(c->NVRTOpen("0B12", "20240509"), 0) << "a missing file reads as nothing";
    EXPECT_TRUE(readAll(*c).records.empty());
}

TEST_F(ControlTest, FeedExportIsReplayedByteForByteAndIsRepeatable) {
    fs::path a = home.path() / "a", b = home.path() / "b";
    int code = 0;
    std::string env = "VEXMORA_NOW='2024/05/10 20:00:00' VEXMORA_SIM_SEED=3";
    test::runCli("feed-export " + a.string() + " --from 20240509 --to 20240511", code, env);
    ASSERT_EQ(code, 0);
    test::runCli("feed-export " + b.string() + " --from 20240509 --to 20240511", code, env);
    ASSERT_EQ(code, 0);
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(a))
        if (e.is_regular_file()) files.push_back(fs::relative(e.path(), a));
    ASSERT_GT(files.size(), 20u);
    for (const auto& f : files) ASSERT_EQ(readFileBytes(a / f), readFileBytes(b / f)) << f;
    test::runCli("feed-export " + a.string(), code, env);
    EXPECT_EQ(code, 1) << "an existing feed is not overwritten";
    test::runCli("feed-export " + a.string() + " --from 2024", code, env);
    EXPECT_EQ(code, 2);

    // Replaying the feed gives the same records as the service for the same days.
    setenv("VEXMORA_SERVICE", ("feed:" + a.string()).c_str(), 1);
    auto feed = createDataControl(nullptr);
    feed->NVInit("id");
    int readCount, downloadCount;
    std::string last;
    ASSERT_EQ(feed->NVOpen("RACEDIFF", "20000101000000", 1, readCount, downloadCount, last), 0);
    ReadResult replay = readAll(*feed);
    SimService sim(3, dayNumber(2024, 5, 10));
    std::vector<std::string> direct;
    for (const DataFile& f : sim.filesOfDays(dayNumber(2024, 5, 9), dayNumber(2024, 5, 11), "20240510200000"))
        for (auto& r : f.records()) direct.push_back(r);
    EXPECT_EQ(replay.records.size(), direct.size());
    EXPECT_TRUE(replay.records == direct);
}

}  // namespace
}  // namespace vex::control

namespace vex::control {
namespace {

class KeyUi : public ControlUi {
public:
    std::string typed;
    bool ok = true;
    std::string shown;
    bool editSettings(ControlSettings& settings, const std::string&) override {
        shown = settings.serviceKey;
        settings.serviceKey = typed;
        return ok;
    }
    int chooseAccount(const std::vector<std::string>&, int) override { return -1; }
};

TEST_F(ControlTest, TheSettingsDialogKeepsAValidServiceKey) {
    KeyUi ui;
    auto c = createDataControl(&ui);
    ui.typed = "ABCDEFGH123456789";
    EXPECT_EQ(c->NVSetUIProperties(), 0);
    ui.typed = "too short";
    EXPECT_EQ(c->NVSetUIProperties(), -100);
    EXPECT_EQ(ui.shown, "ABCDEFGH123456789") << "the dialog shows the stored key";
    ui.ok = false;
    EXPECT_EQ(c->NVSetUIProperties(), 0) << "cancelled: nothing changes";
    EXPECT_EQ(createDataControl(nullptr)->NVSetUIProperties(), 0);
}

}  // namespace
}  // namespace vex::control

namespace vex::control {
namespace {

TEST(FeedRecords, ArbitraryBytesGiveOnlyWholeLines) {
    std::uint64_t seed = 12345;
    for (int round = 0; round < 500; ++round) {
        std::string bytes;
        int n = static_cast<int>(sim::mix64(seed++) % 200);
        for (int i = 0; i < n; ++i) {
            std::uint64_t v = sim::mix64(seed++);
            bytes += v % 5 == 0 ? '\n' : v % 7 == 0 ? '\r' : static_cast<char>(v >> 8);
        }
        for (const auto& r : splitFeedRecords(bytes)) {
            ASSERT_GE(r.size(), 3u);
            ASSERT_EQ(r.substr(r.size() - 2), "\r\n");
            ASSERT_EQ(r.find('\n'), r.size() - 1);
        }
    }
}

}  // namespace
}  // namespace vex::control

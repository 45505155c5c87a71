// The 64-bit bridge and our test control under Wine, in the prefix the fixture made: what the
// program stores, refreshes and votes through them equals, byte for byte, what it does with the
// feed replay of the same feed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/file_read.h"
#include "control/bridge_control.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex::test {
namespace {
namespace fs = std::filesystem;
using bridge::LibraryCheckResult;

constexpr const char* kNow = "2026/06/10 09:30:00";
const fs::path kPrograms = VEXMORA_WINE_PROGRAMS;

// Wine's drive Z: is the Unix root.
std::string windowsPath(const fs::path& p) {
    std::string s = "Z:" + p.string();
    for (char& c : s) c = c == '/' ? '\\' : c;
    return s;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Every file below `root` by relative name, without the logs and lock files (they hold times).
std::map<std::string, std::string> filesBelow(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.ends_with(".log") || name.ends_with(".lock") || name == "ErrorLog.txt")
            continue;
        files[fs::relative(entry.path(), root).string()] = readFileBytes(entry.path());
    }
    return files;
}

// Names of the files that differ between two trees (missing on either side included).
std::vector<std::string> differences(const fs::path& a, const fs::path& b) {
    auto left = filesBelow(a), right = filesBelow(b);
    std::vector<std::string> out;
    for (const auto& [name, bytes] : left)
        if (!right.contains(name) || right[name] != bytes) out.push_back(name);
    for (const auto& [name, bytes] : right)
        if (!left.contains(name)) out.push_back(name + " (only through the bridge)");
    return out;
}

class WineTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("vexmora-wine-" + std::to_string(::getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        for (const char* folder : {"feed", "replay", "bridge", "control", "export"}) fs::create_directories(root_ / folder);
        cli("feed-export " + quoted(path("feed").string()) + " --from 20260605 --to 20260610", path("export"), "sim");
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path path(const char* name) const { return root_ / name; }

    std::string environment(const fs::path& home, const std::string& service) const {
        return "VEXMORA_NOW=" + quoted(kNow) + " VEXMORA_HOME=" + quoted(home.string()) +
               " VEXMORA_SERVICE=" + quoted(service) + " VEXMORA_TEST_CONTROL_FEED=" +
               quoted(windowsPath(path("feed"))) + " VEXMORA_TEST_CONTROL_HOME=" + quoted(windowsPath(path("control")));
    }
    // Runs vexmora-cli in `home` on `service`; its output, and a failure when it did not succeed.
    std::string cli(const std::string& args, const fs::path& home, const std::string& service) const {
        int code = 0;
        std::string out = runCli(args + " 2>&1", code, environment(home, service));
        EXPECT_EQ(code, 0) << args << " on " << service << ":\n" << out;
        return out;
    }
    // Bridges this test process starts itself find the feed and the ledger in its environment.
    void serveTheFeedToOwnBridges() const {
        ::setenv("VEXMORA_TEST_CONTROL_FEED", windowsPath(path("feed")).c_str(), 1);
        ::setenv("VEXMORA_TEST_CONTROL_HOME", windowsPath(path("control")).c_str(), 1);
    }
    std::string replay() const { return "feed:" + path("feed").string(); }
    std::string bridge() const { return std::string("bridge:" VEXMORA_WINE64_PATH " " VEXMORA_BRIDGE64_PATH); }
    // The same command once on the feed replay, once through the bridge.
    void both(const std::string& args) const {
        cli(args, path("replay"), replay());
        cli(args, path("bridge"), bridge());
    }

    fs::path root_;
};

TEST_F(WineTest, TheTestControlServesEveryFeedRecordWhenCreatedByItsProgId) {
    int code = 0;
    const std::string client = VEXMORA_WINE64_PATH " " + quoted((kPrograms / "vexmora-test-client.exe").string());
    const std::string records = runCommand(environment(path("bridge"), "") + " " + client + " 00000000000000", code);
    ASSERT_EQ(code, 0);
    std::string expected;
    std::vector<fs::path> files(fs::directory_iterator(path("feed") / "diff"), {});
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string bytes = readFileBytes(file);
        for (std::string_view line : splitLines(bytes))
            if (!line.empty()) expected += std::string(line) + "\r\n";
    }
    ASSERT_GT(expected.size(), 100000u);
    if (records != expected) {
        std::size_t at = std::mismatch(records.begin(), records.end(), expected.begin(), expected.end()).first - records.begin();
        ADD_FAILURE() << "the records differ from byte " << at << ":\n"
                      << records.substr(at - std::min<std::size_t>(at, 40), 120) << "\nexpected\n"
                      << expected.substr(at - std::min<std::size_t>(at, 40), 120);
    }
}

TEST_F(WineTest, DownloadAndRefreshesThroughTheBridgeStoreWhatTheFeedReplayStores) {
    both("download --from " + quoted("2026/06/01 00:00:00"));
    ASSERT_GT(filesBelow(path("replay")).size(), 1000u);
    EXPECT_EQ(differences(path("replay"), path("bridge")), std::vector<std::string>{}) << "after the download";
    both("refresh-odds today 1");
    both("refresh-results 2026-06-09");
    EXPECT_EQ(differences(path("replay"), path("bridge")), std::vector<std::string>{}) << "after the refreshes";
}

// The voting log with its times blanked: the two runs vote seconds apart.
std::string logWithoutTimes(const fs::path& home) {
    return std::regex_replace(readFileBytes(home / "VovoVaro.log"), std::regex("[0-9]{2}:[0-9]{2}:[0-9]{2}"), "hh:nn:ss");
}

TEST_F(WineTest, AVoteThroughTheBridgeLandsInTheTestControlsLedgerAsInTheFeedReplaysAccount) {
    for (const char* home : {"replay", "bridge"}) cli("download --from " + quoted("2026/06/01 00:00:00"), path(home), replay());
    const std::string vote = "vote today 1 --kind 3 --mark 8:1,2,3 --amount 1200";
    both(vote);
    const std::string ledger = readFileBytes(path("control") / "ServiceControl.dat");
    EXPECT_NE(ledger.find("\r\nbet="), std::string::npos) << ledger;
    EXPECT_EQ(ledger, readFileBytes(path("replay") / "ServiceControl.dat"));
    EXPECT_EQ(logWithoutTimes(path("bridge")), logWithoutTimes(path("replay")));
}

// The bridge copied into its own folder beside `library` (none when empty), as the user places it;
// its command.
std::string bridgeBeside(const fs::path& folder, const fs::path& library) {
    fs::create_directories(folder);
    fs::copy_file(VEXMORA_BRIDGE64_PATH, folder / "vexmora-bridge64.exe");
    if (!library.empty()) fs::copy_file(library, folder / control::kBridgeVoteLibrary);
    return VEXMORA_WINE64_PATH " " + (folder / "vexmora-bridge64.exe").string();
}

TEST_F(WineTest, TheLibraryCheckRunsBesideTheBridgeAndFindsTheExportWithoutCallingIt) {
    serveTheFeedToOwnBridges();
    auto check = [&](const char* folder, const fs::path& library) {
        LibraryCheckResult result{};
        const int code = control::checkLibraryThroughBridge(bridgeBeside(path(folder), library), {},
                                                            control::kBridgeVoteLibrary, result);
        EXPECT_EQ(code, 0) << folder;
        return result;
    };
    EXPECT_EQ(check("with", kPrograms / "ipat-with-export" / "IPAT_LIB.dll"), LibraryCheckResult::Present);
    EXPECT_EQ(check("without", kPrograms / "ipat-without-export" / "IPAT_LIB.dll"), LibraryCheckResult::NoExport);
    EXPECT_EQ(check("none", {}), LibraryCheckResult::NotLoaded);
    // Without its feed the test control is not created: the check only loads a library, and answers.
    ::unsetenv("VEXMORA_TEST_CONTROL_FEED");
    EXPECT_EQ(check("with-no-control", kPrograms / "ipat-with-export" / "IPAT_LIB.dll"), LibraryCheckResult::Present);
}

TEST_F(WineTest, TheConnectionTestTellsWhetherTheControlCameUpAndNVInitWorked) {
    const std::string command = bridge().substr(std::string("bridge:").size());
    serveTheFeedToOwnBridges();
    const std::string working = toUtf8(control::bridgeConnectionTest(command, {}));
    EXPECT_TRUE(working.starts_with("接続できました。")) << working;
    // Without its feed the test control refuses to be created: the test says so, and why.
    ::unsetenv("VEXMORA_TEST_CONTROL_FEED");
    const std::string refused = toUtf8(control::bridgeConnectionTest(command, {}));
    EXPECT_NE(refused.find("コントロールを作成できませんでした"), std::string::npos) << refused;
    // A command that starts nothing.
    const std::string missing = toUtf8(control::bridgeConnectionTest(path("no-such-bridge").string(), {}));
    EXPECT_TRUE(missing.starts_with("ブリッジと通信できませんでした")) << missing;
}

}  // namespace
}  // namespace vex::test

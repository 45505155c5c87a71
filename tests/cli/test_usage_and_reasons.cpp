// What vexmora-cli says when it cannot do what was asked: environment values that cannot be what
// they name, the XDG rules of an installed program, odds filters that are no odds, a day that
// cannot be loaded (every command gives the reason load gives), and bytes from files that are no
// text (only valid UTF-8 reaches the terminal).
#include <gtest/gtest.h>

#include <filesystem>

#include "app/atomic_file.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/utf8.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Usage : ::testing::Test {
    test::TempHome home;
    int code = -1;
    // stdout and stderr together.
    std::string cli(const std::string& args, const std::string& env = "") {
        return test::runCli(args + " 2>&1", code, env);
    }
    void writeDay() {
        test::StoreDay day("20240510");
        day.add(Record::ra(test::raceKey("20240510", "44", 1)).runners(8).post("1530"));
        for (int h = 1; h <= 8; ++h) day.add(Record::se(test::raceKey("20240510", "44", 1)).horse(h).frame(h));
        day.write();
    }
};

TEST_F(Usage, EnvironmentValuesThatCannotBeWhatTheyNameAreUsageErrors) {
    struct Case {
        std::string env, named;
    };
    for (const Case& c : {Case{"VEXMORA_SIM_SEED=abc", "VEXMORA_SIM_SEED は数ではありません (not a number): abc"},
                          Case{"VEXMORA_FILE_FAULTS='read:@@@'", "VEXMORA_FILE_FAULTS の書式が不正です"},
                          Case{"VEXMORA_HOME=/dev/null", "VEXMORA_HOME はフォルダではありません (not a folder): /dev/null"}}) {
        std::string out = cli("days", c.env);
        EXPECT_EQ(code, 2) << c.env;
        EXPECT_TRUE(contains(out, c.named)) << out;
    }
}

// An installed program (share/vexmora beside its bin) keeps its files by the XDG rules.
TEST_F(Usage, AnInstalledProgramFollowsTheXdgRules) {
    const fs::path prefix = home.path() / "prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "vexmora");
    fs::copy_file(test::cliPath(), prefix / "bin" / "vexmora-cli");
    const fs::path work = home.path() / "work", user = home.path() / "user";
    fs::create_directories(work);
    const std::string run = "cd '" + work.string() + "' && env -u VEXMORA_HOME -u HOME -u XDG_DATA_HOME ";
    const std::string installed = "'" + (prefix / "bin" / "vexmora-cli").string() + "' ";
    std::string out = test::runShell(run + installed + "days 2>&1; echo rc=$?");
    EXPECT_TRUE(contains(out, "XDG_DATA_HOME も HOME も絶対パスではありません")) << out;
    EXPECT_TRUE(contains(out, "rc=2")) << out;
    // A relative XDG_DATA_HOME is ignored: the files go to $HOME/.local/share/vexmora.
    const fs::path feed = home.path() / "empty-feed";
    fs::create_directories(feed);
    out = test::runShell(run + "HOME='" + user.string() + "' XDG_DATA_HOME=relative VEXMORA_SERVICE=feed:'" +
                         feed.string() + "' " + installed + "download 2>&1; echo rc=$?");
    EXPECT_TRUE(contains(out, "rc=0")) << out;
    EXPECT_TRUE(fs::is_directory(user / ".local" / "share" / "vexmora" / "Data"));
    EXPECT_FALSE(fs::exists(work / "relative"));
    EXPECT_FALSE(fs::exists(work / ".local"));
}

TEST_F(Usage, OddsFiltersAndOptionsThatAreNoneAreNamed) {
    writeDay();
    for (const std::string& bad : {std::string("--lower 1e308"), std::string("--lower -5"), std::string("--upper abc")}) {
        std::string out = cli("bets 2024-05-10 1 --kind 0 " + bad);
        EXPECT_EQ(code, 2) << bad;
        EXPECT_TRUE(contains(out, bad.substr(0, 7) + " はオッズ（0.0～9999999.9）で指定してください")) << out;
        EXPECT_TRUE(contains(out, bad.substr(8))) << out;
        EXPECT_TRUE(contains(out, "使い方 (Usage): vexmora-cli bets")) << out;
    }
    std::string out = cli("bets 2024-05-10 1 --frobnicate");
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(contains(out, "不明なオプションです (unknown option): --frobnicate")) << out;
}

TEST_F(Usage, EveryCommandGivesTheReasonLoadGivesForADayThatCannotBeLoaded) {
    writeDay();
    const std::string env = "VEXMORA_FILE_FAULTS='read:2024年05月10日.nvRA'";
    const std::string load = cli("load 2024-05-10", env);
    ASSERT_EQ(code, 1);
    ASSERT_TRUE(contains(load, "2024年05月10日.nvRA")) << load;
    for (const std::string& command : {"card 2024-05-10 1", "bets 2024-05-10 1 --kind 0", "refresh-odds 2024-05-10 1"}) {
        EXPECT_EQ(cli(command, env), load) << command;
        EXPECT_EQ(code, 1) << command;
    }
}

TEST_F(Usage, BytesThatAreNoTextReachTheTerminalAsValidUtf8) {
    writeDay();
    fs::path raceFile = home.path() / "Data" / "2024年05月10日.nvRA";
    std::string bytes = readFileBytes(raceFile);
    for (std::size_t i = 0; i + 2 < bytes.size(); ++i)
        if (i < 11 || i >= 27) bytes[i] = '\xff';  // all but the race key
    writeFileAtomic(raceFile, bytes);
    for (const std::string& command : {"card 2024-05-10 1", "load 2024-05-10", "days"}) {
        std::string out = cli(command);
        EXPECT_TRUE(isValidUtf8(out)) << command << ": " << out;
    }
}

}  // namespace
}  // namespace vex

// What a person types: the forms of DAY and "help COMMAND".
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

fs::path goldenDay() { return fs::path(VEXMORA_SOURCE_DIR) / "tests" / "data" / "golden" / "two-tracks"; }

std::string expected(const std::string& name) {
    std::ifstream in(goldenDay() / "expected" / (name + ".txt"), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A copy of the golden store of 2026年03月15日 (the load writes its statistics file).
class DayForms : public ::testing::Test {
protected:
    void SetUp() override { fs::copy(goldenDay() / "home", home.path(), fs::copy_options::recursive); }
    std::string run(const std::string& args, int& code, const std::string& now = "2026/03/20 09:00:00") {
        return test::runCli(args, code, "VEXMORA_NOW='" + now + "'");
    }
    test::TempHome home;
};

TEST_F(DayForms, EveryFormNamesTheSameDay) {
    const std::string load = expected("load");
    ASSERT_FALSE(load.empty());
    for (const char* day : {"2026-03-15", "20260315", "2026年03月15日"}) {
        int code = -1;
        EXPECT_EQ(run(std::string("load ") + day, code), load) << day;
        EXPECT_EQ(code, 0) << day;
    }
    int code = -1;
    EXPECT_EQ(run("card 20260315 1", code), expected("card-oi1"));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(run("bets 2026-03-15 1 --kind 0 --mark 8:1,2,4,6 --amount 1000", code), expected("bets-oi1-win-even"));
    EXPECT_EQ(code, 0);
}

TEST_F(DayForms, TodayAndTomorrowFollowTheProgramsClock) {
    int code = -1;
    EXPECT_EQ(run("load today", code, "2026/03/15 10:00:00"), expected("load"));
    EXPECT_EQ(code, 0);
    // Just before midnight: tomorrow is the 15th; a minute later, today is.
    EXPECT_EQ(run("load tomorrow", code, "2026/03/14 23:59:00"), expected("load"));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(run("card today 1", code, "2026/03/15 00:00:30"), expected("card-oi1"));
    EXPECT_EQ(code, 0);
    // Across a month's end.
    run("load tomorrow 2>&1", code, "2026/02/28 12:00:00");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(run("load tomorrow 2>&1", code, "2026/03/16 12:00:00"), "データ作成が未完了のようです。\n");
    EXPECT_EQ(code, 1);
}

TEST_F(DayForms, AWellFormedDayWithoutDataIsNoUsageError) {
    int code = -1;
    EXPECT_EQ(run("load 2026-03-18 2>&1", code), "データ作成が未完了のようです。\n");
    EXPECT_EQ(code, 1);
    run("card 20260318 1 2>/dev/null", code);
    EXPECT_EQ(code, 1);
}

TEST_F(DayForms, AMalformedDayIsAUsageErrorNamingTheForms) {
    for (const char* day : {"2026-02-30", "20261301", "2026/03/15", "2026-3-15", "2026年3月15日", "yesterday",
                            "Today", "0", "202603150", "'2026年03月15日 '"}) {
        for (const std::string command : {"load ", "card ", "refresh-results "}) {
            int code = -1;
            const std::string args = command + day + (command == "card " ? " 1" : "");
            const std::string err = run(args + " 2>&1 >/dev/null", code);
            EXPECT_EQ(code, 2) << args;
            EXPECT_NE(err.find("2026-12-09, 20261209, today, tomorrow or 2026年12月09日"), std::string::npos) << args << err;
            EXPECT_EQ(err.find("データ作成が未完了"), std::string::npos) << args;
        }
    }
    // Nothing was loaded: no statistics file was written.
    EXPECT_FALSE(fs::exists(home.path() / "TOKEI") && !fs::is_empty(home.path() / "TOKEI"));
}

TEST(CommandHelp, ExplainsOneCommandWithAnExample) {
    int code = -1;
    std::string out = test::runCli("help load", code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.rfind("Usage: vexmora-cli load DAY\n", 0), 0u) << out;
    EXPECT_NE(out.find("DAY: 2026-12-09, 20261209, today, tomorrow or 2026年12月09日"), std::string::npos) << out;
    EXPECT_NE(out.find("Example:\n  vexmora-cli load "), std::string::npos) << out;

    out = test::runCli("help bets", code);
    EXPECT_EQ(code, 0);
    EXPECT_NE(out.find("--kind K"), std::string::npos) << out;
    EXPECT_NE(out.find("Example:\n  vexmora-cli bets "), std::string::npos) << out;
    EXPECT_EQ(test::runCli("bets --help", code), out);
    EXPECT_EQ(code, 0);

    // A command without DAY says nothing of it.
    out = test::runCli("help download", code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out.find("DAY:"), std::string::npos) << out;
    EXPECT_NE(out.find("terminal"), std::string::npos) << out;
}

TEST(CommandHelp, EveryCommandHasAnExampleThatParses) {
    int code = -1;
    const std::string list = test::runCli("help", code);
    std::istringstream lines(list.substr(list.find("Commands:")));
    int commands = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0 || line.rfind("  help", 0) == 0 || line.rfind("  --", 0) == 0) continue;
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        const std::string out = test::runCli("help " + name, code);
        EXPECT_EQ(code, 0) << name;
        EXPECT_NE(out.find("Example:\n  vexmora-cli " + name), std::string::npos) << name;
        ++commands;
    }
    EXPECT_GE(commands, 12);
}

TEST(CommandHelp, AnUnknownCommandIsAUsageError) {
    int code = -1;
    EXPECT_EQ(test::runCli("help no-such-command 2>/dev/null", code), "");
    EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace vex

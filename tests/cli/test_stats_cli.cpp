// vexmora-cli stats and direct-read: the analysis tables as the window shows them, from the CLI.
#include <gtest/gtest.h>

#include "support/appearance_days.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

std::string stats(const test::TempHome& home, const std::string& args, int& exit) {
    return test::runCli("stats " + args, exit, "VEXMORA_HOME='" + home.path().string() + "'");
}

TEST(StatsCli, TablesOfTheHandMadeDay) {
    test::TempHome home;
    test::writeHandDay(home.path());
    int exit = -1;
    std::string out = stats(home, "--by compi 2>/dev/null", exit);
    EXPECT_EQ(exit, 0);
    EXPECT_EQ(out.substr(0, out.find('\n', out.find('\n') + 1) + 1),
              "順位\t頭数\t1着\t3着内\t勝率\t複勝率\t単回収率\t複回収率\n"
              "1\t2\t2\t2\t100.0\t100.0\t215.0\t115.0\n");
    // Filters and the strategy: the favourites of race-numbers 2 and up.
    out = stats(home, "--by strategy --race 2-12 --popularity 1 2>/dev/null", exit);
    EXPECT_EQ(out,
              "対象レース\t買い目数\t投票金額\t払戻金額\t回収率\t最大連敗\t最大ドローダウン\n"
              "2\t2\t200\t320\t160.0\t1\t100\n");
    out = stats(home, "--by zone --csv --track 大井 2>/dev/null", exit);
    EXPECT_NE(out.find("C,1,1,1,1,100.0,100.0,320.0,140.0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("なし,0,0"), std::string::npos) << out;
    // Every table, one blank line between them; what they cover on stderr.
    out = stats(home, "2>&1 >/dev/null", exit);
    EXPECT_EQ(out, "1日 3レース\n");
    out = stats(home, "2>/dev/null", exit);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 19 + 1 + 19 + 1 + 7 + 1 + 2);
}

TEST(StatsCli, DamagedFilesWarnAndDatesLimit) {
    test::TempHome home;
    test::writeHandDay(home.path());
    writeFileAtomic(home.path() / "TOKEI" / "em20240601.dat", "short\r\n", false);
    int exit = -1;
    std::string err = stats(home, "--by strategy 2>&1 >/dev/null", exit);
    EXPECT_EQ(exit, 0);
    EXPECT_NE(err.find("em20240601.dat を読み飛ばしました"), std::string::npos) << err;
    EXPECT_NE(err.find("1日 3レース"), std::string::npos);
    err = stats(home, "--from 2024-05-13 --to 20241231 2>&1 >/dev/null", exit);
    EXPECT_NE(err.find("em20240601.dat"), std::string::npos);
    EXPECT_NE(err.find("0日 0レース"), std::string::npos);
    err = stats(home, "--from 2024年05月12日 --to 2024-05-12 2>&1 >/dev/null", exit);
    EXPECT_EQ(err, "1日 3レース\n");
}

TEST(StatsCli, UsageErrors) {
    test::TempHome home;
    int exit = -1;
    for (const char* args : {"--by odds", "--from 2024-13-01", "--race 9-3", "--popularity 0", "--type 4",
                             "--track 東京都", "--surface water", "stray"}) {
        stats(home, std::string(args) + " 2>/dev/null", exit);
        EXPECT_EQ(exit, 2) << args;
    }
    // No appearance file yet: empty tables, still a success.
    stats(home, "2>/dev/null", exit);
    EXPECT_EQ(exit, 0);
}

TEST(DirectReadCli, WritesTheAppearanceFileOfEveryStoredDay) {
    test::TempHome home;
    fs::copy(fs::path(VEXMORA_SOURCE_DIR) / "tests/data/golden/two-tracks/home", home.path(),
             fs::copy_options::recursive);
    fs::remove_all(home.path() / "TOKEI");
    int exit = -1;
    std::string out = test::runCli("direct-read", exit, "VEXMORA_HOME='" + home.path().string() + "'");
    EXPECT_EQ(exit, 0) << out;
    EXPECT_NE(out.find("日分の出現ファイルを書き込みました。"), std::string::npos) << out;
    std::string err = stats(home, "2>&1 >/dev/null", exit);
    EXPECT_EQ(err.find("0日"), std::string::npos) << err;
}

}  // namespace
}  // namespace vex

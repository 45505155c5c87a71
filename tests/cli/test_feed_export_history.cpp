#include <gtest/gtest.h>

#include <set>

#include "app/atomic_file.h"
#include "app/file_read.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// The simulated day's win odds over time, in the folder layout the race-day refresh fills: one
// file per race that is on sale, its O1 records in time order, and odds that move.
TEST(CliFeedExport, OddsHistoryHoldsTheWinOddsOfEachRaceOverTime) {
    test::TempHome home;
    const fs::path feed = home.path() / "feed";
    int code = -1;
    std::string out = test::runCli("feed-export '" + feed.string() + "' --from 20261209 --to 20261209 --odds-history",
                                   code, "VEXMORA_NOW='2026/12/09 16:00:00' VEXMORA_SERVICE=sim");
    ASSERT_EQ(code, 0);
    EXPECT_NE(out.find("OddsHistory: "), std::string::npos);
    const fs::path day = feed / "OddsHistory" / "20261209";
    ASSERT_TRUE(fs::is_directory(day));
    int files = 0;
    bool anyMoved = false;
    for (const auto& entry : fs::directory_iterator(day)) {
        ++files;
        const std::string name = entry.path().stem().string();
        std::vector<std::string> lines = readLines(entry.path());
        ASSERT_GE(lines.size(), 2u) << name;
        std::set<std::string> winOdds;
        for (const std::string& line : lines) {
            ASSERT_EQ(line.size(), static_cast<std::size_t>(RecordLength::O1 - 2)) << name;
            EXPECT_EQ(fieldOf(line, Common::Kind), "O1");
            EXPECT_EQ(fieldOf(line, Common::RaceKey), "20261209" + name);
            winOdds.insert(std::string(fieldOf(line, Odds::Win.odds(1))));
        }
        anyMoved = anyMoved || winOdds.size() > 1;
    }
    EXPECT_GT(files, 0);
    EXPECT_TRUE(anyMoved);

    // Without the option the export writes no history.
    const fs::path plain = home.path() / "plain";
    test::runCli("feed-export '" + plain.string() + "' --from 20261209 --to 20261209", code,
                 "VEXMORA_NOW='2026/12/09 16:00:00' VEXMORA_SERVICE=sim");
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(fs::exists(plain / "OddsHistory"));
}

}  // namespace
}  // namespace vex

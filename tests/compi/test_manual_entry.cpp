#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "compi/manual_entry.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

TEST(CompiManualEntry, ChecksGiveTheirMessagesOncePerPairOrRank) {
    EXPECT_EQ(valueOrderMessages({80, 70, 75, 60, 66}).size(), 2u);
    EXPECT_EQ(valueOrderMessages({80, 70, 70, 60}).size(), 0u);
    EXPECT_EQ(toUtf8(valueOrderMessages({1, 2}).at(0)), "コンピ指数の入力が間違っています。");

    EXPECT_EQ(ranksOutOfRange({3, 12, 0, 10}, 10), (std::vector<int>{2, 3}));
    EXPECT_TRUE(duplicateMessages({1, 1, 3}, "馬番").empty());  // horse 1 is never a duplicate
    auto twice = duplicateMessages({5, 2, 5}, "馬番");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(toUtf8(twice[0]), "1位と3位の馬番が重複しています。");
    EXPECT_EQ(toUtf8(twice[1]), "3位と1位の馬番が重複しています。");
    EXPECT_EQ(toUtf8(duplicateMessages({0, 4, 4}, "枠番").at(0)), "2位と3位の枠番が重複しています。");
}

TEST(CompiManualEntry, SavingReplacesOneLineAndClearsTheRecommendation) {
    test::TempHome home;
    fs::path file = appFolder() / "Data" / "2024年05月12日大井.Comp";
    CompiEntryGrid grid;
    grid.horse[1] = 5, grid.value[1] = 80, grid.horse[2] = 12, grid.value[2] = 66, grid.frame[1] = 3, grid.frameValue[1] = 80;
    std::string line = compiEntryLine("20240512", sj("大井"), 3, grid);
    ASSERT_EQ(line.size(), 122u);
    EXPECT_EQ(line.substr(12, 8), " 3 58012");
    saveCompiEntryLine(file, 3, line);
    auto lines = readLines(file);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], std::string(122, ' '));  // a new file starts from the template
    EXPECT_EQ(lines[2], line);

    // A line imported with a recommended horse loses it when saved from the grid.
    std::string imported = line;
    imported.replace(86, 2, " 5");
    imported.replace(120, 2, " 3");
    saveCompiEntryLine(file, 3, imported);
    CompiEntryGrid loaded = compiEntryFromLine(readLines(file)[2], 2);
    EXPECT_EQ(loaded.horse[2], 12);
    EXPECT_EQ(loaded.value[2], 66);
    EXPECT_EQ(loaded.frame[1], 3);
    saveCompiEntryLine(file, 3, compiEntryLine("20240512", sj("大井"), 3, loaded));
    EXPECT_EQ(readLines(file)[2], line);

    // A short file grows to the race; the race table takes ranks by position.
    writeFileAtomic(file, "x\r\n");
    saveCompiEntryLine(file, 5, line);
    lines = readLines(file);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "x");
    RaceRecord race;
    applyCompiEntry(grid, 1, race);
    EXPECT_EQ(race.compiRank[5], 1);
    EXPECT_EQ(race.compiValue[12], 0);  // rank 2 is beyond 1 runner
    EXPECT_EQ(race.frameCompiRank[3], 1);
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "app/error_log.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

using namespace vex;

namespace {
std::vector<std::string> numbered(int n) {
    std::vector<std::string> lines;
    for (int i = 1; i <= n; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}
}  // namespace

TEST(ErrorLog, StartUpCutsToHundredThenAddsStartAndFolderLines) {
    test::TempHome home;
    setClock(DateTime{2024, 5, 12, 9, 3, 4});
    auto file = home.path() / "ErrorLog.txt";

    ErrorLog fresh(file);
    fresh.startUp("/apps/vexmora");
    EXPECT_EQ(readLines(file), (std::vector<std::string>{sj("ソフト起動：2024/05/12 09:03:04"), "/apps/vexmora"}));

    writeLinesAtomic(file, numbered(150));
    ErrorLog log(file);
    log.startUp("/apps/vexmora");
    auto lines = readLines(file);
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.front(), "line 51");
    EXPECT_EQ(lines[99], "line 150");
    EXPECT_EQ(lines[101], "/apps/vexmora");
    EXPECT_EQ(log.lines(), lines);
    setClock(std::nullopt);
}

TEST(ErrorLog, ErrorsAccumulateUntilTheNextStart) {
    test::TempHome home;
    setClock(DateTime{2024, 5, 12, 21, 0, 7});
    auto file = home.path() / "ErrorLog.txt";
    for (int i = 0; i < 3; ++i) ErrorLog(file).startUp("dir");
    EXPECT_EQ(readLines(file).size(), 6u);

    writeLinesAtomic(file, numbered(100));
    ErrorLog log(file);
    log.startUp("dir");  // 102
    // Another writer appends meanwhile; the next error must not lose its line.
    auto outside = readLines(file);
    outside.push_back("outside");
    writeLinesAtomic(file, outside);
    log.addError(sj("大井 5R:ｵｯｽﾞ取得エラー：x"));
    auto lines = readLines(file);
    ASSERT_EQ(lines.size(), 104u);
    EXPECT_EQ(lines[102], "outside");
    EXPECT_EQ(lines[103], sj("【エラー】21:00:07：大井 5R:ｵｯｽﾞ取得エラー：x"));
    setClock(std::nullopt);
}

TEST(ErrorLog, LastLinesKeepsTheTail) {
    EXPECT_TRUE(lastLines({}, 100).empty());
    auto tail = lastLines(numbered(150), 100);
    ASSERT_EQ(tail.size(), 100u);
    EXPECT_EQ(tail.front(), "line 51");
    EXPECT_EQ(lastLines(numbered(50), 100).size(), 50u);
}

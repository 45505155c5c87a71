#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "support/test_support.h"

using namespace vex;
namespace fs = std::filesystem;

TEST(AppFolder, HomeVariableWinsAndFoldersAreCreated) {
    test::TempHome home;
    EXPECT_EQ(appFolder(), home.path());
    createAppFolders();
    for (const char* sub : kStoreFolders) EXPECT_TRUE(fs::is_directory(home.path() / sub)) << sub;
}

TEST(AtomicFile, ReplacesWholeFileAndLeavesNoTemporary) {
    test::TempHome home;
    fs::path file = home.path() / "a.txt";
    writeLinesAtomic(file, {"one", "two"});
    EXPECT_EQ(readFileBytes(file), "one\r\ntwo\r\n");
    writeFileAtomic(file, "x");
    EXPECT_EQ(readFileBytes(file), "x");
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(home.path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_EQ(readLines(file), std::vector<std::string>{"x"});
}

TEST(AtomicFile, RefusedWriteNamesTheFileAndKeepsTheOld) {
    test::TempHome home;
    fs::path file = home.path() / "missing-folder" / "b.txt";
    try {
        writeFileAtomic(file, "data");
        FAIL() << "write into a missing folder must fail";
    } catch (const FileWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("b.txt"), std::string::npos);
    }
}

TEST(AtomicFile, ReadLinesAcceptsLfAndCrLf) {
    test::TempHome home;
    fs::path file = home.path() / "c.txt";
    writeFileAtomic(file, "a\r\nb\nc");
    EXPECT_EQ(readLines(file), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(readLines(home.path() / "none").empty());
}

TEST(Clock, StartsAtTheGivenTimeAndRuns) {
    setClock(DateTime{2024, 5, 12, 9, 30, 0});
    DateTime t = now();
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.month, 5);
    EXPECT_EQ(t.day, 12);
    EXPECT_GE(toEpoch(t), toEpoch({2024, 5, 12, 9, 30, 0}));
    EXPECT_LE(toEpoch(t), toEpoch({2024, 5, 12, 9, 30, 5}));
    setClock(std::nullopt);
}

TEST(Clock, ParsesAndFormatsTheSettingsForm) {
    auto t = parseDateTime("2024/05/12 23:59:01");
    ASSERT_TRUE(t);
    EXPECT_EQ(formatDateTime(*t), "2024/05/12 23:59:01");
    EXPECT_EQ(formatStamp14(*t), "20240512235901");
    EXPECT_FALSE(parseDateTime("2024/13/12 00:00:00"));
    EXPECT_FALSE(parseDateTime("yesterday"));
    EXPECT_FALSE(parseDateTime("2024/05/12 00:00:00x"));
    EXPECT_EQ(fromEpoch(toEpoch({2024, 2, 29, 12, 0, 0})), (DateTime{2024, 2, 29, 12, 0, 0}));
}

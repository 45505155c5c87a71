#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

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
    // Days the month does not have are no time (mktime would move them quietly into the next).
    EXPECT_TRUE(parseDateTime("2024/02/29 00:00:00"));
    for (const char* text : {"2023/02/29 00:00:00", "2024/02/30 00:00:00", "2024/04/31 00:00:00", "1900/02/29 00:00:00"})
        EXPECT_FALSE(parseDateTime(text)) << text;
    EXPECT_EQ(parseStamp14("20240512235901"), t);
    for (const char* s : {"20241399000000", "20240230120000", "2024051223590", "2024051223590x", "20240512246000"})
        EXPECT_FALSE(parseStamp14(s)) << s;
}

TEST(Clock, AnInvalidNowIsAProblemNotTheSystemClock) {
    const char* old = std::getenv("VEXMORA_NOW");
    std::string saved = old ? old : "";
    for (const char* bad : {"2024/02/30 10:00:00", "tomorrow"}) {
        setenv("VEXMORA_NOW", bad, 1);
        EXPECT_NE(clockSettingProblem().find(bad), std::string::npos) << bad;
    }
    for (const char* fine : {"2024/06/01 09:00:00", ""}) {
        setenv("VEXMORA_NOW", fine, 1);
        EXPECT_EQ(clockSettingProblem(), "") << fine;
    }
    if (old)
        setenv("VEXMORA_NOW", saved.c_str(), 1);
    else
        unsetenv("VEXMORA_NOW");
}

// Temporaries of a writer that is gone are removed, also a level or two below the folder given;
// anything else stays.
TEST(AtomicFile, StaleTemporariesBelowAFolderAreRemoved) {
    test::TempHome home;
    pid_t gone = fork();
    ASSERT_GE(gone, 0);
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    namespace fs = std::filesystem;
    std::string dead = std::to_string(gone);
    fs::path deep = home.path() / "SEIR" / "2024", deeper = deep / "x";
    fs::create_directories(deeper);
    std::vector<fs::path> stale = {home.path() / (".a." + dead + ".1"), deep / (".b.nvSERA." + dead + ".20")};
    std::vector<fs::path> kept = {deeper / (".c." + dead + ".1"), deep / (".b." + std::to_string(getpid()) + ".2"),
                                  deep / (".b." + dead + ".x"), deep / ".b..1", deep / "b.nvSERA"};
    for (const auto& f : stale) writeFileAtomic(f, "");
    for (const auto& f : kept) writeFileAtomic(f, "");
    EXPECT_EQ(removeStaleTemporariesBelow(home.path()), stale.size());
    for (const auto& f : stale) EXPECT_FALSE(fs::exists(f)) << f;
    for (const auto& f : kept) EXPECT_TRUE(fs::exists(f)) << f;
}

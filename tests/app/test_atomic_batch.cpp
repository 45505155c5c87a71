#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

size_t entriesIn(const fs::path& dir) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

TEST(AtomicFileBatch, ReplacesEveryFileAtCommitAndReportsTheOnesItCannot) {
    test::TempHome home;
    fs::path a = home.path() / "a.txt", b = home.path() / "b.txt", blocked = home.path() / "c.txt";
    writeFileAtomic(a, "old a");
    fs::create_directories(blocked);  // a folder cannot be replaced by a file
    {
        AtomicFileBatch batch;
        batch.add(a, "new a");
        batch.addLines(b, {"1", "2"});
        batch.add(blocked, "c");
        EXPECT_EQ(readFileBytes(a), "old a");  // nothing visible before the commit
        std::vector<FileWriteError> failures = batch.commit();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].file(), blocked);
    }
    EXPECT_EQ(readFileBytes(a), "new a");
    EXPECT_EQ(readFileBytes(b), "1\r\n2\r\n");
    EXPECT_EQ(entriesIn(home.path()), 3u);  // no temporaries left

    {
        AtomicFileBatch abandoned;
        abandoned.add(a, "never");
    }
    EXPECT_EQ(readFileBytes(a), "new a");
    EXPECT_EQ(entriesIn(home.path()), 3u);
    AtomicFileBatch batch;
    EXPECT_THROW(batch.add(home.path() / "missing" / "x", "x"), FileWriteError);
}

// Many files over several folders and threads: every file whole (long files go out in several
// gathered writes, empty lines included), the one that cannot be written reported, and no
// temporary left anywhere.
TEST(AtomicFileBatch, ManyFilesOnSeveralThreads) {
    test::TempHome home;
    std::vector<fs::path> folders = {home.path() / "a", home.path() / "b", home.path() / "c"};
    for (const auto& f : folders) fs::create_directories(f);
    std::vector<std::vector<std::string>> contents;
    std::vector<fs::path> names;
    for (int i = 0; i < 60; ++i) {
        names.push_back(folders[static_cast<std::size_t>(i % 3)] / ("f" + std::to_string(i)));
        std::vector<std::string> lines;
        for (int n = 0; n < (i == 7 ? 3000 : i); ++n) lines.push_back(n % 5 == 0 ? "" : std::string(n % 70, 'a' + n % 26));
        contents.push_back(std::move(lines));
    }
    writeFileAtomic(names[4], "old");
    names.push_back(home.path() / "missing" / "x");
    contents.push_back({"x"});

    std::vector<AtomicFileBatch::LinesFile> files;
    for (std::size_t i = 0; i < names.size(); ++i) files.push_back({&names[i], &contents[i]});
    AtomicFileBatch batch;
    std::vector<FileWriteError> failures = batch.addLinesEach(files, 3);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].file(), names.back());
    EXPECT_EQ(readFileBytes(names[4]), "old");
    EXPECT_TRUE(batch.commit(3).empty());
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        std::string expected;
        for (const auto& l : contents[i]) expected += l + "\r\n";
        ASSERT_EQ(readFileBytes(names[i]), expected) << names[i];
    }
    for (const auto& f : folders) EXPECT_EQ(entriesIn(f), 20u);
}

}  // namespace
}  // namespace vex

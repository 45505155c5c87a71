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

}  // namespace
}  // namespace vex

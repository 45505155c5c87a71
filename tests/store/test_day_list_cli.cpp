#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "support/test_support.h"

namespace vex {
namespace {

TEST(DaysCommand, PrintsStoredDaysNewestFirst) {
    test::TempHome home;
    int code = -1;
    EXPECT_EQ(test::runCli("days", code), "");
    EXPECT_EQ(code, 0);
    std::filesystem::create_directories(home.path() / "Data");
    writeFileAtomic(home.path() / "Data" / "2024年05月12日.nvRA", "");
    writeFileAtomic(home.path() / "Data" / "2024年05月13日.nvRA", "");
    writeFileAtomic(home.path() / "Data" / "2024年05月14日.nvO1", "");
    EXPECT_EQ(test::runCli("days", code), "2024年05月13日\n2024年05月12日\n");
    EXPECT_EQ(code, 0);
    test::runCli("days extra 2>/dev/null", code);
    EXPECT_EQ(code, 2);
}

}  // namespace
}  // namespace vex

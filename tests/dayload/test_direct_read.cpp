#include <gtest/gtest.h>

#include "dayload/direct_read.h"
#include "store/day_list.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

class DirectRead : public ::testing::Test {
protected:
    test::TempHome home;
    void SetUp() override {
        fs::copy(fs::path(VEXMORA_SOURCE_DIR) / "tests/data/golden/two-tracks/home", home.path(),
                 fs::copy_options::recursive);
        fs::remove_all(home.path() / "TOKEI");
    }
};

TEST_F(DirectRead, OldestFirstEachDayWritingItsAppearanceFile) {
    // A day the store does not hold, listed as the newest: loaded last and named as failed.
    std::vector<std::string> days = buildDayList();
    ASSERT_EQ(days.size(), 1u);
    days.insert(days.begin(), sj("2026年03月16日"));
    std::vector<std::string> order;
    DirectReadCallbacks callbacks;
    callbacks.progress = [&](int index, int count, const std::string& stamp) {
        EXPECT_EQ(count, 2);
        EXPECT_EQ(index, static_cast<int>(order.size()));
        order.push_back(toUtf8(stamp));
    };
    DirectReadResult result = directRead(days, callbacks);
    EXPECT_EQ(order, (std::vector<std::string>{"2026年03月15日", "2026年03月16日"}));
    EXPECT_EQ(result.daysLoaded, 1);
    EXPECT_EQ(result.appearanceFiles, 1);
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(toUtf8(result.failed[0]), "2026年03月16日 データ作成が未完了のようです。");
    EXPECT_TRUE(fs::exists(home.path() / "TOKEI" / "em20260315.dat"));
    EXPECT_FALSE(result.cancelled);
}

TEST_F(DirectRead, StopsBetweenDaysWhenAsked) {
    int asked = 0;
    DirectReadCallbacks callbacks;
    callbacks.stopRequested = [&] { return ++asked > 0; };
    DirectReadResult result = directRead(buildDayList(), callbacks);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.daysLoaded, 0);
    EXPECT_FALSE(fs::exists(home.path() / "TOKEI"));
}

}  // namespace
}  // namespace vex

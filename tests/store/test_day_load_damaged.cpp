// Stands in for the day-load fuzz target where clang is missing: damaged stores never crash the
// load, and what it writes keeps its shape.
#include <gtest/gtest.h>

#include <random>

#include "store/test_day_load_damage.h"
#include "support/test_support.h"

namespace vex {
namespace {

TEST(DamagedDay, CutGrownAndEditedFilesNeverBreakTheLoad) {
    test::TempHome home;
    createAppFolders();
    std::mt19937 random(20240512);
    for (int round = 0; round < 120; ++round) {
        std::vector<std::uint8_t> input(9 + 4 * (round % 40));
        for (auto& b : input) b = static_cast<std::uint8_t>(random());
        // Every third round keeps the lengths, so that edits land in records of the right size.
        if (round % 3 == 0)
            for (int f = 0; f < 9; ++f) input[static_cast<std::size_t>(f)] = 200;
        std::string problem = test::damagedDayProblem(input.data(), input.size());
        ASSERT_EQ(problem, "") << "round " << round;
    }
    // Undamaged, the day loads both races and writes their results.
    std::vector<std::uint8_t> keep(9, 200);
    ASSERT_EQ(test::damagedDayProblem(keep.data(), keep.size()), "");
}

}  // namespace
}  // namespace vex

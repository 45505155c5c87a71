// Stands in for the day-load fuzz target where clang is missing: damaged stores never crash the
// load, and what it writes keeps its shape.
#include <gtest/gtest.h>

#include <random>

#include "dayload/test_day_load_damage.h"
#include "support/test_support.h"

namespace vex {
namespace {

TEST(DamagedDay, CutGrownAndEditedFilesNeverBreakTheLoad) {
    test::TempHome home;
    createAppFolders();
    std::mt19937 random(20240512);
    test::DayDamager day;  // as the fuzz target runs it: one day on disk, damaged input by input
    for (int round = 0; round < 120; ++round) {
        std::vector<std::uint8_t> input(9 + 4 * (round % 40));
        for (auto& b : input) b = static_cast<std::uint8_t>(random());
        // Every third round keeps the lengths, so that edits land in records of the right size.
        if (round % 3 == 0)
            for (int f = 0; f < 9; ++f) input[static_cast<std::size_t>(f)] = 200;
        std::string problem = day.problem(input.data(), input.size());
        ASSERT_EQ(problem, "") << "round " << round;
    }
    // Undamaged, the day loads both races and writes their results; the files the rounds
    // damaged are whole again, so the load equals one from a freshly written day.
    std::vector<std::uint8_t> keep(9, 200);
    ASSERT_EQ(day.problem(keep.data(), keep.size()), "");
    ASSERT_EQ(day.table().raceList.size(), 2u);
    test::DayDamager fresh;
    ASSERT_EQ(fresh.problem(keep.data(), keep.size()), "");
    EXPECT_EQ(day.table().raceList, fresh.table().raceList);
    for (int s = 0; s < 2; ++s) {
        const auto& a = day.table().raw[static_cast<std::size_t>(s)];
        const auto& b = fresh.table().raw[static_cast<std::size_t>(s)];
        EXPECT_EQ(a.ra.view(), b.ra.view());
        EXPECT_EQ(a.se[0].view(), b.se[0].view());
        EXPECT_EQ(a.o6.view(), b.o6.view());
        EXPECT_EQ(a.pastSe[0][0].view(), b.pastSe[0][0].view());
    }
    ASSERT_EQ(test::damagedDayProblem(keep.data(), keep.size()), "");
}

TEST(DamagedDay, EditsReachTheFieldsOfTheChosenRecord) {
    test::TempHome home;
    createAppFolders();
    test::DayDamager day;
    // Race 2's registered count (RA record 2, field at 882) and its post time (874) overwritten.
    std::vector<std::uint8_t> input(9, 200);
    auto edit = [&](std::uint8_t file, std::uint8_t record, std::size_t offset, std::string_view bytes) {
        input.insert(input.end(), {file, record, static_cast<std::uint8_t>(offset & 0xFF),
                                   static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(bytes.size())});
        input.insert(input.end(), bytes.begin(), bytes.end());
    };
    edit(0, 1, RA::PostTime.pos - 1, "2105");
    edit(0, 1, RA::Registered.pos - 1, "01");
    // The trifecta odds of race 1 near the end of its 83 KB record: offsets step by two there.
    std::size_t trifecta = static_cast<std::size_t>(Odds::Trifecta.odds(4896).pos - 1);
    edit(4, 0, trifecta / 2, trifecta % 2 ? " 0004321" : "0004321");
    ASSERT_EQ(day.problem(input.data(), input.size()), "");
    const RaceTable& t = day.table();
    EXPECT_EQ(t.raw[1].ra.field(RA::PostTime), "2105");
    EXPECT_EQ(registeredRunners(t.raw[1].ra), 1);
    EXPECT_DOUBLE_EQ(t.races[0].trifectaOdds[4896], 432.1);
    // The next input leaves the race file alone: it is whole again.
    std::vector<std::uint8_t> keep(9, 200);
    ASSERT_EQ(day.problem(keep.data(), keep.size()), "");
    EXPECT_EQ(day.table().raw[1].ra.field(RA::PostTime), "1530");
}

}  // namespace
}  // namespace vex

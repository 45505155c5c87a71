// A store cut by an earlier fault: the day load tells once which files and what is wrong, and the
// day list shows only names that are days.
#include <gtest/gtest.h>

#include <memory>

#include "app/atomic_file.h"
#include "dayload/test_day_load_damage.h"
#include "store/day_list.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// Writes the small day with the files named by `cut` shortened by `by` bytes.
void writeDayCutting(const std::vector<std::string>& cut, std::size_t by) {
    for (auto& [path, bytes] : test::smallDay()) {
        for (const auto& suffix : cut)
            if (path.string().ends_with(suffix)) bytes.resize(bytes.size() - by);
        fs::create_directories(path.parent_path());
        writeFileAtomic(path, bytes);
    }
}

TEST(DayLoadDamage, CutFilesAreToldOnceWithTheFileAndTheFault) {
    test::TempHome home;
    createAppFolders();
    const std::string day = sj("2024年05月12日");
    writeDayCutting({".nvSEr", ".nvO1", ".nvSEI"}, 100);
    for (bool batch : {true, false}) {
        test::RecordingReporter reporter;
        auto table = std::make_unique<RaceTable>();  // too big for the stack
        DayLoadResult r = loadDay(*table, day, {batch, &reporter, nullptr});
        ASSERT_TRUE(r.loaded);
        const auto& told = batch ? reporter.statuses : reporter.informations;
        std::vector<std::string> damage;
        for (const auto& t : told)
            if (t.find(toUtf8(damagedFilesMessage())) != std::string::npos) damage.push_back(t);
        ASSERT_EQ(damage.size(), 1u) << (batch ? "batch" : "window");
        EXPECT_EQ(damage[0], toUtf8(r.damage));
        for (const char* file : {"大井.nvSEr", ".nvO1", "2019100001.nvSEI"})
            EXPECT_NE(damage[0].find(file), std::string::npos) << file;
        EXPECT_NE(damage[0].find("レコード長555の倍数ではありません（末尾の455バイト"), std::string::npos) << damage[0];
        EXPECT_EQ(damage[0].find(".nvRA"), std::string::npos);  // whole files are not named
        EXPECT_EQ(table->raceList.size(), 2u);                  // the whole records still load
    }
    // Whole again: nothing is told.
    writeDayCutting({}, 0);
    test::RecordingReporter reporter;
    auto table = std::make_unique<RaceTable>();
    EXPECT_EQ(loadDay(*table, day, {true, &reporter, nullptr}).damage, "");
}

TEST(DayList, OnlyNamesThatAreDayStampsAreListed) {
    test::TempHome home;
    fs::path data = home.path() / "Data";
    fs::create_directories(data);
    for (const char* name : {"2024年05月12日.nvRA", "2024年05月13日.nvRA", "2024年13月01日.nvRA",
                             "2024年02月30日.nvRA", "2024年05月14日(copy).nvRA", "notes.nvRA", "x.nvRA",
                             "2024年05月1a日.nvRA", "2024年02月29日.nvRA"})
        writeFileAtomic(data / name, "");
    std::vector<std::string> days;
    for (const auto& d : buildDayList(data)) days.push_back(toUtf8(d));
    EXPECT_EQ(days, (std::vector<std::string>{"2024年05月13日", "2024年05月12日", "2024年02月29日"}));
}

}  // namespace
}  // namespace vex

// The analysis window's strategy check answers "what would this setting have done": over a race
// day of the simulated service, it must pick exactly the races automatic voting picks from the same
// criteria, list by list and item by item.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <tuple>

#include "app/app_folder.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "control/sim_service.h"
#include "datalink/bulk_download.h"
#include "dayload/day_load.h"
#include "stats/appearance_reader.h"
#include "stats/strategy.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "support/test_support.h"
#include "vocabulary/civil_date.h"
#include "voting/auto_vote_targets.h"

namespace vex {
namespace {

using RaceId = std::tuple<int, int>;  // track, race number

// The first day from 2024-05-10 on that a southern-Kanto track races in the simulated world.
CivilDate simRaceDay() {
    const int from = dayNumber(2024, 5, 10);
    control::SimService sim(control::simSeed(), from);
    for (int d = from; d < from + 60; ++d)
        for (int track = 42; track <= 45; ++track)
            if (sim.world().findTrackDay(d, track) >= 0) return civilDate(d);
    return {};
}

// The day downloaded the morning after, when every result is in, and loaded: the load writes the
// day's appearance file, which the strategy check reads.
struct FinishedSimDay : ::testing::Test {
    test::TempHome home;
    test::RecordingReporter reporter;
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();
    std::vector<AppearanceRace> races;

    void SetUp() override {
        setenv("VEXMORA_SERVICE", "sim", 1);
        control::setFaultPlan(std::nullopt);
        const CivilDate day = simRaceDay();
        ASSERT_GT(day.year, 0);
        const DateTime raceDay{day.year, day.month, day.day, 0, 0, 0};
        setClock(fromEpoch(toEpoch(raceDay) + 33 * 3600));  // 09:00 the day after
        createAppFolders();
        std::unique_ptr<DataControl> control = createDataControl(nullptr);
        control->NVInit(kSoftwareId);
        BulkDownload download(*control, reporter);
        download.setFromTime(fromEpoch(toEpoch(raceDay) - 24 * 3600));
        ASSERT_EQ(download.run([] {}), DownloadOutcome::Completed);
        ASSERT_TRUE(loadDay(*table, dayStampOf(raceDay), DayLoadOptions{true, nullptr, nullptr}).loaded);
        races = readAppearanceFolder(appearanceFolder()).races;
        ASSERT_EQ(races.size(), table->raceListSlots.size());  // every race finished
    }
    void TearDown() override {
        setClock(std::nullopt);
        unsetenv("VEXMORA_SERVICE");
    }

    std::set<RaceId> byAutomaticVoting(const RaceCriteria& criteria) const {
        std::set<RaceId> picked;
        for (const AutoVoteTarget& t : chooseTargets(*table, criteria))
            picked.emplace(std::stoi(t.raceKey.substr(8, 2)), std::stoi(t.raceKey.substr(14, 2)));
        return picked;
    }
    // Every popularity is bet, so every race the check picks leaves a point on the balance.
    std::set<RaceId> byStrategyCheck(const RaceCriteria& criteria) const {
        StrategyCriteria strategy;
        static_cast<RaceCriteria&>(strategy) = criteria;
        for (int p = 1; p <= 18; ++p) strategy.popularity.push_back(p);
        std::set<RaceId> picked;
        for (const BalancePoint& point : checkStrategy(races, RaceFilter{}, strategy).balance)
            picked.emplace(point.track, point.raceNumber);
        return picked;
    }
};

TEST_F(FinishedSimDay, StrategyCheckAndAutomaticVotingPickTheSameRaces) {
    std::vector<RaceCriteria> settings{RaceCriteria{}};
    auto eachItem = [&](std::size_t items, std::vector<int> RaceCriteria::*list) {
        for (std::size_t i = 0; i < items; ++i) {
            RaceCriteria c;
            (c.*list).push_back(static_cast<int>(i));
            settings.push_back(c);
        }
    };
    eachItem(surfaceItems().size(), &RaceCriteria::surfaces);
    eachItem(raceTypeItems().size(), &RaceCriteria::raceTypes);
    eachItem(classItems().size(), &RaceCriteria::classes);
    eachItem(weightItems().size(), &RaceCriteria::weights);
    for (const DayTrack& track : tracksOfDay(*table)) {
        RaceCriteria c;
        c.tracks = {track.code};
        settings.push_back(c);
    }
    RaceCriteria ranges;
    ranges.runnersFrom = 8;
    ranges.runnersTo = 12;
    ranges.distanceFrom = 1200;
    ranges.distanceTo = 1600;
    settings.push_back(ranges);
    RaceCriteria combined;
    combined.classes = {1, 2};
    combined.weights = {2, 3};
    combined.surfaces = {1};
    settings.push_back(combined);

    const std::size_t all = table->raceListSlots.size();
    int narrowing = 0;  // settings that pick some races but not all: the comparison has teeth
    for (std::size_t i = 0; i < settings.size(); ++i) {
        const std::set<RaceId> voted = byAutomaticVoting(settings[i]);
        EXPECT_EQ(byStrategyCheck(settings[i]), voted) << "setting " << i;
        if (!voted.empty() && voted.size() < all) ++narrowing;
    }
    EXPECT_GE(narrowing, 5);
}

}  // namespace
}  // namespace vex

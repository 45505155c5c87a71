// Values of the simulated records that follow the service's own conventions: data kinds, the
// entries of scratched runners, dead heats and registration numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace {

using namespace vex::sim;

const int kToday = dayNumber(2024, 5, 12);

SimService& service() {
    static SimService s(7, kToday);
    return s;
}

bool southKanto(const TrackDay& td) { return td.track >= 42 && td.track <= 45; }

// The first race of the settled days, oldest first, that `wanted` accepts; null when none does.
template <typename Pred>
std::shared_ptr<const SimRace> findRace(Pred wanted, bool southKantoOnly = false) {
    const auto& tds = service().world().trackDays();
    for (std::size_t t = 0; t < tds.size(); ++t) {
        if (tds[t].day >= kToday || (southKantoOnly && !southKanto(tds[t]))) continue;
        for (std::size_t r = 0; r < tds[t].races.size(); ++r) {
            auto race = service().race(static_cast<int>(t), static_cast<int>(r));
            if (wanted(*race)) return race;
        }
    }
    return nullptr;
}

TEST(SimRecordValues, DataKindsOfEveryRecordAtEveryStage) {
    auto race = findRace([](const SimRace&) { return true; }, true);
    ASSERT_TRUE(race);
    const int made = kToday;
    auto kindsOf = [](const std::vector<std::string>& records) {
        std::string kinds;
        for (const auto& r : records) kinds += r[2];
        return kinds;
    };
    EXPECT_EQ(race->raRecord(false, false, made)[2], '2') << "card";
    EXPECT_EQ(kindsOf(race->seRecords(false, true, made)), std::string(race->runners().size(), '2')) << "card";
    EXPECT_EQ(race->raRecord(true, true, made)[2], '7') << "results";
    EXPECT_EQ(kindsOf(race->seRecords(true, true, made)), std::string(race->runners().size(), '7')) << "results";
    EXPECT_EQ(race->hrRecord(made)[2], '2') << "payouts";
    EXPECT_EQ(kindsOf(race->oddsRecords(race->postTime() - 1, made)), "1111111") << "interim odds";
    EXPECT_EQ(kindsOf(race->oddsRecords(race->postTime(), made)), "5555555") << "final odds";

    // The same through the service's own ways out: real-time requests and the betting account's facts.
    const std::string after = stampOf(race->resultTime() + 30);
    EXPECT_EQ(kindsOf(service().realtime("0B30", race->raceKey(), after)), "5555555");
    for (const auto& r : service().realtime("0B12", race->raceKey().substr(0, 8), after))
        if (fieldOf(r, Common::RaceKey) == race->raceKey()) {
            EXPECT_EQ(r[2], r.compare(0, 2, "HR") == 0 ? '2' : '7') << r.substr(0, 2);
        }
    auto facts = service().raceFacts(race->raceKey().substr(0, 8), std::stoi(race->raceKey().substr(8, 2)),
                                     std::stoi(race->raceKey().substr(14, 2)), race->resultTime());
    ASSERT_TRUE(facts);
    ASSERT_FALSE(facts->payoutRecord.empty());
    EXPECT_EQ(facts->payoutRecord[2], '2');
}

}  // namespace
}  // namespace vex::control

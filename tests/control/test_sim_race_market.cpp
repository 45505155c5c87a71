// The simulated races behave like southern-Kanto racing: over 150 race days of each track the
// favourites, the Compi index and the returns after takeout land where the published figures are.
// The races are generated in memory, without the records or files.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>

#include "control/sim_race.h"
#include "control/sim_world.h"
#include "vocabulary/civil_date.h"

namespace vex::sim {
namespace {

constexpr int kDaysPerTrack = 150;
constexpr int kPopularities = 6;

// What a group of races showed: the favourite, the win rate by popularity, Compi rank 1 and the
// return of 100 yen to win and to place on every runner.
struct Tally {
    long races = 0, favouriteWins = 0, favouriteTopThree = 0;
    std::array<long, kPopularities + 1> winsByPopularity{}, runnersByPopularity{};
    long compiRaces = 0, compiWins = 0, compiIsFavourite = 0;
    long winStake = 0, winPaid = 0, placeStake = 0, placePaid = 0;

    double favouriteWinRate() const { return 100.0 * favouriteWins / races; }
    double favouriteTopThreeRate() const { return 100.0 * favouriteTopThree / races; }
    double winRateOf(int popularity) const {
        return 100.0 * winsByPopularity[static_cast<std::size_t>(popularity)] / runnersByPopularity[static_cast<std::size_t>(popularity)];
    }
    double compiWinRate() const { return 100.0 * compiWins / compiRaces; }
    double agreement() const { return 100.0 * compiIsFavourite / compiRaces; }
    double winReturn() const { return 100.0 * winPaid / winStake; }
    double placeReturn() const { return 100.0 * placePaid / placeStake; }
};

int paidTo(const std::vector<PayoutEntry>& entries, int horse) {
    int paid = 0;
    for (const PayoutEntry& e : entries) paid += e.a == horse ? e.payout : 0;
    return paid;
}

void addRace(const SimRace& race, Tally& t) {
    const auto& compi = race.compiValues();
    const int compiFirst = static_cast<int>(std::max_element(compi.begin(), compi.end()) - compi.begin()) + 1;
    const bool placeSold = race.finalOdds().places > 0;
    int favourite = 0;
    for (const Runner& x : race.runners()) {
        if (x.scratched) continue;  // refunded: no bet
        const bool won = x.position == 1, placed = x.position >= 1 && x.position <= 3;
        if (x.popularity == 1) {
            favourite = x.number;
            ++t.races;
            t.favouriteWins += won;
            t.favouriteTopThree += placed;
        }
        if (x.popularity <= kPopularities) {
            ++t.runnersByPopularity[static_cast<std::size_t>(x.popularity)];
            t.winsByPopularity[static_cast<std::size_t>(x.popularity)] += won;
        }
        t.winStake += 100;
        t.winPaid += paidTo(race.payouts().win, x.number);
        if (placeSold) {
            t.placeStake += 100;
            t.placePaid += paidTo(race.payouts().place, x.number);
        }
    }
    const Runner& chosen = race.runners()[static_cast<std::size_t>(compiFirst - 1)];
    if (chosen.scratched) return;
    ++t.compiRaces;
    t.compiWins += chosen.position == 1;
    t.compiIsFavourite += compiFirst == favourite;
}

struct Figures {
    Tally all;
    std::map<int, Tally> byTrack, byCategory, byClass;
};

// The last 150 race days of each southern-Kanto track of seed 1's world, up to a fixed day.
Figures figuresOf150Days() {
    const int last = dayNumber(2026, 12, 1);
    const World world(1, last - 900, last);
    std::map<int, int> daysTaken;
    Figures out;
    const auto& trackDays = world.trackDays();
    for (int t = static_cast<int>(trackDays.size()) - 1; t >= 0; --t) {
        const TrackDay& td = trackDays[static_cast<std::size_t>(t)];
        if (!trackSpec(td.track)->southKanto || ++daysTaken[td.track] > kDaysPerTrack) continue;
        for (int r = 0; r < static_cast<int>(td.races.size()); ++r) {
            const SimRace race(world, t, r);
            // Classes in thirds: C, B, A.
            for (Tally* tally : {&out.all, &out.byTrack[td.track], &out.byCategory[race.card().category],
                                 &out.byClass[race.card().classRank / 3]})
                addRace(race, *tally);
        }
    }
    for (auto [track, days] : daysTaken) EXPECT_GE(days, kDaysPerTrack) << "track " << track;
    return out;
}

// The highest and lowest favourite win rate among the groups, in points.
template <typename Key>
double spreadOf(const std::map<Key, Tally>& groups) {
    double low = 100, high = 0;
    for (const auto& [key, t] : groups) {
        low = std::min(low, t.favouriteWinRate());
        high = std::max(high, t.favouriteWinRate());
    }
    return high - low;
}

// One test over the days, which take a few seconds to run.
TEST(SimRaceMarket, OverOneHundredFiftyDaysOfEachTrackTheRacesBehaveLikeSouthernKanto) {
    const Figures f = figuresOf150Days();
    const Tally& t = f.all;
    {
        SCOPED_TRACE("the favourite and the popularity");
        EXPECT_GE(t.favouriteWinRate(), 33.0);
        EXPECT_LE(t.favouriteWinRate(), 40.0);
        EXPECT_GE(t.favouriteTopThreeRate(), 60.0);
        EXPECT_LE(t.favouriteTopThreeRate(), 72.0);
        for (int popularity = 2; popularity <= kPopularities; ++popularity)
            EXPECT_LT(t.winRateOf(popularity), t.winRateOf(popularity - 1)) << "popularity " << popularity;
    }
    {
        SCOPED_TRACE("Compi rank 1");
        EXPECT_NEAR(t.compiWinRate(), t.favouriteWinRate(), 5.0);
        EXPECT_GT(t.agreement(), 50.0) << "rank 1 is the favourite in most races";
        EXPECT_LT(t.agreement(), 85.0) << "but the index has information of its own";
    }
    {
        SCOPED_TRACE("returns over all runners");
        EXPECT_GE(t.winReturn(), 70.0);
        EXPECT_LE(t.winReturn(), 80.0);
        EXPECT_GE(t.placeReturn(), 70.0);
        EXPECT_LE(t.placeReturn(), 85.0);
    }
    {
        SCOPED_TRACE("tracks and classes differ");
        ASSERT_EQ(f.byTrack.size(), 4u);
        EXPECT_GE(spreadOf(f.byTrack), 4.0) << "between the tracks";
        EXPECT_GE(spreadOf(f.byClass), 4.0) << "between the lower, middle and upper classes";
        EXPECT_GE(spreadOf(f.byCategory), 10.0) << "between the young horses' races and the others";
    }
}

}  // namespace
}  // namespace vex::sim

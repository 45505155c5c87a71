// The simulated calendar: meetings, race days, post times and the moments data appears.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace {

using namespace vex::sim;

const int kToday = dayNumber(2024, 5, 12);

TEST(SimCalendar, SouthernKantoMeetingsRunSeveralDaysWithTenToTwelveRaces) {
    World world(11, kToday - 150, kToday + 2);
    std::map<int, std::vector<const TrackDay*>> byTrack;
    std::set<int> kantoDays;
    for (const TrackDay& td : world.trackDays()) {
        byTrack[td.track].push_back(&td);
        bool kanto = td.track >= 42 && td.track <= 45;
        if (kanto) kantoDays.insert(td.day);
        if (kanto || !trackSpec(td.track)->central) {
            EXPECT_GE(td.races.size(), 10u) << td.track << " " << ymdText(td.day);
            EXPECT_LE(td.races.size(), 12u);
        }
        int previous = 0;
        for (const RaceCard& rc : td.races) {
            EXPECT_GE(rc.field.size(), 6u);
            EXPECT_LE(rc.field.size(), 16u);
            int minutes = rc.post / 100 * 60 + rc.post % 100;
            if (previous) EXPECT_GE(minutes - previous, 25) << "posts in order, spaced";
            previous = minutes;
            std::set<HorseId> unique(rc.field.begin(), rc.field.end());
            EXPECT_EQ(unique.size(), rc.field.size()) << "a horse runs once per race";
        }
        if (td.track == 44) EXPECT_GE(td.races.back().post, 2000) << "night racing";
        if (td.track == 42 || td.track == 43) EXPECT_LE(td.races.back().post, 1700) << "day racing";
    }
    EXPECT_GT(kantoDays.size(), 100u) << "racing in southern Kanto most days";
    for (int track : {42, 43, 44, 45}) {
        const auto& days = byTrack[track];
        ASSERT_GE(days.size(), 10u) << track;
        // Meetings: consecutive days counted 1, 2, 3 ... under one meeting number.
        for (std::size_t i = 1; i < days.size(); ++i) {
            if (days[i]->day == days[i - 1]->day + 1) {
                EXPECT_EQ(days[i]->meeting, days[i - 1]->meeting);
                EXPECT_EQ(days[i]->dayOfMeeting, days[i - 1]->dayOfMeeting + 1);
            } else if (civilDate(days[i]->day).year == civilDate(days[i - 1]->day).year) {
                EXPECT_EQ(days[i]->meeting, days[i - 1]->meeting + 1) << track << " " << ymdText(days[i]->day);
                EXPECT_EQ(days[i]->dayOfMeeting, 1);
            }
        }
    }
    // A horse's entries are a few weeks apart, not every few days.
    int close = 0, total = 0;
    for (const TrackDay& td : world.trackDays())
        for (const RaceCard& rc : td.races)
            for (HorseId id : rc.field) {
                const auto& runs = world.runsOf(id);
                for (std::size_t i = 1; i < runs.size(); ++i)
                    if (runs[i].day == td.day) {
                        ++total;
                        close += runs[i].day - runs[i - 1].day < 10;
                    }
            }
    EXPECT_LT(close * 20, total) << close << " of " << total;
}

TEST(SimCalendar, CardsMorningChangesAndResultsAppearInTurn) {
    SimService s(11, kToday);
    int td = -1;  // the last southern-Kanto day before today
    for (std::size_t i = 0; i < s.world().trackDays().size(); ++i)
        if (s.world().trackDays()[i].day < kToday && s.world().trackDays()[i].track >= 42 &&
            s.world().trackDays()[i].track <= 45)
            td = static_cast<int>(i);
    ASSERT_GE(td, 0);
    const int raceDay = s.world().trackDays()[static_cast<std::size_t>(td)].day;
    auto race = s.race(td, 0);
    std::string key = race->raceKey();
    auto kindsAt = [&](Minute from, Minute to) {
        std::map<std::string, std::string> seen;  // file kind -> categories of this race's records
        for (const DataFile& f : s.diffFiles(stampOf(from), stampOf(to)))
            for (const auto& r : f.records())
                if (fieldOf(r, Common::RaceKey) == key) seen[f.name.substr(26)] += r[2];
        return seen;
    };
    Minute day = static_cast<Minute>(raceDay) * 1440;
    auto before = kindsAt(day - 3 * 1440, day - 1);  // until the evening before
    ASSERT_TRUE(before.count("00_CARD.txt"));
    EXPECT_EQ(before["00_CARD.txt"].find_first_not_of('2'), std::string::npos) << "card records";
    EXPECT_TRUE(before.count("00_ODDS.txt")) << "opening odds the evening before";
    auto all = kindsAt(day - 3 * 1440, day + 1439);
    EXPECT_FALSE(all.count("00_ODDS.txt")) << "opening odds withdrawn once the day is settled";
    ASSERT_TRUE(all.count("01_RESULT.txt"));
    // The race and its runners as final results, the confirmed payouts, then the seven final odds.
    EXPECT_EQ(all["01_RESULT.txt"], std::string(1 + race->runners().size(), '7') + "2" + std::string(7, '5'));
    EXPECT_TRUE(all.count("00_CHANGE.txt"));
    // No results before the post, then four minutes after it.
    auto early = kindsAt(day, race->postTime() + 3);
    EXPECT_FALSE(early.count("01_RESULT.txt"));
    auto after = kindsAt(day, race->postTime() + 4);
    EXPECT_TRUE(after.count("01_RESULT.txt"));
}

}  // namespace
}  // namespace vex::control

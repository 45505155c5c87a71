// The simulated service's records: exact lengths, agreeing keys, payouts that match the final odds,
// and horses whose runs come in date order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace {

using namespace vex::sim;

int number(std::string_view s) {
    int v = 0;
    for (char c : s) v = (c >= '0' && c <= '9') ? v * 10 + (c - '0') : v;
    return v;
}

int lengthOf(std::string_view kind) {
    static const std::map<std::string, int> lengths = {
        {"RA", RecordLength::RA}, {"SE", RecordLength::SE}, {"HR", RecordLength::HR}, {"O1", RecordLength::O1},
        {"O2", RecordLength::O2}, {"O3", RecordLength::O3}, {"O4", RecordLength::O4}, {"O5", RecordLength::O5},
        {"O6", RecordLength::O6}, {"OA", RecordLength::OA}};
    auto it = lengths.find(std::string(kind));
    return it == lengths.end() ? -1 : it->second;
}

const int kToday = dayNumber(2024, 5, 12);

SimService& service() {
    static SimService s(7, kToday);
    return s;
}

// The records of every file served for race days in [first, last] as of the evening of `last`.
std::vector<std::vector<std::string>> filesOf(int first, int last) {
    std::vector<std::vector<std::string>> out;
    for (const DataFile& f : service().filesOfDays(first, last, stampOf(static_cast<Minute>(last) * 1440 + 23 * 60)))
        out.push_back(f.records());
    return out;
}

TEST(SimRecords, EveryRecordHasItsKindsLengthAndEndsInCrLf) {
    std::map<std::string, int> seen;
    for (const auto& file : filesOf(kToday - 6, kToday - 4))
        for (const auto& r : file) {
            std::string kind = r.substr(0, 2);
            ASSERT_EQ(static_cast<int>(r.size()), lengthOf(kind)) << kind;
            ASSERT_EQ(r.substr(r.size() - 2), "\r\n");
            ASSERT_EQ(r.find('\n'), r.size() - 1) << "a line break inside a " << kind << " record";
            ++seen[kind];
        }
    for (const char* kind : {"RA", "SE", "HR", "O1", "O2", "O3", "O4", "O5", "O6", "OA"}) EXPECT_GT(seen[kind], 0) << kind;
}

struct RaceRecords {
    std::string ra, hr;
    std::vector<std::string> se;
    std::map<std::string, std::string> odds;
};

// Final records of every southern-Kanto race of a few days, by race key.
std::map<std::string, RaceRecords> finalRaces() {
    std::map<std::string, RaceRecords> races;
    for (const auto& file : filesOf(kToday - 20, kToday - 1))
        for (const auto& r : file) {
            std::string kind = r.substr(0, 2);
            // Final stage of each record kind: results, confirmed payouts, final odds.
            char final = kind == "HR" ? '2' : kind == "RA" || kind == "SE" ? '7' : '5';
            if (r[2] != final) continue;
            std::string key(fieldOf(r, Common::RaceKey));
            int track = number(fieldOf(r, Common::Track));
            if (track < 42 || track > 45) continue;
            RaceRecords& rr = races[key];
            if (kind == "RA") rr.ra = r;
            else if (kind == "HR") rr.hr = r;
            else if (kind == "SE") rr.se.push_back(r);
            else rr.odds[kind] = r;
        }
    return races;
}

TEST(SimRecords, FinalResultsAgreeWithFinalOdds) {
    auto races = finalRaces();
    ASSERT_GT(races.size(), 50u);
    int checkedTrifecta = 0, deadHeats = 0;
    for (const auto& [key, rr] : races) {
        SCOPED_TRACE(key);
        ASSERT_FALSE(rr.ra.empty());
        ASSERT_FALSE(rr.hr.empty());
        ASSERT_EQ(rr.odds.size(), 7u);
        int registered = number(fieldOf(rr.ra, RA::Registered));
        ASSERT_EQ(static_cast<int>(rr.se.size()), registered);
        ASSERT_GE(registered, 6);
        ASSERT_LE(registered, 16);
        for (const auto& [kind, rec] : rr.odds) ASSERT_EQ(fieldOf(rec, Common::RaceKey), key);
        const std::string& o1 = rr.odds.at("O1");

        // Popularity ranks of the starters are 1..starters, and the runner records carry the
        // final win odds of the odds record.
        std::vector<int> ranks;
        int scratched = 0;
        for (const auto& se : rr.se) {
            int h = number(fieldOf(se, SE::Horse));
            if (fieldOf(se, SE::Abnormality) == "1") {
                ++scratched;
                EXPECT_EQ(fieldOf(o1, Odds::Win.odds(h)), "    ");
                continue;
            }
            ranks.push_back(number(fieldOf(se, SE::WinPopularity)));
            EXPECT_EQ(fieldOf(se, SE::WinOdds), fieldOf(o1, Odds::Win.odds(h)));
        }
        std::sort(ranks.begin(), ranks.end());
        for (std::size_t i = 0; i < ranks.size(); ++i) ASSERT_EQ(ranks[i], static_cast<int>(i + 1));
        EXPECT_EQ(number(fieldOf(rr.ra, RA::Starters)), registered - scratched);

        // Win payouts are the final win odds; place payouts lie within the place odds range.
        int winners = 0;
        for (int j = 1; j <= 3; ++j) {
            int h = number(fieldOf(rr.hr, HR::Win.combination(j)));
            if (h == 0) continue;
            ++winners;
            int payout = number(fieldOf(rr.hr, HR::Win.payout(j)));
            if (j == 1 && number(fieldOf(rr.hr, HR::Win.combination(2))) == 0)
                EXPECT_EQ(payout, number(fieldOf(o1, Odds::Win.odds(h))) * 10);
        }
        ASSERT_GE(winners, 1);
        if (winners > 1) ++deadHeats;
        // (A dead heat for a place adds a fourth placed horse and splits the pool four ways.)
        bool placeDeadHeat = number(fieldOf(rr.hr, HR::Place.combination(4))) > 0;
        for (int j = 1; j <= 5 && !placeDeadHeat; ++j) {
            int h = number(fieldOf(rr.hr, HR::Place.combination(j)));
            if (h == 0) continue;
            int payout = number(fieldOf(rr.hr, HR::Place.payout(j)));
            EXPECT_GE(payout, number(fieldOf(o1, Odds::PlaceLower.odds(h))) * 10 - 10) << "horse " << h;
            EXPECT_LE(payout, number(fieldOf(o1, Odds::PlaceUpper.odds(h))) * 10 + 10) << "horse " << h;
        }

        // The trifecta odds of the winning order equal its payout (one winning order only).
        if (number(fieldOf(rr.hr, HR::Trifecta.combination(2))) == 0) {
            std::string_view combo = fieldOf(rr.hr, HR::Trifecta.combination(1));
            int a = number(combo.substr(0, 2)), b = number(combo.substr(2, 2)), c = number(combo.substr(4, 2));
            int k = CombinationIndex(BetKind::Trifecta, a, b, c);
            ASSERT_GT(k, 0);
            const std::string& o6 = rr.odds.at("O6");
            EXPECT_EQ(number(fieldOf(rr.hr, HR::Trifecta.payout(1))), number(fieldOf(o6, Odds::Trifecta.odds(k))) * 10);
            EXPECT_EQ(number(fieldOf(rr.hr, HR::Trifecta.popularity(1))), number(fieldOf(o6, Odds::Trifecta.popularity(k))));
            ++checkedTrifecta;
        }
    }
    EXPECT_GT(checkedTrifecta, 50);
    EXPECT_LT(deadHeats, 5);
}

TEST(SimRecords, OddsPopularityIsAPermutationOverTheSoldCombinations) {
    auto races = finalRaces();
    const auto& rr = races.begin()->second;
    const std::string& o6 = rr.odds.at("O6");
    std::vector<int> ranks;
    for (int k = 1; k <= CombinationCount(BetKind::Trifecta); ++k) {
        std::string_view odds = fieldOf(o6, Odds::Trifecta.odds(k));
        if (odds.find_first_not_of("0123456789") != std::string_view::npos) continue;
        ranks.push_back(number(fieldOf(o6, Odds::Trifecta.popularity(k))));
    }
    std::sort(ranks.begin(), ranks.end());
    ASSERT_FALSE(ranks.empty());
    for (std::size_t i = 0; i < ranks.size(); ++i) ASSERT_EQ(ranks[i], static_cast<int>(i + 1));
}

TEST(SimRecords, AHorsesRunsArriveInDateOrderAtMostOncePerDay) {
    std::map<std::string, std::vector<std::string>> runs;  // registration number -> race dates
    std::map<std::string, std::set<std::string>> tracksOf;  // registration number -> tracks
    std::set<std::string> tracks;
    for (const auto& file : filesOf(kToday - 60, kToday))
        for (const auto& r : file) {
            if (r.compare(0, 2, "SE") != 0 || r[2] != '7') continue;
            runs[std::string(fieldOf(r, SE::RegistrationNumber))].push_back(std::string(fieldOf(r, Common::Date)));
            tracks.insert(std::string(fieldOf(r, Common::Track)));
            tracksOf[std::string(fieldOf(r, SE::RegistrationNumber))].insert(std::string(fieldOf(r, Common::Track)));
        }
    ASSERT_GT(runs.size(), 1000u);
    int moved = 0, regulars = 0;
    for (const auto& [horse, dates] : runs) {
        for (std::size_t i = 1; i < dates.size(); ++i) ASSERT_LT(dates[i - 1], dates[i]) << horse;
        if (dates.size() >= 3) ++regulars;
    }
    bool centralThenKanto = false;
    for (const auto& [horse, ts] : tracksOf) {
        if (ts.size() > 1) ++moved;
        bool central = ts.count("04") || ts.count("05") || ts.count("06");
        bool kanto = ts.count("42") || ts.count("43") || ts.count("44") || ts.count("45");
        centralThenKanto = centralThenKanto || (central && kanto);
    }
    EXPECT_GT(moved, 20) << "some horses race at more than one track";
    EXPECT_TRUE(centralThenKanto) << "a southern-Kanto runner with a past run at a central course";
    EXPECT_GT(regulars, 500) << "horses should run every few weeks";
    for (const char* t : {"42", "43", "44", "45"}) EXPECT_TRUE(tracks.count(t)) << t;
    EXPECT_GE(tracks.size(), 10u) << "other local tracks race too";
}

TEST(SimRecords, SameSeedSameBytesAndOddsMoveDuringTheDay) {
    SimService other(7, kToday);
    auto a = service().filesOfDays(kToday - 3, kToday - 3, stampOf(static_cast<Minute>(kToday) * 1440));
    auto b = other.filesOfDays(kToday - 3, kToday - 3, stampOf(static_cast<Minute>(kToday) * 1440));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); i += 7) {
        ASSERT_EQ(a[i].name, b[i].name);
        ASSERT_EQ(a[i].records(), b[i].records());
    }
    // A southern-Kanto race of today: odds at two moments of the day differ, and from the post on
    // they are the final odds.
    const auto& tds = service().world().trackDays();
    auto it = std::find_if(tds.begin(), tds.end(), [](const TrackDay& t) { return t.day == kToday - 2 && t.track >= 42 && t.track <= 45; });
    ASSERT_NE(it, tds.end());
    auto race = service().race(static_cast<int>(it - tds.begin()), 5);
    auto morning = race->oddsRecords(race->postTime() - 300, kToday);
    auto close = race->oddsRecords(race->postTime() - 5, kToday);
    auto post = race->oddsRecords(race->postTime(), kToday);
    auto later = race->oddsRecords(race->postTime() + 60, kToday);
    ASSERT_EQ(morning.size(), 7u);
    EXPECT_NE(fieldOf(morning[0], {44, 8 * 16}), fieldOf(close[0], {44, 8 * 16}));
    EXPECT_EQ(post, later);
    EXPECT_EQ(morning[0][2], '1');
    EXPECT_EQ(post[0][2], '5');
    EXPECT_TRUE(race->oddsRecords(race->saleOpen() - 1, kToday).empty()) << "no odds before the sale opens";
}

}  // namespace
}  // namespace vex::control

// Values of the simulated records that follow the service's own conventions: data kinds, the
// entries of scratched and stopped runners, combinations beyond the field, dead heats and
// registration numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "control/sim_service.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/civil_date.h"

namespace vex::control {
namespace {

using namespace vex::sim;

const int kToday = dayNumber(2024, 5, 12);

SimService& service() {
    static SimService s(7, kToday);
    return s;
}

bool blank(std::string_view field) { return !field.empty() && field.find_first_not_of(' ') == std::string_view::npos; }

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

TEST(SimRecordValues, EntriesWithAScratchedRunnerAreBlankOddsAndPopularityAlike) {
    auto race = findRace([](const SimRace& r) {
        int scratched = 0;
        for (const Runner& x : r.runners()) scratched += x.scratched ? 1 : 0;
        return scratched > 0 && r.registered() >= 9;
    }, true);
    ASSERT_TRUE(race);
    std::vector<bool> out(19, false);
    for (const Runner& x : race->runners()) out[static_cast<std::size_t>(x.number)] = x.scratched;
    const auto records = race->oddsRecords(race->postTime(), kToday);
    ASSERT_EQ(records.size(), 7u);
    const std::string& o1 = records[0];

    int blanks = 0, priced = 0;
    for (int h = 1; h <= race->registered(); ++h) {
        for (Field f : {Odds::Win.odds(h), Odds::WinRank.at(h, 8), Odds::PlaceLower.odds(h), Odds::PlaceUpper.odds(h),
                        Odds::PlaceRank.at(h, 12)})
            EXPECT_EQ(blank(fieldOf(o1, f)), out[static_cast<std::size_t>(h)]) << "horse " << h << " at " << f.pos;
    }
    struct Pool {
        const std::string& record;
        BetKind kind;
        OddsBlock block;
    };
    const Pool pools[] = {{records[1], BetKind::Quinella, Odds::Quinella}, {records[2], BetKind::QuinellaPlace, Odds::Wide},
                          {records[2], BetKind::QuinellaPlace, Odds::WideUpper}, {records[3], BetKind::Exacta, Odds::Exacta},
                          {records[4], BetKind::Trio, Odds::Trio}, {records[5], BetKind::Trifecta, Odds::Trifecta}};
    for (const Pool& p : pools)
        for (int k = 1; k <= CombinationCount(p.kind); ++k) {
            Combination c = CombinationAt(p.kind, k);
            if (std::max({c.a, c.b, c.c}) > race->registered()) continue;
            bool withScratched = out[static_cast<std::size_t>(c.a)] || out[static_cast<std::size_t>(c.b)] ||
                                 (c.c > 0 && out[static_cast<std::size_t>(c.c)]);
            std::string_view odds = fieldOf(p.record, p.block.odds(k)), popularity = fieldOf(p.record, p.block.popularity(k));
            if (withScratched) {
                ++blanks;
                EXPECT_TRUE(blank(odds) && blank(popularity)) << p.record.substr(0, 2) << " " << k << ": " << odds << popularity;
            } else {
                ++priced;
                EXPECT_EQ(odds.find_first_not_of("0123456789"), std::string_view::npos) << p.record.substr(0, 2) << " " << k;
            }
        }
    EXPECT_GT(blanks, 0);
    EXPECT_GT(priced, blanks);
}

TEST(SimRecordValues, BracketExactaOfAOneHorseFrameWithItselfIsBlank) {
    // A sold field (nine or more) has frames of one horse and frames of two.
    auto race = findRace([](const SimRace& r) { return r.registered() >= 9 && r.registered() <= 15; }, true);
    ASSERT_TRUE(race);
    std::vector<int> inFrame(9, 0);
    for (const Runner& x : race->runners()) ++inFrame[static_cast<std::size_t>(x.frame)];
    const std::string oa = race->oddsRecords(race->postTime(), kToday).back();
    ASSERT_EQ(oa.substr(0, 2), "OA");
    int single = 0, shared = 0;
    for (int f = 1; f <= 8; ++f) {
        int k = CombinationIndex(BetKind::BracketExacta, f, f);
        std::string_view odds = fieldOf(oa, Odds::BracketExacta.odds(k));
        if (inFrame[static_cast<std::size_t>(f)] == 1) {
            ++single;
            EXPECT_TRUE(blank(odds) && blank(fieldOf(oa, Odds::BracketExacta.popularity(k)))) << f << "-" << f << ": " << odds;
        } else if (inFrame[static_cast<std::size_t>(f)] == 2) {
            ++shared;
            EXPECT_FALSE(blank(odds)) << f << "-" << f;
        }
    }
    EXPECT_GT(single, 0);
    EXPECT_GT(shared, 0);
}

TEST(SimRecordValues, AScratchedRunnerHasNoTimeDifferenceAndNoBodyWeight) {
    auto race = findRace([](const SimRace& r) {
        for (const Runner& x : r.runners())
            if (x.scratched) return true;
        return false;
    });
    ASSERT_TRUE(race);
    // From the morning's changes on, and in the results.
    for (bool results : {false, true}) {
        SCOPED_TRACE(results ? "results" : "morning");
        const auto records = race->seRecords(results, true, kToday);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const Runner& x = race->runners()[i];
            if (x.scratched) {
                EXPECT_EQ(fieldOf(records[i], SE::Abnormality), "1");
                EXPECT_EQ(fieldOf(records[i], SE::TimeDifference), "9999");
                EXPECT_EQ(fieldOf(records[i], SE::BodyWeight), "000");
            } else if (results && x.position > 0) {
                EXPECT_NE(fieldOf(records[i], SE::TimeDifference), "9999");
                EXPECT_GT(std::stoi(std::string(fieldOf(records[i], SE::BodyWeight))), 300);
            }
        }
    }
    // Before the scratch is known the runner is like any other.
    for (const std::string& r : race->seRecords(false, false, kToday)) {
        EXPECT_EQ(fieldOf(r, SE::TimeDifference), "+000");
        EXPECT_TRUE(blank(fieldOf(r, SE::BodyWeight)));
    }
}

TEST(SimRecordValues, ARunnerStoppedDuringTheRaceHasNoTimeDifference) {
    auto race = findRace([](const SimRace& r) {
        for (const Runner& x : r.runners())
            if (x.stopped) return true;
        return false;
    });
    ASSERT_TRUE(race) << "stopped runners are rare but the calendar has a few";
    const auto records = race->seRecords(true, true, kToday);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!race->runners()[i].stopped) continue;
        EXPECT_EQ(fieldOf(records[i], SE::Abnormality), "4");
        EXPECT_EQ(fieldOf(records[i], SE::TimeDifference), "9999");
        EXPECT_EQ(fieldOf(records[i], SE::FinishPosition), "00");
    }
    // Until the results it is a runner like any other.
    for (const std::string& r : race->seRecords(false, true, kToday)) EXPECT_NE(fieldOf(r, SE::TimeDifference), "9999");
}

TEST(SimRecordValues, CombinationsOfHorsesBeyondTheFieldAreBlankKeysIncluded) {
    auto race = findRace([](const SimRace& r) { return r.registered() <= 12; }, true);
    ASSERT_TRUE(race);
    const int n = race->registered();
    const auto records = race->oddsRecords(race->postTime(), kToday);
    struct Pool {
        const std::string& record;
        BetKind kind;
        OddsBlock block;
        Field key;
        int stride;
    };
    const Pool pools[] = {{records[1], BetKind::Quinella, Odds::Quinella, Odds::PairCombination, 13},
                          {records[2], BetKind::QuinellaPlace, Odds::Wide, Odds::PairCombination, 17},
                          {records[3], BetKind::Exacta, Odds::Exacta, Odds::PairCombination, 13},
                          {records[4], BetKind::Trio, Odds::Trio, Odds::TripleCombination, 15},
                          {records[5], BetKind::Trifecta, Odds::Trifecta, Odds::TripleCombination, 17}};
    for (const Pool& p : pools) {
        int beyond = 0;
        for (int k = 1; k <= CombinationCount(p.kind); ++k) {
            Combination c = CombinationAt(p.kind, k);
            std::string_view key = fieldOf(p.record, p.key.at(k, p.stride));
            if (std::max({c.a, c.b, c.c}) > n) {
                ++beyond;
                EXPECT_TRUE(blank(key) && blank(fieldOf(p.record, p.block.odds(k))) &&
                            blank(fieldOf(p.record, p.block.popularity(k))))
                    << p.record.substr(0, 2) << " " << k << ": " << key;
            } else {
                std::string expected = (c.a < 10 ? "0" : "") + std::to_string(c.a) + (c.b < 10 ? "0" : "") + std::to_string(c.b);
                if (c.c > 0) expected += (c.c < 10 ? "0" : "") + std::to_string(c.c);
                EXPECT_EQ(key, expected) << p.record.substr(0, 2) << " " << k;
            }
        }
        EXPECT_GT(beyond, 0) << p.record.substr(0, 2);
    }
}

bool hasDeadHeat(const SimRace& r, int position) {
    int at = 0;
    for (const Runner& x : r.runners()) at += x.position == position;
    return at > 1;
}

TEST(SimRecordValues, ADeadHeatCountsTheOtherHorsesTied) {
    int races = 0;
    for (int position = 1; position <= 3; ++position) {
        auto race = findRace([&](const SimRace& r) { return hasDeadHeat(r, position); });
        if (!race) continue;
        ++races;
        SCOPED_TRACE(race->raceKey());
        int tied = 0;
        const auto records = race->seRecords(true, true, kToday);
        for (std::size_t i = 0; i < records.size(); ++i) {
            bool inTie = race->runners()[i].position == position;
            tied += inTie;
            EXPECT_EQ(fieldOf(records[i], SE::DeadHeat), inTie ? "1" : "0");
            EXPECT_EQ(fieldOf(records[i], SE::DeadHeatCount), inTie ? "1" : "0") << "two horses tie: one other each";
        }
        EXPECT_EQ(tied, 2);
        // The card knows nothing of it yet.
        for (const std::string& r : race->seRecords(false, true, kToday)) EXPECT_EQ(fieldOf(r, SE::DeadHeatCount), "0");
    }
    EXPECT_GE(races, 2) << "dead heats are rare but the calendar has a few";
}

TEST(SimRecordValues, TheSecondHorseOfADeadHeatCarriesTheDeadHeatMarginEvenForTheWin) {
    for (int position = 1; position <= 3; ++position) {
        auto race = findRace([&](const SimRace& r) { return hasDeadHeat(r, position); });
        if (position == 1) ASSERT_TRUE(race) << "no dead heat for the win in the calendar";
        if (!race) continue;
        SCOPED_TRACE(race->raceKey());
        std::vector<std::string> margins;  // of the tied horses
        const auto records = race->seRecords(true, true, kToday);
        for (std::size_t i = 0; i < records.size(); ++i)
            if (race->runners()[i].position == position) margins.emplace_back(fieldOf(records[i], SE::Margin));
        ASSERT_EQ(margins.size(), 2u);
        ASSERT_EQ(std::count(margins.begin(), margins.end(), "D  "), 1);
        // The other: no margin when it won, else its margin to the horse ahead.
        const std::string& first = margins[0] == "D  " ? margins[1] : margins[0];
        if (position == 1) {
            EXPECT_EQ(first, "   ");
        } else {
            EXPECT_NE(first.find_first_not_of(' '), std::string::npos);
        }
    }
    // A sole winner has no margin.
    auto plain = findRace([](const SimRace& r) { return !hasDeadHeat(r, 1); });
    ASSERT_TRUE(plain);
    const auto records = plain->seRecords(true, true, kToday);
    for (std::size_t i = 0; i < records.size(); ++i)
        if (plain->runners()[i].position == 1) EXPECT_EQ(fieldOf(records[i], SE::Margin), "   ");
}

TEST(SimRecordValues, ARegistrationNumbersFifthDigitIsTheBreedCode) {
    std::map<std::string, std::string> nameOf;  // registration number -> horse name
    const auto& tds = service().world().trackDays();
    for (std::size_t t = 0; t < tds.size(); t += 7)
        for (const std::string& r : service().race(static_cast<int>(t), 0)->seRecords(true, true, kToday)) {
            std::string regNo(fieldOf(r, SE::RegistrationNumber));
            ASSERT_EQ(regNo.find_first_not_of("0123456789"), std::string::npos) << regNo;
            EXPECT_EQ(regNo.substr(0, 4), std::to_string(std::stoi(r.substr(11, 4)) - std::stoi(std::string(fieldOf(r, SE::Age)))))
                << "birth year first";
            EXPECT_EQ(regNo[4], fieldOf(r, SE::Breed)[0]) << regNo;
            std::string name(fieldOf(r, SE::HorseName));
            auto [it, added] = nameOf.emplace(regNo, name);
            EXPECT_EQ(it->second, name) << "one number, one horse: " << regNo;
        }
    EXPECT_GT(nameOf.size(), 500u);
}

}  // namespace
}  // namespace vex::control

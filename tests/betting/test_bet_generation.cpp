// Bet generation checked against lists computed here another way: every combination of the kind
// is tested against the marked sets, instead of scanning the card in nested loops.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "betting/bet_generator.h"
#include "betting/bet_page.h"
#include "expected_bets.h"
#include "race_fixture.h"
#include "support/test_support.h"

namespace vex {
namespace {

using test::Marks;
using test::Set;
using test::Expected;
using test::expectedList;

void markCard(BetPage& page, const Marks& m) {
    const std::pair<int, const Set*> cols[] = {{8, &m.m1}, {9, &m.m2}, {10, &m.m3}, {11, &m.partner}};
    for (auto [col, set] : cols)
        for (int h : *set) page.cardCellClick(col, h);
}

std::vector<std::string> column(const TextGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < g.rowCount(); ++r)
        if (!g.cell(1, r).empty()) out.push_back(g.cell(col, r));
    return out;
}

const Marks kMarks{{2, 5, 6, 9}, {1, 5, 7}, {3, 9, 11, 12}, {1, 4, 5, 10}};
constexpr int kRunners = 12;

TEST(BetGeneration, EveryKindMethodAndMultiMatchesTheMarkedSets) {
    const BetRace race = test::fixtureRace(kRunners);
    int checked = 0;
    for (int item = 0; item < kBetKindCount; ++item) {
        const BetKind kind = *betKindOfSelectorItem(item);
        const int methods = std::max<int>(1, static_cast<int>(methodItems(kind).size()));
        for (int method = 0; method < methods; ++method) {
            for (int multiBits = 0; multiBits < 16; ++multiBits) {
                std::array<bool, 4> multi{};
                for (int i = 0; i < 4; ++i) multi[i] = (multiBits >> i) & 1;
                BetPage page;
                page.setStakeMode(StakeMode::Even2);  // odds ignored: every candidate is a line
                page.selectRace(race);
                page.setKind(kind);
                if (!methodItems(kind).empty()) page.setMethod(method);
                for (int i = 0; i < 4; ++i) page.setMulti(static_cast<Multi>(i), multi[i]);
                markCard(page, kMarks);
                const int realMethod = methodItems(kind).empty() ? -1 : method;
                const Expected e = expectedList(kind, realMethod, multi, kMarks, kRunners);
                SCOPED_TRACE(std::to_string(item) + "/" + std::to_string(method) + "/" + std::to_string(multiBits));
                ASSERT_EQ(column(page.betList(), 2), e.labels);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 16 * (2 + 5 * 2 + 2 * 4));
}

TEST(BetGeneration, RowsCarryOddsPopularityAndRanksAtTheKindsWidths) {
    const BetRace race = test::fixtureRace(kRunners);
    for (BetKind kind : {BetKind::Win, BetKind::Place, BetKind::BracketQuinella, BetKind::Quinella, BetKind::Exacta,
                          BetKind::Trio, BetKind::Trifecta, BetKind::BracketExacta, BetKind::QuinellaPlace}) {
        BetPage page;
        page.selectRace(race);
        page.setKind(kind);
        page.setUpperText("20");
        markCard(page, kMarks);
        const BetKind code = kind;
        const Expected all = expectedList(kind, methodItems(kind).empty() ? -1 : 0, {}, kMarks, kRunners);
        const int numberWidth = kind == BetKind::Win || kind == BetKind::Place ? 2 : kind == BetKind::Trifecta ? 4 : 3;
        const int oddsWidth = numberWidth == 2 ? 6 : numberWidth == 4 ? 8 : 7;
        std::vector<std::vector<std::string>> want;
        for (std::size_t i = 0; i < all.labels.size(); ++i) {
            const int k = all.indexes[i];
            const double odds = test::fixtureOdds(code, k);
            if (odds < 1.0 || odds > 20.0) continue;
            char number[16], o[32], pop[16];
            std::snprintf(number, sizeof number, "%*d", numberWidth, static_cast<int>(want.size()) + 1);
            std::snprintf(o, sizeof o, "%*.1f", oddsWidth, odds);
            std::snprintf(pop, sizeof pop, "%*d", numberWidth, test::fixturePopularity(code, k));
            std::string ranks;
            if (hasRankColumn(kind)) {
                const Combination c = CombinationAt(code, k);
                // The label's own numbers, in label order, mapped to win popularity.
                const int n[3] = {c.a, c.b, c.c};
                for (int j = 0; j < betKindInfo(code).picks; ++j) {
                    char t[8];
                    std::snprintf(t, sizeof t, j ? "-%2d" : "%2d", race.winPopularity[n[j]]);
                    ranks += t;
                }
            }
            want.push_back({"", number, all.labels[i], o, pop, ranks});
        }
        ASSERT_FALSE(want.empty());
        const TextGrid& g = page.betList();
        ASSERT_EQ(g.rowCount(), static_cast<int>(want.size()) + 1);
        for (int r = 1; r < g.rowCount(); ++r) {
            auto row = g.row(r);
            row.resize(6);
            EXPECT_EQ(row, want[r - 1]) << "kind " << static_cast<int>(kind) << " row " << r;
        }
    }
}

// A desktop whose locale writes 2,5 still reads the odds bounds as typed: 2.5, not 2.
TEST(BetGeneration, OddsBoundsReadAlikeUnderEveryLocale) {
    const std::string comma = test::commaDecimalLocale();
    if (comma.empty()) GTEST_SKIP() << "no locale with a decimal comma is installed";
    std::setlocale(LC_NUMERIC, comma.c_str());
    const double lower = filterValue("  2.5"), upper = filterValue("9999999.9"), signed_ = filterValue("+1.5");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_DOUBLE_EQ(lower, 2.5);
    EXPECT_DOUBLE_EQ(upper, 9999999.9);
    EXPECT_DOUBLE_EQ(signed_, 1.5);
}

TEST(BetGeneration, OddsFilterAndTheModesThatIgnoreOdds) {
    BetRace race = test::fixtureRace(8);
    const int k12 = CombinationIndex(BetKind::Quinella, 1, 2), k13 = CombinationIndex(BetKind::Quinella, 1, 3),
              k23 = CombinationIndex(BetKind::Quinella, 2, 3);
    auto& odds = race.odds[static_cast<int>(BetKind::Quinella)];
    odds[k12] = -1.0;  // cancelled
    odds[k13] = -2.0;  // no data
    odds[k23] = 0.0;   // no votes
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Quinella);
    for (int h : {1, 2, 3, 4}) page.cardCellClick(8, h);
    // The three pairs without odds never show; the other three do.
    EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 1- 4", " 2- 4", " 3- 4"}));
    // A blank upper bound counts as 0 and drops every line.
    page.setUpperText("");
    EXPECT_EQ(page.betList().rowCount(), 2);
    EXPECT_EQ(page.betList().cell(2, 1), "");
    EXPECT_EQ(page.labels().count, "");
    // Modes that ignore odds list all six, with blank odds.
    page.setStakeMode(StakeMode::Flat2);
    EXPECT_EQ(column(page.betList(), 2).size(), 6u);
    EXPECT_EQ(page.betList().cell(3, 1), std::string(7, ' '));
    // Bounds are inclusive.
    page.setStakeMode(StakeMode::Even);
    const double o14 = odds[CombinationIndex(BetKind::Quinella, 1, 4)];
    char t[16];
    std::snprintf(t, sizeof t, "%.1f", o14);
    page.setLowerText(t);
    page.setUpperText(t);
    EXPECT_EQ(column(page.betList(), 2), std::vector<std::string>{" 1- 4"});
    page.setLowerText("abc");  // not a number: 0, so everything up to the upper bound
    EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 1- 4", " 2- 4", " 3- 4"}));
}

TEST(BetGeneration, WinAndPlaceAcceptByWinPopularity) {
    BetRace race = test::fixtureRace(6);
    race.winPopularity[2] = 0;
    race.odds[static_cast<int>(BetKind::Place)][3] = 0.0;  // place odds 0 but win popularity set
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Place);
    page.setLowerText("0");
    for (int h : {1, 2, 3}) page.cardCellClick(8, h);
    // Horse 2 has no win popularity; horse 3's place odds of 0 pass the "above 0" rule of win/place.
    EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 1", " 3"}));
}

TEST(BetGeneration, ExamplesOfTheRules) {
    const BetRace race = test::fixtureRace(12);
    {  // 馬単 軸流し マルチ: both orders.
        BetPage page;
        page.setStakeMode(StakeMode::Even2);
        page.selectRace(race);
        page.setKind(BetKind::Exacta);
        page.setMethod(1);
        page.setMulti(Multi::All, true);
        page.cardCellClick(8, 2);
        page.cardCellClick(11, 5);
        EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 2- 5", " 5- 2"}));
    }
    {  // ３連単 ﾌｫｰﾒｰｼｮﾝ with 1,2着マルチ only.
        BetPage page;
        page.setStakeMode(StakeMode::Even2);
        page.selectRace(race);
        page.setKind(BetKind::Trifecta);
        page.setMethod(3);
        page.setMulti(Multi::First12, true);
        page.cardCellClick(8, 1);
        page.cardCellClick(9, 2);
        page.cardCellClick(10, 3);
        EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 1- 2- 3", " 2- 1- 3"}));
    }
    {  // Two ◎ horses in one frame: 枠連 " 5- 5", 枠単 nothing.
        BetPage page;
        page.setStakeMode(StakeMode::Even2);
        page.selectRace(race);
        page.setKind(BetKind::BracketQuinella);
        page.cardCellClick(8, 5);
        page.cardCellClick(8, 6);
        EXPECT_EQ(column(page.betList(), 2), std::vector<std::string>{" 5- 5"});
        page.setKind(BetKind::BracketExacta);
        EXPECT_TRUE(column(page.betList(), 2).empty());
    }
    {  // A horse marked ◎ and 相手 never pairs with itself.
        BetPage page;
        page.setStakeMode(StakeMode::Even2);
        page.selectRace(race);
        page.setKind(BetKind::Quinella);
        page.setMethod(1);
        page.cardCellClick(8, 4);
        page.cardCellClick(11, 4);
        page.cardCellClick(11, 7);
        EXPECT_EQ(column(page.betList(), 2), std::vector<std::string>{" 4- 7"});
    }
}

TEST(BetGeneration, ThreeHorseBoxOnEighteenIsTheFullTable) {
    const BetRace race = test::fixtureRace(18);
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Trifecta);
    page.setStakeMode(StakeMode::Proportional);
    page.markPair(1, true);
    EXPECT_EQ(page.betList().rowCount(), 4897);
    EXPECT_EQ(page.betList().cell(2, 1), " 1- 2- 3");
    EXPECT_EQ(page.betList().cell(2, 4896), "18-17-16");
    EXPECT_EQ(page.betList().cell(1, 4896), "4896");
    EXPECT_EQ(page.labels().count, "4896"); // "%3d" widens past 999
    EXPECT_FALSE(page.betList().cell(6, 4896).empty());
}

// The site refuses a whole batch holding a horse that does not start, so the user's other lines
// would not be bought either: no stake mode may list one, not even those that ignore the odds.
TEST(BetGeneration, NoLineWithARunnerThatDoesNotStartInAnyStakeMode) {
    BetRace race = test::fixtureRace(12);
    race.nonStarter[5] = true;
    struct Case {
        BetKind kind;
        std::vector<int> firstMarks;
        std::vector<std::string> labels;
    } cases[] = {{BetKind::Win, {2, 5}, {" 2"}},
                 {BetKind::Quinella, {2, 5, 7}, {" 2- 7"}},
                 {BetKind::Trio, {2, 5, 7, 9}, {" 2- 7- 9"}}};
    for (int m = 0; m < kStakeModeCount; ++m)
        for (const Case& c : cases) {
            BetPage page;
            page.setStakeMode(static_cast<StakeMode>(m));
            page.selectRace(race);
            page.setKind(c.kind);
            for (int h : c.firstMarks) page.cardCellClick(8, h);
            SCOPED_TRACE(toUtf8(stakeModeCaption(static_cast<StakeMode>(m))) + " " + c.labels[0]);
            EXPECT_EQ(column(page.betList(), 2), c.labels);
            EXPECT_EQ(page.bets().lines.size(), c.labels.size());
        }
}

// A frame still runs while one of its horses starts; a same-frame pair needs two.
TEST(BetGeneration, FramePairsFollowTheStartersOfTheirFrames) {
    BetRace race = test::fixtureRace(16);  // frames of two horses each: 1 and 2 share frame 1
    ASSERT_EQ(race.cardRows[0].frame, race.cardRows[1].frame);
    const int other = race.cardRows[4].frame;
    for (BetKind kind : {BetKind::BracketQuinella, BetKind::BracketExacta}) {
        EXPECT_TRUE(race.canBet(kind, {1, other, 0}));
        race.nonStarter[1] = true;
        EXPECT_TRUE(race.canBet(kind, {1, other, 0})) << "horse 2 still runs in frame 1";
        EXPECT_FALSE(race.canBet(BetKind::BracketQuinella, {1, 1, 0}));
        race.nonStarter[2] = true;
        EXPECT_FALSE(race.canBet(kind, {1, other, 0}));
        race.nonStarter = {};
    }
    race.nonStarter[2] = true;
    BetPage page;
    page.setStakeMode(StakeMode::Flat2);
    page.selectRace(race);
    page.setKind(BetKind::BracketQuinella);
    for (int h : {1, 2, 5}) page.cardCellClick(8, h);
    const std::string pair = formatText("%2d-", 1) + formatText("%2d", other);
    EXPECT_EQ(column(page.betList(), 2), std::vector<std::string>{pair});
}

}  // namespace
}  // namespace vex

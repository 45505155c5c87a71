// Automatic voting's core: the target races by criteria, the tick driven through a whole race day
// on a given clock, the automatic marks, and the spending guard against a recording control.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

#include "../betting/race_fixture.h"
#include "app/clock.h"
#include "betting/bet_page.h"
#include "support/records.h"
#include "support/fake_control.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"
#include "datalink/timed_refresh.h"
#include "store/store_paths.h"
#include "voting/auto_vote_schedule.h"
#include "voting/auto_vote_targets.h"
#include "voting/spending_guard.h"

namespace vex {
namespace {

struct RaceSpec {
    std::string track = "44";
    int race = 1;
    std::string post = "1500";
    std::string surface = "24", category = "13", weight = "2", condition = "000", grade = " ";
    int distance = 1400, runners = 12;
};

// A table holding the races as the day load leaves them (race list; with the default times the vote
// time is 9 min 50 s before the post).
std::unique_ptr<RaceTable> tableOf(const std::vector<RaceSpec>& races) {
    auto table = std::make_unique<RaceTable>();
    for (std::size_t s = 0; s < races.size(); ++s) {
        const RaceSpec& r = races[s];
        test::Record ra = test::Record::ra(test::raceKey("20240510", r.track, r.race));
        ra.runners(r.runners).post(r.post).set(RA::Surface, r.surface).set(RA::Category, r.category);
        ra.set(RA::WeightRule, r.weight).set(RA::YoungestAge, r.condition).set(RA::Grade, r.grade);
        ra.num(RA::Distance, r.distance);
        table->raw[s].ra.assign(ra.str());
        table->races[s].voteTime = AddSeconds(r.post + "00", -590);
        table->raceListSlots.push_back(static_cast<int>(s));
        table->raceList.push_back(TrackName(r.track, 2) + formatText("%2d", r.race) + "R");
    }
    return table;
}

std::vector<int> targetRaceNumbers(const RaceTable& table, const AutoVoteCriteria& criteria) {
    std::vector<int> numbers;
    for (const AutoVoteTarget& t : chooseTargets(table, criteria)) numbers.push_back(std::stoi(t.raceKey.substr(14, 2)));
    return numbers;
}

TEST(AutoVoteTargets, EachListMatchesItsCodesAndAnEmptyListMatchesAll) {
    auto table = tableOf({{.race = 1, .surface = "10"},
                          {.race = 2, .surface = "24", .category = "11", .weight = "3"},
                          {.race = 3, .surface = "22", .category = "18", .weight = "1"},
                          {.track = "45", .race = 4, .category = "14"},
                          {.race = 5, .distance = 900},
                          {.race = 6, .runners = 4},
                          {.race = 7, .distance = 5000, .runners = 18}});
    AutoVoteCriteria all;
    EXPECT_EQ(targetRaceNumbers(*table, all), (std::vector<int>{1, 2, 3, 4, 7}));  // 5 and 6 out of range
    AutoVoteCriteria turf;
    turf.surfaces = {0};
    EXPECT_EQ(targetRaceNumbers(*table, turf), (std::vector<int>{1, 3}));
    AutoVoteCriteria typed;
    typed.raceTypes = {2, 3};  // ３歳上 (13, 18), ４歳上 (14, 19)
    EXPECT_EQ(targetRaceNumbers(*table, typed), (std::vector<int>{1, 3, 4, 7}));
    AutoVoteCriteria weighted;
    weighted.weights = {0, 2};  // ハンデ, 馬齢
    EXPECT_EQ(targetRaceNumbers(*table, weighted), (std::vector<int>{2, 3}));
    AutoVoteCriteria kawasaki;
    kawasaki.tracks = {"45"};
    EXPECT_EQ(targetRaceNumbers(*table, kawasaki), (std::vector<int>{4}));
    AutoVoteCriteria narrow;
    narrow.distanceFrom = narrow.distanceTo = 1400;
    narrow.runnersFrom = narrow.runnersTo = 12;
    EXPECT_EQ(targetRaceNumbers(*table, narrow), (std::vector<int>{1, 2, 3, 4}));
}

TEST(AutoVoteTargets, ClassesAreThoseLocalRacesCarry) {
    auto table = tableOf({{.race = 1},                                    // general class
                          {.race = 2, .grade = "E"},                      // special
                          {.race = 3, .condition = "999", .grade = "D"},  // local graded, open
                          {.race = 4, .condition = "703"},                // maiden
                          {.race = 5, .condition = "999", .grade = "A"},
                          {.race = 6, .condition = "   ", .grade = "-"}});
    auto classes = [&](std::vector<int> items) {
        AutoVoteCriteria c;
        c.classes = std::move(items);
        return targetRaceNumbers(*table, c);
    };
    EXPECT_EQ(toUtf8(sj(classItems()[1].caption)), "一般");
    EXPECT_EQ(classes({1}), (std::vector<int>{1, 6}));
    EXPECT_EQ(classes({2}), (std::vector<int>{2}));
    EXPECT_EQ(classes({3}), (std::vector<int>{3, 5}));  // オープン: condition 999
    EXPECT_EQ(classes({4}), (std::vector<int>{3}));     // 重賞
    EXPECT_EQ(classes({0, 7}), (std::vector<int>{4, 5}));
}

// Downloaded odds, odds fetched on another day, or another race's odds in the slot: none is voted on.
TEST(AutoVoteOdds, OnlyOddsFetchedTodayForThatRaceAreVotedOn) {
    auto table = tableOf({{.race = 1}, {.race = 2}});
    const DateTime now{2024, 5, 10, 14, 0, 0};
    table->paths = dayPaths(dayStampOf(now));
    const std::string first = test::raceKey("20240510", "44", 1), second = test::raceKey("20240510", "44", 2);
    table->raw[0].o1.assign(test::Record::of("O1", first).str());
    table->raw[1].o1.assign(test::Record::of("O1", first).str());  // not its own race's odds
    OddsFetchedFlags fetched;
    EXPECT_FALSE(oddsReadyToVote(*table, fetched, first, now));  // in the store, never fetched today
    fetched.set(0, dayStampOf({2024, 5, 9, 0, 0, 0}));
    EXPECT_FALSE(oddsReadyToVote(*table, fetched, first, now));
    fetched.set(0, dayStampOf(now));
    EXPECT_TRUE(oddsReadyToVote(*table, fetched, first, now));
    fetched.set(1, dayStampOf(now));
    EXPECT_FALSE(oddsReadyToVote(*table, fetched, second, now));
    // The table holds another day: its slot 0 is not today's race.
    table->paths = dayPaths(dayStampOf({2024, 5, 9, 0, 0, 0}));
    EXPECT_FALSE(oddsReadyToVote(*table, fetched, first, now));
    fetched.clear();
    table->paths = dayPaths(dayStampOf(now));
    EXPECT_FALSE(oddsReadyToVote(*table, fetched, first, now));
}

TEST(AutoVoteTargets, LinesNameTracksOfTheDayOnce) {
    auto table = tableOf({{.track = "42", .race = 1, .post = "1045"}, {.track = "44", .race = 11, .post = "2010"},
                          {.track = "42", .race = 2, .post = "1115"}});
    const auto tracks = tracksOfDay(*table);
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].code, "42");
    EXPECT_EQ(toUtf8(tracks[1].name), "大井");
    const auto targets = chooseTargets(*table, {});
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(toUtf8(targets[0].line), "10:45 浦和 1R");
    EXPECT_EQ(toUtf8(targets[1].line), "20:10 大井11R");
    EXPECT_EQ(targets[1].voteTime, "200010");
    EXPECT_EQ(slotOfRaceKey(*table, targets[2].raceKey), 2);
    EXPECT_EQ(slotOfRaceKey(*table, "2024051044010199"), -1);
}

// ---------------------------------------------------------------- the tick through a day

const std::string kToday = sj("2024年05月10日");

class AutoVoteDay : public ::testing::Test {
protected:
    // Four races on 10 May 2024.
    void SetUp() override {
        table = tableOf({{.race = 1, .post = "1000"}, {.race = 2, .post = "1030"}, {.race = 3, .post = "1100"},
                         {.race = 4, .post = "2040"}});
        schedule.arm(kToday, chooseTargets(*table, {}));
        view.shownDayStamp = kToday;
        view.latestPostTime = "2040";
        view.oddsReady = [this](const std::string& key) { return !oddsMissing.count(key.substr(14, 2)); };
    }
    // Ticks every second from `from` to `to`; each vote ends at once with `outcome`.
    void runDay(DateTime from, DateTime to, VoteOutcome outcome = VoteOutcome::Voted) {
        for (std::time_t t = toEpoch(from); t <= toEpoch(to); ++t) {
            const DateTime at = fromEpoch(t);
            view.workerBusy = busySeconds.count(hourMinuteSecond(at)) > 0;
            TickDecision d = schedule.tick(at, view);
            for (auto& [i, reason] : d.givenUp) givenUp[i] = std::make_pair(reason, hourMinuteSecond(at));
            if (d.vote) {
                voted.emplace_back(*d.vote, hourMinuteSecond(at));
                if (auto reason = schedule.voteEnded(*d.vote, outcome))
                    givenUp[*d.vote] = std::make_pair(*reason, hourMinuteSecond(at));
            }
        }
    }
    std::unique_ptr<RaceTable> table;
    AutoVoteSchedule schedule;
    TickView view;
    std::set<std::string> oddsMissing, busySeconds;
    std::vector<std::pair<std::size_t, std::string>> voted;
    std::map<std::size_t, std::pair<GiveUpReason, std::string>> givenUp;
};

TEST_F(AutoVoteDay, EachTargetIsVotedOnceAtItsVoteTime) {
    runDay({2024, 5, 10, 8, 0, 0}, {2024, 5, 10, 23, 0, 0});
    using V = std::vector<std::pair<std::size_t, std::string>>;
    EXPECT_EQ(voted, (V{{0, "095010"}, {1, "102010"}, {2, "105010"}, {3, "203010"}}));
    EXPECT_TRUE(givenUp.empty());
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(schedule.state(i), AutoVoteSchedule::State::Voted);
}

TEST_F(AutoVoteDay, ABusySecondDelaysTheVoteInsteadOfLosingIt) {
    busySeconds = {"095010", "095011", "095012"};
    runDay({2024, 5, 10, 9, 40, 0}, {2024, 5, 10, 9, 59, 59});
    ASSERT_EQ(voted.size(), 1u);
    EXPECT_EQ(voted[0].second, "095013");
}

TEST_F(AutoVoteDay, ARaceWithoutOddsIsGivenUpAtItsPostAndSaysWhy) {
    oddsMissing = {"02"};
    runDay({2024, 5, 10, 9, 0, 0}, {2024, 5, 10, 11, 0, 0});
    ASSERT_EQ(voted.size(), 2u);
    EXPECT_EQ(voted[1].first, 2u);
    ASSERT_EQ(givenUp.count(1), 1u);
    EXPECT_EQ(givenUp[1], std::make_pair(GiveUpReason::OddsNeverFetched, std::string("103000")));
    EXPECT_EQ(toUtf8(givenUpLogLine(schedule.targets()[1], givenUp[1].first, "10:30:00")),
              "[エラー]10:30:00  自動投票見送り：大井 2R オッズが取得されないまま発走時刻になりました。");
}

TEST_F(AutoVoteDay, OddsArrivingLateAreStillVotedBeforeThePost) {
    oddsMissing = {"01"};
    runDay({2024, 5, 10, 9, 0, 0}, {2024, 5, 10, 9, 55, 0});
    EXPECT_TRUE(voted.empty());
    oddsMissing.clear();
    runDay({2024, 5, 10, 9, 55, 1}, {2024, 5, 10, 9, 55, 1});
    ASSERT_EQ(voted.size(), 1u);
    EXPECT_EQ(voted[0].second, "095501");
}

TEST_F(AutoVoteDay, NothingHappensBeforeNineOrAfterTheLatestPost) {
    // A race whose vote time falls before 09:00 waits until 09:00.
    table = tableOf({{.race = 1, .post = "0905"}, {.race = 2, .post = "2045"}});
    schedule.arm(kToday, chooseTargets(*table, {}));
    runDay({2024, 5, 10, 8, 0, 0}, {2024, 5, 10, 8, 59, 59});
    EXPECT_TRUE(voted.empty());
    runDay({2024, 5, 10, 9, 0, 0}, {2024, 5, 10, 9, 0, 0});
    ASSERT_EQ(voted.size(), 1u);
    // Race 2 posts after the latest post time of the view: the tick has stopped by its vote time.
    view.latestPostTime = "2030";
    runDay({2024, 5, 10, 20, 31, 0}, {2024, 5, 10, 23, 0, 0});
    EXPECT_EQ(voted.size(), 1u);
    EXPECT_TRUE(givenUp.empty());
}

TEST_F(AutoVoteDay, AnotherDayShownStopsTheTick) {
    view.shownDayStamp = sj("2024年05月09日");
    runDay({2024, 5, 10, 9, 0, 0}, {2024, 5, 10, 11, 0, 0});
    EXPECT_TRUE(voted.empty());
    view.shownDayStamp = kToday;
    runDay({2024, 5, 11, 9, 0, 0}, {2024, 5, 11, 11, 0, 0});  // the day is no longer today
    EXPECT_TRUE(voted.empty());
}

TEST_F(AutoVoteDay, ARaceAlreadyPostedWhenVotingStartsIsSaidSo) {
    oddsMissing = {"01", "02"};
    runDay({2024, 5, 10, 10, 15, 0}, {2024, 5, 10, 10, 30, 0});
    EXPECT_EQ(givenUp[0].first, GiveUpReason::PostedBeforeStart);
    EXPECT_EQ(givenUp[1].first, GiveUpReason::OddsNeverFetched);
    EXPECT_EQ(toUtf8(givenUpLogLine(schedule.targets()[0], givenUp[0].first, "10:15:00")),
              "[エラー]10:15:00  自動投票見送り：大井 1R 自動投票が動く前に発走時刻を過ぎていました。");
}

TEST_F(AutoVoteDay, AFailedVoteIsGivenUpNotRepeated) {
    runDay({2024, 5, 10, 9, 49, 0}, {2024, 5, 10, 9, 59, 0}, VoteOutcome::AllBatchesFailed);
    ASSERT_EQ(voted.size(), 1u);
    EXPECT_EQ(givenUp[0].first, GiveUpReason::NothingAccepted);
    EXPECT_EQ(schedule.state(0), AutoVoteSchedule::State::GivenUp);
    EXPECT_EQ(toUtf8(givenUpLogLine(schedule.targets()[0], GiveUpReason::Withheld, "09:50:10")),
              "[エラー]09:50:10  自動投票見送り：大井 1R 投票上限額を超えるため投票しませんでした。");
}

TEST_F(AutoVoteDay, AVoteTooLateForItsPostIsGivenUpAsPassed) {
    // The worker stays busy from the vote time to the post.
    for (int m = 50; m < 60; ++m)
        for (int s = 0; s < 60; ++s) busySeconds.insert("09" + std::to_string(m) + test::two(s));
    runDay({2024, 5, 10, 9, 49, 0}, {2024, 5, 10, 10, 0, 5});
    EXPECT_TRUE(voted.empty());
    EXPECT_EQ(givenUp[0], std::make_pair(GiveUpReason::PostPassed, std::string("100000")));
}

// ---------------------------------------------------------------- automatic marks

TEST(AutoVoteMarks, TheTargetPopularitiesAreMarkedBesideTheUsersMarks) {
    BetPage page;
    BetRace race = test::fixtureRace(8);
    for (int h = 1; h <= 8; ++h) race.winPopularity[static_cast<std::size_t>(h)] = 9 - h;  // horse 8 most popular
    page.selectRace(race);
    page.cardCellClick(kCardMark1, 1);  // the user's own mark stays
    PopularityTargets targets{};
    EXPECT_FALSE(anyPopularity(targets));
    targets[1] = targets[2] = true;
    EXPECT_EQ(markTargetHorses(page, targets), 2);
    std::set<int> marked;
    for (int row = 1; row <= page.card().dataRows(); ++row) {
        const int horse = page.card().horseOfRow(row);
        if (page.card().hasMark(kCardMark1, row)) marked.insert(horse);
        if (horse == 8) {
            EXPECT_EQ(toUtf8(page.card().grid().cell(kCardMark1, row)), "●");
        }
    }
    EXPECT_EQ(marked, (std::set<int>{page.card().horseOfRow(1), 7, 8}));
    // The win list holds the marked horses.
    EXPECT_EQ(page.bets().lines.size(), marked.size());
}

// ---------------------------------------------------------------- spending guard

struct LedgerControl : test::FakeControl {
    int RakutenLogin(const std::string&, const std::string&) override { return calls.push_back("login"), 0; }
    int RakutenLogout() override { return calls.push_back("logout"), 0; }
    int RakutenBet(const std::string&, const std::string& lines, int, int& amount, int& remaining, int& limit,
                   std::string& result) override {
        calls.push_back("bet");
        amount = static_cast<int>(strictNumber(std::string_view(lines).substr(83, 5)).value_or(0) * 100);
        bought += amount;
        remaining = 100;
        limit = 50000;
        result = "OK";
        return 0;
    }
    int RakutenZandaka(int& limit, int& boughtToday, int& paid, int& remaining, const std::string&) override {
        calls.push_back("balance");
        limit = 50000;
        boughtToday = bought;
        paid = remaining = 0;
        return balanceCode;
    }
    int RakutenDeposit() override { return 0; }
    int bought = 0, balanceCode = 0;
    std::vector<std::string> calls;
};

class SpendingGuard : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(DateTime{2024, 1, 15, 9, 30, 0});
        std::filesystem::create_directories(home.path() / "kaime");
    }
    void TearDown() override { setClock(std::nullopt); }
    VotePlan planOf(long long stakeYen) {
        BetList list;
        list.kind = BetKind::Win;
        BetLine line;
        line.number = 1;
        line.numbers = {3, 0, 0};
        line.stake = stakeYen;
        list.lines.push_back(line);
        VoteContext ctx = context();
        return planVoteRace(list, test::fixtureRace(8), ctx);
    }
    VoteContext context() { return VoteContext{control, reporter, log, home.path() / "kaime", true, false}; }
    // Every vote reads the limits from the settings it was made with.
    VoteResult guarded(const VotePlan& plan, VoteContext& ctx, SpendingLimits limits) {
        writeSpendingLimits(settingsFile, limits);
        ctx.settings = &settingsFile;
        return submitVote(plan, ctx);
    }
    std::string lastLog() const { return toUtf8(log.lines().back()); }

    Settings settingsFile;

    test::TempHome home;
    LedgerControl control;
    test::RecordingReporter reporter;
    VotingLog log;
};

TEST_F(SpendingGuard, WithoutLimitsTheVoteGoesAsBefore) {
    VoteContext ctx = context();
    EXPECT_EQ(guarded(planOf(3000), ctx, {}).outcome, VoteOutcome::Voted);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"login", "bet", "logout"}));
}

TEST_F(SpendingGuard, TheRaceLimitStopsTheVoteBeforeTheLogin) {
    VoteContext ctx = context();
    EXPECT_EQ(guarded(planOf(3000), ctx, {0, 3000}).outcome, VoteOutcome::Voted);
    control.calls.clear();
    VoteContext next = context();
    EXPECT_EQ(guarded(planOf(3100), next, {0, 3000}).outcome, VoteOutcome::Withheld);
    EXPECT_TRUE(control.calls.empty());
    EXPECT_EQ(lastLog(), "[エラー]09:30:00  投票見送り：1レースの上限額を超えます。(今回:3,100円 > 上限:3,000円)");
}

TEST_F(SpendingGuard, TheDayLimitCountsEveryPurchaseOfTheDay) {
    control.bought = 6000;  // bought earlier today, by hand
    VoteContext ctx = context();
    EXPECT_EQ(guarded(planOf(4000), ctx, {10000, 0}).outcome, VoteOutcome::Voted);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"login", "balance", "bet", "logout"}));
    control.calls.clear();
    VoteContext next = context();
    const VoteResult r = guarded(planOf(100), next, {10000, 0});
    EXPECT_EQ(r.outcome, VoteOutcome::Withheld);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"login", "balance", "logout"}));
    EXPECT_EQ(lastLog(),
              "[エラー]09:30:00  投票見送り：1日の上限額を超えます。(本日購入済:10,000円 + 今回:100円 > 上限:10,000円)");
    EXPECT_FALSE(next.loggedIn);
}

TEST_F(SpendingGuard, AnUnansweredBalanceSendsNothing) {
    control.balanceCode = -5;
    VoteContext ctx = context();
    EXPECT_EQ(guarded(planOf(100), ctx, {10000, 0}).outcome, VoteOutcome::Withheld);
    EXPECT_EQ(control.calls, (std::vector<std::string>{"login", "balance", "logout"}));
    EXPECT_EQ(lastLog(), "[エラー]09:30:00  投票見送り：本日の購入金額を確認できません。(エラー:-5)");
}

TEST_F(SpendingGuard, LimitsAreKeptInTheSettingsAndNegativeReadsAsNone) {
    Settings ini;
    writeSpendingLimits(ini, {20000, 3000});
    EXPECT_EQ(readSpendingLimits(ini).perDay, 20000);
    EXPECT_EQ(readSpendingLimits(ini).perRace, 3000);
    ini.writeInteger("AutoTohyo", "DayLimit", -5);
    EXPECT_EQ(readSpendingLimits(ini).perDay, 0);
}

}  // namespace
}  // namespace vex

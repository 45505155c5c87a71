// Vote submission against a recording stand-in of the control.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "../betting/race_fixture.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "betting/bet_list.h"
#include "support/fake_control.h"
#include "support/test_support.h"
#include "voting/bet_lines.h"
#include "voting/vote.h"

namespace vex {
namespace {

struct RecordingControl : test::FakeControl {
    int RakutenLogin(const std::string& user, const std::string& password) override {
        calls.push_back("login[" + user + "|" + password + "]");
        return loginCode;
    }
    int RakutenLogout() override {
        calls.push_back("logout");
        return logoutCode;
    }
    int RakutenBet(const std::string& pin, const std::string& lines, int mode, int& amount, int& remaining, int& limit,
                   std::string& result) override {
        const int b = static_cast<int>(batches.size());
        batches.push_back(lines);
        calls.push_back("bet[" + pin + "|" + std::to_string(mode) + "]");
        amount = static_cast<int>(lines.size() / 90) * 100;
        remaining = 500 - b;
        limit = 100000;
        result = "OK" + std::to_string(b);
        return b < static_cast<int>(betCodes.size()) ? betCodes[b] : 0;
    }
    int RakutenZandaka(int&, int&, int&, int&, const std::string&) override { return 0; }
    int RakutenDeposit() override { return 0; }

    int loginCode = 0, logoutCode = 0;
    std::vector<int> betCodes;
    std::vector<std::string> batches, calls;
};

// A bet list of `n` 3連単 lines, 100 yen each.
BetList trifectaList(int n) {
    BetList list{BetKind::Trifecta};
    for (int a = 1; a <= 18; ++a)
        for (int b = 1; b <= 18; ++b)
            for (int c = 1; c <= 18; ++c) {
                if (a == b || b == c || a == c || static_cast<int>(list.lines.size()) == n) continue;
                BetLine line;
                line.number = static_cast<int>(list.lines.size()) + 1;
                line.numbers = {a, b, c};
                line.stake = 100;
                list.lines.push_back(line);
            }
    return list;
}

class Vote : public ::testing::Test {
protected:
    void SetUp() override {
        setClock(DateTime{2024, 1, 15, 9, 30, 0});
        std::filesystem::create_directories(home.path() / "kaime");
        race = test::fixtureRace(18);
    }
    void TearDown() override { setClock(std::nullopt); }
    VoteContext context(bool automatic) {
        return VoteContext{control, reporter, log, home.path() / "kaime", automatic, false};
    }
    std::vector<std::string> utf8Log(std::size_t from = 0) const {
        std::vector<std::string> out;
        for (std::size_t i = from; i < log.lines().size(); ++i) out.push_back(toUtf8(log.lines()[i]));
        return out;
    }

    test::TempHome home;
    RecordingControl control;
    test::RecordingReporter reporter;
    VotingLog log;
    BetRace race;
};

TEST_F(Vote, BetLinesEncodeNumbersStakeAndHeader) {
    auto line = voteLine(race, BetKind::Trifecta, {3, 12, 7}, 500);
    ASSERT_TRUE(line);
    ASSERT_EQ(line->size(), 90u);
    EXPECT_EQ(line->substr(0, 11), "00115441190");
    EXPECT_EQ(line->find('1', 11), 13u);  // position 14
    EXPECT_EQ(line->substr(35, 24).find('1'), 11u);  // position 47
    EXPECT_EQ(line->substr(59, 24).find('1'), 6u);   // position 66
    EXPECT_EQ(line->substr(83), "0000500");
    auto win = voteLine(race, BetKind::Win, {5, 0, 0}, 1200);
    EXPECT_EQ(win->substr(35, 48), std::string(48, '0'));
    EXPECT_EQ((*win)[9], '1');
    EXPECT_EQ(win->substr(83, 5), "00012");
    EXPECT_EQ((*voteLine(race, BetKind::BracketExacta, {8, 8, 0}, 100))[9], '4');
    EXPECT_TRUE(voteLine(race, BetKind::Win, {5, 0, 0}, 9999900));
    EXPECT_FALSE(voteLine(race, BetKind::Win, {5, 0, 0}, 10000000));
    EXPECT_EQ(toUtf8(raceTitle(race, BetKind::Trifecta)), "0115大井11R:３連単");
    EXPECT_EQ(betFileName(race), "240115.nbet");
    EXPECT_EQ(betFileFolder(nullptr), home.path() / "kaime");
}

TEST_F(Vote, BatchesOfOneHundredTwenty) {
    for (auto [lines, expected] : {std::pair{240, std::vector<int>{120, 120}}, {121, {120, 1}}, {120, {120}}}) {
        RecordingControl c;
        VoteContext ctx{c, reporter, log, home.path() / "kaime", true, false};
        const BetList list = trifectaList(lines);
        const VoteResult r = voteRace(list, race, ctx);
        EXPECT_EQ(r.outcome, VoteOutcome::Voted);
        std::vector<int> sizes;
        for (const auto& b : c.batches) sizes.push_back(static_cast<int>(b.size() / 90));
        EXPECT_EQ(sizes, expected);
        EXPECT_EQ(c.calls.front(), "login[|]");
        EXPECT_EQ(c.calls.back(), "logout");
        EXPECT_EQ(c.calls[1], "bet[|1]");
        EXPECT_EQ(readLines(r.betFile).size(), static_cast<std::size_t>(lines));
    }
    EXPECT_TRUE(reporter.informations.empty());  // automatic mode shows nothing
}

TEST_F(Vote, ManualVoteLogsTheExactBlockAndCountsTheAcceptedBatch) {
    auto ctx = context(false);
    BetList list = trifectaList(3);
    list.lines[1].erased = true;
    const VoteResult r = voteRace(list, race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Voted);
    EXPECT_EQ(r.accepted, 1);
    ASSERT_EQ(reporter.questions.size(), 1u);
    EXPECT_EQ(reporter.questions[0],
              "[大井11R:３連単]に投票します。実行してよろしいですか？\n\n開催日：2024年01月15日\nレース：大井11R\n"
              "馬券種：３連単\n買い点数：2点\n合計金額：200円");
    ASSERT_EQ(reporter.informations.size(), 1u);
    EXPECT_EQ(reporter.informations[0],
              "投票しました。\r\n購入金額　:     200\r\n残投票件数:     500\r\n購入限度額:  100000\r\n"
              "投票内容の確認は楽天競馬サイトにログインしてください。");
    const std::string l1 = *voteLine(race, BetKind::Trifecta, list.lines[0].numbers, 100);
    const std::string l3 = *voteLine(race, BetKind::Trifecta, list.lines[2].numbers, 100);
    EXPECT_EQ(utf8Log(), (std::vector<std::string>{"[投票　] ■投票開始 09:30:00", "[投票　] ■買い目:0投票成功 09:30:00",
                                                    "0115大井11R:３連単", "-BetStart--------------", l1 + l3, "---",
                                                    "購入金額　:     200", "残投票件数:     500", "購入限度額:  100000",
                                                    "投票結果　:OK0", "-BetEnd----------------"}));
    // The file on disk holds the same lines.
    EXPECT_EQ(readLines(home.path() / "VovoVaro.log").size(), 11u);
    EXPECT_EQ(readLines(r.betFile), (std::vector<std::string>{l1, l3}));
    EXPECT_FALSE(ctx.loggedIn);
}

TEST_F(Vote, FailedBatchIsLoggedAndTheNextStillSent) {
    control.betCodes = {-203, 0};
    auto ctx = context(false);
    const VoteResult r = voteRace(trifectaList(240), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::PartlyVoted);
    EXPECT_EQ(control.batches.size(), 2u);
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(r.failed, 1);
    EXPECT_EQ(reporter.beeps, 1);
    EXPECT_EQ(reporter.informations.at(0), "買い目:0投票時にエラーが発生しました。(エラーコード:-203)");
    const auto lines = utf8Log();
    EXPECT_EQ(lines.at(1), "[エラー]09:30:00  買い目:0投票失敗：(エラー:-203)");
    EXPECT_EQ(lines.at(2), "[投票　] ■買い目:1投票成功 09:30:00");
}

// The message names what the site's code means; the log keeps the code alone, as it always has.
TEST_F(Vote, ErrorMessagesGiveTheMeaningOfTheSitesCode) {
    control.betCodes = {-803};
    auto ctx = context(false);
    EXPECT_EQ(voteRace(trifectaList(2), race, ctx).outcome, VoteOutcome::AllBatchesFailed);
    EXPECT_EQ(reporter.informations.at(0), "買い目:0投票時にエラーが発生しました。(エラーコード:-803 購入限度額オーバー)");
    EXPECT_EQ(utf8Log().at(1), "[エラー]09:30:00  買い目:0投票失敗：(エラー:-803)");
    control.loginCode = -5;
    voteRace(trifectaList(2), race, ctx);
    EXPECT_EQ(reporter.informations.back(), "楽天競馬にログインできませんでした。(エラーコード:-5 ログインまたはログアウトに失敗)");
    control.loginCode = 0;
    control.logoutCode = 1;  // above 0: no table lists it
    control.betCodes.clear();
    voteRace(trifectaList(2), race, ctx);
    EXPECT_EQ(reporter.informations.back(), "楽天競馬ログアウト時にエラーが発生しました。(エラーコード:1)");
}

TEST_F(Vote, EveryBatchFailingIsNeverReportedAsSuccess) {
    control.betCodes = {-1, -2};
    auto ctx = context(true);
    const VoteResult r = voteRace(trifectaList(121), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::AllBatchesFailed);
    EXPECT_EQ(r.accepted, 0);
    const auto lines = utf8Log();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "[エラー]09:30:00  買い目:1投票失敗：(エラー:-2)");
    EXPECT_EQ(lines[3], "[エラー]09:30:00  投票失敗：受け付けられた買い目はありません。");
    EXPECT_EQ(control.calls.back(), "logout");
}

TEST_F(Vote, LoginFailureLogoutErrorAndDecline) {
    control.loginCode = 5;
    auto ctx = context(false);
    VoteResult r = voteRace(trifectaList(2), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::LoginFailed);
    EXPECT_EQ(control.calls, std::vector<std::string>{"login[|]"});  // no logout
    EXPECT_EQ(readLines(r.betFile).size(), 2u);                       // written before the login
    EXPECT_EQ(reporter.informations.back(), "楽天競馬にログインできませんでした。(エラーコード:5)");
    EXPECT_EQ(utf8Log().back(), "[エラー]09:30:00  ログイン失敗：(エラー:5)");

    control.loginCode = 0;
    control.logoutCode = 1;
    r = voteRace(trifectaList(2), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Voted);
    EXPECT_EQ(utf8Log().back(), "[エラー]09:30:00  ログアウト失敗：(エラー:1)");
    EXPECT_FALSE(ctx.loggedIn);

    const std::size_t before = log.lines().size();
    reporter.answers = {false};
    r = voteRace(trifectaList(2), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Declined);
    EXPECT_EQ(log.lines().size(), before);
}

TEST_F(Vote, AllErasedWritesStartLineAndEmptyFile) {
    auto ctx = context(false);
    BetList list = trifectaList(2);
    list.lines[0].erased = list.lines[1].erased = true;
    const VoteResult r = voteRace(list, race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::NoLines);
    EXPECT_TRUE(control.calls.empty());
    EXPECT_EQ(reporter.informations.back(), "投票可能な有効馬券がないようです。");
    EXPECT_EQ(utf8Log(), (std::vector<std::string>{"[投票　] ■投票開始 09:30:00", "[エラー]09:30:00  投票不可能："}));
    EXPECT_TRUE(std::filesystem::exists(r.betFile));
    EXPECT_EQ(readFileBytes(r.betFile), "");
}

TEST_F(Vote, StakeTooLargeForTheLineIsRefusedBeforeAnything) {
    auto ctx = context(false);
    BetList list = trifectaList(2);
    list.lines[1].stake = 10000000;
    const VoteResult r = voteRace(list, race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Refused);
    EXPECT_TRUE(control.calls.empty());
    EXPECT_TRUE(reporter.questions.empty());
    EXPECT_TRUE(log.lines().empty());
    EXPECT_FALSE(std::filesystem::exists(home.path() / "kaime" / "240115.nbet"));
    EXPECT_EQ(reporter.informations.at(0), "1点あたりの購入額が9,999,900円を超える買い目があります。投票できません。");
}

TEST_F(Vote, CommandChecksInOrderWithManualAndAutomaticTexts) {
    const BetList list = trifectaList(2);
    const std::string today = dayStampOf(2024, 1, 15);
    struct Case {
        std::string day;
        bool haveRace;
        std::string post;
        bool emptyList;
        std::string message, logText;
    } cases[] = {
        {"", true, "1630", false, "開催日ﾃﾞｰﾀを読み込んでください。", " 開催日が読み込まれていません。"},
        {today, false, "1630", false, "レースデータを読み込んでください。", " レースが読み込まれていません。"},
        {dayStampOf(2024, 1, 17), true, "1630", false, "本日(または翌日)のデータが読み込まれていません。",
         " 本日のデータが読み込まれていません。"},
        {today, true, "0929", false, "発走時刻を過ぎました。", " 発走時刻を過ぎています。"},
        {today, true, "1630", true, "買い目が作成されていません。", " 買い目が作成されていません。"},
    };
    for (const Case& c : cases) {
        for (bool automatic : {false, true}) {
            test::RecordingReporter rep;
            std::filesystem::remove(home.path() / "check.log");  // each case reads its own lines only
            VotingLog l(home.path() / "check.log");
            VoteContext ctx{control, rep, l, home.path() / "kaime", automatic, false};
            BetRace r = race;
            r.postTime = c.post;
            const BetList empty{BetKind::Trifecta};
            VoteRequest req{c.day, c.haveRace ? &r : nullptr, c.emptyList ? &empty : &list};
            EXPECT_EQ(voteCommand(req, ctx).outcome, VoteOutcome::Refused);
            EXPECT_EQ(rep.beeps, 1);
            if (automatic) {
                EXPECT_TRUE(rep.informations.empty());
                ASSERT_EQ(l.lines().size(), 1u);
                EXPECT_EQ(toUtf8(l.lines()[0]), "[エラー]09:30:00" + c.logText);
            } else {
                EXPECT_EQ(rep.informations, std::vector<std::string>{c.message});
                EXPECT_TRUE(l.lines().empty());
            }
        }
    }
    EXPECT_TRUE(control.calls.empty());
    // The post minute itself may be voted, and a day loaded for tomorrow too.
    auto ctx = context(true);
    BetRace r = race;
    r.postTime = "0930";
    VoteRequest req{today, &r, &list};
    EXPECT_EQ(voteCommand(req, ctx).outcome, VoteOutcome::Voted);
    r.monthDay = "0116";
    req.dayStamp = dayStampOf(2024, 1, 16);
    EXPECT_EQ(voteCommand(req, ctx).outcome, VoteOutcome::Voted);
}

// The window asks before the worker sends: the plan holds all the submission reads, and neither
// part asks anything.
TEST_F(Vote, PlanOnTheWindowThreadThenSubmitAsksNothing) {
    auto ctx = context(false);
    BetRace shown = race;
    shown.postTime = "1630";
    BetList list = trifectaList(2);
    const VotePlan plan = planVote({dayStampOf(2024, 1, 15), &shown, &list, 200}, ctx);
    ASSERT_TRUE(plan.ready);
    EXPECT_TRUE(toUtf8(plan.question).starts_with("[大井11R:３連単]に投票します。実行してよろしいですか？\n"));
    EXPECT_EQ(plan.lines.size(), 2u);
    // The window moves on to another race and list: the plan is unaffected.
    shown.monthDay = "0116";
    list.lines[0].stake = 9900;
    const VoteResult r = submitVote(plan, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Voted);
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(r.betFile.filename(), "240115.nbet");
    EXPECT_EQ(control.batches, std::vector<std::string>{plan.lines[0] + plan.lines[1]});
    EXPECT_TRUE(reporter.questions.empty());
}

// The question names what the vote buys, from the lines it sends: erased and unstaked lines are
// not counted, and the total is grouped by thousands.
TEST_F(Vote, QuestionNamesTheLinesAndTheTotalThatWillBeSent) {
    auto ctx = context(false);
    BetList list = trifectaList(4);
    list.lines[0].stake = 1234500;
    list.lines[1].erased = true;
    list.lines[2].stake = 0;
    const VotePlan plan = planVoteRace(list, race, ctx);
    ASSERT_TRUE(plan.ready);
    EXPECT_EQ(planTotal(plan), 1234600);
    const std::string q = toUtf8(plan.question);
    EXPECT_NE(q.find("\n買い点数：2点\n"), std::string::npos) << q;
    EXPECT_TRUE(q.ends_with("\n合計金額：1,234,600円")) << q;
    EXPECT_EQ(toUtf8(yenText(100)), "100円");
    EXPECT_EQ(toUtf8(yenText(100000000)), "100,000,000円");
}

// The split may buy more than was typed; the question says so before anything is bought.
TEST_F(Vote, QuestionSaysWhenTheTotalIsAboveTheTypedAmount) {
    auto ctx = context(false);
    BetRace shown = race;
    shown.postTime = "1630";
    BetList list = trifectaList(3);
    for (BetLine& line : list.lines) line.stake = 3000;
    const VotePlan above = planVote({dayStampOf(2024, 1, 15), &shown, &list, 3000}, ctx);
    ASSERT_TRUE(above.ready);
    EXPECT_TRUE(toUtf8(above.question).ends_with("\n合計金額：9,000円\n\n※合計金額が入力投票金額（3,000円）を6,000円上回っています。"))
        << toUtf8(above.question);
    // At the amount, or without one (automatic voting), the question ends with the total.
    for (long long amount : {9000LL, -1LL}) {
        const VotePlan plan = planVote({dayStampOf(2024, 1, 15), &shown, &list, amount}, ctx);
        EXPECT_TRUE(toUtf8(plan.question).ends_with("\n合計金額：9,000円")) << amount;
    }
}

TEST_F(Vote, TotalAboveTheThresholdIsAskedTwiceAndTheSecondNoSendsNothing) {
    auto ctx = context(false);
    ctx.secondConfirmAbove = 10000;
    BetList list = trifectaList(2);
    list.lines[0].stake = 10000;  // 10,100 in all
    reporter.answers = {true, false};
    EXPECT_EQ(voteRace(list, race, ctx).outcome, VoteOutcome::Declined);
    ASSERT_EQ(reporter.questions.size(), 2u);
    EXPECT_EQ(reporter.questions[1], "投票金額の合計は10,100円です（確認する金額：10,000円を超えています）。\n"
                                     "この金額で投票してよろしいですか？");
    EXPECT_TRUE(control.calls.empty());

    // At the threshold itself one question is enough; a first No never reaches the second.
    reporter.questions.clear();
    list.lines[0].stake = 9900;
    reporter.answers = {true};
    EXPECT_EQ(voteRace(list, race, ctx).outcome, VoteOutcome::Voted);
    EXPECT_EQ(reporter.questions.size(), 1u);
    reporter.questions.clear();
    list.lines[0].stake = 50000;
    reporter.answers = {false};
    EXPECT_EQ(voteRace(list, race, ctx).outcome, VoteOutcome::Declined);
    EXPECT_EQ(reporter.questions.size(), 1u);
}

TEST_F(Vote, AmountBelowOneHundredIsRefusedBeforeTheList) {
    const BetList list = trifectaList(2);
    for (bool automatic : {false, true}) {
        test::RecordingReporter rep;
        VotingLog l(home.path() / "amount.log");
        VoteContext ctx{control, rep, l, home.path() / "kaime", automatic, false};
        VotePlan plan = planVote({dayStampOf(2024, 1, 15), &race, &list, 50}, ctx);
        EXPECT_FALSE(plan.ready);
        EXPECT_EQ(submitVote(plan, ctx).outcome, VoteOutcome::Refused);
        EXPECT_EQ(rep.beeps, 1);
        if (automatic) {
            EXPECT_EQ(toUtf8(l.lines().at(0)), "[エラー]09:30:00 投票金額が100円未満です。");
        } else {
            EXPECT_EQ(rep.informations, std::vector<std::string>{"投票金額は100円以上を入力してください。"});
        }
    }
    EXPECT_TRUE(control.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(home.path() / "kaime" / "240115.nbet"));
    // 100 yen, and no amount given, pass.
    auto ctx = context(true);
    EXPECT_TRUE(planVote({dayStampOf(2024, 1, 15), &race, &list, 100}, ctx).ready);
    EXPECT_TRUE(planVote({dayStampOf(2024, 1, 15), &race, &list}, ctx).ready);
}

TEST_F(Vote, VotingLogKeepsTheLastHundredFromStart) {
    std::vector<std::string> old;
    for (int i = 0; i < 150; ++i) old.push_back("line " + std::to_string(i));
    writeLinesAtomic(home.path() / "VovoVaro.log", old);
    VotingLog l;
    l.load();
    ASSERT_EQ(l.lines().size(), 100u);
    EXPECT_EQ(l.lines().front(), "line 50");
    EXPECT_EQ(readLines(home.path() / "VovoVaro.log").size(), 150u);  // untouched until an entry
    l.add("new");
    const auto onDisk = readLines(home.path() / "VovoVaro.log");
    EXPECT_EQ(onDisk.size(), 101u);
    EXPECT_EQ(onDisk.back(), "new");
}

TEST_F(Vote, AnAcceptedVoteIsNeverReportedFailedWhenItsLogCannotBeWritten) {
    // The start line is written, then the disk is full: both batches are still sent, the logout
    // still runs, and the log's failure comes after the vote's own result.
    for (bool automatic : {false, true}) {
        SCOPED_TRACE(automatic ? "automatic" : "manual");
        control.calls.clear();
        control.batches.clear();
        reporter.informations.clear();
        VotingLog full;
        ASSERT_TRUE(setFileFaults("write:VovoVaro.log@1"));
        VoteContext ctx{control, reporter, full, home.path() / "kaime", automatic, false};
        const VoteResult r = voteRace(trifectaList(240), race, ctx);
        setFileFaults("");
        EXPECT_EQ(r.outcome, VoteOutcome::Voted);
        EXPECT_EQ(r.accepted, 2);
        EXPECT_EQ(control.batches.size(), 2u);
        ASSERT_FALSE(control.calls.empty());
        EXPECT_EQ(control.calls.back(), "logout");
        EXPECT_FALSE(ctx.loggedIn);
        EXPECT_NE(toUtf8(r.logError).find("VovoVaro.log"), std::string::npos) << toUtf8(r.logError);
        // What the site answered is still there to be shown, though the file could not take it.
        EXPECT_NE(toUtf8(full.added().back()), "");
        EXPECT_EQ(toUtf8(full.added().back()), "-BetEnd----------------");
        if (automatic) {
            EXPECT_TRUE(reporter.informations.empty());
        } else {
            ASSERT_EQ(reporter.informations.size(), 3u);
            EXPECT_EQ(reporter.informations[0].rfind("投票しました。", 0), 0u);
            EXPECT_EQ(reporter.informations[1].rfind("投票しました。", 0), 0u);
            EXPECT_EQ(reporter.informations[2], toUtf8(r.logError));
        }
    }
}

TEST_F(Vote, EveryBlockTheLogOpensEndsWithItsOutcome) {
    const auto lastLine = [&] { return toUtf8(readLines(home.path() / "VovoVaro.log").back()); };
    // Manual mode too: the user saw a message box, the log still says how the vote ended.
    std::filesystem::remove_all(home.path() / "kaime");
    auto manual = context(false);
    EXPECT_EQ(voteRace(trifectaList(2), race, manual).outcome, VoteOutcome::FileFailed);
    EXPECT_NE(lastLine().find("投票不可能：買い目ファイルを書き込めませんでした。"), std::string::npos) << lastLine();
    std::filesystem::create_directories(home.path() / "kaime");

    // Another vote holds the account past the wait: nothing is sent, and the block says why.
    {
        FileLock otherVote(home.path() / "BettingAccount");
        auto ctx = context(true);
        EXPECT_EQ(voteRace(trifectaList(2), race, ctx).outcome, VoteOutcome::Busy);
    }
    EXPECT_NE(lastLine().find("投票不可能：他の投票が終わりません。"), std::string::npos) << lastLine();
    EXPECT_TRUE(control.calls.empty());

    // A stop asked for during the first batch: that batch is logged, the second is not sent,
    // and the session is closed.
    auto ctx = context(true);
    ctx.stopRequested = [this] { return !control.batches.empty(); };
    const VoteResult r = voteRace(trifectaList(240), race, ctx);
    EXPECT_EQ(r.outcome, VoteOutcome::Stopped);
    EXPECT_EQ(r.accepted, 1);
    EXPECT_EQ(control.batches.size(), 1u);
    EXPECT_EQ(control.calls.back(), "logout");
    const auto lines = utf8Log();
    EXPECT_EQ(lines.end()[-2], "-BetEnd----------------");
    EXPECT_NE(lines.back().find("投票中断：買い目:1から後は送っていません。(受付済み 1/2)"), std::string::npos)
        << lines.back();
}

TEST_F(Vote, AVotingLogThatCannotBeReadIsNeverReplaced) {
    writeLinesAtomic(home.path() / "VovoVaro.log", {"earlier vote"});
    ASSERT_TRUE(setFileFaults("read:VovoVaro.log"));
    auto ctx = context(true);
    // The first line goes before anything is sent: the vote stops there, nothing bought.
    EXPECT_THROW(voteRace(trifectaList(2), race, ctx), FileReadError);
    EXPECT_THROW(log.load(), FileReadError);
    setFileFaults("");
    EXPECT_TRUE(control.calls.empty());
    EXPECT_EQ(readLines(home.path() / "VovoVaro.log"), std::vector<std::string>{"earlier vote"});
}

TEST_F(Vote, PostTimeCountdown) {
    EXPECT_EQ(postTimeCountdown(nullptr), "");
    EXPECT_EQ(toUtf8(postTimeCountdown(&race)), "発走までの残り時間：07:00:00");
    setClock(DateTime{2024, 1, 15, 16, 29, 58});
    EXPECT_EQ(toUtf8(postTimeCountdown(&race)), "発走までの残り時間：00:00:02");
    setClock(DateTime{2024, 1, 15, 16, 30, 1});
    EXPECT_EQ(toUtf8(postTimeCountdown(&race)), "発走済み");
    setClock(DateTime{2024, 1, 14, 15, 0, 0});  // more than a day ahead wraps around
    EXPECT_EQ(toUtf8(postTimeCountdown(&race)), "発走までの残り時間：01:30:00");
}

}  // namespace
}  // namespace vex

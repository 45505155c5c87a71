// vexmora-cli vote against the control's betting account, through feed replay of a hand-built
// store (the account takes its race facts from the feed's records).
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <set>
#include <regex>
#include <sstream>

#include "../betting/bet_store.h"
#include "../betting/expected_bets.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "app/file_read.h"
#include "control/betting_account.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

std::vector<std::string> outputLines(const std::string& out) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Times run on from VEXMORA_NOW; they are checked by form.
std::string masked(std::string line) {
    return std::regex_replace(line, std::regex("1[0-9]:[0-5][0-9]:[0-5][0-9]"), "hh:nn:ss");
}

// The bet lines of a 3連単 list in combination order, computed here.
std::vector<std::string> expectedBetLines(const test::Marks& marks, const std::array<bool, 4>& multi, int method) {
    const test::Expected list = test::expectedList(BetKind::Trifecta, method, multi, marks, test::kStoreRunners);
    std::vector<std::string> lines;
    for (int k : list.indexes) {
        const Combination c = CombinationAt(BetKind::Trifecta, k);
        std::string l = "00115441190" + std::string(79, '0');
        l[10 + c.a] = l[34 + c.b] = l[58 + c.c] = '1';
        l.replace(83, 5, "00001");
        lines.push_back(l);
    }
    return lines;
}

class CliVote : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeBetStore();
        test::writeFeedDiff(home.path() / "feed" / "diff" / "20240114120000.txt");
        env = "VEXMORA_SERVICE=feed:" + (home.path() / "feed").string() + " VEXMORA_NOW='2024/01/15 10:00:00'";
    }
    // Bought today on the account, read in-process like the balance window does.
    int boughtToday() {
        setenv("VEXMORA_SERVICE", ("feed:" + (home.path() / "feed").string()).c_str(), 1);
        control::setFaultPlan(control::FaultPlan{});
        setClock(DateTime{2024, 1, 15, 10, 5, 0});
        auto c = createDataControl(nullptr);
        int limit = 0, bought = -1, paid = 0, remaining = 0;
        EXPECT_EQ(c->RakutenLogin("", ""), 0);
        EXPECT_EQ(c->RakutenZandaka(limit, bought, paid, remaining, ""), 0);
        c->RakutenLogout();
        setClock(std::nullopt);
        control::setFaultPlan(std::nullopt);
        unsetenv("VEXMORA_SERVICE");
        return bought;
    }

    test::TempHome home;
    std::string env;
    // 3連単 2軸流し マルチ: 2 x 5 x 4 triples in six orders = 240 lines.
    const test::Marks marks240{{1, 2}, {3, 4, 5, 6, 7}, {8, 9, 10, 11}, {}};
    const std::string args240 =
        "vote 2024年01月15日 2 --kind 7 --method 2 --multi マルチ --mark 8:1,2 --mark 9:3,4,5,6,7 --mark 10:8,9,10,11 "
        "--mode 3 --amount 100";
};

TEST_F(CliVote, TwoHundredFortyLinesGoInTwoBatches) {
    int code = -1;
    const auto out = outputLines(test::runCli(args240, code, env));
    ASSERT_EQ(code, 0) << test::runCli(args240 + " 2>&1", code, env);
    const auto lines = expectedBetLines(marks240, {true, false, false, false}, 2);
    ASSERT_EQ(lines.size(), 240u);
    ASSERT_EQ(out.size(), 21u);
    EXPECT_EQ(masked(out[0]), "[投票　] ■投票開始 hh:nn:ss");
    for (int b = 0; b < 2; ++b) {
        const auto block = std::vector<std::string>(out.begin() + 1 + 10 * b, out.begin() + 11 + 10 * b);
        std::string batch;
        for (int i = 120 * b; i < 120 * (b + 1); ++i) batch += lines[i];
        EXPECT_EQ(masked(block[0]), "[投票　] ■買い目:" + std::to_string(b) + "投票成功 hh:nn:ss");
        EXPECT_EQ(block[1], "0115大井11R:３連単");
        EXPECT_EQ(block[2], "-BetStart--------------");
        EXPECT_EQ(block[3], batch);
        EXPECT_EQ(block[4], "---");
        EXPECT_EQ(block[5], "購入金額　:   12000");
        EXPECT_TRUE(std::regex_match(block[6], std::regex("残投票件数:[ 0-9]{8}"))) << block[6];
        EXPECT_TRUE(std::regex_match(block[7], std::regex("購入限度額:[ 0-9]{8}"))) << block[7];
        EXPECT_EQ(block[8].rfind("投票結果　:", 0), 0u);
        EXPECT_EQ(block[9], "-BetEnd----------------");
    }
    // The log file holds the same lines; the bet file the 240 lines; the account the purchase.
    const auto log = readLines(home.path() / "VovoVaro.log");
    ASSERT_EQ(log.size(), 21u);
    EXPECT_EQ(toUtf8(log[4]), out[4]);
    EXPECT_EQ(readLines(home.path() / "kaime" / "240115.nbet"), lines);
    EXPECT_EQ(boughtToday(), 24000);
}

// Through the bridge the account keeps the same ledger as through the feed replay's own; a bridge
// killed right after carrying out the first batch leaves that batch bought, says so as an unknown
// result, and sends nothing more.
TEST_F(CliVote, ThroughTheBridgeTheSameLedgerAndAKilledBridgeLeavesTheResultUnknown) {
    const std::filesystem::path twin = home.path().string() + "-bridged";
    std::filesystem::copy(home.path(), twin, std::filesystem::copy_options::recursive);
    int code = -1;
    const auto direct = outputLines(test::runCli(args240, code, env));
    ASSERT_EQ(code, 0);
    const std::string bridge = "VEXMORA_HOME='" + twin.string() + "' VEXMORA_NOW='2024/01/15 10:00:00' " +
                               "VEXMORA_SERVICE='bridge:" + VEXMORA_BRIDGE_SIM + " --feed " + (twin / "feed").string();
    const auto bridged = outputLines(test::runCli(args240, code, bridge + "'"));
    ASSERT_EQ(code, 0);
    ASSERT_EQ(bridged.size(), direct.size());
    for (std::size_t i = 0; i < direct.size(); ++i) EXPECT_EQ(masked(bridged[i]), masked(direct[i])) << i;
    EXPECT_EQ(readFile(twin / "ServiceControl.dat").bytes, readFile(home.path() / "ServiceControl.dat").bytes);

    const auto out = outputLines(test::runCli(args240, code, bridge + " --die-after RakutenBet'"));
    const std::string ledger = readFile(twin / "ServiceControl.dat").bytes;
    std::filesystem::remove_all(twin);
    std::size_t bets = 0;
    for (std::size_t at = 0; (at = ledger.find("\nbet=", at)) != std::string::npos; ++at) ++bets;
    EXPECT_EQ(bets, 240u + 120u) << "the first batch stood; the second was never sent, the first never again";
    EXPECT_EQ(code, 3);
    ASSERT_EQ(out.size(), 2u);
    const std::string unknown =
        "[エラー]hh:nn:ss  買い目:0 result unknown: check the account's balance and history before voting again";
    EXPECT_EQ(masked(out[1]), unknown);
}

TEST_F(CliVote, ForcedBatchFailureIsLoggedAndTheNextBatchStillSent) {
    // 2 x 5 x 6 in six orders = 360 lines, three batches; the control fails every bet after the first.
    const std::string args =
        "vote 2024年01月15日 2 --kind 7 --method 2 --multi マルチ --mark 8:1,2 --mark 9:3,4,5,6,7 "
        "--mark 10:8,9,10,11,12,13 --mode 3 --amount 100";
    int code = -1;
    const auto out = outputLines(test::runCli(args, code, env + " VEXMORA_FAULTS='RakutenBet=-799@1'"));
    EXPECT_EQ(code, 0);  // one batch was bought
    ASSERT_EQ(out.size(), 13u);
    EXPECT_EQ(masked(out[1]), "[投票　] ■買い目:0投票成功 hh:nn:ss");
    EXPECT_EQ(masked(out[11]), "[エラー]hh:nn:ss  買い目:1投票失敗：(エラー:-799)");
    EXPECT_EQ(masked(out[12]), "[エラー]hh:nn:ss  買い目:2投票失敗：(エラー:-799)");
    EXPECT_EQ(boughtToday(), 12000);
}

TEST_F(CliVote, FailuresEndWithExitOne) {
    int code = -1;
    // Every batch refused: said plainly, never reported as a vote.
    auto out = outputLines(test::runCli(args240, code, env + " VEXMORA_FAULTS='RakutenBet=-799'"));
    EXPECT_EQ(code, 1);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(masked(out[3]), "[エラー]hh:nn:ss  投票失敗：受け付けられた買い目はありません。");
    // Login failure: the start line, the bet file, the error; no logout.
    out = outputLines(test::runCli(args240, code, env + " VEXMORA_FAULTS='RakutenLogin=-5'"));
    EXPECT_EQ(code, 1);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(masked(out[1]), "[エラー]hh:nn:ss  ログイン失敗：(エラー:-5)");
    // A check refuses: the post has passed.
    const std::string late = "VEXMORA_SERVICE=feed:" + (home.path() / "feed").string() + " VEXMORA_NOW='2024/01/15 16:31:00'";
    out = outputLines(test::runCli(args240, code, late));
    EXPECT_EQ(code, 1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(masked(out[0]), "[エラー]hh:nn:ss 発走時刻を過ぎています。");
    // An amount below 100 yen is a usage error: it never falls back to the default stakes.
    for (const char* amount : {" 0", " 50", " 99"}) {
        const std::string small = args240.substr(0, args240.rfind(' ')) + amount;
        out = outputLines(test::runCli(small, code, env));
        EXPECT_EQ(code, 2) << amount;
        EXPECT_TRUE(out.empty()) << amount;
        outputLines(test::runCli("bets" + small.substr(4), code, env));
        EXPECT_EQ(code, 2) << "bets" << amount;
    }
    EXPECT_EQ(boughtToday(), 0);
}

TEST_F(CliVote, TwoVotesStartedTogetherLoseNothing) {
    // 3連単 1-2-3 and 1-2-4, 100 yen each: 100 votes stay within the account's limit.
    const std::string args =
        "vote 2024年01月15日 2 --kind 7 --method 2 --mark 8:1 --mark 9:2 --mark 10:3,4 --mode 3 --amount 100";
    constexpr int kRounds = 50;
    std::multiset<std::string> loggedReceipts;
    for (int round = 0; round < kRounds; ++round) {
        int codeA = -1, codeB = -1;
        auto a = std::async(std::launch::async, [&] { return test::runCli(args + " 2>&1", codeA, env); });
        auto b = std::async(std::launch::async, [&] { return test::runCli(args + " 2>&1", codeB, env); });
        const std::string outA = a.get(), outB = b.get();
        ASSERT_EQ(codeA, 0) << "round " << round << "\n" << outA;
        ASSERT_EQ(codeB, 0) << "round " << round << "\n" << outB;
        // Both blocks are at the end of the log, in whatever order the runs wrote them.
        const auto log = readLines(home.path() / "VovoVaro.log");
        ASSERT_GE(log.size(), 22u);
        int starts = 0, blocks = 0;
        for (auto it = log.end() - 22; it != log.end(); ++it) {
            const std::string l = toUtf8(*it);
            starts += l.find("■投票開始") != std::string::npos;
            blocks += l.find("投票成功") != std::string::npos;
            if (std::smatch m; std::regex_search(l, m, std::regex("受付番号:([0-9]{6})"))) loggedReceipts.insert(m[1]);
        }
        ASSERT_EQ(starts, 2) << "round " << round;
        ASSERT_EQ(blocks, 2) << "round " << round;
    }
    const control::AccountBook book = control::BettingAccount::readBook(home.path() / "ServiceControl.dat");
    ASSERT_EQ(book.bets.size(), 4u * kRounds);
    std::set<int> receipts;
    for (const auto& [account, bet] : book.bets) receipts.insert(bet.receipt);
    EXPECT_EQ(receipts.size(), 4u * kRounds) << "a receipt number handed out twice";
    EXPECT_EQ(book.accounts[0].bought, 400LL * kRounds);
    EXPECT_EQ(loggedReceipts.size(), 2u * kRounds);
    EXPECT_EQ(std::set<std::string>(loggedReceipts.begin(), loggedReceipts.end()).size(), 2u * kRounds);
}

TEST_F(CliVote, AnAcceptedVoteWhoseLogCannotBeWrittenStillSucceeds) {
    // The start line is written, then the disk is full.
    const std::string full = env + " VEXMORA_FILE_FAULTS='write:VovoVaro.log@1'";
    int code = -1;
    const auto out = outputLines(test::runCli(args240 + " 2>/dev/null", code, full));
    EXPECT_EQ(code, 0);
    ASSERT_EQ(out.size(), 21u) << "every batch is reported from the site's answer";
    EXPECT_EQ(masked(out[1]), "[投票　] ■買い目:0投票成功 hh:nn:ss");
    EXPECT_EQ(masked(out[11]), "[投票　] ■買い目:1投票成功 hh:nn:ss");
    const std::string errors = test::runCli(args240 + " 2>&1 >/dev/null", code, full);
    EXPECT_NE(errors.find("投票ログを書き込めませんでした。"), std::string::npos) << errors;
    EXPECT_NE(errors.find("VovoVaro.log"), std::string::npos) << errors;
    EXPECT_EQ(boughtToday(), 48000);
}

TEST_F(CliVote, AnAccountFileThatCannotBeReadOrIsHeldStopsTheVote) {
    int code = -1;
    ASSERT_EQ((test::runCli(args240, code, env), code), 0);
    const std::filesystem::path account = home.path() / "ServiceControl.dat";
    const std::string before = readFileBytes(account);
    std::string errors =
        test::runCli(args240 + " 2>&1 >/dev/null", code, env + " VEXMORA_FILE_FAULTS='read:ServiceControl.dat'");
    EXPECT_EQ(code, 1);
    EXPECT_NE(errors.find(account.string() + " を読めません"), std::string::npos) << errors;
    EXPECT_EQ(readFileBytes(account), before);

    // Another run holds the account longer than a vote waits: the folder is busy.
    FileUpdate held(account);
    errors = test::runCli(args240 + " 2>&1 >/dev/null", code, env);
    EXPECT_EQ(code, 1);
    EXPECT_NE(errors.find("フォルダ " + home.path().string() + " は他のプログラムが使用中です"), std::string::npos)
        << errors;
    EXPECT_EQ(readFileBytes(account), before);
}

}  // namespace
}  // namespace vex

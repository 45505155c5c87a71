// vexmora-cli vote against the control's betting account, through feed replay of a hand-built
// store (the account takes its race facts from the feed's records).
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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
#include "app/settings.h"
#include "control/betting_account.h"
#include "control/control_factory.h"
#include "control/fault_injection.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"
#include "voting/spending_guard.h"

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

TEST_F(CliVote, AnAccountFileThatCannotBeReadOrIsHeldStopsTheVoteAndClosesItsLogBlock) {
    int code = -1;
    ASSERT_EQ((test::runCli(args240, code, env), code), 0);
    const std::filesystem::path account = home.path() / "ServiceControl.dat";
    const std::string before = readFileBytes(account);
    // The block the vote opened ends with its outcome, which names the file.
    const auto lastLogLine = [&] { return toUtf8(readLines(home.path() / "VovoVaro.log").back()); };
    std::string out =
        test::runCli(args240 + " 2>&1", code, env + " VEXMORA_FILE_FAULTS='read:ServiceControl.dat'");
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find(account.string() + " を読めません"), std::string::npos) << out;
    EXPECT_NE(lastLogLine().find("ログイン失敗：(エラー:-1) " + account.string() + " を読めません"), std::string::npos)
        << lastLogLine();
    EXPECT_EQ(readFileBytes(account), before);

    // Another run holds the account longer than a vote waits: the folder is busy.
    FileUpdate held(account);
    out = test::runCli(args240 + " 2>&1", code, env);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("フォルダ " + home.path().string() + " は他のプログラムが使用中です"), std::string::npos) << out;
    EXPECT_NE(lastLogLine().find("ログイン失敗"), std::string::npos) << lastLogLine();
    EXPECT_NE(lastLogLine().find("は他のプログラムが使用中です"), std::string::npos) << lastLogLine();
    EXPECT_EQ(readFileBytes(account), before);
}

TEST_F(CliVote, UnreadableSettingsRefuseTheVoteNamingTheFile) {
    // The stake mode and amount the user saved would silently be the defaults.
    const std::filesystem::path ini = home.path() / "Vexmora.ini";
    write(Settings(), settings::kStakeSplit, 3);
    write(Settings(), settings::kDefaultAmount, 3000);
    const std::string saved = readFileBytes(ini);
    const std::string unreadable = env + " VEXMORA_FILE_FAULTS='read:Vexmora.ini'";
    int code = -1;
    const std::string out = test::runCli(args240 + " 2>&1", code, unreadable);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find(ini.string() + " を読めません"), std::string::npos) << out;
    EXPECT_NE(out.find("設定ファイルが読めない"), std::string::npos) << out;
    EXPECT_FALSE(std::filesystem::exists(home.path() / "VovoVaro.log")) << "nothing was started";
    // Every command that makes a list from the money settings refuses the same way.
    const std::string bets = test::runCli("bets" + args240.substr(4) + " 2>&1", code, unreadable);
    EXPECT_EQ(code, 1);
    EXPECT_NE(bets.find(ini.string() + " を読めません"), std::string::npos) << bets;
    EXPECT_EQ(readFileBytes(ini), saved) << "never replaced by defaults";
    EXPECT_EQ(boughtToday(), 0);
}

TEST_F(CliVote, FourVotesAtOnceStayUnderTheDayLimit) {
    writeSpendingLimits(Settings(), {5000, 0});
    // 3連単 1-2-(3..12): ten lines, at 300 yen a line 3,000 yen, at 200 yen 2,000 yen.
    const std::string args =
        "vote 2024年01月15日 2 --kind 7 --method 2 --mark 8:1 --mark 9:2 --mark 10:3,4,5,6,7,8,9,10,11,12 --mode 3 --amount ";
    int code = -1;
    ASSERT_EQ((test::runCli(args + "300", code, env), code), 0);
    std::array<int, 4> codes{};
    std::array<std::future<std::string>, 4> runs;
    for (int i = 0; i < 4; ++i)
        runs[i] = std::async(std::launch::async, [&, i] { return test::runCli(args + "200 2>&1", codes[i], env); });
    int accepted = 0;
    for (int i = 0; i < 4; ++i) {
        const std::string out = runs[i].get();
        if (codes[i] == 0) {
            ++accepted;
            continue;
        }
        EXPECT_EQ(codes[i], 1) << out;
        EXPECT_NE(out.find("1日の上限額を超えます。(本日購入済:5,000円 + 今回:2,000円 > 上限:5,000円)"), std::string::npos)
            << out;
    }
    EXPECT_EQ(accepted, 1) << "3,000 bought, 2,000 left under the limit: exactly one of the four fits";
    EXPECT_EQ(boughtToday(), 5000);

    // The race limit holds for a vote from here too.
    writeSpendingLimits(Settings(), {0, 2500});
    const std::string out = test::runCli(args + "300 2>&1", code, env);
    EXPECT_EQ(code, 1);
    EXPECT_NE(out.find("1レースの上限額を超えます。(今回:3,000円 > 上限:2,500円)"), std::string::npos) << out;
    EXPECT_EQ(boughtToday(), 5000);
}

// vexmora-cli started with pipes, so that a test can signal it at a known point.
class CliChild {
public:
    CliChild(const std::string& args, const std::vector<std::string>& extraEnv) {
        // Everything exec needs is made before the fork: the child only calls async-signal-safe functions.
        std::istringstream words(args);
        argStore_.push_back(test::cliPath());
        for (std::string w; words >> w;) argStore_.push_back(w);
        for (char** e = environ; *e; ++e) envStore_.emplace_back(*e);
        envStore_.insert(envStore_.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> argv, envp;
        for (auto& a : argStore_) argv.push_back(a.data());
        for (auto& e : envStore_) envp.push_back(e.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::dup2(err[1], 2);
            for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~CliChild() {
        if (pid_ > 0 && !reaped_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
        ::close(err_);
    }
    // Reads stderr until a line holds `text`; false at its end or after 60 s.
    bool waitForError(const std::string& text) {
        std::string seen;
        char buffer[512];
        while (seen.find(text) == std::string::npos) {
            pollfd p{err_, POLLIN, 0};
            if (::poll(&p, 1, 60000) <= 0) return false;
            const ssize_t n = ::read(err_, buffer, sizeof buffer);
            if (n <= 0) return false;
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        return true;
    }
    void signal(int sig) { ::kill(pid_, sig); }
    // Everything it printed on stdout, then its wait status.
    std::string finish(int& status) {
        std::string out;
        char buffer[4096];
        for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
        ::waitpid(pid_, &status, 0);
        reaped_ = true;
        return out;
    }

private:
    std::vector<std::string> argStore_, envStore_;
    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    bool reaped_ = false;
};

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(CliVote, ASignalBetweenBatchesLeavesTheLogAndTheAccountAgreeing) {
    // 2 x 5 x 6 in six orders = 360 lines, three batches of 12,000 yen.
    const std::string args =
        "vote 2024年01月15日 2 --kind 7 --method 2 --multi マルチ --mark 8:1,2 --mark 9:3,4,5,6,7 "
        "--mark 10:8,9,10,11,12,13 --mode 3 --amount 100";
    const std::vector<std::string> service{"VEXMORA_SERVICE=feed:" + (home.path() / "feed").string(),
                                           "VEXMORA_NOW=2024/01/15 10:00:00"};
    int bought = 0;
    for (const auto& [sig, accepted] : {std::pair{SIGTERM, 1}, std::pair{SIGINT, 2}}) {
        SCOPED_TRACE(sig == SIGTERM ? "SIGTERM" : "SIGINT");
        std::vector<std::string> childEnv = service;
        // The account has charged batch K, the log does not hold it yet: the worst moment.
        childEnv.push_back("VEXMORA_FAULTS=RakutenBet=pause@" + std::to_string(accepted));
        CliChild child(args, childEnv);
        ASSERT_TRUE(child.waitForError("paused after RakutenBet " + std::to_string(accepted)));
        child.signal(sig);
        int status = 0;
        const std::string out = child.finish(status);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal itself";
        EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
        EXPECT_EQ(count(out, "投票成功"), accepted) << out;
        EXPECT_NE(out.find("投票中断：買い目:" + std::to_string(accepted) + "から後は送っていません。"), std::string::npos);

        bought += 12000 * accepted;
        const control::AccountBook book = control::BettingAccount::readBook(home.path() / "ServiceControl.dat");
        EXPECT_EQ(book.accounts[0].bought, bought);
        std::string log;
        for (const std::string& line : readLines(home.path() / "VovoVaro.log")) log += toUtf8(line) + "\n";
        EXPECT_EQ(static_cast<std::size_t>(count(log, "投票成功") * 120), book.bets.size()) << "log and account agree";
        EXPECT_EQ(count(log, "購入金額　:   12000") * 12000, bought);
        EXPECT_NE(log.rfind("投票中断"), std::string::npos);
        EXPECT_GT(log.rfind("投票中断"), log.rfind("投票成功")) << "the block ends with the stop";
    }
}

}  // namespace
}  // namespace vex

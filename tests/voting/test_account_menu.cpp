// The account cycles of the menu against a control whose answers the test sets: the order of the
// calls, the messages and the beeps.
#include <gtest/gtest.h>

#include "support/fake_control.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"
#include "voting/account_menu.h"

namespace vex {
namespace {

struct AccountControl : test::FakeControl {
    int RakutenLogin(const std::string& user, const std::string& password) override {
        calls.push_back("login[" + user + "|" + password + "]");
        return loginCode;
    }
    int RakutenLogout() override {
        calls.push_back("logout");
        return logoutCode;
    }
    int RakutenBet(const std::string&, const std::string&, int, int&, int&, int&, std::string&) override { return 0; }
    int RakutenZandaka(int& limit, int& bought, int& paid, int& remaining, const std::string& text) override {
        calls.push_back("balance[" + text + "]");
        limit = 97000, bought = 6000, paid = 3000, remaining = 2990;
        return balanceCode;
    }
    int RakutenDeposit() override {
        calls.push_back("deposit");
        return depositCode;
    }
    int loginCode = 0, logoutCode = 0, balanceCode = 0, depositCode = 0;
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

TEST(AccountMenu, BalanceIsOneCycleWithoutCredentials) {
    AccountControl control;
    test::RecordingReporter reporter;
    const auto figures = fetchBalance(control, reporter);
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->purchaseLimit, 97000);
    EXPECT_EQ(figures->boughtToday, 6000);
    EXPECT_EQ(figures->paidOutToday, 3000);
    EXPECT_EQ(figures->remainingVotes, 2990);
    EXPECT_EQ(control.calls, (Calls{"login[|]", "balance[]", "logout"}));
    EXPECT_TRUE(reporter.informations.empty());
}

TEST(AccountMenu, EachFailureOfTheBalanceSaysItsOwnMessage) {
    AccountControl control;
    control.loginCode = -5;
    test::RecordingReporter reporter;
    EXPECT_FALSE(fetchBalance(control, reporter));
    EXPECT_EQ(control.calls, (Calls{"login[|]"}));  // no logout after a failed login
    EXPECT_EQ(reporter.informations, (Calls{"楽天競馬にログインできませんでした。(エラーコード:-5)"}));
    EXPECT_EQ(reporter.beeps, 1);

    AccountControl failing;
    failing.balanceCode = -800;
    failing.logoutCode = 3;
    test::RecordingReporter told;
    EXPECT_FALSE(fetchBalance(failing, told));
    EXPECT_EQ(failing.calls, (Calls{"login[|]", "balance[]", "logout"}));
    EXPECT_EQ(told.informations, (Calls{"楽天競馬残高情報取得時にエラーが発生しました。(エラーコード:-800)",
                                        "楽天競馬ログアウト時にエラーが発生しました。(エラーコード:3)"}));
    EXPECT_EQ(told.beeps, 2);
    // A negative logout result is no failure.
    AccountControl quiet;
    quiet.logoutCode = -1;
    test::RecordingReporter silent;
    EXPECT_TRUE(fetchBalance(quiet, silent));
    EXPECT_TRUE(silent.informations.empty());
}

TEST(AccountMenu, DepositFailuresOnlyBeep) {
    AccountControl control;
    control.depositCode = -800;
    control.logoutCode = 4;
    test::RecordingReporter reporter;
    EXPECT_FALSE(depositToAccount(control, reporter));
    EXPECT_EQ(control.calls, (Calls{"login[|]", "deposit", "logout"}));
    EXPECT_TRUE(reporter.informations.empty());
    EXPECT_EQ(reporter.beeps, 2);
}

TEST(AccountMenu, TheSwitchAsksForTheSelectionAndMovesNoMoney) {
    AccountControl control;
    test::RecordingReporter reporter;
    EXPECT_TRUE(switchAccount(control, reporter));
    EXPECT_EQ(control.calls, (Calls{"login[VXACCOUNT|SELECT]", "logout"}));
    AccountControl cancelled;
    cancelled.loginCode = -901;
    test::RecordingReporter quiet;
    EXPECT_FALSE(switchAccount(cancelled, quiet));
    EXPECT_EQ(cancelled.calls, (Calls{"login[VXACCOUNT|SELECT]"}));
    EXPECT_TRUE(quiet.informations.empty());
    EXPECT_EQ(quiet.beeps, 1);
}

TEST(AccountMenu, AChangeIsConfirmedWithTheBalanceAfterIt) {
    AccountControl control;
    test::RecordingReporter reporter;
    auto figures = confirmAccountChange(control, reporter, true, sj("入金しました。"), sj("入金できませんでした。"));
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->purchaseLimit, 97000);
    EXPECT_EQ(control.calls, (Calls{"login[|]", "balance[]", "logout"}));
    EXPECT_EQ(reporter.statuses, std::vector<std::string>{"入金しました。購入限度額 97,000円"});
    // Not done: said, and no balance asked for.
    AccountControl untouched;
    test::RecordingReporter failed;
    EXPECT_FALSE(confirmAccountChange(untouched, failed, false, sj("入金しました。"), sj("入金できませんでした。")));
    EXPECT_TRUE(untouched.calls.empty());
    EXPECT_EQ(failed.statuses, std::vector<std::string>{"入金できませんでした。"});
    // Done, but the balance could not be read: said so, after the balance's own message.
    control.balanceCode = -1;
    test::RecordingReporter noBalance;
    EXPECT_FALSE(confirmAccountChange(control, noBalance, true, sj("口座を切り替えました。"), ""));
    EXPECT_EQ(noBalance.informations.size(), 1u);
    EXPECT_EQ(noBalance.statuses, std::vector<std::string>{"口座を切り替えました。残高は取得できませんでした。"});
}

}  // namespace
}  // namespace vex

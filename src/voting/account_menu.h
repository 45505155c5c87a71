#pragma once
// The betting account outside of voting: the balance, a deposit and the switch of the account, each
// one short login - operation - logout cycle through the control's betting operations. The account
// is the control's: no credentials are passed (the switch passes the pair by which the control is
// asked for its account selection). Messages follow a beep; a failed login ends the cycle without a
// logout.
#include <optional>
#include <string>

#include "app/reporter.h"
#include "datalink/data_control.h"

namespace vex {

struct BalanceFigures {
    int purchaseLimit = 0;   // 購入限度額
    int boughtToday = 0;     // 本日購入金額
    int paidOutToday = 0;    // 本日払戻金額
    int remainingVotes = 0;  // 残り投票件数
};

// "楽天競馬残高情報": the figures, nullopt when the login or the balance failed (said).
std::optional<BalanceFigures> fetchBalance(DataControl& control, Reporter& reporter);
// "楽天競馬入金": true when the deposit was done; a failing deposit or logout only beeps.
bool depositToAccount(DataControl& control, Reporter& reporter);

// The control's convention for "show your account selection" (see the simulated account).
inline constexpr const char* kAccountSwitchUserId = "VXACCOUNT";
inline constexpr const char* kAccountSwitchPassword = "SELECT";
// "楽天口座切替": login with the selection pair, then logout; every failure only beeps. True when
// an account was chosen.
bool switchAccount(DataControl& control, Reporter& reporter);

// After a deposit or a switch: says in the status line what happened (`done` when it went through,
// `failed` when not) and, when it went through, the balance fetched again, "購入限度額 12,000円".
// The figures, nullopt when the change failed or the balance could not be fetched (said).
std::optional<BalanceFigures> confirmAccountChange(DataControl& control, Reporter& reporter, bool changed,
                                                   const std::string& done, const std::string& failed);

}  // namespace vex

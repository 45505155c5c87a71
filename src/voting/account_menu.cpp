#include "voting/account_menu.h"

#include <string>

#include "vocabulary/cp932.h"

namespace vex {

namespace {

void tell(Reporter& reporter, const char* text, int code) {
    reporter.beep();
    reporter.information(sj(text) + std::to_string(code) + ")");
}

bool logIn(DataControl& control, Reporter& reporter) {
    const int code = control.RakutenLogin("", "");
    if (code != 0) tell(reporter, "楽天競馬にログインできませんでした。(エラーコード:", code);
    return code == 0;
}

// Only a result above 0 is a failure of the logout.
void logOut(DataControl& control, Reporter& reporter, bool say) {
    const int code = control.RakutenLogout();
    if (code <= 0) return;
    if (say) tell(reporter, "楽天競馬ログアウト時にエラーが発生しました。(エラーコード:", code);
    else reporter.beep();
}

}  // namespace

std::optional<BalanceFigures> fetchBalance(DataControl& control, Reporter& reporter) {
    if (!logIn(control, reporter)) return std::nullopt;
    BalanceFigures f;
    const int code = control.RakutenZandaka(f.purchaseLimit, f.boughtToday, f.paidOutToday, f.remainingVotes, "");
    if (code != 0) tell(reporter, "楽天競馬残高情報取得時にエラーが発生しました。(エラーコード:", code);
    logOut(control, reporter, true);
    if (code != 0) return std::nullopt;
    return f;
}

bool depositToAccount(DataControl& control, Reporter& reporter) {
    if (!logIn(control, reporter)) return false;
    const int code = control.RakutenDeposit();
    if (code != 0) reporter.beep();
    logOut(control, reporter, false);
    return code == 0;
}

bool switchAccount(DataControl& control, Reporter& reporter) {
    if (control.RakutenLogin(kAccountSwitchUserId, kAccountSwitchPassword) != 0) {
        reporter.beep();
        return false;
    }
    logOut(control, reporter, false);
    return true;
}

}  // namespace vex

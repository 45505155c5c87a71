#include "voting/account_menu.h"

#include <string>

#include "vocabulary/codes.h"
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

std::optional<BalanceFigures> confirmAccountChange(DataControl& control, Reporter& reporter, bool changed,
                                                   const std::string& done, const std::string& failed) {
    if (!changed) {
        reporter.status(failed);
        return std::nullopt;
    }
    std::optional<BalanceFigures> figures = fetchBalance(control, reporter);
    if (!figures) {
        reporter.status(done + sj("残高は取得できませんでした。"));
        return std::nullopt;
    }
    reporter.status(done + sj("購入限度額 ") + GroupedDigits(figures->purchaseLimit) + sj("円"));
    return figures;
}

}  // namespace vex

#pragma once
// The balance window "楽天競馬残高情報" (always on top) and the account entries of the menu
// ｵﾌﾟｼｮﾝ: "楽天競馬残高情報", "楽天競馬入金", "楽天口座切替" and "楽天競馬マイページ". Each account
// entry is one login - operation - logout cycle, run as a job of the worker.
#include <QWidget>

#include "voting/account_menu.h"

class QLabel;

namespace vex::ui {

class MainWindow;

class BalanceWindow : public QWidget {
    Q_OBJECT
public:
    explicit BalanceWindow(QWidget* parent = nullptr);
    // Writes the four values and shows the window.
    void showFigures(const BalanceFigures& figures);

protected:
    // The position is kept whenever the window loses focus.
    void changeEvent(QEvent* event) override;

private:
    void savePosition();
    QLabel* purchaseLimit_ = nullptr;
    QLabel* boughtToday_ = nullptr;
    QLabel* paidOutToday_ = nullptr;
    QLabel* remainingVotes_ = nullptr;
};

// Builds the balance window and wires the four account entries of `main`'s menu.
BalanceWindow* attachAccountMenu(MainWindow& main);

// The member page's address: [Service] MyPage of the settings, else the site's own page.
QString memberPageAddress();

}  // namespace vex::ui

#include "ui/voting/balance_window.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <memory>

#include "app/settings.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/shared/web_page.h"
#include "ui/look/look.h"
#include "ui/datacontrol/worker.h"
#include "ui/shared/error_report.h"

namespace vex::ui {

namespace {

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(look::figureFont(16));
    label->setAlignment(look::kFigureAlignment);
    label->setMinimumWidth(110);
    return label;
}

QString figure(int value) { return QString::asprintf("%7d", value); }

}  // namespace

BalanceWindow::BalanceWindow(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("ZandakaForm");
    setWindowTitle("楽天競馬残高情報");
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    purchaseLimit_ = valueLabel(this, "purchaselimitLabel");
    boughtToday_ = valueLabel(this, "purchasemoneyLabel");
    paidOutToday_ = valueLabel(this, "paymoneyLabel");
    remainingVotes_ = valueLabel(this, "availablecountLabel");
    const std::pair<const char*, QLabel*> rows[] = {{"購入限度額", purchaseLimit_},
                                                    {"本日購入金額", boughtToday_},
                                                    {"本日払戻金額", paidOutToday_},
                                                    {"残り投票件数", remainingVotes_}};
    int row = 0;
    for (const auto& [caption, value] : rows) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        grid->addWidget(value, row++, 1);
    }
    Settings ini;
    move(read(ini, settings::kBalanceLeft), read(ini, settings::kBalanceTop));
}

void BalanceWindow::showFigures(const BalanceFigures& f) {
    purchaseLimit_->setText(figure(f.purchaseLimit));
    boughtToday_->setText(figure(f.boughtToday));
    paidOutToday_->setText(figure(f.paidOutToday));
    remainingVotes_->setText(figure(f.remainingVotes));
    show();
    raise();
}

void BalanceWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible()) savePosition();
}

void BalanceWindow::savePosition() {
    Settings ini;
    if (!ini.readProblem().empty()) return;  // said at start, not at every change of focus
    try {
        write(ini, settings::kBalanceTop, y());
        write(ini, settings::kBalanceLeft, x());
    } catch (const SettingsWriteError& e) {
        Dialogs::information(this, errorText(e));
    }
}

QString memberPageAddress() {
    return fromCp932(Settings().readString("Service", "MyPage", "https://keiba.rakuten.co.jp/mypage/"));
}

namespace {

// Runs one account cycle on the worker; `done` gets the window back once it has ended.
void runAccountJob(MainWindow& main, const QString& name, std::function<void(DataControl&, Reporter&)> job,
                   std::function<void()> done = {}) {
    DataControl* control = main.control();
    if (!control) return;
    ControlWorker* worker = main.worker();
    if (worker->busy()) {
        Dialogs::information(&main, ControlWorker::busyMessage(worker->jobName()));
        return;
    }
    QPointer<QStatusBar> statusLine = main.statusBar();
    auto reporter = std::make_shared<JobReporter>(main.messages(), [statusLine](const QString& text) {
        if (statusLine) statusLine->showMessage(text);
    });
    worker->start(name, [control, reporter, job] { job(*control, *reporter); }, std::move(done));
}

// A deposit or a switch, confirmed in the status line with the balance after it; the balance
// window, when shown, shows the new figures.
void runAccountChange(MainWindow& main, QPointer<BalanceWindow> shown, const QString& name,
                      std::function<bool(DataControl&, Reporter&)> change, const char* done, const char* failed) {
    auto figures = std::make_shared<std::optional<BalanceFigures>>();
    runAccountJob(
        main, name,
        [figures, change, done, failed](DataControl& control, Reporter& reporter) {
            *figures = confirmAccountChange(control, reporter, change(control, reporter), sj(done), sj(failed));
        },
        [figures, shown] {
            if (shown && shown->isVisible() && *figures) shown->showFigures(**figures);
        });
}

}  // namespace

BalanceWindow* attachAccountMenu(MainWindow& main) {
    auto* window = new BalanceWindow(&main);
    QPointer<BalanceWindow> shown(window);
    QObject::connect(&main, &MainWindow::balanceRequested, window, [&main, shown] {
        auto figures = std::make_shared<std::optional<BalanceFigures>>();
        runAccountJob(
            main, "楽天競馬残高情報",
            [figures](DataControl& control, Reporter& reporter) { *figures = fetchBalance(control, reporter); },
            [figures, shown] {
                if (shown && *figures) shown->showFigures(**figures);
            });
    });
    QObject::connect(&main, &MainWindow::depositRequested, window, [&main, shown] {
        runAccountChange(main, shown, "楽天競馬入金", depositToAccount, "入金しました。", "入金できませんでした。");
    });
    QObject::connect(&main, &MainWindow::accountSwitchRequested, window, [&main, shown] {
        runAccountChange(main, shown, "楽天口座切替", switchAccount, "口座を切り替えました。",
                         "口座を切り替えませんでした。");
    });
    QObject::connect(&main, &MainWindow::memberPageRequested, window, [&main] { openWebPage(&main, memberPageAddress()); });
    return window;
}

}  // namespace vex::ui

#include "ui/voting/balance_window.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <memory>

#include "app/settings.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/shared/web_page.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {

namespace {

QLabel* valueLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    QFont mono("monospace");
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(16);
    label->setFont(mono);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
    try {
        Settings ini;
        write(ini, settings::kBalanceTop, y());
        write(ini, settings::kBalanceLeft, x());
    } catch (const SettingsWriteError& e) {
        Dialogs::information(this, fromCp932(e.what()));
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
    auto reporter = std::make_shared<JobReporter>(main.messages());
    worker->start(name, [control, reporter, job] { job(*control, *reporter); }, std::move(done));
}

}  // namespace

BalanceWindow* attachAccountMenu(MainWindow& main) {
    auto* window = new BalanceWindow(&main);
    QPointer<BalanceWindow> shown(window);
    if (auto* item = main.findChild<QAction*>("ZandakaItem"))
        QObject::connect(item, &QAction::triggered, window, [&main, shown] {
            auto figures = std::make_shared<std::optional<BalanceFigures>>();
            runAccountJob(
                main, "楽天競馬残高情報",
                [figures](DataControl& control, Reporter& reporter) { *figures = fetchBalance(control, reporter); },
                [figures, shown] {
                    if (shown && *figures) shown->showFigures(**figures);
                });
        });
    if (auto* item = main.findChild<QAction*>("NyukinItem"))
        QObject::connect(item, &QAction::triggered, window, [&main] {
            runAccountJob(main, "楽天競馬入金", [](DataControl& c, Reporter& r) { depositToAccount(c, r); });
        });
    if (auto* item = main.findChild<QAction*>("KouzaItem"))
        QObject::connect(item, &QAction::triggered, window, [&main] {
            runAccountJob(main, "楽天口座切替", [](DataControl& c, Reporter& r) { switchAccount(c, r); });
        });
    if (auto* item = main.findChild<QAction*>("MyPageItem"))
        QObject::connect(item, &QAction::triggered, window, [&main] { openWebPage(&main, memberPageAddress()); });
    return window;
}

}  // namespace vex::ui

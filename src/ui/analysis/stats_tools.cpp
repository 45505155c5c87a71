#include "ui/analysis/stats_tools.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/cancel_token.h"
#include "app/settings.h"
#include "dayload/direct_read.h"
#include "stats/time_series_import.h"
#include "store/day_list.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/analysis/stats_window.h"
#include "ui/datacontrol/worker.h"
#include "ui/shared/error_report.h"
#include "vocabulary/cp932.h"

namespace vex::ui {
namespace fs = std::filesystem;

namespace {

constexpr const char* kTimeSeriesFolderKey = "jikeiretu";  // section Dir; default the application folder

fs::path timeSeriesFolder() {
    std::string value = Settings().readString(settings::kDirSection, kTimeSeriesFolderKey, "");
    return value.empty() ? appFolder() : fs::path(toUtf8(value));
}

// The application folder counts as "not set".
bool timeSeriesFolderSet(const fs::path& folder) {
    std::error_code ec;
    return !fs::equivalent(folder, appFolder(), ec) && folder.lexically_normal() != appFolder().lexically_normal();
}

StatsWindow* statsWindowOf(MainWindow& main) { return main.findChild<StatsWindow*>("StatsForm"); }

}  // namespace

DirectReadProgress::DirectReadProgress(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("DirectReadProgress");
    setWindowTitle("一気読み");
    auto* l = new QVBoxLayout(this);
    day_ = new QLabel(this);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("DirectReadBar");
    auto* cancel = new QPushButton("中止", this);
    cancel->setObjectName("DirectReadCancel");
    connect(cancel, &QPushButton::clicked, this, &DirectReadProgress::cancelClicked);
    l->addWidget(day_);
    l->addWidget(bar_);
    l->addWidget(cancel, 0, Qt::AlignRight);
    resize(320, 110);
}

void DirectReadProgress::showDay(int index, int count, const QString& dayStamp) {
    bar_->setRange(0, count);
    bar_->setValue(index);
    day_->setText(QString("%1（%2/%3）").arg(dayStamp).arg(index + 1).arg(count));
}

void openStatsWindow(MainWindow& main) {
    StatsWindow* window = statsWindowOf(main);
    if (!window) window = new StatsWindow(&main);
    window->reload();
    window->show();
    window->raise();
    window->activateWindow();
}

void chooseTimeSeriesFolder(QWidget* parent) {
    QString current = QString::fromStdString(timeSeriesFolder().string());
    QString chosen = Dialogs::chooseFolder(parent, "時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定", current);
    if (chosen.isEmpty()) return;
    try {
        Settings().writeString(settings::kDirSection, kTimeSeriesFolderKey, toCp932(chosen));
    } catch (const SettingsWriteError& e) {
        Dialogs::information(parent, errorText(e));
    }
}

void importTimeSeriesOdds(MainWindow& main) {
    fs::path folder = timeSeriesFolder();
    if (!timeSeriesFolderSet(folder)) {
        Dialogs::beep();
        Dialogs::information(&main, fromCp932(timeSeriesFolderNotSetMessage()));
        return;
    }
    if (!main.table().dayLoaded || main.loadingDay()) {
        Dialogs::beep();
        Dialogs::information(&main, fromCp932(noDayForImportMessage()));
        return;
    }
    try {
        int races = vex::importTimeSeriesOdds(main.table(), folder);
        Dialogs::information(&main, fromCp932(timeSeriesImportMessage(races)));
    } catch (const std::exception& e) {  // a file that cannot be read or written: named, nothing lost
        Dialogs::information(&main, errorText(e));
        return;
    }
    main.loadSelectedDay();
}

bool startDirectRead(MainWindow& main) {
    ControlWorker* worker = main.worker();
    if (worker->busy()) {
        Dialogs::information(&main, ControlWorker::busyMessage(worker->jobName()));
        return false;
    }
    auto* progress = new DirectReadProgress(&main);
    QObject::connect(progress, &DirectReadProgress::cancelClicked, worker, [worker] { worker->cancel(); });
    progress->show();
    auto result = std::make_shared<DirectReadResult>();
    QPointer<DirectReadProgress> shown(progress);
    DirectReadCallbacks callbacks;
    callbacks.progress = [shown](int index, int count, const std::string& stamp) {
        QString text = fromCp932(stamp);
        postToWindow([shown, index, count, text] {
            if (shown) shown->showDay(index, count, text);
        });
    };
    CancelToken cancel;
    callbacks.stopRequested = [cancel] { return cancel.cancelled(); };
    std::vector<std::string> days = buildDayList();
    auto job = [result, days, callbacks] { *result = directRead(days, callbacks); };
    auto done = [&main, shown, result] {
        delete shown.data();
        QString text = QString("%1日分を読み込み、%2日分の出現ファイルを書き込みました。")
                           .arg(result->daysLoaded)
                           .arg(result->appearanceFiles);
        if (result->cancelled) text = "一気読みを中止しました。\n" + text;
        for (const std::string& failure : result->failed) text += "\n" + fromCp932(failure);
        Dialogs::information(&main, text);
        if (StatsWindow* stats = statsWindowOf(main); stats && stats->isVisible()) stats->reload();
    };
    return worker->start("一気読み", job, done, cancel);
}

void attachStatistics(MainWindow& main) {
    if (auto* item = main.findChild<QAction*>("StatsItem"))
        QObject::connect(item, &QAction::triggered, &main, [&main] { openStatsWindow(main); });
    if (auto* item = main.findChild<QAction*>("T1"))
        QObject::connect(item, &QAction::triggered, &main, [&main] { importTimeSeriesOdds(main); });
    if (auto* item = main.findChild<QAction*>("N12"))
        QObject::connect(item, &QAction::triggered, &main, [&main] { chooseTimeSeriesFolder(&main); });
    if (auto* button = main.findChild<QPushButton*>("DirectReadBtn"))
        QObject::connect(button, &QPushButton::clicked, &main, [&main] { startDirectRead(main); });
}

}  // namespace vex::ui

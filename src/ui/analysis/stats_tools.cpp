#include "ui/analysis/stats_tools.h"

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

fs::path timeSeriesFolder() {
    std::string value = Settings().readString(settings::kDirSection, settings::kTimeSeriesFolderKey, "");
    return value.empty() ? appFolder() : fs::path(toUtf8(value));
}

// The application folder counts as "not set".
bool timeSeriesFolderSet(const fs::path& folder) {
    std::error_code ec;
    return !fs::equivalent(folder, appFolder(), ec) && folder.lexically_normal() != appFolder().lexically_normal();
}

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

StatisticsCommands::StatisticsCommands(MainWindow& main) : QObject(&main), main_(main) {
    connect(&main, &MainWindow::statsRequested, this, &StatisticsCommands::openStatsWindow);
    connect(&main, &MainWindow::timeSeriesImportRequested, this, &StatisticsCommands::importTimeSeriesOdds);
    connect(&main, &MainWindow::timeSeriesFolderRequested, this, [&main] { chooseTimeSeriesFolder(&main); });
    connect(&main, &MainWindow::directReadRequested, this, &StatisticsCommands::startDirectRead);
}

void attachStatistics(MainWindow& main) { new StatisticsCommands(main); }

void StatisticsCommands::openStatsWindow() {
    if (!stats_) stats_ = new StatsWindow(&main_);
    stats_->reload();
    stats_->show();
    stats_->raise();
    stats_->activateWindow();
}

void chooseTimeSeriesFolder(QWidget* parent) {
    QString current = QString::fromStdString(timeSeriesFolder().string());
    QString chosen = Dialogs::chooseFolder(parent, "時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定", current);
    if (chosen.isEmpty()) return;
    try {
        Settings().writeString(settings::kDirSection, settings::kTimeSeriesFolderKey, toCp932(chosen));
    } catch (const SettingsWriteError& e) {
        Dialogs::information(parent, errorText(e));
    }
}

void StatisticsCommands::importTimeSeriesOdds() {
    fs::path folder = timeSeriesFolder();
    if (!timeSeriesFolderSet(folder)) {
        Dialogs::beep();
        Dialogs::information(&main_, fromCp932(timeSeriesFolderNotSetMessage()));
        return;
    }
    if (!main_.table().dayLoaded || main_.loadingDay()) {
        Dialogs::beep();
        Dialogs::information(&main_, fromCp932(noDayForImportMessage()));
        return;
    }
    try {
        int races = vex::importTimeSeriesOdds(main_.table(), folder);
        Dialogs::information(&main_, fromCp932(timeSeriesImportMessage(races)));
    } catch (const std::exception& e) {  // a file that cannot be read or written: named, nothing lost
        Dialogs::information(&main_, errorText(e));
        return;
    }
    main_.loadSelectedDay();
}

bool StatisticsCommands::startDirectRead() {
    ControlWorker* worker = main_.worker();
    if (worker->busy()) {
        Dialogs::information(&main_, ControlWorker::busyMessage(worker->jobName()));
        return false;
    }
    auto* progress = new DirectReadProgress(&main_);
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
    auto done = [this, shown, result] {
        delete shown.data();
        QString text = QString("%1日分を読み込み、%2日分の出現ファイルを書き込みました。")
                           .arg(result->daysLoaded)
                           .arg(result->appearanceFiles);
        if (result->cancelled) text = "一気読みを中止しました。\n" + text;
        for (const std::string& failure : result->failed) text += "\n" + fromCp932(failure);
        Dialogs::information(&main_, text);
        if (stats_ && stats_->isVisible()) stats_->reload();
    };
    return worker->start("一気読み", job, done, cancel);
}

}  // namespace vex::ui

// The main window's race-day refresh: its buttons, its menu item and the timing settings item.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/download/fetch_times_dialog.h"
#include "ui/main/day_selector.h"
#include "ui/main/main_window.h"
#include "store/record_layout.h"
#include "ui/download/race_day_refresh.h"
#include "ui/main/win_odds_chart.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {

void MainWindow::connectRaceDayRefresh() {
    RaceDayRefresh::Window window;
    window.widget = this;
    window.statusLabel = raceListNote_;
    window.shownTable = [this]() -> RaceTable* { return dayShown_ ? table_.get() : nullptr; };
    window.shownDay = [this] { return daySelector_->currentText(); };
    window.noRedrawAfterFetch = [this] { return noRedrawAfterFetch(); };
    window.redrawSelectedRace = [this] {
        if (dayShown_ && currentRace_ >= 0) drawRace(currentRace_, RaceDraw::Refresh);
    };
    raceDayRefresh_ = new RaceDayRefresh(control_, worker_, messages_, std::move(window), this);

    connect(quickOddsButton_, &QToolButton::clicked, raceDayRefresh_, [this] { raceDayRefresh_->fetchSelectedOdds(); });
    connect(resultsButton_, &QToolButton::clicked, raceDayRefresh_, [this] { raceDayRefresh_->fetchResults(false); });
    connect(allOddsItem_, &QAction::triggered, raceDayRefresh_, [this] { raceDayRefresh_->fetchAllOdds(); });
    connect(fetchTimesItem_, &QAction::triggered, this, [this] { showFetchTimesDialog(this); });

    // The win odds of the race shown, through the day, above the detailed race card (which scrolls,
    // so the strip costs the bet page nothing); redrawn with the race.
    auto* chart = new WinOddsChart(detailTab_);
    if (auto* column = qobject_cast<QVBoxLayout*>(detailTab_->layout())) column->insertWidget(1, chart);
    connect(this, &MainWindow::raceSelected, chart, [this, chart](int slot) {
        const RawRecords& raw = table_->raw[static_cast<std::size_t>(slot)];
        QStringList names;
        for (int m = 0; m < registeredRunners(raw.ra); ++m)
            names << fromCp932(std::string(raw.se[static_cast<std::size_t>(m)].field(SE::HorseName))).trimmed();
        chart->showRace(std::string(raw.ra.field(Common::RaceKey)), names);
    });
}

}  // namespace vex::ui

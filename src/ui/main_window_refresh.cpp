// The main window's race-day refresh: its buttons, its menu item and the timing settings item.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

#include "ui/fetch_times_dialog.h"
#include "ui/main_window.h"
#include "ui/race_day_refresh.h"

namespace vex::ui {

void MainWindow::connectRaceDayRefresh() {
    RaceDayRefresh::Window window;
    window.widget = this;
    window.statusLabel = raceListNote_;
    window.shownTable = [this]() -> RaceTable* { return dayShown_ ? table_.get() : nullptr; };
    window.shownDay = [this] { return daySelector_->currentText(); };
    window.noRedrawAfterFetch = [this] { return noRedrawAfterFetch(); };
    window.redrawSelectedRace = [this] {
        if (dayShown_ && currentRace_ >= 0) drawRace(currentRace_);
    };
    raceDayRefresh_ = new RaceDayRefresh(control_, worker_, messages_, std::move(window), this);

    connect(quickOddsButton_, &QToolButton::clicked, raceDayRefresh_, [this] { raceDayRefresh_->fetchSelectedOdds(); });
    connect(resultsButton_, &QToolButton::clicked, raceDayRefresh_, [this] { raceDayRefresh_->fetchResults(false); });
    connect(allOddsItem_, &QAction::triggered, raceDayRefresh_, [this] { raceDayRefresh_->fetchAllOdds(); });
    connect(fetchTimesItem_, &QAction::triggered, this, [this] { showFetchTimesDialog(this); });
}

}  // namespace vex::ui

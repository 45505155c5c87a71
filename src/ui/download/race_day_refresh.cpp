#include "ui/download/race_day_refresh.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

#include "app/clock.h"
#include "datalink/timed_refresh.h"
#include "store/race_table.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {

namespace {
constexpr int kTickMs = 1000;
}

RaceDayRefresh::RaceDayRefresh(DataControl* control, ControlWorker* worker, MessageQueue* messages, Window window,
                               QObject* parent)
    : QObject(parent), control_(control), worker_(worker), messages_(messages), window_(std::move(window)) {
    oddsTimer_ = new QTimer(this);
    oddsTimer_->setObjectName("Timer1");
    oddsTimer_->setInterval(kTickMs);
    connect(oddsTimer_, &QTimer::timeout, this, [this] { oddsTick(); });
    oddsTimer_->start();
    // Every second until the first day load sets the interval.
    resultsTimer_ = new QTimer(this);
    resultsTimer_->setObjectName("Timer4");
    resultsTimer_->setInterval(kTickMs);
    connect(resultsTimer_, &QTimer::timeout, this, [this] { resultsTick(); });
    resultsTimer_->start();
}

void RaceDayRefresh::showStatus(const QString& text) {
    if (window_.statusLabel) window_.statusLabel->setText(text);
}

bool RaceDayRefresh::run(const QString& name, bool quiet, Command command, std::function<void()> after) {
    if (!control_) return false;
    if (worker_->busy()) {
        showStatus(ControlWorker::busyMessage(worker_->jobName()));
        if (after) after();
        return false;
    }
    RaceTable* table = window_.shownTable();
    if (!table) return false;
    auto result = std::make_shared<RefreshResult>();
    QPointer<QLabel> label = window_.statusLabel;
    auto reporter = std::make_shared<JobReporter>(messages_, [label](const QString& text) {
        if (label) label->setText(text);
    });
    DataControl* control = control_;
    OddsFetchedFlags* fetched = &fetched_;
    std::string day = table->paths.stamp;
    auto job = [=] {
        RealtimeRefresh refresh(*control, *reporter, *fetched, day);
        refresh.setQuiet(quiet);
        *result = command(refresh);
    };
    QPointer<RaceDayRefresh> self(this);
    auto done = [self, result, after] {
        if (after) after();
        if (!self) return;
        RaceTable* shown = self->window_.shownTable();
        if (shown && applyRefresh(*shown, *result) && !self->window_.noRedrawAfterFetch())
            self->window_.redrawSelectedRace();
    };
    // The cancel flag stays: after a cancelled download the refreshes read nothing until the next one.
    return worker_->startKeepingCancelFlag(name, std::move(job), std::move(done));
}

void RaceDayRefresh::fetchSelectedOdds() {
    RaceTable* table = window_.shownTable();
    if (!table || window_.shownDay().isEmpty()) return;
    auto race = refreshRaceOf(*table, table->currentSlot);
    if (!race) return;
    run("速報ｵｯｽﾞ", false, [race = *race](RealtimeRefresh& refresh) { return refresh.oddsOfRace(race); });
}

void RaceDayRefresh::fetchAllOdds() {
    RaceTable* table = window_.shownTable();
    if (window_.shownDay().isEmpty() || !table) {
        Dialogs::beep();
        Dialogs::information(window_.widget, "開催日ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    run("1日分の全オッズを一括取得", false,
        [races = refreshRacesOfList(*table)](RealtimeRefresh& refresh) { return refresh.oddsOfDay(races); });
}

void RaceDayRefresh::fetchResults(bool quiet) {
    RaceTable* table = window_.shownTable();
    if (!table || window_.shownDay().isEmpty()) return;
    auto selected = refreshRaceOf(*table, table->currentSlot);
    if (!selected) return;
    run("結果情報", quiet, [race = *selected, day = dayKeyOf(*table)](RealtimeRefresh& refresh) {
        return refresh.resultsOfDay(race, day);
    });
}

void RaceDayRefresh::dayLoaded(const RaceTable& table) {
    resultsTimer_->setInterval(table.resultRefreshMinutes * 60000);
    if (table.resultRefreshEnabled) resultsTimer_->start();
}

void RaceDayRefresh::oddsTick() {
    if (resultsPending_ && !worker_->busy()) resultsTick();
    RaceTable* table = window_.shownTable();
    // While the worker is busy nothing is taken: the due races stay due and go at a later tick.
    if (!table || !control_ || oddsTimerBusy_ || worker_->busy()) return;
    const DateTime time = now();
    if (!oddsTimerActs(toCp932(window_.shownDay()), table->latestPostTime, time)) return;
    std::vector<std::string> workList = takeOddsWorkList(*table, fetched_, time);
    if (workList.empty()) return;
    oddsTimerBusy_ = true;
    QPointer<RaceDayRefresh> self(this);
    run("オッズ自動取得", false, [workList](RealtimeRefresh& refresh) { return refresh.oddsOfWorkList(workList); },
        [self] {
            if (self) self->oddsTimerBusy_ = false;
        });
}

void RaceDayRefresh::resultsTick() {
    RaceTable* table = window_.shownTable();
    if (!table || !control_) return;
    resultsPending_ = false;
    if (!resultsTimerActs(toCp932(window_.shownDay()), table->latestPostTime, now())) return;
    if (worker_->busy()) {
        resultsPending_ = true;
        return;
    }
    fetchResults(true);
}

}  // namespace vex::ui

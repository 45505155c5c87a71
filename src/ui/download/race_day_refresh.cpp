#include "ui/download/race_day_refresh.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <utility>

#include "app/clock.h"
#include "datalink/timed_refresh.h"
#include "store/race_table.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {

namespace {
constexpr int kTickMs = 1000;
const QString kOddsTimerJob = "オッズ自動取得";
const QString kResultsTimerJob = "結果情報（自動）";

QString clockText(const DateTime& t) { return QString::fromStdString(formatDateTime(t).substr(11)); }
}  // namespace

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

void RaceDayRefresh::refuseAsBusy(const QString& name) {
    showStatus(clockText(now()) + " " + name + "：" + ControlWorker::busyMessage(worker_->jobName()));
}

bool RaceDayRefresh::run(const QString& name, bool quiet, Command command, std::function<void()> after) {
    if (!control_) return false;
    if (worker_->busy()) {
        refuseAsBusy(name);
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
    std::string day = table->paths.stamp;
    CancelToken cancel;
    auto job = [=] {
        RealtimeRefresh refresh(*control, *reporter, day);
        refresh.setQuiet(quiet);
        refresh.setCancelToken(cancel);
        *result = command(refresh);
    };
    QPointer<RaceDayRefresh> self(this);
    const DateTime started = now();
    auto done = [self, result, after, name, started] {
        if (after) after();
        if (!self) return;
        self->showStatus(fromCp932(refreshSummary(toCp932(name), started, now(), *result)));
        RaceTable* shown = self->window_.shownTable();
        if (shown && applyRefresh(*shown, *result, &self->fetched_) && !self->window_.noRedrawAfterFetch())
            self->window_.redrawSelectedRace();
    };
    showStatus(clockText(started) + " " + name + "開始");
    return worker_->start(name, std::move(job), std::move(done), cancel);
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
    const QString name = quiet ? kResultsTimerJob : QString("結果情報");
    run(name, quiet, [race = *selected, day = dayKeyOf(*table)](RealtimeRefresh& refresh) {
        return refresh.resultsOfDay(race, day);
    });
}

void RaceDayRefresh::dayLoaded(const RaceTable& table) {
    // The flags were of the day shown before: its slots are other races.
    fetched_.clear();
    resultsTimer_->setInterval(table.resultRefreshMinutes * 60000);
    if (table.resultRefreshEnabled) resultsTimer_->start();
}

void RaceDayRefresh::oddsTick() {
    if (resultsPending_ && !worker_->busy()) resultsTick();
    RaceTable* table = window_.shownTable();
    if (!table || !control_ || oddsTimerBusy_) return;
    const DateTime time = now();
    if (!oddsTimerActs(toCp932(window_.shownDay()), table->latestPostTime, time)) return;
    // While the worker is busy nothing is taken: the due races stay due and go at a later tick.
    if (worker_->busy()) {
        // Said once while the same job runs, not over its own texts every second.
        if (!oddsToldBusy_ && !oddsDueSlots(*table, fetched_, time).empty()) {
            refuseAsBusy(kOddsTimerJob);
            oddsToldBusy_ = true;
        }
        return;
    }
    oddsToldBusy_ = false;
    std::vector<std::string> workList = takeOddsWorkList(*table, fetched_, time);
    if (workList.empty()) return;
    oddsTimerBusy_ = true;
    QPointer<RaceDayRefresh> self(this);
    run(kOddsTimerJob, false, [workList](RealtimeRefresh& refresh) { return refresh.oddsOfWorkList(workList); },
        [self] {
            if (self) self->oddsTimerBusy_ = false;
        });
}

void RaceDayRefresh::resultsTick() {
    RaceTable* table = window_.shownTable();
    if (!table || !control_) return;
    const bool toldBusy = std::exchange(resultsPending_, false);
    if (!resultsTimerActs(toCp932(window_.shownDay()), table->latestPostTime, now())) return;
    if (worker_->busy()) {
        if (!toldBusy) refuseAsBusy(kResultsTimerJob);
        resultsPending_ = true;
        return;
    }
    fetchResults(true);
}

}  // namespace vex::ui

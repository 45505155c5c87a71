#include "ui/voting/auto_vote_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <thread>

#include "app/clock.h"
#include "control/bridge_control.h"
#include "control/control_settings.h"
#include "datalink/result_messages.h"
#include "store/record_layout.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/download/race_day_refresh.h"
#include "ui/datacontrol/worker.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"
#include "voting/bet_lines.h"
#include "voting/library_check.h"

namespace vex::ui {

namespace {

QStringList captionsOf(const std::vector<CriteriaItem>& items) {
    QStringList captions;
    for (const CriteriaItem& item : items) captions << QString::fromUtf8(item.caption);
    return captions;
}

std::vector<int> selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int r = 0; r < list->count(); ++r)
        if (list->item(r)->isSelected()) rows.push_back(r);
    return rows;
}

QSpinBox* spinBox(QWidget* parent, const char* name, int from, int to, int step, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(from, to);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

QSpinBox* yenBox(QWidget* parent, const char* name, long long value, const QString& hint) {
    QSpinBox* box = spinBox(parent, name, 0, 99999900, 1000, static_cast<int>(value));
    box->setSuffix(" 円");
    box->setGroupSeparatorShown(true);  // 10,000 円: yen read by thousands as everywhere
    box->setSpecialValueText("上限なし");
    box->setToolTip(hint);
    return box;
}

QLabel* lampLabel(QWidget* parent, const char* name) {
    auto* lamp = new QLabel("自動投票", parent);
    lamp->setObjectName(name);
    lamp->setAlignment(Qt::AlignCenter);
    lamp->setMinimumWidth(72);
    lamp->setAutoFillBackground(true);
    return lamp;
}

void colourLamp(QLabel* lamp, bool running) {
    if (!lamp) return;
    QPalette pal = lamp->palette();
    pal.setColor(QPalette::Window, running ? QColor(40, 180, 40) : QColor(160, 160, 160));
    pal.setColor(QPalette::WindowText, running ? Qt::white : Qt::black);
    lamp->setPalette(pal);
}

QString nowText() { return QString::fromStdString(formatDateTime(now())); }

}  // namespace

AutoVoteWindow::AutoVoteWindow(MainWindow& main) : QWidget(&main, Qt::Window), main_(main) {
    setObjectName("NaviSetForm");
    setWindowTitle("自動投票");
    buildLayout();
    timer_ = new QTimer(this);
    timer_->setObjectName("NaviTimer");
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, &AutoVoteWindow::tick);
    connect(startButton_, &QPushButton::clicked, this, &AutoVoteWindow::start);
    connect(endButton_, &QPushButton::clicked, this, &AutoVoteWindow::end);
    connect(libraryButton_, &QPushButton::clicked, this, &AutoVoteWindow::checkLibrary);
    for (QSpinBox* box : {dayLimit_, raceLimit_}) connect(box, &QSpinBox::editingFinished, this, &AutoVoteWindow::saveLimits);
    endButton_->setEnabled(false);
    colourLamp(lamp_, false);
    resize(960, 640);
}

QListWidget* AutoVoteWindow::criteriaList(const char* name, const QStringList& items, bool multi) {
    auto* list = new QListWidget(this);
    list->setObjectName(name);
    list->addItems(items);
    list->setSelectionMode(multi ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
    list->setMaximumHeight(150);
    // A right-click selects every item when none is selected, else clears the selection.
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, list, [list](const QPoint&) {
        if (list->selectedItems().isEmpty()) {
            const auto mode = list->selectionMode();
            list->setSelectionMode(QAbstractItemView::MultiSelection);
            list->selectAll();
            list->setSelectionMode(mode);
        } else {
            list->clearSelection();
        }
    });
    return list;
}

QWidget* AutoVoteWindow::buildCriteria() {
    auto* box = new QGroupBox("対象レース", this);
    box->setObjectName("JokenGroup");
    auto* grid = new QGridLayout(box);
    trackList_ = criteriaList("JyoList", {}, true);
    surfaceList_ = criteriaList("TrackList", captionsOf(surfaceItems()), true);
    raceTypeList_ = criteriaList("SyubetuList", captionsOf(raceTypeItems()), true);
    classList_ = criteriaList("ClassList", captionsOf(classItems()), true);
    weightList_ = criteriaList("JyuryoList", captionsOf(weightItems()), true);
    const std::pair<const char*, QListWidget*> columns[] = {
        {"競馬場", trackList_}, {"トラック", surfaceList_}, {"種別", raceTypeList_}, {"クラス", classList_}, {"重量", weightList_}};
    int col = 0;
    for (const auto& [caption, list] : columns) {
        grid->addWidget(new QLabel(caption, box), 0, col);
        grid->addWidget(list, 1, col++);
    }
    grid->addWidget(buildRangesAndLimits(), 2, 0, 1, col);
    return box;
}

QWidget* AutoVoteWindow::buildRangesAndLimits() {
    auto* host = new QWidget(this);
    auto* grid = new QGridLayout(host);
    grid->setContentsMargins(0, 0, 0, 0);
    runnersFrom_ = spinBox(host, "TosuSpin1", kRunnersLow, kRunnersHigh, 1, kRunnersLow);
    runnersTo_ = spinBox(host, "TosuSpin2", kRunnersLow, kRunnersHigh, 1, kRunnersHigh);
    distanceFrom_ = spinBox(host, "KyoriSpin1", kDistanceLow, kDistanceHigh, kDistanceStep, kDistanceFrom);
    distanceTo_ = spinBox(host, "KyoriSpin2", kDistanceLow, kDistanceHigh, kDistanceStep, kDistanceTo);
    grid->addWidget(new QLabel("頭数", host), 0, 0);
    grid->addWidget(runnersFrom_, 0, 1);
    grid->addWidget(new QLabel("～", host), 0, 2);
    grid->addWidget(runnersTo_, 0, 3);
    grid->addWidget(new QLabel("距離(m)", host), 1, 0);
    grid->addWidget(distanceFrom_, 1, 1);
    grid->addWidget(new QLabel("～", host), 1, 2);
    grid->addWidget(distanceTo_, 1, 3);
    const SpendingLimits limits = readSpendingLimits(Settings());
    dayLimit_ = yenBox(host, "DayLimitEdit", limits.perDay, "1日の投票金額の上限(手動・vexmora-cli・自動のすべての投票に効きます)");
    raceLimit_ = yenBox(host, "RaceLimitEdit", limits.perRace, "1回の投票(1レース)の金額の上限(すべての投票に効きます)");
    grid->addWidget(new QLabel("1日の上限", host), 0, 4);
    grid->addWidget(dayLimit_, 0, 5);
    grid->addWidget(new QLabel("1レースの上限", host), 1, 4);
    grid->addWidget(raceLimit_, 1, 5);
    grid->setColumnStretch(6, 1);
    return host;
}

void AutoVoteWindow::buildLayout() {
    auto* column = new QVBoxLayout(this);
    column->addWidget(buildCriteria());
    auto* lower = new QHBoxLayout;
    QStringList ranks;
    for (int p = 1; p <= kMaxRunners; ++p) ranks << QString::asprintf("%2d人気", p);
    popularityList_ = criteriaList("NinkiList", ranks, true);
    popularityList_->setMaximumHeight(16777215);
    popularityList_->setMinimumHeight(200);
    auto* popularity = new QVBoxLayout;
    popularity->addWidget(new QLabel("単勝人気順位", this));
    popularity->addWidget(popularityList_, 1);
    lower->addLayout(popularity);
    targetList_ = new QListWidget(this);
    targetList_->setObjectName("TargetRaceList");
    auto* targets = new QVBoxLayout;
    targets->addWidget(new QLabel("対象レース一覧", this));
    targets->addWidget(targetList_, 1);
    lower->addLayout(targets, 1);
    logList_ = new QListWidget(this);
    logList_->setObjectName("NaviLogList");
    auto* log = new QVBoxLayout;
    log->addWidget(new QLabel("自動投票ログ", this));
    log->addWidget(logList_, 1);
    lower->addLayout(log, 2);
    column->addLayout(lower, 1);
    auto* notes = new QLabel("※投票金額、資金配分はメイン画面の設定に依存します。\n"
                             "※投票時刻は各レースとも[オッズ取得時刻＋指定インターバル秒]後です。\n"
                             "※自動投票運用時間中の投票確認は下記ボタンより行ってください。。",
                             this);
    notes->setObjectName("NoteLabel");
    column->addWidget(notes);
    auto* buttons = new QHBoxLayout;
    startButton_ = new QPushButton("自動投票開始", this);
    startButton_->setObjectName("StartBtn");
    endButton_ = new QPushButton("自動投票終了", this);
    endButton_->setObjectName("EndBtn");
    libraryButton_ = new QPushButton("投票メニュー", this);
    libraryButton_->setObjectName("TohyoMenuBtn");
    lamp_ = lampLabel(this, "NaviLamp");
    for (QWidget* w : {static_cast<QWidget*>(startButton_), static_cast<QWidget*>(endButton_),
                       static_cast<QWidget*>(libraryButton_)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(lamp_);
    column->addLayout(buttons);
}

void AutoVoteWindow::openForDay() {
    if (main_.chosenDayText().isEmpty() || !main_.table().dayLoaded) {
        Dialogs::information(&main_, "本日の開催日を選択してください。");
        return;
    }
    if (!running_) fillTracks();
    show();
    raise();
    activateWindow();
}

void AutoVoteWindow::fillTracks() {
    trackList_->clear();
    for (const DayTrack& track : tracksOfDay(main_.table())) {
        auto* item = new QListWidgetItem(fromCp932(track.name), trackList_);
        item->setData(Qt::UserRole, QString::fromStdString(track.code));
    }
}

AutoVoteCriteria AutoVoteWindow::criteria() const {
    AutoVoteCriteria c;
    for (int row : selectedRows(trackList_)) c.tracks.push_back(trackList_->item(row)->data(Qt::UserRole).toString().toStdString());
    c.surfaces = selectedRows(surfaceList_);
    c.raceTypes = selectedRows(raceTypeList_);
    c.classes = selectedRows(classList_);
    c.weights = selectedRows(weightList_);
    c.runnersFrom = runnersFrom_->value();
    c.runnersTo = runnersTo_->value();
    c.distanceFrom = distanceFrom_->value();
    c.distanceTo = distanceTo_->value();
    return c;
}

PopularityTargets AutoVoteWindow::popularities() const {
    PopularityTargets targets{};
    for (int row : selectedRows(popularityList_)) targets[static_cast<std::size_t>(row + 1)] = true;
    return targets;
}

void AutoVoteWindow::setCriteriaEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{trackList_, surfaceList_, raceTypeList_, classList_, weightList_,
                                                     runnersFrom_, runnersTo_, distanceFrom_, distanceTo_,
                                                     popularityList_, dayLimit_, raceLimit_})
        w->setEnabled(enabled);
}

bool AutoVoteWindow::setTargets() {
    popularity_ = popularities();
    schedule_.clear();
    targetList_->clear();
    const RaceTable& table = main_.table();
    std::vector<AutoVoteTarget> targets = chooseTargets(table, criteria());
    for (const AutoVoteTarget& t : targets) targetList_->addItem(fromCp932(t.line));
    schedule_.arm(table.paths.stamp, std::move(targets));
    setCriteriaEnabled(false);
    // 単勝 through the bet page's own kind change.
    main_.betPage()->chooseKind(BetKind::Win);
    return !schedule_.targets().empty();
}

void AutoVoteWindow::saveLimits() {
    try {
        writeSpendingLimits(Settings(), {dayLimit_->value(), raceLimit_->value()});
    } catch (const SettingsWriteError& e) {
        Dialogs::information(this, errorText(e));
    }
}

void AutoVoteWindow::showRunning(bool running) {
    running_ = running;
    startButton_->setEnabled(!running);
    endButton_->setEnabled(running);
    main_.betPage()->setEnabled(!running);
    colourLamp(lamp_, running);
    colourLamp(mainLamp_, running);
}

void AutoVoteWindow::start() {
    if (!anyPopularity(popularities())) {
        Dialogs::beep();
        Dialogs::information(this, "自動投票の買い目が設定されていません。");
        return;
    }
    // A vote by hand may be writing the log: the start waits for it.
    if (main_.worker()->busy()) {
        Dialogs::information(this, ControlWorker::busyMessage(main_.worker()->jobName()));
        return;
    }
    saveLimits();
    if (!setTargets()) {
        Dialogs::beep();
        Dialogs::information(this, "対象レースがありません。");
        setCriteriaEnabled(true);
        return;
    }
    showRunning(true);
    Dialogs::information(this, "自動投票を開始しました。");
    timer_->start();
    addLog({"============================", sj("■自動投票開始 ") + toCp932(nowText())});
}

void AutoVoteWindow::end() {
    popularity_ = {};
    schedule_.clear();
    setCriteriaEnabled(true);
    showRunning(false);
    Dialogs::information(this, "自動投票を終了しました。");
    timer_->stop();
    addLog({sj("■自動投票終了 ") + toCp932(nowText())});
}

void AutoVoteWindow::checkLibrary() {
    const control::ActiveSource source = control::activeSource();
    if (source.kind == control::ActiveSource::Bridge) return checkLibraryThroughBridge(source.bridgeCommand);
    const std::string setting = read(Settings(), settings::kVoteLibrary);
    const std::string message = libraryCheckMessage(checkVoteLibrary(voteLibraryFile(setting, main_.appDir())));
    if (!message.empty()) Dialogs::information(this, fromCp932(message));
}

// With the bridge the library sits beside the service's control, on the Windows side. Starting a
// bridge takes a while: it runs off the window thread, the button waits for its answer.
void AutoVoteWindow::checkLibraryThroughBridge(const std::string& command) {
    libraryButton_->setEnabled(false);
    libraryButton_->setToolTip("ブリッジの応答を待っています");
    QPointer<AutoVoteWindow> self(this);
    // Detached: it touches nothing of the window, and ends with its bridge's deadline at the latest.
    std::thread([self, command, deadlines = control::bridgeDeadlinesFromSettings()] {
        bridge::LibraryCheckResult result{};
        const int code = control::checkLibraryThroughBridge(command, deadlines, control::kBridgeVoteLibrary, result);
        const std::string message = code != 0 ? ResultMessage("LibraryCheck", code)
                                              : libraryCheckMessage(static_cast<LibraryCheck>(result));
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, message] {
            if (!self) return;
            self->libraryButton_->setEnabled(true);
            self->libraryButton_->setToolTip({});
            if (!message.empty()) Dialogs::information(self, fromCp932(message));
        }, Qt::QueuedConnection);
    }).detach();
}

TickView AutoVoteWindow::tickView() const {
    const RaceTable& table = main_.table();
    TickView view;
    // The day box and the table must both be the day: while another loads, the slots are not ours.
    if (table.dayLoaded && toCp932(main_.chosenDayText()) == table.paths.stamp) view.shownDayStamp = table.paths.stamp;
    view.latestPostTime = table.latestPostTime;
    view.workerBusy = main_.worker()->busy();
    const OddsFetchedFlags* fetched = main_.raceDayRefresh() ? &main_.raceDayRefresh()->oddsFetched() : nullptr;
    view.oddsReady = [&table, fetched](const std::string& raceKey) {
        return fetched && oddsReadyToVote(table, *fetched, raceKey, now());
    };
    return view;
}

void AutoVoteWindow::tick() {
    // A vote of ours writes the log on the worker: nothing else happens until it has ended.
    if (!running_ || voting_) return;
    const TickDecision decision = schedule_.tick(now(), tickView());
    for (const auto& [index, reason] : decision.givenUp) giveUp(index, reason);
    if (!decision.vote) return;
    try {
        voteTarget(*decision.vote);
    } catch (const std::exception& e) {
        // The race is not left half-chosen: it is given up like any vote that did not go through.
        if (auto reason = schedule_.voteEnded(*decision.vote, VoteOutcome::Refused)) giveUp(*decision.vote, *reason);
        reportError("自動投票でエラーが発生しました。\n" + errorText(e));
    }
}

void AutoVoteWindow::giveUp(std::size_t index, GiveUpReason reason) {
    addLog({givenUpLogLine(schedule_.targets().at(index), reason, logTime())});
}

void AutoVoteWindow::voteTarget(std::size_t index) {
    const int slot = slotOfRaceKey(main_.table(), schedule_.targets().at(index).raceKey);
    VotePlan plan;
    if (!prepareVote(slot, plan)) {
        if (auto reason = schedule_.voteEnded(index, plan.refused.outcome)) giveUp(index, *reason);
        return;
    }
    submit(index, std::move(plan));
}

bool AutoVoteWindow::prepareVote(int slot, VotePlan& plan) {
    BetPageWidget* betPage = main_.betPage();
    const auto& listSlots = main_.table().raceListSlots;
    const auto row = std::find(listSlots.begin(), listSlots.end(), slot);
    if (row == listSlots.end()) return false;
    // The normal race selection: the marks stay when it is the race shown already.
    main_.selectListRow(static_cast<int>(row - listSlots.begin()));
    BetPage& page = betPage->model();
    if (!page.race() || page.race()->slot != slot) return false;
    markTargetHorses(page, popularity_);
    betPage->refreshRace(BetRace(*page.race()));  // shows the marks and the list they make
    UiReporter reporter(this);
    Settings ini;
    VoteContext context{*main_.control(), reporter, main_.votingLog(), betFileFolder(&ini), true, false};
    context.settings = &ini;
    plan = planVote({main_.table().paths.stamp, page.race(), &page.bets(), page.amount()}, context);
    return plan.ready;
}

void AutoVoteWindow::submit(std::size_t index, VotePlan plan) {
    auto result = std::make_shared<VoteResult>();
    auto reporter = std::make_shared<JobReporter>(main_.messages());
    DataControl* control = main_.control();
    VotingLog* log = &main_.votingLog();
    const std::size_t logged = log->added().size();
    const Settings ini;
    const std::filesystem::path folder = betFileFolder(&ini);
    auto shared = std::make_shared<VotePlan>(std::move(plan));
    QPointer<AutoVoteWindow> self(this);
    voting_ = true;
    const bool started = main_.worker()->start(
        "自動投票",
        [=] {
            VoteContext job{*control, *reporter, *log, folder, true, false};
            job.settings = &ini;  // the limits as saved from this window's boxes
            *result = submitVote(*shared, job);
        },
        [self, result, index, log, logged] {
            if (!self) return;
            self->voting_ = false;
            const auto& added = log->added();
            self->showLog(std::vector<std::string>(added.begin() + static_cast<long>(std::min(logged, added.size())), added.end()));
            std::vector<std::string> held;
            held.swap(self->heldLog_);
            if (!held.empty()) self->addLog(held);
            if (auto reason = self->schedule_.voteEnded(index, result->outcome)) self->giveUp(index, *reason);
        });
    if (!started) {
        voting_ = false;
        schedule_.voteNotStarted(index);
    }
}

void AutoVoteWindow::addLog(const std::vector<std::string>& lines) {
    if (voting_) {
        heldLog_.insert(heldLog_.end(), lines.begin(), lines.end());
        return;
    }
    try {
        main_.votingLog().add(lines);
    } catch (const std::exception& e) {
        // Automatic voting goes on; the line is shown here even when the file did not take it.
        showLog({sj("投票ログを書き込めませんでした。") + toCp932(e.what())});
    }
    showLog(lines);
}

void AutoVoteWindow::showLog(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) logList_->addItem(fromCp932(line));
    while (logList_->count() > 500) delete logList_->takeItem(0);
    logList_->scrollToBottom();
}

AutoVoteWindow* attachAutoVoteWindow(MainWindow& main) {
    auto* window = new AutoVoteWindow(main);
    window->hide();
    QObject::connect(&main, &MainWindow::autoVoteRequested, window, [window] { window->openForDay(); });
    // The main window's indicator, beside the hints of its status bar (developer mode only).
    auto* lamp = lampLabel(&main, "AutoTohyoLamp");
    main.statusBar()->addPermanentWidget(lamp);
    lamp->setVisible(main.developerMode());
    window->mainLamp_ = lamp;
    colourLamp(lamp, false);
    return window;
}

}  // namespace vex::ui

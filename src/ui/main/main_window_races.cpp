// Day selection and the race views of the main window.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "app/atomic_file.h"
#include "app/settings.h"
#include "app/clock.h"
#include "betting/race_adapter.h"
#include "betting/race_card_grid.h"
#include "dayload/day_load.h"
#include "store/day_list.h"
#include "store/store_paths.h"
#include "ui/betpage/bet_page_widget.h"
#include "ui/look/look.h"
#include "ui/main/day_loader.h"
#include "ui/shared/dialogs.h"
#include "ui/main/day_selector.h"
#include "ui/main/main_window.h"
#include "ui/main/progress_window.h"
#include "ui/shared/qt_text.h"
#include "ui/main/race_card_view.h"
#include "ui/download/race_day_refresh.h"
#include "ui/shared/text_grid_model.h"
#include "ui/shared/error_report.h"
#include "vocabulary/cp932.h"

namespace vex::ui {

void MainWindow::setupGrids() {
    setupDetailCard();
    setupRaceCardGrid();
}

void MainWindow::setupDetailCard() {
    detailModel_ = new DetailCardModel(this);
    detailCard_->setModel(detailModel_);
    detailDelegate_ = new DetailCardDelegate(
        detailModel_,
        [this] {
            CardFilters f;
            f.surface = surfaceFilter_[1]->isChecked() ? 1 : surfaceFilter_[2]->isChecked() ? 2 : 0;
            f.distance = distanceFilter_[1]->isChecked() ? 1 : distanceFilter_[2]->isChecked() ? 2 : 0;
            if (currentRace_ >= 0) f.raceDistance = fieldNumber(table_->raw[currentRace_].ra.field(RA::Distance));
            return f;
        },
        this);
    detailCard_->setItemDelegate(detailDelegate_);
    detailCard_->verticalHeader()->setVisible(false);
    detailCard_->verticalHeader()->setDefaultSectionSize(kDetailRowHeight);
    detailCard_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int widths[kDetailColumns] = {24, 26, 200, 118, 104, 0, 222, 222, 222};
    for (int c = 0; c < kDetailColumns; ++c) detailCard_->setColumnWidth(c, widths[c]);
    detailCard_->setColumnHidden(5, true);  // the distance and going record is never shown
    // The name and the past runs, the cells with most to say, share the room the others leave.
    look::stretchColumns(detailCard_, {2, 6, 7, 8});
    detailCard_->setSelectionMode(QAbstractItemView::SingleSelection);
    detailCard_->setSelectionBehavior(QAbstractItemView::SelectRows);
    detailCard_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailCard_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(detailCard_);
    popup->setObjectName("PopupMenu1");
    QAction* track = popup->addAction("追跡馬に登録(&R)");
    track->setObjectName("ChaseHorseItem");
    connect(detailCard_, &QWidget::customContextMenuRequested, this, [this, popup](const QPoint& at) {
        QModelIndex idx = detailCard_->indexAt(at);
        if (!idx.isValid()) return;
        popupRow_ = idx.row();
        popup->popup(detailCard_->viewport()->mapToGlobal(at));
    });
    connect(track, &QAction::triggered, this, [this] {
        if (popupRow_ >= 0) registerTrackedHorse(popupRow_ + 1);
    });
}

void MainWindow::setupRaceCardGrid() {
    cardModel_ = new TextGridModel(this);
    raceCardGrid_->setModel(cardModel_);
    cardDelegate_ = new RaceCardDelegate(
        [this](int row) -> std::pair<int, bool> {
            if (currentRace_ < 0) return {0, false};
            const RawRecords& rr = table_->raw[currentRace_];
            int horse = cardModel_->text(row - 1, 1).trimmed().toInt();
            if (horse < 1 || horse > kMaxRunners) horse = row;
            int frame = fieldNumber(rr.se[horse - 1].field(SE::Frame));
            return {frame, table_->races[currentRace_].recommendedHorse == horse};
        },
        this);
    raceCardGrid_->setItemDelegate(cardDelegate_);
    raceCardGrid_->verticalHeader()->setVisible(false);
    raceCardGrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    look::stretchColumns(raceCardGrid_, {2});
    setRaceCardGrid(buildRaceCardGrid(*table_, -1));
}

void MainWindow::setRaceCardGrid(const TextGrid& grid) {
    cardModel_->setGrid(grid, 1);
    // Narrow columns, set again after each reset of the model: 31 columns should nearly fit the tab.
    static const int widths[kRaceCardColumns] = {22, 22, 120, 36, 64, 36, 32, 36, 24, 40, 24, 36, 24, 40, 24, 32,
                                                 32, 64, 48, 40, 64, 48, 40, 64, 48, 40, 56, 32, 24, 24, 42};
    for (int c = 0; c < std::min(kRaceCardColumns, grid.colCount()); ++c) raceCardGrid_->setColumnWidth(c, widths[c]);
    raceCardGrid_->clearSelection();
}

// ---------------------------------------------------------------- day list and day load

void MainWindow::fillDaySelector() {
    daySelector_->clear();
    for (const std::string& stamp : buildDayList()) daySelector_->addItem(fromCp932(stamp));
    daySelector_->setCurrentIndex(-1);
    updateStartHint();
}

// Today's races when there are any; the newest day stored may be a later day, without odds yet.
void MainWindow::selectDayAfterDownload() {
    const int today = daySelector_->findText(fromCp932(dayStampOf(now())));
    selectAndLoadDay(today >= 0 ? today : 0);  // the list is newest first
}

void MainWindow::selectStartDay() {
    const QString last = fromCp932(read(Settings(), settings::kLastShownDay));
    const int remembered = last.isEmpty() ? -1 : daySelector_->findText(last);
    if (remembered >= 0)
        selectAndLoadDay(remembered);
    else
        selectDayAfterDownload();  // today's races rather than a later day without odds
}

void MainWindow::selectAndLoadDay(int index) {
    if (index < 0 || index >= daySelector_->count()) return;
    {
        QSignalBlocker quiet(daySelector_);
        daySelector_->setCurrentIndex(index);
    }
    loadSelectedDay();
}

// Written when it changes only: every load would otherwise rewrite the settings file.
void MainWindow::rememberShownDay() {
    Settings ini;
    const std::string& stamp = table_->paths.stamp;
    if (read(ini, settings::kLastShownDay) == stamp) return;
    try {
        write(ini, settings::kLastShownDay, stamp);
    } catch (const SettingsWriteError&) {
        // Only the next start's first day is lost; the day shown is not worth a message box.
    }
}

void MainWindow::clearViews() {
    {
        QSignalBlocker quiet(raceList_);
        raceList_->clear();
    }
    pages_->setVisible(false);
    clearHeader();
    currentRace_ = previousRace_ = -1;
    betPage_->dayLoaded();
    updateStartHint();
}

void MainWindow::fillRaceList() {
    QSignalBlocker quiet(raceList_);  // filling is not choosing: the caller selects
    raceList_->clear();
    for (const std::string& line : table_->raceList) raceList_->addItem(fromCp932(line));
}

void MainWindow::loadSelectedDay() {
    if (daySelector_->currentIndex() < 0) return;
    dayLoader_->load(toCp932(daySelector_->currentText()));
    updateStartHint();
}

void MainWindow::showLoadedDay(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure) {
    if (!failure.isEmpty()) reportJobFailure("データ読込", failure);
    if (!table || !result.loaded) {
        if (table) dayLoader_->recycle(std::move(table));
        showDayInSelector();
        updateStartHint();
        return;
    }
    // The day shown loaded again (new data, Compi entry): the race and the bet page stay.
    const int keep = dayShown_ && table->paths.stamp == table_->paths.stamp && table->listItemOfSlot(currentRace_) >= 0
                         ? currentRace_
                         : -1;
    postCountdown_->setVisible(false);
    if (keep < 0) clearViews();
    dayLoader_->recycle(std::exchange(table_, std::move(table)));
    dayShown_ = true;
    raceDayRefresh_->dayLoaded(*table_);
    voted_.fill(false);
    fillRaceList();
    showDayInSelector();
    rememberShownDay();
    if (keep >= 0)
        showRaceAgain(keep);
    else if (raceList_->count() > 0)
        selectListRow(0);
    postCountdown_->setVisible(table_->showRemainingTime);
    updateStartHint();
}

void MainWindow::showRaceAgain(int slot) {
    table_->currentSlot = slot;
    highlightShownRace();
    drawRace(slot, RaceDraw::Refresh);
}

void MainWindow::showDownloadedDays(bool storedNew, bool completed) {
    if (!storedNew) return;  // the store is as it was: so is everything shown
    const QString shown = dayShown_ ? fromCp932(table_->paths.stamp) : QString();
    fillDaySelector();
    const int again = shown.isEmpty() ? -1 : daySelector_->findText(shown);
    if (again >= 0)
        selectAndLoadDay(again);
    else if (completed)
        selectDayAfterDownload();
}

void MainWindow::showDayInSelector() {
    int shown = dayShown_ ? daySelector_->findText(fromCp932(table_->paths.stamp)) : -1;
    QSignalBlocker quiet(daySelector_);
    daySelector_->setCurrentIndex(shown);
}

QString MainWindow::chosenDayText() const { return daySelector_->currentText(); }

QStringList MainWindow::raceListLines() const {
    QStringList lines;
    for (int i = 0; i < raceList_->count(); ++i) lines << raceList_->item(i)->text();
    return lines;
}

int MainWindow::raceListRow() const { return raceList_->currentRow(); }

void MainWindow::selectListRow(int row) {
    if (raceList_->currentRow() == row)
        showSelectedRace();
    else
        raceList_->setCurrentRow(row);  // the row change selects
}

// ---------------------------------------------------------------- race selection

void MainWindow::clearHeader() {
    for (QLabel* l : {raceDayLine_, raceTitle_, raceFieldLine_, raceConditionsLine_, prizeLine_, addedPrizeLine_,
                      trackName_, raceNumber_})
        l->clear();
    betPage_->showZone(QString());
    raceHeader_->setPalette(QPalette());  // no race, no race colour
}

void MainWindow::drawHeader(int slot) {
    HeaderLines h = headerLines(*table_, slot);
    raceDayLine_->setText(h.dayLine);
    raceTitle_->setText(h.title);
    raceFieldLine_->setText(h.fieldLine);
    raceConditionsLine_->setText(h.conditionsLine);
    prizeLine_->setText(h.prizeLine);
    addedPrizeLine_->setText(h.addedPrizeLine);
    trackName_->setText(h.trackName);
    raceNumber_->setText(h.race);
    betPage_->showZone(h.zone);
    if (h.panelColour) {
        QPalette pal = raceHeader_->palette();
        pal.setColor(QPalette::Window, *h.panelColour);
        raceHeader_->setPalette(pal);
    }
}

void MainWindow::drawResults(int slot) {
    ResultTexts texts = resultTexts(*table_, slot);
    for (int kind = 1; kind <= 9; ++kind)
        for (std::size_t e = 0; e < resultLabels_[kind].size(); ++e)
            for (int c = 0; c < 3; ++c)
                resultLabels_[kind][e][c]->setText(e < texts[kind].size() ? texts[kind][e][c] : QString());
}

void MainWindow::showSelectedRace() {
    int row = raceList_->currentRow();
    RaceTable& table = *table_;
    int slot = table.slotOfListItem(row);
    if (slot < 0) return;
    QElapsedTimer clock;
    clock.start();

    previousRace_ = currentRace_;
    // The views keep showing the previous race when this one cannot be drawn.
    const RawRecords& rr = table.raw[slot];
    if (fieldNumber(rr.se[0].field(SE::Horse)) <= 0) {
        highlightShownRace();  // the list must not highlight a race the views do not show
        Dialogs::information(this, QString::number(raceNumber(rr.ra)) + "レースはデータが不十分です。");
        return;
    }
    currentRace_ = slot;
    table.currentSlot = slot;
    drawRace(slot, RaceDraw::Select);
    lastSelectMs_ = clock.nsecsElapsed() / 1e6;
}

void MainWindow::highlightShownRace() {
    QSignalBlocker quiet(raceList_);
    raceList_->setCurrentRow(table_->listItemOfSlot(currentRace_));
}

// Header, results, detailed card, index card and race card grid of the race in `slot`.
void MainWindow::drawRace(int slot, RaceDraw how) {
    const RaceTable& table = *table_;
    detailCard_->setVisible(false);
    raceCardGrid_->setVisible(false);
    detailModel_->clear();
    for (auto& kind : resultLabels_)
        for (auto& entry : kind)
            for (QLabel* l : entry) l->clear();
    drawHeader(slot);
    drawResults(slot);
    detailModel_->setRows(buildDetailCard(table, slot));
    detailCard_->setVisible(true);
    raceCardGrid_->setVisible(true);

    // The index card and the bets follow the selection, and so do the other windows.
    if (how == RaceDraw::Select)
        betPage_->selectRace(betRaceOf(table, slot));
    else
        betPage_->refreshRace(betRaceOf(table, slot));
    setRaceCardGrid(buildRaceCardGrid(table, slot));
    emit raceSelected(slot);

    pages_->setVisible(true);
    updateStartHint();
    detailCard_->clearSelection();
    raceCardGrid_->clearSelection();
}

bool MainWindow::showsToday() const {
    const DateTime t = now();
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", t.year, t.month, t.day);
    return dayShown_ && table_->dayLoaded && table_->raw[0].ra.field(Common::Date) == std::string_view(today);
}

void MainWindow::selectNextRace() {
    const RaceTable& table = *table_;
    if (raceList_->count() == 0) return;
    if (!showsToday()) {
        enableDayCommands();  // the date moved on since the day was loaded: the button says so now
        return;
    }
    const DateTime t = now();
    int nowMinutes = t.hour * 60 + t.minute;
    int best = -1, bestDiff = 0;
    for (int row = 0; row < raceList_->count(); ++row) {
        int slot = table.slotOfListItem(row);
        if (slot < 0) continue;
        std::string_view post = table.raw[slot].ra.field(RA::PostTime);
        if (post.size() != 4 || fieldNumber(post) == 0) continue;
        int postMinutes = fieldNumber(post.substr(0, 2)) * 60 + fieldNumber(post.substr(2, 2));
        int diff = postMinutes - nowMinutes;
        if (diff > 0 && (best < 0 || diff < bestDiff)) {
            best = row;
            bestDiff = diff;
        }
    }
    if (best < 0) return;
    selectListRow(best);
}

// ---------------------------------------------------------------- tracked horses

void MainWindow::registerTrackedHorse(int horse) {
    if (currentRace_ < 0 || horse < 1 || horse > kMaxRunners) return;
    RaceTable& table = *table_;
    const SeRecord& se = table.raw[currentRace_].se[horse - 1];
    std::string name(se.field(SE::HorseName));
    std::string shown = name;
    // Trailing blanks (ASCII and full-width) are not part of the name shown.
    for (;;) {
        if (!shown.empty() && shown.back() == ' ')
            shown.pop_back();
        else if (shown.size() >= 2 && shown.compare(shown.size() - 2, 2, "\x81\x40") == 0)
            shown.resize(shown.size() - 2);
        else
            break;
    }
    if (!Dialogs::askYesNo(this, fromCp932(shown) + "を追跡馬に登録しますか？")) return;
    // Keep the horses registered in earlier runs: the file is the only record of them, so one
    // that cannot be read is left alone, and it is reread under its lock (vexmora-cli shares it).
    try {
        FileUpdate update(chaseHorseFilePath());
        std::vector<std::string> lines = update.lines();
        lines.push_back(std::string(se.field(SE::RegistrationNumber)) + name);
        std::sort(lines.begin(), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        update.replaceLines(lines);
    } catch (const std::runtime_error& e) {  // FileReadError, FolderBusyError, FileWriteError
        Dialogs::beep();
        Dialogs::information(this, errorText(e));
        return;
    }
    table.races[currentRace_].trackedHorse[horse] = 1;
    Dialogs::information(this, fromCp932(shown) + "を追跡馬に登録しました。");
    drawRace(currentRace_, RaceDraw::Refresh);
}

}  // namespace vex::ui

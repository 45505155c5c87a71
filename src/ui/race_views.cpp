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

#include "app/atomic_file.h"
#include "app/clock.h"
#include "betting/race_adapter.h"
#include "betting/race_card_grid.h"
#include "store/day_list.h"
#include "store/day_load.h"
#include "store/store_paths.h"
#include "ui/bet_page_widget.h"
#include "ui/day_loader.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/qt_text.h"
#include "ui/race_card_view.h"
#include "ui/text_grid_model.h"
#include "vocabulary/cp932.h"

namespace vex::ui {

void MainWindow::setupGrids() {
    detailModel_ = new DetailCardModel(this);
    StringGrid2->setModel(detailModel_);
    detailDelegate_ = new DetailCardDelegate(
        detailModel_,
        [this] {
            CardFilters f;
            f.surface = selBaBtn2->isChecked() ? 1 : selBaBtn3->isChecked() ? 2 : 0;
            f.distance = selkyoriBtn2->isChecked() ? 1 : selkyoriBtn3->isChecked() ? 2 : 0;
            if (currentRace_ >= 0) f.raceDistance = fieldNumber(table_->raw[currentRace_].ra.field(RA::Distance));
            return f;
        },
        this);
    StringGrid2->setItemDelegate(detailDelegate_);
    StringGrid2->verticalHeader()->setVisible(false);
    StringGrid2->verticalHeader()->setDefaultSectionSize(kDetailRowHeight);
    StringGrid2->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int widths[kDetailColumns] = {24, 26, 200, 118, 104, 0, 222, 222, 222};
    for (int c = 0; c < kDetailColumns; ++c) StringGrid2->setColumnWidth(c, widths[c]);
    StringGrid2->setColumnHidden(5, true);  // the distance and going record is never shown
    StringGrid2->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid2->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* popup = new QMenu(StringGrid2);
    popup->setObjectName("PopupMenu1");
    QAction* track = popup->addAction("追跡馬に登録(&R)");
    track->setObjectName("ChaseHorseItem");
    connect(StringGrid2, &QWidget::customContextMenuRequested, this, [this, popup](const QPoint& at) {
        QModelIndex idx = StringGrid2->indexAt(at);
        if (!idx.isValid()) return;
        popupRow_ = idx.row();
        popup->popup(StringGrid2->viewport()->mapToGlobal(at));
    });
    connect(track, &QAction::triggered, this, [this] {
        if (popupRow_ >= 0) RegisterTrackedHorse(popupRow_ + 1);
    });

    cardModel_ = new TextGridModel(this);
    StringGrid3->setModel(cardModel_);
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
    StringGrid3->setItemDelegate(cardDelegate_);
    StringGrid3->verticalHeader()->setVisible(false);
    StringGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRaceCardGrid(buildRaceCardGrid(*table_, -1));
}

void MainWindow::setRaceCardGrid(const TextGrid& grid) {
    cardModel_->setGrid(grid, 1);
    // Narrow columns, set again after each reset of the model: 31 columns should nearly fit the tab.
    static const int widths[kRaceCardColumns] = {22, 22, 120, 36, 64, 36, 32, 36, 24, 40, 24, 36, 24, 40, 24, 32,
                                                 32, 64, 48, 40, 64, 48, 40, 64, 48, 40, 56, 32, 24, 24, 42};
    for (int c = 0; c < std::min(kRaceCardColumns, grid.colCount()); ++c) StringGrid3->setColumnWidth(c, widths[c]);
    StringGrid3->clearSelection();
}

// ---------------------------------------------------------------- day list and day load

void MainWindow::MakeDataList() {
    DateCombo->clear();
    for (const std::string& stamp : buildDayList()) DateCombo->addItem(fromCp932(stamp));
    DateCombo->setCurrentIndex(-1);
}

void MainWindow::ClearRaces() {
    clearViews();
    dayShown_ = false;  // the table stays in memory, unseen: a fresh one would stall the window
}

void MainWindow::clearViews() {
    {
        QSignalBlocker quiet(DatList);
        DatList->clear();
    }
    PageControl1->setVisible(false);
    clearHeader();
    currentRace_ = previousRace_ = -1;
    betPage_->dayLoaded();
}

void MainWindow::fillRaceList() {
    QSignalBlocker quiet(DatList);  // filling is not choosing: the caller selects
    DatList->clear();
    for (const std::string& line : table_->raceList) DatList->addItem(fromCp932(line));
}

void MainWindow::DateComboChange() {
    if (DateCombo->currentIndex() < 0) return;
    dayLoader_->load(toCp932(DateCombo->currentText()));
}

void MainWindow::showLoadedDay(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure) {
    if (!failure.isEmpty()) reportJobFailure("データ読込", failure);
    if (!table || !result.loaded) {
        showDayInSelector();
        return;
    }
    RestTimeLabel->setVisible(false);
    clearViews();
    table_ = std::move(table);
    dayShown_ = true;
    voted_.fill(false);
    fillRaceList();
    showDayInSelector();
    if (DatList->count() > 0) selectListRow(0);
    RestTimeLabel->setVisible(table_->showRemainingTime);
}

void MainWindow::showDayInSelector() {
    int shown = dayShown_ ? DateCombo->findText(fromCp932(table_->paths.stamp)) : -1;
    QSignalBlocker quiet(DateCombo);
    DateCombo->setCurrentIndex(shown);
}

void MainWindow::selectListRow(int row) {
    if (DatList->currentRow() == row)
        DatListClick();
    else
        DatList->setCurrentRow(row);  // the row change selects
}

// ---------------------------------------------------------------- race selection

void MainWindow::clearHeader() {
    for (QLabel* l : {Label1, Label2, Label3, Label4, Label6, Label7, BashoLabel, RaceLabel}) l->clear();
    if (ZoneLabel) ZoneLabel->clear();
}

void MainWindow::drawHeader(int slot) {
    HeaderLines h = headerLines(*table_, slot);
    Label1->setText(h.label1);
    Label2->setText(h.label2);
    Label3->setText(h.label3);
    Label4->setText(h.label4);
    Label6->setText(h.label6);
    Label7->setText(h.label7);
    BashoLabel->setText(h.basho);
    RaceLabel->setText(h.race);
    if (ZoneLabel) ZoneLabel->setText(h.zone);
    if (h.panelColour) {
        QPalette pal = Panel3->palette();
        pal.setColor(QPalette::Window, *h.panelColour);
        Panel3->setPalette(pal);
    }
}

void MainWindow::drawResults(int slot) {
    ResultTexts texts = resultTexts(*table_, slot);
    for (int kind = 1; kind <= 9; ++kind)
        for (std::size_t e = 0; e < resultLabels[kind].size(); ++e)
            for (int c = 0; c < 3; ++c)
                resultLabels[kind][e][c]->setText(e < texts[kind].size() ? texts[kind][e][c] : QString());
}

void MainWindow::DatListClick() {
    int row = DatList->currentRow();
    RaceTable& table = *table_;
    int slot = table.slotOfListItem(row);
    if (slot < 0) return;
    QElapsedTimer clock;
    clock.start();

    previousRace_ = currentRace_;
    // The views keep showing the previous race when this one cannot be drawn.
    const RawRecords& rr = table.raw[slot];
    if (fieldNumber(rr.se[0].field(SE::Horse)) <= 0) {
        // The list must not highlight a race the views do not show.
        {
            QSignalBlocker quiet(DatList);
            auto shownRow = std::find(table.raceListSlots.begin(), table.raceListSlots.end(), currentRace_);
            DatList->setCurrentRow(shownRow == table.raceListSlots.end()
                                       ? -1
                                       : static_cast<int>(shownRow - table.raceListSlots.begin()));
        }
        Dialogs::information(this, QString::number(raceNumber(rr.ra)) + "レースはデータが不十分です。");
        return;
    }
    currentRace_ = slot;
    table.CurrentRaceIndex = slot;

    StringGrid2->setVisible(false);
    StringGrid3->setVisible(false);
    detailModel_->clear();
    for (auto& kind : resultLabels)
        for (auto& entry : kind)
            for (QLabel* l : entry) l->clear();
    drawHeader(slot);
    drawResults(slot);
    detailModel_->setRows(buildDetailCard(table, slot));
    StringGrid2->setVisible(true);
    StringGrid3->setVisible(true);

    // The index card and the bets follow the selection, and so do the other windows.
    betPage_->selectRace(betRaceOf(table, slot));
    setRaceCardGrid(buildRaceCardGrid(table, slot));
    emit raceSelected(slot);

    PageControl1->setVisible(true);
    StringGrid2->clearSelection();
    StringGrid3->clearSelection();
    lastSelectMs_ = clock.nsecsElapsed() / 1e6;
}

void MainWindow::NextRaceBtnClick() {
    const RaceTable& table = *table_;
    if (DatList->count() == 0 || !table.dayLoaded) return;
    DateTime t = now();
    char today[16];
    std::snprintf(today, sizeof today, "%04d%02d%02d", t.year, t.month, t.day);
    if (table.raw[0].ra.field(Common::Date) != std::string_view(today)) return;
    int nowMinutes = t.hour * 60 + t.minute;
    int best = -1, bestDiff = 0;
    for (int row = 0; row < DatList->count(); ++row) {
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

void MainWindow::RegisterTrackedHorse(int horse) {
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
        Dialogs::information(this, QString::fromStdString(e.what()));
        return;
    }
    table.races[currentRace_].trackedHorse[horse] = 1;
    Dialogs::information(this, fromCp932(shown) + "を追跡馬に登録しました。");
    DatListClick();
}

}  // namespace vex::ui

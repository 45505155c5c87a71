#include "ui/compi/compi_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/settings.h"
#include "compi/companion_folder.h"
#include "compi/compi_file.h"
#include "compi/compi_page_import.h"
#include "store/record_layout.h"
#include "ui/shared/dialogs.h"
#include "ui/main/main_window.h"
#include "ui/shared/qt_text.h"
#include "ui/shared/error_report.h"
#include "ui/widgets/number_edit.h"
#include "vocabulary/codes.h"

namespace vex::ui {
namespace fs = std::filesystem;

namespace {

inline constexpr IntSetting kCompiTop{"locateCompiForm", "top", 50};
inline constexpr IntSetting kCompiLeft{"locateCompiForm", "left", 100};

QString rankCaption(int rank) { return QString::asprintf("%2d位", rank); }

}  // namespace

CompiWindow::CompiWindow(MainWindow& main)
    // No Qt parent: its controls carry the same given names as the main window's (DatList,
    // PageControl1, ...), and a child window would shadow them in every search by name.
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), main_(main) {
    setObjectName("TCompiForm");
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle("コンピ指数入力");
    auto* column = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("PageControl1");
    tabs_->addTab(buildPasteTab(), "貼り付け入力");
    tabs_->addTab(buildManualTab(), "コンピ指数手入力");
    column->addWidget(tabs_);
    restorePosition();
}

CompiWindow::~CompiWindow() { savePosition(); }

QWidget* CompiWindow::buildPasteTab() {
    auto* tab = new QWidget(this);
    tab->setObjectName("TabSheet1");
    auto* column = new QVBoxLayout(tab);
    providerLink_ = new QLabel("<a href=\"https://\">「極ウマ・プレミアム」サイトのページソースより取り込みます。</a>", tab);
    providerLink_->setObjectName("LinkLabel1");
    // The provider's member page is not known to this build: the link names the source and opens nothing.
    providerLink_->setTextInteractionFlags(Qt::NoTextInteraction);
    providerLink_->setEnabled(false);
    providerLink_->setToolTip("リンク先のページは未設定のため開けません");
    importButton_ = new QPushButton("ｸﾘｯﾌﾟﾎﾞｰﾄﾞよりｺﾝﾋﾟ指数をｺﾋﾟｰ", tab);
    importButton_->setObjectName("CompiBtnNew");
    importButton_->setToolTip("コンピ指数の入力をします");
    pageMemo_ = new QPlainTextEdit(tab);
    pageMemo_->setObjectName("Memo2");
    pageMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    pageMemo_->viewport()->installEventFilter(this);
    column->addWidget(providerLink_);
    column->addWidget(importButton_);
    column->addWidget(pageMemo_, 1);
    connect(importButton_, &QPushButton::clicked, this, [this] { importFromClipboard(); });
    return tab;
}

// A click into the memo selects its whole text, for pasting by hand.
bool CompiWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pageMemo_->viewport() && event->type() == QEvent::MouseButtonRelease) pageMemo_->selectAll();
    return QWidget::eventFilter(watched, event);
}

QWidget* CompiWindow::buildManualTab() {
    auto* tab = new QWidget(this);
    tab->setObjectName("TabSheet2");
    auto* row = new QHBoxLayout(tab);
    raceList_ = new QListWidget(tab);
    raceList_->setObjectName("DatList");
    raceList_->setFixedWidth(72);
    row->addWidget(raceList_);
    row->addWidget(buildHorseSection(tab));
    auto* right = new QVBoxLayout;
    right->addWidget(buildFrameSection(tab));
    loadButton_ = new QPushButton("読込", tab);
    loadButton_->setObjectName("ReadCompBtn");
    loadButton_->setVisible(false);
    saveButton_ = new QPushButton("更新を保存", tab);
    saveButton_->setObjectName("Savebtn");
    saveButton_->setVisible(false);
    right->addWidget(loadButton_);
    right->addWidget(saveButton_);
    right->addStretch(1);
    row->addLayout(right);
    connect(raceList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { selectRaceHere(raceList_->row(item)); });
    connect(loadButton_, &QPushButton::clicked, this, [this] { loadSelectedRace(); });
    connect(saveButton_, &QPushButton::clicked, this, [this] { saveGrid(); });
    return tab;
}

NumberEdit* CompiWindow::entryCell(QWidget* parent, int number) {
    auto* cell = new NumberEdit(2, 0, false, parent);
    cell->setObjectName(QString("SaNumEditExC%1").arg(number));
    cell->setFixedWidth(34);
    return cell;
}

QWidget* CompiWindow::buildHorseSection(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(1);
    grid->addWidget(new QLabel("馬連指数", box), 0, 0, 1, 3);
    grid->addWidget(new QLabel("順位", box), 1, 0);
    grid->addWidget(new QLabel("馬番", box), 1, 1);
    grid->addWidget(new QLabel("コンピ", box), 1, 2);
    for (int i = 0; i < kMaxRunners; ++i) {
        horseRowLabels_[i] = new QLabel(rankCaption(i + 1), box);
        horseCells_[i] = entryCell(box, 19 + i);
        valueCells_[i] = entryCell(box, 1 + i);
        grid->addWidget(horseRowLabels_[i], i + 2, 0);
        grid->addWidget(horseCells_[i], i + 2, 1);
        grid->addWidget(valueCells_[i], i + 2, 2);
        // Typed changes only: the program's own filling runs neither checks nor saving.
        connect(horseCells_[i], &QLineEdit::textEdited, this, [this] { horseNumberTyped(); });
        connect(valueCells_[i], &QLineEdit::textEdited, this, [this] { valueTyped(); });
    }
    grid->setRowStretch(kMaxRunners + 2, 1);
    return box;
}

QWidget* CompiWindow::buildFrameSection(QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(1);
    grid->addWidget(new QLabel("枠連指数", box), 0, 0, 1, 3);
    grid->addWidget(new QLabel("順位", box), 1, 0);
    grid->addWidget(new QLabel("枠番", box), 1, 1);
    grid->addWidget(new QLabel("コンピ", box), 1, 2);
    for (int i = 0; i < kMaxFrames; ++i) {
        frameCells_[i] = entryCell(box, 45 + i);
        frameValueCells_[i] = entryCell(box, 37 + i);
        grid->addWidget(new QLabel(rankCaption(i + 1), box), i + 2, 0);
        grid->addWidget(frameCells_[i], i + 2, 1);
        grid->addWidget(frameValueCells_[i], i + 2, 2);
        connect(frameCells_[i], &QLineEdit::textEdited, this, [this] { frameNumberTyped(); });
        connect(frameValueCells_[i], &QLineEdit::textEdited, this, [this] { frameValueTyped(); });
    }
    return box;
}

// ---------------------------------------------------------------- opening and following the race

void CompiWindow::copyRaceList() {
    QSignalBlocker quiet(raceList_);
    raceList_->clear();
    raceList_->addItems(main_.raceListLines());
}

void CompiWindow::openForSelectedRace() {
    if (main_.chosenDayText().trimmed().isEmpty()) {
        Dialogs::beep();
        Dialogs::information(&main_, "開催日ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    if (main_.raceListLines().isEmpty()) {
        Dialogs::beep();
        Dialogs::information(&main_, "ﾃﾞｰﾀが不十分のようです。");
        return;
    }
    copyRaceList();
    int row = std::max(0, main_.raceListRow());
    raceList_->setCurrentRow(row);
    selectRaceHere(row);
    show();
    raise();
}

// A race chosen here is chosen in the main window, whose selection ends by loading the grid.
void CompiWindow::selectRaceHere(int row) {
    if (row < 0 || row >= main_.raceListLines().size()) return;
    if (main_.raceListRow() == row)
        loadSelectedRace();
    else
        main_.selectListRow(row);
}

int CompiWindow::selectedRunners() const {
    int slot = main_.currentRaceIndex();
    if (slot < 0 || slot >= kMaxRaces) return 0;
    return registeredRunners(main_.table().raw[static_cast<std::size_t>(slot)].ra);
}

void CompiWindow::loadSelectedRace() {
    const QStringList mainLines = main_.raceListLines();
    if (raceList_->count() != mainLines.size()) copyRaceList();
    int row = main_.raceListRow();
    {
        QSignalBlocker quiet(raceList_);
        raceList_->setCurrentRow(row);
    }
    runners_ = selectedRunners();
    for (int i = 0; i < kMaxRunners; ++i) {
        horseCells_[i]->clear();
        valueCells_[i]->clear();
        for (QWidget* w : {static_cast<QWidget*>(horseCells_[i]), static_cast<QWidget*>(valueCells_[i]), horseRowLabels_[i]})
            w->setVisible(i < runners_);
    }
    for (int i = 0; i < kMaxFrames; ++i) {
        frameCells_[i]->clear();
        frameValueCells_[i]->clear();
    }
    if (row < 0) return;
    std::string entry = toCp932(mainLines.at(row));
    if (entry.size() < 6) return;
    // Our own Data folder only: the day load prefers the companion's, the entry edits ours.
    std::string name = main_.table().paths.stamp + entry.substr(0, 4) + ".comp";
    auto file = CaseInsensitiveFolder(appFolder() / "Data").find(toUtf8(name));
    int race = fieldNumber(std::string_view(entry).substr(4, 2));
    if (!file || race <= 0) return;
    std::vector<std::string> lines;
    try {
        lines = readLines(*file);
    } catch (const FileReadError& e) {
        Dialogs::information(this, errorText(e));
        return;
    }
    if (race > static_cast<int>(lines.size())) return;
    CompiEntryGrid grid = compiEntryFromLine(lines[static_cast<std::size_t>(race - 1)], runners_);
    auto put = [](NumberEdit* cell, int n) {
        if (n > 0) cell->setText(QString::number(n));
    };
    for (int i = 0; i < kMaxRunners; ++i) {
        put(horseCells_[i], grid.horse[static_cast<std::size_t>(i + 1)]);
        put(valueCells_[i], grid.value[static_cast<std::size_t>(i + 1)]);
    }
    for (int i = 0; i < kMaxFrames; ++i) {
        put(frameCells_[i], grid.frame[static_cast<std::size_t>(i + 1)]);
        put(frameValueCells_[i], grid.frameValue[static_cast<std::size_t>(i + 1)]);
    }
}

// ---------------------------------------------------------------- checks and saving

std::vector<NumberEdit*> CompiWindow::shownHorseCells() const {
    return {horseCells_.begin(), horseCells_.begin() + std::clamp(runners_, 0, kMaxRunners)};
}

std::vector<NumberEdit*> CompiWindow::shownValueCells() const {
    return {valueCells_.begin(), valueCells_.begin() + std::clamp(runners_, 0, kMaxRunners)};
}

namespace {
std::vector<int> numbersOf(const std::vector<NumberEdit*>& cells) {
    std::vector<int> numbers;
    for (NumberEdit* cell : cells) numbers.push_back(static_cast<int>(cell->intValue()));
    return numbers;
}
}  // namespace

void CompiWindow::showMessages(const std::vector<std::string>& messages) {
    for (const std::string& text : messages) {
        Dialogs::beep();
        Dialogs::information(this, fromCp932(text));
    }
}

void CompiWindow::eraseCells(const std::vector<int>& ranks, const std::vector<NumberEdit*>& cells) {
    for (int rank : ranks) cells[static_cast<std::size_t>(rank - 1)]->clear();
}

void CompiWindow::valueTyped() {
    showMessages(valueOrderMessages(numbersOf(shownValueCells())));
    saveGrid();
}

void CompiWindow::horseNumberTyped() {
    std::vector<NumberEdit*> cells = shownHorseCells();
    eraseCells(ranksOutOfRange(numbersOf(cells), runners_), cells);
    showMessages(duplicateMessages(numbersOf(cells), "馬番"));
    saveGrid();
}

void CompiWindow::frameValueTyped() {
    showMessages(valueOrderMessages(numbersOf({frameValueCells_.begin(), frameValueCells_.end()})));
    saveGrid();
}

void CompiWindow::frameNumberTyped() {
    std::vector<NumberEdit*> cells(frameCells_.begin(), frameCells_.end());
    // Above the runner count, and above 8 too: there is no ninth frame.
    eraseCells(ranksOutOfRange(numbersOf(cells), std::min(runners_, kMaxFrames)), cells);
    showMessages(duplicateMessages(numbersOf(cells), "枠番"));
    saveGrid();
}

CompiEntryGrid CompiWindow::gridFromCells() const {
    CompiEntryGrid grid;
    for (int i = 0; i < kMaxRunners; ++i) {
        grid.horse[static_cast<std::size_t>(i + 1)] = static_cast<int>(horseCells_[i]->intValue());
        grid.value[static_cast<std::size_t>(i + 1)] = static_cast<int>(valueCells_[i]->intValue());
    }
    for (int i = 0; i < kMaxFrames; ++i) {
        grid.frame[static_cast<std::size_t>(i + 1)] = static_cast<int>(frameCells_[i]->intValue());
        grid.frameValue[static_cast<std::size_t>(i + 1)] = static_cast<int>(frameValueCells_[i]->intValue());
    }
    return grid;
}

void CompiWindow::saveGrid() {
    int slot = main_.currentRaceIndex();
    if (slot < 0 || slot >= kMaxRaces) return;
    const RaRecord& ra = main_.table().raw[static_cast<std::size_t>(slot)].ra;
    std::string year(ra.field(Common::Year)), monthDay(ra.field(Common::MonthDay)), track(ra.field(Common::Track));
    std::string stamp = year + sj("年") + monthDay.substr(0, 2) + sj("月") + monthDay.substr(2, 2) + sj("日");
    int race = fieldNumber(ra.field(Common::RaceNumber));
    if (race <= 0) return;
    CompiEntryGrid grid = gridFromCells();
    fs::path file = compiWritePath(stamp, track);
    try {
        saveCompiEntryLine(file, race, compiEntryLine(year + monthDay, TrackName(track, 2), race, grid));
    } catch (const std::exception& e) {
        // The file is left as it was; the user learns which one and why.
        Dialogs::information(this, errorText(e));  // names the file
        return;
    }
    applyCompiEntry(grid, runners_, main_.tableForEdit().races[static_cast<std::size_t>(slot)]);
}

// ---------------------------------------------------------------- paste import

void CompiWindow::importFromClipboard() {
    pageMemo_->setPlainText(QApplication::clipboard()->text());
    UiReporter reporter(this);
    CompiImportResult imported = importCompiPage(pageMemo_->toPlainText().toStdString(), reporter);
    // The entry tab shows the file as it now is.
    if (imported.outcome == CompiImportResult::Written) loadSelectedRace();
}

// ---------------------------------------------------------------- closing and position

void CompiWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // Ranks, top values, the recommended horse and the zone pattern come from the files again.
    main_.loadSelectedDay();
}

void CompiWindow::restorePosition() {
    Settings ini;
    move(read(ini, kCompiLeft), read(ini, kCompiTop));
}

void CompiWindow::savePosition() {
    try {
        Settings ini;
        write(ini, kCompiTop, y());
        write(ini, kCompiLeft, x());
    } catch (const SettingsWriteError&) {
        // The program is ending; the old position stays.
    }
}

// ---------------------------------------------------------------- the main window's side

CompiWindow* compiWindowOf(const MainWindow& main) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* compi = qobject_cast<CompiWindow*>(w); compi && &compi->mainWindow() == &main) return compi;
    return nullptr;
}

CompiWindow* attachCompiWindow(MainWindow& main) {
    auto* window = new CompiWindow(main);
    QObject::connect(&main, &MainWindow::compiRequested, window, [window] { window->openForSelectedRace(); });
    QObject::connect(&main, &MainWindow::raceSelected, window, [window](int) { window->loadSelectedRace(); });
    QObject::connect(&main, &QObject::destroyed, window, [window] { delete window; });
    QObject::connect(&main, &MainWindow::companionFolderRequested, window, [&main] { chooseCompanionFolder(&main); });
    return window;
}

void chooseCompanionFolder(QWidget* parent) {
    Settings ini;
    QString current = QString::fromStdString(companionFolder(ini).string());
    QString chosen = Dialogs::chooseFolder(parent, "Quilletフォルダの指定", current);
    if (chosen.isEmpty()) return;
    try {
        ini.writeString(settings::kDirSection, settings::kCompanionFolderKey, toCp932(chosen));
    } catch (const SettingsWriteError& e) {
        Dialogs::information(parent, errorText(e));
    }
}

}  // namespace vex::ui

#include "ui/analysis/stats_window.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "app/atomic_file.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/qt_text.h"
#include "ui/analysis/return_bars_chart.h"
#include "ui/analysis/stats_charts.h"
#include "ui/analysis/analysis_table_model.h"
#include "ui/look/look.h"
#include "ui/shared/error_report.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::ui {

namespace {

QSpinBox* spinBox(QWidget* parent, const char* name, int low, int high, int value, int step = 1) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setValue(value);
    return box;
}

QWidget* rangeRow(QWidget* parent, QSpinBox* from, QSpinBox* to) {
    auto* row = new QWidget(parent);
    auto* l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(from);
    l->addWidget(new QLabel("～", row));
    l->addWidget(to);
    return row;
}

QListWidget* multiList(QWidget* parent, const char* name, const QStringList& items) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->addItems(items);
    list->setMaximumWidth(110);
    return list;
}

QStringList captions(const std::vector<CriteriaItem>& items) {
    QStringList list;
    for (const CriteriaItem& item : items) list << QString::fromUtf8(item.caption);
    return list;
}

std::vector<int> selectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

int ymdOf(const QDate& d) { return d.year() * 10000 + d.month() * 100 + d.day(); }
QDate dateOf(int ymd) { return QDate(ymd / 10000, ymd / 100 % 100, ymd % 100); }

const char* const kTabCaptions[] = {"コンピ順位", "人気", "ゾーン", "戦略"};
const char* const kCsvNames[] = {"compi", "popularity", "zone", "strategy"};

}  // namespace

StatsWindow::StatsWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("StatsForm");
    setWindowTitle("成績分析");
    // No larger than the screen it opens on, a 1024 x 700 one included.
    resize(screen() ? QSize(1100, 720).boundedTo(screen()->availableGeometry().size()) : QSize(1024, 700));
    charts_ = std::make_unique<StatsCharts>(this);
    auto* layout = new QVBoxLayout(this);
    auto* filters = new QWidget(this);
    buildFilters(filters);
    layout->addWidget(filters);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("StatsTabs");
    tabs_->addTab(buildTablePage(CompiTab, "CompiRankTable", charts_->compiReturns()), kTabCaptions[CompiTab]);
    tabs_->addTab(buildTablePage(PopularityTab, "PopularityTable", charts_->popularityReturns()),
                  kTabCaptions[PopularityTab]);
    tabs_->addTab(buildTablePage(ZoneTab, "ZoneTable", nullptr), kTabCaptions[ZoneTab]);
    tabs_->addTab(buildStrategyPage(), kTabCaptions[StrategyTab]);
    layout->addWidget(tabs_, 1);
    warnings_ = new QLabel(this);
    warnings_->setObjectName("StatsWarnings");
    warnings_->setStyleSheet("color: #b00000;");
    warnings_->setWordWrap(true);
    layout->addWidget(warnings_);
    layout->addWidget(buildButtons());
    connectFilters();
}

StatsWindow::~StatsWindow() = default;

void StatsWindow::buildFilters(QWidget* host) {
    auto* l = new QHBoxLayout(host);
    l->setContentsMargins(0, 0, 0, 0);
    auto* ranges = new QFormLayout;
    fromDate_ = new QDateEdit(host);
    fromDate_->setObjectName("StatsFrom");
    toDate_ = new QDateEdit(host);
    toDate_->setObjectName("StatsTo");
    for (QDateEdit* d : {fromDate_, toDate_}) {
        d->setDisplayFormat("yyyy/MM/dd");
        d->setCalendarPopup(true);
    }
    auto* dates = new QWidget(host);
    auto* dl = new QHBoxLayout(dates);
    dl->setContentsMargins(0, 0, 0, 0);
    dl->addWidget(fromDate_);
    dl->addWidget(new QLabel("～", dates));
    dl->addWidget(toDate_);
    ranges->addRow("期間", dates);
    distanceFrom_ = spinBox(host, "StatsDistanceFrom", 0, 9900, 0, 100);
    distanceTo_ = spinBox(host, "StatsDistanceTo", 0, 9900, 9900, 100);
    ranges->addRow("距離", rangeRow(host, distanceFrom_, distanceTo_));
    runnersFrom_ = spinBox(host, "StatsRunnersFrom", 1, 18, 1);
    runnersTo_ = spinBox(host, "StatsRunnersTo", 1, 18, 18);
    ranges->addRow("頭数", rangeRow(host, runnersFrom_, runnersTo_));
    raceFrom_ = spinBox(host, "StatsRaceFrom", 1, 12, 1);
    raceTo_ = spinBox(host, "StatsRaceTo", 1, 12, 12);
    ranges->addRow("レース", rangeRow(host, raceFrom_, raceTo_));
    l->addLayout(ranges);
    auto* trackBox = new QFormLayout;
    tracks_ = multiList(host, "StatsTracks", {});
    tracks_->setMaximumHeight(90);
    trackBox->addRow("競馬場", tracks_);
    surface_ = new QComboBox(host);
    surface_->setObjectName("StatsSurface");
    surface_->addItems({"すべて", "芝", "ダート"});
    trackBox->addRow("トラック", surface_);
    l->addLayout(trackBox);
    coverage_ = new QLabel(host);
    coverage_->setObjectName("StatsCoverage");
    l->addWidget(coverage_, 1, Qt::AlignBottom | Qt::AlignRight);
}

// Columns as wide as their figures; the first (the category) takes the room they leave, or, for a
// table without one, the last.
QTableView* StatsWindow::tableView(Tab tab, const char* tableName, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(tableName);
    models_[tab] = new AnalysisTableModel(view);
    view->setModel(models_[tab]);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (tab == StrategyTab) {
        view->horizontalHeader()->setStretchLastSection(true);
    } else {
        look::stretchColumns(view, {0});
    }
    views_[tab] = view;
    return view;
}

QWidget* StatsWindow::buildTablePage(Tab tab, const char* tableName, QWidget* chart) {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tableView(tab, tableName, splitter));
    if (!chart) return splitter;
    splitter->addWidget(chart);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({420, 600});  // the whole table, the chart takes the rest
    return splitter;
}

QWidget* StatsWindow::buildStrategyPage() {
    auto* page = new QWidget(this);
    auto* l = new QHBoxLayout(page);
    auto* criteria = new QGroupBox("自動投票の条件（競馬場・トラック・頭数・距離は上の指定）", page);
    auto* cl = new QFormLayout(criteria);
    raceTypes_ = multiList(criteria, "StatsRaceTypes", captions(raceTypeItems()));
    classes_ = multiList(criteria, "StatsClasses", captions(classItems()));
    weightRules_ = multiList(criteria, "StatsWeightRules", captions(weightItems()));
    QStringList ranks;
    for (int p = 1; p <= 18; ++p) ranks << QString("%1人気").arg(p, 2);
    popularity_ = multiList(criteria, "StatsPopularity", ranks);
    popularity_->item(0)->setSelected(true);
    cl->addRow("種別", raceTypes_);
    cl->addRow("クラス", classes_);
    cl->addRow("重量", weightRules_);
    cl->addRow("単勝人気順位", popularity_);
    l->addWidget(criteria);
    auto* right = new QWidget(page);
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    QTableView* view = tableView(StrategyTab, "StrategyTable", right);
    view->setFixedHeight(56);
    rl->addWidget(view);
    rl->addWidget(charts_->balance(), 1);
    l->addWidget(right, 1);
    return page;
}

QWidget* StatsWindow::buildButtons() {
    auto* row = new QWidget(this);
    auto* l = new QHBoxLayout(row);
    l->setContentsMargins(0, 0, 0, 0);
    auto add = [&](const char* name, const char* caption, void (StatsWindow::*slot)()) {
        auto* b = new QPushButton(caption, row);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, slot] { (this->*slot)(); });
        l->addWidget(b);
    };
    add("StatsReloadButton", "再読込", &StatsWindow::reload);
    l->addStretch(1);
    add("StatsCopyButton", "コピー", &StatsWindow::copyShownTable);
    add("StatsCsvButton", "CSV保存", &StatsWindow::exportShownTable);
    return row;
}

void StatsWindow::connectFilters() {
    for (QDateEdit* d : {fromDate_, toDate_}) connect(d, &QDateEdit::dateChanged, this, &StatsWindow::recompute);
    for (QSpinBox* s : {distanceFrom_, distanceTo_, runnersFrom_, runnersTo_, raceFrom_, raceTo_})
        connect(s, &QSpinBox::valueChanged, this, &StatsWindow::recompute);
    connect(surface_, &QComboBox::currentIndexChanged, this, &StatsWindow::recompute);
    for (QListWidget* list : {tracks_, raceTypes_, classes_, weightRules_, popularity_})
        connect(list, &QListWidget::itemSelectionChanged, this, &StatsWindow::recompute);
}

void StatsWindow::reload() {
    files_ = readAppearanceFolder(appearanceFolder());
    QStringList lines;
    for (const std::string& w : files_.warnings) lines << fromCp932(w);
    warnings_->setText(lines.join('\n'));
    warnings_->setVisible(!lines.isEmpty());
    const QSignalBlocker blockFrom(fromDate_), blockTo(toDate_), blockTracks(tracks_);
    fillTrackList();
    setDateRangeFromFiles();
    recompute();
}

// The tracks the files hold, by their own codes.
void StatsWindow::fillTrackList() {
    std::set<int> codes;
    for (const AppearanceRace& race : files_.races) codes.insert(race.track);
    tracks_->clear();
    for (int code : codes) {
        std::string digits = (code < 10 ? "0" : "") + std::to_string(code);
        QString name = fromCp932(TrackName(digits, 2)).trimmed();
        auto* item = new QListWidgetItem(name.isEmpty() ? QString::fromStdString(digits) : name, tracks_);
        item->setData(Qt::UserRole, code);
    }
}

void StatsWindow::setDateRangeFromFiles() {
    if (files_.races.empty()) return;
    QDate first = dateOf(files_.races.front().date), last = dateOf(files_.races.back().date);
    for (QDateEdit* d : {fromDate_, toDate_}) d->setDateRange(first, last);
    fromDate_->setDate(first);
    toDate_->setDate(last);
}

RaceFilter StatsWindow::filter() const {
    RaceFilter f;
    if (!files_.races.empty()) f.dates = {ymdOf(fromDate_->date()), ymdOf(toDate_->date())};
    for (int row : selectedRows(tracks_)) f.tracks.push_back(tracks_->item(row)->data(Qt::UserRole).toInt());
    f.surface = static_cast<Surface>(surface_->currentIndex());
    f.distance = {distanceFrom_->value(), distanceTo_->value()};
    f.runners = {runnersFrom_->value(), runnersTo_->value()};
    f.raceNumber = {raceFrom_->value(), raceTo_->value()};
    return f;
}

StrategyCriteria StatsWindow::criteria() const {
    StrategyCriteria c;
    c.raceTypes = selectedRows(raceTypes_);
    c.classes = selectedRows(classes_);
    c.weights = selectedRows(weightRules_);
    for (int row : selectedRows(popularity_)) c.popularity.push_back(row + 1);
    // The window's own filter decides tracks, surface, runners and distance.
    c.runnersFrom = 0;
    c.distanceFrom = 0;
    c.distanceTo = 9999;
    return c;
}

void StatsWindow::recompute() {
    RaceFilter f = filter();
    Analysis analysis = analyse(files_.races, f);
    StrategyResult strategy = checkStrategy(files_.races, f, criteria());
    tables_ = {compiRankTable(analysis), popularityTable(analysis), zoneTable(analysis), strategyTable(strategy)};
    showTables(analysis);
    coverage_->setText(fromCp932(coverageText(analysis)));
    charts_->show(analysis, strategy);
}

// Each table with the records behind its rows; the first column (sized by us, the stretch needs
// that) fitted again to what it holds.
void StatsWindow::showTables(const Analysis& a) {
    auto ranks = [](const std::array<BetRecord, 19>& r) { return std::vector<BetRecord>(r.begin() + 1, r.end()); };
    std::array<std::vector<BetRecord>, TabCount> records = {
        ranks(a.byCompiRank), ranks(a.byPopularity), {a.zoneRecommended.begin(), a.zoneRecommended.end()}, {}};
    for (std::size_t tab = 0; tab < TabCount; ++tab) {
        models_[tab]->setTable(tables_[tab], std::move(records[tab]));
        QHeaderView* header = views_[tab]->horizontalHeader();
        if (tab == StrategyTab || header->count() == 0) continue;
        header->setSectionResizeMode(0, QHeaderView::Interactive);
        views_[tab]->resizeColumnToContents(0);
    }
}

void StatsWindow::copyShownTable() {
    const TextGrid& grid = tables_[static_cast<std::size_t>(tabs_->currentIndex())];
    QApplication::clipboard()->setText(fromCp932(tableAsTsv(grid)));
}

void StatsWindow::exportShownTable() {
    int tab = tabs_->currentIndex();
    QString suggested = QString("seiseki-%1.csv").arg(kCsvNames[tab]);
    QString path = Dialogs::saveFile(this, "CSV保存", suggested, "CSV (*.csv)");
    if (path.isEmpty()) return;
    try {
        writeFileAtomic(path.toStdString(), toUtf8(tableAsCsv(tables_[static_cast<std::size_t>(tab)])));
    } catch (const FileWriteError& e) {
        Dialogs::information(this, errorText(e));
    }
}

}  // namespace vex::ui

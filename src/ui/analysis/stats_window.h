#pragma once
// Folder ui/analysis: the analysis window, its charts, and the statistics commands of the main
// window (time-series odds import, direct read).
//
// The analysis window ("成績分析"): the appearance files of TOKEI turned into the tables of the
// analysis (by Compi rank, by popularity, by zone pattern, a strategy check), with charts of the
// returns and of the strategy's running balance. The files are read when the window opens and on
// "再読込"; every change of a filter recomputes the tables from what was read (a fraction of a
// millisecond), so the window thread never waits on the disk for long.
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

#include "stats/analysis.h"
#include "stats/stats_tables.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace vex::ui {

class AnalysisTableModel;
class StatsCharts;

class StatsWindow : public QWidget {
    Q_OBJECT
public:
    enum Tab { CompiTab, PopularityTab, ZoneTab, StrategyTab, TabCount };

    explicit StatsWindow(QWidget* parent = nullptr);
    ~StatsWindow() override;

    // Reads every appearance file again and recomputes; the date range widens to the files' days.
    void reload();
    // Recomputes the tables from the files read, with the filters as set.
    void recompute();
    const TextGrid& table(Tab tab) const { return tables_[tab]; }
    // The filter and strategy criteria as the controls hold them.
    RaceFilter filter() const;
    StrategyCriteria criteria() const;

    // The table of the tab shown: to the clipboard as TAB-separated text, or to a CSV file chosen
    // with the picker (UTF-8).
    void copyShownTable();
    void exportShownTable();

private:
    void buildFilters(QWidget* host);
    QTableView* tableView(Tab tab, const char* tableName, QWidget* parent);
    QWidget* buildTablePage(Tab tab, const char* tableName, QWidget* chart);
    QWidget* buildStrategyPage();
    QWidget* buildButtons();
    void fillTrackList();
    void setDateRangeFromFiles();
    void showTables(const Analysis& analysis);
    void connectFilters();

    AppearanceSet files_;
    std::array<TextGrid, TabCount> tables_;
    std::array<AnalysisTableModel*, TabCount> models_{};
    std::array<QTableView*, TabCount> views_{};
    std::unique_ptr<StatsCharts> charts_;  // the chart views themselves are children of the window

    QDateEdit* fromDate_ = nullptr;
    QDateEdit* toDate_ = nullptr;
    QListWidget* tracks_ = nullptr;
    QComboBox* surface_ = nullptr;
    QSpinBox* distanceFrom_ = nullptr;
    QSpinBox* distanceTo_ = nullptr;
    QSpinBox* runnersFrom_ = nullptr;
    QSpinBox* runnersTo_ = nullptr;
    QSpinBox* raceFrom_ = nullptr;
    QSpinBox* raceTo_ = nullptr;
    QListWidget* raceTypes_ = nullptr;
    QListWidget* classes_ = nullptr;
    QListWidget* weightRules_ = nullptr;
    QListWidget* popularity_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* coverage_ = nullptr;
    QLabel* warnings_ = nullptr;
};

}  // namespace vex::ui

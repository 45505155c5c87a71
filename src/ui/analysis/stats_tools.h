#pragma once
// The statistics commands of the main window: the analysis window (menu item "成績分析"), the
// time-series odds import (`T1`) and its folder (`N12`), and the direct read of every stored day
// (`DirectReadBtn`), which runs as a job of the worker with progress and cancel.
#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace vex::ui {

class MainWindow;
class StatsWindow;

// The direct read's progress window: the day being read, a bar, and "中止".
class DirectReadProgress : public QWidget {
    Q_OBJECT
public:
    explicit DirectReadProgress(QWidget* parent);
    void showDay(int index, int count, const QString& dayStamp);

signals:
    void cancelClicked();

private:
    QLabel* day_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

// The statistics commands of one main window, connected to its command signals; it keeps the
// analysis window once opened, so a second "成績分析" shows the same one.
class StatisticsCommands : public QObject {
    Q_OBJECT
public:
    explicit StatisticsCommands(MainWindow& main);

    void openStatsWindow();
    void importTimeSeriesOdds();
    // False when the worker is busy (it says so).
    bool startDirectRead();

private:
    MainWindow& main_;
    QPointer<StatsWindow> stats_;
};

void attachStatistics(MainWindow& main);

void chooseTimeSeriesFolder(QWidget* parent);

}  // namespace vex::ui

#pragma once
// The statistics commands of the main window: the analysis window (menu item "成績分析"), the
// time-series odds import (`T1`) and its folder (`N12`), and the direct read of every stored day
// (`DirectReadBtn`), which runs as a job of the worker with progress and cancel.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace vex::ui {

class MainWindow;

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

// Connects the commands to the main window's items and buttons (found by their given names).
void attachStatistics(MainWindow& main);

// The commands themselves (public for the tests).
void openStatsWindow(MainWindow& main);
void importTimeSeriesOdds(MainWindow& main);
void chooseTimeSeriesFolder(QWidget* parent);
// False when the worker is busy (it says so).
bool startDirectRead(MainWindow& main);

}  // namespace vex::ui

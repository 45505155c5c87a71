#pragma once
// The automatic-voting window "自動投票" (developer mode): the criteria lists and ranges, the target
// popularities, the spending limits, the target race list, Start and End, the library check, and
// the one-second tick. The decisions are the core's (AutoVoteSchedule, the spending guard); this
// window wires them to the main window: it selects the race, puts the automatic marks on the
// index card and hands the vote to the worker in automatic mode.
#include <QWidget>
#include <string>
#include <vector>

#include "voting/auto_vote_schedule.h"
#include "voting/spending_guard.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTimer;

namespace vex::ui {

class MainWindow;
class AutoVoteWindow;
AutoVoteWindow* attachAutoVoteWindow(MainWindow& main);

class AutoVoteWindow : public QWidget {
    Q_OBJECT
public:
    explicit AutoVoteWindow(MainWindow& main);

    // "自動投票各種操作": needs a day in the day selector; fills the day's tracks.
    void openForDay();
    void start();         // "自動投票開始"
    void end();           // "自動投票終了"
    void checkLibrary();  // "投票メニュー"
    void checkLibraryThroughBridge(const std::string& command);
    // One tick of the timer (tests call it on a set clock).
    void tick();

    bool running() const { return running_; }
    bool voting() const { return voting_; }
    const AutoVoteSchedule& schedule() const { return schedule_; }
    QTimer* timer() const { return timer_; }

private:
    friend AutoVoteWindow* attachAutoVoteWindow(MainWindow& main);
    void buildLayout();
    QWidget* buildCriteria();
    QWidget* buildRangesAndLimits();
    QListWidget* criteriaList(const char* name, const QStringList& items, bool multi);
    void fillTracks();
    // Set: the targets by the criteria; false when there are none.
    bool setTargets();
    AutoVoteCriteria criteria() const;
    PopularityTargets popularities() const;
    void setCriteriaEnabled(bool enabled);
    void showRunning(bool running);
    void saveLimits();
    TickView tickView() const;
    void voteTarget(std::size_t index);
    // Selects the race, marks its target horses and plans the vote; false when it cannot be voted.
    bool prepareVote(int slot, VotePlan& plan);
    void submit(std::size_t index, VotePlan plan);
    void giveUp(std::size_t index, GiveUpReason reason);
    // Log lines of this window; held back while a vote job writes the log.
    void addLog(const std::vector<std::string>& lines);
    void showLog(const std::vector<std::string>& lines);

    MainWindow& main_;
    AutoVoteSchedule schedule_;
    PopularityTargets popularity_{};
    bool running_ = false;
    bool voting_ = false;
    std::vector<std::string> heldLog_;

    QListWidget* trackList_ = nullptr;
    QListWidget* surfaceList_ = nullptr;
    QListWidget* raceTypeList_ = nullptr;
    QListWidget* classList_ = nullptr;
    QListWidget* weightList_ = nullptr;
    QSpinBox* runnersFrom_ = nullptr;
    QSpinBox* runnersTo_ = nullptr;
    QSpinBox* distanceFrom_ = nullptr;
    QSpinBox* distanceTo_ = nullptr;
    QListWidget* popularityList_ = nullptr;
    QSpinBox* dayLimit_ = nullptr;
    QSpinBox* raceLimit_ = nullptr;
    QListWidget* targetList_ = nullptr;
    QListWidget* logList_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* endButton_ = nullptr;
    QPushButton* libraryButton_ = nullptr;
    QLabel* lamp_ = nullptr;
    QLabel* mainLamp_ = nullptr;  // the main window's indicator
    QTimer* timer_ = nullptr;
};

// Builds the window for `main` and wires its menu entry and indicator.
AutoVoteWindow* attachAutoVoteWindow(MainWindow& main);

}  // namespace vex::ui

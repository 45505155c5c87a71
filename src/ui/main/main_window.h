#pragma once
// Folder ui/main: the main window and what draws the race shown (race card, detailed card, odds
// chart), the day load and its progress window. Other windows reach the main window only through
// its public members and signals: never by looking up its controls.
//
// The main window: toolbar with the race header, race list, page area with the race views, status
// bar and menus. Every control carries its given name as objectName so tests find it.
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/error_log.h"
#include "dayload/day_load.h"
#include "voting/voting_log.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class QWidget;
class QStatusBar;

namespace vex {
class DataControl;
class TextGrid;
}

namespace vex::ui {

// Where to put a window saved at `saved`: unchanged while its title strip lies on one of the
// screens, else moved (and shrunk if needed) onto the first screen so it can be reached.
QRect keepReachable(const QRect& saved, const QList<QRect>& screens);
// A window larger than the screen its top-left corner is on, shrunk to that screen and moved onto it
// (a window whose bottom lies off the screen hides the vote button); any other window unchanged.
QRect fitOnScreen(const QRect& placed, const QList<QRect>& screens);
// Where a window of `size` goes on its first start: centred on `screen`, shrunk to it if need be.
QRect centredOn(const QSize& size, const QRect& screen);

class BetPageWidget;
class ControlWorker;
class DayLoader;
class DaySelector;
class MessageQueue;
class DetailCardDelegate;
class DetailCardModel;
class ProgressWindow;
class BetFileViewer;
class DownloadWindow;
class RaceDayRefresh;
class RaceCardDelegate;
class TextGridModel;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kToolbarHeight = 83;
    static constexpr int kRaceListWidth = 66;

    // `control` may be null (no data service; every data command then does nothing). The start-up
    // (folders, logs, settings, window bounds, day selector) runs here; NVInit on the first show.
    explicit MainWindow(DataControl* control = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    DataControl* control() const { return control_; }
    const std::filesystem::path& appDir() const { return appDir_; }
    bool developerMode() const { return developer_; }
    const QString& version() const { return version_; }
    // The voting log as held in memory (cut to its last 100 lines at start-up).
    VotingLog& votingLog() { return votingLog_; }
    ErrorLog& errorLog() { return errorLog_; }
    // The settings' "no redraw after a download" flag.
    bool noRedrawAfterFetch() const;

    // The loaded day's race table (an empty one before the first load).
    const RaceTable& table() const { return *table_; }
    // For the Compi window's immediate update of the race shown (the reload recomputes the rest).
    RaceTable& tableForEdit() { return *table_; }
    // The one thread that talks to the data control, and the queue its jobs' messages go to.
    ControlWorker* worker() const { return worker_; }
    MessageQueue* messages() const { return messages_; }
    // The odds and results refreshes and their timers.
    RaceDayRefresh* raceDayRefresh() const { return raceDayRefresh_; }
    bool loadingDay() const;

    // Slot shown by the race views (-1 when none).
    int currentRaceIndex() const { return currentRace_; }
    int previousRaceIndex() const { return previousRace_; }
    // Content of the race card grid (developer tab); race selection builds it beside the index card.
    void setRaceCardGrid(const TextGrid& grid);

    // ---- what the other windows read and drive
    BetPageWidget* betPage() const { return betPage_; }
    // The day selector's text; empty while no day is chosen.
    QString chosenDayText() const;
    // The race list's lines and its highlighted row (-1: none).
    QStringList raceListLines() const;
    int raceListRow() const;
    // Selects race list line `row` as a click or an arrow key does.
    void selectListRow(int row);

    // ---- commands (public so the other windows and tests can run them)
    void fillDaySelector();     // rebuild the day selector from the store
    void selectDayAfterDownload();  // select and load today, else the newest stored day
    void loadSelectedDay();     // load the chosen day (on its own thread; see loadingDay())
    void showSelectedRace();    // show the race highlighted in the race list
    void selectNextRace();      // "直前ﾚｰｽ": the race of today that posts next
    void onDownloadClicked();   // "データ取得": the download window
    void openManual();
    void showAbout();
    void toggleRaceList();      // the "F" button
    void registerTrackedHorse(int horse);
    // A download ended. Without new data in the store nothing changes; with new data the day list
    // is rebuilt and the day shown loaded again, keeping its race and the bet page (with no day
    // shown, a complete download shows the newest day).
    void showDownloadedDays(bool storedNew, bool completed);

    // Duration of the last race selection in milliseconds.
    double lastSelectMs() const { return lastSelectMs_; }

signals:
    // After every race selection (the other windows follow it).
    void raceSelected(int slot);

    // Commands of the menus and the toolbar whose work belongs to another window, which connects
    // to the signal of each command it carries out.
    void compiRequested();             // "コンピ入力" (CompiBtn)
    void companionFolderRequested();   // K2
    void statsRequested();             // "成績分析" (StatsItem)
    void timeSeriesImportRequested();  // T1
    void timeSeriesFolderRequested();  // N12
    void directReadRequested();        // "一気読み" (DirectReadBtn)
    void balanceRequested();           // ZandakaItem
    void depositRequested();           // NyukinItem
    void accountSwitchRequested();     // KouzaItem
    void memberPageRequested();        // MyPageItem
    void autoVoteRequested();          // AutoTohyoItem

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // ---- building the window
    void buildCentralArea();
    void buildToolbar(QWidget* host);
    QWidget* buildCommandButtons(QWidget* parent);
    QWidget* buildRaceHeader(QWidget* parent);
    void buildRaceList(QWidget* host);
    // Where the race views stand while none is shown: what to do first (download, pick a day).
    QWidget* buildStartHint(QWidget* parent);
    void updateStartHint();
    void enableDayCommands();
    // The day shown is today's (the next-race jump needs it).
    bool showsToday() const;
    void buildPages();
    void buildBetTab();       // 買い目
    void buildRaceCardTab();  // 出馬表 (developer)
    void buildResultsTab();   // 結果
    QWidget* buildResultBox(QWidget* parent, int kind, const char* caption, int entries);
    void buildTestTab();      // テスト (developer)
    void buildDetailTab();    // 出馬表詳細
    // A group of three filter buttons of the detailed card: at most one down, all may be up.
    QWidget* buildFilterGroup(const char* name, const char* caption, std::array<QToolButton*, 3>& buttons,
                              const std::array<const char*, 3>& names, const std::array<const char*, 3>& captions);
    void buildMenus();
    void buildFileAndOptionMenus(QMenuBar* bar);
    void buildFolderAndHelpMenus(QMenuBar* bar);
    void connectCommandSignals();
    void setupGrids();
    void setupDetailCard();
    void setupRaceCardGrid();

    // ---- start-up and shutdown
    void startUp();
    void applyDeveloperMarker();
    void restoreBounds();
    void openLogs();
    void connectBetPage();
    void connectRaceDayRefresh();  // main_window_refresh.cpp
    void firstShown();
    void saveBounds();
    // The day shown at the last run when it is still stored, else the newest day: selected and loaded.
    void selectStartDay();
    void selectAndLoadDay(int index);
    void rememberShownDay();

    // ---- the day and the race shown
    void drawHeader(int slot);
    void drawResults(int slot);
    void clearHeader();
    void fillRaceList();
    void clearViews();
    void showLoadedDay(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure);
    // Puts the day selector back on the day shown (a load that failed changes nothing).
    void showDayInSelector();
    // Puts the race list's highlight back on the race the views show.
    void highlightShownRace();
    // Select: a race chosen (the bet page starts from the default amount); Refresh: new data for
    // the race shown (the page keeps what the user set).
    enum class RaceDraw { Select, Refresh };
    void drawRace(int slot, RaceDraw how);
    // After a reload of the day shown: `slot` highlighted and drawn again.
    void showRaceAgain(int slot);
    void reportJobFailure(const QString& job, const QString& what);

    DataControl* control_ = nullptr;
    std::unique_ptr<RaceTable> table_;
    bool dayShown_ = false;  // table_ holds the day the views show
    ControlWorker* worker_ = nullptr;
    MessageQueue* messages_ = nullptr;
    DayLoader* dayLoader_ = nullptr;
    RaceDayRefresh* raceDayRefresh_ = nullptr;
    bool closeAfterJob_ = false;  // the user chose to quit during a job: close once it has ended
    std::filesystem::path appDir_;
    bool developer_ = false;
    bool shownOnce_ = false;
    QString version_;
    ErrorLog errorLog_;
    VotingLog votingLog_;
    std::array<bool, 96> voted_{};  // per slot: a manual vote was sent for the race
    int currentRace_ = -1;
    int previousRace_ = -1;
    double lastSelectMs_ = 0;
    int popupRow_ = -1;

    // ---- controls (their given names are their objectNames; see docs/controls.md)
    QWidget* toolbar_ = nullptr;
    QToolButton* raceListToggle_ = nullptr;
    QToolButton* downloadButton_ = nullptr;
    QToolButton* resultsButton_ = nullptr;
    QToolButton* quickOddsButton_ = nullptr;
    QToolButton* nextRaceButton_ = nullptr;
    QToolButton* compiButton_ = nullptr;
    QPushButton* directReadButton_ = nullptr;
    DaySelector* daySelector_ = nullptr;
    QWidget* raceHeader_ = nullptr;
    QLabel* raceDayLine_ = nullptr;         // date, track, meeting, race, post time, weather, going
    QLabel* raceTitle_ = nullptr;           // edition and race name
    QLabel* raceFieldLine_ = nullptr;       // runners, finishers, distance, course
    QLabel* raceConditionsLine_ = nullptr;  // weight rule, grade, category, conditions
    QLabel* prizeLine_ = nullptr;
    QLabel* addedPrizeLine_ = nullptr;
    QLabel* trackName_ = nullptr;
    QLabel* raceNumber_ = nullptr;
    QLabel* postCountdown_ = nullptr;
    QWidget* raceListPanel_ = nullptr;
    QListWidget* raceList_ = nullptr;
    QLabel* raceListNote_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* startHint_ = nullptr;
    QLabel* startHintText_ = nullptr;
    QPushButton* startHintDownload_ = nullptr;
    QWidget* betTab_ = nullptr;
    QWidget* raceCardTab_ = nullptr;
    QWidget* resultsTab_ = nullptr;
    QWidget* testTab_ = nullptr;
    QWidget* detailTab_ = nullptr;
    QTableView* detailCard_ = nullptr;
    QTableView* raceCardGrid_ = nullptr;
    std::array<QToolButton*, 3> surfaceFilter_{};   // all, turf, dirt
    std::array<QToolButton*, 3> distanceFilter_{};  // any, same distance, within 400 m
    QStatusBar* statusBar_ = nullptr;
    ProgressWindow* progressWindow_ = nullptr;  // the day load's
    // Results tab: per kind and entry, the three labels 結果/人気/配当.
    std::vector<std::vector<std::array<QLabel*, 3>>> resultLabels_;

    QMenu* fileMenu_ = nullptr;
    QMenu* optionMenu_ = nullptr;
    QMenu* autoVoteMenu_ = nullptr;
    QMenu* folderMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* allOddsItem_ = nullptr;
    QAction* timeSeriesOddsItem_ = nullptr;
    QAction* statsItem_ = nullptr;
    QAction* exitItem_ = nullptr;
    QAction* fetchTimesItem_ = nullptr;
    QAction* defaultAmountItem_ = nullptr;
    QAction* balanceItem_ = nullptr;
    QAction* depositItem_ = nullptr;
    QAction* accountSwitchItem_ = nullptr;
    QAction* myPageItem_ = nullptr;
    QAction* noRedrawAfterFetchItem_ = nullptr;  // never shown: the flag comes from the settings
    QAction* autoVoteItem_ = nullptr;
    QAction* companionFolderItem_ = nullptr;
    QAction* folderSeparator_ = nullptr;
    QAction* timeSeriesFolderItem_ = nullptr;
    QAction* manualItem_ = nullptr;
    QAction* aboutItem_ = nullptr;

    QWidget* betHost_ = nullptr;
    BetPageWidget* betPage_ = nullptr;
    BetFileViewer* betFileViewer_ = nullptr;
    QPointer<DownloadWindow> downloadWindow_;  // while open (it deletes itself on close)
    QWidget* testHost_ = nullptr;
    DetailCardModel* detailModel_ = nullptr;
    DetailCardDelegate* detailDelegate_ = nullptr;
    RaceCardDelegate* cardDelegate_ = nullptr;
    TextGridModel* cardModel_ = nullptr;
};

}  // namespace vex::ui

#pragma once
// The main window: toolbar with the race header, race list, page area with the race views, status
// bar and menus. Every control carries its given name as objectName so tests and the other windows
// find it.
#include <QList>
#include <QMainWindow>
#include <QRect>
#include <QStringList>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/error_log.h"
#include "store/day_load.h"
#include "voting/voting_log.h"

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QMenu;
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

class BetPageWidget;
class ControlWorker;
class DayLoader;
class MessageQueue;
class DetailCardDelegate;
class DetailCardModel;
class ProgressWindow;
class BetFileViewer;
class RaceCardDelegate;
class TextGridModel;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kToolbarHeight = 83;
    static constexpr int kRaceListWidth = 66;

    // `control` may be null (no data service; every data command then does nothing). FormCreate
    // runs here; FormShow on the first show.
    explicit MainWindow(DataControl* control = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    DataControl* control() const { return control_; }
    const std::filesystem::path& appDir() const { return appDir_; }
    bool developerMode() const { return developer_; }
    const QString& version() const { return version_; }
    // The voting log as held in memory (cut to its last 100 lines at start-up).
    VotingLog& votingLog() { return votingLog_; }
    ErrorLog& errorLog() { return errorLog_; }
    bool notRefreshDisp() const;

    // The loaded day's race table (an empty one before the first load; kept, unseen, after
    // ClearRaces).
    const RaceTable& table() const { return *table_; }
    // The one thread that talks to the data control, and the queue its jobs' messages go to.
    ControlWorker* worker() const { return worker_; }
    MessageQueue* messages() const { return messages_; }
    bool loadingDay() const;

    // Slot shown by the race views (-1 when none).
    int currentRaceIndex() const { return currentRace_; }
    int previousRaceIndex() const { return previousRace_; }
    // Content of the race card grid (developer tab); race selection builds it beside the index card.
    void setRaceCardGrid(const TextGrid& grid);

    // Content of the "買い目" and "テスト" tabs belongs to the bet page; it is placed here.
    BetPageWidget* betPage() const { return betPage_; }
    QWidget* betPageHost() const { return betHost_; }
    QWidget* testPageHost() const { return testHost_; }
    void setBetPage(QWidget* page);
    void setTestPage(QWidget* page);

    // ---- commands (public so the other windows and tests can run them)
    void MakeDataList();                 // rebuild the day selector from the store
    void DateComboChange();              // load the chosen day (on its own thread; see loadingDay())
    void DatListClick();                 // select the race of the race list
    void NextRaceBtnClick();
    void JVBtnClick();                   // download window
    void HelpContentsItemClick();
    void HelpAboutItemClick();
    void SpeedButton1Click();            // the "F" toggle
    void RegisterTrackedHorse(int horse);
    // Clear the race list, the header and the bet page and hide the page area (after the download
    // window closed): no race is shown, so none can be acted on.
    void ClearRaces();

    // Duration of the last race selection in milliseconds.
    double lastSelectMs() const { return lastSelectMs_; }

signals:
    // After every race selection (the other windows follow it).
    void raceSelected(int slot);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar(QWidget* host);
    void buildRaceList(QWidget* host);
    void buildPages();
    void buildResultsTab();  // 結果
    void buildDetailTab();   // 出馬表詳細
    void buildMenus();
    void FormCreate();
    void FormShow();
    void FormCloseQuery();
    void drawHeader(int slot);
    void drawResults(int slot);
    void fillDetailCard(int slot);
    void clearHeader();
    void setupGrids();
    void fillRaceList();
    void clearViews();
    void showLoadedDay(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure);
    // Puts the day selector back on the day shown (a load that failed changes nothing).
    void showDayInSelector();
    // Selects race list line `row` as a click or an arrow key does.
    void selectListRow(int row);
    void reportJobFailure(const QString& job, const QString& what);

    DataControl* control_ = nullptr;
    std::unique_ptr<RaceTable> table_;
    bool dayShown_ = false;  // table_ holds the day the views show (false after ClearRaces)
    ControlWorker* worker_ = nullptr;
    MessageQueue* messages_ = nullptr;
    DayLoader* dayLoader_ = nullptr;
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
    std::vector<std::string> chaseLines_;  // ChaseHorse.dat (CP932), sorted, unique

public:
    // Controls by their given names.
    QWidget* Panel1 = nullptr;  // toolbar
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* JVBtn = nullptr;
    QToolButton* KekkaGetBtn = nullptr;
    QToolButton* SokuhoOddsBtn = nullptr;
    QToolButton* NextRaceBtn = nullptr;
    QToolButton* CompiBtn = nullptr;
    QPushButton* DirectReadBtn = nullptr;
    QComboBox* DateCombo = nullptr;
    QWidget* Panel3 = nullptr;  // race header
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* BashoLabel = nullptr;
    QLabel* RaceLabel = nullptr;
    QLabel* RestTimeLabel = nullptr;
    QWidget* Panel6 = nullptr;  // race list panel
    QListWidget* DatList = nullptr;
    QLabel* DLlabel = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;  // 買い目
    QWidget* TabSheet5 = nullptr;  // 出馬表 (developer)
    QWidget* TabSheet2 = nullptr;  // 結果
    QWidget* TabSheet3 = nullptr;  // テスト (developer)
    QWidget* TabSheet4 = nullptr;  // 出馬表詳細
    QLabel* ZoneLabel = nullptr;
    QTableView* StringGrid2 = nullptr;
    QTableView* StringGrid3 = nullptr;
    QToolButton* selBaBtn1 = nullptr;
    QToolButton* selBaBtn2 = nullptr;
    QToolButton* selBaBtn3 = nullptr;
    QToolButton* selkyoriBtn1 = nullptr;
    QToolButton* selkyoriBtn2 = nullptr;
    QToolButton* selkyoriBtn3 = nullptr;
    QStatusBar* StatusLine = nullptr;
    ProgressWindow* PrgrsForm = nullptr;  // the day load's progress window
    // results tab: per kind and entry, the three labels 結果/人気/配当
    std::vector<std::vector<std::array<QLabel*, 3>>> resultLabels;

    QMenu* FileMenu = nullptr;
    QMenu* OptionMenu = nullptr;
    QMenu* AutoTohyoMenu = nullptr;
    QMenu* FolderMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* N110 = nullptr;
    QAction* T1 = nullptr;
    QAction* FileExitItem = nullptr;
    QAction* N8 = nullptr;
    QAction* KaimeSetItem = nullptr;
    QAction* ZandakaItem = nullptr;
    QAction* NyukinItem = nullptr;
    QAction* KouzaItem = nullptr;
    QAction* MyPageItem = nullptr;
    QAction* NotRefreshDisp = nullptr;
    QAction* AutoTohyoItem = nullptr;
    QAction* K2 = nullptr;
    QAction* N10 = nullptr;
    QAction* N12 = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpAboutItem = nullptr;

private:
    QWidget* betHost_ = nullptr;
    BetPageWidget* betPage_ = nullptr;
    BetFileViewer* betFileViewer_ = nullptr;
    QWidget* testHost_ = nullptr;
    DetailCardModel* detailModel_ = nullptr;
    DetailCardDelegate* detailDelegate_ = nullptr;
    RaceCardDelegate* cardDelegate_ = nullptr;
    TextGridModel* cardModel_ = nullptr;
};

}  // namespace vex::ui

#pragma once
// Folder ui/betpage: the bet page (tab 買い目) with its vote button, the default-amount dialog and
// the bet-file viewer.
//
// The tab "買い目": index card, bet kind and method, multi boxes, odds filter, stake split, bet list
// and the vote button. A thin window over the core's BetPage: every click is handed to it, and the
// grids show its text grids through models that read them in place.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/settings.h"
#include "betting/bet_page.h"
#include "ui/widgets/grid_view.h"
#include "voting/vote.h"

class QCheckBox;
class QLayout;
class QLabel;
class QPushButton;
class QTimer;

namespace vex {
class DataControl;
class VotingLog;
}  // namespace vex

namespace vex::ui {

class GridView;
class ControlWorker;
class MessageQueue;

class Label3D;
class NumberEdit;
class RadioGroup;
class UiReporter;

// What a vote needs from the main window.
struct VoteEnvironment {
    DataControl* control = nullptr;
    VotingLog* log = nullptr;            // written by the vote job only while it runs
    ControlWorker* worker = nullptr;     // the vote runs there
    MessageQueue* messages = nullptr;    // where the job's messages are shown
    std::function<std::string()> dayStamp;  // the day shown, "yyyy年mm月dd日" (CP932); empty: none
    std::function<int()> shownSlot;         // the race shown (-1: none)
    // A batch of the race in `slot` of the day `dayStamp` was accepted.
    std::function<void(const std::string& dayStamp, int slot)> markVoted;
};

class BetPageWidget : public QWidget {
    Q_OBJECT
public:
    explicit BetPageWidget(QWidget* parent = nullptr);
    ~BetPageWidget() override;

    // ---- called by the main window
    // A race was selected (marks stay when it is the race shown before).
    void selectRace(const BetRace& race);
    // Fresh odds or payouts of the shown race.
    void refreshRace(const BetRace& race);
    // A day was loaded: no race is shown and the next one starts with clean marks.
    void dayLoaded();
    void setVoteEnvironment(VoteEnvironment environment);
    // The toolbar's countdown label; written every second from now on.
    void attachCountdownLabel(QLabel* label);
    // Menu "投資金額設定": the default-amount window; OK selects the shown race again.
    void editDefaultAmount();
    // The zone pattern of the race shown, above the index card (empty: none).
    void showZone(const QString& zone);
    // As a click on the bet kind (automatic voting votes 単勝).
    void chooseKind(BetKind kind);

    BetPage& model() { return *model_; }
    // Last outcome of the vote button (for the window's tests and status); null while a vote runs.
    const VoteResult* lastVote() const { return lastVote_.get(); }
    bool voting() const { return voting_; }

    // The vote button: checks and asks here, then votes on the worker.
    void vote();
    // Writes the time left to the post of the race shown into the countdown label.
    void showCountdown();

private:
    // Runs an approved vote on the worker; `dayStamp` and `slot` name the race it was approved for.
    void submit(VotePlan plan, const std::string& dayStamp, int slot);
    void buildLayout();
    QLayout* buildIndexCardColumn();
    QWidget* buildChoicesColumn();
    QLayout* buildBetListColumn();
    QWidget* buildMultiPanel();
    QWidget* buildOddsFilter();
    QLayout* buildFigures();
    void wire();
    void wireIndexCard();
    void wireBetList();
    void wireChoices();
    void wireButtons();
    // Brings every control in line with the model (choices, visibility, grids, labels).
    void sync();
    void syncGrids();
    void syncLabels();
    void syncMarkButtons();
    CellLook cardLook(int col, int row) const;
    CellLook betListLook(int col, int row) const;

    Settings settings_;
    std::unique_ptr<BetPage> model_;
    VoteEnvironment voteEnv_;
    std::unique_ptr<UiReporter> reporter_;
    std::unique_ptr<VoteResult> lastVote_;
    bool syncing_ = false;
    bool voting_ = false;

    Label3D* zoneLabel_ = nullptr;
    GridView* indexCard_ = nullptr;
    RadioGroup* kindChoice_ = nullptr;
    RadioGroup* methodChoice_ = nullptr;
    QWidget* multiPanel_ = nullptr;
    QCheckBox* multiBoxes_[4] = {};
    NumberEdit* oddsLowerEdit_ = nullptr;
    NumberEdit* oddsUpperEdit_ = nullptr;
    RadioGroup* stakeSplitChoice_ = nullptr;
    QPushButton* markAllButtons_[3] = {};
    QPushButton* markClearButtons_[3] = {};
    GridView* betList_ = nullptr;
    NumberEdit* amountEdit_ = nullptr;
    QLabel* lineCountLabel_ = nullptr;
    QLabel* totalLabel_ = nullptr;
    QLabel* returnRateLabel_ = nullptr;
    QLabel* totalBesideAmount_ = nullptr;
    QLabel* listNote_ = nullptr;
    QPushButton* voteButton_ = nullptr;
    QLabel* countdownLabel_ = nullptr;
    QTimer* countdownTimer_ = nullptr;
};

}  // namespace vex::ui

#pragma once
// The race-day refresh of the main window: the commands "速報ｵｯｽﾞ", "結果情報" and
// "1日分の全オッズを一括取得", the odds timer Timer1 and the results timer Timer4. Every fetch is a
// job of the ControlWorker; the window thread only decides what is due, shows the status texts in
// DLlabel and, when a job has ended, reloads the odds or payouts of the table it shows.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "datalink/realtime_refresh.h"

class QLabel;
class QTimer;
class QWidget;

namespace vex {
class DataControl;
struct RaceTable;
}  // namespace vex

namespace vex::ui {

class ControlWorker;
class MessageQueue;

class RaceDayRefresh : public QObject {
    Q_OBJECT
public:
    // What the refresh needs of the main window.
    struct Window {
        QWidget* widget = nullptr;                   // parent of the one message (N110 without a day)
        QLabel* statusLabel = nullptr;               // DLlabel
        std::function<RaceTable*()> shownTable;      // null while no day is shown
        std::function<QString()> shownDay;           // the day selector's text
        std::function<bool()> noRedrawAfterFetch;    // NotRefreshDisp
        std::function<void()> redrawSelectedRace;
    };

    RaceDayRefresh(DataControl* control, ControlWorker* worker, MessageQueue* messages, Window window,
                   QObject* parent);

    void fetchSelectedOdds();        // SokuhoOddsBtn
    void fetchAllOdds();             // N110
    void fetchResults(bool quiet);   // KekkaGetBtn (quiet: the results timer)
    // A day was loaded: the results timer runs every AutoRdataGet minutes from now on.
    void dayLoaded(const RaceTable& table);

    // One tick of each timer (the timers call them; tests too, on a set clock).
    void oddsTick();
    void resultsTick();

    const OddsFetchedFlags& oddsFetched() const { return fetched_; }
    QTimer* oddsTimer() const { return oddsTimer_; }
    QTimer* resultsTimer() const { return resultsTimer_; }

private:
    using Command = std::function<RefreshResult(RealtimeRefresh&)>;
    // Runs `command` on the worker with its own cancel token; false (said in DLlabel) when the
    // worker is busy. DLlabel says when it started, and when it ended what it fetched or why not.
    bool run(const QString& name, bool quiet, Command command, std::function<void()> after = {});
    void showStatus(const QString& text);
    void refuseAsBusy(const QString& name);

    DataControl* control_;
    ControlWorker* worker_;
    MessageQueue* messages_;
    Window window_;
    OddsFetchedFlags fetched_;
    QTimer* oddsTimer_ = nullptr;     // Timer1
    QTimer* resultsTimer_ = nullptr;  // Timer4
    bool oddsTimerBusy_ = false;
    bool oddsToldBusy_ = false;       // the odds timer said the worker was busy
    bool resultsPending_ = false;     // a results tick found the worker busy: retried each second
};

}  // namespace vex::ui

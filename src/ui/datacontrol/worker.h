#pragma once
// Folder ui/datacontrol: the one thread that talks to the data control (this file) and the
// control's own dialogs.
//
// Long work off the window thread. The rules, decided once for the whole program:
//  - One ControlWorker thread alone talks to the data control, one job at a time: a second job
//    (a download while a vote runs, a second vote, ...) is refused with a clear "busy" answer.
//  - A job never asks the user anything: the window asks its questions before it starts the job.
//    What a job tells the user (messages, beeps, status texts) reaches the window through queued
//    calls; messages are shown one after another, never on top of each other.
//  - Every job has its own cancel token: the caller makes it, hands it over with the job and reads
//    it inside the job; cancel() presses the running job's token. A cancel never outlives its job.
//  - While a job runs the race list, the day selector and the bet page stay usable; the vote
//    button and the download's start button refuse a second job.
//  - Closing the main window during a job asks, cancels and closes once the job has ended.
// Day loads do not talk to the control: they run on their own thread (see DayLoader).
#include <QObject>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "app/cancel_token.h"
#include "app/reporter.h"

class QWidget;

namespace vex::ui {

// Shows information boxes one after another on the window thread, in the order they were posted.
class MessageQueue : public QObject {
    Q_OBJECT
public:
    explicit MessageQueue(QWidget* parent);
    void post(const QString& text);

private:
    QWidget* parent_;
    std::deque<QString> pending_;
    bool showing_ = false;
};

// The reporter a job runs with: every call is passed to the window thread and returns at once.
// Questions are the window's business; a job that asks anyway gets "no", which stops rather than
// goes on with money or data.
class JobReporter : public Reporter {
public:
    // `messages` shows information boxes; `onStatus` (may be empty) receives status texts on the
    // window thread. Both must outlive the job or be QObjects that die with their window.
    JobReporter(MessageQueue* messages, std::function<void(const QString&)> onStatus = {});
    void information(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    void beep() override;
    void status(const std::string& text) override;

private:
    QPointer<MessageQueue> messages_;
    std::function<void(const QString&)> onStatus_;
};

// Runs `call` on the window thread, later, in the order posted. Whatever the call touches on the
// window side it guards itself (a QPointer made on the window thread). The calls travel through a
// queue under our own lock, not inside Qt's events: the hand-over is then plain C++ that the
// thread checker sees. windowMailbox() must first be called on the window thread.
void postToWindow(std::function<void()> call);
QObject* windowMailbox();

// For a question the data control itself must ask during a job (the account selection): on a
// job's thread, runs `question` on the window thread and waits for its answer, or returns
// `unanswered` once the worker is being destroyed (closing must never wait on a question that
// can no longer be shown). On another thread, it waits for the answer. Never on the window thread.
int askFromJob(std::function<int()> question, int unanswered);

class ControlWorker : public QObject {
    Q_OBJECT
public:
    using Job = std::function<void()>;

    explicit ControlWorker(QObject* parent = nullptr);
    ~ControlWorker() override;  // cancels a running job and waits for it; jobs not begun are dropped

    // Starts `job` on the worker thread; false (nothing started) while another job runs. `done`
    // runs on the window thread once the job has ended. An exception escaping the job is reported
    // through `failed` and `done` still runs. `cancel` is the job's own token (the job reads the
    // copy it captured); a job that reads none is given a fresh one.
    bool start(const QString& name, Job job, std::function<void()> done = {}, CancelToken cancel = {});
    // The same for a job that does not read the cancel flag and always runs to its end (a vote:
    // stopped halfway, some of its lines would be bought and some not).
    bool startToTheEnd(const QString& name, Job job, std::function<void()> done = {});
    bool busy() const { return busy_; }
    const QString& jobName() const { return jobName_; }
    // False while a job started by startToTheEnd runs: a cancel would not stop it.
    bool jobStopsOnCancel() const { return stopsOnCancel_; }
    // Asks the running job to stop (presses its token); it ends at its next turn.
    void cancel();
    // Blocks until the running job has ended (its `done` runs later, on the event loop).
    void waitForJob();

    // The text of the refusal when a job runs already.
    static QString busyMessage(const QString& runningJob);

signals:
    void busyChanged(bool busy);
    // An exception escaped a job; `what` is its text (UTF-8).
    void failed(const QString& job, const QString& what);

private:
    friend int askFromJob(std::function<int()> question, int unanswered);
    int askWindow(std::function<int()> question, int unanswered);  // the worker thread
    void runJobs();  // the worker thread
    bool hand(const QString& name, Job job, std::function<void()> done, CancelToken cancel);

    QPointer<ControlWorker> self_;  // made here on the window thread, checked there
    bool busy_ = false;             // window thread: from start() to the job's `done`
    QString jobName_;
    bool stopsOnCancel_ = true;     // window thread
    CancelToken cancel_;            // window thread: the token of the job started last
    std::mutex lock_;
    std::condition_variable changed_;
    std::function<void()> next_;  // under lock_: the job handed over, not yet begun
    bool running_ = false;        // under lock_: a job taken by the thread has not ended
    bool stopping_ = false;       // under lock_
    std::thread thread_;
};

}  // namespace vex::ui

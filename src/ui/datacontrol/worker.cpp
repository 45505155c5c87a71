#include "ui/datacontrol/worker.h"

#include <QMetaObject>
#include <QWidget>
#include <exception>
#include <future>
#include <memory>
#include <optional>

#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {

namespace {

// Calls are taken one at a time, in the order posted. A call that opens a modal box runs a nested
// event loop, in which the calls posted after it go on in their order (a batch taken whole would
// leave its rest waiting behind calls posted later). A call that throws is reported; the rest run.
class Mailbox : public QObject {
public:
    void post(std::function<void()> call) {
        bool wake;
        {
            std::lock_guard lock(lock_);
            calls_.push_back(std::move(call));
            wake = !drainQueued_;
            drainQueued_ = true;
        }
        if (wake) QMetaObject::invokeMethod(this, &Mailbox::drain, Qt::QueuedConnection);
    }

private:
    void drain() {
        {
            std::lock_guard lock(lock_);
            drainQueued_ = false;  // from here on a post queues a drain: it may run inside a modal box
        }
        while (std::function<void()> call = next()) {
            try {
                call();
            } catch (...) {
                reportError("処理を続けられませんでした。\n" + caughtErrorText());
            }
        }
    }

    // The next call; while more wait, a drain is queued for them, so that they go on even when
    // this call opens a modal box.
    std::function<void()> next() {
        bool wake = false;
        std::function<void()> call;
        {
            std::lock_guard lock(lock_);
            if (calls_.empty()) return {};
            call = std::move(calls_.front());
            calls_.pop_front();
            wake = !calls_.empty() && !drainQueued_;
            drainQueued_ = drainQueued_ || wake;
        }
        if (wake) QMetaObject::invokeMethod(this, &Mailbox::drain, Qt::QueuedConnection);
        return call;
    }

    std::mutex lock_;
    std::deque<std::function<void()>> calls_;
    bool drainQueued_ = false;
};

// The worker whose job runs on this thread, if any.
thread_local ControlWorker* jobsWorker = nullptr;

Mailbox& mailbox() {
    static Mailbox* box = new Mailbox;  // lives as long as the program; made on the window thread
    return *box;
}

}  // namespace

QObject* windowMailbox() { return &mailbox(); }

void postToWindow(std::function<void()> call) { mailbox().post(std::move(call)); }

// ---------------------------------------------------------------- messages

MessageQueue::MessageQueue(QWidget* parent) : QObject(parent), parent_(parent) {}

void MessageQueue::post(const QString& text) {
    pending_.push_back(text);
    if (showing_) return;  // the box on screen shows the rest when it closes
    showing_ = true;
    while (!pending_.empty()) {
        QString next = pending_.front();
        pending_.pop_front();
        Dialogs::information(parent_, next);
    }
    showing_ = false;
}

JobReporter::JobReporter(MessageQueue* messages, std::function<void(const QString&)> onStatus)
    : messages_(messages), onStatus_(std::move(onStatus)) {
    windowMailbox();
}

void JobReporter::information(const std::string& text) {
    QString shown = fromCp932(text);
    postToWindow([messages = messages_, shown] {
        if (messages) messages->post(shown);
    });
}

bool JobReporter::askYesNo(const std::string&) { return false; }

void JobReporter::beep() {
    postToWindow([messages = messages_] {
        if (messages) Dialogs::beep();
    });
}

void JobReporter::status(const std::string& text) {
    if (!onStatus_) return;
    QString shown = fromCp932(text);
    postToWindow([messages = messages_, onStatus = onStatus_, shown] {
        if (messages) onStatus(shown);
    });
}

// ---------------------------------------------------------------- the worker

ControlWorker::ControlWorker(QObject* parent) : QObject(parent), self_(this) {
    windowMailbox();
    thread_ = std::thread([this] { runJobs(); });
}

ControlWorker::~ControlWorker() {
    if (busy_) cancel();
    {
        std::lock_guard lock(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ControlWorker::runJobs() {
    jobsWorker = this;
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(lock_);
            changed_.wait(lock, [this] { return next_ || stopping_; });
            if (stopping_) return;
            job = std::move(next_);
            next_ = nullptr;
            running_ = true;  // taken: until it has ended, waitForJob waits for this one
        }
        job();
        {
            std::lock_guard lock(lock_);
            running_ = false;
        }
        changed_.notify_all();
    }
}

QString ControlWorker::busyMessage(const QString& runningJob) {
    return "「" + runningJob + "」を実行中です。終わってからもう一度実行してください。";
}

bool ControlWorker::start(const QString& name, Job job, std::function<void()> done, CancelToken cancel) {
    if (busy_) return false;
    return hand(name, std::move(job), std::move(done), std::move(cancel));
}

bool ControlWorker::startToTheEnd(const QString& name, Job job, std::function<void()> done) {
    if (!start(name, std::move(job), std::move(done))) return false;
    stopsOnCancel_ = false;
    return true;
}

bool ControlWorker::hand(const QString& name, Job job, std::function<void()> done, CancelToken cancel) {
    busy_ = true;
    cancel_ = std::move(cancel);
    stopsOnCancel_ = true;
    jobName_ = name;
    emit busyChanged(true);
    auto run = [self = self_, name, job = std::move(job), done = std::move(done)]() mutable {
        QString failure;
        try {
            job();
        } catch (...) {
            failure = caughtErrorText();
        }
        postToWindow([self, name, failure, done = std::move(done)] {
            if (!self) return;
            self->busy_ = false;
            self->stopsOnCancel_ = true;
            self->jobName_.clear();
            if (!failure.isEmpty()) emit self->failed(name, failure);
            if (done) done();
            emit self->busyChanged(false);
        });
    };
    {
        std::lock_guard lock(lock_);
        next_ = std::move(run);
    }
    changed_.notify_all();
    return true;
}

void ControlWorker::cancel() { cancel_.cancel(); }

void ControlWorker::waitForJob() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return !next_ && !running_; });
}

int askFromJob(std::function<int()> question, int unanswered) {
    if (jobsWorker) return jobsWorker->askWindow(std::move(question), unanswered);
    std::promise<int> answer;  // another thread of ours: it waits for the answer
    std::future<int> given = answer.get_future();
    postToWindow([&] { answer.set_value(question()); });
    return given.get();
}

int ControlWorker::askWindow(std::function<int()> question, int unanswered) {
    auto answer = std::make_shared<std::optional<int>>();  // under lock_
    postToWindow([self = self_, question = std::move(question), answer] {
        if (!self) return;  // the worker is gone: nobody waits for the answer
        const int given = question();
        if (!self) return;
        {
            std::lock_guard lock(self->lock_);
            *answer = given;
        }
        self->changed_.notify_all();
    });
    std::unique_lock lock(lock_);
    // A worker being destroyed stops waiting: its window thread waits for this job, and would
    // never get to the question.
    changed_.wait(lock, [&] { return answer->has_value() || stopping_; });
    return answer->has_value() ? **answer : unanswered;
}

}  // namespace vex::ui

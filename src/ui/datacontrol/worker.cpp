#include "ui/datacontrol/worker.h"

#include <QMetaObject>
#include <QWidget>
#include <exception>

#include "datalink/bulk_download.h"
#include "ui/shared/dialogs.h"
#include "ui/shared/error_report.h"
#include "ui/shared/qt_text.h"

namespace vex::ui {

namespace {

class Mailbox : public QObject {
public:
    void post(std::function<void()> call) {
        bool wake;
        {
            std::lock_guard lock(lock_);
            wake = calls_.empty();
            calls_.push_back(std::move(call));
        }
        if (wake) QMetaObject::invokeMethod(this, &Mailbox::drain, Qt::QueuedConnection);
    }

private:
    void drain() {
        std::deque<std::function<void()>> calls;
        {
            std::lock_guard lock(lock_);
            calls.swap(calls_);
        }
        for (auto& call : calls) call();
    }

    std::mutex lock_;
    std::deque<std::function<void()>> calls_;
};

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
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(lock_);
            changed_.wait(lock, [this] { return next_ || stopping_; });
            if (stopping_) return;
            job = std::move(next_);
            next_ = nullptr;
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

bool ControlWorker::start(const QString& name, Job job, std::function<void()> done) {
    if (busy_) return false;
    // Cleared here, not on the worker: a cancel pressed before the job gets going is kept.
    setCancelFlag(false);
    return hand(name, std::move(job), std::move(done));
}

bool ControlWorker::startKeepingCancelFlag(const QString& name, Job job, std::function<void()> done) {
    if (busy_) return false;
    return hand(name, std::move(job), std::move(done));
}

bool ControlWorker::startToTheEnd(const QString& name, Job job, std::function<void()> done) {
    if (!start(name, std::move(job), std::move(done))) return false;
    stopsOnCancel_ = false;
    return true;
}

bool ControlWorker::hand(const QString& name, Job job, std::function<void()> done) {
    busy_ = true;
    stopsOnCancel_ = true;
    jobName_ = name;
    emit busyChanged(true);
    auto run = [self = self_, name, job = std::move(job), done = std::move(done)]() mutable {
        QString failure;
        try {
            job();
        } catch (const std::exception& e) {
            failure = errorText(e.what());
        } catch (...) {
            failure = "unknown error";
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
        running_ = true;
    }
    changed_.notify_all();
    return true;
}

void ControlWorker::cancel() { setCancelFlag(true); }

void ControlWorker::waitForJob() {
    std::unique_lock lock(lock_);
    changed_.wait(lock, [this] { return !running_; });
}

}  // namespace vex::ui

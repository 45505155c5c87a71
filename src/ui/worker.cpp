#include "ui/worker.h"

#include <QMetaObject>
#include <QWidget>
#include <exception>

#include "datalink/bulk_download.h"
#include "ui/dialogs.h"
#include "ui/error_report.h"
#include "ui/qt_text.h"

namespace vex::ui {

void postToWindow(QObject* context, std::function<void()> call) {
    QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
}

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
    : messages_(messages), onStatus_(std::move(onStatus)) {}

void JobReporter::information(const std::string& text) {
    QPointer<MessageQueue> messages = messages_;
    QString shown = fromCp932(text);
    if (messages) postToWindow(messages, [messages, shown] { messages->post(shown); });
}

bool JobReporter::askYesNo(const std::string&) { return false; }

void JobReporter::beep() {
    if (messages_) postToWindow(messages_, [] { Dialogs::beep(); });
}

void JobReporter::status(const std::string& text) {
    if (!onStatus_ || !messages_) return;
    QString shown = fromCp932(text);
    auto onStatus = onStatus_;
    postToWindow(messages_, [onStatus, shown] { onStatus(shown); });
}

// ---------------------------------------------------------------- the worker

ControlWorker::ControlWorker(QObject* parent) : QObject(parent), onThread_(new QObject) {
    thread_.setObjectName("ControlWorker");
    onThread_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, onThread_, &QObject::deleteLater);
    thread_.start();
}

ControlWorker::~ControlWorker() {
    if (busy_) cancel();
    thread_.quit();
    thread_.wait();
}

QString ControlWorker::busyMessage(const QString& runningJob) {
    return "「" + runningJob + "」を実行中です。終わってからもう一度実行してください。";
}

bool ControlWorker::start(const QString& name, Job job, std::function<void()> done) {
    if (busy_) return false;
    // Cleared here, not on the worker: a cancel pressed before the job gets going is kept.
    setCancelFlag(false);
    busy_ = true;
    jobName_ = name;
    {
        std::lock_guard lock(runningLock_);
        running_ = true;
    }
    emit busyChanged(true);
    QPointer<ControlWorker> self = this;
    QMetaObject::invokeMethod(
        onThread_,
        [this, self, name, job = std::move(job), done = std::move(done)]() mutable {
            QString failure;
            try {
                job();
            } catch (const std::exception& e) {
                failure = errorText(e.what());
            } catch (...) {
                failure = "unknown error";
            }
            // The worker outlives every job (its destructor waits), so `this` is still here.
            {
                std::lock_guard lock(runningLock_);
                running_ = false;
            }
            jobEnded_.notify_all();
            postToWindow(this, [self, name, failure, done = std::move(done)] {
                if (!self) return;
                self->busy_ = false;
                self->jobName_.clear();
                if (!failure.isEmpty()) emit self->failed(name, failure);
                if (done) done();
                emit self->busyChanged(false);
            });
        },
        Qt::QueuedConnection);
    return true;
}

void ControlWorker::cancel() { setCancelFlag(true); }

void ControlWorker::waitForJob() {
    std::unique_lock lock(runningLock_);
    jobEnded_.wait(lock, [this] { return !running_; });
}

}  // namespace vex::ui

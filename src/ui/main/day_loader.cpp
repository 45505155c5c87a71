#include "ui/main/day_loader.h"

#include <exception>

#include "ui/shared/error_report.h"
#include "ui/main/progress_window.h"

namespace vex::ui {

DayLoader::ForwardedProgress::ForwardedProgress(ProgressWindow* window) : window_(window) {}

void DayLoader::ForwardedProgress::show(const std::string& caption, const std::string& dayStamp, int maximum) {
    postToWindow([form = window_, caption, dayStamp, maximum] {
        if (form) form->show(caption, dayStamp, maximum);
    });
}
void DayLoader::ForwardedProgress::step() {
    postToWindow([form = window_] {
        if (form) form->step();
    });
}
void DayLoader::ForwardedProgress::reset() {
    postToWindow([form = window_] {
        if (form) form->reset();
    });
}
void DayLoader::ForwardedProgress::hide() {
    postToWindow([form = window_] {
        if (form) form->hide();
    });
}

DayLoader::DayLoader(ProgressWindow* progress, MessageQueue* messages, Loaded onLoaded, QObject* parent, Load load)
    : QObject(parent),
      progress_(progress),
      reporter_(messages),
      onLoaded_(std::move(onLoaded)),
      load_(std::move(load)),
      self_(this) {}

DayLoader::~DayLoader() {
    if (thread_.joinable()) thread_.join();
}

void DayLoader::load(const std::string& dayStamp) {
    if (running_) {
        pending_ = dayStamp;
        return;
    }
    begin(dayStamp);
}

void DayLoader::begin(const std::string& dayStamp) {
    running_ = true;
    if (thread_.joinable()) thread_.join();  // the last load has posted its result: it is ending
    thread_ = std::thread([this, self = self_, dayStamp, table = std::move(spare_)]() mutable {
        // A new table is made here, not on the window thread: filling its records with blanks
        // takes tens of milliseconds.
        if (!table) table = std::make_unique<RaceTable>();
        DayLoadOptions options;
        options.reporter = &reporter_;
        options.progress = &progress_;
        DayLoadResult result;
        QString failure;
        // Whatever escapes the load ends here: on this thread it would end the program.
        try {
            result = load_(*table, dayStamp, options);
        } catch (...) {
            failure = caughtErrorText();
        }
        if (!failure.isEmpty()) table.reset();
        // A queued call is copyable: the table travels in a shared box and is taken out once.
        auto loaded = std::make_shared<std::unique_ptr<RaceTable>>(std::move(table));
        postToWindow([self, loaded, result, failure] {
            if (self) self->finish(std::move(*loaded), result, failure);
        });
    });
}

void DayLoader::finish(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure) {
    running_ = false;
    if (!pending_.empty()) {  // overtaken: the newer day is loaded instead
        std::string next = std::move(pending_);
        pending_.clear();
        if (table) recycle(std::move(table));
        begin(next);
        return;
    }
    onLoaded_(std::move(table), result, failure);
}

}  // namespace vex::ui

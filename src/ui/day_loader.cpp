#include "ui/day_loader.h"

#include <exception>

#include "ui/error_report.h"
#include "ui/prgrs_form.h"

namespace vex::ui {

void DayLoader::ForwardedProgress::show(const std::string& caption, const std::string& dayStamp, int maximum) {
    TPrgrsForm* form = form_;
    postToWindow(form, [form, caption, dayStamp, maximum] { form->show(caption, dayStamp, maximum); });
}
void DayLoader::ForwardedProgress::step() {
    TPrgrsForm* form = form_;
    postToWindow(form, [form] { form->step(); });
}
void DayLoader::ForwardedProgress::reset() {
    TPrgrsForm* form = form_;
    postToWindow(form, [form] { form->reset(); });
}
void DayLoader::ForwardedProgress::hide() {
    TPrgrsForm* form = form_;
    postToWindow(form, [form] { form->hide(); });
}

DayLoader::DayLoader(TPrgrsForm* progress, MessageQueue* messages, Loaded onLoaded, QObject* parent)
    : QObject(parent), progress_(progress), reporter_(messages), onLoaded_(std::move(onLoaded)) {}

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
    thread_ = std::thread([this, dayStamp] {
        auto table = std::make_unique<RaceTable>();
        DayLoadOptions options;
        options.reporter = &reporter_;
        options.progress = &progress_;
        DayLoadResult result;
        QString failure;
        try {
            result = loadDay(*table, dayStamp, options);
        } catch (const std::exception& e) {
            table.reset();
            failure = errorText(e.what());
        }
        // A queued call is copyable: the table travels in a shared box and is taken out once.
        auto loaded = std::make_shared<std::unique_ptr<RaceTable>>(std::move(table));
        postToWindow(this, [this, loaded, result, failure] {
            running_ = false;
            if (!pending_.empty()) {
                std::string next = std::move(pending_);
                pending_.clear();
                begin(next);
                return;
            }
            onLoaded_(std::move(*loaded), result, failure);
        });
    });
}

}  // namespace vex::ui

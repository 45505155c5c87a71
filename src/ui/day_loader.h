#pragma once
// Loads a race day into a fresh race table on a thread of its own (a day load reads files only:
// it never talks to the data control). The window keeps showing its table until the load has
// finished and then swaps the new one in. The newest request wins: a request made while a load
// runs waits for it, and the table of the overtaken load is dropped unseen.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "dayload/day_load.h"
#include "ui/worker.h"

namespace vex::ui {

class ProgressWindow;

class DayLoader : public QObject {
    Q_OBJECT
public:
    // On the window thread, once a load has ended: the table (null when the load threw) and what
    // the load says; `failure` is the text of an error that escaped the load (UTF-8), else empty.
    using Loaded = std::function<void(std::unique_ptr<RaceTable> table, const DayLoadResult& result,
                                      const QString& failure)>;

    DayLoader(ProgressWindow* progress, MessageQueue* messages, Loaded onLoaded, QObject* parent);
    ~DayLoader() override;  // waits for a running load

    void load(const std::string& dayStamp);
    bool loading() const { return running_; }

private:
    void begin(const std::string& dayStamp);
    void finish(std::unique_ptr<RaceTable> table, const DayLoadResult& result, const QString& failure);

    // Passes the load's progress calls on to the progress window.
    class ForwardedProgress : public DayLoadProgress {
    public:
        explicit ForwardedProgress(ProgressWindow* window);
        void show(const std::string& caption, const std::string& dayStamp, int maximum) override;
        void step() override;
        void reset() override;
        void hide() override;

    private:
        QPointer<ProgressWindow> window_;  // made on the window thread
    };

    ForwardedProgress progress_;
    JobReporter reporter_;
    Loaded onLoaded_;
    QPointer<DayLoader> self_;
    std::thread thread_;
    bool running_ = false;
    std::string pending_;  // the day asked for while a load ran
};

}  // namespace vex::ui

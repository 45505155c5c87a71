#pragma once
// Loads a race day into a race table of its own on a thread of its own (a day load reads files
// only: it never talks to the data control). The window keeps showing its table until the load has
// finished and then swaps the new one in, handing the old one back for the next load: a table
// that has held a day is cleared far faster than a new one is built. The newest request wins: a
// request made while a load runs waits for it, and the table of the overtaken load is reused unseen.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "dayload/day_load.h"
#include "ui/datacontrol/worker.h"

namespace vex::ui {

class ProgressWindow;

class DayLoader : public QObject {
    Q_OBJECT
public:
    // On the window thread, once a load has ended: the table (null when the load threw) and what
    // the load says; `failure` is the text of an error that escaped the load (UTF-8), else empty.
    using Loaded = std::function<void(std::unique_ptr<RaceTable> table, const DayLoadResult& result,
                                      const QString& failure)>;

    // What loads a day: loadDay, or a stand-in in tests.
    using Load = std::function<DayLoadResult(RaceTable&, const std::string&, const DayLoadOptions&)>;

    DayLoader(ProgressWindow* progress, MessageQueue* messages, Loaded onLoaded, QObject* parent, Load load = loadDay);
    ~DayLoader() override;  // waits for a running load

    void load(const std::string& dayStamp);
    bool loading() const { return running_; }
    // A table no longer shown, to load the next day into.
    void recycle(std::unique_ptr<RaceTable> table) { spare_ = std::move(table); }

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
    Load load_;
    QPointer<DayLoader> self_;
    std::thread thread_;
    bool running_ = false;
    std::string pending_;  // the day asked for while a load ran
    std::unique_ptr<RaceTable> spare_;
};

}  // namespace vex::ui

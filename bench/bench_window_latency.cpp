// Window thread responsiveness. In one program, on the offscreen platform, a 5 ms timer on the window
// thread records the gaps between its ticks while the windows do their long work the way the
// desktop program does it:
//   a) the 90-day bulk download of the simulated service in the download window (start clicked,
//      event loop run until the download is over);
//   b) the day load of the main window for the simulated day with the most races;
//   c) the day load of a built 96-race day (8 tracks x 12 races x 16 runners, the day of
//      bench_day_load).
// Each phase ends when its work is over (download window no longer running, day load finished and
// shown), plus 150 ms of the event loop, so the painting that follows is measured too.
// Prints the longest gap per phase and overall, as a ratio to 50 ms (goal: at most 1.0), with the
// wall time of each phase and where the longest gaps ended.
//
// VEXMORA_NOW (default 2024/09/30 21:00:00) and VEXMORA_SIM_SEED pick the simulated world;
// VEXMORA_BENCH_KEEP=1 keeps the application folder.
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_folder.h"
#include "built_day.h"
#include "control/control_factory.h"
#include "store/day_list.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "ui/datacontrol/control_dialogs.h"
#include "ui/shared/dialogs.h"
#include "ui/download/download_window.h"
#include "ui/main/main_window.h"
#include "ui/main/progress_window.h"
#include "ui/shared/qt_text.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace {
namespace fs = std::filesystem;
using namespace vex;
using Steady = std::chrono::steady_clock;

constexpr double kGoalMs = 50.0;

const char* kBuiltDate = "20240512";  // outside the downloaded window

// ---------------------------------------------------------------- the gap recorder

struct Gap {
    double ms = 0;
    double endsAtMs = 0;  // from the phase's start
    QString from, to;     // what the windows showed at the tick before and at the tick ending it
};

struct Phase {
    std::string name;
    std::function<QString()> where;
    Steady::time_point start;
    double wallMs = 0;
    long ticks = 0;
    int over50 = 0, over20 = 0;
    double msOver50 = 0;     // time spent in gaps above 50 ms, beyond the 50 ms each
    std::vector<Gap> top;    // the three longest, longest first
    double longest() const { return top.empty() ? 0 : top.front().ms; }
};

// A 5 ms timer on the window thread; each tick's gap goes to the phase running when it comes.
class Ticker {
public:
    Ticker() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        last_ = Steady::now();
        timer_.start();
    }
    void stop() { timer_.stop(); }
    Phase& begin(std::string name, std::function<QString()> where) {
        phases_.push_back(std::make_unique<Phase>());
        Phase& p = *phases_.back();
        p.name = std::move(name);
        p.where = std::move(where);
        p.start = Steady::now();
        lastWhere_ = "(before the phase)";
        current_ = &p;
        return p;
    }
    void end() { current_ = nullptr; }
    const std::vector<std::unique_ptr<Phase>>& phases() const { return phases_; }
    std::function<void()> onTick;

private:
    void tick() {
        auto now = Steady::now();
        double gap = std::chrono::duration<double, std::milli>(now - last_).count();
        last_ = now;
        if (Phase* p = current_) {
            QString here = p->where ? p->where() : QString();
            ++p->ticks;
            if (gap > 20) ++p->over20;
            if (gap > kGoalMs) {
                ++p->over50;
                p->msOver50 += gap - kGoalMs;
            }
            if (p->top.size() < 3 || gap > p->top.back().ms) {
                Gap g{gap, std::chrono::duration<double, std::milli>(now - p->start).count(), lastWhere_, here};
                p->top.insert(std::upper_bound(p->top.begin(), p->top.end(), g,
                                               [](const Gap& a, const Gap& b) { return a.ms > b.ms; }),
                              g);
                if (p->top.size() > 3) p->top.pop_back();
            }
            lastWhere_ = here;
        }
        if (onTick) onTick();
    }

    QTimer timer_;
    Steady::time_point last_;
    Phase* current_ = nullptr;
    QString lastWhere_;
    std::vector<std::unique_ptr<Phase>> phases_;
};

// Runs the event loop: `action` once it turns, then until `done()` holds, then `tailMs` more so the
// painting that follows the work is measured too. Returns the phase with its wall time (action to
// done).
Phase& runPhase(Ticker& ticker, std::string name, std::function<QString()> where, const std::function<void()>& action,
                const std::function<bool()>& done, int tailMs = 150) {
    Phase& phase = ticker.begin(std::move(name), std::move(where));
    QEventLoop loop;
    QElapsedTimer wall;
    bool finished = false;
    auto check = [&] {
        if (finished || !wall.isValid() || !done()) return;
        finished = true;
        phase.wallMs = wall.nsecsElapsed() / 1e6;
        QTimer::singleShot(tailMs, &loop, &QEventLoop::quit);
    };
    ticker.onTick = check;
    QTimer::singleShot(0, &loop, [&] {
        wall.start();
        action();
        check();
    });
    loop.exec();
    ticker.onTick = nullptr;
    ticker.end();
    return phase;
}

void printPhase(const Phase& p) {
    std::printf("%-34s longest gap %8.1f ms  ratio %6.2f  wall %9.1f ms  ticks %6ld  gaps>20ms %5d  gaps>50ms %4d "
                "(%.0f ms beyond 50 ms)\n",
                p.name.c_str(), p.longest(), p.longest() / kGoalMs, p.wallMs, p.ticks, p.over20, p.over50,
                p.msOver50);
    for (const Gap& g : p.top)
        std::printf("    gap %8.1f ms ending at %9.1f ms\n        from: %s\n        to:   %s\n", g.ms, g.endsAtMs,
                    g.from.toStdString().c_str(), g.to.toStdString().c_str());
}

int raceCount(const std::string& stamp) {
    std::error_code ec;
    auto size = fs::file_size(dayFilePath(stamp, DayFile::RA), ec);
    return ec ? 0 : static_cast<int>(size / RecordLength::RA);
}

}  // namespace

int main(int argc, char** argv) {
    const auto programStart = Steady::now();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    unsetenv("QT_QPA_PLATFORMTHEME");
    setenv("VEXMORA_NOW", "2024/09/30 21:00:00", 0);
    setenv("VEXMORA_SERVICE", "sim", 0);
    std::string pattern = (fs::temp_directory_path() / "vexmora-latency-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::path home = pattern;
    setenv("VEXMORA_HOME", home.c_str(), 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vexmora");
    ui::Dialogs::startRecording();  // no message box may block; the download window opens modeless

    ui::QtControlUi controlUi;
    std::unique_ptr<DataControl> control = createDataControl(&controlUi);
    if (!control) {
        std::fprintf(stderr, "no data control: %s\n", toUtf8(dataControlProblem()).c_str());
        return 1;
    }
    ui::MainWindow window(control.get());
    controlUi.setParent(&window);
    window.show();
    {
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
    }

    const double setUpSeconds = std::chrono::duration<double>(Steady::now() - programStart).count();
    Ticker ticker;
    ticker.start();

    // a) The bulk download, as the toolbar button and the start button run it.
    QPointer<ui::DownloadWindow> download;
    bool clicked = false;
    Phase& a = runPhase(
        ticker, "a) 90-day download",
        [&] {
            return download ? download->findChild<QLabel*>("ProgressLabel")->text() : QString("(download window gone)");
        },
        [&] {
            window.onDownloadClicked();
            download = window.findChild<ui::DownloadWindow*>("GetDataForm");
            if (!download) return;
            download->startDownload();
            clicked = true;
        },
        [&] { return !download || (clicked && !download->running()); });
    if (!download) {
        std::fprintf(stderr, "the download window did not open\n");
        return 1;
    }
    const DownloadStats stats = download->download().stats();
    const DownloadOutcome outcome = download->download().outcome();
    QString from = download->findChild<QDateTimeEdit*>("DateTimePicker1")->dateTime().toString("yyyy/MM/dd HH:mm:ss");
    if (outcome != DownloadOutcome::Completed) {
        std::fprintf(stderr, "the download did not complete: %s\n",
                     ui::Dialogs::shown().join(" | ").toStdString().c_str());
        return 1;
    }
    // Closing the window rebuilds the main window's day list.
    runPhase(
        ticker, "   closing the download window", [] { return QString(); }, [&] { download->close(); },
        [&] { return download.isNull(); }, 50);

    // b) The simulated day with the most races.
    std::string busiest;
    int busiestRaces = 0;
    std::vector<std::string> days = buildDayList();
    for (const std::string& stamp : days)
        if (int n = raceCount(stamp); n > busiestRaces) {
            busiest = stamp;
            busiestRaces = n;
        }
    QWidget* progress = window.findChild<QWidget*>("PrgrsForm");
    auto* raceList = window.findChild<QListWidget*>("DatList");
    auto* daySelector = window.findChild<QComboBox*>("DateCombo");
    auto dayLoadWhere = [&] {
        return QString("progress window %1 (bar %2), race list %3 lines")
            .arg(progress->isVisible() ? "shown" : "hidden")
            .arg(progress->findChild<QProgressBar*>("ProgressBar1")->value())
            .arg(raceList->count());
    };
    // The phase of one day load: the day chosen as the day selector does, over when it is shown.
    auto loadPhase = [&](const char* name, const std::string& stamp) -> Phase& {
        bool chosen = false;
        return runPhase(
            ticker, name, dayLoadWhere,
            [&] {
                daySelector->setCurrentIndex(daySelector->findText(ui::fromCp932(stamp)));
                window.loadSelectedDay();
                chosen = true;
            },
            [&] { return chosen && !window.loadingDay(); });
    };
    Phase& b = loadPhase("b) day load, busiest simulated day", busiest);
    int busiestListed = raceList->count();

    // c) The built 96-race day, written into the same store.
    ticker.stop();
    bench::buildDay(kBuiltDate);
    window.fillDaySelector();
    ticker.start();
    std::string built = dayStamp(kBuiltDate);
    Phase& c = loadPhase("c) day load, built 96-race day", built);
    int builtListed = raceList->count();
    ticker.stop();

    std::printf("world: VEXMORA_NOW %s, seed %s, %zu days in the store after the download\n", std::getenv("VEXMORA_NOW"),
                std::getenv("VEXMORA_SIM_SEED") ? std::getenv("VEXMORA_SIM_SEED") : "1", days.size());
    std::printf("download: %lld records, %lld stored, %zu files written (%.1f MB), %zu flushes; next from-time %s\n",
                stats.records, stats.stored, stats.filesWritten, stats.bytesWritten / 1e6, stats.flushes,
                from.toStdString().c_str());
    std::printf("busiest simulated day: %s, %d races on file, %d in the race list\n", toUtf8(busiest).c_str(),
                busiestRaces, busiestListed);
    std::printf("built day: %s, %d races on file, %d in the race list\n\n", toUtf8(built).c_str(), raceCount(built),
                builtListed);
    for (const auto& p : ticker.phases()) printPhase(*p);
    double ab = std::max(a.longest(), b.longest());
    double all = 0;
    for (const auto& p : ticker.phases()) all = std::max(all, p->longest());
    std::printf("\nlongest gap, download + busiest simulated day: %.1f ms, ratio %.2f (goal <= 1.0)\n", ab, ab / kGoalMs);
    std::printf("longest gap, download + built 96-race day:     %.1f ms, ratio %.2f (goal <= 1.0)\n",
                std::max(a.longest(), c.longest()), std::max(a.longest(), c.longest()) / kGoalMs);
    std::printf("longest gap, every phase:                     %.1f ms, ratio %.2f (goal <= 1.0)\n", all, all / kGoalMs);

    ui::Dialogs::stopRecording();
    const char* keep = std::getenv("VEXMORA_BENCH_KEEP");
    if (keep && std::string(keep) == "1") {
        std::printf("application folder kept: %s\n", home.c_str());
    } else {
        auto t0 = Steady::now();
        fs::remove_all(home);
        std::printf("set-up (windows, simulated world) %.1f s; removing the application folder %.1f s\n", setUpSeconds,
                    std::chrono::duration<double>(Steady::now() - t0).count());
    }
    return 0;
}

// The 90-day download through the bridge under Wine beside the same download from the feed replay,
// in one run. The bridge is the 64-bit build with our test control (tests/wine/windows) serving
// the same feed, in a scratch Wine prefix made for the run. The figure is the bridge download's
// time over the feed replay's (goal: at most 1.5), and again with the bridge's test switch that
// waits 1 ms before every reply (goal: at most 2). As in the program, the bridge starts with
// NVInit before the download; bridge_start_s is what that took (Wine's start included), round_trips
// the request frames of the whole run.
//
// Needs wine64 and the Wine test programs (skipped with a message otherwise). VEXMORA_BENCH_DAYS
// changes the feed length.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

#include "bench_support.h"
#include "control/bridge_control.h"
#include "control/control_factory.h"
#include "datalink/bulk_download.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace vex::bench;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

std::string windowsPath(const fs::path& p) {
    std::string s = "Z:" + p.string();
    for (char& c : s) c = c == '/' ? '\\' : c;
    return s;
}

// The feed and the Wine prefix of the run, with the test control registered and told to serve
// the feed; made on first use, removed at exit.
struct WineSetup {
    TempDir feed, prefix, ledger;
    int days = envInt("VEXMORA_BENCH_DAYS", 90);
    std::string problem;

    WineSetup() {
        exportFeed(feed.path, days);
        setenv("WINEPREFIX", (prefix.path / "wine").c_str(), 1);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("VEXMORA_TEST_CONTROL_FEED", windowsPath(feed.path).c_str(), 1);
        setenv("VEXMORA_TEST_CONTROL_HOME", windowsPath(ledger.path).c_str(), 1);
        const std::string make = std::string(VEXMORA_WINE_PREFIX_SCRIPT " make " VEXMORA_WINE64_PATH " ") +
                                 VEXMORA_TEST_CONTROL_DLL + " > /dev/null";
        if (std::system(make.c_str()) != 0) problem = "the Wine prefix could not be made: " + make;
    }
    ~WineSetup() { std::system(VEXMORA_WINE_PREFIX_SCRIPT " remove " VEXMORA_WINESERVER_PATH); }
};

WineSetup& setup() {
    static WineSetup shared;
    return shared;
}

struct Run {
    double startSeconds = 0, downloadSeconds = 0;
    long long records = 0, roundTrips = 0;
    bool completed = false;
};

// One download into an empty store on the control VEXMORA_SERVICE names.
Run download(const std::string& service, int days) {
    TempDir store;
    setenv("VEXMORA_SERVICE", service.c_str(), 1);
    setHome(store.path);
    vex::createAppFolders();
    Run run;
    auto t0 = Clock::now();
    std::unique_ptr<vex::DataControl> control = vex::createDataControl(nullptr);
    if (!control || control->NVInit(vex::kSoftwareId) != 0) return run;
    run.startSeconds = since(t0);
    SilentReporter reporter;
    vex::BulkDownload bulk(*control, reporter);
    bulk.setFromTime(vex::fromEpoch(vex::nowEpoch() - static_cast<std::time_t>(days + 1) * 24 * 3600));
    auto t1 = Clock::now();
    run.completed = bulk.run([] {}) == vex::DownloadOutcome::Completed;
    run.downloadSeconds = since(t1);
    run.records = bulk.stats().records;
    if (auto* bridged = dynamic_cast<vex::control::BridgeControl*>(control.get())) run.roundTrips = bridged->roundTrips();
    return run;
}

// Arg: the bridge's delay per reply in ms. Best of two rounds each, taken in turns.
void BM_BridgeDownload(benchmark::State& state) {
    WineSetup& wine = setup();
    if (!wine.problem.empty()) return state.SkipWithError(wine.problem.c_str());
    const int delay = static_cast<int>(state.range(0));
    std::string bridge = "bridge:" VEXMORA_WINE64_PATH " " VEXMORA_BRIDGE64_PATH;
    if (delay > 0) bridge += " --delay-ms " + std::to_string(delay);
    for (auto _ : state) {
        Run feedBest, bridgeBest;
        feedBest.downloadSeconds = bridgeBest.downloadSeconds = 1e9;
        for (int round = 0; round < 2; ++round) {
            Run feed = download("feed:" + wine.feed.path.string(), wine.days);
            Run viaBridge = download(bridge, wine.days);
            if (!feed.completed || !viaBridge.completed || feed.records != viaBridge.records)
                return state.SkipWithError("a download did not complete, or the two read different records");
            if (feed.downloadSeconds < feedBest.downloadSeconds) feedBest = feed;
            if (viaBridge.downloadSeconds < bridgeBest.downloadSeconds) bridgeBest = viaBridge;
        }
        state.SetIterationTime(bridgeBest.downloadSeconds);
        state.counters["records"] = static_cast<double>(bridgeBest.records);
        state.counters["feed_s"] = feedBest.downloadSeconds;
        state.counters["bridge_start_s"] = bridgeBest.startSeconds;
        state.counters["round_trips"] = static_cast<double>(bridgeBest.roundTrips);
        const double ratio = bridgeBest.downloadSeconds / feedBest.downloadSeconds;
        state.counters["ratio_to_feed"] = ratio;
        std::printf("ratio bridge download / feed replay, %d ms per reply: %.2f (goal <= %.1f)\n", delay, ratio,
                    delay > 0 ? 2.0 : 1.5);
    }
    unsetenv("VEXMORA_SERVICE");
}

}  // namespace

BENCHMARK(BM_BridgeDownload)->ArgName("delay_ms")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK_MAIN();

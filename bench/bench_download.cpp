// Bulk download speed. A 90-day feed exported from the simulated service is downloaded into an
// empty store; the figure is the download's time over the time of writing the same final store
// files once with plain writes, in the same run (goal: at most 1.5), with the records per second.
// The file system's pace drifts with the kernel's flushing, so the process's CPU time (user and
// system: building the records and copying them into the page cache) is measured beside the wall
// time, and both ratios are printed.
// The same ratio for storing record by record (rewriting the whole target file per record) on a
// 10-day feed shows what holding the files in memory gains.
//
// VEXMORA_BENCH_DAYS / VEXMORA_BENCH_REFERENCE_DAYS change the two feed lengths.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "../tests/datalink/download_support.h"
#include "app/app_folder.h"
#include "app/clock.h"
#include "bench_support.h"
#include "control/control_factory.h"
#include "datalink/bulk_download.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace vex::bench;

// Process CPU time in seconds: what the run itself spent, whatever the disk was doing meanwhile.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A span's wall and CPU seconds.
struct Span {
    double wall = 1e9, cpu = 1e9;
    void keepBest(const Span& o) {
        wall = std::min(wall, o.wall);
        cpu = std::min(cpu, o.cpu);
    }
};

class Stopwatch {
public:
    Span elapsed() const {
        return {std::chrono::duration<double>(Clock::now() - wall0_).count(), cpuSeconds() - cpu0_};
    }

private:
    Clock::time_point wall0_ = Clock::now();
    double cpu0_ = cpuSeconds();
};

// The 90-day download's best times, for main's ratio lines.
Span downloadBest, plainBest;

// Every record of a feed folder's diff files, one vector per file, in name order.
std::vector<std::vector<std::string>> feedRecords(const fs::path& dir) {
    std::vector<fs::path> names;
    for (const auto& e : fs::directory_iterator(dir / "diff")) names.push_back(e.path());
    std::sort(names.begin(), names.end());
    std::vector<std::vector<std::string>> files;
    for (const auto& n : names) {
        std::vector<std::string> records;
        for (auto& line : vex::readLines(n)) records.push_back(line + "\r\n");
        files.push_back(std::move(records));
    }
    return files;
}

// Time to write every store file under `from` again under `to` with plain writes (the reads
// and folder creation are not timed), and the bytes written.
Span plainWrites(const fs::path& from, const fs::path& to, std::size_t& bytes) {
    Span spent{0, 0};
    bytes = 0;
    for (const char* folder : {"Data", "SEI", "SEIR"}) {
        if (!fs::exists(from / folder)) continue;
        for (const auto& e : fs::recursive_directory_iterator(from / folder)) {
            if (!e.is_regular_file() || e.path().filename().string().starts_with(".")) continue;
            fs::path target = to / fs::relative(e.path(), from);
            fs::create_directories(target.parent_path());
            std::string content = vex::readFileBytes(e.path());
            Stopwatch watch;
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
            out.close();
            Span s = watch.elapsed();
            spent.wall += s.wall;
            spent.cpu += s.cpu;
            bytes += content.size();
        }
    }
    return spent;
}

// The file system's own pace drifts from second to second (creating files right after many were
// deleted is several times slower), so the download and the plain writes each run twice, in turns,
// and the best time of each is kept.
void BM_Download(benchmark::State& state) {
    int days = envInt("VEXMORA_BENCH_DAYS", 90);
    constexpr int kRounds = 2;
    TempDir feed;
    std::vector<std::unique_ptr<TempDir>> stores, plains;
    exportFeed(feed.path, days);
    setenv("VEXMORA_SERVICE", ("feed:" + feed.path.string()).c_str(), 1);
    for (auto _ : state) {
        Span best, bestPlain;
        std::size_t bytes = 0;
        vex::DownloadStats stats;
        for (int round = 0; round < kRounds; ++round) {
            auto& store = stores.emplace_back(std::make_unique<TempDir>());
            auto& plain = plains.emplace_back(std::make_unique<TempDir>());
            setHome(store->path);
            vex::createAppFolders();
            std::unique_ptr<vex::DataControl> control = vex::createDataControl(nullptr);
            if (!control) {
                state.SkipWithError("no feed control");
                return;
            }
            control->NVInit(vex::kSoftwareId);
            SilentReporter reporter;
            vex::BulkDownload download(*control, reporter);
            download.setFromTime(vex::fromEpoch(vex::nowEpoch() - static_cast<std::time_t>(days + 1) * 24 * 3600));
            Stopwatch watch;
            vex::DownloadOutcome outcome = download.run([] {});
            Span spent = watch.elapsed();
            if (outcome != vex::DownloadOutcome::Completed) {
                state.SkipWithError("download did not complete");
                return;
            }
            best.keepBest(spent);
            bestPlain.keepBest(plainWrites(store->path, plain->path, bytes));
            stats = download.stats();
        }
        state.SetIterationTime(best.wall);
        state.counters["records"] = static_cast<double>(stats.records);
        state.counters["records_per_s"] = static_cast<double>(stats.records) / best.wall;
        state.counters["files"] = static_cast<double>(stats.filesWritten);
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
        state.counters["flushes"] = static_cast<double>(stats.flushes);
        state.counters["plain_s"] = bestPlain.wall;
        state.counters["ratio_to_plain_writes"] = best.wall / bestPlain.wall;
        downloadBest = best;
        plainBest = bestPlain;
    }
    unsetenv("VEXMORA_SERVICE");
}

// Reading the same feed through the control without storing anything: the floor under the download.
void BM_FeedReadOnly(benchmark::State& state) {
    int days = envInt("VEXMORA_BENCH_DAYS", 90);
    TempDir feed, store;
    exportFeed(feed.path, days);
    setenv("VEXMORA_SERVICE", ("feed:" + feed.path.string()).c_str(), 1);
    setHome(store.path);
    for (auto _ : state) {
        std::unique_ptr<vex::DataControl> control = vex::createDataControl(nullptr);
        control->NVInit(vex::kSoftwareId);
        int readCount = 0, downloadCount = 0;
        std::string last, record, name;
        std::string from = vex::formatStamp14(vex::fromEpoch(vex::nowEpoch() - static_cast<std::time_t>(days + 1) * 86400));
        auto t0 = Clock::now();
        control->NVOpen("RACEDIFF", from, 1, readCount, downloadCount, last);
        long long records = 0;
        for (;;) {
            int size = 100000;
            int rc = control->NVRead(record, size, name);
            if (rc > 0) ++records;
            else if (rc == 0 || rc < -3) break;
        }
        control->NVClose();
        double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(seconds);
        state.counters["records"] = static_cast<double>(records);
        state.counters["records_per_s"] = static_cast<double>(records) / seconds;
    }
    unsetenv("VEXMORA_SERVICE");
}

void BM_RecordByRecord(benchmark::State& state) {
    int days = envInt("VEXMORA_BENCH_REFERENCE_DAYS", 10);
    TempDir feed, store, plain;
    exportFeed(feed.path, days);
    std::vector<std::vector<std::string>> files = feedRecords(feed.path);
    long long records = 0;
    for (const auto& f : files) records += static_cast<long long>(f.size());
    for (auto _ : state) {
        setHome(store.path);
        vex::createAppFolders();
        vex::DateTime from = vex::fromEpoch(vex::nowEpoch() - static_cast<std::time_t>(days + 1) * 24 * 3600);
        char bound[16];
        std::snprintf(bound, sizeof bound, "%04d", vex::now().year - 15);
        Stopwatch watch;
        vex::test::referenceStore(files, vex::RoutingContext{std::atoll(ymd(from).c_str()), bound});
        double seconds = watch.elapsed().wall;
        state.SetIterationTime(seconds);
        std::size_t bytes = 0;
        double plainSeconds = plainWrites(store.path, plain.path, bytes).wall;
        state.counters["records"] = static_cast<double>(records);
        state.counters["records_per_s"] = static_cast<double>(records) / seconds;
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
        state.counters["plain_s"] = plainSeconds;
        state.counters["ratio_to_plain_writes"] = seconds / plainSeconds;
    }
}

}  // namespace

BENCHMARK(BM_Download)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_FeedReadOnly)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_RecordByRecord)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (downloadBest.wall < 1e9 && plainBest.wall > 0) {
        std::printf("ratio download / plain writes, wall time: %.2f (goal <= 1.5)\n", downloadBest.wall / plainBest.wall);
        std::printf("ratio download / plain writes, CPU time: %.2f (goal <= 1.5)\n", downloadBest.cpu / plainBest.cpu);
    }
    benchmark::Shutdown();
    return 0;
}

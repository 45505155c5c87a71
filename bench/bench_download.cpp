// Bulk download speed. A 90-day feed exported from the simulated service is downloaded into an
// empty store; the figure is the download's time over the time of writing the same final store
// files once with plain writes, in the same run (goal: at most 3), with the records per second.
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

// Seconds to write every store file under `from` again under `to` with plain writes (the reads
// and folder creation are not timed), and the bytes written.
double plainWriteSeconds(const fs::path& from, const fs::path& to, std::size_t& bytes) {
    double seconds = 0;
    bytes = 0;
    for (const char* folder : {"Data", "SEI", "SEIR"}) {
        if (!fs::exists(from / folder)) continue;
        for (const auto& e : fs::recursive_directory_iterator(from / folder)) {
            if (!e.is_regular_file() || e.path().filename().string().starts_with(".")) continue;
            fs::path target = to / fs::relative(e.path(), from);
            fs::create_directories(target.parent_path());
            std::string content = vex::readFileBytes(e.path());
            auto t0 = Clock::now();
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
            out.close();
            seconds += std::chrono::duration<double>(Clock::now() - t0).count();
            bytes += content.size();
        }
    }
    return seconds;
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
        double best = 1e9, bestPlain = 1e9;
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
            auto t0 = Clock::now();
            vex::DownloadOutcome outcome = download.run([] {});
            double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
            if (outcome != vex::DownloadOutcome::Completed) {
                state.SkipWithError("download did not complete");
                return;
            }
            best = std::min(best, seconds);
            bestPlain = std::min(bestPlain, plainWriteSeconds(store->path, plain->path, bytes));
            stats = download.stats();
        }
        state.SetIterationTime(best);
        state.counters["records"] = static_cast<double>(stats.records);
        state.counters["records_per_s"] = static_cast<double>(stats.records) / best;
        state.counters["files"] = static_cast<double>(stats.filesWritten);
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
        state.counters["flushes"] = static_cast<double>(stats.flushes);
        state.counters["plain_s"] = bestPlain;
        state.counters["ratio_to_plain_writes"] = best / bestPlain;
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
        auto t0 = Clock::now();
        vex::test::referenceStore(files, vex::RoutingContext{std::atoll(ymd(from).c_str()), bound});
        double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        state.SetIterationTime(seconds);
        std::size_t bytes = 0;
        double plainSeconds = plainWriteSeconds(store.path, plain.path, bytes);
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
BENCHMARK_MAIN();

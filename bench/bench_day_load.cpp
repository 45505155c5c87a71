// Day load speed: a full day of 96 races (8 tracks x 12 races x 16 runners, three past runs each,
// every odds file, Compi files, payouts) against reading every file the load touches once with
// plain reads. Prints the ratio (goal: at most 2) and the resident memory of the race table (goal:
// under 64 MB).
#include <fcntl.h>
#include <unistd.h>

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
#include "dayload/day_load.h"
#include "stats/appearance.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace {
namespace fs = std::filesystem;
using namespace vex;

const char* kDate = "20240512";
std::vector<fs::path> written;

double seconds(const std::function<void()>& run, int repeats) {
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        run();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

long residentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main() {
    fs::path home = fs::temp_directory_path() / ("vexmora-bench-" + std::to_string(::getpid()));
    setenv("VEXMORA_HOME", home.c_str(), 1);
    createAppFolders();
    written = bench::buildDay(kDate);
    std::string stamp = dayStamp(kDate);

    long before = residentKb();
    auto table = std::make_unique<RaceTable>();
    DayLoadResult result = loadDay(*table, stamp, {});
    long after = residentKb();
    if (table->raceList.size() != 96 || !result.appearanceWritten) {
        std::fprintf(stderr, "the day did not load as built (%zu races)\n", table->raceList.size());
        return 1;
    }

    // Alternating runs, best of each: the machine is shared, and the best run is the one least
    // disturbed.
    std::vector<char> buffer(1 << 20);
    auto plainReads = [&] {
        for (const fs::path& file : written) {
            int fd = ::open(file.c_str(), O_RDONLY);
            while (::read(fd, buffer.data(), buffer.size()) > 0) {
            }
            ::close(fd);
        }
    };
    double plain = 1e9, load = 1e9, write = 1e9;
    for (int i = 0; i < 15; ++i) {
        plain = std::min(plain, seconds(plainReads, 1));
        load = std::min(load, seconds([&] { loadDay(*table, stamp, {}); }, 1));
        write = std::min(write, seconds([&] { writeAppearanceFile(*table); }, 1));
    }

    std::printf("files touched: %zu\n", written.size());
    std::printf("plain reads:   %.2f ms\n", plain * 1e3);
    std::printf("day load:      %.2f ms\n", load * 1e3);
    std::printf("  of which the appearance file (made and written atomically): %.2f ms\n", write * 1e3);
    std::printf("ratio day load / plain reads: %.2f (goal <= 2)\n", load / plain);
    std::printf("race table: %.1f MB allocated, %.1f MB resident after a load (goal < 64 MB)\n",
                sizeof(RaceTable) / 1048576.0, (after - before) / 1024.0);
    fs::remove_all(home);
    return 0;
}

// Analysis speed: 150 days of appearance files (24 races of 12 runners a day, about 13 MB) read
// and analysed (every table and a strategy check) against reading the same files once with plain
// reads. Prints the ratio (goal: at most 2).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>

#include "../tests/support/appearance_days.h"
#include "stats/stats_tables.h"
#include "vocabulary/civil_date.h"

namespace {
namespace fs = std::filesystem;
using namespace vex;

constexpr int kDays = 150, kRacesPerDay = 24, kRunners = 12;

std::string raceLine(std::mt19937& rng, const std::string& date, int track, int race) {
    test::AppearanceLine line(date, track, race, kRunners, 1000 + 200 * (race % 6));
    std::vector<int> finish(kRunners), popularity(kRunners);
    for (int i = 0; i < kRunners; ++i) finish[static_cast<std::size_t>(i)] = popularity[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(finish.begin(), finish.end(), rng);
    std::shuffle(popularity.begin(), popularity.end(), rng);
    for (int h = 1; h <= kRunners; ++h) {
        int f = finish[static_cast<std::size_t>(h - 1)];
        line.runner(h, 90 - 3 * (h - 1), h, f, popularity[static_cast<std::size_t>(h - 1)]);
        if (f <= 3) line.paid(h, f == 1 ? 100 + static_cast<int>(rng() % 3000) : 0, 100 + static_cast<int>(rng() % 900));
    }
    return line.recommendedRank(1).str();
}

std::vector<fs::path> writeDays(const fs::path& folder) {
    std::mt19937 rng(7);
    std::vector<fs::path> files;
    int first = dayNumber(2025, 1, 1);
    for (int d = 0; d < kDays; ++d) {
        std::string date = ymdText(first + d);
        std::vector<std::string> lines;
        for (int r = 0; r < kRacesPerDay; ++r) lines.push_back(raceLine(rng, date, 42 + r / 12, r % 12 + 1));
        files.push_back(folder / ("em" + date + ".dat"));
        writeLinesAtomic(files.back(), lines, false);
    }
    return files;
}

double bestOf(const std::function<void()>& run) {
    auto t0 = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main() {
    fs::path folder = fs::temp_directory_path() / ("vexmora-bench-stats-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::vector<fs::path> files = writeDays(folder);
    std::uintmax_t bytes = 0;
    for (const fs::path& file : files) bytes += fs::file_size(file);

    std::vector<char> buffer(1 << 20);
    auto plainReads = [&] {
        for (const fs::path& file : files) {
            int fd = ::open(file.c_str(), O_RDONLY);
            while (::read(fd, buffer.data(), buffer.size()) > 0) {
            }
            ::close(fd);
        }
    };
    StrategyCriteria favourites;
    favourites.popularity = {1};
    std::size_t cells = 0;
    auto analysis = [&] {
        AppearanceSet set = readAppearanceFolder(folder);
        Analysis a = analyse(set.races, RaceFilter{});
        StrategyResult s = checkStrategy(set.races, RaceFilter{}, favourites);
        cells += compiRankTable(a).rowCount() + popularityTable(a).rowCount() + zoneTable(a).rowCount() +
                 strategyTable(s).rowCount();
        if (a.races != kDays * kRacesPerDay) std::fprintf(stderr, "analysed %d races\n", a.races);
    };
    // Alternating runs, best of each: the machine is shared.
    double plain = 1e9, analysed = 1e9;
    for (int i = 0; i < 15; ++i) {
        plain = std::min(plain, bestOf(plainReads));
        analysed = std::min(analysed, bestOf(analysis));
    }
    std::printf("files: %zu, %.1f MB\n", files.size(), static_cast<double>(bytes) / 1048576.0);
    std::printf("plain reads: %.2f ms\n", plain * 1e3);
    std::printf("analysis:    %.2f ms (read, parsed, every table, a strategy check)\n", analysed * 1e3);
    std::printf("ratio analysis / plain reads: %.2f (goal <= 2)\n", analysed / plain);
    fs::remove_all(folder);
    return cells > 0 ? 0 : 1;
}

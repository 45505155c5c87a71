// Bet generation speed: 3連単 Box on 18 marked horses (4,896 lines) with the 比例 split, against
// formatting the same 4,896 lines once with snprintf. Prints the ratio (goal: at most 5).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "betting/bet_page.h"
#include "vocabulary/bet_kinds.h"

namespace {

vex::BetRace eighteenRunners() {
    vex::BetRace race;
    race.sizeTables();
    race.slot = 0;
    race.runners = 18;
    for (int c = 1; c <= 9; ++c)
        for (std::size_t k = 1; k < race.odds[c].size(); ++k) {
            race.odds[c][k] = 1.0 + static_cast<double>((k * 7919) % 99999) / 10.0;
            race.popularity[c][k] = static_cast<int>(k);
        }
    for (int h = 1; h <= 18; ++h) {
        vex::BetRunner r;
        r.horse = h;
        r.frame = (h + 1) / 2 > 8 ? 8 : (h + 1) / 2;
        r.name = std::string(36, ' ');
        race.winPopularity[h] = h;
        race.cardRows.push_back(r);
    }
    return race;
}

void BM_TrifectaBoxProportional(benchmark::State& state) {
    vex::BetPage page;
    page.selectRace(eighteenRunners());
    page.setKind(vex::BetKind::Trifecta);
    page.setStakeMode(vex::StakeMode::Proportional);
    page.markPair(1, true);
    if (page.betList().rowCount() != 4897) state.SkipWithError("expected 4896 lines");
    for (auto _ : state) {
        page.regenerate();
        benchmark::DoNotOptimize(page.betList());
    }
}

// The bound: each of the 4,896 lines formatted once (combination, odds, popularity, number).
void BM_FormatLinesOnce(benchmark::State& state) {
    const vex::BetRace race = eighteenRunners();
    std::string out;
    for (auto _ : state) {
        out.clear();
        char buf[64];
        for (int k = 1; k <= 4896; ++k) {
            const vex::Combination c = vex::CombinationAt(vex::BetKind::Trifecta, k);
            const int n = std::snprintf(buf, sizeof buf, "%4d%2d-%2d-%2d%8.1f%4d", k, c.a, c.b, c.c, race.odds[9][k],
                                        race.popularity[9][k]);
            out.append(buf, static_cast<std::size_t>(n));
        }
        benchmark::DoNotOptimize(out);
    }
}

BENCHMARK(BM_TrifectaBoxProportional);
BENCHMARK(BM_FormatLinesOnce);

// Keeps the mean time of each run so main can print the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.iterations > 0) seconds[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double work = reporter.seconds["BM_TrifectaBoxProportional"];
    const double bound = reporter.seconds["BM_FormatLinesOnce"];
    if (work > 0 && bound > 0)
        std::printf("ratio 3連単 Box 18 horses + 比例 split / snprintf of 4896 lines: %.2f (goal <= 5)\n", work / bound);
    benchmark::Shutdown();
    return 0;
}

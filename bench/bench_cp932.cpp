// CP932 decoding speed: ratio of decoding a record-sized text against copying it with memcpy.
#include <benchmark/benchmark.h>

#include <cstring>

#include "vocabulary/cp932.h"

static std::string sampleRecord() {
    std::string r;
    while (r.size() < 1270) r += vex::sj("ＡＢＣ大井競馬場1234ﾊﾟﾄﾞｯｸ");
    return r.substr(0, 1270);
}

static void BM_Decode(benchmark::State& state) {
    std::string r = sampleRecord();
    for (auto _ : state) benchmark::DoNotOptimize(vex::toUtf8(r));
}
static void BM_Copy(benchmark::State& state) {
    std::string r = sampleRecord();
    std::string out(r.size() * 2, '\0');
    for (auto _ : state) {
        std::memcpy(out.data(), r.data(), r.size());
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_Decode);
BENCHMARK(BM_Copy);
BENCHMARK_MAIN();

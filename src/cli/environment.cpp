#include "cli/environment.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>

#include "app/app_folder.h"
#include "app/file_read.h"

namespace vex::cli {
namespace {

std::string seedProblem() {
    const char* seed = std::getenv("VEXMORA_SIM_SEED");
    if (!seed || !*seed) return {};
    std::uint64_t value = 0;
    const char* end = seed + std::char_traits<char>::length(seed);
    auto [p, ec] = std::from_chars(seed, end, value);
    if (ec == std::errc() && p == end) return {};
    return std::string("VEXMORA_SIM_SEED は数ではありません (not a number): ") + seed;
}

std::string fileFaultsProblem() {
    const char* plan = std::getenv("VEXMORA_FILE_FAULTS");
    if (!plan || isFileFaultPlan(plan)) return {};
    return std::string("VEXMORA_FILE_FAULTS の書式が不正です (read:NAME[@N];write:NAME[@N]): ") + plan;
}

}  // namespace

std::string environmentProblem() {
    for (std::string problem : {appFolderProblem(), seedProblem(), fileFaultsProblem()})
        if (!problem.empty()) return problem;
    return {};
}

}  // namespace vex::cli

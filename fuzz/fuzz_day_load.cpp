// libFuzzer target: the day load on a small store whose files are cut, grown with stray bytes and
// overwritten record by record with the input's bytes (format: tests/dayload/test_day_load_damage.h).
// The day is written once per process, in memory-backed /dev/shm where there is one; each input
// rewrites only the files it damages.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "dayload/test_day_load_damage.h"

namespace {

std::filesystem::path home;

void removeHome() {
    std::error_code ec;
    std::filesystem::remove_all(home, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    home = base / ("vexmora-fuzz-day-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    setenv("VEXMORA_HOME", home.c_str(), 1);
    vex::createAppFolders();
    std::atexit(removeHome);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vex::test::DayDamager day;
    std::string problem = day.problem(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

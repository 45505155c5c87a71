// libFuzzer target: the day load on a small store whose files are cut, grown with stray bytes and
// edited byte by byte.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "../tests/store/test_day_load_damage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path home = [] {
        auto p = std::filesystem::temp_directory_path() / ("vexmora-fuzz-day-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        setenv("VEXMORA_HOME", p.c_str(), 1);
        vex::createAppFolders();
        return p;
    }();
    std::string problem = vex::test::damagedDayProblem(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

// libFuzzer target: the Compi page import's parse on arbitrary page text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "compi_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string problem = vex::fuzz::compiPageProblem({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

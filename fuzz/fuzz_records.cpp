// libFuzzer target: the record field readers, the download's routing and its store rules on
// arbitrary records.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "record_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("VEXMORA_HOME", "/nonexistent/vexmora-fuzz", 1);  // paths are built, never touched
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string problem = vex::fuzz::recordProblem({reinterpret_cast<const char*>(data), size});
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}

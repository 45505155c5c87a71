#include "app/huge_page_heap.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace vex {

void restartWithHugePageHeap(char** argv) {
#if defined(__SANITIZE_ADDRESS__)
    (void)argv;
#else
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    if (tunables && std::strstr(tunables, "glibc.malloc.hugetlb")) return;
    std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
    value += "glibc.malloc.hugetlb=1";
    if (::setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0) return;
    ::execv("/proc/self/exe", argv);
    // Still here: the restart failed; the program runs on with the ordinary heap.
#endif
}

}  // namespace vex

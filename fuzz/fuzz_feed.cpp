// The feed reader on arbitrary bytes: every record it gives back is a non-empty line ending in CR LF.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "control/feed_service.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const std::string& r : vex::control::splitFeedRecords(bytes)) {
        if (r.size() < 3 || r.compare(r.size() - 2, 2, "\r\n") != 0) std::abort();
        if (r.find('\n') != r.size() - 1) std::abort();
    }
    return 0;
}

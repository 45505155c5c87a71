#pragma once
// The direct read: every stored day loaded in turn in batch mode, oldest first, so that every day
// with results writes its appearance file again. Days loaded into one table, one after another.
#include <functional>
#include <string>
#include <vector>

namespace vex {

struct DirectReadResult {
    int daysLoaded = 0;
    int appearanceFiles = 0;          // days whose appearance file was written
    std::vector<std::string> failed;  // CP932: the day stamp, then what went wrong
    bool cancelled = false;
};

struct DirectReadCallbacks {
    // Before each day: its index (0-based), the number of days and the day stamp (CP932).
    std::function<void(int index, int count, const std::string& dayStamp)> progress;
    // Asked between days; true stops the read.
    std::function<bool()> stopRequested;
};

// Loads the days of `dayList` (newest first, as the day selector lists them) from its last entry to
// its first. An error of one day is noted and the read goes on.
DirectReadResult directRead(const std::vector<std::string>& dayList, const DirectReadCallbacks& callbacks = {});

}  // namespace vex

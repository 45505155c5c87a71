#pragma once
// The odds history: every win/place/bracket odds record (O1) a real-time refresh stores is also
// appended to its race's time-series file, so the odds of a race can be followed through the day
// and imported later like any time-series odds. Layout: OddsHistory/ + yyyymmdd + / + track,
// meeting, day and race number (8 digits) + ".nvO1", one O1 record per line as received.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "datalink/bulk_download.h"
#include "store/race_table.h"

namespace vex {

std::filesystem::path oddsHistoryFolder();
// The time-series file of the race with `raceKey` (16 characters); empty for a key that cannot
// name a file.
std::filesystem::path oddsHistoryFile(std::string_view raceKey);

// Appends each O1 record line to its race's file: each file read once and replaced atomically
// once. A file that cannot be read is left as it is and reported.
std::vector<WriteFailure> appendOddsHistory(const std::vector<std::string>& o1Lines);

// One snapshot of a race's win odds.
struct WinOddsPoint {
    int minuteOfDay = 0;                     // announcement hh * 60 + mm
    OneBased<double, kMaxRunners> winOdds{};  // as the odds reader reads them (0, Cancelled, NoData)
};
// The snapshots of the race announced on its own day, in file order; none when there is no file.
std::vector<WinOddsPoint> readWinOddsHistory(std::string_view raceKey);

}  // namespace vex

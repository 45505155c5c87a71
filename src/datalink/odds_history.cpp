#include "datalink/odds_history.h"

#include <map>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/file_read.h"
#include "store/odds_reader.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

fs::path oddsHistoryFolder() { return appFolder() / "OddsHistory"; }

fs::path oddsHistoryFile(std::string_view raceKey) {
    if (raceKey.size() != 16 || !isDigits(raceKey)) return {};
    return oddsHistoryFolder() / std::string(raceKey.substr(0, 8)) / (std::string(raceKey.substr(8, 8)) + ".nvO1");
}

std::vector<WriteFailure> appendOddsHistory(const std::vector<std::string>& o1Lines) {
    std::map<fs::path, std::vector<std::string>> added;
    for (const std::string& line : o1Lines) {
        fs::path file = oddsHistoryFile(fieldOf(line, Common::RaceKey));
        if (!file.empty()) added[file].push_back(line);
    }
    std::vector<WriteFailure> failures;
    for (auto& [file, lines] : added) {
        try {
            fs::create_directories(file.parent_path());
            // Locked from the read to the rename, so refreshes at once each keep their lines;
            // throws for a file that exists but cannot be read: it is then not replaced.
            FileUpdate update(file);
            std::vector<std::string> all = update.lines();
            all.insert(all.end(), lines.begin(), lines.end());
            update.replaceLines(all);
        } catch (const std::exception& e) {
            failures.push_back({file, e.what()});
        }
    }
    return failures;
}

std::vector<WinOddsPoint> readWinOddsHistory(std::string_view raceKey) {
    std::vector<WinOddsPoint> points;
    fs::path file = oddsHistoryFile(raceKey);
    if (file.empty()) return points;
    FileRead read = readFile(file);
    if (read.state != FileRead::Read) return points;
    for (std::string_view line : splitLines(read.bytes)) {
        if (static_cast<int>(line.size()) != RecordLength::O1 - 2) continue;
        // Snapshots of the day before the race tell nothing of its day.
        if (fieldOf(line, Common::MonthDay) != fieldOf(line, Odds::AnnounceTime).substr(0, 4)) continue;
        auto hour = strictNumber(fieldOf(line, Odds::AnnounceHour));
        auto minute = strictNumber(fieldOf(line, Odds::AnnounceMinute));
        if (!hour || !minute) continue;
        WinOddsPoint point;
        point.minuteOfDay = static_cast<int>(*hour * 60 + *minute);
        for (int h = 1; h <= kMaxRunners; ++h) point.winOdds[h] = oddsValue(fieldOf(line, Odds::Win.odds(h)));
        points.push_back(point);
    }
    return points;
}

}  // namespace vex

#include "stats/time_series_import.h"

#include <cstdlib>

#include "app/file_read.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {
namespace fs = std::filesystem;

namespace {

// The O1 record without its CR LF: a line of any other length would break the day file's records.
const std::size_t kO1LineLength = static_cast<std::size_t>(dayFileRecordLength(DayFile::O1) - 2);

std::string_view raceKeyOf(std::string_view record) { return record.substr(11, 16); }

// Minute of the day of the announcement, when announced on the race's own day.
std::optional<int> announcedMinute(std::string_view line) {
    if (line.size() != kO1LineLength || line.substr(15, 4) != line.substr(27, 4)) return std::nullopt;
    std::optional<std::int64_t> hour = strictNumber(line.substr(31, 2));
    std::optional<std::int64_t> minute = strictNumber(line.substr(33, 2));
    if (!hour || !minute) return std::nullopt;
    return static_cast<int>(*hour * 60 + *minute);
}

// Minute of the day of an "hhmmss" fetch time.
std::optional<int> fetchMinute(const std::string& hhmmss) {
    if (hhmmss.size() < 4 || !isDigits(std::string_view(hhmmss).substr(0, 4))) return std::nullopt;
    return std::stoi(hhmmss.substr(0, 2)) * 60 + std::stoi(hhmmss.substr(2, 2));
}

}  // namespace

std::optional<std::size_t> nearestSnapshot(const std::vector<std::string>& lines, int targetMinutes) {
    std::optional<std::size_t> best;
    int bestDistance = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<int> minute = announcedMinute(lines[i]);
        if (!minute) continue;
        int distance = std::abs(*minute - targetMinutes);
        if (!best || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

fs::path timeSeriesFile(const fs::path& folder, std::string_view raceKey) {
    if (raceKey.size() != 16 || !isDigits(raceKey)) return {};
    return folder / std::string(raceKey.substr(0, 8)) / (std::string(raceKey.substr(8, 8)) + ".nvO1");
}

void putOddsLine(std::vector<std::string>& dayLines, const std::string& record) {
    bool replaced = false;
    for (std::string& line : dayLines) {
        if (line.size() >= 27 && raceKeyOf(line) == raceKeyOf(record)) {
            line = record;
            replaced = true;
        }
    }
    if (!replaced) dayLines.push_back(record);
}

int importTimeSeriesOdds(const RaceTable& table, const fs::path& folder) {
    if (!table.dayLoaded) return 0;
    fs::path dayFile = dayFilePath(table.paths.stamp, DayFile::O1);
    FileUpdate update(dayFile);
    std::vector<std::string> dayLines = update.lines();
    int races = 0;
    for (int slot = 0; slot < kMaxRaces; ++slot) {
        if (!table.slotUsed(slot)) continue;
        std::optional<int> target = fetchMinute(table.races[static_cast<std::size_t>(slot)].oddsFetchTime);
        fs::path file = timeSeriesFile(folder, table.raw[static_cast<std::size_t>(slot)].ra.field(Common::RaceKey));
        if (!target || file.empty()) continue;
        std::vector<std::string> lines = readLines(file);
        std::optional<std::size_t> chosen = nearestSnapshot(lines, *target);
        if (!chosen) continue;
        putOddsLine(dayLines, lines[*chosen]);
        ++races;
    }
    if (races > 0) update.replaceLines(dayLines);
    return races;
}

std::string timeSeriesImportMessage(int races) {
    return std::to_string(races) + sj("ﾚｰｽ分の単複枠ｵｯｽﾞ、") + "0" + sj("ﾚｰｽ分の3連単ｵｯｽﾞ") + "\r\n" +
           sj("を取りこみました。");
}
std::string timeSeriesFolderNotSetMessage() { return sj("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。"); }
std::string noDayForImportMessage() { return sj("ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。"); }

}  // namespace vex

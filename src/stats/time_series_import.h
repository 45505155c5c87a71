#pragma once
// The time-series odds import: for every race of the loaded day, the win/place/bracket odds
// snapshot (O1 record) announced nearest to the race's automatic odds-fetch time is taken from the
// race's time-series file and written into the day's stored odds file, so past days carry the odds
// as they stood at the fetch time. Time-series layout: folder/yyyymmdd/<track, meeting, day, race:
// 8 digits>.nvO1, one O1 record per line (the layout the race-day refresh's odds history keeps).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "store/race_table.h"

namespace vex {

// Among the lines announced on the race's own day (race month-day = announcement month-day), the
// index of the one announced nearest to `targetMinutes` (minute of the day; the first wins a tie).
// Lines that are not whole O1 records are passed over.
std::optional<std::size_t> nearestSnapshot(const std::vector<std::string>& lines, int targetMinutes);

// The time-series file of a race key (16 characters); empty for a key that cannot name a file.
std::filesystem::path timeSeriesFile(const std::filesystem::path& folder, std::string_view raceKey);

// Replaces the line of the record's race in the day odds lines, or adds it at the end.
void putOddsLine(std::vector<std::string>& dayLines, const std::string& record);

// Imports the snapshots of every race of `table` into its day's O1 file (one read and one atomic
// write of that file); returns the number of races written. Throws FileReadError for a day odds
// file or time-series file that cannot be read (nothing is written then), FileWriteError when the
// day odds file cannot be written.
int importTimeSeriesOdds(const RaceTable& table, const std::filesystem::path& folder);

// The message after an import of `races` races (CP932).
std::string timeSeriesImportMessage(int races);
std::string timeSeriesFolderNotSetMessage();  // "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。"
std::string noDayForImportMessage();          // "ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。"

}  // namespace vex

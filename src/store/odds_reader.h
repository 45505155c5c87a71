#pragma once
// The odds reader: turns the day's odds files into the numeric odds and popularity tables of one
// race slot. The day load reads every slot; the real-time and timed refreshes read one slot after
// they have stored fresh odds.
#include <cstdint>
#include <optional>
#include <string_view>

#include "store/race_table.h"
#include "store/record_reader.h"
#include "vocabulary/fields.h"

namespace vex {

// The day's seven odds files, opened once for a series of slot reads.
struct OddsFiles {
    // `indexed`: for a series of slot reads (the day load), each file's keys are read once.
    explicit OddsFiles(const DayPaths& paths, bool indexed = false);
    RecordFile o1, o2, o3, o4, o5, o6, oa;
};

// How one odds field reads: Cancelled for all hyphens or all asterisks, NoData for blank, odds ÷ 10
// for digits. A field that is none of these (a stray byte, a sign, a point) is NoData too: one bad
// field must not stop the rest of the race from being read. `malformed` is set in that case.
// Inline: the day load reads over half a million of these, each field of a fixed width. Digits
// (right-aligned, the common case) take the vocabulary's reading; the rest is trimmed and looked at.
inline double oddsValue(std::string_view field, bool* malformed = nullptr) {
    if (!field.empty() && field.back() != ' ')
        if (const std::optional<std::int64_t> tenths = rightAlignedNumber(field)) return static_cast<double>(*tenths) / 10.0;
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return NoData;
    field = field.substr(first, field.find_last_not_of(' ') - first + 1);
    if ((field.front() == '-' || field.front() == '*') && field.find_first_not_of(field.front()) == std::string_view::npos)
        return Cancelled;
    if (const std::optional<std::int64_t> tenths = rightAlignedNumber(field)) return static_cast<double>(*tenths) / 10.0;
    if (malformed) *malformed = true;
    return NoData;
}

// Reads the odds of slot `slot` from `files` (the day load passes its open set).
// Returns the number of malformed odds fields met (read as NoData).
// `clearMissing`: a copy whose record is not found becomes spaces (the day load, which leaves the
// clearing of the odds copies to this read) instead of keeping its previous content.
int readOdds(RaceTable& table, int slot, const OddsFiles& files, bool clearMissing = false);
// Reads the odds of table.oddsTargetSlot from the loaded day's files (the refreshes' entry point).
int readOdds(RaceTable& table);

}  // namespace vex

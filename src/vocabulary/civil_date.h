#pragma once
// Civil dates as day numbers: days since 1970-01-01 of the proleptic Gregorian calendar, free of
// time zones (std::chrono's system days). Race days, record dates and the simulated calendar all
// count days this way.
#include <optional>
#include <string>
#include <string_view>

namespace vex {

struct CivilDate {
    int year = 0, month = 0, day = 0;
};

// The day number of a date; a day past the month's end runs on into the next month. The month
// must be 1..12 and the day 1..31.
int dayNumber(int year, int month, int day);
CivilDate civilDate(int dayNumber);
// 0 = Sunday .. 6 = Saturday.
inline int weekdayOf(int dayNumber) { return ((dayNumber % 7) + 11) % 7; }

// "yyyymmdd" of a day number.
std::string ymdText(int dayNumber);
// The day number of "yyyymmdd" when it names a real date; nullopt otherwise.
std::optional<int> dayNumberOfYmd(std::string_view yyyymmdd);

}  // namespace vex

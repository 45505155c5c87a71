#pragma once
// The one clock of the program. Every "now" and "today" comes from here. VEXMORA_NOW
// ("yyyy/mm/dd hh:nn:ss", local time) starts the clock at that moment and lets it run on.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace vex {

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const DateTime&) const = default;
};

// Local time now.
DateTime now();
// Seconds since the epoch of now() (for arithmetic).
std::time_t nowEpoch();

// Starts the clock at `start` (nullopt: back to the system clock or VEXMORA_NOW). For tests.
void setClock(std::optional<DateTime> start);

// Local time <-> epoch seconds.
std::time_t toEpoch(const DateTime& t);
DateTime fromEpoch(std::time_t t);

// "yyyy/mm/dd hh:nn:ss" both ways; parse gives nullopt on anything else.
std::string formatDateTime(const DateTime& t);
std::optional<DateTime> parseDateTime(const std::string& text);

// "yyyymmddhhnnss" (the data service's from-time and timestamps); parse gives nullopt for
// anything that is not 14 digits naming a real time.
std::string formatStamp14(const DateTime& t);
std::optional<DateTime> parseStamp14(std::string_view stamp);

// The message when VEXMORA_NOW is set but is no time; empty when it is unset or valid. Both
// programs refuse to start with it rather than run on the system clock unnoticed.
std::string clockSettingProblem();

}  // namespace vex

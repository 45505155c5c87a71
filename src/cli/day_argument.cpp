#include "cli/day_argument.h"

#include <optional>

#include "app/clock.h"
#include "cli/command.h"
#include "store/store_paths.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

const char* const kDayForms = "2026-12-09, 20261209, today, tomorrow or 2026年12月09日";

namespace {

int dayNumberOfClock(int daysAhead) {
    const DateTime t = now();
    return dayNumber(t.year, t.month, t.day) + daysAhead;
}

// "yyyymmdd" of the typed forms that carry digits; nullopt when the shape is none of them.
std::optional<std::string> digitsOfTyped(const std::string& typed) {
    if (typed.size() == 8) return typed;
    if (typed.size() == 10 && typed[4] == '-' && typed[7] == '-')
        return typed.substr(0, 4) + typed.substr(5, 2) + typed.substr(8, 2);
    const std::string cp932 = toCp932(typed);
    if (cp932.size() == 14) return dateOfDayStamp(cp932);
    return std::nullopt;
}

std::optional<int> dayNumberOfTyped(const std::string& typed) {
    if (typed == "today") return dayNumberOfClock(0);
    if (typed == "tomorrow") return dayNumberOfClock(1);
    const auto digits = digitsOfTyped(typed);
    return digits ? dayNumberOfYmd(*digits) : std::nullopt;
}

}  // namespace

std::string dayStampOfArgument(const std::string& typed) {
    const auto day = dayNumberOfTyped(typed);
    if (!day) throw UsageError("開催日ではありません (not a day): " + typed + " (DAY: " + kDayForms + ")");
    return dayStamp(ymdText(*day));
}

}  // namespace vex::cli

#include "vocabulary/civil_date.h"

#include <chrono>
#include <cstdio>

#include "vocabulary/fields.h"

namespace vex {
namespace chrono = std::chrono;

int dayNumber(int year, int month, int day) {
    // sys_days of a day past the month's end counts on from the month's first day.
    const chrono::sys_days first{chrono::year{year} / chrono::month{static_cast<unsigned>(month)} / 1};
    return static_cast<int>((first + chrono::days{day - 1}).time_since_epoch().count());
}

CivilDate civilDate(int number) {
    const chrono::year_month_day ymd{chrono::sys_days{chrono::days{number}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

std::string ymdText(int number) {
    const CivilDate date = civilDate(number);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", date.year % 10000, date.month, date.day);
    return text;
}

std::optional<int> dayNumberOfYmd(std::string_view text) {
    if (text.size() != 8 || !isDigits(text)) return std::nullopt;
    const auto year = static_cast<int>(*strictNumber(text.substr(0, 4)));
    const auto month = static_cast<unsigned>(*strictNumber(text.substr(4, 2)));
    const auto day = static_cast<unsigned>(*strictNumber(text.substr(6, 2)));
    const chrono::year_month_day ymd{chrono::year{year}, chrono::month{month}, chrono::day{day}};
    if (!ymd.ok()) return std::nullopt;
    return static_cast<int>(chrono::sys_days{ymd}.time_since_epoch().count());
}

}  // namespace vex

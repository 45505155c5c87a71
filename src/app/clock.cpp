#include "app/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace vex {
namespace {

struct ClockState {
    bool fixed = false;
    std::time_t startEpoch = 0;
    std::chrono::steady_clock::time_point startedAt;
};

// Tests move the clock on the window thread while workers read it.
std::mutex& clockLock() {
    static std::mutex lock;
    return lock;
}

ClockState& state() {
    static ClockState s = [] {
        ClockState init;
        if (const char* env = std::getenv("VEXMORA_NOW"); env && *env) {
            if (auto t = parseDateTime(env)) {
                init.fixed = true;
                init.startEpoch = toEpoch(*t);
                init.startedAt = std::chrono::steady_clock::now();
            }
        }
        return init;
    }();
    return s;
}

int daysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

}  // namespace

std::time_t toEpoch(const DateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

DateTime fromEpoch(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::time_t nowEpoch() {
    std::lock_guard lock(clockLock());
    ClockState& s = state();
    if (!s.fixed) return std::time(nullptr);
    auto elapsed = std::chrono::steady_clock::now() - s.startedAt;
    return s.startEpoch + std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
}

DateTime now() { return fromEpoch(nowEpoch()); }

void setClock(std::optional<DateTime> start) {
    if (!start)
        if (const char* env = std::getenv("VEXMORA_NOW"); env && *env) start = parseDateTime(env);
    const std::time_t epoch = start ? toEpoch(*start) : 0;
    std::lock_guard lock(clockLock());
    ClockState& s = state();
    s = ClockState{};
    if (start) {
        s.fixed = true;
        s.startEpoch = epoch;
        s.startedAt = std::chrono::steady_clock::now();
    }
}

std::string formatDateTime(const DateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buf;
}

std::optional<DateTime> parseDateTime(const std::string& text) {
    DateTime t;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d/%2d/%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute,
                    &t.second, &tail) != 6)
        return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > daysInMonth(t.year, t.month) || t.hour < 0 ||
        t.hour > 23 || t.minute < 0 || t.minute > 59 || t.second < 0 || t.second > 59)
        return std::nullopt;
    return t;
}

std::optional<DateTime> parseStamp14(std::string_view s) {
    if (s.size() != 14 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    std::string text = std::string(s.substr(0, 4)) + "/" + std::string(s.substr(4, 2)) + "/" +
                       std::string(s.substr(6, 2)) + " " + std::string(s.substr(8, 2)) + ":" +
                       std::string(s.substr(10, 2)) + ":" + std::string(s.substr(12, 2));
    return parseDateTime(text);
}

std::string clockSettingProblem() {
    const char* env = std::getenv("VEXMORA_NOW");
    if (!env || !*env || parseDateTime(env)) return {};
    return std::string("VEXMORA_NOW is not a time \"yyyy/mm/dd hh:nn:ss\": \"") + env + "\"";
}

std::string formatStamp14(const DateTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

}  // namespace vex

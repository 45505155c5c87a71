#include "datalink/timed_refresh.h"

#include <cstdio>

#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/fields.h"

namespace vex {

namespace {

constexpr std::string_view kFirstFetch = "0900";

std::string trimmed(std::string_view s) {
    auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

// Due: the odds (or re-check) time has come and the post has not.
bool oddsTimeCame(const RaceRecord& race, std::string_view post, const std::string& nowText) {
    std::string fetch = trimmed(race.oddsFetchTime), recheck = trimmed(race.oddsRecheckTime);
    bool came = (!fetch.empty() && nowText >= fetch) || (!recheck.empty() && nowText >= recheck);
    return came && isDigits(post) && post.size() == 4 && nowText < std::string(post) + "00";
}

}  // namespace

std::string hourMinute(const DateTime& t) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d%02d", t.hour % 100, t.minute % 100);
    return buf;
}

std::string hourMinuteSecond(const DateTime& t) {
    char buf[12];
    std::snprintf(buf, sizeof buf, "%02d%02d%02d", t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

bool showsToday(std::string_view shownDayStamp, const DateTime& now) {
    return !shownDayStamp.empty() && shownDayStamp == dayStampOf(now);
}

bool oddsTimerActs(std::string_view shownDayStamp, std::string_view latestPostTime, const DateTime& now) {
    std::string time = hourMinute(now);
    return showsToday(shownDayStamp, now) && time >= kFirstFetch && time <= latestPostTime;
}

bool resultsTimerActs(std::string_view shownDayStamp, std::string_view latestPostTime, const DateTime& now) {
    std::string time = hourMinute(now);
    return showsToday(shownDayStamp, now) && time >= kFirstFetch && time <= AddMinutes(latestPostTime, 30);
}

std::vector<int> oddsDueSlots(const RaceTable& table, const OddsFetchedFlags& fetched, const DateTime& now) {
    std::vector<int> due;
    const std::string nowText = hourMinuteSecond(now);
    const std::time_t epoch = toEpoch(now);
    for (int slot = 0; slot < kMaxRaces; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        if (fetched.isSet(slot) || fetched.retryWaits(slot, epoch) || !table.slotUsed(slot)) continue;
        if (oddsTimeCame(table.races[s], table.raw[s].ra.field(RA::PostTime), nowText)) due.push_back(slot);
    }
    return due;
}

std::vector<std::string> takeOddsWorkList(const RaceTable& table, OddsFetchedFlags& fetched, const DateTime& now) {
    std::vector<std::string> lines;
    for (int slot : oddsDueSlots(table, fetched, now)) {
        fetched.noteAttempt(slot, toEpoch(now));
        lines.push_back(workListLine(table.raw[static_cast<std::size_t>(slot)].ra.field(Common::RaceKey), slot));
    }
    return lines;
}

}  // namespace vex

#pragma once
// The rules of the timed refresh, as plain functions of the clock: the window's one-second odds
// timer and its results timer ask them what is due, and hand the work to the real-time refresh.
//
// Odds: a race's odds are due at the first tick at or after its odds time (or re-check time) while
// its odds-fetched flag is clear and before its post, so a second in which the timer did not fire
// (the clock jumped, the worker was busy) is made up at the next tick instead of being lost. The
// flag is set only once the fetch succeeded; a failed one is tried again after a pause.
#include <string>
#include <string_view>
#include <vector>

#include "app/clock.h"
#include "datalink/realtime_refresh.h"
#include "store/race_table.h"

namespace vex {

// "hhnn" and "hhmmss" of a time.
std::string hourMinute(const DateTime& t);
std::string hourMinuteSecond(const DateTime& t);

// The day selector shows today's day stamp (CP932).
bool showsToday(std::string_view shownDayStamp, const DateTime& now);
// The odds timer acts: today is shown and the time is 09:00 to the latest post (hhnn, inclusive).
bool oddsTimerActs(std::string_view shownDayStamp, std::string_view latestPostTime, const DateTime& now);
// The results timer acts: today is shown and the time is 09:00 to the latest post + 30 minutes.
bool resultsTimerActs(std::string_view shownDayStamp, std::string_view latestPostTime, const DateTime& now);

// The slots whose odds are due at `now` (see above), in slot order.
std::vector<int> oddsDueSlots(const RaceTable& table, const OddsFetchedFlags& fetched, const DateTime& now);
// The odds work list of the tick: the due slots' lines; their attempts are noted as they are queued.
std::vector<std::string> takeOddsWorkList(const RaceTable& table, OddsFetchedFlags& fetched, const DateTime& now);

}  // namespace vex

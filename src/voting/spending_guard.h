#pragma once
// The spending limits: a limit per day and a limit per vote of a race, in yen (0: none), kept in the
// settings file and edited in the automatic-voting window. They hold for every vote, by hand, from
// vexmora-cli and automatic (submitVote checks them): a user who sets a day limit expects it to hold
// whichever door the money leaves by. A vote that would pass either limit is not sent; its log line
// gives the amounts.
//
// The day's purchases are the account's own figure (RakutenZandaka, asked inside the vote's
// session), so votes made by hand, from vexmora-cli or earlier runs count as well.
#include <string>
#include <vector>

#include "app/settings.h"

namespace vex {

namespace settings {
inline constexpr IntSetting kAutoVoteDayLimit{"AutoTohyo", "DayLimit", 0};
inline constexpr IntSetting kAutoVoteRaceLimit{"AutoTohyo", "RaceLimit", 0};
}  // namespace settings

struct SpendingLimits {
    long long perDay = 0;   // yen; 0: none
    long long perRace = 0;  // yen; 0: none
};
SpendingLimits readSpendingLimits(const Settings& ini);
void writeSpendingLimits(const Settings& ini, const SpendingLimits& limits);

// The log text (after "[エラー]" + time) when the vote passes a limit; empty when it does not.
std::string raceLimitRefusal(const SpendingLimits& limits, long long voteYen);
std::string dayLimitRefusal(const SpendingLimits& limits, long long voteYen, long long boughtToday);

}  // namespace vex

#pragma once
// The spending guard of automatic voting, which spends money without asking: a limit per day and a
// limit per race, in yen (0: none), kept in the settings file and shown in the automatic-voting
// window. A vote that would pass either limit is not sent; its log line gives the amounts.
//
// The day's purchases are the account's own figure (RakutenZandaka, asked inside the vote's
// session), so votes made by hand, from vexmora-cli or earlier runs count as well.
#include <string>
#include <vector>

#include "app/settings.h"
#include "voting/vote.h"

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

// The yen a vote's lines buy (the stake field of each line, in units of 100 yen).
long long voteTotalYen(const std::vector<std::string>& lines);

// The log text (after "[エラー]" + time) when the vote passes a limit; empty when it does not.
std::string raceLimitRefusal(const SpendingLimits& limits, long long voteYen);
std::string dayLimitRefusal(const SpendingLimits& limits, long long voteYen, long long boughtToday);

// The automatic vote of a ready plan: the race limit first (nothing is sent past it), then the
// submission, whose session asks the account for the day's purchases before the first batch when
// a day limit is set. A vote stopped by a limit is logged and ends as Withheld.
VoteResult submitGuardedVote(const VotePlan& plan, VoteContext& context, const SpendingLimits& limits);

}  // namespace vex

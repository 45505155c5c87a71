#include "voting/spending_guard.h"

#include <algorithm>

#include "vocabulary/cp932.h"
#include "voting/vote.h"

namespace vex {

SpendingLimits readSpendingLimits(const Settings& ini) {
    // A negative limit reads as none, like any other value that is no limit.
    return {std::max(0, read(ini, settings::kAutoVoteDayLimit)), std::max(0, read(ini, settings::kAutoVoteRaceLimit))};
}

void writeSpendingLimits(const Settings& ini, const SpendingLimits& limits) {
    write(ini, settings::kAutoVoteDayLimit, static_cast<int>(limits.perDay));
    write(ini, settings::kAutoVoteRaceLimit, static_cast<int>(limits.perRace));
}

std::string raceLimitRefusal(const SpendingLimits& limits, long long voteYen) {
    if (limits.perRace <= 0 || voteYen <= limits.perRace) return {};
    return sj("  投票見送り：1レースの上限額を超えます。(今回:") + yenText(voteYen) + sj(" > 上限:") + yenText(limits.perRace) + ")";
}

std::string dayLimitRefusal(const SpendingLimits& limits, long long voteYen, long long boughtToday) {
    if (limits.perDay <= 0 || boughtToday + voteYen <= limits.perDay) return {};
    return sj("  投票見送り：1日の上限額を超えます。(本日購入済:") + yenText(boughtToday) + sj(" + 今回:") + yenText(voteYen) +
           sj(" > 上限:") + yenText(limits.perDay) + ")";
}

}  // namespace vex

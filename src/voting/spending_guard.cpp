#include "voting/spending_guard.h"

#include <algorithm>

#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex {

namespace {

// Asks the account for the day's purchases, inside the vote's session. False (logged) when the
// account does not answer: the limit cannot be checked, so nothing is sent.
bool dayLimitAllows(VoteContext& ctx, const SpendingLimits& limits, long long voteYen) {
    int limit = 0, bought = 0, paid = 0, remaining = 0;
    const int code = ctx.control.RakutenZandaka(limit, bought, paid, remaining, "");
    std::string refusal;
    if (code != 0)
        refusal = sj("  投票見送り：本日の購入金額を確認できません。(エラー:") + std::to_string(code) + ")";
    else
        refusal = dayLimitRefusal(limits, voteYen, bought);
    if (refusal.empty()) return true;
    ctx.reporter.beep();
    ctx.log.add(sj("[エラー]") + logTime() + refusal);
    return false;
}

}  // namespace

SpendingLimits readSpendingLimits(const Settings& ini) {
    // A negative limit reads as none, like any other value that is no limit.
    return {std::max(0, read(ini, settings::kAutoVoteDayLimit)), std::max(0, read(ini, settings::kAutoVoteRaceLimit))};
}

void writeSpendingLimits(const Settings& ini, const SpendingLimits& limits) {
    write(ini, settings::kAutoVoteDayLimit, static_cast<int>(limits.perDay));
    write(ini, settings::kAutoVoteRaceLimit, static_cast<int>(limits.perRace));
}

long long voteTotalYen(const std::vector<std::string>& lines) {
    long long total = 0;
    for (const std::string& line : lines)
        if (line.size() >= 88) total += fieldNumber(std::string_view(line).substr(83, 5)) * 100LL;
    return total;
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

VoteResult submitGuardedVote(const VotePlan& plan, VoteContext& ctx, const SpendingLimits& limits) {
    if (!plan.ready) return plan.refused;
    const long long total = voteTotalYen(plan.lines);
    if (const std::string refusal = raceLimitRefusal(limits, total); !refusal.empty()) {
        ctx.reporter.beep();
        ctx.log.add(sj("[エラー]") + logTime() + refusal);
        VoteResult withheld;
        withheld.outcome = VoteOutcome::Withheld;
        withheld.lines = static_cast<int>(plan.lines.size());
        return withheld;
    }
    if (limits.perDay > 0)
        ctx.beforeBets = [limits, total](VoteContext& session) { return dayLimitAllows(session, limits, total); };
    return submitVote(plan, ctx);
}

}  // namespace vex

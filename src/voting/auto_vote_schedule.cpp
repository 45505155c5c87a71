#include "voting/auto_vote_schedule.h"

#include "datalink/timed_refresh.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/cp932.h"

namespace vex {

void AutoVoteSchedule::arm(std::string dayStamp, std::vector<AutoVoteTarget> targets) {
    dayStamp_ = std::move(dayStamp);
    targets_ = std::move(targets);
    states_.assign(targets_.size(), State::Waiting);
    seenBeforePost_.assign(targets_.size(), false);
}

void AutoVoteSchedule::clear() { arm({}, {}); }

bool oddsReadyToVote(const RaceTable& table, const OddsFetchedFlags& fetched, const std::string& raceKey,
                     const DateTime& now) {
    const int slot = slotOfRaceKey(table, raceKey);
    return slot >= 0 && fetched.fetchedOn(slot, dayStampOf(now)) && table.paths.stamp == dayStampOf(now) &&
           table.raw[static_cast<std::size_t>(slot)].o1.field(Common::RaceKey) == raceKey;
}

bool autoVoteTickActs(const std::string& shownDayStamp, const std::string& latestPostTime, const DateTime& now) {
    return oddsTimerActs(shownDayStamp, latestPostTime, now);
}

TickDecision AutoVoteSchedule::tick(const DateTime& now, const TickView& view) {
    TickDecision decision;
    // Another day shown (or none): its slots are not the targets' races.
    if (view.shownDayStamp != dayStamp_ || !autoVoteTickActs(view.shownDayStamp, view.latestPostTime, now))
        return decision;
    const std::string nowText = hourMinuteSecond(now);
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        if (states_[i] != State::Waiting) continue;
        const AutoVoteTarget& target = targets_[i];
        const bool ready = view.oddsReady && view.oddsReady(target.raceKey);
        if (target.postTime.size() != 4 || nowText >= target.postTime + "00") {
            states_[i] = State::GivenUp;
            decision.givenUp.emplace_back(i, !seenBeforePost_[i] ? GiveUpReason::PostedBeforeStart
                                             : ready             ? GiveUpReason::PostPassed
                                                                 : GiveUpReason::OddsNeverFetched);
            continue;
        }
        seenBeforePost_[i] = true;
        if (decision.vote || view.workerBusy || !ready) continue;
        if (!target.voteTime.empty() && nowText >= target.voteTime) {
            states_[i] = State::Voting;
            decision.vote = i;
        }
    }
    return decision;
}

std::optional<GiveUpReason> AutoVoteSchedule::voteEnded(std::size_t index, VoteOutcome outcome) {
    if (index >= states_.size() || states_[index] != State::Voting) return std::nullopt;
    std::optional<GiveUpReason> reason;
    switch (outcome) {
        case VoteOutcome::Voted:
        case VoteOutcome::PartlyVoted: break;
        case VoteOutcome::AllBatchesFailed: reason = GiveUpReason::NothingAccepted; break;
        case VoteOutcome::LoginFailed: reason = GiveUpReason::LoginFailed; break;
        case VoteOutcome::Withheld: reason = GiveUpReason::Withheld; break;
        default: reason = GiveUpReason::Refused; break;
    }
    states_[index] = reason ? State::GivenUp : State::Voted;
    return reason;
}

void AutoVoteSchedule::voteNotStarted(std::size_t index) {
    if (index < states_.size() && states_[index] == State::Voting) states_[index] = State::Waiting;
}

std::string givenUpLogLine(const AutoVoteTarget& target, GiveUpReason reason, const std::string& time) {
    const char* why = "";
    switch (reason) {
        case GiveUpReason::PostedBeforeStart: why = "自動投票が動く前に発走時刻を過ぎていました。"; break;
        case GiveUpReason::OddsNeverFetched: why = "オッズが取得されないまま発走時刻になりました。"; break;
        case GiveUpReason::PostPassed: why = "投票時刻から発走時刻までに投票できませんでした。"; break;
        case GiveUpReason::NothingAccepted: why = "受け付けられた買い目がありません。"; break;
        case GiveUpReason::LoginFailed: why = "ログインできませんでした。"; break;
        case GiveUpReason::Refused: why = "投票できませんでした。"; break;
        case GiveUpReason::Withheld: why = "投票上限額を超えるため投票しませんでした。"; break;
    }
    return sj("[エラー]") + time + sj("  自動投票見送り：") + target.name + " " + sj(why);
}

}  // namespace vex

#pragma once
// The one-second tick of automatic voting as a plain decision on the clock it is given: which
// target race to vote now, and which target races are given up (with the reason, for the log).
//
// A race is voted at the first tick at or after its vote time while it is a target, not voted yet,
// its odds are fetched and its post is still ahead, so a second without a tick (a long vote of
// another race, a busy worker) does not lose it. A race is given up once, with a log line: when its
// post passes before it could be voted (its odds never came, or no tick found the worker free), or
// when its one vote did not go through (no batch accepted, login failed, a check or a spending
// limit stopped it). A vote is never repeated: a second try could buy twice.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/clock.h"
#include "datalink/realtime_refresh.h"
#include "voting/auto_vote_targets.h"
#include "voting/vote.h"

namespace vex {

enum class GiveUpReason {
    PostedBeforeStart, // its post had passed before any acting tick saw it (started late, day not shown)
    OddsNeverFetched,  // the post came and the race's odds had not been fetched
    PostPassed,        // the odds were there, but no tick could vote before the post
    NothingAccepted,   // the site refused every batch
    LoginFailed,
    Refused,           // a check of the vote refused it (its own log line says which)
    Withheld,          // a spending limit stopped it
};

// What a tick needs to know of the main window.
struct TickView {
    std::string shownDayStamp;   // the day shown, "yyyy年mm月dd日" (CP932); empty: none
    std::string latestPostTime;  // "hhmm" of the loaded day
    bool workerBusy = false;     // a job runs: nothing is started this tick
    // The race's odds are fetched (its odds-fetched flag and its win odds in the table).
    std::function<bool(const std::string& raceKey)> oddsReady;
};

struct TickDecision {
    std::optional<std::size_t> vote;  // the target to vote now (index into targets())
    std::vector<std::pair<std::size_t, GiveUpReason>> givenUp;
};

class AutoVoteSchedule {
public:
    enum class State { Waiting, Voting, Voted, GivenUp };

    // Set: the targets of `dayStamp`, all waiting.
    void arm(std::string dayStamp, std::vector<AutoVoteTarget> targets);
    // End: no targets.
    void clear();

    // One tick. The race chosen is Voting until voteEnded.
    TickDecision tick(const DateTime& now, const TickView& view);
    // The vote of target `index` ended; nullopt when it went through, else the reason it is given up.
    std::optional<GiveUpReason> voteEnded(std::size_t index, VoteOutcome outcome);
    // The vote chosen could not be started (nothing was sent): the race waits again.
    void voteNotStarted(std::size_t index);

    const std::vector<AutoVoteTarget>& targets() const { return targets_; }
    State state(std::size_t index) const { return states_.at(index); }
    const std::string& dayStamp() const { return dayStamp_; }

private:
    std::string dayStamp_;
    std::vector<AutoVoteTarget> targets_;
    std::vector<State> states_;
    std::vector<bool> seenBeforePost_;  // an acting tick saw the race before its post
};

// The race of `raceKey` may be voted on at `now`: its odds were fetched in real time today for the
// day the table holds, and the table holds its win odds record.
bool oddsReadyToVote(const RaceTable& table, const OddsFetchedFlags& fetched, const std::string& raceKey,
                     const DateTime& now);

// The tick acts: the shown day is today and the time is 09:00 to the latest post (hhnn, inclusive).
bool autoVoteTickActs(const std::string& shownDayStamp, const std::string& latestPostTime, const DateTime& now);

// The log line of a race given up: "[エラー]hh:nn:ss  自動投票見送り：浦和 1R " + the reason (CP932).
std::string givenUpLogLine(const AutoVoteTarget& target, GiveUpReason reason, const std::string& time);

}  // namespace vex

#pragma once
// Vote submission: the checks of the vote command, then the bet lines, the day's bet file, login,
// batches of 120 lines, logout, and a report of every step on screen (manual mode) and in the
// voting log. Automatic mode asks nothing and shows nothing: outcomes go to the log only.
//
// In two parts, so that the window asks its question before a worker sends anything: the plan
// (checks, lines, the question) on the window's thread, the submission on the worker, which
// reads only the plan and never asks.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/reporter.h"
#include "app/settings.h"
#include "betting/bet_list.h"
#include "betting/bet_race.h"
#include "datalink/data_control.h"
#include "voting/voting_log.h"

namespace vex {

inline constexpr int kBatchLines = 120;

struct VoteContext {
    DataControl& control;
    Reporter& reporter;
    VotingLog& log;
    std::filesystem::path betFolder;  // where the day's bet file goes (betFileFolder)
    bool automatic = false;
    bool loggedIn = false;            // mirrors the site session during a vote
    // Manual mode: a total above this many yen is confirmed a second time; negative: never.
    long long secondConfirmAbove = -1;
    // The settings the vote's stakes came from. While they cannot be read the vote is refused
    // (the page would have used defaults); the spending limits are read from them when the vote
    // holds the account. Null: no limits (tests of the submission alone).
    const Settings* settings = nullptr;
    // Asked before each batch: true ends the vote there (vexmora-cli on SIGINT or SIGTERM).
    std::function<bool()> stopRequested = nullptr;
};

enum class VoteOutcome {
    Refused,           // a check failed (or a stake does not fit the bet line)
    Declined,          // the user answered No
    NoLines,           // every row was erased or empty
    FileFailed,        // the bet file could not be written; nothing was sent
    LoginFailed,
    AllBatchesFailed,  // nothing was accepted
    Withheld,          // a spending limit stopped it; nothing was sent
    Busy,              // another vote held the account longer than a vote waits; nothing was sent
    Stopped,           // a stop request ended it between batches; `accepted` says what was bought
    PartlyVoted,       // some batches accepted, some failed
    Voted,
};

struct VoteResult {
    VoteOutcome outcome = VoteOutcome::Refused;
    int lines = 0, batches = 0, accepted = 0, failed = 0;
    long long bought = 0;  // the purchase amounts the site reported for the accepted batches
    std::filesystem::path betFile;
    // Set when the voting log could not be written after the login (CP932): the outcome above
    // still stands. Shown after the vote's result in manual mode; automatic callers report it.
    std::string logError;
};

// What the vote command checks before it sends anything.
struct VoteRequest {
    std::string dayStamp;             // the chosen day, "yyyy年mm月dd日" (CP932); empty when none
    const BetRace* race = nullptr;    // the selected race; null when none
    const BetList* list = nullptr;    // the bet list (its kind is the kind voted)
    long long amount = -1;            // the amount box in yen; -1 when not given
};

// A vote ready to be sent, or the refusal that stopped it.
struct VotePlan {
    bool ready = false;         // checks passed, lines built; false: refused (already reported)
    VoteResult refused;         // the outcome when not ready
    BetKind kind = BetKind::Win;
    BetRace race;               // a copy: the submission never reads the window's state
    std::vector<std::string> lines;
    // "[大井11R:３連単]に投票します。実行してよろしいですか？", then the day, race, kind, line count
    // and total on lines of their own (CP932).
    std::string question;
};

// The yen a plan buys: the sum of its lines' stakes.
long long planTotal(const VotePlan& plan);
// The second question of a vote whose total is above `threshold` yen; empty when none is due.
std::string secondVoteQuestion(const VotePlan& plan, long long threshold);
// "1,234,500円" (CP932).
std::string yenText(long long yen);
// The line the vote question ends with when the stakes add up to more than the typed amount (the
// split rounds every stake up to 100 yen, and 均一 puts the whole amount on every line); empty
// otherwise, and when no amount was typed.
std::string totalAboveAmountNote(long long total, long long amount);

// The vote button's checks, then planVoteRace. A refusal is reported here.
VotePlan planVote(const VoteRequest& request, VoteContext& context);
// The lines of the list, refused only when a stake does not fit its field.
VotePlan planVoteRace(const BetList& list, const BetRace& race, VoteContext& context);
// The bet file, login, batches, logout and log of a ready plan; asks nothing. The spending limits
// are checked and the batches bought under one hold of the account's vote lock, so two votes at
// once (two programs, four processes) cannot both pass a check. Every block the log opens with
// "■投票開始" ends with its outcome. The caller marks the race voted when result.accepted > 0.
VoteResult submitVote(const VotePlan& plan, VoteContext& context);

// Plan, the question in manual mode (No: Declined), then the submission.
VoteResult voteCommand(const VoteRequest& request, VoteContext& context);
VoteResult voteRace(const BetList& list, const BetRace& race, VoteContext& context);

// "yyyy年mm月dd日" of a date (CP932).
std::string dayStampOf(int year, int month, int day);
// "hh:nn:ss" of now.
std::string logTime();

// The post-time countdown label: "発走までの残り時間：hh:nn:ss", "発走済み" after the post, empty
// without a race.
std::string postTimeCountdown(const BetRace* race);

}  // namespace vex

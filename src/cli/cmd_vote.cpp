// vexmora-cli vote DAY N <bet options>: votes the list in automatic mode (no questions, outcomes to
// VovoVaro.log) and prints the log lines the vote added. SIGINT or SIGTERM stop it between batches
// (exit 128 + the signal).
#include "app/stop_signal.h"
#include "cli/bets_options.h"
#include "cli/command.h"
#include "control/control_factory.h"
#include "store/race_table.h"
#include "voting/bet_lines.h"
#include "voting/vote.h"
#include "voting/voting_log.h"

namespace vex::cli {

int runVote(const std::vector<std::string>& args) {
    // A signal ends the vote after the batch in flight, whose outcome is logged and printed.
    stopOnSignals();
    const BetsOptions options = parseBetsOptions(args, true);
    auto prepared = prepareBetPage(options, true);
    if (!prepared) return kFailed;
    std::unique_ptr<DataControl> control = createDataControl(nullptr);
    if (!control) {
        printError(dataControlProblem());
        return kFailed;
    }
    if (stopSignal() != 0) return 128 + stopSignal();  // stopped before anything was started
    const BetPage& page = *prepared->page;
    PrintingReporter reporter;
    VotingLog log;
    VoteContext context{*control, reporter, log, betFileFolder(&prepared->settings), true, false};
    context.settings = &prepared->settings;
    context.stopRequested = [] { return stopSignal() != 0; };
    VoteRequest request{options.day, page.race(), &page.bets(), page.amount()};
    const VoteResult result = voteCommand(request, context);
    if (result.accepted > 0) prepared->table->races[prepared->slot].autoVoteSent = 1;
    for (const std::string& line : log.added()) printLine(line);
    // The site's answer decides the exit code; a log that could not be written is an error of its own.
    if (!result.logError.empty()) printError(result.logError);
    switch (result.outcome) {
        case VoteOutcome::Voted:
        case VoteOutcome::PartlyVoted: return kOk;
        case VoteOutcome::Stopped: return 128 + stopSignal();  // as the shell reports a signal
        default: return kFailed;
    }
}

}  // namespace vex::cli

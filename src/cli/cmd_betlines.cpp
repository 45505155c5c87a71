// vexmora-cli betlines DAY N <bet options>: the 90-character lines a vote of that list would send.
#include "cli/bets_options.h"
#include "cli/command.h"
#include "voting/bet_lines.h"

namespace vex::cli {

int runBetLines(const std::vector<std::string>& args) {
    const BetsOptions options = parseBetsOptions(args, true);
    auto prepared = prepareBetPage(options, true);
    if (!prepared) return kFailed;
    const BetPage& page = *prepared->page;
    const VoteLines built = voteLinesOf(page.bets(), *page.race());
    if (built.tooLarge > 0) {
        printError("a line stake of 10,000,000 yen or more does not fit a bet line");
        return kFailed;
    }
    for (const std::string& line : built.lines) printLine(line);
    return kOk;
}

}  // namespace vex::cli

// vexmora-cli bets DAY N <bet options>: the bet list and its three labels.
#include "cli/bets_options.h"
#include "cli/command.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

int runBets(const std::vector<std::string>& args) {
    const BetsOptions options = parseBetsOptions(args, true);
    auto prepared = prepareBetPage(options, true);
    if (!prepared) return kFailed;
    const BetPage& page = *prepared->page;
    printGrid(page.betList(), 8);
    printLine(sj("買い点数\t") + page.labels().count);
    printLine(sj("投票金額\t") + page.labels().total);
    printLine(sj("予想回収率\t") + page.labels().rate);
    return kOk;
}

}  // namespace vex::cli

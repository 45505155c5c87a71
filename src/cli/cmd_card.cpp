// vexmora-cli card DAY N: the zone label and the index card of race-list entry N.
#include "cli/bets_options.h"
#include "cli/command.h"

namespace vex::cli {

int runCard(const std::vector<std::string>& args) {
    const BetsOptions options = parseBetsOptions(args, false);
    auto prepared = prepareBetPage(options, false);
    if (!prepared) return kFailed;
    const BetPage& page = *prepared->page;
    printLine("ZONE\t" + page.card().zoneLabel());
    printGrid(page.card().grid(), 7);
    return kOk;
}

}  // namespace vex::cli

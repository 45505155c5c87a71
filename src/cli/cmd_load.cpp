// vexmora-cli load DAY: the day load in batch mode, as the day selector runs it (appearance file
// included); prints the race list.
#include <memory>
#include <vector>

#include "cli/command.h"
#include "cli/day_argument.h"
#include "cli/day_loading.h"
#include "dayload/day_load.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

int runLoad(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("開催日を一つ指定してください。例: 2024年05月12日 (load needs one day)");
    // No folders made: the load only reads (the appearance write makes its own), so a read-only
    // application folder still loads its stored days.
    HeldMessages messages;
    auto table = std::make_unique<RaceTable>();  // about 30 MB: never on the stack
    DayLoadResult result = loadDayOrSayWhy(*table, dayStampOfArgument(args[0]), messages);
    if (!result.loaded) return kFailed;
    for (const std::string& line : table->raceList) printLine(line);
    messages.printAll();
    // The day is there, but a statistics file that could not be written is no success.
    return result.appearanceError.empty() ? kOk : kFailed;
}

}  // namespace vex::cli

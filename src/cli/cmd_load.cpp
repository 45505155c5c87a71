// vexmora-cli load DAY: the day load in batch mode, as the day selector runs it (appearance file
// included); prints the race list.
#include <memory>

#include "app/app_folder.h"
#include "cli/command.h"
#include "store/day_load.h"
#include "vocabulary/cp932.h"

namespace vex::cli {
namespace {

int runLoad(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("load needs one day, e.g. 2024年05月12日");
    createAppFolders();
    PrintingReporter reporter;
    DayLoadOptions options;
    options.batch = true;
    options.reporter = &reporter;
    auto table = std::make_unique<RaceTable>();  // about 30 MB: never on the stack
    DayLoadResult result = loadDay(*table, toCp932(args[0]), options);
    if (!result.loaded) {
        printError(noRaceFileMessage());
        return kFailed;
    }
    for (const std::string& line : table->raceList) printLine(line);
    return kOk;
}

const Registration reg{"load", "load DAY", runLoad};

}  // namespace
}  // namespace vex::cli

// vexmora-cli direct-read: the direct read of the desktop program's "一気読み": every stored day
// loaded in batch mode, oldest first, writing each day's appearance file. One line per day loaded.
#include "cli/command.h"
#include "dayload/direct_read.h"
#include "store/day_list.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

int runDirectRead(const std::vector<std::string>& args) {
    if (!args.empty()) throw UsageError("引数は要りません (direct-read takes no arguments)");
    DirectReadCallbacks callbacks;
    callbacks.progress = [](int, int, const std::string& stamp) { printLine(stamp); };
    DirectReadResult result = directRead(buildDayList(), callbacks);
    for (const std::string& failure : result.failed) printError(failure);
    printLine(std::to_string(result.daysLoaded) + sj("日分を読み込み、") + std::to_string(result.appearanceFiles) +
              sj("日分の出現ファイルを書き込みました。"));
    return result.failed.empty() ? kOk : kFailed;
}

}  // namespace vex::cli

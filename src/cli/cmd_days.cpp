// vexmora-cli days: the stored race days, newest first.
#include <stdexcept>

#include "cli/command.h"
#include "store/day_list.h"

namespace vex::cli {

int runDays(const std::vector<std::string>& args) {
    if (!args.empty()) throw UsageError("引数は要りません (days takes no arguments)");
    for (const auto& stamp : buildDayList()) printLine(stamp);
    return kOk;
}

}  // namespace vex::cli

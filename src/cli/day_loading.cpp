#include "cli/day_loading.h"

#include "cli/command.h"

namespace vex::cli {

void HeldMessages::printAll() const {
    for (const std::string& text : texts) printError(text);
}

DayLoadResult loadDayOrSayWhy(RaceTable& table, const std::string& dayStamp, HeldMessages& messages) {
    DayLoadOptions options;
    options.batch = true;
    options.reporter = &messages;
    DayLoadResult result = loadDay(table, dayStamp, options);
    if (!result.loaded) {
        if (messages.texts.empty()) messages.texts.push_back(noRaceFileMessage());
        messages.printAll();
    }
    return result;
}

}  // namespace vex::cli

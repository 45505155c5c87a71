#include "dayload/direct_read.h"

#include <exception>
#include <memory>

#include "dayload/day_load.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

// The day load's messages, kept: the batch shows none, the caller lists what failed.
class KeptMessages : public Reporter {
public:
    void information(const std::string& text) override { texts.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    void beep() override {}
    void status(const std::string&) override {}
    std::vector<std::string> texts;
};

void readOneDay(RaceTable& table, const std::string& stamp, DirectReadResult& result) {
    KeptMessages messages;
    DayLoadOptions options;
    options.batch = true;
    options.reporter = &messages;
    try {
        DayLoadResult load = loadDay(table, stamp, options);
        result.daysLoaded += load.loaded ? 1 : 0;
        result.appearanceFiles += load.appearanceWritten ? 1 : 0;
        if (!load.appearanceError.empty()) result.failed.push_back(stamp + " " + load.appearanceError);
        else if (!load.loaded) result.failed.push_back(stamp + " " + noRaceFileMessage());
    } catch (const std::exception& e) {
        result.failed.push_back(stamp + " " + toCp932(e.what()));
    }
}

}  // namespace

DirectReadResult directRead(const std::vector<std::string>& dayList, const DirectReadCallbacks& callbacks) {
    DirectReadResult result;
    auto table = std::make_unique<RaceTable>();  // about 30 MB: never on the stack
    int count = static_cast<int>(dayList.size());
    for (int i = 0; i < count; ++i) {
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            result.cancelled = true;
            break;
        }
        const std::string& stamp = dayList[static_cast<std::size_t>(count - 1 - i)];
        if (callbacks.progress) callbacks.progress(i, count, stamp);
        readOneDay(*table, stamp, result);
    }
    return result;
}

}  // namespace vex

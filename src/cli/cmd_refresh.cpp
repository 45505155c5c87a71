// vexmora-cli refresh-odds DAY N and refresh-results DAY: the real-time refresh commands of the
// race card's buttons, without the window. Each status text is printed as it is set.
#include <memory>

#include "app/app_folder.h"
#include "cli/bets_options.h"
#include "cli/command.h"
#include "cli/day_argument.h"
#include "cli/day_loading.h"
#include "control/control_factory.h"
#include "datalink/realtime_refresh.h"
#include "dayload/day_load.h"
#include "vocabulary/cp932.h"

namespace vex::cli {
namespace {

// The status label's texts; clearing the label prints nothing.
class StatusPrinter : public PrintingReporter {
public:
    void status(const std::string& text) override {
        if (!text.empty()) PrintingReporter::status(text);
    }
};

struct LoadedDay {
    std::unique_ptr<RaceTable> table = std::make_unique<RaceTable>();  // about 30 MB: never on the stack
    std::unique_ptr<DataControl> control;
};

// Loads the day in batch mode and makes the control; nullopt (said on stderr) when either fails.
std::optional<LoadedDay> prepare(const std::string& dayStampCp932) {
    createAppFolders();
    LoadedDay day;
    HeldMessages messages;
    if (!loadDayOrSayWhy(*day.table, dayStampCp932, messages).loaded) return std::nullopt;
    day.control = createDataControl(nullptr);
    if (!day.control) {
        printError(dataControlProblem());
        return std::nullopt;
    }
    if (int rc = day.control->NVInit(kSoftwareId); rc != 0) printLine(sj("NVInitエラー：") + std::to_string(rc));
    return day;
}

int finish(LoadedDay& day, const RefreshResult& result) {
    applyRefresh(*day.table, result);
    return result.serviceError || result.storeError ? kFailed : kOk;
}

}  // namespace

int runRefreshOdds(const std::vector<std::string>& args) {
    const BetsOptions options = parseBetsOptions(args, false);
    auto day = prepare(options.day);
    if (!day) return kFailed;
    const int slot = day->table->slotOfListItem(options.entry - 1);
    auto race = refreshRaceOf(*day->table, slot);
    if (!race) {
        printError("no race-list entry " + std::to_string(options.entry) + " on that day");
        return kFailed;
    }
    StatusPrinter reporter;
    RealtimeRefresh refresh(*day->control, reporter, day->table->paths.stamp);
    return finish(*day, refresh.oddsOfRace(*race));
}

int runRefreshResults(const std::vector<std::string>& args) {
    if (args.size() != 1) throw UsageError("開催日を一つ指定してください。例: 2024年05月12日 (refresh-results needs one day)");
    auto day = prepare(dayStampOfArgument(args[0]));
    if (!day) return kFailed;
    // The day load selects the first race; its name goes into the error text.
    auto selected = refreshRaceOf(*day->table, day->table->currentSlot);
    if (!selected) {
        printError(noRaceFileMessage());
        return kFailed;
    }
    StatusPrinter reporter;
    RealtimeRefresh refresh(*day->control, reporter, day->table->paths.stamp);
    return finish(*day, refresh.resultsOfDay(*selected, dayKeyOf(*day->table)));
}

}  // namespace vex::cli

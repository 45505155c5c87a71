#include "control/control_factory.h"

#include <cstdlib>
#include <filesystem>

#include "app/clock.h"
#include "control/bridge_control.h"
#include "control/bridge_process.h"
#include "control/control_settings.h"
#include "control/fault_injection.h"
#include "control/feed_service.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "vocabulary/cp932.h"

namespace vex::control {
namespace {

// The source chosen now, or null when it cannot start (see dataControlProblem).
std::unique_ptr<DataSource> makeSource(const ActiveSource& chosen) {
    std::error_code ec;
    switch (chosen.kind) {
        case ActiveSource::Simulated:
            return std::make_unique<SimService>(simSeed(), static_cast<int>(sim::minuteOf(now()) / 1440));
        case ActiveSource::Feed:
            if (chosen.feedFolder.empty() || !std::filesystem::is_directory(chosen.feedFolder, ec)) return nullptr;
            return std::make_unique<FeedService>(chosen.feedFolder);
        default: return nullptr;
    }
}

}  // namespace

std::uint64_t simSeed() {
    const char* env = std::getenv("VEXMORA_SIM_SEED");
    if (!env || !*env) return 1;
    try {
        return std::stoull(env);
    } catch (...) {
        return 1;
    }
}

std::string dataControlProblem() {
    if (const char* faults = std::getenv("VEXMORA_FAULTS"); faults && *faults && !parseFaultPlan(faults))
        return sj("VEXMORA_FAULTS の書式が不正です: ") + faults;
    ActiveSource chosen;
    try {
        chosen = activeSource();
    } catch (const std::runtime_error& e) {  // the saved settings cannot be read
        return toCp932(e.what());
    }
    if (chosen.kind == ActiveSource::Unknown) return sj("VEXMORA_SERVICE の値が不明です: ") + chosen.text;
    if (chosen.kind == ActiveSource::Bridge && splitCommand(chosen.bridgeCommand).empty())
        return sj("ブリッジを起動するコマンドが正しくありません: ") + toCp932(chosen.bridgeCommand);
    if (chosen.kind == ActiveSource::Feed) {
        std::error_code ec;
        if (chosen.feedFolder.empty() || !std::filesystem::is_directory(chosen.feedFolder, ec)) {
            std::string problem = sj("フィードのフォルダが見つかりません: ") + toCp932(chosen.feedFolder);
            // A saved choice can only be changed in the control's settings dialog, which needs a
            // working control: say how to start with the simulated service to get there.
            if (!chosen.fromEnvironment)
                problem += sj("（保存された設定です。VEXMORA_SERVICE=sim で起動すると設定を変更できます）");
            return problem;
        }
    }
    return {};
}

std::unique_ptr<DataControl> createDataControl(ControlUi* ui) {
    if (!dataControlProblem().empty()) return nullptr;
    const ActiveSource chosen = activeSource();
    std::unique_ptr<DataControl> control;
    if (chosen.kind == ActiveSource::Bridge) {
        control = std::make_unique<BridgeControl>(chosen.bridgeCommand, bridgeDeadlinesFromSettings(), ui);
    } else {
        std::unique_ptr<DataSource> source = makeSource(chosen);
        if (!source) return nullptr;
        auto service = std::make_unique<ServiceControl>(std::move(source), ui);
        // After the settings dialog saves another source, the control changes over to it (to or
        // from the bridge only at the next start: that is another control).
        service->setSourceMaker([] { return makeSource(activeSource()); });
        control = std::move(service);
    }
    if (auto plan = activeFaultPlan()) control = withFaults(std::move(control), *plan);
    return control;
}

}  // namespace vex::control

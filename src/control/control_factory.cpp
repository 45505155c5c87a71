#include "control/control_factory.h"

#include <cstdlib>
#include <filesystem>

#include "app/clock.h"
#include "control/fault_injection.h"
#include "control/feed_service.h"
#include "control/sim_service.h"
#include "control/sim_util.h"
#include "vocabulary/cp932.h"

namespace vex::control {
namespace {

std::string serviceSetting() {
    const char* env = std::getenv("VEXMORA_SERVICE");
    return env ? env : "";
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
    std::string service = serviceSetting();
    if (const char* faults = std::getenv("VEXMORA_FAULTS"); faults && *faults && !parseFaultPlan(faults))
        return sj("VEXMORA_FAULTS の書式が不正です: ") + faults;
    if (service.empty() || service == "sim") return {};
    if (service.rfind("feed:", 0) == 0) {
        std::filesystem::path dir = service.substr(5);
        std::error_code ec;
        if (dir.empty() || !std::filesystem::is_directory(dir, ec))
            return sj("フィードのフォルダが見つかりません: ") + dir.string();
        return {};
    }
    return sj("VEXMORA_SERVICE の値が不明です: ") + service;
}

std::unique_ptr<DataControl> createDataControl(ControlUi* ui) {
    if (!dataControlProblem().empty()) return nullptr;
    std::string service = serviceSetting();
    std::unique_ptr<DataSource> source;
    if (service.rfind("feed:", 0) == 0) {
        source = std::make_unique<FeedService>(service.substr(5));
    } else {
        source = std::make_unique<SimService>(simSeed(), static_cast<int>(sim::minuteOf(now()) / 1440));
    }
    std::unique_ptr<DataControl> control = std::make_unique<ServiceControl>(std::move(source), ui);
    if (auto plan = activeFaultPlan()) control = withFaults(std::move(control), *plan);
    return control;
}

}  // namespace vex::control

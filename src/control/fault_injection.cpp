#include "control/fault_injection.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "app/stop_signal.h"

namespace vex::control {
namespace {

const std::set<std::string>& operations() {
    static const std::set<std::string> ops = {"NVInit",       "NVSetUIProperties", "NVOpen",         "NVStatus",
                                              "NVRead",       "NVRTOpen",          "NVCancel",       "NVClose",
                                              "RakutenLogin", "RakutenLogout",     "RakutenBet",     "RakutenZandaka",
                                              "RakutenDeposit"};
    return ops;
}

std::optional<FaultPlan>& explicitPlan() {
    static std::optional<FaultPlan> plan;
    return plan;
}
bool& explicitSet() {
    static bool set = false;
    return set;
}

class FaultyControl : public DataControl {
public:
    FaultyControl(std::unique_ptr<DataControl> inner, FaultPlan plan) : inner_(std::move(inner)), plan_(std::move(plan)) {}

    int NVInit(const std::string& id) override {
        if (auto c = fault("NVInit")) return *c;
        return inner_->NVInit(id);
    }
    int NVSetUIProperties() override {
        if (auto c = fault("NVSetUIProperties")) return *c;
        return inner_->NVSetUIProperties();
    }
    int NVOpen(const std::string& dataSpec, const std::string& from, int option, int& readCount, int& downloadCount,
               std::string& last) override {
        if (auto c = fault("NVOpen")) {
            readCount = downloadCount = 0;
            return *c;
        }
        return inner_->NVOpen(dataSpec, from, option, readCount, downloadCount, last);
    }
    int NVStatus() override {
        if (auto c = fault("NVStatus")) return *c;
        return inner_->NVStatus();
    }
    int NVRead(std::string& record, int& size, std::string& name) override {
        // NVRead counts records, not calls: boundaries and the end pass through untouched.
        auto it = plan_.find("NVRead");
        if (it != plan_.end() && records_ >= it->second.after) {
            record.clear();
            return it->second.code;
        }
        int r = inner_->NVRead(record, size, name);
        if (r > 0) ++records_;
        return r;
    }
    int NVRTOpen(const std::string& dataSpec, const std::string& key) override {
        if (auto c = fault("NVRTOpen")) return *c;
        return inner_->NVRTOpen(dataSpec, key);
    }
    int NVCancel() override {
        if (auto c = fault("NVCancel")) return *c;
        return inner_->NVCancel();
    }
    int NVClose() override {
        if (auto c = fault("NVClose")) {
            inner_->NVClose();  // the stream is still closed, so the next open works
            return *c;
        }
        return inner_->NVClose();
    }
    int RakutenLogin(const std::string& id, const std::string& pw) override {
        if (auto c = fault("RakutenLogin")) return *c;
        return inner_->RakutenLogin(id, pw);
    }
    int RakutenLogout() override {
        if (auto c = fault("RakutenLogout")) {
            inner_->RakutenLogout();
            return *c;
        }
        return inner_->RakutenLogout();
    }
    int RakutenBet(const std::string& pin, const std::string& lines, int mode, int& amount, int& remaining, int& limit,
                   std::string& text) override {
        if (auto c = fault("RakutenBet")) {
            amount = 0;
            text.clear();
            return *c;
        }
        const int code = inner_->RakutenBet(pin, lines, mode, amount, remaining, limit, text);
        pauseIfPlanned("RakutenBet");
        return code;
    }
    int RakutenZandaka(int& limit, int& bought, int& paid, int& remaining, const std::string& text) override {
        if (auto c = fault("RakutenZandaka")) return *c;
        return inner_->RakutenZandaka(limit, bought, paid, remaining, text);
    }
    int RakutenDeposit() override {
        if (auto c = fault("RakutenDeposit")) return *c;
        return inner_->RakutenDeposit();
    }

private:
    std::optional<int> fault(const std::string& op) {
        auto it = plan_.find(op);
        if (it == plan_.end() || it->second.pause) return std::nullopt;
        int& n = calls_[op];
        if (n < it->second.after) {
            ++n;
            return std::nullopt;
        }
        return it->second.code;
    }

    void pauseIfPlanned(const std::string& op) {
        auto it = plan_.find(op);
        if (it == plan_.end() || !it->second.pause || ++calls_[op] != it->second.after) return;
        std::fprintf(stderr, "VEXMORA_FAULTS: paused after %s %d\n", op.c_str(), it->second.after);
        std::fflush(stderr);
        // Bounded, so that a test that never signals does not hang its run.
        for (int waited = 0; stopSignal() == 0 && waited < 60000; waited += 5)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    std::unique_ptr<DataControl> inner_;
    FaultPlan plan_;
    std::map<std::string, int> calls_;
    int records_ = 0;
};

}  // namespace

std::optional<FaultPlan> parseFaultPlan(const std::string& text) {
    FaultPlan plan;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(";,", start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty()) {
            if (end >= text.size()) break;
            continue;
        }
        auto eq = item.find('=');
        if (eq == std::string::npos) return std::nullopt;
        std::string op = item.substr(0, eq), rest = item.substr(eq + 1);
        if (!operations().count(op)) return std::nullopt;
        Fault f;
        auto at = rest.find('@');
        try {
            std::size_t used = 0;
            std::string codeText = rest.substr(0, at);
            f.pause = codeText == "pause";
            if (f.pause && (op != "RakutenBet" || at == std::string::npos)) return std::nullopt;
            if (!f.pause) f.code = std::stoi(codeText, &used);
            if (!f.pause && used != codeText.size()) return std::nullopt;
            if (at != std::string::npos) {
                std::string afterText = rest.substr(at + 1);
                f.after = std::stoi(afterText, &used);
                if (used != afterText.size() || f.after < 0 || (f.pause && f.after < 1)) return std::nullopt;
            }
        } catch (...) {
            return std::nullopt;
        }
        plan[op] = f;
        if (end >= text.size()) break;
    }
    return plan;
}

void setFaultPlan(std::optional<FaultPlan> plan) {
    explicitPlan() = std::move(plan);
    explicitSet() = explicitPlan().has_value();
}

std::optional<FaultPlan> activeFaultPlan() {
    if (explicitSet()) return explicitPlan();
    const char* env = std::getenv("VEXMORA_FAULTS");
    if (!env || !*env) return std::nullopt;
    return parseFaultPlan(env);
}

std::unique_ptr<DataControl> withFaults(std::unique_ptr<DataControl> inner, FaultPlan plan) {
    return std::make_unique<FaultyControl>(std::move(inner), std::move(plan));
}

}  // namespace vex::control

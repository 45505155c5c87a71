#pragma once
// What the download benchmarks share: scratch folders, a reporter that stays silent, and the
// simulated service's last days exported as a feed folder.
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/app_folder.h"
#include "app/clock.h"
#include "app/reporter.h"

namespace vex::bench {
namespace fs = std::filesystem;

inline int envInt(const char* name, int def) {
    const char* v = std::getenv(name);
    return v && std::atoi(v) > 0 ? std::atoi(v) : def;
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "vexmora-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
        path = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
};

class SilentReporter : public Reporter {
public:
    void information(const std::string&) override {}
    bool askYesNo(const std::string&) override { return true; }
    void beep() override {}
    void status(const std::string&) override {}
};

inline std::string ymd(const DateTime& t) {
    char b[16];
    std::snprintf(b, sizeof b, "%04d%02d%02d", t.year, t.month, t.day);
    return b;
}

// The simulated service's last `days` days as a feed folder, through vexmora-cli feed-export.
inline void exportFeed(const fs::path& dir, int days) {
    DateTime today = now();
    DateTime first = fromEpoch(nowEpoch() - static_cast<std::time_t>(days) * 24 * 3600);
    std::string cmd = (executableFolder() / "vexmora-cli").string() + " feed-export '" + dir.string() +
                      "' --from " + ymd(first) + " --to " + ymd(today) + " > /dev/null";
    if (std::system(cmd.c_str()) != 0) throw std::runtime_error("feed-export failed: " + cmd);
}

inline void setHome(const fs::path& p) { setenv("VEXMORA_HOME", p.c_str(), 1); }

}  // namespace vex::bench

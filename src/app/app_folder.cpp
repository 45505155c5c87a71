#include "app/app_folder.h"

#include <unistd.h>

#include <cstdlib>

namespace vex {
namespace fs = std::filesystem;

fs::path executableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : exe.parent_path();
}

fs::path installedDataFolder() { return executableFolder().parent_path() / "share" / "vexmora"; }

fs::path appFolder() {
    if (const char* home = std::getenv("VEXMORA_HOME"); home && *home) return fs::path(home);
    // Worked out once: the store's paths are built thousands of times per day load, and this
    // costs two system calls.
    static const fs::path folder = [] {
        fs::path exeDir = executableFolder();
        std::error_code ec;
        if (access(exeDir.c_str(), W_OK) == 0 && !fs::is_directory(installedDataFolder(), ec)) return exeDir;
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "vexmora";
        const char* user = std::getenv("HOME");
        return fs::path(user ? user : ".") / ".local" / "share" / "vexmora";
    }();
    return folder;
}

void createAppFolders() {
    fs::path root = appFolder();
    fs::create_directories(root);
    for (const char* sub : kStoreFolders) fs::create_directories(root / sub);
}

}  // namespace vex

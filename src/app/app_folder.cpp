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

namespace {

// $XDG_DATA_HOME/vexmora by the XDG rules: a relative XDG_DATA_HOME is ignored, and the default
// is $HOME/.local/share; empty when neither gives an absolute folder.
fs::path xdgDataFolder() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && fs::path(xdg).is_absolute()) return fs::path(xdg) / "vexmora";
    if (const char* user = std::getenv("HOME"); user && fs::path(user).is_absolute())
        return fs::path(user) / ".local" / "share" / "vexmora";
    return {};
}

bool usesExecutableFolder() {
    fs::path exeDir = executableFolder();
    std::error_code ec;
    return access(exeDir.c_str(), W_OK) == 0 && !fs::is_directory(installedDataFolder(), ec);
}

}  // namespace

fs::path appFolder() {
    if (const char* home = std::getenv("VEXMORA_HOME"); home && *home) return fs::path(home);
    // Worked out once: the store's paths are built thousands of times per day load, and this
    // costs two system calls.
    static const fs::path folder = usesExecutableFolder() ? executableFolder() : xdgDataFolder();
    return folder;
}

std::string appFolderProblem() {
    if (const char* home = std::getenv("VEXMORA_HOME"); home && *home) {
        std::error_code ec;
        if (fs::exists(home, ec) && !fs::is_directory(home, ec))
            return std::string("VEXMORA_HOME はフォルダではありません (not a folder): ") + home;
        return {};
    }
    if (appFolder().empty())
        return "アプリケーションフォルダが決まりません: XDG_DATA_HOME も HOME も絶対パスではありません "
               "(neither XDG_DATA_HOME nor HOME is an absolute path)";
    return {};
}

void createAppFolders() {
    fs::path root = appFolder();
    fs::create_directories(root);
    for (const char* sub : kStoreFolders) fs::create_directories(root / sub);
}

}  // namespace vex

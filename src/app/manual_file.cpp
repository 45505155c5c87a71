#include "app/manual_file.h"

#include <algorithm>

#include "app/app_folder.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

namespace {
std::optional<std::vector<fs::path>>& overridden() {
    static std::optional<std::vector<fs::path>> folders;
    return folders;
}
}  // namespace

void setManualFolders(std::optional<std::vector<fs::path>> folders) { overridden() = std::move(folders); }

std::vector<fs::path> manualFolders() {
    if (overridden()) return *overridden();
    std::vector<fs::path> folders;
    for (const fs::path& folder : {appFolder(), executableFolder(), installedDataFolder()}) {
        fs::path normal = folder.lexically_normal();
        if (!normal.has_filename()) normal = normal.parent_path();  // "home/" and "home" are one folder
        if (std::find(folders.begin(), folders.end(), normal) == folders.end()) folders.push_back(normal);
    }
    return folders;
}

std::optional<fs::path> findManual(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders) {
        std::error_code ec;
        const fs::path file = folder / kManualFileName;
        if (fs::is_regular_file(file, ec)) return file;
    }
    return std::nullopt;
}

std::string manualMissingMessage(const std::vector<fs::path>& folders) {
    std::string text = sj("使用解説書[Vexmora.pdf]が見つかりません。");
    for (const fs::path& folder : folders) text += "\n" + toCp932((folder / kManualFileName).string());
    return text;
}

}  // namespace vex

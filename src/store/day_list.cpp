#include "store/day_list.h"

#include <algorithm>

#include "store/store_paths.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace fs = std::filesystem;

std::vector<std::string> buildDayList() { return buildDayList(dataFolder()); }

std::vector<std::string> buildDayList(const fs::path& folder) {
    static const std::string extension = dayFileExtension(DayFile::RA);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (name.size() <= extension.size() || !name.ends_with(extension)) continue;
        names.push_back(toCp932(name));
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> days;
    days.reserve(names.size());
    for (auto it = names.rbegin(); it != names.rend(); ++it) days.push_back(std::string(cutToWidth(*it, 14)));
    return days;
}

}  // namespace vex

#include "store/day_list.h"

#include <algorithm>

#include "store/day_files.h"
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
        // Only a day stamp names a day: another name would list a day the load cannot find.
        std::string stamp = toCp932(name.substr(0, name.size() - extension.size()));
        if (isDayStamp(stamp)) names.push_back(std::move(stamp));
    }
    std::sort(names.begin(), names.end());
    return {names.rbegin(), names.rend()};
}

}  // namespace vex

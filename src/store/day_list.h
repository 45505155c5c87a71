#pragma once
// The list of stored race days: one day stamp per .nvRA file in Data/, newest first.
#include <filesystem>
#include <string>
#include <vector>

namespace vex {

// Day stamps (CP932) of the .nvRA files named by a valid day stamp, from the last in ascending
// order to the first. Empty when Data/ is missing.
std::vector<std::string> buildDayList();
std::vector<std::string> buildDayList(const std::filesystem::path& dataFolder);

}  // namespace vex

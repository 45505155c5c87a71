#pragma once
// The list of stored race days: one day stamp per .nvRA file in Data/, newest first.
#include <filesystem>
#include <string>
#include <vector>

namespace vex {

// Day stamps (CP932, the first 14 bytes of each .nvRA file name), from the last name in ascending
// order to the first. Empty when Data/ is missing.
std::vector<std::string> buildDayList();
std::vector<std::string> buildDayList(const std::filesystem::path& dataFolder);

}  // namespace vex

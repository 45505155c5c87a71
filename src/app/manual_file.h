#pragma once
// The user manual, Vexmora.pdf: a copy in the application folder comes first, then the one built
// beside the program, then the installed one.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vex {

inline constexpr const char* kManualFileName = "Vexmora.pdf";

// The folders looked in, in order, each once.
std::vector<std::filesystem::path> manualFolders();
// The first Vexmora.pdf in `folders`; nullopt when none holds one.
std::optional<std::filesystem::path> findManual(const std::vector<std::filesystem::path>& folders);

// The help command's notice when no folder holds the manual (CP932): the given text, then the
// files looked for, one a line.
std::string manualMissingMessage(const std::vector<std::filesystem::path>& folders);

// For tests: look in these folders instead (nullopt: the folders above again).
void setManualFolders(std::optional<std::vector<std::filesystem::path>> folders);

}  // namespace vex

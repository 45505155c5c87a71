#pragma once
#include <filesystem>
#include <string>

namespace vex {

// The application folder: VEXMORA_HOME when set; else the executable's folder when it is writable
// and the program is not installed; else $XDG_DATA_HOME/vexmora (~/.local/share/vexmora), by the
// XDG rules (a relative value is ignored); empty when none of these gives one (appFolderProblem).
// VEXMORA_HOME is read anew on each call so tests can move it.
std::filesystem::path appFolder();

// The folder of the running executable.
std::filesystem::path executableFolder();

// The installed program's own data (the manual): <prefix>/share/vexmora beside <prefix>/bin. Its
// presence marks an installed program, which never keeps its users' files beside itself, even
// where it could write there (root, a prefix in the home folder).
std::filesystem::path installedDataFolder();

// Why there is no usable application folder (UTF-8): VEXMORA_HOME names something that is no
// folder, or neither XDG_DATA_HOME nor HOME gives one; empty when there is one.
std::string appFolderProblem();

// Sub-folders of the application folder, one spelling each.
inline constexpr const char* kStoreFolders[] = {"Data", "kaime", "Log", "SEI", "SEIR", "UMA", "ZelH", "TOKEI"};

// Creates the application folder and every sub-folder above (existing ones are kept).
void createAppFolders();

}  // namespace vex

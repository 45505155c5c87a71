#pragma once
#include <filesystem>

namespace vex {

// The application folder: VEXMORA_HOME when set; else the executable's folder when it is writable
// and the program is not installed; else $XDG_DATA_HOME/vexmora (~/.local/share/vexmora). Read anew
// on each call so tests can move it.
std::filesystem::path appFolder();

// The folder of the running executable.
std::filesystem::path executableFolder();

// The installed program's own data (the manual): <prefix>/share/vexmora beside <prefix>/bin. Its
// presence marks an installed program, which never keeps its users' files beside itself, even
// where it could write there (root, a prefix in the home folder).
std::filesystem::path installedDataFolder();

// Sub-folders of the application folder, one spelling each.
inline constexpr const char* kStoreFolders[] = {"Data", "kaime", "Log", "SEI", "SEIR", "UMA", "ZelH", "TOKEI"};

// Creates the application folder and every sub-folder above (existing ones are kept).
void createAppFolders();

}  // namespace vex

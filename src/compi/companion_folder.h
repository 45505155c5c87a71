#pragma once
// The companion application's folder (setting `quillet` in section `Dir`): its Data folder holds
// the Compi files read first. At start-up a blank setting is filled from the uninstall entry its
// installer leaves in the registry. Linux has no registry: we read the one of a Wine prefix
// (WINEPREFIX, else ~/.wine), when there is one, from its system.reg file.
//
// The names of the two uninstall keys are settings of ours, section `Dir`:
//   quilletUninstallLocal  the local-racing edition (default "Quillet_Local_is1"), tried first;
//   quilletUninstallKanto  the southern-Kanto edition (default "Quillet_MinamiKanto_is1").
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings.h"

namespace vex {

inline constexpr StringSetting kCompanionKeyLocal{"Dir", "quilletUninstallLocal", "Quillet_Local_is1"};
inline constexpr StringSetting kCompanionKeyKanto{"Dir", "quilletUninstallKanto", "Quillet_MinamiKanto_is1"};

// The folder the readers use: the setting (CP932 in the file, a path on disk), or the application
// folder when it is blank.
std::filesystem::path companionFolder(const Settings& ini);

// The Wine prefix in use: WINEPREFIX, else ~/.wine; nullopt when it holds no system.reg.
std::optional<std::filesystem::path> winePrefix();

// A string value of the local machine's hive in a Wine system.reg (contents given), looked up
// under `keyPath` (relative to the hive, "\" separated, any case); also under the 32-bit view
// (Software\Wow6432Node\...). The value as UTF-8; nullopt when the key or value is absent.
std::optional<std::string> wineRegistryString(std::string_view systemReg, std::string_view keyPath,
                                              std::string_view valueName);

// A Windows path of the prefix ("C:\Program Files\X") as the Linux path it stands for.
std::filesystem::path wineToLinuxPath(const std::filesystem::path& prefix, std::string_view windowsPath);

// Start-up discovery: when `quillet` is blank, take the local-racing edition's install folder
// from the registry, then (if still blank) the southern-Kanto edition's. A stored value is never
// overwritten; a missing prefix, key or value leaves the setting as it is.
void discoverCompanionFolder(const Settings& ini);

}  // namespace vex

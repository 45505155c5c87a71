#pragma once
// The check of "投票メニュー": loads the voting library named by a setting and looks up its export
// `ipat_call`, only to learn that both are there. The export is never called; the library is
// released at once.
#include <filesystem>
#include <string>

#include "app/settings.h"

namespace vex {

namespace settings {
// A name or relative path is taken in the application folder; an absolute path as it is.
inline constexpr StringSetting kVoteLibrary{"AutoTohyo", "IpatLibrary", "libIPAT_LIB.so"};
}  // namespace settings

enum class LibraryCheck { Present, NotLoaded, NoExport };

// The library file a setting names, relative to `appDir` unless absolute.
std::filesystem::path voteLibraryFile(const std::string& setting, const std::filesystem::path& appDir);
LibraryCheck checkVoteLibrary(const std::filesystem::path& file);
// The message of a failed check (CP932); empty when the library and its export are there.
std::string libraryCheckMessage(LibraryCheck check);

}  // namespace vex

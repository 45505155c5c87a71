#include "voting/library_check.h"

#include <dlfcn.h>

#include "vocabulary/cp932.h"

namespace vex {

std::filesystem::path voteLibraryFile(const std::string& setting, const std::filesystem::path& appDir) {
    const std::filesystem::path named(setting);
    // Always a path: a bare name would send the loader searching the system's folders.
    return named.is_absolute() ? named : appDir / named;
}

LibraryCheck checkVoteLibrary(const std::filesystem::path& file) {
    void* library = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library) return LibraryCheck::NotLoaded;
    const bool exported = dlsym(library, "ipat_call") != nullptr;
    dlclose(library);
    return exported ? LibraryCheck::Present : LibraryCheck::NoExport;
}

std::string libraryCheckMessage(LibraryCheck check) {
    switch (check) {
        case LibraryCheck::NotLoaded: return sj("[IPAT_LIB.dll:ipat_call]の呼び出しに失敗しました。");
        case LibraryCheck::NoExport: return sj("DLL関数のアドレス取得に失敗しました。[IPAT_LIB.DLL:ipat_call]");
        case LibraryCheck::Present: break;
    }
    return {};
}

}  // namespace vex

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/manual_file.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

TEST(ManualFile, TheApplicationFolderFirstThenBesideTheProgramThenInstalled) {
    test::TempHome home;
    const auto folders = manualFolders();
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), home.path().lexically_normal());
    EXPECT_NE(std::find(folders.begin(), folders.end(), executableFolder()), folders.end());
    EXPECT_EQ(folders.back(), installedDataFolder().lexically_normal());
    EXPECT_EQ(installedDataFolder(), executableFolder().parent_path() / "share" / "vexmora");
}

TEST(ManualFile, OneFolderIsLookedInOnce) {
    // The application folder is the program's folder in a build: named with a slash at the end
    // it is still one folder.
    const std::string previous = std::getenv("VEXMORA_HOME") ? std::getenv("VEXMORA_HOME") : "";
    setenv("VEXMORA_HOME", (executableFolder().string() + "/").c_str(), 1);
    const auto folders = manualFolders();
    EXPECT_EQ(std::count(folders.begin(), folders.end(), executableFolder()), 1);
    EXPECT_EQ(folders.size(), 2u);
    previous.empty() ? unsetenv("VEXMORA_HOME") : setenv("VEXMORA_HOME", previous.c_str(), 1);
}

TEST(ManualFile, TheFirstFolderHoldingTheFileWins) {
    test::TempHome home;
    const fs::path a = home.path() / "a", b = home.path() / "b", c = home.path() / "c";
    for (const auto& f : {a, b, c}) fs::create_directories(f);
    EXPECT_EQ(findManual({a, b, c}), std::nullopt);
    writeFileAtomic(c / "Vexmora.pdf", "%PDF");
    EXPECT_EQ(findManual({a, b, c}), c / "Vexmora.pdf");
    fs::create_directories(b / "Vexmora.pdf");  // a folder of that name is no manual
    EXPECT_EQ(findManual({a, b, c}), c / "Vexmora.pdf");
    writeFileAtomic(a / "Vexmora.pdf", "%PDF");
    EXPECT_EQ(findManual({a, b, c}), a / "Vexmora.pdf");
    EXPECT_EQ(findManual({home.path() / "missing"}), std::nullopt);
}

TEST(ManualFile, TheNoticeNamesEveryFileLookedFor) {
    EXPECT_EQ(toUtf8(manualMissingMessage({"/home/u/.local/share/vexmora", "/usr/share/vexmora"})),
              "使用解説書[Vexmora.pdf]が見つかりません。\n"
              "/home/u/.local/share/vexmora/Vexmora.pdf\n"
              "/usr/share/vexmora/Vexmora.pdf");
}

}  // namespace
}  // namespace vex

// The library check of "投票メニュー" against two libraries built with the tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/test_support.h"
#include "vocabulary/cp932.h"
#include "voting/library_check.h"

namespace vex {
namespace {

TEST(LibraryCheck, TheExportIsFoundOrItsAbsenceSaid) {
    EXPECT_EQ(checkVoteLibrary(VEXMORA_TEST_LIBRARY_WITH_EXPORT), LibraryCheck::Present);
    EXPECT_EQ(libraryCheckMessage(LibraryCheck::Present), "");
    EXPECT_EQ(checkVoteLibrary(VEXMORA_TEST_LIBRARY_WITHOUT_EXPORT), LibraryCheck::NoExport);
    EXPECT_EQ(toUtf8(libraryCheckMessage(LibraryCheck::NoExport)), "DLL関数のアドレス取得に失敗しました。[IPAT_LIB.DLL:ipat_call]");
}

TEST(LibraryCheck, AMissingOrBrokenLibraryIsNotLoaded) {
    test::TempHome home;
    EXPECT_EQ(checkVoteLibrary(home.path() / "libIPAT_LIB.so"), LibraryCheck::NotLoaded);
    std::FILE* f = std::fopen((home.path() / "broken.so").c_str(), "w");
    std::fputs("not a library", f);
    std::fclose(f);
    EXPECT_EQ(checkVoteLibrary(home.path() / "broken.so"), LibraryCheck::NotLoaded);
    EXPECT_EQ(toUtf8(libraryCheckMessage(LibraryCheck::NotLoaded)), "[IPAT_LIB.dll:ipat_call]の呼び出しに失敗しました。");
}

TEST(LibraryCheck, ANameIsTakenInTheApplicationFolder) {
    EXPECT_EQ(voteLibraryFile("libIPAT_LIB.so", "/opt/vx"), std::filesystem::path("/opt/vx/libIPAT_LIB.so"));
    EXPECT_EQ(voteLibraryFile("lib/x.so", "/opt/vx"), std::filesystem::path("/opt/vx/lib/x.so"));
    EXPECT_EQ(voteLibraryFile("/usr/lib/x.so", "/opt/vx"), std::filesystem::path("/usr/lib/x.so"));
    // The library of the day is found in the application folder by its bare name.
    test::TempHome home;
    std::filesystem::copy_file(VEXMORA_TEST_LIBRARY_WITH_EXPORT, home.path() / "libIPAT_LIB.so");
    EXPECT_EQ(checkVoteLibrary(voteLibraryFile("libIPAT_LIB.so", home.path())), LibraryCheck::Present);
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "compi/companion_folder.h"
#include "compi/compi_file.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

// 14 bytes of date, track and race, then horse slots, recommended horse, frame slots and frame.
std::string line(const std::string& horses, const std::string& rec, const std::string& frames,
                 const std::string& recFrame) {
    std::string l = "20240512" + sj("大井") + " 3";
    l += horses + std::string(72 - horses.size(), ' ') + rec;
    l += frames + std::string(32 - frames.size(), ' ') + recFrame;
    return l;
}

TEST(CompiLine, RanksAreSlotPositionsAndOnlyRegisteredSlotsAreRead) {
    RaceRecord race;
    // Slot 2 names horse 7 without a value: skipped, slot 3 keeps rank 3.
    std::string horses = " 585" " 7  " " 270" " 166" " 960";
    int skipped = takeCompiLine(line(horses, " 2", " 388 155", " 1"), 4, race);
    EXPECT_EQ(skipped, 0);
    EXPECT_EQ(race.compiValue[5], 85);
    EXPECT_EQ(race.compiRank[5], 1);
    EXPECT_EQ(race.compiRank[7], 0);
    EXPECT_EQ(race.compiRank[2], 3);
    EXPECT_EQ(race.compiRank[1], 4);
    EXPECT_EQ(race.compiValue[9], 0);  // slot 5, beyond 4 runners
    EXPECT_EQ(race.topValue, 85);
    EXPECT_EQ(race.secondValue, 0);  // rank 2 had no value
    EXPECT_EQ(race.recommendedHorse, 2);
    EXPECT_EQ(race.recommendedHorseRank, 3);
    EXPECT_EQ(race.frameCompiValue[3], 88);
    EXPECT_EQ(race.frameCompiRank[1], 2);
    EXPECT_EQ(race.recommendedFrame, 1);
    EXPECT_EQ(race.recommendedFrameRank, 2);
}

TEST(CompiLine, OutOfRangeNumbersAndShortOrBrokenFieldsAreSkipped) {
    RaceRecord race;
    std::string horses = "1985" " 180" "5 70";  // horse 19; horse "5 " is no number
    int skipped = takeCompiLine(line(horses, "19", " 990 280", " 9"), 18, race);
    EXPECT_EQ(skipped, 2);  // horse 19 and frame 9
    EXPECT_EQ(race.compiValue[1], 80);
    EXPECT_EQ(race.compiRank[1], 2);
    EXPECT_EQ(race.compiValue[5], 0);
    EXPECT_EQ(race.frameCompiValue[2], 80);
    EXPECT_EQ(race.recommendedHorse, 19);  // stored, but no rank
    EXPECT_EQ(race.recommendedHorseRank, 0);
    EXPECT_EQ(race.recommendedFrameRank, 0);

    RaceRecord empty;
    EXPECT_EQ(takeCompiLine("2024", 18, empty), 0);
    EXPECT_EQ(empty.topValue, 0);
}

TEST(CompiFiles, NamesAndTheCompanionFolderFirst) {
    test::TempHome home;
    std::string day = sj("2024年05月12日");
    EXPECT_EQ(toUtf8(compiFileName(day, "48", ".Comp")), "2024年05月12日名古.Comp");
    EXPECT_EQ(toUtf8(compiFileName(day, "40", ".comp")), "2024年05月12日宇都.comp");
    EXPECT_EQ(compiWritePath(day, "44"), appFolder() / "Data" / "2024年05月12日大井.Comp");

    fs::create_directories(appFolder() / "Data");
    writeLinesAtomic(appFolder() / "Data" / "2024年05月12日大井.COMP", {"own"});
    // Empty companion setting: the companion path is our own Data folder.
    CompiFileChooser ownOnly{fs::path()};
    auto found = ownOnly.choose(day, "44");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->filename(), "2024年05月12日大井.COMP");
    EXPECT_FALSE(ownOnly.choose(day, "45"));

    fs::path companion = home.path() / "q";
    fs::create_directories(companion / "Data");
    writeLinesAtomic(companion / "Data" / "2024年05月12日大井.Comp", {"companion"});
    CompiFileChooser both(companion);
    EXPECT_EQ(*both.choose(day, "44"), companion / "Data" / "2024年05月12日大井.Comp");

    CompiLineReader reader;
    RaceRecord race;
    EXPECT_EQ(reader.take(*both.choose(day, "44"), 2, 18, race), 0);  // no line 2: no data
    EXPECT_EQ(race.topValue, 0);
}

TEST(CompanionFolder, WineRegistryValuesAndPaths) {
    std::string reg =
        "WINE REGISTRY Version 2\r\n"
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Kanto_is1] 1700000000\r\n"
        "\"Inno Setup: App Path\"=\"C:\\\\Program Files\\\\Q\\x30fc\"\r\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Other_is1] 1700000000\r\n"
        "\"Inno Setup: App Path\"=\"C:\\\\Other\"\r\n";
    auto v = wineRegistryString(reg, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kanto_is1",
                                "Inno Setup: App Path");
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, "C:\\Program Files\\Qー");
    EXPECT_FALSE(wineRegistryString(reg, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Local_is1",
                                    "Inno Setup: App Path"));
    EXPECT_EQ(wineToLinuxPath("/p", "C:\\Program Files\\Q"), fs::path("/p/drive_c/Program Files/Q"));
}

TEST(CompanionFolder, DiscoveryFillsABlankSettingOnlyLocalEditionFirst) {
    test::TempHome home;
    fs::path prefix = home.path() / "wine";
    fs::create_directories(prefix);
    writeFileAtomic(prefix / "system.reg",
                    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Quillet_MinamiKanto_is1] 1\n"
                    "\"Inno Setup: App Path\"=\"C:\\\\Kanto\"\n"
                    "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Quillet_Local_is1] 1\n"
                    "\"Inno Setup: App Path\"=\"C:\\\\Local\"\n");
    std::string old = std::getenv("WINEPREFIX") ? std::getenv("WINEPREFIX") : "";
    setenv("WINEPREFIX", prefix.c_str(), 1);
    Settings ini;
    EXPECT_EQ(companionFolder(ini), appFolder());
    discoverCompanionFolder(ini);
    EXPECT_EQ(companionFolder(ini), prefix / "drive_c" / "Local");
    ini.writeString("Dir", "quillet", "/mine");
    discoverCompanionFolder(ini);  // a stored value is never overwritten
    EXPECT_EQ(ini.readString("Dir", "quillet", ""), "/mine");
    // Only the southern-Kanto edition installed.
    ini.writeString("Dir", "quillet", "");
    ini.writeString("Dir", "quilletUninstallLocal", "Missing_is1");
    discoverCompanionFolder(ini);
    EXPECT_EQ(companionFolder(ini), prefix / "drive_c" / "Kanto");
    // No prefix: the setting stays blank.
    ini.writeString("Dir", "quillet", "");
    setenv("WINEPREFIX", (home.path() / "none").c_str(), 1);
    discoverCompanionFolder(ini);
    EXPECT_EQ(ini.readString("Dir", "quillet", ""), "");
    if (old.empty())
        unsetenv("WINEPREFIX");
    else
        setenv("WINEPREFIX", old.c_str(), 1);
}

}  // namespace
}  // namespace vex

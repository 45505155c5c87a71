#include <gtest/gtest.h>

#include <fstream>

#include "app/atomic_file.h"
#include "store/day_list.h"
#include "store/store_paths.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

TEST(StorePaths, DayStampIsFourteenCp932BytesAndReadsBack) {
    std::string stamp = dayStamp("20240512");
    EXPECT_EQ(stamp, sj("2024年05月12日"));
    EXPECT_EQ(stamp.size(), 14u);
    EXPECT_EQ(dayStampOf(DateTime{2009, 1, 5, 23, 59, 0}), sj("2009年01月05日"));
    EXPECT_EQ(dayStampOfRecord(std::string(11, ' ') + "20231231440101"), sj("2023年12月31日"));
    EXPECT_EQ(dateOfDayStamp(stamp), "20240512");
    EXPECT_FALSE(dateOfDayStamp(sj("2024年05月1x日")));
    EXPECT_FALSE(dateOfDayStamp("2024-05-12"));
    // A record too short for its date still gives a stamp of whatever is there, never a crash.
    EXPECT_EQ(dayStampOfRecord("RA"), sj("年月日"));
}

TEST(StorePaths, FileNamesAreUtf8UnderTheApplicationFolder) {
    test::TempHome home;
    std::string stamp = dayStamp("20240512");
    EXPECT_EQ(dayFilePath(stamp, DayFile::RA), home.path() / "Data" / "2024年05月12日.nvRA");
    EXPECT_EQ(dayFilePath(stamp, DayFile::OA), home.path() / "Data" / "2024年05月12日.nvOA");
    EXPECT_EQ(runnerFilePath(stamp, "44"), home.path() / "Data" / "2024年05月12日大井.nvSEr");
    EXPECT_EQ(compiFilePath(stamp, "45"), home.path() / "Data" / "2024年05月12日川崎.comp");
    EXPECT_EQ(compiFilePath("/q", stamp, "42"), fs::path("/q/Data/2024年05月12日浦和.comp"));
    EXPECT_EQ(pastRunFilePath("2019104567"), home.path() / "SEI" / "2019" / "2019104567.nvSEI");
    EXPECT_EQ(pastRaceFilePath("20230105", "30"), home.path() / "SEIR" / "2023" / "2023010530.nvSERA");
    DayPaths p = dayPaths(stamp);
    EXPECT_EQ(p[DayFile::O6], dayFilePath(stamp, DayFile::O6));
    EXPECT_EQ(p[DayFile::HR].filename(), "2024年05月12日.nvHR");
    EXPECT_EQ(dayFileRecordLength(DayFile::O6), 83285);
    EXPECT_EQ(oddsDayFileOfKind("OA"), DayFile::OA);
    EXPECT_FALSE(oddsDayFileOfKind("RA"));
    EXPECT_FALSE(oddsDayFileOfKind("O7"));
}

TEST(StorePaths, RecordBytesNeverEscapeTheStore) {
    EXPECT_TRUE(isSafeNamePiece("2019104567"));
    EXPECT_TRUE(isSafeNamePiece(sj("表示")));  // 表 ends in byte 0x5C, which is not a separator here
    EXPECT_FALSE(isSafeNamePiece(""));
    EXPECT_FALSE(isSafeNamePiece("../../etc"));
    EXPECT_FALSE(isSafeNamePiece("20/9"));
    EXPECT_FALSE(isSafeNamePiece("a\\b"));
    EXPECT_FALSE(isSafeNamePiece(std::string("12\0" "4", 4)));
    EXPECT_FALSE(isSafeNamePiece("12\n4"));
}

TEST(DayList, NewestFirstFromRaceFilesOnly) {
    test::TempHome home;
    EXPECT_TRUE(buildDayList().empty());  // no Data folder yet
    fs::create_directories(home.path() / "Data");
    for (const char* name : {"2024年05月12日.nvRA", "2023年12月31日.nvRA", "2024年01月02日.nvRA",
                             "2025年01月01日.nvHR", "2025年02月02日大井.nvSEr"})
        writeFileAtomic(home.path() / "Data" / name, "x");
    fs::create_directories(home.path() / "Data" / "2026年01月01日.nvRA");  // a folder, not a file
    std::vector<std::string> days = buildDayList();
    ASSERT_EQ(days.size(), 3u);
    EXPECT_EQ(days[0], sj("2024年05月12日"));
    EXPECT_EQ(days[1], sj("2024年01月02日"));
    EXPECT_EQ(days[2], sj("2023年12月31日"));
}

}  // namespace
}  // namespace vex

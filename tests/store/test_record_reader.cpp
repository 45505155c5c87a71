#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "store/record_builder.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::makeRecord;
using test::raceKey;
using test::withField;

std::string joined(std::initializer_list<std::string> records) {
    std::string all;
    for (const auto& r : records) all += r;
    return all;
}

TEST(RecordNumbers, LenientAndStrictReadings) {
    EXPECT_EQ(readNumber("0012"), 12);
    EXPECT_EQ(readNumber(" 7 "), 7);
    EXPECT_EQ(readNumber("-3"), -3);
    EXPECT_FALSE(readNumber("    "));
    EXPECT_FALSE(readNumber(""));
    EXPECT_FALSE(readNumber("1a"));
    EXPECT_FALSE(readNumber("1 2"));
    EXPECT_FALSE(readNumber("-"));
    EXPECT_FALSE(readNumber("99999999999999999999"));
    EXPECT_EQ(numberOr0("  "), 0);
    EXPECT_EQ(numberOr0("**"), 0);
    EXPECT_EQ(numberOr0("18"), 18);
    EXPECT_EQ(leadingNumber(" 07x9"), 7);
    EXPECT_EQ(leadingNumber("x1"), 0);
    EXPECT_TRUE(isEmptyYear("    "));
    EXPECT_TRUE(isEmptyYear("0000"));
    EXPECT_FALSE(isEmptyYear("2024"));
}

TEST(RecordView, FieldsOfShortRecordsReadBlank) {
    std::string ra = withField(makeRecord("RA", RecordLength::RA, raceKey("20240512", "44", 3)), RA::Registered, "12");
    RecordView v(ra);
    EXPECT_EQ(v.kind(), "RA");
    EXPECT_EQ(v.track(), 44);
    EXPECT_EQ(v.race(), 3);
    EXPECT_EQ(v.date(), 20240512);
    EXPECT_EQ(v.number(RA::Registered), 12);
    EXPECT_EQ(v.trackAndRace(), "4403");
    RecordView cut(std::string_view(ra).substr(0, 19));
    EXPECT_EQ(cut.track(), 0);
    EXPECT_EQ(cut.number(RA::Registered), 0);
    EXPECT_TRUE(cut.blank(RA::PostTime));
    EXPECT_EQ(recordLine("AB\r\n"), "AB");
    EXPECT_EQ(recordLine("AB\nCD\r\n"), "AB");
    EXPECT_EQ(recordLine("AB"), "AB");
}

TEST(RecordFile, FixedSizeRecordsWithACutTail) {
    test::TempHome home;
    fs::path file = home.path() / "x.nvOA";
    EXPECT_FALSE(RecordFile(file, RecordLength::OA).isOpen());
    std::string a = makeRecord("OA", RecordLength::OA, raceKey("20240512", "44", 1));
    std::string b = makeRecord("OA", RecordLength::OA, raceKey("20240512", "44", 2));
    writeFileAtomic(file, a + b + b.substr(0, 100));
    RecordFile f(file, RecordLength::OA);
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.count(), 2u);
    std::string got;
    ASSERT_TRUE(f.read(1, got));
    EXPECT_EQ(got, b);
    EXPECT_FALSE(f.read(2, got));
    RecordFile moved = std::move(f);
    EXPECT_TRUE(moved.read(0, got));
    EXPECT_EQ(got, a);
}

TEST(RecordLookups, OddsByTrackAndRacePayoutByKeyRunnerBySlot) {
    test::TempHome home;
    fs::path o1 = home.path() / "o.nvO1";
    std::string first = withField(makeRecord("O1", RecordLength::O1, raceKey("20240512", "44", 5)), Odds::Win.odds(1), "0012");
    std::string second = withField(first, Odds::Win.odds(1), "0099");
    std::string other = makeRecord("O1", RecordLength::O1, raceKey("20240512", "45", 5));
    writeFileAtomic(o1, joined({other, first, second}));
    EXPECT_EQ(findOddsRecord(o1, RecordLength::O1, "4405"), first);
    EXPECT_EQ(findOddsRecord(o1, RecordLength::O1, "4505"), other);
    EXPECT_FALSE(findOddsRecord(o1, RecordLength::O1, "4406"));
    EXPECT_FALSE(findOddsRecord(home.path() / "missing", RecordLength::O1, "4405"));

    fs::path hr = home.path() / "h.nvHR";
    std::string pay = makeRecord("HR", RecordLength::HR, raceKey("20240512", "44", 7));
    writeFileAtomic(hr, pay);
    EXPECT_EQ(findRecordByKey(hr, RecordLength::HR, raceKey("20240512", "44", 7)), pay);
    EXPECT_FALSE(findRecordByKey(hr, RecordLength::HR, raceKey("20240512", "44", 8)));

    EXPECT_EQ(runnerSlotIndex(1, 0), 0u);
    EXPECT_EQ(runnerSlotIndex(12, 17), 215u);
    EXPECT_FALSE(runnerSlotIndex(13, 0));
    EXPECT_FALSE(runnerSlotIndex(0, 0));
    EXPECT_FALSE(runnerSlotIndex(1, 18));
    fs::path ser = home.path() / "s.nvSEr";
    std::string slots;
    for (int i = 0; i < kSlotCount; ++i) slots += std::string(553, ' ') + "\r\n";
    std::string horse = withField(makeRecord("SE", RecordLength::SE, raceKey("20240512", "44", 2)), SE::Horse, "03");
    slots.replace(static_cast<std::size_t>(20) * RecordLength::SE, RecordLength::SE, horse);
    writeFileAtomic(ser, slots);
    EXPECT_EQ(readRunnerSlot(ser, 2, 2), horse);
    EXPECT_EQ(readRunnerSlot(ser, 2, 3), std::string(553, ' ') + "\r\n");
    EXPECT_FALSE(readRunnerSlot(home.path() / "none.nvSEr", 2, 2));
}

TEST(PastRuns, LastThreeEarlierRunsMostRecentFirst) {
    test::TempHome home;
    std::string reg = "2019104567";
    auto run = [&](std::string_view date) {
        return withField(makeRecord("SE", RecordLength::SE, raceKey(date, "44", 1), '0'), SE::RegistrationNumber, reg);
    };
    std::string today = run("20240512");
    auto file = pastRunFileOf(RecordView(today));
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, pastRunFilePath(reg));
    fs::create_directories(file->parent_path());
    // Sorted as the writer keeps it; a same-day run and a non-digit date never count.
    writeFileAtomic(*file, joined({run("2023x101"), run("20231001"), run("20231101"), run("20240101"),
                                   run("20240301"), run("20240512")}));
    std::vector<std::string> runs = pastRuns(*file, 20240512);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(RecordView(runs[0]).date(), 20240301);
    EXPECT_EQ(RecordView(runs[1]).date(), 20240101);
    EXPECT_EQ(RecordView(runs[2]).date(), 20231101);
    EXPECT_EQ(pastRuns(*file, 20231102).size(), 2u);  // only two earlier runs
    EXPECT_TRUE(pastRuns(*file, 0).empty());
    EXPECT_TRUE(pastRuns(home.path() / "none.nvSEI", 20240512).empty());
    EXPECT_FALSE(pastRunFileOf(RecordView(withField(today, SE::RegistrationNumber, "../..12345"))));
}

TEST(PastRuns, PastRaceFromDataForCentralTracksElseFromSeir) {
    test::TempHome home;
    fs::create_directories(home.path() / "Data");
    fs::create_directories(home.path() / "SEIR" / "2023");
    std::string central = makeRecord("RA", RecordLength::RA, raceKey("20230105", "05", 3), '0');
    std::string otherTrack = makeRecord("RA", RecordLength::RA, raceKey("20230105", "06", 3), '0');
    writeFileAtomic(dayFilePath(dayStamp("20230105"), DayFile::RA), otherTrack + central);
    // A decoy in SEIR under the central track's name must never be read.
    writeFileAtomic(pastRaceFilePath("20230105", "05"), otherTrack);
    std::string local1 = makeRecord("RA", RecordLength::RA, raceKey("20230105", "30", 1), '0');
    std::string local3 = makeRecord("RA", RecordLength::RA, raceKey("20230105", "30", 3), '0');
    writeFileAtomic(pastRaceFilePath("20230105", "30"), local1 + local3);

    std::string seCentral = makeRecord("SE", RecordLength::SE, raceKey("20230105", "05", 3));
    EXPECT_EQ(pastRaceRecord(RecordView(seCentral)), central);
    std::string seLocal = makeRecord("SE", RecordLength::SE, raceKey("20230105", "30", 3));
    EXPECT_EQ(pastRaceRecord(RecordView(seLocal)), local3);
    EXPECT_FALSE(pastRaceRecord(RecordView(makeRecord("SE", RecordLength::SE, raceKey("20230105", "30", 9)))));
    EXPECT_FALSE(pastRaceRecord(RecordView(makeRecord("SE", RecordLength::SE, raceKey("20230106", "30", 3)))));
    EXPECT_FALSE(pastRaceRecord(RecordView(makeRecord("SE", RecordLength::SE, "2023/../0530"))));
    EXPECT_FALSE(pastRaceRecord(RecordView("SE")));
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;
using test::raceKey;

std::string joined(std::initializer_list<std::string> records) {
    std::string all;
    for (const auto& r : records) all += r;
    return all;
}

TEST(RecordNumbers, EmptyYears) {
    EXPECT_TRUE(isEmptyYear("    "));
    EXPECT_TRUE(isEmptyYear("0000"));
    EXPECT_FALSE(isEmptyYear("2024"));
}

TEST(RecordView, FieldsOfShortRecordsReadBlank) {
    std::string ra = Record::ra(raceKey("20240512", "44", 3)).sent('7').set(RA::Registered, "12");
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

const RecordFile::Mode kModes[] = {RecordFile::Seek, RecordFile::Whole, RecordFile::Indexed};

TEST(RecordFile, FixedSizeRecordsWithACutTail) {
    test::TempHome home;
    fs::path file = home.path() / "x.nvOA";
    EXPECT_FALSE(RecordFile(file, RecordLength::OA).exists());
    std::string a = Record::of("OA", raceKey("20240512", "44", 1)).sent('7');
    std::string b = Record::of("OA", raceKey("20240512", "44", 2)).sent('7');
    writeFileAtomic(file, a + b + b.substr(0, 100));
    RecordFile f(file, RecordLength::OA);
    ASSERT_TRUE(f.exists());
    EXPECT_EQ(f.count(), 2u);
    std::string got;
    ASSERT_TRUE(f.read(1, got));
    EXPECT_EQ(got, b);
    EXPECT_FALSE(f.read(2, got));
    EXPECT_EQ(got, b);  // untouched by the failed read
    RecordFile moved = std::move(f);
    EXPECT_TRUE(moved.read(0, got));
    EXPECT_EQ(got, a);
    EXPECT_FALSE(f.exists());  // NOLINT: the moved-from file holds nothing
    EXPECT_FALSE(f.read(0, got));
}

TEST(RecordFile, EveryModeReadsTheSameRecordsFieldsAndLookups) {
    test::TempHome home;
    fs::path file = home.path() / "o.nvO1";
    std::string first = Record::of("O1", raceKey("20240512", "44", 5)).sent('7').set(Odds::Win.odds(1), "0012");
    std::string second = Record(first).set(Odds::Win.odds(1), "0099");  // same race later in the file
    std::string other = Record::of("O1", raceKey("20240512", "45", 5)).sent('7');
    // Race 05 at track 44 but another day: the track + race lookup takes it, the key lookup not.
    std::string earlier = Record::of("O1", raceKey("20240511", "44", 5)).sent('7');
    writeFileAtomic(file, joined({other, earlier, first, second}) + first.substr(0, 500));
    for (RecordFile::Mode mode : kModes) {
        SCOPED_TRACE(mode);
        RecordFile f(file, RecordLength::O1, mode);
        ASSERT_TRUE(f.exists());
        ASSERT_EQ(f.count(), 4u);
        std::string got;
        ASSERT_TRUE(f.read(3, got));
        EXPECT_EQ(got, second);
        std::vector<char> raw(RecordLength::O1, 'x');
        ASSERT_TRUE(f.read(0, raw.data()));
        EXPECT_EQ(std::string(raw.begin(), raw.end()), other);
        EXPECT_FALSE(f.read(4, raw.data()));  // the cut tail is no record

        char win[4];
        ASSERT_TRUE(f.read(2, Odds::Win.odds(1).pos - 1, 4, win));
        EXPECT_EQ(std::string_view(win, 4), "0012");
        char last[2];
        ASSERT_TRUE(f.read(2, RecordLength::O1 - 2, 2, last));  // a span ending at the record's end
        EXPECT_EQ(std::string_view(last, 2), "\r\n");
        EXPECT_FALSE(f.read(2, RecordLength::O1 - 1, 2, last));  // leaves the record
        EXPECT_FALSE(f.read(2, -1, 2, last));
        EXPECT_FALSE(f.read(2, 0, -1, last));

        EXPECT_EQ(f.findTrackRace("4505"), 0u);
        EXPECT_EQ(f.findTrackRace("4405"), 1u);  // first in file order
        EXPECT_FALSE(f.findTrackRace("4406"));
        EXPECT_FALSE(f.findTrackRace("44051"));
        EXPECT_EQ(f.findRaceKey(raceKey("20240512", "44", 5)), 2u);
        EXPECT_FALSE(f.findRaceKey(raceKey("20240512", "44", 6)));
        EXPECT_FALSE(f.findRaceKey("2024051244"));
    }
}

TEST(RecordFile, MissingFoldersAndNoLengthHoldNothingUnreadableFilesRaise) {
    test::TempHome home;
    fs::create_directories(home.path() / "folder.nvRA");
    fs::path notUnderAFolder = home.path() / "x.nvOA" / "y";
    writeFileAtomic(home.path() / "x.nvOA", Record::of("OA", raceKey("20240512", "44", 1)).sent('7').str());
    for (RecordFile::Mode mode : kModes) {
        SCOPED_TRACE(mode);
        for (const fs::path& p : {home.path() / "none.nvRA", home.path() / "folder.nvRA", notUnderAFolder}) {
            RecordFile f(p, RecordLength::RA, mode);
            EXPECT_FALSE(f.exists());
            EXPECT_EQ(f.count(), 0u);
            EXPECT_FALSE(f.findTrackRace("4401"));
            EXPECT_FALSE(f.findRaceKey(raceKey("20240512", "44", 1)));
        }
        RecordFile noLength(home.path() / "x.nvOA", 0, mode);
        EXPECT_EQ(noLength.count(), 0u);
    }

    // A file that exists but cannot be opened is no empty file (a loop of links fails even for root).
    fs::path loop = home.path() / "loop.nvO1";
    fs::create_symlink(loop, loop);
    for (RecordFile::Mode mode : kModes) EXPECT_THROW(RecordFile(loop, RecordLength::O1, mode), RecordFileError);
    // The one-look helpers still give nothing for it.
    EXPECT_FALSE(findOddsRecord(loop, RecordLength::O1, "4405"));
    EXPECT_FALSE(findRecordByKey(loop, RecordLength::O1, raceKey("20240512", "44", 5)));
    EXPECT_TRUE(pastRuns(loop, 20240512).empty());
    bool visited = false;
    forEachRecord(loop, RecordLength::O1, [&](std::string_view) { return visited = true; });
    EXPECT_FALSE(visited);
}

TEST(RecordFile, AFileCutWhileOpenRaisesUnlessReadWhole) {
    test::TempHome home;
    fs::path file = home.path() / "s.nvSEI";
    std::string a = Record::se(raceKey("20240101", "44", 1)).sent('0');
    std::string b = Record::se(raceKey("20240301", "44", 1)).sent('0');
    writeFileAtomic(file, a + b);
    RecordFile seek(file, RecordLength::SE, RecordFile::Seek);
    RecordFile indexed(file, RecordLength::SE, RecordFile::Indexed);
    RecordFile whole(file, RecordLength::SE, RecordFile::Whole);
    fs::resize_file(file, RecordLength::SE);  // in place: the open files see it
    std::string got;
    EXPECT_THROW(seek.read(1, got), RecordFileError);
    EXPECT_EQ(indexed.findRaceKey(raceKey("20240301", "44", 1)), 1u);  // from the keys read up front
    EXPECT_THROW(indexed.read(1, got), RecordFileError);
    ASSERT_TRUE(whole.read(1, got));
    EXPECT_EQ(got, b);
    // The past-run rule passes over the record it can no longer read.
    EXPECT_EQ(pastRunIndexes(seek, 20240512), std::vector<std::size_t>{0});
}

TEST(RecordLookups, OddsByTrackAndRacePayoutByKeyRunnerBySlot) {
    test::TempHome home;
    fs::path o1 = home.path() / "o.nvO1";
    std::string first = Record::of("O1", raceKey("20240512", "44", 5)).sent('7').set(Odds::Win.odds(1), "0012");
    std::string second = Record(first).set(Odds::Win.odds(1), "0099");
    std::string other = Record::of("O1", raceKey("20240512", "45", 5)).sent('7');
    writeFileAtomic(o1, joined({other, first, second}));
    EXPECT_EQ(findOddsRecord(o1, RecordLength::O1, "4405"), first);
    EXPECT_EQ(findOddsRecord(o1, RecordLength::O1, "4505"), other);
    EXPECT_FALSE(findOddsRecord(o1, RecordLength::O1, "4406"));
    EXPECT_FALSE(findOddsRecord(home.path() / "missing", RecordLength::O1, "4405"));

    fs::path hr = home.path() / "h.nvHR";
    std::string pay = Record::hr(raceKey("20240512", "44", 7)).sent('7');
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
    std::string horse = Record::se(raceKey("20240512", "44", 2)).sent('7').set(SE::Horse, "03");
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
        return Record::se(raceKey(date, "44", 1)).sent('0').set(SE::RegistrationNumber, reg).str();
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
    EXPECT_FALSE(pastRunFileOf(RecordView(Record(today).set(SE::RegistrationNumber, "../..12345").str())));
}

TEST(PastRuns, PastRaceFromDataForCentralTracksElseFromSeir) {
    test::TempHome home;
    fs::create_directories(home.path() / "Data");
    fs::create_directories(home.path() / "SEIR" / "2023");
    std::string central = Record::ra(raceKey("20230105", "05", 3)).sent('0');
    std::string otherTrack = Record::ra(raceKey("20230105", "06", 3)).sent('0');
    writeFileAtomic(dayFilePath(dayStamp("20230105"), DayFile::RA), otherTrack + central);
    // A decoy in SEIR under the central track's name must never be read.
    writeFileAtomic(pastRaceFilePath("20230105", "05"), otherTrack);
    std::string local1 = Record::ra(raceKey("20230105", "30", 1)).sent('0');
    std::string local3 = Record::ra(raceKey("20230105", "30", 3)).sent('0');
    writeFileAtomic(pastRaceFilePath("20230105", "30"), local1 + local3);

    std::string seCentral = Record::se(raceKey("20230105", "05", 3)).sent('7');
    EXPECT_EQ(pastRaceRecord(RecordView(seCentral)), central);
    std::string seLocal = Record::se(raceKey("20230105", "30", 3)).sent('7');
    EXPECT_EQ(pastRaceRecord(RecordView(seLocal)), local3);
    EXPECT_FALSE(pastRaceRecord(RecordView(Record::se(raceKey("20230105", "30", 9)).sent('7').str())));
    EXPECT_FALSE(pastRaceRecord(RecordView(Record::se(raceKey("20230106", "30", 3)).sent('7').str())));
    EXPECT_FALSE(pastRaceRecord(RecordView(Record::se("2023/../0530").sent('7').str())));
    EXPECT_FALSE(pastRaceRecord(RecordView("SE")));
}

}  // namespace
}  // namespace vex

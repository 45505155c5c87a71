#include <gtest/gtest.h>

#include <random>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "datalink/bulk_download.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"

namespace vex {
namespace {

// A line the store rules can key: kind, category and date (positions 3-11), the race key (12-27)
// and a payload whose case varies, so lines of one key may sort either way round.
std::string keyedLine(std::mt19937& rng, const std::string& key) {
    static const char letters[] = "aAbBzZ09 ";
    std::string line = "RA" + std::to_string(100000000 + rng() % 900000000) + key;
    for (int i = 0; i < 6; ++i) line += letters[rng() % (sizeof letters - 1)];
    line.resize(RecordLength::HR - 2, ' ');  // a whole record of the payout file it goes to
    return line;
}

// The held store keeps each file sorted between records and replaces a line in place when it can.
// Whatever it does, the file must come out as applying the rules record by record does, also on
// files it did not write itself: duplicate keys, lines with unzeroed dates, blanks, short lines
// (which are no records and go).
TEST(HeldStore, SortedInPlaceUpsertsGiveTheRecordByRecordFile) {
    test::TempHome home;
    createAppFolders();
    std::mt19937 rng(20240601);
    const std::vector<std::string> keys = {"2024030344010101", "2024030344010102", "2024030344010103",
                                           "2024030344010104", "2024030345010101"};
    for (StoreRule rule : {StoreRule::UpsertTrimmed, StoreRule::Upsert}) {
        for (int round = 0; round < 20; ++round) {
            std::string stamp = dayStamp("202403" + std::to_string(10 + round));
            Route route{StoreTarget{StoreTarget::Kind::Day, DayFile::HR, stamp}, rule};
            std::vector<std::string> seed = {"", "short", keyedLine(rng, keys[0]), keyedLine(rng, keys[0]),
                                             keyedLine(rng, keys[2]), " ", keyedLine(rng, keys[2])};
            std::shuffle(seed.begin(), seed.end(), rng);
            writeLinesAtomic(route.file(), seed);

            std::vector<std::string> expected = seed;
            keepWholeRecords(expected, route.target.recordLength(), false);
            HeldStore store;
            for (int n = 0; n < 40; ++n) {
                std::string line = keyedLine(rng, keys[rng() % keys.size()]);
                store.store(route, line);
                std::string zeroed = line;
                zeroCategoryAndDate(zeroed);
                upsertLine(expected, zeroed);
                sortStoreLines(expected);
                if (rule == StoreRule::UpsertTrimmed) trimFirstBlankLine(expected);
            }
            ASSERT_TRUE(store.flush().empty());
            ASSERT_EQ(readLines(route.file()), expected) << "round " << round;
        }
    }
}

// Bytes that are no CP932 read as one replacement character in a file name, so two registration
// numbers can name one file: both records must end up in it.
TEST(HeldStore, TargetsNamingTheSameFileShareIt) {
    test::TempHome home;
    createAppFolders();
    std::mt19937 rng(7);
    Route a{StoreTarget{StoreTarget::Kind::PastRun, DayFile::RA, "2020\xFD" "00001"}, StoreRule::Upsert};
    Route b{StoreTarget{StoreTarget::Kind::PastRun, DayFile::RA, "2020\xFE" "00001"}, StoreRule::Upsert};
    ASSERT_EQ(a.file(), b.file());
    HeldStore store;
    store.ensureFolder(a.target);
    std::string first = keyedLine(rng, "2024030344010101"), second = keyedLine(rng, "2024030344010102");
    store.store(a, first);
    store.store(b, second);
    ASSERT_TRUE(store.flush().empty());
    zeroCategoryAndDate(first);
    zeroCategoryAndDate(second);
    EXPECT_EQ(readLines(a.file()), (std::vector<std::string>{first, second}));
}

// A download after a refresh reads the day-before odds of today's races: the stored odds of the
// day stay, whichever way the store takes the record (first on the file, or in place); odds
// announced at the same time or later replace them.
TEST(HeldStore, OddsAnnouncedEarlierNeverReplaceLaterOnes) {
    test::TempHome home;
    createAppFolders();
    const std::string key = "2026061042060106";
    auto odds = [&](std::string_view announced, int tenths) {
        std::string bytes = test::Record::of("O2", key).set(Odds::AnnounceTime, announced).odds(Odds::Quinella, 1, tenths).str();
        return bytes.substr(0, bytes.size() - 2);
    };
    const std::string today = odds("06101305", 298), dayBefore = odds("06091700", 218), later = odds("06101310", 301);
    Route route{StoreTarget{StoreTarget::Kind::Day, DayFile::O2, dayStamp("20260610")}, StoreRule::UpsertTrimmed};
    writeLinesAtomic(route.file(), {today});
    {
        HeldStore store;
        store.store(route, dayBefore);  // first record on the file
        store.store(route, dayBefore);  // in place
        ASSERT_TRUE(store.flush().empty());
    }
    EXPECT_EQ(readLines(route.file()), std::vector<std::string>{today});
    HeldStore store;
    store.store(route, later);
    ASSERT_TRUE(store.flush().empty());
    EXPECT_EQ(readLines(route.file()), std::vector<std::string>{later});
    EXPECT_FALSE(olderOdds(today, odds("06101305", 300)));  // the same minute: the newer read wins
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "stats/appearance.h"
#include "store/test_day_load_store.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

std::string winPayout() {
    std::string hr = test::Record::hr(test::key16("20240512", "44", 1))
        .payout(HR::Win, 1, "03", 450, 2)
        .str();
    return hr;
}

// Two races of 12 runners; the first has its payouts.
std::unique_ptr<RaceTable> twoRaceDay() {
    auto table = std::make_unique<RaceTable>();
    table->dayLoaded = true;
    for (int s = 0; s < 2; ++s) {
        table->raw[static_cast<std::size_t>(s)].ra.assign(test::ra("20240512", "44", s + 1, 12, s ? "1400" : "1600"));
        for (int m = 0; m < 12; ++m)
            table->raw[static_cast<std::size_t>(s)].se[static_cast<std::size_t>(m)].assign(
                test::se("20240512", "44", s + 1, test::Runner{m + 1, 1, "2019100001"}));
        table->raceListSlots.push_back(s);
    }
    table->raw[0].hr.assign(winPayout());
    return table;
}

TEST(Appearance, ShortFieldsAreSpacePaddedAndFinalResultsOnly) {
    auto table = twoRaceDay();
    table->races[0].recommendedHorseRank = 3;
    table->races[0].runningStyle[1][1] = sj("中");
    table->races[0].compiValue[1] = 87;
    table->races[0].compiValue[2] = 1234;  // wider than its 3 places: the last ones stay
    table->races[0].compiRank[2] = -1;
    table->races[0].winPayout[1] = 450;
    // Race 2 has no payout yet: left out.
    std::vector<std::string> lines = appearanceLines(*table);
    ASSERT_EQ(lines.size(), 1u);
    const std::string& line = lines[0];
    EXPECT_EQ(line.size(), 3696u);
    EXPECT_EQ(line.substr(115, 3), " 30");  // recommended frame rank 0 is the digit 0
    EXPECT_EQ(line.substr(118 + 173 * 12), std::string(173 * 6, ' ') + line.substr(3232));
    EXPECT_EQ(line.substr(118 + 171, 2), sj("中"));
    EXPECT_EQ(line.substr(118 + 168, 3), "   ");  // no earlier run
    EXPECT_EQ(line.substr(118 + 66, 5), " 87 0");
    EXPECT_EQ(line.substr(118 + 173 + 66, 5), "234-1");
    EXPECT_EQ(line.substr(118 + 149, 18), "      450        0");
    EXPECT_EQ(line.substr(3232, 2), "03");
    EXPECT_EQ(line.substr(3372, 9), "000000450");
    EXPECT_EQ(appearanceFile(*table).filename(), "em20240512.dat");

    // With both races final, the earlier post comes first.
    table->raw[1].hr.assign(winPayout());
    lines = appearanceLines(*table);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(8, 4), "1400");

    // Nothing loaded: nothing written.
    table->dayLoaded = false;
    EXPECT_FALSE(writeAppearanceFile(*table));
}

TEST(Appearance, FolderThatCannotBeMadeFailsNamingTheFile) {
    test::TempHome home;
    auto table = twoRaceDay();
    writeFileAtomic(home.path() / "TOKEI", "");  // a file where the folder goes
    try {
        writeAppearanceFile(*table);
        ADD_FAILURE() << "written";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(e.file(), appearanceFile(*table));
    }
    fs::remove(home.path() / "TOKEI");
    EXPECT_TRUE(writeAppearanceFile(*table));  // the folder made again
    EXPECT_TRUE(fs::is_regular_file(appearanceFile(*table)));
}

}  // namespace
}  // namespace vex

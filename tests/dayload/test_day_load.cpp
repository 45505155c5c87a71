// The day load on a store built by hand: two tracks, a dead heat, short place lists, past runs at
// the runner's own track, at a central track and at another local track, Compi files in both
// folders, cancelled and missing odds. The appearance file is checked against lines built here
// from the records and the scenario's own numbers.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <thread>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "dayload/day_load.h"
#include "stats/appearance.h"
#include "store/test_day_load_store.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using namespace vex::test;

const char* kDate = "20240512";

struct Scenario {
    std::map<std::string, std::string> ra;                    // "44-1" -> RA record
    std::map<std::string, std::map<int, std::string>> se;     // "44-1" -> horse -> SE record
    std::map<std::string, std::string> hr;                    // "44-1" -> HR record
};

std::string stamp() { return sj("2024年05月12日"); }
fs::path dataFile(const std::string& cp932Name) { return appFolder() / "Data" / toUtf8(cp932Name); }

Scenario buildStore(const fs::path& home, bool withResults = true) {
    Scenario sc;
    // Races: Oi 1 (4 runners, 15:00), Oi 2 (5 runners, 16:00), Kawasaki 1 (3 runners, 15:30).
    sc.ra["44-1"] = ra(kDate, "44", 1, 4, "1500", 1);
    sc.ra["44-2"] = ra(kDate, "44", 2, 5, "1600", 2);
    sc.ra["45-1"] = ra(kDate, "45", 1, 3, "1530", 3);
    StoreDay day(kDate);
    day.add(sc.ra["44-1"]).add(sc.ra["44-2"]).add(sc.ra["45-1"]);

    // Oi 1: horses 1 and 2 dead-heat for first.
    auto reg = [](const char* prefix, int h) { return std::string(prefix) + "0000" + std::to_string(h); };
    int oiFinish[] = {1, 1, 3, 4};
    for (int h = 1; h <= 4; ++h) {
        Runner r{h, h, reg("20191", h), withResults ? oiFinish[h - 1] : 0};
        if (h == 4) r.winOdds = "    ";
        sc.se["44-1"][h] = se(kDate, "44", 1, r);
    }
    for (int h = 1; h <= 5; ++h) sc.se["44-2"][h] = se(kDate, "44", 2, Runner{h, h, reg("20183", h), withResults ? h : 0});
    int kwFinish[] = {2, 1, 3};
    for (int h = 1; h <= 3; ++h)
        sc.se["45-1"][h] = se(kDate, "45", 1, Runner{h, h, reg("20202", h), withResults ? kwFinish[h - 1] : 0});
    for (auto& [race, runners] : sc.se)
        for (auto& [h, r] : runners) day.add(r);  // into slot (race - 1) × 18 + h - 1 of its track

    // Past runs of Oi 1 horse 1: another local track (47), a central track (05), its own track (44),
    // and today's run, which is no past run.
    Runner p3{4, 4, reg("20191", 1), 1, "460", 1, 4, 6};
    Runner p2{6, 6, reg("20191", 1), 5, "462", 9, 9, 8};
    Runner p1{2, 2, reg("20191", 1), 2, "468", 3, 2, 2};
    day.pastRun(se("20240310", "47", 5, p3, 11)).pastRun(se("20240401", "05", 11, p2, 12));
    day.pastRun(se("20240428", "44", 3, p1, 13)).pastRun(sc.se["44-1"][1]);
    day.pastRace(ra("20240310", "47", 5, 10, "1400", 21));
    day.pastRace(ra("20240428", "44", 1, 8, "1100", 24)).pastRace(ra("20240428", "44", 3, 12, "1200", 25));
    // Central races of another day are found in that day's own race file.
    writeRecords(dataFile(sj("2024年04月01日") + ".nvRA"),
                 {ra("20240401", "06", 11, 14, "1540", 22), ra("20240401", "05", 11, 16, "1545", 23)});
    // Oi 1 horse 3: one past run whose race file is missing.
    Runner q1{5, 5, reg("20191", 3), 4, "455", 4, 4, 3};
    day.pastRun(se("20240420", "44", 7, q1, 14)).write();

    // Compi: Oi in the companion folder (a stale copy of our own must be ignored), Kawasaki in our
    // own Data under the written ".Comp" name.
    fs::path companion = home / "companion";
    fs::create_directories(companion / "Data");
    writeFileAtomic(home / "Vexmora.ini", "[Dir]\r\nquillet=" + companion.string() + "\r\n");
    std::string template122(122, ' ');
    writeLinesAtomic(companion / "Data" / toUtf8(stamp() + sj("大井") + ".comp"),
                     {compiLine(kDate, "44", 1, {{2, 85}, {1, 70}, {4, 55}, {3, 50}, {5, 45}}, 2,
                                {{2, 80}, {1, 66}, {4, 55}, {3, 50}}, 2),
                      template122});
    writeLinesAtomic(dataFile(stamp() + sj("大井") + ".Comp"),
                     {compiLine(kDate, "44", 1, {{1, 90}, {2, 80}}, 1, {{1, 90}}, 1)});
    writeLinesAtomic(dataFile(stamp() + sj("川崎") + ".Comp"),
                     {compiLine(kDate, "45", 1, {{2, 78}, {1, 62}, {3, 41}}, 2, {{2, 77}, {1, 65}, {3, 40}, {9, 44}}, 2)});

    // Odds of Oi 1: win 2.0, 3.5, cancelled, missing; trifecta 1 cancelled, 2 at 1234.5.
    std::string o1 = Record::of("O1", key16(kDate, "44", 1));
    setField(o1, Odds::AnnounceHour, "14");
    setField(o1, Odds::AnnounceMinute, "52");
    const char* win[] = {"0020", "0035", "----", "    "};
    const char* lower[] = {"0011", "0013", "****", "    "};
    for (int h = 1; h <= 4; ++h) {
        setField(o1, Odds::Win.odds(h), win[h - 1]);
        setField(o1, Odds::PlaceLower.odds(h), lower[h - 1]);
        setField(o1, Odds::PlaceUpper.odds(h), lower[h - 1]);
    }
    writeRecords(dataFile(stamp() + ".nvO1"), {o1});
    std::string o6 = Record::of("O6", key16(kDate, "44", 1));
    setField(o6, Odds::Trifecta.odds(1), "-------");
    setField(o6, Odds::Trifecta.popularity(1), "0001");
    setField(o6, Odds::Trifecta.odds(2), "0012345");
    setField(o6, Odds::Trifecta.popularity(2), "0007");
    writeRecords(dataFile(stamp() + ".nvO6"), {o6});

    if (!withResults) return sc;
    // Payouts. Oi 1: dead heat (two win entries), two places, two bracket exactas.
    std::string h1 = Record::hr(key16(kDate, "44", 1))
        .payout(HR::Win, 1, "01", 180, 1)
        .payout(HR::Win, 2, "02", 250, 2)
        .payout(HR::Place, 1, "01", 110, 1)
        .payout(HR::Place, 2, "02", 130, 2)
        .payout(HR::BracketQuinella, 1, "12", 300, 1)
        .payout(HR::Quinella, 1, "0102", 320, 1)
        .payout(HR::Wide, 1, "0102", 150, 1)
        .payout(HR::BracketExacta, 1, "12", 500, 1)
        .payout(HR::BracketExacta, 2, "21", 520, 2)
        .payout(HR::Exacta, 1, "0102", 700, 1)
        .payout(HR::Exacta, 2, "0201", 710, 2)
        .str();
    std::string h2 = Record::hr(key16(kDate, "44", 2))
        .payout(HR::Win, 1, "01", 560, 3)
        .payout(HR::Place, 1, "01", 200, 3)
        .payout(HR::Place, 2, "02", 140, 1)
        .payout(HR::Place, 3, "03", 330, 4)
        .str();
    std::string h3 = Record::hr(key16(kDate, "45", 1))
        .payout(HR::Win, 1, "02", 420, 2)
        .payout(HR::Place, 1, "02", 150, 2)
        .payout(HR::Place, 2, "01", 120, 1)
        .payout(HR::Trio, 1, "010203", 900, 1)
        .payout(HR::Trifecta, 1, "020103", 2500, 3)
        .str();
    // A payout of a race that is not on the day: ignored.
    std::string stray = Record::hr(key16(kDate, "43", 9))
        .payout(HR::Win, 1, "05", 990, 9)
        .str();
    writeRecords(dataFile(stamp() + ".nvHR"), {h1, h2, stray, h3});
    sc.hr["44-1"] = h1;
    sc.hr["44-2"] = h2;
    sc.hr["45-1"] = h3;
    return sc;
}

// ---- the expected appearance line, from the records and the scenario's numbers

struct Derived {
    int compi = 0, rank = 0, frameCompi = 0, frameRank = 0, win = 0, place = 0;
    std::string pastWeight = "   ", style = "  ";
};

void copy(std::string& line, int at, const std::string& rec, int from, int len) {
    line.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(len), rec.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(len)));
}
void num(std::string& line, int at, int width, int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%*d", width, v);
    line.replace(static_cast<std::size_t>(at), static_cast<std::size_t>(width), buf);
}

std::string expectedLine(const std::string& raRec, const std::map<int, std::string>& runners, const std::string& hr,
                         int recRank, int recFrameRank, const std::map<int, Derived>& derived) {
    std::string line(3696, ' ');
    const int header[][3] = {{0, 11, 4},    {4, 15, 4},    {8, 873, 4},   {12, 19, 2},   {14, 21, 2},
                             {16, 23, 2},   {18, 25, 2},   {20, 604, 6},  {26, 881, 2},  {28, 614, 1},
                             {29, 616, 2},  {31, 621, 1},  {32, 634, 3},  {35, 637, 60}, {95, 697, 4},
                             {99, 705, 2},  {101, 888, 1}, {102, 889, 1}, {103, 969, 3}, {106, 972, 3},
                             {109, 975, 3}, {112, 978, 3}};
    for (auto& c : header) copy(line, c[0], raRec, c[1], c[2]);
    num(line, 115, 2, recRank);
    num(line, 117, 1, recFrameRank);
    const int block[][3] = {{0, 27, 1},     {1, 28, 2},     {3, 40, 18},   {21, 76, 2},   {23, 78, 1},
                            {24, 79, 1},    {25, 80, 2},    {27, 82, 2},   {29, 85, 5},   {34, 90, 8},
                            {42, 288, 3},   {45, 296, 5},   {50, 306, 8},  {58, 322, 1},  {59, 324, 3},
                            {62, 327, 1},   {63, 328, 3},   {76, 334, 2},  {78, 363, 2},  {80, 359, 4},
                            {84, 338, 4},   {88, 342, 3},   {91, 351, 2},  {93, 353, 2},  {95, 355, 2},
                            {97, 357, 2},   {99, 365, 8},   {107, 373, 8}, {115, 390, 3}, {118, 387, 3},
                            {121, 393, 10}, {131, 403, 18}, {167, 331, 1}};
    for (auto& [h, rec] : runners) {
        int at = 118 + 173 * (h - 1);
        for (auto& c : block) copy(line, at + c[0], rec, c[1], c[2]);
        Derived d = derived.count(h) ? derived.at(h) : Derived{};
        num(line, at + 66, 3, d.compi);
        num(line, at + 69, 2, d.rank);
        num(line, at + 71, 3, d.frameCompi);
        num(line, at + 74, 2, d.frameRank);
        num(line, at + 149, 9, d.win);
        num(line, at + 158, 9, d.place);
        line.replace(static_cast<std::size_t>(at + 168), 3, d.pastWeight);
        line.replace(static_cast<std::size_t>(at + 171), 2, d.style);
    }
    const int combos[] = {102, 115, 128, 141, 154, 167, 180, 193, 206, 219, 232, 245, 261, 277, 293, 309, 325, 341,
                          357, 373, 389, 453, 469, 485, 501, 517, 533, 549, 567, 585, 603, 622, 641, 660, 679, 698};
    const int widths[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 4, 4, 4, 4, 4, 4, 4,
                          4, 4, 4, 4, 4, 4, 4, 4, 4, 6, 6, 6, 6, 6, 6, 6, 6, 6};
    const int pays[] = {104, 117, 130, 143, 156, 169, 182, 195, 208, 221, 234, 249, 265, 281, 297, 313, 329, 345,
                        361, 377, 393, 457, 473, 489, 505, 521, 537, 555, 573, 591, 609, 628, 647, 666, 685, 704};
    int at = 3232;
    for (int i = 0; i < 36; ++i) {
        copy(line, at, hr, combos[i], widths[i]);
        at += widths[i];
        copy(line, 3372 + 9 * i, hr, pays[i], 9);
    }
    return line;
}

TEST(DayLoad, CliPrintsTheRaceListAndWritesTheAppearanceFile) {
    TempHome home;
    Scenario sc = buildStore(home.path());

    int code = -1;
    std::string out = runCli("load " + toUtf8(stamp()), code);
    ASSERT_EQ(code, 0) << out;
    EXPECT_EQ(out, "大井 1R\n大井 2R\n川崎 1R\n");

    std::map<int, Derived> oi1{
        {1, {70, 2, 66, 2, 180, 110, "468", sj("先")}},
        {2, {85, 1, 80, 1, 250, 130}},
        {3, {50, 4, 50, 4, 0, 0, "455", sj("後")}},
        {4, {55, 3, 55, 3, 0, 0}},
    };
    std::map<int, Derived> oi2{{1, {0, 0, 0, 0, 560, 200}}, {2, {0, 0, 0, 0, 0, 140}}, {3, {0, 0, 0, 0, 0, 330}}};
    std::map<int, Derived> kw1{
        {1, {62, 2, 65, 2, 0, 120}},
        {2, {78, 1, 77, 1, 420, 150}},
        {3, {41, 3, 40, 3, 0, 0}},
    };
    // Sorted by post time: the tracks interleave.
    std::vector<std::string> expected = {
        expectedLine(sc.ra["44-1"], sc.se["44-1"], sc.hr["44-1"], 1, 1, oi1),
        expectedLine(sc.ra["45-1"], sc.se["45-1"], sc.hr["45-1"], 1, 1, kw1),
        expectedLine(sc.ra["44-2"], sc.se["44-2"], sc.hr["44-2"], 0, 0, oi2),
    };
    std::string file = readFileBytes(appFolder() / "TOKEI" / "em20240512.dat");
    std::string want;
    for (auto& l : expected) want += l + "\r\n";
    ASSERT_EQ(file.size(), want.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        std::string got = file.substr(i * 3698, 3696);
        for (std::size_t b = 0; b < 3696; ++b)
            ASSERT_EQ(got[b], expected[i][b]) << "line " << i << " byte " << b;
    }
    EXPECT_EQ(file, want);
}

// The statistics file cannot be written (a folder stands where it goes): the day is loaded all the
// same, and the failure named. The command prints the race list and fails.
TEST(DayLoad, AppearanceFileThatCannotBeWrittenLeavesTheDayLoaded) {
    TempHome home;
    buildStore(home.path());
    const fs::path blocked = appFolder() / "TOKEI" / "em20240512.dat";
    fs::create_directories(blocked);
    for (bool batch : {false, true}) {
        auto table = std::make_unique<RaceTable>();
        RecordingReporter reporter;
        DayLoadOptions options;
        options.batch = batch;
        options.reporter = &reporter;
        DayLoadResult r = loadDay(*table, stamp(), options);
        EXPECT_TRUE(r.loaded);
        EXPECT_TRUE(table->dayLoaded);
        EXPECT_FALSE(r.appearanceWritten);
        EXPECT_EQ(table->raceList.size(), 3u);
        EXPECT_EQ(table->currentSlot, 0);
        const std::string error = toUtf8(r.appearanceError);
        EXPECT_EQ(error.rfind("統計ファイルを書き込めませんでした。\n" + blocked.string() + ": ", 0), 0u) << error;
        EXPECT_EQ(batch ? reporter.statuses : reporter.informations, std::vector<std::string>{error});
        EXPECT_EQ(reporter.beeps, batch ? 0 : 1);
    }

    int code = -1;
    const fs::path errors = home.path() / "stderr.txt";
    std::string out = runCli("load " + toUtf8(stamp()) + " 2>" + errors.string(), code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, "大井 1R\n大井 2R\n川崎 1R\n");
    std::string err = readFileBytes(errors);
    EXPECT_EQ(err.rfind("統計ファイルを書き込めませんでした。\n" + blocked.string() + ": ", 0), 0u) << err;
}

// Two loads at once, each into its own table (as a worker loads while the window shows a day):
// nothing shared, the same day twice.
TEST(DayLoad, LoadsOnTwoThreadsAtOnceEachFillTheirOwnTable) {
    TempHome home;
    buildStore(home.path());
    auto first = std::make_unique<RaceTable>(), second = std::make_unique<RaceTable>();
    DayLoadResult a, b;
    std::thread worker([&] { a = loadDay(*first, stamp(), {}); });
    b = loadDay(*second, stamp(), {});
    worker.join();
    ASSERT_TRUE(a.loaded && b.loaded);
    EXPECT_EQ(first->raceList, second->raceList);
    for (int s : first->raceListSlots) {
        EXPECT_EQ(first->raw[s].ra.view(), second->raw[s].ra.view());
        EXPECT_EQ(first->races[s].compiValue, second->races[s].compiValue);
        EXPECT_EQ(first->races[s].winOdds, second->races[s].winOdds);
        EXPECT_EQ(first->races[s].runningStyle, second->races[s].runningStyle);
    }
}

TEST(DayLoad, CliFailsWithoutTheRaceFile) {
    TempHome home;
    int code = -1;
    std::string out = runCli("load " + toUtf8(stamp()) + " 2>&1", code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(out, "データ作成が未完了のようです。\n");
    out = runCli("load 2>/dev/null", code);
    EXPECT_EQ(code, 2);
}

class LoadedDay : public ::testing::Test {
protected:
    void SetUp() override {
        sc = buildStore(home.path());
        table = std::make_unique<RaceTable>();
        DayLoadOptions options;
        options.reporter = &reporter;
        result = loadDay(*table, stamp(), options);
    }
    TempHome home;
    Scenario sc;
    std::unique_ptr<RaceTable> table;
    RecordingReporter reporter;
    DayLoadResult result;
};

TEST_F(LoadedDay, RaceListTracksTimesAndSelection) {
    ASSERT_TRUE(result.loaded);
    EXPECT_EQ(table->raceListSlots, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(table->trackList, (std::vector<std::string>{"44" + sj("大井"), "44" + sj("大井"), "45" + sj("川崎")}));
    EXPECT_EQ(table->latestPostTime, "1800");  // every post before 18:00
    EXPECT_EQ(table->currentSlot, 0);  // the first listed race, for the caller to select
    // Defaults: 10 minutes before post, interval 5 s.
    EXPECT_EQ(table->races[2].oddsFetchTime, "152000");
    EXPECT_EQ(table->races[2].oddsRecheckTime, "152005");
    EXPECT_EQ(table->races[2].voteTime, "152010");
    EXPECT_EQ(table->defaultAmounts[95], 3000);
    EXPECT_TRUE(result.appearanceWritten);
    EXPECT_TRUE(reporter.informations.empty());
}

TEST_F(LoadedDay, PastRunsFromOwnCentralAndOtherLocalTracks) {
    const RaceRecord& r = table->races[0];
    const RawRecords& raw = table->raw[0];
    // Today's run is no past run; the three earlier ones, most recent first.
    EXPECT_EQ(raw.pastSe[0][0].field(Common::Date), "20240428");
    EXPECT_EQ(raw.pastSe[0][1].field(Common::Date), "20240401");
    EXPECT_EQ(raw.pastSe[0][2].field(Common::Date), "20240310");
    // Past race records: own track from SEIR, central from the day file (track 05, not 06), other
    // local track from SEIR.
    EXPECT_EQ(raw.pastRa[0][0].field(RA::Registered), "12");
    EXPECT_EQ(raw.pastRa[0][1].field(RA::Registered), "16");
    EXPECT_EQ(raw.pastRa[0][1].field(Common::Track), "05");
    EXPECT_EQ(raw.pastRa[0][2].field(RA::Registered), "10");
    EXPECT_EQ(r.intervalDays[1][1], 14);
    EXPECT_EQ(r.intervalDays[1][2], 27);
    EXPECT_EQ(r.intervalDays[1][3], 22);
    EXPECT_EQ(r.runningStyle[1][1], sj("先"));
    EXPECT_EQ(r.runningStyle[1][2], sj("中"));
    EXPECT_EQ(r.runningStyle[1][3], sj("逃"));
    EXPECT_EQ(r.finishCounts[1], (std::array<int, 4>{1, 1, 0, 1}));
    EXPECT_NEAR(r.winRate[1], 100.0 / 3, 1e-9);
    EXPECT_NEAR(r.topThreeRate[1], 200.0 / 3, 1e-9);
    // A past race whose file is missing keeps only its key.
    EXPECT_EQ(raw.pastRa[2][0].field(Common::RaceKey), key16("20240420", "44", 7));
    EXPECT_EQ(raw.pastRa[2][0].field(RA::Registered), "  ");
    // No past-run file: nothing.
    EXPECT_EQ(raw.pastSe[1][0].field(Common::Year), "    ");
    EXPECT_EQ(r.runningStyle[2][1], "  ");
}

TEST_F(LoadedDay, CompiFromTheCompanionFolderFirstAndAnyCase) {
    const RaceRecord& oi = table->races[0];
    EXPECT_EQ(oi.compiValue[2], 85);  // companion copy, not our stale one (90 for horse 1)
    EXPECT_EQ(oi.compiRank[1], 2);
    EXPECT_EQ(oi.topValue, 85);
    EXPECT_EQ(oi.secondValue, 70);
    EXPECT_EQ(oi.compiValue[5], 0);  // slot 5 is beyond the 4 runners
    EXPECT_EQ(oi.recommendedHorseRank, 1);
    EXPECT_EQ(table->races[1].topValue, 0);  // empty template line
    const RaceRecord& kw = table->races[2];
    EXPECT_EQ(kw.compiValue[2], 78);  // found although written as ".Comp"
    EXPECT_EQ(kw.frameCompiValue[3], 40);
    EXPECT_EQ(result.compiSlotsSkipped, 1);  // frame 9
}

TEST_F(LoadedDay, PayoutsDeadHeatAndShortPlaceList) {
    const RaceRecord& oi = table->races[0];
    EXPECT_EQ(oi.payouts.winHorses, (std::array<int, 3>{1, 2, 0}));
    EXPECT_EQ(oi.winPayout[1], 180);
    EXPECT_EQ(oi.winPayout[2], 250);
    EXPECT_EQ(oi.placePayout[2], 130);
    EXPECT_EQ(oi.payouts.placeHorses, (std::array<int, 5>{1, 2, 0, 0, 0}));
    EXPECT_EQ(oi.payouts.bracketQuinellaLabels[0], " 1- 2");
    EXPECT_EQ(oi.payouts.bracketQuinellaLabels[1], "");
    EXPECT_EQ(oi.payouts.exactaLabels[1], " 2- 1");
    EXPECT_EQ(table->bracketExactaLabels[0][1], " 2- 1");
    EXPECT_EQ(table->bracketExactaPayout[0][1], 520);
    // Both dead-heat winners keep their final position 1.
    EXPECT_EQ(table->raw[0].se[1].field(SE::FinishPosition), "01");
    EXPECT_EQ(oi.finalPosition[2], 1);
    const RaceRecord& kw = table->races[2];
    EXPECT_EQ(kw.payouts.trioLabels[0], " 1- 2- 3");
    EXPECT_EQ(kw.payouts.trifectaLabels[0], " 2- 1- 3");
    EXPECT_EQ(kw.payouts.payout[PayoutAt::Trifecta], 2500);
    EXPECT_EQ(kw.payouts.popularity[PayoutAt::Trifecta], 3);
    // Results view.
    const auto& win = table->results[0].byKind[1];
    ASSERT_EQ(win.size(), 3u);
    EXPECT_EQ(win[1].label, " 2");
    EXPECT_EQ(win[1].payout, 250);
    EXPECT_EQ(table->results[2].byKind[9][0].label, " 2- 1- 3");
    EXPECT_TRUE(table->results[0].byKind[4].empty());
}

TEST_F(LoadedDay, CancelledAndMissingOdds) {
    const RaceRecord& oi = table->races[0];
    EXPECT_DOUBLE_EQ(oi.winOdds[1], 2.0);
    EXPECT_DOUBLE_EQ(oi.winOdds[3], Cancelled);
    EXPECT_DOUBLE_EQ(oi.winOdds[4], NoData);
    EXPECT_DOUBLE_EQ(oi.placeOddsLower[3], Cancelled);
    EXPECT_EQ(oi.winPopularity, (OneBased<int, 18>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(oi.supportRate[1], 40.0);
    EXPECT_EQ(oi.oddsAnnounceTime, "1452");
    EXPECT_DOUBLE_EQ(oi.trifectaOdds[1], Cancelled);
    EXPECT_EQ(oi.trifectaPopularity[1], 0);
    EXPECT_DOUBLE_EQ(oi.trifectaOdds[2], 1234.5);
    EXPECT_EQ(oi.trifectaPopularity[2], 7);
    // No record for Kawasaki 1 in the O1 file, no O2 file at all: no data.
    EXPECT_DOUBLE_EQ(table->races[2].winOdds[1], NoData);
    EXPECT_DOUBLE_EQ(table->races[2].quinellaOdds[1], NoData);
}

TEST(DayLoad, ResultsArriveLater) {
    TempHome home;
    buildStore(home.path(), false);
    auto table = std::make_unique<RaceTable>();
    DayLoadResult r = loadDay(*table, stamp(), {});
    EXPECT_TRUE(r.loaded);
    EXPECT_FALSE(r.appearanceWritten);
    EXPECT_FALSE(fs::exists(appFolder() / "TOKEI" / "em20240512.dat"));
    buildStore(home.path(), true);
    r = loadDay(*table, stamp(), {});
    EXPECT_TRUE(r.appearanceWritten);
    EXPECT_TRUE(fs::exists(appFolder() / "TOKEI" / "em20240512.dat"));
}

// Every slot of two tables alike, field by field and byte by byte.
void expectSameSlots(const RaceTable& loadedBefore, const RaceTable& fresh) {
    for (std::size_t s = 0; s < kMaxRaces; ++s) {
        SCOPED_TRACE("slot " + std::to_string(s));
        EXPECT_TRUE(loadedBefore.races[s] == fresh.races[s]);
        EXPECT_TRUE(loadedBefore.raw[s] == fresh.raw[s]);
        EXPECT_TRUE(loadedBefore.results[s] == fresh.results[s]);
        EXPECT_EQ(loadedBefore.bracketExactaLabels[s], fresh.bracketExactaLabels[s]);
        EXPECT_EQ(loadedBefore.bracketExactaPayout[s], fresh.bracketExactaPayout[s]);
    }
    EXPECT_EQ(loadedBefore.raceList, fresh.raceList);
}

// A load skips the slots an earlier load left empty: whatever the table held before, every slot
// ends as a load into a new table leaves it, the previous day's payouts included.
TEST(DayLoad, ATableLoadedBeforeEndsLikeANewOne) {
    TempHome home;
    buildStore(home.path());
    const std::string smallDay = sj("2024年05月13日");
    writeRecords(dataFile(smallDay + ".nvRA"), {ra("20240513", "44", 1, 6, "1510", 4)});

    auto table = std::make_unique<RaceTable>(), fresh = std::make_unique<RaceTable>();
    ASSERT_TRUE(loadDay(*table, stamp(), {}).loaded);
    ASSERT_TRUE(loadDay(*table, smallDay, {}).loaded);  // no payouts stored for this day
    ASSERT_TRUE(loadDay(*fresh, smallDay, {}).loaded);
    expectSameSlots(*table, *fresh);

    // And back to the larger day: the slots it needs beyond the small one are read again.
    fresh = std::make_unique<RaceTable>();
    ASSERT_TRUE(loadDay(*table, stamp(), {}).loaded);
    ASSERT_TRUE(loadDay(*fresh, stamp(), {}).loaded);
    expectSameSlots(*table, *fresh);
    EXPECT_EQ(table->bracketExactaLabels[0][0], " 1- 2");
}

TEST(DayLoad, MissingRaceFileBeepsAndInformsUnlessBatch) {
    TempHome home;
    auto table = std::make_unique<RaceTable>();
    RecordingReporter reporter;
    DayLoadOptions options;
    options.reporter = &reporter;
    EXPECT_FALSE(loadDay(*table, stamp(), options).loaded);
    EXPECT_EQ(reporter.beeps, 1);
    EXPECT_EQ(reporter.informations, (std::vector<std::string>{"データ作成が未完了のようです。"}));
    options.batch = true;
    EXPECT_FALSE(loadDay(*table, stamp(), options).loaded);
    EXPECT_EQ(reporter.beeps, 2);
    EXPECT_EQ(reporter.informations.size(), 1u);
    // A stamp that is no day stamp never reaches the file system.
    EXPECT_FALSE(loadDay(*table, "../../etc/passwd", options).loaded);
}

// An odds file that exists but cannot be read: the day is not shown half loaded, the file is named,
// the progress window goes away, and the day loads again once the file is mended.
TEST(DayLoad, UnreadableStoreFileLeavesNoDayAndNamesTheFile) {
    TempHome home;
    buildStore(home.path());
    struct Progress : DayLoadProgress {
        bool shown = false;
        void show(const std::string&, const std::string&, int) override { shown = true; }
        void step() override {}
        void reset() override {}
        void hide() override { shown = false; }
    } progress;
    auto table = std::make_unique<RaceTable>();
    RecordingReporter reporter;
    DayLoadOptions options;
    options.reporter = &reporter;
    options.progress = &progress;
    ASSERT_TRUE(loadDay(*table, stamp(), options).loaded);

    fs::path odds = dataFile(stamp() + ".nvO1");
    fs::path aside = odds.string() + ".aside";
    fs::rename(odds, aside);
    fs::create_symlink(odds, odds);  // a link to itself: opening it fails, even for root
    EXPECT_FALSE(loadDay(*table, stamp(), options).loaded);
    ASSERT_EQ(reporter.informations.size(), 1u);
    EXPECT_EQ(reporter.informations[0].rfind("データファイルを読み込めませんでした。\n", 0), 0u);
    EXPECT_NE(reporter.informations[0].find(".nvO1"), std::string::npos);
    EXPECT_FALSE(progress.shown);
    EXPECT_FALSE(table->dayLoaded);
    EXPECT_TRUE(table->raceList.empty());
    EXPECT_EQ(table->currentSlot, -1);

    fs::remove(odds);
    fs::rename(aside, odds);
    EXPECT_TRUE(loadDay(*table, stamp(), options).loaded);
    EXPECT_EQ(table->raceList.size(), 3u);

    // A horse's past-run file, read among many at once, ends the load the same way.
    fs::path pastRuns = appFolder() / "SEI" / "2019" / "2019100001.nvSEI";
    fs::rename(pastRuns, aside);
    fs::create_symlink(pastRuns, pastRuns);
    EXPECT_FALSE(loadDay(*table, stamp(), options).loaded);
    ASSERT_EQ(reporter.informations.size(), 2u);
    EXPECT_NE(reporter.informations[1].find(".nvSEI"), std::string::npos);
    EXPECT_FALSE(table->dayLoaded);
    fs::remove(pastRuns);
    fs::rename(aside, pastRuns);
    EXPECT_TRUE(loadDay(*table, stamp(), options).loaded);
}

TEST(DayLoad, TooManyRacesAndRunnersAreCutAndReportedOnce) {
    TempHome home;
    fs::create_directories(appFolder() / "Data");
    std::vector<std::string> races;
    for (int i = 0; i < 100; ++i) races.push_back(ra(kDate, i < 50 ? "44" : "45", i % 50 + 1, i == 3 ? 20 : 2, "1700"));
    writeRecords(dataFile(stamp() + ".nvRA"), races);
    auto table = std::make_unique<RaceTable>();
    RecordingReporter reporter;
    DayLoadOptions options;
    options.reporter = &reporter;
    DayLoadResult r = loadDay(*table, stamp(), options);
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.racesIgnored, 4);
    EXPECT_EQ(r.runnerOverflows, 1);
    EXPECT_EQ(table->raceList.size(), 96u);
    EXPECT_EQ(reporter.informations.size(), 1u);
}

TEST(DayLoad, AutomaticTimesAndLatestPostFollowTheSettings) {
    TempHome home;
    fs::create_directories(appFolder() / "Data");
    writeRecords(dataFile(stamp() + ".nvRA"), {ra(kDate, "44", 1, 2, "1605"), ra(kDate, "44", 2, 2, "2020"),
                                               ra(kDate, "44", 3, 2, "    ")});
    writeFileAtomic(appFolder() / "Vexmora.ini",
                    "[Time]\r\nAutoOzGet=10\r\nAutoOzGetSec=30\r\nAutoTohyoInterval=5\r\nAutoRdataGet=7\r\n"
                    "[KaimeSet]\r\nDefaultAmount=5000\r\n");
    auto table = std::make_unique<RaceTable>();
    loadDay(*table, stamp(), {});
    EXPECT_EQ(table->races[0].oddsFetchTime, "155430");
    EXPECT_EQ(table->races[0].oddsRecheckTime, "155435");
    EXPECT_EQ(table->races[0].voteTime, "155440");
    EXPECT_EQ(table->races[2].oddsFetchTime, "");
    EXPECT_EQ(table->latestPostTime, "2020");
    EXPECT_EQ(table->resultRefreshMinutes, 7);
    EXPECT_FALSE(table->resultRefreshEnabled);  // not today
    EXPECT_EQ(table->defaultAmounts[0], 5000);
}

}  // namespace
}  // namespace vex

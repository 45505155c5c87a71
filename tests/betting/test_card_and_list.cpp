// Index card, bet list state across regenerations, sorting, hits and the bet-file viewer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/file_read.h"
#include "app/settings.h"
#include "betting/bet_page.h"
#include "betting/race_adapter.h"
#include "race_fixture.h"
#include "store/race_table.h"
#include "support/records.h"
#include "support/test_support.h"

namespace vex {
namespace {

std::vector<std::string> column(const TextGrid& g, int col) {
    std::vector<std::string> out;
    for (int r = 1; r < g.rowCount(); ++r) out.push_back(g.cell(col, r));
    return out;
}

TEST(IndexCard, FillShowsValuesCodesAndBlanks) {
    BetRace race = test::fixtureRace(4);
    race.cardRows[0].compiValue = 11;
    race.cardRows[1].compiValue = 13;
    race.cardRows[2].compiValue = 7;
    race.cardRows[2].compiRank = 0;
    race.cardRows[2].winOdds = -1.0;
    race.cardRows[2].winPopularity = 0;
    race.cardRows[3].zoneFlag = 1;
    race.cardRows[3].winOdds = 123.45;
    race.zonePattern = 3;
    IndexCard card;
    card.fill(race);
    const TextGrid& g = card.grid();
    ASSERT_EQ(g.rowCount(), 5);
    EXPECT_EQ(g.cell(3, 1), sj("消"));
    EXPECT_EQ(g.cell(3, 2), sj("止"));
    EXPECT_EQ(g.cell(3, 3), "     ");
    EXPECT_EQ(g.cell(3, 4), " 44");
    EXPECT_EQ(g.cell(4, 3), sj("　"));
    EXPECT_EQ(g.cell(6, 3), sj("　"));
    EXPECT_EQ(g.cell(5, 3), "     ");
    EXPECT_EQ(g.cell(5, 4), "123.5");
    EXPECT_EQ(g.cell(7, 4), sj("☆"));
    EXPECT_EQ(g.cell(7, 1), "");
    EXPECT_EQ(g.cell(2, 1).size(), 36u);
    EXPECT_EQ(card.zoneLabel(), "C");
}

TEST(IndexCard, SortFlagsTiesAndMarkHeaders) {
    BetRace race = test::fixtureRace(6);
    for (int i = 0; i < 6; ++i) race.cardRows[i].winPopularity = i < 3 ? 2 : 1;  // ties
    race.cardRows[1].zoneFlag = 1;
    race.cardRows[4].zoneFlag = 1;
    IndexCard card;
    card.fill(race);
    card.cellClick(8, 6);  // mark horse 6: it must travel with its row
    card.headerClick(6);   // first click: descending, ties by horse ascending
    EXPECT_EQ(column(card.grid(), 1), (std::vector<std::string>{" 1", " 2", " 3", " 4", " 5", " 6"}));
    card.headerClick(6);
    EXPECT_EQ(column(card.grid(), 1), (std::vector<std::string>{" 4", " 5", " 6", " 1", " 2", " 3"}));
    EXPECT_TRUE(card.hasMark(8, 3));
    card.headerClick(1);
    EXPECT_EQ(column(card.grid(), 1), (std::vector<std::string>{" 6", " 5", " 4", " 3", " 2", " 1"}));
    // Mark header: ☆ rows marked, every other row cleared (horse 6's mark goes).
    EXPECT_TRUE(card.headerClick(9));
    EXPECT_TRUE(card.headerClick(8));
    std::vector<std::string> marks = column(card.grid(), 8);
    EXPECT_EQ(marks, (std::vector<std::string>{"", sj("ν"), "", "", sj("ν"), ""}));
    // Without ☆ runners the header clears the whole column.
    race.cardRows[1].zoneFlag = race.cardRows[4].zoneFlag = 0;
    race.slot = 9;
    card.fill(race);
    card.setColumn(8, true);
    card.headerClick(8);
    EXPECT_EQ(column(card.grid(), 8), std::vector<std::string>(6, ""));
}

TEST(IndexCard, SameRaceKeepsMarksAnotherClearsThem) {
    BetRace race = test::fixtureRace(8, 1);
    IndexCard card;
    card.fill(race);
    card.cellClick(8, 3);
    card.cellClick(11, 5);
    card.headerClick(4);  // sorted: the refill puts rows back in horse order first
    card.fill(race);
    EXPECT_TRUE(card.hasMark(8, 3));
    EXPECT_TRUE(card.hasMark(11, 5));
    EXPECT_EQ(card.horseOfRow(3), 3);
    BetRace other = test::fixtureRace(8, 2);
    card.fill(other);
    for (int c = 8; c <= 11; ++c) EXPECT_EQ(column(card.grid(), c), std::vector<std::string>(8, ""));
}

TEST(IndexCard, VisibilityPairsAndMethods) {
    EXPECT_TRUE(methodItems(BetKind::Win).empty());
    EXPECT_EQ(methodItems(BetKind::Trifecta).size(), 4u);
    EXPECT_EQ(markColumnsShown(BetKind::Quinella, 1), (std::array<bool, 4>{true, false, false, true}));
    EXPECT_EQ(markColumnsShown(BetKind::Trio, 3), (std::array<bool, 4>{true, true, true, false}));
    EXPECT_EQ(markColumnsShown(BetKind::Trifecta, 2), (std::array<bool, 4>{true, true, true, false}));
    EXPECT_EQ(multiBoxesShown(BetKind::BracketExacta, 0), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(multiBoxesShown(BetKind::Trifecta, 3), (std::array<bool, 4>{true, true, true, true}));
    EXPECT_EQ(multiBoxesShown(BetKind::Trifecta, 0), (std::array<bool, 4>{}));
    EXPECT_EQ(markPairColumn(2, BetKind::Trio, 2), 11);
    EXPECT_EQ(markPairColumn(2, BetKind::Trifecta, 2), 9);
    EXPECT_EQ(markPairColumn(2, BetKind::Quinella, 0), -1);
    EXPECT_EQ(markPairColumn(3, BetKind::Trio, 2), -1);
    EXPECT_EQ(markPairColumn(3, BetKind::Trifecta, 2), 10);
    EXPECT_EQ(markPairColumn(3, BetKind::Quinella, 3), 10);
}

TEST(BetPage, EraseMarksSurviveOnlyRegenerationsThatKeepTheList) {
    const BetRace race = test::fixtureRace(10);
    BetPage page;
    page.setStakeMode(StakeMode::Even2);
    page.selectRace(race);
    page.setKind(BetKind::Quinella);
    for (int h : {1, 2, 3}) page.cardCellClick(8, h);
    ASSERT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 1- 2", " 1- 3", " 2- 3"}));
    page.betListClick(0, 2);  // erase " 1- 3"
    EXPECT_EQ(page.betList().cell(0, 2), eraseMark());
    EXPECT_EQ(page.labels().count, "  2");
    EXPECT_EQ(page.betList().cell(6, 2), "");
    // A mark click, "全", a stake-mode change and another erase keep it.
    page.cardCellClick(8, 4);
    page.markPair(1, true);
    page.setStakeMode(StakeMode::Flat2);
    page.betListClick(0, 1);
    auto erased = [&] {
        std::vector<std::string> out;
        for (int r = 1; r < page.betList().rowCount(); ++r)
            if (page.betList().cell(0, r) == eraseMark()) out.push_back(page.betList().cell(2, r));
        return out;
    };
    EXPECT_EQ(erased(), (std::vector<std::string>{" 1- 2", " 1- 3"}));
    // An erase toggle on a sorted list returns the rows to combination order.
    page.betListHeaderClick(2);
    EXPECT_EQ(page.betList().cell(2, 1), " 9-10");
    page.betListClick(0, 1);
    EXPECT_EQ(page.betList().cell(2, 1), " 1- 2");
    EXPECT_EQ(erased(), (std::vector<std::string>{" 1- 2", " 1- 3", " 9-10"}));
    // A row the filter drops loses its mark.
    page.setStakeMode(StakeMode::Even);
    page.betListClick(0, 1);  // un-erase " 1- 2"
    // A kind, method, multi or filter change forgets all.
    page.setMethod(0);
    EXPECT_TRUE(erased().empty());
    page.betListClick(0, 1);
    page.setKind(BetKind::Quinella);
    EXPECT_TRUE(erased().empty());
    page.betListClick(0, 1);
    page.setLowerText("1.0");
    EXPECT_TRUE(erased().empty());
    page.betListClick(0, 1);
    page.selectRace(race);
    EXPECT_TRUE(erased().empty());
    // A click on the header row or on another column erases nothing.
    page.betListClick(1, 1);
    page.betListClick(0, 0);
    EXPECT_TRUE(erased().empty());
}

TEST(BetPage, FilterDropsEraseMarkForGood) {
    const BetRace race = test::fixtureRace(10);
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Win);
    for (int h : {1, 2}) page.cardCellClick(8, h);
    page.betListClick(0, 1);
    ASSERT_EQ(page.betList().cell(0, 1), eraseMark());
    // Unmark horse 1: the line goes; marking it again does not bring the erase mark back.
    page.cardCellClick(8, 1);
    page.cardCellClick(8, 1);
    EXPECT_EQ(page.betList().cell(0, 1), "");
}

TEST(BetPage, SortByOddsTwiceAndTieOnNumber) {
    BetRace race = test::fixtureRace(6);
    auto& odds = race.odds[static_cast<int>(BetKind::Win)];
    odds[1] = 5.0, odds[2] = 3.0, odds[3] = 5.0, odds[4] = 9.9;
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Win);
    for (int h : {1, 2, 3, 4}) page.cardCellClick(8, h);
    page.betListHeaderClick(3);
    EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 4", " 1", " 3", " 2"}));
    page.betListHeaderClick(3);
    EXPECT_EQ(column(page.betList(), 2), (std::vector<std::string>{" 2", " 1", " 3", " 4"}));
    EXPECT_EQ(page.sortState().flag(3), 0);
    EXPECT_EQ(page.sortState().lastColumn(), 3);
    page.betListHeaderClick(1);  // number descending
    EXPECT_EQ(column(page.betList(), 1), (std::vector<std::string>{" 4", " 3", " 2", " 1"}));
}

TEST(BetPage, HitsPerKind) {
    BetRace race = test::fixtureRace(12);
    race.winHorses = {5, 0, 0};
    race.placeHorses = {5, 7, 2, 9, 0};
    race.paidLabels[static_cast<int>(BetKind::BracketExacta)] = {" 5- 6"};
    race.paidLabels[static_cast<int>(BetKind::Trifecta)] = {" 5- 7- 2"};
    EXPECT_TRUE(isHit(BetKind::Win, {5, 0, 0}, race));
    EXPECT_FALSE(isHit(BetKind::Win, {7, 0, 0}, race));
    EXPECT_TRUE(isHit(BetKind::Place, {2, 0, 0}, race));
    EXPECT_FALSE(isHit(BetKind::Place, {9, 0, 0}, race));  // only the first three place entries
    EXPECT_FALSE(isHit(BetKind::Win, {}, race));
    EXPECT_FALSE(isHit(BetKind::Place, {}, race));
    EXPECT_TRUE(isHit(BetKind::BracketExacta, {5, 6, 0}, race));
    EXPECT_FALSE(isHit(BetKind::BracketExacta, {6, 5, 0}, race));
    EXPECT_TRUE(isHit(BetKind::Trifecta, {5, 7, 2}, race));
    EXPECT_FALSE(isHit(BetKind::Trio, {5, 7, 2}, race));
    // The window asks by grid row: row r is line r, and the empty row of a list without lines is none.
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Win);
    EXPECT_FALSE(page.rowIsHit(1));
    page.cardCellClick(8, 5);
    page.cardCellClick(8, 7);
    EXPECT_TRUE(page.rowIsHit(1));
    EXPECT_FALSE(page.rowIsHit(2));
    EXPECT_FALSE(page.rowIsHit(3));
    page.betListHeaderClick(2);  // descending: horse 7 first
    EXPECT_FALSE(page.rowIsHit(1));
    EXPECT_TRUE(page.rowIsHit(2));
}

TEST(BetPage, SettingsRestoredAndWrittenOnChanges) {
    test::TempHome home;
    Settings ini;
    write(ini, settings::kBetKindItem, 7);
    ini.writeInteger(settings::kBetMethodSection, settings::kBetMethodKey, 3);
    write(ini, settings::kStakeSplit, 4);
    write(ini, settings::kOddsLower, "2.5");
    write(ini, settings::kDefaultAmount, 5000);
    {
        BetPage page(&ini);
        EXPECT_EQ(page.kind(), BetKind::Trifecta);
        EXPECT_EQ(page.method(), 3);
        EXPECT_EQ(page.stakeMode(), StakeMode::Proportional);
        EXPECT_EQ(page.lowerText(), "2.5");
        EXPECT_EQ(page.upperText(), "9999999.9");
        page.selectRace(test::fixtureRace(8));
        EXPECT_EQ(page.amount(), 5000);
        page.setKind(BetKind::Quinella);  // stored method 3 does not fit: 0
        EXPECT_EQ(page.method(), 0);
        page.setMethod(1);
        page.setUpperText("");
        page.setStakeMode(StakeMode::Flat);
    }
    EXPECT_EQ(read(ini, settings::kBetKindItem), 3);
    EXPECT_EQ(ini.readInteger(settings::kBetMethodSection, settings::kBetMethodKey, -9), 1);
    EXPECT_EQ(read(ini, settings::kOddsUpper), "");
    EXPECT_EQ(read(ini, settings::kStakeSplit), 2);
    EXPECT_EQ(storeDefaultAmount(ini, 50), 100);
    EXPECT_EQ(readDefaultAmount(ini), 100);
    // Without persistence nothing is written.
    BetPage quiet(&ini, false);
    quiet.setKind(BetKind::QuinellaPlace);
    EXPECT_EQ(read(ini, settings::kBetKindItem), 3);
}

TEST(BetPage, AnUnreadableSettingsFileIsNeitherReplacedNorInTheWayOfAChoice) {
    test::TempHome home;
    Settings ini;
    write(ini, settings::kStakeSplit, 4);
    const std::string saved = readFileBytes(ini.path());
    ASSERT_TRUE(setFileFaults("read:Vexmora.ini"));
    BetPage page(&ini);
    page.selectRace(test::fixtureRace(8));
    EXPECT_NO_THROW(page.setStakeMode(StakeMode::Flat));
    EXPECT_NO_THROW(page.setKind(BetKind::Quinella));
    setFileFaults("");
    EXPECT_EQ(page.stakeMode(), StakeMode::Flat);
    EXPECT_EQ(page.kind(), BetKind::Quinella);
    EXPECT_EQ(readFileBytes(ini.path()), saved);
}

TEST(BetPage, RaceFromTheRaceTable) {
    auto table = std::make_unique<RaceTable>();
    const int slot = 4;
    const std::string key = test::raceKey("20240115", "44", 11);
    table->raw[slot].ra.assign(test::Record::ra(key).post("1630").runners(10).str());
    for (int m = 0; m < 10; ++m)
        table->raw[slot].se[m].assign(test::Record::se(key).frame(FrameOfHorse(10, m + 1)).horse(m + 1).str());
    RaceRecord& rec = table->races[slot];
    rec.trifectaOdds[CombinationIndex(BetKind::Trifecta, 3, 1, 2)] = 123.4;
    rec.trifectaPopularity[CombinationIndex(BetKind::Trifecta, 3, 1, 2)] = 77;
    rec.zoneFlag[7] = 1;
    rec.payouts.trifectaLabels[0] = " 3- 1- 2";
    table->bracketExactaLabels[slot][0] = " 2- 1";
    table->raceList = {sj("大井10R"), sj("大井11R")};
    table->raceListSlots = {3, 4};
    const BetRace race = betRaceOf(*table, slot);
    EXPECT_EQ(race.runners, 10);
    EXPECT_EQ(race.cardRows[9].horse, 10);
    EXPECT_EQ(race.cardRows[9].frame, 8);
    EXPECT_EQ(race.cardRows[6].zoneFlag, 1);
    EXPECT_EQ(race.listEntry, sj("大井11R"));
    EXPECT_EQ(race.postTime, "1630");
    EXPECT_DOUBLE_EQ(race.oddsOf(BetKind::Trifecta, CombinationIndex(BetKind::Trifecta, 3, 1, 2)), 123.4);
    EXPECT_TRUE(isHit(BetKind::Trifecta, {3, 1, 2}, race));
    EXPECT_TRUE(isHit(BetKind::BracketExacta, {2, 1, 0}, race));
    EXPECT_FALSE(isHit(BetKind::Trio, {}, race));
}

// New odds for the race shown change the odds and the stakes split by them, nothing the user set.
TEST(BetPage, FreshOddsKeepWhatTheUserSet) {
    BetRace race = test::fixtureRace(10);
    BetPage page;
    page.selectRace(race);
    page.setKind(BetKind::Quinella);
    page.setMethod(1);
    page.setStakeMode(StakeMode::Proportional);
    for (auto [col, h] : {std::pair{8, 2}, {11, 4}, {11, 6}, {11, 9}}) page.cardCellClick(col, h);
    page.betListClick(kListErase, 3);
    page.setAmount(5000);
    const std::vector<std::string> marksBefore = {page.card().grid().cell(8, 2), page.card().grid().cell(11, 6)};
    const long long firstStake = page.bets().lines[0].stake;

    race.odds[static_cast<int>(BetKind::Quinella)][CombinationIndex(BetKind::Quinella, 2, 4)] = 50.0;
    page.refreshRace(race);
    EXPECT_EQ(page.amount(), 5000);
    EXPECT_EQ(page.kind(), BetKind::Quinella);
    EXPECT_EQ(page.method(), 1);
    EXPECT_EQ(page.stakeMode(), StakeMode::Proportional);
    EXPECT_EQ((std::vector<std::string>{page.card().grid().cell(8, 2), page.card().grid().cell(11, 6)}), marksBefore);
    ASSERT_EQ(page.bets().lines.size(), 3u);
    EXPECT_TRUE(page.bets().lines[2].erased);
    EXPECT_EQ(page.betList().cell(kListOdds, 1), "   50.0");
    EXPECT_LT(page.bets().lines[0].stake, firstStake);  // a longer price takes a smaller share
}

// Scratches reach the store as "----" or blank win odds (and, with the results, as the runner
// record's abnormality); before any odds are read a blank says nothing.
TEST(BetPage, RunnersThatDoNotStartFromTheRaceTable) {
    auto table = std::make_unique<RaceTable>();
    const int slot = 2;
    const std::string key = test::raceKey("20240115", "44", 3);
    table->raw[slot].ra.assign(test::Record::ra(key).post("1230").runners(8).str());
    for (int m = 0; m < 8; ++m) {
        test::Record se = test::Record::se(key).frame(m + 1).horse(m + 1);
        if (m == 6) se.set(SE::Abnormality, "2");
        table->raw[slot].se[m].assign(se.str());
    }
    RaceRecord& rec = table->races[slot];
    rec.winOdds.fill(NoData);
    EXPECT_EQ(betRaceOf(*table, slot).nonStarter, (std::array<bool, 19>{false, false, false, false, false, false,
                                                                        false, true}));
    for (int h = 1; h <= 8; ++h) rec.winOdds[h] = 2.0 + h;
    rec.winOdds[3] = Cancelled;
    rec.winOdds[5] = NoData;
    const BetRace race = betRaceOf(*table, slot);
    std::vector<int> out;
    for (int h = 1; h <= 18; ++h)
        if (race.nonStarter[h]) out.push_back(h);
    EXPECT_EQ(out, (std::vector<int>{3, 5, 7}));
}

TEST(BetFiles, ViewerDecodesLinesAndListsBothKinds) {
    std::string line(90, '0');
    line.replace(1, 8, "01154411");
    line[9] = '9';
    line[13] = '1';   // position 14 -> "3,"
    line[46] = '1';   // position 47 -> "12,"
    line[65] = '1';
    line.replace(83, 5, "00005");
    const TextGrid g = decodeBetLines({line, "0"});
    ASSERT_EQ(g.rowCount(), 3);
    EXPECT_EQ(g.row(1), (std::vector<std::string>{"   1", "01/15", sj("大井"), "11", sj("3連単"), "0", "3,", "12,", "7,",
                                                  "    5", "0", "0"}));
    // A short line decodes what it has; the zero fields stay blank.
    EXPECT_EQ(g.cell(3, 2), "  ");
    EXPECT_EQ(g.cell(9, 2), "     ");
    EXPECT_EQ(decodeBetLines({}).rowCount(), 2);

    test::TempHome home;
    std::filesystem::create_directories(home.path() / "kaime");
    for (const char* name : {"240115.nbet", "a.txt", "b.csv"}) std::ofstream(home.path() / "kaime" / name) << "x";
    EXPECT_EQ(listBetFiles(home.path() / "kaime"), (std::vector<std::string>{"240115.nbet", "a.txt"}));
    EXPECT_TRUE(listBetFiles(home.path() / "missing").empty());
}

}  // namespace
}  // namespace vex

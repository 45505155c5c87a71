#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "compi/compi_page_import.h"
#include "compi/compi_page_source.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

std::string samplePage(const std::string& name) {
    return readFileBytes(fs::path(VEXMORA_SOURCE_DIR) / "tests" / "data" / "compi" / name);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// One expected line: key, horse slots (padded to 72), recommended horse, frame slots, frame.
std::string expectedLine(const std::string& key, int race, const std::string& horses, int rec,
                         const std::string& frames, int recFrame) {
    char number[8];
    std::string line = key;
    std::snprintf(number, sizeof number, "%2d", race);
    line += number + horses + std::string(72 - horses.size(), ' ');
    std::snprintf(number, sizeof number, "%2d", rec);
    line += number + frames + std::string(32 - frames.size(), ' ');
    std::snprintf(number, sizeof number, "%2d", recFrame);
    return line + number;
}

fs::path dataFile(const char* utf8Name) { return appFolder() / "Data" / utf8Name; }

TEST(CompiPageImport, AllTracksLayoutGivesTheExactFile) {
    test::TempHome home;
    test::RecordingReporter reporter;
    auto result = importCompiPage(samplePage("page2022_oi.html"), reporter);
    ASSERT_EQ(result.outcome, CompiImportResult::Written);
    EXPECT_EQ(result.file, dataFile("2024年05月12日大井.Comp"));
    EXPECT_EQ(reporter.questions, std::vector<std::string>{"[2024年05月12日大井]のコンピ指数を取り込みますか？"});
    EXPECT_EQ(reporter.informations, std::vector<std::string>{"[2024年05月12日大井]のコンピ指数を取り込みました。"});

    std::string key = "20240512" + sj("大井");
    std::vector<std::string> expected;
    // Race １: 7 runners, 7 frames, horse 3 (61, equal to horse 6) marked; 6 goes first.
    expected.push_back(expectedLine(key, 1, " 580 272 661 361 155 750 448", 3, " 580 272 661 361 155 750 448", 3));
    // Race ２: 12 runners; frame 8 holds 11 (58) and 12 (61) and takes 61; frame 6 holds 7 and 8.
    expected.push_back(expectedLine(key, 2, " 786 470 16610621261 5591158 253 851 949 347 644", 7,
                                    " 686 470 166 762 861 559 253 347", 6));
    for (int race = 3; race <= 12; ++race) expected.push_back(expectedLine(key, race, "", 0, "", 0));
    // Race 10: 9 runners (horse 9 written with one digit); three horses at 60, the highest first.
    expected[9] = expectedLine(key, 10, " 883 275 568 760 360 160 452 949 645", 0, " 883 275 568 760 360 160 452 645", 0);
    // The race marker inside the page's own frame section (race 3) is not read.
    auto lines = readLines(result.file);
    ASSERT_EQ(lines.size(), 12u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].size(), 122u) << "line " << i + 1;
        EXPECT_EQ(lines[i], expected[i]) << "line " << i + 1;
    }
    EXPECT_EQ(readFileBytes(result.file).substr(122, 2), "\r\n");
}

TEST(CompiPageImport, SouthKantoLayoutTakesItsTracksAndGoesOnWithoutOne) {
    test::TempHome home;
    test::RecordingReporter reporter;
    std::string page = samplePage("page2024_nagoya.html");
    auto result = importCompiPage(page, reporter, false);
    ASSERT_EQ(result.outcome, CompiImportResult::Written);
    EXPECT_TRUE(reporter.questions.empty());
    auto lines = readLines(dataFile("2024年06月03日名古.Comp"));
    ASSERT_EQ(lines.size(), 12u);
    std::string key = "20240603" + sj("名古");
    // Horse 3 is marked by the cell opened at the end of horse 2's line.
    EXPECT_EQ(lines[0], expectedLine(key, 1, " 390 671 766 162 258 555 850 447", 3, " 390 671 766 162 258 555 850 447", 3));
    EXPECT_EQ(lines[10], expectedLine(key, 11, " 277 177 340", 0, " 277 177 340", 0));

    // Without a known track the name is two full-width spaces and the import goes on.
    test::RecordingReporter second;
    result = importCompiPage(replaced(page, "名古屋競馬", "ばんえい"), second);
    ASSERT_EQ(result.outcome, CompiImportResult::Written);
    EXPECT_EQ(second.questions.at(0), "[2024年06月03日　　]のコンピ指数を取り込みますか？");
    lines = readLines(dataFile("2024年06月03日　　.Comp"));
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[10], expectedLine("20240603" + sj("　　"), 11, " 277 177 340", 0, " 277 177 340", 0));

    // The longer title wins even when the page also holds the shorter one.
    std::vector<std::string_view> both = {"<title>コンピ指数（詳細）- 地方競馬</title>",
                                          "  <title>コンピ指数（詳細）- 地方競馬全場コンピ</title>"};
    EXPECT_EQ(compiPageLayout({both[1], both[0]}), CompiPageLayout::AllTracks2022);
    EXPECT_EQ(compiPageLayout(both), CompiPageLayout::SouthKanto2024);
}

TEST(CompiPageImport, NoAtTheQuestionAndUnusablePagesWriteNothing) {
    test::TempHome home;
    std::string page = samplePage("page2022_oi.html");
    fs::path file = dataFile("2024年05月12日大井.Comp");
    fs::create_directories(file.parent_path());
    writeFileAtomic(file, "old\r\n");

    test::RecordingReporter no;
    no.answers = {false};
    EXPECT_EQ(importCompiPage(page, no).outcome, CompiImportResult::Declined);
    EXPECT_TRUE(no.informations.empty());
    EXPECT_EQ(readFileBytes(file), "old\r\n");

    struct Case {
        std::string page;
        CompiImportResult::Outcome outcome;
        std::vector<std::string> said;
    };
    const std::string wrong = "データが正しくないか、存在しません。";
    std::vector<Case> cases = {
        {"<html><body>nothing here</body></html>", CompiImportResult::NotAPage, {}},
        {replaced(page, "大井</h2>", "金沢</h2>"), CompiImportResult::Refused, {wrong}},  // not a Kanto track
        {replaced(page, "5月12日", "13月12日"), CompiImportResult::Refused, {wrong}},
        {replaced(page, "line line_bottom", "other"), CompiImportResult::Refused, {wrong}},
        {replaced(samplePage("page2024_nagoya.html"), "2024年", "24年"), CompiImportResult::NotAPage, {}},
        {page.substr(0, page.find("10</b>62")), CompiImportResult::Refused,
         {"[2024年05月12日大井]のページは途中で切れています。何も書き込みませんでした。"}},
    };
    for (const Case& c : cases) {
        test::RecordingReporter reporter;
        EXPECT_EQ(importCompiPage(c.page, reporter).outcome, c.outcome);
        EXPECT_EQ(reporter.informations, c.said);
        EXPECT_TRUE(reporter.questions.empty());
        EXPECT_EQ(readFileBytes(file), "old\r\n");
    }
}

TEST(CompiPageImport, RacesWithDataWeCannotStandBehindAreWrittenEmptyAndNamed) {
    test::TempHome home;
    std::string page = samplePage("page2022_oi.html");
    page = replaced(page, "5</b>80", "5</b>95");                    // race １: out of range
    page = replaced(page, "4</b>70</td>", "4</b>70</td>\n4</b>71</td>");  // race ２: horse 4 twice
    page = replaced(page, "9</b>49</td><td class=\"name\">サンプル9号</td></tr>",
                    "9</b>49</td></tr>\n17</b>50</td></tr>");           // race 10: horse 17
    test::RecordingReporter reporter;
    auto result = importCompiPage(page, reporter, false);
    ASSERT_EQ(result.outcome, CompiImportResult::Written);
    ASSERT_EQ(reporter.informations.size(), 4u);
    EXPECT_EQ(reporter.informations[1], "[2024年05月12日大井]1Rは取り込みませんでした（5番の指数95は40～90の外です）。");
    EXPECT_EQ(reporter.informations[2], "[2024年05月12日大井]2Rは取り込みませんでした（4番に二つの指数があります）。");
    EXPECT_EQ(reporter.informations[3], "[2024年05月12日大井]10Rは取り込みませんでした（17番は16頭を超える馬番です）。");
    auto lines = readLines(result.file);
    ASSERT_EQ(lines.size(), 12u);
    std::string key = "20240512" + sj("大井");
    for (int race : {1, 2, 10}) EXPECT_EQ(lines[static_cast<std::size_t>(race - 1)], expectedLine(key, race, "", 0, "", 0));
}

TEST(CompiPageImport, HorseLinesFollowBothByteRulesAndTheBlockLimits) {
    auto parse = [](std::vector<std::string_view> lines) {
        CompiPage page;
        collectCompiPageRaces(lines, page);
        return page;
    };
    // "9" then a non-digit: value from bytes 6-7; "12": value from bytes 7-8; " 7" reads as 7.
    CompiPage page = parse({"<span class=\"race\"><span class=\"font14\">３</span>R", "9xxxx61 tail", "12xxxx58",
                            " 7xxxx77", "x1xxxx99", "race_name", "3xxxx70"});
    EXPECT_EQ(page.races[3].value[9], 61);
    EXPECT_EQ(page.races[3].value[12], 58);
    EXPECT_EQ(page.races[3].value[7], 77);
    EXPECT_EQ(page.races[3].value[3], 0);  // after race_name
    EXPECT_TRUE(page.races[3].refusal.empty());

    // Lines after the 16th are never read (the 17th would bring a value out of range); races
    // outside 1..12 are skipped.
    std::vector<std::string> block = {"<span class=\"race\"><span class=\"font14\">12</span>R"};
    for (int h = 1; h <= 16; ++h) block.push_back(std::to_string(h) + "xxxx50");
    block.push_back("1xxxx99");
    block.push_back("<span class=\"race\"><span class=\"font14\">13</span>R");
    block.push_back("1xxxx60");
    std::vector<std::string_view> views(block.begin(), block.end());
    page = parse(views);
    EXPECT_TRUE(page.races[12].refusal.empty());
    for (int h = 1; h <= 16; ++h) EXPECT_EQ(page.races[12].value[static_cast<std::size_t>(h)], 50);
    for (int race = 1; race <= 11; ++race) EXPECT_EQ(page.races[static_cast<std::size_t>(race)].value[1], 0);
}

TEST(CompiPageImport, AnUnreadableCompiFileIsNeverReplaced) {
    test::TempHome home;
    fs::path file = dataFile("2024年05月12日大井.Comp");
    fs::create_directories(file.parent_path());
    writeFileAtomic(file, "old\r\n");
    ASSERT_TRUE(setFileFaults("read:2024年05月12日大井.Comp"));
    test::RecordingReporter reporter;
    auto result = importCompiPage(samplePage("page2022_oi.html"), reporter, false);
    setFileFaults("");
    EXPECT_EQ(result.outcome, CompiImportResult::WriteFailed);
    ASSERT_EQ(reporter.informations.size(), 1u);
    EXPECT_NE(reporter.informations[0].find("2024年05月12日大井.Comp"), std::string::npos);
    EXPECT_EQ(readFileBytes(file), "old\r\n");
}

TEST(CompiPageSource, BothLayoutsReadBackAsWritten) {
    test::TempHome home;
    std::vector<CompiPageRaceValues> races = {{1, {62, 90, 0, 55}, 2}, {12, {}, 0}};
    for (int h = 1; h <= 16; ++h) races[1].values.push_back(40 + 3 * h);
    races[1].recommendedHorse = 1;
    std::string key = "20240703" + sj("船橋");
    for (CompiPageLayout layout : {CompiPageLayout::AllTracks2022, CompiPageLayout::SouthKanto2024}) {
        test::RecordingReporter reporter;
        auto result = importCompiPage(compiPageSource(layout, 2024, 7, 3, "船橋", races), reporter, false);
        ASSERT_EQ(result.outcome, CompiImportResult::Written);
        auto lines = readLines(result.file);
        ASSERT_EQ(lines.size(), 12u);
        // Horse 3 has no value (scratched): four runners still, frames equal horses.
        EXPECT_EQ(lines[0], expectedLine(key, 1, " 290 162 455", 2, " 290 162 455", 2));
        // 16 runners: frame 8 holds 15 and 16, frame 1 horse 1 alone.
        EXPECT_EQ(lines[11].substr(14, 8), "16881585");
        EXPECT_EQ(lines[11].substr(86, 2), " 1");
        EXPECT_EQ(lines[11].substr(88, 4), " 888");
        EXPECT_EQ(lines[11].substr(120, 2), " 1");
        EXPECT_EQ(lines[1], expectedLine(key, 2, "", 0, "", 0));
    }
}

// A marked horse without a value ("--") stays the recommended horse as the page marks it; its
// frame is no recommended frame, since the horse has no value.
TEST(CompiPageSource, AMarkedHorseWithoutAValueStaysRecommended) {
    test::TempHome home;
    std::vector<CompiPageRaceValues> races = {{1, {62, 90, 0, 55}, 3}};
    std::string key = "20240703" + sj("船橋");
    for (CompiPageLayout layout : {CompiPageLayout::AllTracks2022, CompiPageLayout::SouthKanto2024}) {
        test::RecordingReporter reporter;
        auto result = importCompiPage(compiPageSource(layout, 2024, 7, 3, "船橋", races), reporter, false);
        ASSERT_EQ(result.outcome, CompiImportResult::Written);
        EXPECT_EQ(readLines(result.file)[0], expectedLine(key, 1, " 290 162 455", 3, " 290 162 455", 0));
    }
}

}  // namespace
}  // namespace vex

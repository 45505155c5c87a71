#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "support/test_support.h"
#include "vocabulary/fields.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;

fs::path samplePath(const std::string& name) { return fs::path(VEXMORA_SOURCE_DIR) / "tests" / "data" / "compi" / name; }

TEST(CliCompiImport, ImportsUtf8AndCp932PagesWithoutAsking) {
    test::TempHome home;
    int code = -1;
    std::string out = test::runCli("compi-import '" + samplePath("page2022_oi.html").string() + "'", code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, "[2024年05月12日大井]のコンピ指数を取り込みました。\n");
    fs::path written = home.path() / "Data" / "2024年05月12日大井.Comp";
    std::string fromUtf8 = readFileBytes(written);
    ASSERT_EQ(fromUtf8.size(), 12u * 124u);

    // The same page saved in CP932 gives the same file.
    fs::remove(written);
    fs::path cp932Page = home.path() / "page.html";
    writeFileAtomic(cp932Page, toCp932(readFileBytes(samplePath("page2022_oi.html"))));
    out = test::runCli("compi-import '" + cp932Page.string() + "'", code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFileBytes(written), fromUtf8);
}

TEST(CliCompiImport, PagesWithoutALayoutAndRefusalsFailSayingWhy) {
    test::TempHome home;
    fs::path page = home.path() / "page.html";
    int code = -1;
    writeFileAtomic(page, std::string("\xff\xfe<html>\x82\xa0\x80</html>"));  // no encoding, no layout
    EXPECT_EQ(test::runCli("compi-import '" + page.string() + "' 2>&1", code),
              page.string() + ": UTF-8 でも CP932 でもありません。何も書き込みませんでした。\n");
    EXPECT_EQ(code, 1);
    writeFileAtomic(page, "<title>コンピ指数（詳細）- 地方競馬全場コンピ</title>\n");
    EXPECT_EQ(test::runCli("compi-import '" + page.string() + "'", code), "データが正しくないか、存在しません。\n");
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(fs::exists(home.path() / "Data"));
    test::runCli("compi-import 2>/dev/null", code);
    EXPECT_EQ(code, 2);
    test::runCli("compi-import '" + (home.path() / "none.html").string() + "' 2>/dev/null", code);
    EXPECT_EQ(code, 1);
}

// A simulated day: its generated pages, imported, give the day Compi values and zone patterns; the
// two layouts of a southern-Kanto track give the same file.
TEST(CliCompiPages, SimulatedPagesGiveTheDayItsCompiIndex) {
    test::TempHome home;
    const std::string env = "VEXMORA_SERVICE=sim VEXMORA_NOW='2024/05/15 09:00:00'";
    int code = -1;
    test::runCli("download --from '2024/05/14 00:00:00' >/dev/null", code, env);
    ASSERT_EQ(code, 0);
    fs::path pages = home.path() / "pages";
    EXPECT_EQ(test::runCli("compi-pages '" + pages.string() + "' --from 20240515 --to 20240515", code, env), "pages: 7\n");
    ASSERT_EQ(code, 0);
    fs::path kanto2022 = pages / "20240515-42-2022.html", kanto2024 = pages / "20240515-42-2024.html";
    fs::path written = home.path() / "Data" / "2024年05月15日浦和.Comp";
    test::runCli("compi-import '" + kanto2022.string() + "'", code, env);
    std::string from2022 = readFileBytes(written);
    ASSERT_EQ(from2022.size(), 12u * 124u);
    for (const auto& entry : fs::directory_iterator(pages))
        if (entry.path().string().ends_with("-2024.html")) test::runCli("compi-import '" + entry.path().string() + "'", code, env);
    EXPECT_EQ(readFileBytes(written), from2022);

    int patterns = 0, racesWithValues = 0;
    for (int n = 1; n <= 40; ++n) {
        std::string card = test::runCli("card 2024年05月15日 " + std::to_string(n) + " 2>/dev/null", code, env);
        if (code != 0) continue;
        patterns += card.rfind("ZONE\t", 0) == 0 && card.size() > 5 && card[5] != '\n';
        // The ｺﾝﾋﾟ column (the fourth) of the runner lines holds values.
        bool valued = false;
        for (std::string_view line : splitLines(card)) {
            std::size_t at = 0;
            for (int tab = 0; tab < 3 && at != std::string_view::npos; ++tab) at = line.find('\t', at + 1);
            if (at != std::string_view::npos && at + 3 < line.size() && isDigit(line[at + 2]) && isDigit(line[at + 3])) valued = true;
        }
        racesWithValues += valued;
    }
    EXPECT_GT(patterns, 0);
    EXPECT_GT(racesWithValues, 10);
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "support/test_support.h"
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

TEST(CliCompiImport, NoLayoutIsSilentAndRefusalsFail) {
    test::TempHome home;
    fs::path page = home.path() / "page.html";
    int code = -1;
    writeFileAtomic(page, std::string("\xff\xfe<html>\x82\xa0\x80</html>"));  // no encoding, no layout
    EXPECT_EQ(test::runCli("compi-import '" + page.string() + "'", code), "");
    EXPECT_EQ(code, 0);
    writeFileAtomic(page, "<title>コンピ指数（詳細）- 地方競馬全場コンピ</title>\n");
    EXPECT_EQ(test::runCli("compi-import '" + page.string() + "'", code), "データが正しくないか、存在しません。\n");
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(fs::exists(home.path() / "Data"));
    test::runCli("compi-import 2>/dev/null", code);
    EXPECT_EQ(code, 2);
    test::runCli("compi-import '" + (home.path() / "none.html").string() + "' 2>/dev/null", code);
    EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace vex

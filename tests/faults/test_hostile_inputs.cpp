// Hostile input given to the real vexmora-cli: feed entries that are no files (a FIFO, a link to
// /dev/zero, a folder) or cannot be read, stamps far in the future, pages that are no pages, and
// appearance files named for days that never were. Nothing may hang, blank or mislead: what is
// passed over is named, and what is refused says why. Each command runs under `timeout`, so a
// hang fails the test instead of stopping it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/atomic_file.h"
#include "app/settings.h"
#include "store/store_paths.h"
#include "support/appearance_days.h"
#include "support/records.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Hostile : ::testing::Test {
    test::TempHome home;
    fs::path feed = home.path() / "feed";
    int code = -1;

    // The command's stdout and stderr together, under a time bound.
    std::string cli(const std::string& args, const std::string& env = "") {
        std::string out = test::runShell("VEXMORA_HOME='" + home.path().string() + "' VEXMORA_NOW='2024/05/10 12:00:00' " +
                                         env + " timeout -k 5 60 " + test::cliPath() + " " + args + " 2>&1; echo \"rc=$?\"");
        std::size_t rc = out.rfind("rc=");
        code = std::stoi(out.substr(rc + 3));
        return out.substr(0, rc);
    }
    std::string download(const std::string& args = "", const std::string& env = "") {
        return cli("download " + args, "VEXMORA_SERVICE=feed:'" + feed.string() + "' " + env);
    }
    // A feed file holding the day's card of one race: its RA record is proof the file was read.
    void writeCardFile(const std::string& name) {
        test::writeRecords(feed / "diff" / name, {Record::ra(test::raceKey("20240510", "44", 1)).sent('1').runners(8)});
    }
    bool cardStored() { return fs::exists(dayFilePath(dayStamp("20240510"), DayFile::RA)); }
};

TEST_F(Hostile, FeedEntriesThatAreNoFilesArePassedOverByName) {
    fs::create_directories(feed / "diff");
    ASSERT_EQ(::mkfifo((feed / "diff" / "20240509000000_fifo.txt").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", feed / "diff" / "20240509000001_zero.txt");
    fs::create_directory(feed / "diff" / "20240509000002_folder.txt");
    writeCardFile("20240509120000_card.txt");
    std::string out = download("--from '2024/05/08 00:00:00'");
    EXPECT_EQ(code, 0) << out;
    for (const char* name : {"20240509000000_fifo.txt", "20240509000001_zero.txt", "20240509000002_folder.txt"})
        EXPECT_TRUE(contains(out, std::string(name) + ": 通常のファイルではないため読み飛ばしました。")) << out;
    EXPECT_TRUE(cardStored());
}

TEST_F(Hostile, AFeedEntryThatCannotBeReadIsNamed) {
    writeCardFile("20240509000000_first.txt");
    writeCardFile("20240509120000_card.txt");
    std::string out = download("--from '2024/05/08 00:00:00'", "VEXMORA_FILE_FAULTS='read:20240509120000_card.txt'");
    EXPECT_EQ(code, 1);
    EXPECT_TRUE(contains(out, "JVReadエラー:")) << out;
    EXPECT_TRUE(contains(out, "ファイル：20240509120000_card.txt")) << out;
}

TEST_F(Hostile, StampsFarInTheFutureAreRefusedAndNeverKept) {
    writeCardFile("99991231235959_future.txt");
    std::string out = download("--from '2024/05/08 00:00:00'");
    EXPECT_EQ(code, 0) << out;
    EXPECT_TRUE(contains(out, "最終ファイルの日時 9999/12/31 23:59:59 は現在より1日以上先のため")) << out;
    EXPECT_EQ(read(Settings(), settings::kLastDownload), "");
    EXPECT_TRUE(cardStored());

    // A stored LastTime that far ahead is passed over, so downloads do not say "no data" for good.
    write(Settings(), settings::kLastDownload, "2099/01/01 00:00:00");
    out = download();
    EXPECT_TRUE(contains(out, "前回取込日時（[JvDataGet] LastTime=2099/01/01 00:00:00）は現在より1日以上先のため使いません。"))
        << out;
    EXPECT_FALSE(contains(out, "最新のデータがありません。")) << out;

    out = download("--from '2099/01/01 00:00:00'");
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(contains(out, "--from 2099/01/01 00:00:00 は現在より1日以上先です")) << out;
}

TEST_F(Hostile, PagesThatAreNoPagesAreRefusedSayingWhy) {
    const fs::path sample = fs::path(VEXMORA_SOURCE_DIR) / "tests" / "data" / "compi" / "page2024_nagoya.html";
    const std::string good = readFileBytes(sample);
    std::string junk(10 << 20, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>((i * 7919 + i / 13) % 251);
    std::string utf16 = "\xff\xfe";
    for (char c : good) utf16 += std::string{c, '\0'};
    std::string badBytes = good;
    badBytes.insert(good.find("サンプル"), "\xff\xfe\xfd");
    std::string impossible = good;
    impossible.replace(good.find("6月3日"), std::string("6月3日").size(), "2月30日");
    struct Case {
        std::string name, bytes, said;
    };
    const std::vector<Case> cases = {
        {"empty.html", "", "コンピ指数のページではありません"},
        {"junk.html", junk, "UTF-8 でも CP932 でもありません"},
        {"utf16.html", utf16, "UTF-8 でも CP932 でもありません"},
        {"bad-bytes.html", badBytes, "UTF-8 でも CP932 でもありません"},
        {"impossible.html", impossible, "ページの日付が正しくありません（2024年2月30日(月) 名古屋競馬）"},
    };
    for (const Case& c : cases) {
        fs::path page = home.path() / c.name;
        writeFileAtomic(page, c.bytes);
        std::string out = cli("compi-import '" + page.string() + "'");
        EXPECT_EQ(code, 1) << c.name;
        EXPECT_TRUE(contains(out, c.said)) << c.name << ": " << out;
    }
    ASSERT_EQ(::mkfifo((home.path() / "fifo.html").c_str(), 0644), 0);
    for (const std::string& page : {(home.path() / "fifo.html").string(), std::string("/dev/zero")}) {
        std::string out = cli("compi-import '" + page + "'");
        EXPECT_EQ(code, 1);
        EXPECT_EQ(out, page + " を読めません（通常のファイルではありません）。\n");
    }
    cli("compi-import ''");
    EXPECT_EQ(code, 2);
    EXPECT_FALSE(fs::exists(home.path() / "Data"));
}

TEST_F(Hostile, StatsCountsRealDaysOnlyAndWaitsForNoFifo) {
    test::writeHandDay(home.path());
    const fs::path tokei = home.path() / "TOKEI";
    const std::string day = readFileBytes(tokei / "em20240512.dat");
    writeFileAtomic(tokei / "em20260230.dat", day);
    writeFileAtomic(tokei / "em99991231.dat", day);
    writeFileAtomic(tokei / "em20240513.dat", "");
    ASSERT_EQ(::mkfifo((tokei / "em20240514.dat").c_str(), 0644), 0);
    std::string out = cli("stats --by compi", "VEXMORA_NOW='2024/06/01 12:00:00'");
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(contains(out, "1日 3レース")) << out;
    EXPECT_TRUE(contains(out, "em20260230.dat を読み飛ばしました（日付が正しくありません）")) << out;
    EXPECT_TRUE(contains(out, "em99991231.dat を読み飛ばしました（日付が正しくありません）")) << out;
    EXPECT_TRUE(contains(out, "em20240513.dat を読み飛ばしました（空のファイルです）")) << out;
    EXPECT_TRUE(contains(out, "em20240514.dat を読み飛ばしました（通常のファイルではありません）")) << out;
}

}  // namespace
}  // namespace vex

#include <gtest/gtest.h>

#include "app/atomic_file.h"
#include "app/settings.h"
#include "datalink/bulk_download.h"
#include "store/record_reader.h"
#include "store/store_paths.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;
using test::raceKey;

std::string ra(std::string_view date, std::string_view track, int race, std::string_view runners = "10") {
    return Record::ra(raceKey(date, track, race)).sent('1').set(RA::Registered, runners);
}
std::string se(std::string_view date, std::string_view track, int race, std::string_view horse, char category,
               std::string_view number) {
    return Record::se(raceKey(date, track, race)).sent(category).set(SE::Horse, horse).reg(number);
}
std::string stored(std::string_view record) {
    std::string line(recordLine(record));
    zeroCategoryAndDate(line);
    return line;
}
std::string bytesOf(std::initializer_list<std::string> lines) {
    std::string all;
    for (const auto& l : lines) all += l + "\r\n";
    return all;
}

// The download command on a replayed feed gives exactly the store files of the routing rules.
TEST(DownloadCommand, FeedReplayGivesExactlyTheStoreFiles) {
    test::TempHome home;
    fs::path feed = home.path() / "feed";
    fs::create_directories(feed / "diff");
    fs::create_directories(feed / "0B30");
    fs::create_directories(feed / "0B12");

    // From 2024-01-15: the date bound is 20240105.
    std::string before = ra("20240104", "44", 1);
    std::string atBound = ra("20240105", "44", 1);
    std::string local = ra("20240115", "30", 1);
    std::string urawa = Record(ra("20240115", "42", 2)).set(RA::RaceName, "FIRST");
    std::string urawaAgain = Record(ra("20240115", "42", 2)).set(RA::RaceName, "SECOND");
    std::string funabashi = ra("20240115", "43", 1, "19");
    std::string kawasaki = ra("20240115", "45", 3);
    std::string runner = se("20240115", "42", 2, "05", '7', "2018000123");
    std::string horse19 = se("20240115", "42", 2, "19", '7', "2018000124");
    std::string card = se("20240115", "42", 2, "06", '2', "2019000125");
    std::string winKind0 = Record::of("O1", raceKey("20240115", "42", 2)).sent('0');
    std::string winKind9 = Record::of("O1", raceKey("20240115", "42", 2)).sent('9');
    std::string win = Record::of("O1", raceKey("20240115", "42", 2)).sent('4');
    std::string pay = Record::hr(raceKey("20240115", "42", 2)).sent('2');
    auto feedFile = [&](const std::string& name, std::initializer_list<std::string> records) {
        std::string bytes;
        for (const auto& r : records) bytes += r;
        writeFileAtomic(feed / "diff" / name, bytes);
    };
    feedFile("20240114230000_old.txt", {ra("20240114", "44", 9)});  // not later than the from-time
    feedFile("20240115100000_a.txt", {before, atBound, local, urawa, funabashi, kawasaki});
    feedFile("20240115110000_b.txt", {runner, horse19, card, winKind0, winKind9, win, pay, urawaAgain});

    int code = -1;
    std::string env = "VEXMORA_SERVICE=feed:" + feed.string() + " VEXMORA_NOW='2024/06/01 09:00:00'";
    std::string out = test::runCli("download --from '2024/01/15 00:00:00'", code, env);
    EXPECT_EQ(code, 0) << out;
    EXPECT_EQ(out.rfind("2024年01月15日00時00分00秒以降のデータ取込を開始します。", 0), 0u) << out;  // first line
    EXPECT_NE(out.find("ReadCount:2, DownloadCount:0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("データ読込み完了(2/2)\nデータ作成が完了しました。\n"), std::string::npos) << out;
    EXPECT_EQ(Settings().readString("JvDataGet", "LastTime", ""), "2024/01/15 11:00:00");

    std::map<std::string, std::string> want;
    auto data = [](const char* name) { return std::string("Data/") + name; };
    want[data("2024年01月05日.nvRA")] = bytesOf({stored(atBound)});
    want[data("2024年01月15日.nvRA")] = bytesOf({stored(urawaAgain), stored(kawasaki)});
    std::string slots;
    for (int i = 0; i < 216; ++i)
        slots += (i == 18 + 4 ? std::string(recordLine(runner)) : i == 18 + 5 ? std::string(recordLine(card))
                                                                              : std::string(553, ' ')) + "\r\n";
    want[data("2024年01月15日浦和.nvSEr")] = slots;
    want[data("2024年01月15日.nvO1")] = bytesOf({stored(win)});
    want[data("2024年01月15日.nvHR")] = bytesOf({stored(pay)});
    want["SEIR/2024/2024010444.nvSERA"] = bytesOf({stored(before)});
    want["SEIR/2024/2024010544.nvSERA"] = bytesOf({stored(atBound)});
    want["SEIR/2024/2024011530.nvSERA"] = bytesOf({stored(local)});
    want["SEIR/2024/2024011542.nvSERA"] = bytesOf({stored(urawaAgain)});
    want["SEIR/2024/2024011543.nvSERA"] = bytesOf({stored(funabashi)});
    want["SEIR/2024/2024011545.nvSERA"] = bytesOf({stored(kawasaki)});
    want["SEI/2018/2018000123.nvSEI"] = bytesOf({stored(runner)});
    want["SEI/2018/2018000124.nvSEI"] = bytesOf({stored(horse19)});

    std::map<std::string, std::string> got;
    for (const char* folder : {"Data", "SEI", "SEIR"})
        for (const auto& e : fs::recursive_directory_iterator(home.path() / folder))
            if (e.is_regular_file() && !e.path().string().ends_with(".lock"))  // the day files' locks
                got[fs::relative(e.path(), home.path()).string()] = readFileBytes(e.path());
    EXPECT_EQ(got.size(), want.size());
    for (const auto& [name, bytes] : want) {
        ASSERT_TRUE(got.count(name)) << name;
        EXPECT_TRUE(got[name] == bytes) << name;
    }
    EXPECT_TRUE(fs::is_directory(home.path() / "SEI" / "2019"));  // made for the card, left empty

    EXPECT_EQ(test::runCli("days", code), "2024年01月15日\n2024年01月05日\n");
    // Nothing newer than LastTime now.
    out = test::runCli("download", code, env);
    EXPECT_EQ(code, 0);
    EXPECT_NE(out.find("最新のデータがありません。"), std::string::npos) << out;
}

TEST(DownloadCommand, UsageAndServiceErrors) {
    test::TempHome home;
    int code = -1;
    test::runCli("download --from yesterday 2>/dev/null", code);
    EXPECT_EQ(code, 2);
    test::runCli("download 2>/dev/null", code, "VEXMORA_SERVICE=feed:" + (home.path() / "missing").string());
    EXPECT_EQ(code, 1);
}

}  // namespace
}  // namespace vex

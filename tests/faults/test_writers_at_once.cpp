// Writers of the store at once, as real vexmora-cli processes: a download started first and
// odds refreshes of ten races while it runs, six of them of one race. Every record of every
// writer must be in the day's odds file and in the odds history afterwards, whatever the order.
// And a refresh killed the moment the day's odds file is replaced has its history line written.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "app/file_read.h"
#include "datalink/odds_history.h"
#include "store/record_layout.h"
#include "support/records.h"
#include "support/test_support.h"

namespace vex {
namespace {
namespace fs = std::filesystem;
using test::Record;

constexpr const char* kDate = "20240510";
constexpr int kRaces = 12, kRefreshedRaces = 10, kMoreOfRaceOne = 5;

std::string keyOf(int race) { return test::raceKey(kDate, "44", race); }

// Win odds of horse 1 that tell the writer apart: refreshes 100 + race, the download 500 + race.
std::string winOdds(int race, int base) {
    return Record::of("O1", keyOf(race)).sent('1').odds(Odds::Win, 1, base + race).str();
}

struct WritersAtOnce : ::testing::Test {
    test::TempHome home;
    fs::path feed = home.path() / "feed";

    WritersAtOnce() {
        test::StoreDay day(kDate);
        for (int race = 1; race <= kRaces; ++race) {
            day.add(Record::ra(keyOf(race)).runners(8).post(test::two(10 + race / 2) + "30"));
            for (int h = 1; h <= 8; ++h) day.add(Record::se(keyOf(race)).horse(h).frame(h));
        }
        day.write();
        // The download: the odds of races 11 and 12 first, then enough past runs that it still
        // holds the day's odds file while the refreshes write it.
        std::vector<std::string> diff = {winOdds(11, 500), winOdds(12, 500)};
        for (int n = 0; n < 1500; ++n)
            diff.push_back(Record::se(keyOf(1 + n % kRaces)).sent('7').horse(1 + n % 8).reg("2020" + test::digits(n, 6)));
        test::writeRecords(feed / "diff" / "20240510090000_odds.txt", diff);
        for (int race = 1; race <= kRefreshedRaces; ++race)
            test::writeRecords(feed / "0B30" / (keyOf(race) + ".txt"), {winOdds(race, 100)});
    }

    // All writers started together; what the ones that failed said (empty when all exited 0).
    std::string runAtOnce() {
        const std::string cli = "VEXMORA_SERVICE=feed:" + feed.string() + " VEXMORA_NOW='2024/05/10 12:00:00' " +
                                test::cliPath();
        auto started = [&](const std::string& name, const std::string& args) {
            return "(out=$(" + cli + " " + args + " 2>&1) || echo \"" + name + ": $out\") & ";
        };
        std::string script = started("download", "download --from '2024/05/09 00:00:00'");
        for (int race = 1; race <= kRefreshedRaces; ++race)
            script += started("race " + std::to_string(race), "refresh-odds " + std::string(kDate) + " " + std::to_string(race));
        for (int n = 0; n < kMoreOfRaceOne; ++n) script += started("race 1", "refresh-odds " + std::string(kDate) + " 1");
        return test::runShell(script + "wait");
    }

    std::map<int, std::string> storedWinOdds() {
        std::map<int, std::string> byRace;
        for (const std::string& line : readLines(dayFilePath(dayStamp(kDate), DayFile::O1)))
            byRace[static_cast<int>(fieldNumber(fieldOf(line, Common::RaceNumber)))] =
                std::string(fieldOf(line, Odds::Win.odds(1)));
        return byRace;
    }
};

TEST_F(WritersAtOnce, EveryRecordOfEveryWriterIsKept) {
    constexpr int kTrials = 4;
    int lostOdds = 0, lostHistoryLines = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        fs::remove_all(home.path() / "OddsHistory");
        fs::remove(dayFilePath(dayStamp(kDate), DayFile::O1));
        ASSERT_EQ(runAtOnce(), "") << "trial " << trial;
        std::map<int, std::string> odds = storedWinOdds();
        for (int race = 1; race <= kRaces; ++race) {
            const int base = race <= kRefreshedRaces ? 100 : 500;
            if (odds[race] != test::digits(base + race, 4)) ++lostOdds;
        }
        for (int race = 1; race <= kRefreshedRaces; ++race) {
            const int expected = race == 1 ? 1 + kMoreOfRaceOne : 1;
            const int lines = static_cast<int>(readLines(oddsHistoryFile(keyOf(race))).size());
            lostHistoryLines += expected - lines;
        }
    }
    EXPECT_EQ(lostOdds, 0) << "races' odds lost over " << kTrials << " trials";
    EXPECT_EQ(lostHistoryLines, 0) << "odds-history lines lost over " << kTrials << " trials";
}

// Starts vexmora-cli refresh-odds of race 1 with its output thrown away.
pid_t startRefresh(const std::string& feedFolder) {
    pid_t child = fork();
    if (child != 0) return child;
    setenv("VEXMORA_SERVICE", ("feed:" + feedFolder).c_str(), 1);
    setenv("VEXMORA_NOW", "2024/05/10 12:00:00", 1);
    ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
    std::string program = test::cliPath();
    std::string day = kDate;
    char* argv[] = {program.data(), const_cast<char*>("refresh-odds"), day.data(), const_cast<char*>("1"), nullptr};
    ::execv(program.c_str(), argv);
    _exit(127);
}

TEST_F(WritersAtOnce, ARefreshKilledAsItReplacesTheDayFileHasWrittenItsHistory) {
    const fs::path dayFile = dayFilePath(dayStamp(kDate), DayFile::O1);
    constexpr int kTrials = 5;
    int missing = 0;
    for (int trial = 0; trial < kTrials; ++trial) {
        fs::remove_all(home.path() / "OddsHistory");
        fs::remove(dayFile);
        pid_t refresh = startRefresh(feed.string());
        while (!fileStampOf(dayFile).exists && ::waitpid(refresh, nullptr, WNOHANG) == 0) {
        }
        ::kill(refresh, SIGKILL);
        ::waitpid(refresh, nullptr, 0);
        ASSERT_TRUE(fs::exists(dayFile));
        if (readLines(oddsHistoryFile(keyOf(1))).size() != 1) ++missing;
    }
    EXPECT_EQ(missing, 0) << "of " << kTrials << " refreshes killed as the day file came";
}

}  // namespace
}  // namespace vex

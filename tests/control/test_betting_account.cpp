// The simulated betting account: line checks, limits, settlement, the account switch and a crash
// between two writes of the account file.
#include <gtest/gtest.h>

#include <map>

#include "app/atomic_file.h"
#include "app/clock.h"
#include "control/betting_account.h"
#include "control/control_ui.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "support/records.h"
#include "support/test_support.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"

namespace vex::control {
namespace {

// Races of 2024-05-10 at 大井 (44): race 5 posts at 15:00 with 12 runners, horse 7 scratched;
// race 6 posts at 15:35 with 8 runners.
class FakeRaces : public RaceFactsSource {
public:
    std::map<int, RaceFacts> races;
    FakeRaces() {
        const std::int64_t day = dayNumber(2024, 5, 10);
        RaceFacts r5;
        r5.post = day * 1440 + 15 * 60;
        r5.saleOpen = (day - 1) * 1440 + 17 * 60;
        r5.registered = 12;
        r5.frames = {1, 2, 3, 4, 5, 5, 6, 6, 7, 7, 8, 8};
        r5.scratched.assign(12, false);
        r5.scratched[6] = true;  // horse 7; frame 6 keeps horse 8
        races[5] = r5;
        RaceFacts r6 = r5;
        r6.post = day * 1440 + 15 * 60 + 35;
        r6.registered = 8;
        r6.frames = {1, 2, 3, 4, 5, 6, 7, 8};
        r6.scratched.assign(8, false);
        races[6] = r6;
    }
    std::optional<RaceFacts> raceFacts(const std::string& date, int track, int race, std::int64_t) override {
        if (date != "20240510" || track != 44 || !races.count(race)) return std::nullopt;
        return races[race];
    }
    bool trackMeets(const std::string& date, int track) override { return date == "20240510" && track == 44; }
};

class ChoosingUi : public ControlUi {
public:
    int answer = 1;
    std::vector<std::string> shown;
    bool editSettings(ControlSettings&, const std::string&) override { return false; }
    int chooseAccount(const std::vector<std::string>& names, int) override {
        shown = names;
        return answer;
    }
};

// A bet line as the vote submission builds it.
std::string line(int kind, int a, int b = 0, int c = 0, int units = 1, int race = 5, const char* mmdd = "0510") {
    std::string s = std::string("0") + mmdd + "44" + sim::digits(race, 2) + std::to_string(kind) + "0";
    for (int v : {a, b, c}) {
        std::string block(24, '0');
        if (v > 0) block[static_cast<std::size_t>(v - 1)] = '1';
        s += block;
    }
    return s + sim::digits(units, 5) + "00";
}

class AccountTest : public ::testing::Test {
protected:
    void SetUp() override { setClock(DateTime{2024, 5, 10, 14, 30, 0}); }
    void TearDown() override { setClock(std::nullopt); }

    int bet(BettingAccount& acc, const std::string& lines) {
        int amount = 0, remaining = 0, limit = 0;
        text.clear();
        return acc.bet("", lines, 1, amount, remaining, limit, text);
    }
    // purchase limit == limit at the start of the day - bought + paid out + deposited
    void expectBalanced(BettingAccount& acc) {
        AccountBook book = acc.load();
        const Account& a = book.accounts[static_cast<std::size_t>(book.current)];
        EXPECT_EQ(a.limit, a.dayStartLimit - a.bought + a.paid + a.deposited);
    }

    test::TempHome home;
    FakeRaces races;
    std::string text;
};

TEST_F(AccountTest, EveryLineIsCheckedAndAFaultyLineRefusesTheWholeText) {
    BettingAccount acc(races, nullptr);
    ASSERT_EQ(acc.login("", ""), 0);
    EXPECT_EQ(acc.login("", ""), -202) << "logged in twice";
    struct Case {
        std::string lines;
        int code;
        const char* what;
    };
    std::string good = line(1, 3);
    std::vector<Case> cases = {
        {good.substr(0, 89), -4, "short line"},
        {good + good.substr(0, 45), -4, "not a multiple of 90"},
        {"x" + good.substr(1), -4, "not digits"},
        {line(0, 3), -602, "kind 0"},
        {line(1, 13), -606, "horse beyond the field"},
        {line(1, 3, 4), -606, "a second number for a win bet"},
        {line(5, 3, 3), -606, "the same horse twice"},
        {line(1, 7), -607, "scratched"},
        {line(9, 1, 7, 2), -607, "scratched in a trifecta"},
        {line(1, 3, 0, 0, 1, 9), -604, "no race 9"},
        {line(3, 1, 1), -606, "same-frame bracket for a frame of one"},
        {line(3, 6, 6), -610, "same-frame bracket left with one runner"},
        {line(3, 1, 2, 0, 1, 6), -603, "bracket bets on a field of eight"},
        {line(1, 3, 0, 0, 0), -810, "no stake"},
        {line(1, 3).substr(0, 88) + "10", -699, "flag set"},
        {line(1, 3, 0, 0, 1, 5, "0512"), -806, "a day not on sale"},
        {good + line(1, 7) + good, -607, "one bad line among good ones"},
    };
    for (const Case& c : cases) EXPECT_EQ(bet(acc, c.lines), c.code) << c.what;
    EXPECT_EQ(acc.load().bets.size(), 0u) << "nothing was bought";

    ASSERT_EQ(bet(acc, good + line(5, 3, 5, 0, 2) + line(9, 5, 3, 1, 3) + line(3, 5, 6)), 0) << toUtf8(text);
    EXPECT_NE(toUtf8(text).find("4件"), std::string::npos);
    AccountBook book = acc.load();
    EXPECT_EQ(book.bets.size(), 4u);
    EXPECT_EQ(book.accounts[0].bought, 700);
    EXPECT_EQ(book.accounts[0].votes, 4);
    expectBalanced(acc);

    setClock(DateTime{2024, 5, 10, 15, 0, 30});
    EXPECT_EQ(bet(acc, good), 0) << "within the post minute";
    setClock(DateTime{2024, 5, 10, 15, 1, 0});
    EXPECT_EQ(bet(acc, good), -799) << "after the post";
    acc.logout();
    int a, b, c2, d;
    EXPECT_EQ(bet(acc, good), -5) << "not logged in";
    EXPECT_EQ(acc.balance(a, b, c2, d), -5);
}

TEST_F(AccountTest, PurchaseLimitAndDailyLineCount) {
    BettingAccount acc(races, nullptr);
    AccountBook book = BettingAccount::defaultBook();
    book.accounts[0].limit = book.accounts[0].dayStartLimit = 1000;
    book.accounts[0].day = "20240510";
    book.accounts[0].votes = 2998;
    writeFileAtomic(home.path() / "ServiceControl.dat", BettingAccount::serialise(book));
    ASSERT_EQ(acc.login("", ""), 0);
    EXPECT_EQ(bet(acc, line(1, 3, 0, 0, 11)), -803) << "1,100 yen over a limit of 1,000";
    EXPECT_EQ(bet(acc, line(1, 3) + line(1, 4) + line(1, 5)), -809) << "3,001 lines in a day";
    int amount = 0, remaining = 0, limit = 0;
    ASSERT_EQ(acc.bet("", line(1, 3, 0, 0, 10), 1, amount, remaining, limit, text), 0);
    EXPECT_EQ(amount, 1000);
    EXPECT_EQ(limit, 0);
    EXPECT_EQ(remaining, 1);
    EXPECT_EQ(acc.bet("9999", line(1, 3), 1, amount, remaining, limit, text), -807) << "wrong PIN";
    EXPECT_EQ(acc.deposit(), 0);
    int bought = 0, paid = 0;
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(limit, BettingAccount::kDepositAmount);
    EXPECT_EQ(bought, 1000);
    expectBalanced(acc);

    // A new day starts the counters again from the limit carried over.
    setClock(DateTime{2024, 5, 11, 9, 0, 0});
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(limit, BettingAccount::kDepositAmount);
    EXPECT_EQ(bought, 0);
    EXPECT_EQ(remaining, 3000);
}

TEST_F(AccountTest, BetsAreSettledAtThePayoutsOnceTheyAreKnown) {
    BettingAccount acc(races, nullptr);
    ASSERT_EQ(acc.login("", ""), 0);
    ASSERT_EQ(bet(acc, line(1, 3, 0, 0, 2) + line(1, 4) + line(6, 3, 5, 0, 1) + line(5, 5, 3)), 0);
    ASSERT_EQ(bet(acc, line(1, 2, 0, 0, 1, 6)), 0);
    // Horse 2 of race 6 is scratched after the purchase: refunded.
    races.races[6].scratched[1] = true;
    races.races[5].payoutRecord = test::Record::hr("")
                                      .payout(HR::Win, 1, "03", 450, 1)
                                      .payout(HR::Exacta, 1, "0305", 2130, 4)
                                      .payout(HR::Quinella, 1, "0305", 1270, 3);
    races.races[6].payoutRecord = std::string(RecordLength::HR, ' ');
    setClock(DateTime{2024, 5, 10, 16, 0, 0});
    int limit = 0, bought = 0, paid = 0, remaining = 0;
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(bought, 600);
    EXPECT_EQ(paid, 2 * 450 + 2130 + 1270 + 100);
    EXPECT_EQ(limit, 100000 - 600 + paid);
    EXPECT_EQ(remaining, 3000 - 5);
    expectBalanced(acc);
    // Settled once only.
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(paid, 4400);
}

TEST_F(AccountTest, ACrashBetweenTwoWritesLosesNothingConfirmed) {
    {
        BettingAccount acc(races, nullptr);
        ASSERT_EQ(acc.login("", ""), 0);
        ASSERT_EQ(bet(acc, line(1, 3, 0, 0, 5)), 0);
        // The second write fails half way (a full disk, a killed process): the bet is refused and
        // the file keeps the first.
        acc.setWriter([](const std::filesystem::path& p, const std::string& bytes) {
            writeFileAtomic(p.string() + ".partial", bytes.substr(0, bytes.size() / 2));
            throw FileWriteError(p, "disk full");
        });
        int amount = 0, remaining = 0, limit = 0;
        EXPECT_EQ(acc.bet("", line(1, 4, 0, 0, 7), 1, amount, remaining, limit, text), -800);
        EXPECT_EQ(amount, 0);
    }
    BettingAccount again(races, nullptr);
    AccountBook book = again.load();
    ASSERT_EQ(book.bets.size(), 1u);
    EXPECT_EQ(book.bets[0].second.a, 3);
    EXPECT_EQ(book.accounts[0].bought, 500);
    EXPECT_EQ(book.accounts[0].limit, 100000 - 500);
    EXPECT_EQ(book.nextReceipt, 2);
    expectBalanced(again);
}

TEST_F(AccountTest, TheSwitchPairAsksWhichAccountToUse) {
    ChoosingUi ui;
    BettingAccount acc(races, &ui);
    ASSERT_EQ(acc.login(BettingAccount::kSwitchUserId, BettingAccount::kSwitchPassword), 0);
    EXPECT_EQ(ui.shown.size(), 3u);
    acc.logout();
    ASSERT_EQ(acc.login("", ""), 0);
    int limit = 0, bought = 0, paid = 0, remaining = 0;
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(limit, 30000) << "the second account is current now";
    acc.logout();
    ui.answer = -1;
    EXPECT_EQ(acc.login(BettingAccount::kSwitchUserId, BettingAccount::kSwitchPassword), -901);
    EXPECT_EQ(acc.login("vexmora03", "wrong"), -5);
    ASSERT_EQ(acc.login("vexmora03", "keiba03"), 0);
    ASSERT_EQ(acc.balance(limit, bought, paid, remaining), 0);
    EXPECT_EQ(limit, 3000);
    BettingAccount noUi(races, nullptr);
    EXPECT_EQ(noUi.login(BettingAccount::kSwitchUserId, BettingAccount::kSwitchPassword), -901);
}

TEST_F(AccountTest, ABookNamingAnAccountThatDoesNotExistIsRefusedByNameNotChargedElsewhere) {
    const std::filesystem::path file = home.path() / "ServiceControl.dat";
    {
        BettingAccount acc(races, nullptr);
        ASSERT_EQ(acc.login("", ""), 0);
    }
    for (const char* current : {"current=7", "current=3"}) {
        SCOPED_TRACE(current);
        std::string bytes = readFileBytes(file);
        bytes.replace(0, bytes.find('\r'), current);
        writeFileAtomic(file, bytes);
        BettingAccount acc(races, nullptr);
        try {
            acc.login("", "");
            FAIL() << "logged in to an account that does not exist";
        } catch (const FileReadError& e) {
            EXPECT_EQ(e.file(), file);
            EXPECT_NE(std::string(e.what()).find(std::string(current) + " の口座がありません"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(readFileBytes(file), bytes) << "nothing charged, nothing rewritten";
    }
    // Choosing an account by its user id mends the book.
    BettingAccount acc(races, nullptr);
    ASSERT_EQ(acc.login("vexmora02", "keiba02"), 0);
    ASSERT_EQ(bet(acc, line(1, 3, 0, 0, 5)), 0);
    const AccountBook book = acc.load();
    EXPECT_EQ(book.current, 1);
    EXPECT_EQ(book.accounts[0].bought, 0);
    EXPECT_EQ(book.accounts[1].bought, 500);
}

}  // namespace
}  // namespace vex::control

namespace vex::control {
namespace {

TEST_F(AccountTest, AFileCutShortOrUnreadableIsRefusedByNameAndNeverReplaced) {
    const std::filesystem::path file = home.path() / "ServiceControl.dat";
    {
        BettingAccount acc(races, nullptr);
        ASSERT_EQ(acc.login("", ""), 0);
        ASSERT_EQ(bet(acc, line(1, 3, 0, 0, 5)), 0);
    }
    const std::string whole = readFileBytes(file);
    auto everyOperationRefuses = [&](const std::string& why) {
        SCOPED_TRACE(why);
        BettingAccount acc(races, nullptr);
        int a = 0, b = 0, c = 0, d = 0;
        try {
            acc.login("", "");
            FAIL() << "logged in on a book that was not read";
        } catch (const FileReadError& e) {
            EXPECT_EQ(e.file(), file);
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
        }
        EXPECT_THROW(acc.load(), FileReadError);
        EXPECT_THROW(acc.setServiceKey("ABCDEFGHIJ1234567"), FileReadError);
        EXPECT_THROW(loadControlSettings(file), FileReadError);
        EXPECT_NE(saveControlSettings(ControlSettings{}, file), "");
        EXPECT_EQ(acc.balance(a, b, c, d), -5) << "never logged in";
    };

    // Cut before its closing line: the bets, the receipt counter and the counters are all there
    // but the rest of the file may not be.
    const std::string cut = whole.substr(0, whole.rfind("end"));
    writeFileAtomic(file, cut);
    everyOperationRefuses("cut short");
    EXPECT_EQ(readFileBytes(file), cut);

    // A number that does not read.
    std::string spoilt = whole;
    spoilt.replace(spoilt.find("receipt=2"), 9, "receipt=2x");
    writeFileAtomic(file, spoilt);
    everyOperationRefuses("a spoilt number");
    EXPECT_EQ(readFileBytes(file), spoilt);

    writeFileAtomic(file, whole);
    ASSERT_TRUE(setFileFaults("read:ServiceControl.dat"));
    everyOperationRefuses("cannot be read");
    setFileFaults("");
    EXPECT_EQ(readFileBytes(file), whole);

    BettingAccount acc(races, nullptr);
    ASSERT_EQ(acc.login("", ""), 0);
    ASSERT_EQ(bet(acc, line(1, 4)), 0);
    EXPECT_NE(toUtf8(text).find("受付番号:000002"), std::string::npos) << toUtf8(text);
}

}  // namespace
}  // namespace vex::control

#pragma once
// The simulated betting account behind RakutenLogin .. RakutenDeposit, shared by the simulated service
// and feed replay. It lives in the control's own file "ServiceControl.dat" in the application folder
// (several accounts, the current one, today's counters, the bets bought), read before and written
// atomically after every operation under the file's lock, so the desktop program and vexmora-cli
// share it, two runs at once lose nothing, and a crash loses nothing that was confirmed. A file
// that cannot be read or does not parse whole is never replaced: every operation throws
// FileReadError naming it (FolderBusyError when another run holds it too long).
//
// Logging in with an empty user id and password uses the current account. Logging in with the pair
// kSwitchUserId / kSwitchPassword ("VXACCOUNT" / "SELECT") asks ControlUi::chooseAccount which account
// becomes current (-901 when cancelled or when there is no UI). Any other pair must match the user id
// and password of one of the accounts (-5 otherwise).
//
// RakutenBet takes bet lines of 90 digits, all-or-nothing per call: the first faulty line refuses the
// whole text with its code (-4 format, -6 no meeting, -602 kind, -603 kind not sold, -604 race,
// -606 number, -607 scratched, -610 same-frame cancelled, -699 other format, -799 closed,
// -806 not yet on sale, -807 PIN, -803 purchase limit, -809 3,000 lines a day, -810 stake).
// Bets are settled at the payouts as soon as the race's payouts are known; scratched runners are
// refunded. The counters always satisfy:
//   purchase limit = limit at the start of the day - bought today + paid out today + deposited today.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/file_read.h"

namespace vex::control {

class ControlUi;

// What the account needs to know about a race.
struct RaceFacts {
    std::int64_t post = 0;      // civil minute of the post (days since 1970 * 1440 + minute of day)
    std::int64_t saleOpen = 0;  // betting opens
    int registered = 0;
    std::vector<int> frames;      // frame of horse h at [h - 1]
    std::vector<bool> scratched;  // as announced so far
    std::string payoutRecord;     // the HR record once the payouts are confirmed, else empty
};

class RaceFactsSource {
public:
    virtual ~RaceFactsSource() = default;
    // The race on `yyyymmdd` at `track` with number `race`, as known at civil minute `now`.
    virtual std::optional<RaceFacts> raceFacts(const std::string& yyyymmdd, int track, int race, std::int64_t now) = 0;
    // Whether `track` holds a meeting on `yyyymmdd`.
    virtual bool trackMeets(const std::string& yyyymmdd, int track) = 0;
};

struct AccountBet {
    int receipt = 0;
    std::string date;  // yyyymmdd
    int track = 0, race = 0, kind = 0, a = 0, b = 0, c = 0, units = 0;
    bool settled = false;
    long long paid = 0;
};

struct Account {
    std::string name, userId, password, pin;  // CP932
    long long limit = 0, dayStartLimit = 0, bought = 0, paid = 0, deposited = 0;
    int votes = 0;
    std::string day;  // yyyymmdd of the counters
};

struct AccountBook {
    int current = 0;
    int nextReceipt = 1;
    std::string serviceKey;
    // The control's data source (control_settings.h): "sim" or "feed", and the feed folder.
    std::string source = "sim";
    std::string feedFolder;
    std::vector<Account> accounts;
    std::vector<std::pair<int, AccountBet>> bets;  // (account index, bet)
};

class BettingAccount {
public:
    static constexpr const char* kSwitchUserId = "VXACCOUNT";
    static constexpr const char* kSwitchPassword = "SELECT";
    static constexpr int kDepositAmount = 10000;
    static constexpr int kDailyLines = 3000;
    static constexpr int kMaxLinesPerCall = 120;

    using Writer = std::function<void(const std::filesystem::path&, const std::string&)>;

    // `file` empty: "ServiceControl.dat" in the application folder, resolved at each use.
    BettingAccount(RaceFactsSource& races, ControlUi* ui, std::filesystem::path file = {});

    int login(const std::string& userId, const std::string& password);
    int logout();
    int bet(const std::string& pin, const std::string& lines, int mode, int& purchaseAmount, int& remainingVotes,
            int& purchaseLimit, std::string& resultText);
    int balance(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes);
    int deposit();
    bool loggedIn() const { return loggedIn_; }
    // The control changed its data source: races are looked up there from now on.
    void setRaces(RaceFactsSource& races) { races_ = &races; }

    // The service key kept in the same file (the settings dialog edits it).
    std::string serviceKey();
    int setServiceKey(const std::string& key);

    // The book as stored now (for tests and tools).
    AccountBook load() { return readBook(file()); }
    // Tests replace the file writer to simulate a failing disk.
    void setWriter(Writer w) { writer_ = std::move(w); }

    static std::string serialise(const AccountBook& book);
    // nullopt unless the whole file parses, up to its closing line.
    static std::optional<AccountBook> parse(const std::string& bytes);
    static AccountBook defaultBook();
    // The book of a file's content (`exists` false: a new book); throws FileReadError naming
    // `file` when it does not parse whole.
    static AccountBook bookOf(const std::filesystem::path& file, bool exists, const std::string& bytes);
    // The book stored in `file`; throws FileReadError when it cannot be read or does not parse whole.
    static AccountBook readBook(const std::filesystem::path& file);

private:
    std::filesystem::path file() const;
    // The book as read under the lock, its counters rolled over to today and what can be settled.
    AccountBook fresh(const FileUpdate& update, bool& changed);
    bool save(const AccountBook& book);
    void settle(AccountBook& book, bool& changed);
    // The book's current account; throws FileReadError naming the file and the entry when the
    // book names none of its accounts (never another account charged in its place).
    Account& currentAccount(AccountBook& book) const;
    // Records the accepted bets of a call and charges the account; -800 when the book cannot be saved.
    int buy(const AccountBook& book, std::vector<AccountBet> accepted, long long amount, int& purchaseAmount,
            int& remainingVotes, int& purchaseLimit, std::string& resultText);

    RaceFactsSource* races_;  // never null
    ControlUi* ui_;
    std::filesystem::path file_;
    Writer writer_;
    bool loggedIn_ = false;
};

}  // namespace vex::control

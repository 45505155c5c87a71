#include "control/betting_account.h"

#include <algorithm>
#include <sstream>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "control/control_ui.h"
#include "control/sim_util.h"
#include "store/record_layout.h"
#include "store/record_reader.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/civil_date.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex::control {
namespace {

std::vector<std::string> splitComma(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

std::optional<std::vector<long long>> numbersOf(const std::vector<std::string>& f, std::size_t from, std::size_t to) {
    std::vector<long long> out;
    for (std::size_t k = from; k < to; ++k) {
        std::optional<long long> v = strictNumber(f[k]);
        if (!v) return std::nullopt;
        out.push_back(*v);
    }
    return out;
}

int digitsAt(const std::string& line, std::size_t pos, std::size_t len) {
    return static_cast<int>(strictNumber(std::string_view(line).substr(pos, len)).value_or(0));
}

std::string todayText() { return ymdText(static_cast<int>(sim::minuteOf(now()) / 1440)); }

const PayoutBlock* blockOf(int kind) {
    switch (kind) {
        case 1: return &HR::Win;
        case 2: return &HR::Place;
        case 3: return &HR::BracketQuinella;
        case 4: return &HR::BracketExacta;
        case 5: return &HR::Quinella;
        case 6: return &HR::Exacta;
        case 7: return &HR::Wide;
        case 8: return &HR::Trio;
        case 9: return &HR::Trifecta;
        default: return nullptr;
    }
}

// The combination as the payout record writes it.
std::string payoutCombination(const AccountBet& b) {
    auto info = betKindInfo(static_cast<BetKind>(b.kind));
    int v[3] = {b.a, b.b, b.c};
    if (!info.ordered) {
        // Ascending, as the payout record writes unordered combinations.
        for (int i = 0; i < info.picks; ++i)
            for (int j = i + 1; j < info.picks; ++j)
                if (v[j] < v[i]) std::swap(v[i], v[j]);
    }
    std::string s;
    for (int i = 0; i < info.picks; ++i) s += info.frames ? std::to_string(v[i]) : sim::digits(v[i], 2);
    return s;
}

}  // namespace

BettingAccount::BettingAccount(RaceFactsSource& races, ControlUi* ui, std::filesystem::path file)
    : races_(&races), ui_(ui), file_(std::move(file)), writer_([](const std::filesystem::path& p, const std::string& b) {
          writeFileAtomic(p, b);
      }) {}

std::filesystem::path BettingAccount::file() const {
    return file_.empty() ? appFolder() / "ServiceControl.dat" : file_;
}

AccountBook BettingAccount::defaultBook() {
    AccountBook book;
    book.accounts.push_back({sj("メイン口座"), "vexmora01", "keiba01", "1234", 100000, 100000, 0, 0, 0, 0, ""});
    book.accounts.push_back({sj("サブ口座"), "vexmora02", "keiba02", "5678", 30000, 30000, 0, 0, 0, 0, ""});
    book.accounts.push_back({sj("少額口座"), "vexmora03", "keiba03", "0000", 3000, 3000, 0, 0, 0, 0, ""});
    return book;
}

std::string BettingAccount::serialise(const AccountBook& book) {
    std::ostringstream out;
    out << "current=" << book.current << "\r\n";
    out << "receipt=" << book.nextReceipt << "\r\n";
    out << "servicekey=" << book.serviceKey << "\r\n";
    out << "source=" << book.source << "\r\n";
    out << "feedfolder=" << book.feedFolder << "\r\n";
    for (const Account& a : book.accounts)
        out << "account=" << a.name << ',' << a.userId << ',' << a.password << ',' << a.pin << ',' << a.limit << ','
            << a.dayStartLimit << ',' << a.bought << ',' << a.paid << ',' << a.deposited << ',' << a.votes << ','
            << a.day << "\r\n";
    for (const auto& [acc, b] : book.bets)
        out << "bet=" << acc << ',' << b.receipt << ',' << b.date << ',' << b.track << ',' << b.race << ',' << b.kind
            << ',' << b.a << ',' << b.b << ',' << b.c << ',' << b.units << ',' << (b.settled ? 1 : 0) << ',' << b.paid
            << "\r\n";
    out << "end\r\n";  // a file without it was cut: it is not trusted
    return out.str();
}

std::optional<AccountBook> BettingAccount::parse(const std::string& bytes) {
    AccountBook book;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "end") {
            // A current account that does not exist stays as read: using it is refused by name.
            if (book.accounts.empty()) return std::nullopt;
            return book;
        }
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "servicekey") book.serviceKey = value;
        else if (key == "source") book.source = value;
        else if (key == "feedfolder") book.feedFolder = value;
        else if (key == "current" || key == "receipt") {
            std::optional<long long> v = strictNumber(value);
            if (!v) return std::nullopt;
            if (key == "current") book.current = static_cast<int>(*v);
            else book.nextReceipt = static_cast<int>(std::max(1LL, *v));
        } else if (key == "account") {
            // name, user id, password, PIN, then six numbers and the day
            auto f = splitComma(value);
            auto n = f.size() == 11 ? numbersOf(f, 4, 10) : std::nullopt;
            if (!n) return std::nullopt;
            book.accounts.push_back({f[0], f[1], f[2], f[3], (*n)[0], (*n)[1], (*n)[2], (*n)[3], (*n)[4],
                                     static_cast<int>((*n)[5]), f[10]});
        } else if (key == "bet") {
            // account, receipt, date, track, race, kind, a, b, c, units, settled, paid: all numbers
            auto f = splitComma(value);
            auto n = f.size() == 12 ? numbersOf(f, 0, 12) : std::nullopt;
            if (!n) return std::nullopt;
            auto i = [&](std::size_t k) { return static_cast<int>((*n)[k]); };
            AccountBet b{i(1), f[2], i(3), i(4), i(5), i(6), i(7), i(8), i(9), f[10] == "1", (*n)[11]};
            book.bets.push_back({i(0), b});
        }
    }
    return std::nullopt;  // cut before its closing line
}

AccountBook BettingAccount::bookOf(const std::filesystem::path& file, bool exists, const std::string& bytes) {
    if (!exists) return defaultBook();
    std::optional<AccountBook> book = parse(bytes);
    // A cut or spoilt file is no new account: receipts, bets and the saved source would be lost.
    if (!book) throw FileReadError(file, "内容が壊れています。最後まで書かれていないか、読めない行があります");
    return *book;
}

AccountBook BettingAccount::readBook(const std::filesystem::path& file) {
    FileRead read = readFile(file);
    if (read.state == FileRead::Unreadable) throw FileReadError(file, read.reason);
    return bookOf(file, read.state == FileRead::Read, read.bytes);
}

bool BettingAccount::save(const AccountBook& book) {
    try {
        writer_(file(), serialise(book));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void BettingAccount::settle(AccountBook& book, bool& changed) {
    std::int64_t nowMinute = sim::minuteOf(now());
    for (auto& [acc, b] : book.bets) {
        if (b.settled || acc < 0 || acc >= static_cast<int>(book.accounts.size())) continue;
        auto facts = races_->raceFacts(b.date, b.track, b.race, nowMinute);
        if (!facts || facts->payoutRecord.empty()) continue;
        auto info = betKindInfo(static_cast<BetKind>(b.kind));
        long long paid = 0;
        bool refund = false;
        int v[3] = {b.a, b.b, b.c};
        for (int i = 0; i < info.picks; ++i) {
            if (info.frames) {
                bool anyRunning = false;
                for (std::size_t h = 0; h < facts->frames.size(); ++h)
                    if (facts->frames[h] == v[i] && !facts->scratched[h]) anyRunning = true;
                refund = refund || !anyRunning;
            } else if (v[i] >= 1 && v[i] <= static_cast<int>(facts->scratched.size())) {
                refund = refund || facts->scratched[static_cast<std::size_t>(v[i] - 1)];
            }
        }
        if (refund) {
            paid = 100LL * b.units;
        } else if (const PayoutBlock* block = blockOf(b.kind)) {
            std::string want = payoutCombination(b);
            for (int j = 1; j <= block->entries; ++j) {
                if (fieldOf(facts->payoutRecord, block->combination(j)) != want) continue;
                paid = strictNumber(fieldOf(facts->payoutRecord, block->payout(j))).value_or(0) * b.units;
                break;
            }
        }
        b.settled = true;
        b.paid = paid;
        Account& a = book.accounts[static_cast<std::size_t>(acc)];
        a.paid += paid;
        a.limit += paid;
        changed = true;
    }
    // Settled bets are kept for a month, then dropped so the file stays small.
    int today = static_cast<int>(nowMinute / 1440);
    auto before = book.bets.size();
    std::erase_if(book.bets, [&](const auto& e) {
        int d = dayNumberOfYmd(e.second.date).value_or(-1);
        return e.second.settled && d >= 0 && today - d > 31;
    });
    if (book.bets.size() != before) changed = true;
}

Account& BettingAccount::currentAccount(AccountBook& book) const {
    if (book.current < 0 || book.current >= static_cast<int>(book.accounts.size()))
        throw FileReadError(file(), "current=" + std::to_string(book.current) + " の口座がありません（口座は" +
                                        std::to_string(book.accounts.size()) + "件）");
    return book.accounts[static_cast<std::size_t>(book.current)];
}

AccountBook BettingAccount::fresh(const FileUpdate& update, bool& changed) {
    AccountBook book = bookOf(update.file(), update.existed(), update.bytes());
    std::string today = todayText();
    for (Account& a : book.accounts) {
        if (a.day == today) continue;
        a.day = today;
        a.dayStartLimit = a.limit;
        a.bought = a.paid = a.deposited = 0;
        a.votes = 0;
        changed = true;
    }
    settle(book, changed);
    return book;
}

int BettingAccount::login(const std::string& userId, const std::string& password) {
    if (loggedIn_) return -202;
    FileUpdate update(file());
    bool changed = false;
    AccountBook book = fresh(update, changed);
    if (userId == kSwitchUserId && password == kSwitchPassword) {
        if (!ui_) return -901;
        std::vector<std::string> names;
        for (const Account& a : book.accounts) names.push_back(a.name);
        const int shown = std::clamp(book.current, 0, static_cast<int>(book.accounts.size()) - 1);
        int chosen = ui_->chooseAccount(names, shown);
        if (chosen < 0 || chosen >= static_cast<int>(book.accounts.size())) return -901;
        if (chosen != book.current) changed = true;
        book.current = chosen;
    } else if (!userId.empty() || !password.empty()) {
        auto it = std::find_if(book.accounts.begin(), book.accounts.end(),
                               [&](const Account& a) { return a.userId == userId && a.password == password; });
        if (it == book.accounts.end()) return -5;
        int index = static_cast<int>(it - book.accounts.begin());
        if (index != book.current) changed = true;
        book.current = index;
    } else {
        currentAccount(book);
    }
    if (changed && !save(book)) return -800;
    loggedIn_ = true;
    return 0;
}

int BettingAccount::logout() {
    loggedIn_ = false;
    return 0;
}

namespace {

// Why a bet call is refused: the code RakutenBet returns and its text (UTF-8).
struct Refusal {
    int code;
    std::string why;
};

std::optional<Refusal> refusalOfCall(const std::string& pin, const std::string& lines, int mode, const Account& acc) {
    if (mode != 1) return Refusal{-4, "投票パラメータが不正です。"};
    if (!pin.empty() && pin != acc.pin) return Refusal{-807, "暗証番号が違います。"};
    if (lines.empty() || lines.size() % 90 != 0 || lines.size() / 90 > BettingAccount::kMaxLinesPerCall)
        return Refusal{-4, "投票パラメータの個数・長さが不正です。"};
    return std::nullopt;
}

std::optional<Refusal> refusalOfFormat(const std::string& line) {
    if (!isDigits(line))
        return Refusal{-4, "数字以外の文字があります。"};
    if (line[0] != '0' || line[10] != '0' || line[88] != '0' || line[89] != '0')
        return Refusal{-699, "投票フォーマットが不正です。"};
    return std::nullopt;
}

// The line carries month and day only: it names today's or tomorrow's race. Empty for another day.
std::string dateOfLine(const std::string& line, int today) {
    const std::string mmdd = line.substr(1, 4);
    std::string date;
    for (int d : {today, today + 1})
        if (ymdText(d).substr(4) == mmdd) date = ymdText(d);
    return date;
}

// The numbers of the three 24-place blocks: one "1" in each block the kind uses, none in the others.
std::optional<Refusal> readNumbers(const std::string& line, const BetKindInfo& info, int (&v)[3]) {
    const Refusal bad{-606, "馬番・枠番が不正です。"};
    for (int block = 0; block < 3; ++block) {
        const std::string bits = line.substr(11 + 24 * static_cast<std::size_t>(block), 24);
        int count = 0;
        for (int p = 0; p < 24; ++p) {
            if (bits[static_cast<std::size_t>(p)] == '0') continue;
            if (bits[static_cast<std::size_t>(p)] != '1') return bad;
            ++count;
            v[block] = p + 1;
        }
        const bool wanted = block < info.picks;
        if (count != (wanted ? 1 : 0)) return bad;
    }
    return std::nullopt;
}

// Horse kinds: distinct registered horses, none scratched.
std::optional<Refusal> refusalOfHorses(const BetKindInfo& info, const int (&v)[3], const RaceFacts& facts) {
    for (int x = 0; x < info.picks; ++x)
        for (int y = x + 1; y < info.picks; ++y)
            if (v[x] == v[y]) return Refusal{-606, "同じ馬番が重複しています。"};
    for (int k = 0; k < info.picks; ++k)
        if (facts.scratched[static_cast<std::size_t>(v[k] - 1)]) return Refusal{-607, "出走取消・除外の馬が含まれています。"};
    return std::nullopt;
}

// Frame kinds: every frame still running; a same-frame pair needs two horses there, both running.
std::optional<Refusal> refusalOfFrames(const BetKindInfo& info, const int (&v)[3], const RaceFacts& facts) {
    for (int k = 0; k < info.picks; ++k) {
        int registered = 0, running = 0;
        for (std::size_t h = 0; h < facts.frames.size(); ++h)
            if (facts.frames[h] == v[k]) {
                ++registered;
                running += facts.scratched[h] ? 0 : 1;
            }
        if (running == 0) return Refusal{-607, "出走取消・除外の枠が含まれています。"};
        if (v[0] == v[1]) {
            if (registered < 2) return Refusal{-606, "同枠の組み合わせはありません。"};
            if (running < 2) return Refusal{-610, "同枠取消です。"};
        }
    }
    return std::nullopt;
}

// Whether the kind is sold for the race, the numbers exist in it, and they may be bet.
std::optional<Refusal> refusalOfCombination(BetKind kind, const int (&v)[3], const RaceFacts& facts) {
    const BetKindInfo& info = betKindInfo(kind);
    int frames = 0;
    for (int f : facts.frames) frames = std::max(frames, f);
    int starters = 0;
    for (bool s : facts.scratched) starters += s ? 0 : 1;
    if (info.frames && facts.registered < 9) return Refusal{-603, "この式別は発売されていません。"};
    if (kind == BetKind::Place && starters < 5) return Refusal{-603, "この式別は発売されていません。"};
    for (int k = 0; k < info.picks; ++k) {
        const int limit = info.frames ? frames : facts.registered;
        if (v[k] < 1 || v[k] > limit) return Refusal{-606, "馬番・枠番が不正です。"};
    }
    return info.frames ? refusalOfFrames(info, v, facts) : refusalOfHorses(info, v, facts);
}

// One 90-digit line read into a bet, or the refusal of its first fault, in the order the site checks.
std::optional<Refusal> readBetLine(const std::string& line, RaceFactsSource& races, std::int64_t nowMinute,
                                   AccountBet& bet) {
    if (auto refusal = refusalOfFormat(line)) return refusal;
    const std::string date = dateOfLine(line, static_cast<int>(nowMinute / 1440));
    const int track = digitsAt(line, 5, 2), race = digitsAt(line, 7, 2);
    if (date.empty()) return Refusal{-806, "発売されていない開催日です。"};
    if (!races.trackMeets(date, track)) return Refusal{-6, "対象競馬場の開催がありません。"};
    const std::optional<RaceFacts> facts = races.raceFacts(date, track, race, nowMinute);
    if (!facts) return Refusal{-604, "レース番号が不正です。"};
    if (nowMinute < facts->saleOpen) return Refusal{-806, "発売開始前です。"};
    if (nowMinute > facts->post) return Refusal{-799, "締切後のため受け付けられませんでした。"};
    const int kind = line[9] - '0';
    const std::optional<BetKind> betKind = betKindFromCode(kind);
    if (!betKind) return Refusal{-602, "式別が不正です。"};
    int v[3] = {0, 0, 0};
    if (auto refusal = readNumbers(line, betKindInfo(*betKind), v)) return refusal;
    if (auto refusal = refusalOfCombination(*betKind, v, *facts)) return refusal;
    const int units = digitsAt(line, 83, 5);
    if (units < 1) return Refusal{-810, "投票金額が不正です。"};
    bet = AccountBet{};
    bet.date = date;
    bet.track = track;
    bet.race = race;
    bet.kind = kind;
    bet.a = v[0];
    bet.b = v[1];
    bet.c = v[2];
    bet.units = units;
    return std::nullopt;
}

}  // namespace

int BettingAccount::bet(const std::string& pin, const std::string& lines, int mode, int& purchaseAmount,
                        int& remainingVotes, int& purchaseLimit, std::string& resultText) {
    purchaseAmount = 0;
    resultText.clear();
    if (!loggedIn_) return -5;
    FileUpdate update(file());
    bool changed = false;
    AccountBook book = fresh(update, changed);
    const Account& acc = currentAccount(book);
    remainingVotes = std::max(0, kDailyLines - acc.votes);
    purchaseLimit = static_cast<int>(acc.limit);
    // A refused call still keeps what reading the book rolled over or settled.
    auto refuse = [&](const Refusal& refusal) {
        resultText = sj(refusal.why);
        if (changed) save(book);
        return refusal.code;
    };
    if (auto refusal = refusalOfCall(pin, lines, mode, acc)) return refuse(*refusal);

    const std::int64_t nowMinute = sim::minuteOf(now());
    std::vector<AccountBet> accepted;
    long long amount = 0;
    for (std::size_t i = 0; i < lines.size() / 90; ++i) {
        AccountBet b;
        if (auto refusal = readBetLine(lines.substr(i * 90, 90), *races_, nowMinute, b))
            return refuse({refusal->code, std::to_string(i + 1) + "行目：" + refusal->why});
        accepted.push_back(b);
        amount += 100LL * b.units;
    }
    if (acc.votes + static_cast<int>(accepted.size()) > kDailyLines)
        return refuse({-809, "1日の購入件数上限3000件を超えます。"});
    if (amount > acc.limit) return refuse({-803, "購入限度額を超えています。"});
    return buy(book, accepted, amount, purchaseAmount, remainingVotes, purchaseLimit, resultText);
}

int BettingAccount::buy(const AccountBook& book, std::vector<AccountBet> accepted, long long amount,
                        int& purchaseAmount, int& remainingVotes, int& purchaseLimit, std::string& resultText) {
    AccountBook next = book;
    Account& a = next.accounts[static_cast<std::size_t>(next.current)];
    const int firstReceipt = next.nextReceipt;
    for (AccountBet& b : accepted) {
        b.receipt = next.nextReceipt++;
        next.bets.push_back({next.current, b});
    }
    a.limit -= amount;
    a.bought += amount;
    a.votes += static_cast<int>(accepted.size());
    if (!save(next)) {
        resultText = sj("システムエラーのため受け付けられませんでした。");
        return -800;
    }
    purchaseAmount = static_cast<int>(amount);
    remainingVotes = kDailyLines - a.votes;
    purchaseLimit = static_cast<int>(a.limit);
    resultText = sj("受付番号:" + sim::digits(firstReceipt, 6) + " " + std::to_string(accepted.size()) + "件 " +
                    std::to_string(amount) + "円 受付完了");
    return 0;
}

int BettingAccount::balance(int& purchaseLimit, int& boughtToday, int& paidOutToday, int& remainingVotes) {
    if (!loggedIn_) return -5;
    FileUpdate update(file());
    bool changed = false;
    AccountBook book = fresh(update, changed);
    const Account& a = currentAccount(book);
    if (changed && !save(book)) return -800;
    purchaseLimit = static_cast<int>(a.limit);
    boughtToday = static_cast<int>(a.bought);
    paidOutToday = static_cast<int>(a.paid);
    remainingVotes = kDailyLines - a.votes;
    return 0;
}

int BettingAccount::deposit() {
    if (!loggedIn_) return -5;
    FileUpdate update(file());
    bool changed = false;
    AccountBook book = fresh(update, changed);
    Account& a = currentAccount(book);
    a.limit += kDepositAmount;
    a.deposited += kDepositAmount;
    return save(book) ? 0 : -800;
}

std::string BettingAccount::serviceKey() { return load().serviceKey; }

int BettingAccount::setServiceKey(const std::string& key) {
    if (key.size() != 17 || !std::all_of(key.begin(), key.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
        return -100;
    FileUpdate update(file());
    AccountBook book = bookOf(update.file(), update.existed(), update.bytes());
    book.serviceKey = key;
    return save(book) ? 0 : -100;
}

}  // namespace vex::control

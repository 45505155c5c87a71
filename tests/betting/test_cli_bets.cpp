// vexmora-cli card, bets and betlines on a store built by hand; every grid is recomputed here from
// the odds written into the store.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "bet_store.h"
#include "expected_bets.h"
#include "support/test_support.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

using test::Marks;

const Marks kMarks{{2, 5, 6, 9}, {1, 5, 7}, {3, 9, 11, 12}, {1, 4, 5, 10}};
const char* kMarkArgs = " --mark 8:2,5,6,9 --mark 9:1,5,7 --mark 10:3,9,11,12 --mark 11:1,4,5,10";

std::vector<std::vector<std::string>> cells(const std::string& out) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> row;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            row.push_back(line.substr(start, tab - start));
        row.push_back(line.substr(start));
        rows.push_back(row);
    }
    return rows;
}

std::string fmt(const char* f, double v) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}
std::string fmtInt(const char* f, long long v) {
    char b[64];
    std::snprintf(b, sizeof b, f, v);
    return b;
}

struct Case {
    int mode;
    std::string lower, upper;  // "-" = not given
    long long amount;          // 0 = not given (3000)
};

// The rows (columns 0-8) and the three labels the command should print.
std::vector<std::vector<std::string>> expectedOutput(BetKind kind, int method, const std::array<bool, 4>& multi,
                                                     const Case& c) {
    const test::Expected cands = test::expectedList(kind, method, multi, kMarks, test::kStoreRunners);
    const bool ignore = c.mode == 1 || c.mode == 3;
    const double lower = c.lower == "-" ? 1.0 : std::atof(c.lower.c_str());
    const double upper = c.upper == "-" ? 9999999.9 : std::atof(c.upper.c_str());
    const bool single = kind == BetKind::Win || kind == BetKind::Place;
    const int numberWidth = single ? 2 : kind == BetKind::Trifecta ? 4 : 3;
    const int oddsWidth = single ? 6 : kind == BetKind::Trifecta ? 8 : 7;
    struct Line {
        std::string comb;
        double odds;
        int pop;
        std::string ranks;
    };
    std::vector<Line> lines;
    for (std::size_t i = 0; i < cands.labels.size(); ++i) {
        const int k = cands.indexes[i];
        double odds;
        int pop;
        if (kind == BetKind::Win) odds = test::winOddsTenths(k) / 10.0, pop = test::winPopularityOf(k);
        else if (kind == BetKind::Place) odds = test::placeLowerTenths(k) / 10.0, pop = k;
        else {
            const int t = test::storedOddsTenths(kind, k);
            const int width = kind == BetKind::BracketQuinella || kind == BetKind::BracketExacta ? 2
                              : kind == BetKind::Trifecta                                       ? 4
                                                                                                : 3;
            odds = t > 0 ? t / 10.0 : 0;
            pop = t > 0 ? test::storedPopularity(kind, k, width) : 0;
        }
        if (!ignore && (odds <= 0 || odds < lower - 1e-9 || odds > upper + 1e-9)) continue;
        std::string ranks;
        if (hasRankColumn(kind)) {
            const Combination cb = CombinationAt(kind, k);
            const int n[3] = {cb.a, cb.b, cb.c};
            for (int j = 0; j < betKindInfo(kind).picks; ++j)
                ranks += fmtInt(j ? "-%2lld" : "%2lld", test::winPopularityOf(n[j]));
        }
        lines.push_back({cands.labels[i], ignore ? 0 : odds, pop, ranks});
    }
    // Stakes.
    const long long amount = c.amount ? c.amount : 3000;
    const int n = static_cast<int>(lines.size());
    std::vector<long long> stake(n, 0);
    long long total = 0;
    if (c.mode == 4) {
        double w = 0;
        for (const Line& l : lines) w += 1.0 / l.odds;
        for (int i = 0; i < n; ++i) {
            stake[i] = std::max<long long>(100, static_cast<long long>(amount * (1.0 / lines[i].odds / w * 100) / 10000 + 0.95) * 100);
            total += stake[i];
        }
    } else if (n > 0) {
        long long s = c.mode <= 1 ? static_cast<long long>(static_cast<double>(amount) / n / 100 + 0.9) * 100 : amount;
        s = std::max<long long>(s, 100);
        std::fill(stake.begin(), stake.end(), s);
        total = s * n;
    }
    std::vector<std::vector<std::string>> rows;
    rows.push_back({toUtf8(sj("消")), "No.", "買い目", "オッズ", "人気", "連人気", "購入額", "回収額", "回収率"});
    double returns = 0;
    for (int i = 0; i < n; ++i) {
        const Line& l = lines[i];
        std::vector<std::string> row{"", fmtInt("%*lld", 0), l.comb,
                                     // 均等2 clears the blank odds column; 均一2 keeps the blanks
                                     ignore ? std::string(c.mode == 1 ? 0 : oddsWidth, ' ') : fmt(("%" + std::to_string(oddsWidth) + ".1f").c_str(), l.odds),
                                     fmtInt(("%" + std::to_string(numberWidth) + "lld").c_str(), l.pop), l.ranks,
                                     fmtInt("%6lld", stake[i]), "", ""};
        row[1] = fmtInt(("%" + std::to_string(numberWidth) + "lld").c_str(), i + 1);
        if (!ignore) {
            row[7] = fmt("%7.0f", stake[i] * l.odds);
            row[8] = fmt("%7.1f", stake[i] * l.odds / total * 100);
            returns += std::trunc(stake[i] * l.odds);
        }
        rows.push_back(row);
    }
    if (n == 0) rows.push_back(std::vector<std::string>(9, ""));
    rows.push_back({"買い点数", n ? fmtInt("%3lld", n) : ""});
    rows.push_back({"投票金額", n ? fmtInt("%6lld", total) : ""});
    rows.push_back({"予想回収率", n && !ignore ? fmt("%7.1f", returns / n / total * 100) : ""});
    return rows;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { test::writeBetStore(); }
    test::TempHome home;
};

TEST_F(Cli, BetsMatchListsComputedFromTheStore) {
    struct Config {
        int kind, method;
        std::vector<int> multis;
    };
    std::vector<Config> configs;
    for (int item = 0; item < kBetKindCount; ++item) {
        const BetKind kind = *betKindOfSelectorItem(item);
        const int methods = static_cast<int>(methodItems(kind).size());
        if (methods == 0) configs.push_back({item, -1, {}});
        for (int m = 0; m < methods; ++m) {
            configs.push_back({item, m, {}});
            const auto shown = multiBoxesShown(kind, m);
            for (int b = 0; b < 4; ++b)
                if (shown[b] && m > 0) configs.push_back({item, m, {b}});
        }
    }
    const Case cases[] = {{0, "-", "-", 0}, {4, "5.0", "20.0", 10000}, {3, "-", "", 500}, {2, "-", "", 0}, {1, "30", "-", 2000}};
    int runs = 0;
    for (const Config& cfg : configs) {
        for (const Case& c : cases) {
            std::string args = "bets 2024年01月15日 2 --kind " + std::to_string(cfg.kind);
            if (cfg.method >= 0) args += " --method " + std::to_string(cfg.method);
            std::array<bool, 4> multi{};
            for (int b : cfg.multis) {
                multi[b] = true;
                args += " --multi '" + toUtf8(multiCaption(static_cast<Multi>(b))) + "'";
            }
            args += kMarkArgs;
            args += " --mode " + std::to_string(c.mode);
            if (c.lower != "-") args += " --lower '" + c.lower + "'";
            if (c.upper != "-") args += " --upper '" + c.upper + "'";
            if (c.amount) args += " --amount " + std::to_string(c.amount);
            int code = -1;
            const std::string out = test::runCli(args, code);
            SCOPED_TRACE(args);
            ASSERT_EQ(code, 0);
            ASSERT_EQ(cells(out), expectedOutput(*betKindOfSelectorItem(cfg.kind), cfg.method, multi, c));
            ++runs;
        }
    }
    EXPECT_EQ(runs, 5 * 28);
}

TEST_F(Cli, CardShowsTheRunnersOfTheEntry) {
    int code = -1;
    const auto rows = cells(test::runCli("card 2024年01月15日 2", code));
    ASSERT_EQ(code, 0);
    ASSERT_EQ(rows.size(), 2u + test::kStoreRunners);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"ZONE", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"枠", "馬", "馬名", "ｺﾝﾋﾟ", "順", "単OZ", "順", "該当"}));
    for (int h = 1; h <= test::kStoreRunners; ++h)
        EXPECT_EQ(rows[1 + h], (std::vector<std::string>{fmtInt("%2lld", FrameOfHorse(test::kStoreRunners, h)),
                                                         fmtInt("%2lld", h), std::string(36, ' '), "     ", "　",
                                                         fmt("%5.1f", test::winOddsTenths(h) / 10.0),
                                                         fmtInt("%2lld", test::winPopularityOf(h)), ""}));
    EXPECT_EQ(cells(test::runCli("card 2024年01月15日 1", code)).size(), 2u + 8);
    // Errors: a missing day, an entry beyond the list, a bad option.
    test::runCli("card 2024年01月16日 1 2>/dev/null", code);
    EXPECT_EQ(code, 1);
    test::runCli("card 2024年01月15日 3 2>/dev/null", code);
    EXPECT_EQ(code, 1);
    test::runCli("bets 2024年01月15日 1 --kind 9 2>/dev/null", code);
    EXPECT_EQ(code, 2);
    test::runCli("bets 2024年01月15日 1 --kind 7 --method 4 2>/dev/null", code);
    EXPECT_EQ(code, 2);
    test::runCli("bets 2024年01月15日 1 --kind 5 --mark 8:19 2>/dev/null", code);
    EXPECT_EQ(code, 2);
}

TEST_F(Cli, BetLinesOfAList) {
    int code = -1;
    const std::string out = test::runCli("betlines 2024年01月15日 2 --kind 7 --method 3 --mark 8:3 --mark 9:12 --mark 10:7 "
                                         "--multi 1,2着マルチ --mode 3 --amount 500",
                                         code);
    ASSERT_EQ(code, 0);
    auto line = [](int a, int b, int c) {
        std::string l = "00115441190" + std::string(79, '0');
        l[10 + a] = l[34 + b] = l[58 + c] = '1';
        l.replace(83, 5, "00005");
        return l;
    };
    EXPECT_EQ(out, line(3, 12, 7) + "\n" + line(12, 3, 7) + "\n");
    // The settings file is never written by these commands.
    EXPECT_FALSE(std::filesystem::exists(home.path() / "Vexmora.ini"));
}

}  // namespace
}  // namespace vex

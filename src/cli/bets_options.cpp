#include "cli/bets_options.h"

#include <algorithm>
#include <charconv>

#include "app/app_folder.h"
#include "betting/race_adapter.h"
#include "cli/command.h"
#include "cli/day_argument.h"
#include "cli/day_loading.h"
#include "dayload/day_load.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

namespace {

int number(const std::string& text, const char* what, long long low, long long high) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < low || v > high)
        throw UsageError(std::string(what) + " が正しくありません (bad " + what + "): " + text);
    return static_cast<int>(v);
}

// An odds bound as the filter's box takes it: up to 7 digits, a point and one decimal (the
// defaults are 1.0 and 9999999.9), never a sign or an exponent; empty, as an emptied box.
std::string oddsBound(const std::string& text, const char* option) {
    if (text.empty()) return text;
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 7 || !digits(whole) || !digits(decimals) || decimals.size() > 1 ||
        (point != std::string::npos && decimals.empty()))
        throw UsageError(std::string(option) + " はオッズ（0.0～9999999.9）で指定してください (odds from 0.0 to 9999999.9): " + text);
    return toCp932(text);
}

bool takesValue(const std::string& option) {
    for (const char* known : {"--kind", "--method", "--mark", "--multi", "--mode", "--amount", "--lower", "--upper"})
        if (option == known) return true;
    return false;
}

std::vector<int> horseList(const std::string& text) {
    std::vector<int> horses;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        horses.push_back(number(item, "horse number", 1, 18));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return horses;
}

}  // namespace

BetsOptions parseBetsOptions(const std::vector<std::string>& args, bool withBetOptions) {
    if (args.size() < 2) throw UsageError("開催日とレース番号を指定してください (a day and a race-list entry are needed)");
    BetsOptions o;
    o.day = dayStampOfArgument(args[0]);
    o.entry = number(args[1], "race-list entry", 1, kMaxRaces);
    if (!withBetOptions && args.size() != 2) throw UsageError("余分な引数です (unexpected argument): " + args[2]);
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (!takesValue(opt)) throw UsageError("不明なオプションです (unknown option): " + opt);
        if (i + 1 >= args.size()) throw UsageError(opt + " の値がありません (needs a value)");
        const std::string& value = args[++i];
        if (opt == "--kind") {
            o.kind = number(value, "kind", 0, kBetKindCount - 1);
        } else if (opt == "--method") {
            o.method = number(value, "method", 0, 3);
        } else if (opt == "--mark") {
            const std::size_t colon = value.find(':');
            if (colon == std::string::npos) throw UsageError("--mark は C:H[,H...] で指定してください (--mark needs C:H[,H...])");
            o.marks.push_back({number(value.substr(0, colon), "mark column", 8, 11), horseList(value.substr(colon + 1))});
        } else if (opt == "--multi") {
            bool found = false;
            for (int m = 0; m < kMultiCount && !found; ++m)
                if (toUtf8(multiCaption(static_cast<Multi>(m))) == value) {
                    o.multis.push_back(static_cast<Multi>(m));
                    found = true;
                }
            if (!found) throw UsageError("不明なマルチ指定です (unknown multi box): " + value);
        } else if (opt == "--mode") {
            o.mode = number(value, "stake mode", 0, kStakeModeCount - 1);
        } else if (opt == "--amount") {
            o.amount = number(value, "amount", 100, 99999999);  // below 100 yen the page would keep its default stakes
        } else if (opt == "--lower") {
            o.lower = oddsBound(value, "--lower");
        } else {
            o.upper = oddsBound(value, "--upper");
        }
    }
    if (withBetOptions && !o.kind) throw UsageError("--kind を指定してください (--kind is needed)");
    return o;
}

std::optional<PreparedRace> prepareBetPage(const BetsOptions& o, bool applyBetOptions) {
    createAppFolders();
    PreparedRace prepared;
    // Stake mode, amount, odds bounds and limits would silently be the defaults: no list is made.
    if (const std::string problem = prepared.settings.readProblem(); applyBetOptions && !problem.empty()) {
        printError(problem + "\n" + sj("設定ファイルが読めないため、買い目を作れません。"));
        return std::nullopt;
    }
    prepared.table = std::make_unique<RaceTable>();
    RaceTable& table = *prepared.table;
    HeldMessages messages;
    if (!loadDayOrSayWhy(table, o.day, messages).loaded) return std::nullopt;
    prepared.slot = table.slotOfListItem(o.entry - 1);
    if (prepared.slot < 0) {
        printError("no race-list entry " + std::to_string(o.entry) + " on that day");
        return std::nullopt;
    }
    table.currentSlot = prepared.slot;
    const BetRace race = betRaceOf(table, prepared.slot);
    if (race.cardRows.empty() || race.cardRows[0].horse <= 0) {
        printError(race.raceNumber + sj("レースはデータが不十分です。"));
        return std::nullopt;
    }
    // The page reads its defaults from the settings file but never writes it from here.
    prepared.page = std::make_unique<BetPage>(&prepared.settings, false);
    BetPage& page = *prepared.page;
    page.selectRace(race);
    if (!applyBetOptions) return prepared;

    page.setKind(*betKindOfSelectorItem(*o.kind));
    if (!page.methodItems().empty()) {
        const int method = o.method.value_or(0);
        if (method >= static_cast<int>(page.methodItems().size()))
            throw UsageError("この馬券種に買い方 " + std::to_string(method) + " はありません (method " + std::to_string(method) + " does not exist for that kind)");
        page.setMethod(method);
    }
    for (Multi m : o.multis) page.setMulti(m, true);
    if (o.mode) page.setStakeMode(static_cast<StakeMode>(*o.mode));
    if (o.lower) page.setLowerText(*o.lower);
    if (o.upper) page.setUpperText(*o.upper);
    for (const auto& [col, horses] : o.marks)
        for (int horse : horses)
            for (int row = 1; row < page.card().grid().rowCount(); ++row)
                if (page.card().horseOfRow(row) == horse && !page.card().hasMark(col, row)) page.cardCellClick(col, row);
    if (o.amount) page.setAmount(*o.amount);
    return prepared;
}

void printGrid(const TextGrid& grid, int lastCol) {
    for (int r = 0; r < grid.rowCount(); ++r) {
        std::string line;
        for (int c = 0; c <= lastCol && c < grid.colCount(); ++c) {
            if (c) line += '\t';
            line += grid.cell(c, r);
        }
        printLine(line);
    }
}

}  // namespace vex::cli

#include "cli/bets_options.h"

#include <charconv>

#include "app/app_folder.h"
#include "betting/race_adapter.h"
#include "cli/command.h"
#include "cli/day_argument.h"
#include "dayload/day_load.h"
#include "vocabulary/cp932.h"

namespace vex::cli {

namespace {

int number(const std::string& text, const char* what, long long low, long long high) {
    long long v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (ec != std::errc() || p != end || v < low || v > high)
        throw UsageError(std::string("bad ") + what + ": " + text);
    return static_cast<int>(v);
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
    if (args.size() < 2) throw UsageError("a day and a race-list entry are needed");
    BetsOptions o;
    o.day = dayStampOfArgument(args[0]);
    o.entry = number(args[1], "race-list entry", 1, kMaxRaces);
    if (!withBetOptions && args.size() != 2) throw UsageError("unexpected argument: " + args[2]);
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (i + 1 >= args.size()) throw UsageError(opt + " needs a value");
        const std::string& value = args[++i];
        if (opt == "--kind") {
            o.kind = number(value, "kind", 0, kBetKindCount - 1);
        } else if (opt == "--method") {
            o.method = number(value, "method", 0, 3);
        } else if (opt == "--mark") {
            const std::size_t colon = value.find(':');
            if (colon == std::string::npos) throw UsageError("--mark needs C:H[,H...]");
            o.marks.push_back({number(value.substr(0, colon), "mark column", 8, 11), horseList(value.substr(colon + 1))});
        } else if (opt == "--multi") {
            bool found = false;
            for (int m = 0; m < kMultiCount && !found; ++m)
                if (toUtf8(multiCaption(static_cast<Multi>(m))) == value) {
                    o.multis.push_back(static_cast<Multi>(m));
                    found = true;
                }
            if (!found) throw UsageError("unknown multi box: " + value);
        } else if (opt == "--mode") {
            o.mode = number(value, "stake mode", 0, kStakeModeCount - 1);
        } else if (opt == "--amount") {
            o.amount = number(value, "amount", 100, 99999999);  // below 100 yen the page would keep its default stakes
        } else if (opt == "--lower") {
            o.lower = toCp932(value);
        } else if (opt == "--upper") {
            o.upper = toCp932(value);
        } else {
            throw UsageError("unknown option: " + opt);
        }
    }
    if (withBetOptions && !o.kind) throw UsageError("--kind is needed");
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
    DayLoadOptions load;
    load.batch = true;
    if (!loadDay(table, o.day, load).loaded) {
        printError(noRaceFileMessage());
        return std::nullopt;
    }
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
            throw UsageError("method " + std::to_string(method) + " does not exist for that kind");
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

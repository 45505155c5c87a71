// vexmora-cli stats: the analysis tables over the appearance files in TOKEI, TAB-separated (CSV
// with --csv), header first. What the tables cover and the files skipped go to stderr, so stdout
// stays the tables alone.
#include <charconv>
#include <iostream>
#include <optional>

#include "cli/command.h"
#include "cli/day_argument.h"
#include "stats/stats_tables.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"
#include "vocabulary/fields.h"

namespace vex::cli {
namespace {

struct StatsOptions {
    int fromDate = 0, toDate = 99999999;
    RaceFilter filter;
    StrategyCriteria criteria;
    std::string by;  // empty: every table
    bool csv = false;
};

std::optional<int> number(std::string_view text) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// yyyymmdd of DAY, in any of the forms every command takes.
int parseDay(const std::string& text) {
    std::string digits;
    for (char c : dayStampOfArgument(text))  // the stamp's kanji hold no ASCII digit
        if (isDigit(c)) digits += c;
    return number(digits).value_or(0);
}

NumberRange parseRange(const std::string& text, const char* option) {
    std::size_t dash = text.find('-');
    auto low = number(std::string_view(text).substr(0, dash));
    auto high = dash == std::string::npos ? low : number(std::string_view(text).substr(dash + 1));
    if (!low || !high || *low > *high) throw UsageError(std::string(option) + " は FROM-TO で指定してください (wants FROM-TO): " + text);
    return {*low, *high};
}

std::vector<int> parseList(const std::string& text, const char* option, int low, int high) {
    std::vector<int> list;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t comma = std::min(text.find(',', at), text.size());
        auto value = number(std::string_view(text).substr(at, comma - at));
        if (!value || *value < low || *value > high)
            throw UsageError(std::string(option) + " wants numbers " + std::to_string(low) + "-" +
                             std::to_string(high) + " joined by commas: " + text);
        list.push_back(*value);
        at = comma + 1;
    }
    return list;
}

// Track codes, or the tracks' short names as the race list shows them (大井).
std::vector<int> parseTracks(const std::string& text) {
    std::vector<int> codes;
    for (std::size_t at = 0; at <= text.size();) {
        std::size_t comma = std::min(text.find(',', at), text.size());
        std::string item = text.substr(at, comma - at);
        std::optional<int> code = number(item);
        for (int c = 1; !code && c <= 99; ++c) {
            std::string name;
            char digits[3] = {static_cast<char>('0' + c / 10), static_cast<char>('0' + c % 10), 0};
            if (TrackName(digits, 2, name) && !name.empty() && toUtf8(name) == item) code = c;
        }
        if (!code) throw UsageError("--track は競馬場のコードか名前で指定してください (wants track codes or names): " + text);
        codes.push_back(*code);
        at = comma + 1;
    }
    return codes;
}

Surface parseSurface(const std::string& text) {
    if (text == "turf" || text == "芝") return Surface::Turf;
    if (text == "dirt" || text == "ダート") return Surface::Dirt;
    throw UsageError("--surface は 芝 か ダート で指定してください (wants turf or dirt): " + text);
}

void applyOption(StatsOptions& o, const std::string& name, const std::string& value) {
    if (name == "--from") o.fromDate = parseDay(value);
    else if (name == "--to") o.toDate = parseDay(value);
    else if (name == "--track") o.filter.tracks = parseTracks(value);
    else if (name == "--surface") o.filter.surface = parseSurface(value);
    else if (name == "--distance") o.filter.distance = parseRange(value, "--distance");
    else if (name == "--runners") o.filter.runners = parseRange(value, "--runners");
    else if (name == "--race") o.filter.raceNumber = parseRange(value, "--race");
    else if (name == "--popularity") o.criteria.popularity = parseList(value, "--popularity", 1, 18);
    else if (name == "--type") o.criteria.raceTypes = parseList(value, "--type", 0, 3);
    else if (name == "--class") o.criteria.classes = parseList(value, "--class", 0, 7);
    else if (name == "--weight") o.criteria.weights = parseList(value, "--weight", 0, 3);
    else if (name == "--by" && (value == "compi" || value == "popularity" || value == "zone" || value == "strategy"))
        o.by = value;
    else throw UsageError("余分な引数です (unexpected argument): " + name + " " + value);
}

StatsOptions parseStatsOptions(const std::vector<std::string>& args) {
    StatsOptions o;
    // The window's lists decide tracks, surface, runners and distance for the strategy too.
    o.criteria.runnersFrom = 0;
    o.criteria.distanceFrom = 0;
    o.criteria.distanceTo = 9999;
    o.criteria.popularity = {1};
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--csv") o.csv = true;
        else if (i + 1 < args.size() && args[i].rfind("--", 0) == 0) applyOption(o, args[i], args[i + 1]), ++i;
        else throw UsageError("余分な引数です (unexpected argument): " + args[i]);
    }
    return o;
}

}  // namespace

int runStats(const std::vector<std::string>& args) {
    StatsOptions o = parseStatsOptions(args);
    AppearanceSet set = readAppearanceFolder(appearanceFolder(), o.fromDate, o.toDate);
    for (const std::string& warning : set.warnings) printError(warning);
    Analysis analysis = analyse(set.races, o.filter);
    std::vector<std::pair<std::string, TextGrid>> tables{
        {"compi", compiRankTable(analysis)},
        {"popularity", popularityTable(analysis)},
        {"zone", zoneTable(analysis)},
        {"strategy", strategyTable(checkStrategy(set.races, o.filter, o.criteria))},
    };
    bool first = true;
    for (const auto& [name, table] : tables) {
        if (!o.by.empty() && o.by != name) continue;
        if (!first) std::cout << '\n';
        first = false;
        std::cout << forTerminal(toUtf8(o.csv ? tableAsCsv(table) : tableAsTsv(table)));
    }
    std::cout.flush();
    printError(coverageText(analysis));
    return kOk;
}

}  // namespace vex::cli

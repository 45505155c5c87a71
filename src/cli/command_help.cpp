#include "cli/command_help.h"

#include <iostream>
#include <string_view>

#include "cli/command.h"
#include "cli/day_argument.h"

namespace vex::cli {
namespace {

struct Explanation {
    std::string_view name;
    std::string_view text;     // lines ended by \n
    std::string_view example;  // the arguments after "vexmora-cli "
};

constexpr std::string_view kBetOptions =
    "  --kind K       bet kind, the item of 馬券種: 0 単勝, 1 複勝, 2 枠連, 3 馬連, 4 ワイド,\n"
    "                 5 馬単, 6 ３連複, 7 ３連単, 8 枠単\n"
    "  --method M     the item of 買い方: 0 Box, 1 軸流し (1軸流し); the triples add 2 2軸流し\n"
    "                 and 3 ﾌｫｰﾒｰｼｮﾝ (default 0; not for 単勝/複勝)\n"
    "  --mark C:H,..  marks horses H in index-card column C: 8 ◎, 9 ○, 10 ▲, 11 相手\n"
    "  --multi CAP    checks the box so captioned (マルチ, 1,2着マルチ, ...)\n"
    "  --mode S       the item of 資金配分 (default: the settings)\n"
    "  --amount A     the amount in yen (default: DefaultAmount)\n"
    "  --lower X, --upper Y   the odds filter (default: the settings)\n";

// One entry per command of commands().
constexpr Explanation kExplanations[] = {
    {"betlines", "The 90-character bet lines a vote of that bet list would send, one per line.\n",
     "betlines today 1 --kind 5 --method 1 --mark 8:3 --mark 9:5,7"},
    {"bets",
     "Loads DAY, selects race-list entry N, sets the bet page as the options say and prints the bet\n"
     "list (header row first, TAB-joined), then 買い点数, 投票金額 and 予想回収率.\n",
     "bets 2026-12-09 3 --kind 3 --method 1 --mark 8:1 --mark 9:4,6 --amount 3000"},
    {"card",
     "Loads DAY and prints race-list entry N: the ZONE line, then the index card (header row first,\n"
     "TAB-joined cells).\n",
     "card today 2"},
    {"compi-import",
     "Brings in the Compi index from a saved page source (UTF-8, or CP932) without asking; prints\n"
     "the messages of the import.\n",
     "compi-import pages/20261209-44-2024.html"},
    {"compi-pages",
     "Writes the Compi page sources of the simulated service's days into DIR, one file per track\n"
     "day, ready for compi-import.\n",
     "compi-pages pages --from 20261209 --to 20261210"},
    {"days", "The stored race days, newest first, one day stamp per line.\n", "days"},
    {"direct-read",
     "Loads every stored day in batch mode, oldest first, as the desktop program's 一気読み does,\n"
     "writing each day's appearance-statistics file for stats; one line per day.\n",
     "direct-read"},
    {"download",
     "Downloads every record since the last download (or since --from, or 90 days back) into the\n"
     "store. On a terminal the progress stays on one line (percent, records, rate); piped, every\n"
     "status text is a line of its own. Ctrl-C cancels; what was read is kept.\n",
     "download --from \"2026/12/01 00:00:00\""},
    {"feed-export",
     "Writes the simulated service's data in the feed layout under DIR, to be replayed with\n"
     "VEXMORA_SERVICE=feed:DIR. --odds-history adds the win odds of each race over its day.\n",
     "feed-export feed --from 20261209 --to 20261209"},
    {"load",
     "Loads DAY as the day selector does (the appearance-statistics file included) and prints its\n"
     "race list, one race per line.\n",
     "load 2026年12月09日"},
    {"refresh-odds", "Fetches the odds of race-list entry N of DAY from the data service now.\n",
     "refresh-odds today 5"},
    {"refresh-results", "Fetches the results and payouts of DAY from the data service now.\n",
     "refresh-results today"},
    {"stats",
     "The analysis tables over the appearance-statistics files in TOKEI, TAB-separated (CSV with\n"
     "--csv), header first; --by chooses what the rows are grouped by.\n",
     "stats --from 2026-11-01 --to today --by zone"},
    {"vote",
     "Votes the bet list on the betting site without asking; the outcome goes to VovoVaro.log and\n"
     "its new lines are printed. Refused when a check fails, the settings file cannot be read, a\n"
     "spending limit ([AutoTohyo] DayLimit, RaceLimit) would be passed or the login fails (exit 1).\n"
     "SIGINT or SIGTERM stop it after the batch in flight, which is logged (exit 130 or 143).\n",
     "vote tomorrow 1 --kind 0 --mark 8:4 --amount 500"},
};

const Explanation* explanationOf(std::string_view name) {
    for (const auto& e : kExplanations)
        if (e.name == name) return &e;
    return nullptr;
}

bool takesDay(const std::string& usage) { return usage.find(" DAY") != std::string::npos; }
bool takesBetOptions(const std::string& usage) {
    return usage.find("--kind") != std::string::npos || usage.find("<bets options>") != std::string::npos;
}

}  // namespace

bool printCommandHelp(const std::string& name) {
    for (const auto& command : commands()) {
        if (command.name != name) continue;
        std::cout << "Usage: vexmora-cli " << command.usage << "\n";
        const Explanation* e = explanationOf(name);
        if (e) std::cout << '\n' << forTerminal(e->text);
        if (takesDay(command.usage)) std::cout << "\nDAY: " << forTerminal(kDayForms) << "\n";
        if (takesBetOptions(command.usage)) std::cout << "\nOptions:\n" << kBetOptions;
        if (e) std::cout << "\nExample:\n  vexmora-cli " << forTerminal(e->example) << '\n';
        return true;
    }
    return false;
}

}  // namespace vex::cli

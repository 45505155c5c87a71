#include "betting/bet_list.h"

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <tuple>

#include "betting/grid_sort.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

std::string formatInt(int width, long long value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, value);
    return buf;
}

std::string formatFixed(const char* format, int width, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, width, value);
    return buf;
}

std::string oddsCell(const BetList& list, const BetLine& line) {
    const int width = lineWidths(list.kind).odds;
    if (line.odds) return formatFixed("%*.1f", width, *line.odds);
    return list.oddsEmptied ? std::string() : std::string(width, ' ');
}

bool combinationBefore(const Combination& x, const Combination& y) {
    return std::tie(x.a, x.b, x.c) < std::tie(y.a, y.b, y.c);
}

}  // namespace

LineWidths lineWidths(BetKind kind) {
    switch (kind) {
        case BetKind::Win:
        case BetKind::Place: return {2, 6, 2};
        case BetKind::Trifecta: return {4, 8, 4};
        default: return {3, 7, 3};
    }
}

bool hasRankColumn(BetKind kind) {
    const BetKindInfo& info = betKindInfo(kind);
    return info.picks >= 2 && !info.frames;
}

const std::string& eraseMark() {
    static const std::string t = sj("消");
    return t;
}

std::string combinationText(BetKind kind, const Combination& numbers) {
    const int picks = betKindInfo(kind).picks;
    const int n[3] = {numbers.a, numbers.b, numbers.c};
    std::string text;
    for (int i = 0; i < picks; ++i) {
        if (i > 0) text += '-';
        text += formatInt(2, n[i]);
    }
    return text;
}

std::string betListCell(const BetList& list, const BetLine& line, int col) {
    const LineWidths widths = lineWidths(list.kind);
    switch (col) {
        case kListErase: return line.erased ? eraseMark() : std::string();
        case kListNumber: return formatInt(widths.number, line.number);
        case kListCombination: return combinationText(list.kind, line.numbers);
        case kListOdds: return oddsCell(list, line);
        case kListPopularity: return formatInt(widths.popularity, line.popularity);
        case kListRanks: return line.winRanks ? combinationText(list.kind, *line.winRanks) : std::string();
        case kListStake: return line.stake != 0 ? formatInt(6, line.stake) : std::string();
        case kListReturn: return line.ifHit ? formatFixed("%*.0f", 7, line.ifHit->yen) : std::string();
        case kListReturnRate: return line.ifHit ? formatFixed("%*.1f", 7, line.ifHit->percentOfTotal) : std::string();
        default: return {};  // the statistics columns 9-14 are never filled
    }
}

TextGrid betListGrid(const BetList& list) {
    static const char* headers[kListColumns] = {"消",     "No.",     "買い目",  "オッズ",  "人気",
                                                "連人気", "購入額",  "回収額",  "回収率",  "出現率1",
                                                "出現率2", "出現率3", "結果配当", "結果回収", "結果人気"};
    const int count = static_cast<int>(list.lines.size());
    TextGrid grid(std::max(count + 1, 2), kListColumns);
    for (int c = 0; c < kListColumns; ++c) grid.setCell(c, 0, sj(headers[c]));
    for (int r = 1; r <= count; ++r)
        for (int c = 0; c < kListColumns; ++c) grid.setCell(c, r, betListCell(list, list.lines[r - 1], c));
    return grid;
}

TextGrid emptyBetList() { return betListGrid(BetList{}); }

std::vector<Combination> erasedCombinations(const BetList& list) {
    std::vector<Combination> erased;
    for (const BetLine& line : list.lines)
        if (line.erased) erased.push_back(line.numbers);
    std::sort(erased.begin(), erased.end(), combinationBefore);
    erased.erase(std::unique(erased.begin(), erased.end()), erased.end());
    return erased;
}

void markErased(BetList& list, const std::vector<Combination>& erased) {
    for (BetLine& line : list.lines)
        if (std::binary_search(erased.begin(), erased.end(), line.numbers, combinationBefore)) line.erased = true;
}

void sortBetList(BetList& list, int col, bool descending) {
    const std::size_t count = list.lines.size();
    if (count < 2 || col < 0 || col >= kListColumns) return;
    const int tie = col == kListNumber ? kListCombination : kListNumber;
    struct Keyed {
        std::string key, tieKey;
        std::size_t index;
    };
    std::vector<Keyed> order;
    order.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        order.push_back({betListCell(list, list.lines[i], col), betListCell(list, list.lines[i], tie), i});
    std::stable_sort(order.begin(), order.end(), [&](const Keyed& x, const Keyed& y) {
        const int c = x.key.compare(y.key);
        if (c != 0) return descending ? c > 0 : c < 0;
        return x.tieKey < y.tieKey;
    });
    std::vector<BetLine> sorted;
    sorted.reserve(count);
    for (const Keyed& k : order) sorted.push_back(std::move(list.lines[k.index]));
    list.lines = std::move(sorted);
}

bool BetListSort::headerClick(BetList& list, int col) {
    if (col < 1 || col >= kListColumns) return false;
    flags_[col] = 1 - flags_[col];
    last_ = col;
    sortBetList(list, col, flags_[col] == 1);
    return true;
}

bool isHit(BetKind kind, const Combination& numbers, const BetRace& race) {
    if (kind == BetKind::Win || kind == BetKind::Place) {
        const int horse = numbers.a;
        if (horse <= 0) return false;
        if (kind == BetKind::Win)
            return std::find(race.winHorses.begin(), race.winHorses.end(), horse) != race.winHorses.end();
        return std::find(race.placeHorses.begin(), race.placeHorses.begin() + 3, horse) != race.placeHorses.begin() + 3;
    }
    // The payouts keep their combinations as the labels the list shows.
    const auto& labels = race.paidLabels[static_cast<int>(kind)];
    return std::find(labels.begin(), labels.end(), combinationText(kind, numbers)) != labels.end();
}

std::vector<std::string> listBetFiles(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        const std::string ext = it->path().extension().string();
        if (ext == ".txt" || ext == ".nbet") names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Characters `from`..`to` (1-based) of a line; shorter lines give what is there.
std::string part(const std::string& line, std::size_t from, std::size_t to) {
    if (line.size() < from) return {};
    return line.substr(from - 1, std::min(to, line.size()) - from + 1);
}

// Places of the "1"s of a 24-character number field, each followed by ",".
std::string ones(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i)
        if (field[i] == '1') out += std::to_string(i + 1) + ",";
    return out;
}

std::string rightOrBlank(const std::string& digits, int width) {
    const int v = cellInt(digits);
    if (v == 0) return std::string(width, ' ');
    char b[24];
    std::snprintf(b, sizeof b, "%*d", width, v);
    return b;
}

}  // namespace

TextGrid decodeBetLines(const std::vector<std::string>& lines) {
    static const char* headers[12] = {"NO", "日付", "場所", "R", "馬券", "方式", "F1", "F2", "F3", "金額", "予", "multi"};
    const int n = static_cast<int>(lines.size());
    TextGrid g(std::max(2, n + 1), 12);
    for (int c = 0; c < 12; ++c) g.setCell(c, 0, sj(headers[c]));
    char buf[16];
    for (int i = 0; i < n; ++i) {
        const std::string& line = lines[i];
        const int r = i + 1;
        std::snprintf(buf, sizeof buf, "%4d", r);
        g.setCell(0, r, buf);
        g.setCell(1, r, part(line, 2, 3) + "/" + part(line, 4, 5));
        g.setCell(2, r, TrackName(part(line, 6, 7), 2));
        g.setCell(3, r, rightOrBlank(part(line, 8, 9), 2));
        g.setCell(4, r, CodeToName(part(line, 10, 10)));
        g.setCell(5, r, part(line, 11, 11));
        g.setCell(6, r, ones(part(line, 12, 35)));
        g.setCell(7, r, ones(part(line, 36, 59)));
        g.setCell(8, r, ones(part(line, 60, 83)));
        g.setCell(9, r, rightOrBlank(part(line, 84, 88), 5));
        g.setCell(10, r, part(line, 89, 89));
        g.setCell(11, r, part(line, 90, 90));
    }
    return g;
}

}  // namespace vex

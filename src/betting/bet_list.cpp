#include "betting/bet_list.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "betting/grid_sort.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

const std::string& eraseMark() {
    static const std::string t = sj("消");
    return t;
}

TextGrid emptyBetList() {
    static const char* headers[kListColumns] = {"消",     "No.",     "買い目",  "オッズ",  "人気",
                                                "連人気", "購入額",  "回収額",  "回収率",  "出現率1",
                                                "出現率2", "出現率3", "結果配当", "結果回収", "結果人気"};
    TextGrid g(2, kListColumns);
    for (int c = 0; c < kListColumns; ++c) g.setCell(c, 0, sj(headers[c]));
    return g;
}

void clearBetList(TextGrid& list) {
    static const TextGrid empty = emptyBetList();
    list = empty;
}

std::vector<std::string> erasedCombinations(const TextGrid& list) {
    std::vector<std::string> erased;
    for (int r = 1; r < list.rowCount(); ++r)
        if (list.cell(kListErase, r) == eraseMark()) erased.push_back(list.cell(kListCombination, r));
    std::sort(erased.begin(), erased.end());
    erased.erase(std::unique(erased.begin(), erased.end()), erased.end());
    return erased;
}

void writeBetList(TextGrid& list, const std::vector<BetLine>& lines, BetKind kind,
                  const std::vector<std::string>& erased) {
    clearBetList(list);
    const int count = static_cast<int>(lines.size());
    list.resize(std::max(count + 1, 2), kListColumns);
    const int width = lineWidths(kind).number;
    const bool ranks = hasRankColumn(kind);
    char buf[16];
    for (int i = 0; i < count; ++i) {
        const BetLine& line = lines[i];
        std::snprintf(buf, sizeof buf, "%*d", width, i + 1);
        list.setCell(kListNumber, i + 1, buf);
        list.setCell(kListCombination, i + 1, line.combination);
        list.setCell(kListOdds, i + 1, line.odds);
        list.setCell(kListPopularity, i + 1, line.popularity);
        if (ranks) list.setCell(kListRanks, i + 1, line.ranks);
    }
    // Lines are in ascending combination order, so the first row of a text is found by search.
    for (const std::string& text : erased) {
        auto it = std::lower_bound(lines.begin(), lines.end(), text,
                                   [](const BetLine& l, const std::string& t) { return l.combination < t; });
        if (it != lines.end() && it->combination == text)
            list.setCell(kListErase, static_cast<int>(it - lines.begin()) + 1, eraseMark());
    }
}

bool toggleErase(TextGrid& list, int row) {
    if (row < 1 || row >= list.rowCount()) return false;
    const std::string& cell = list.cell(kListErase, row);
    list.setCell(kListErase, row, isBlank(cell) ? eraseMark() : std::string());
    return true;
}

bool BetListSort::headerClick(TextGrid& list, int col) {
    if (col < 1 || col >= kListColumns) return false;
    flags_[col] = 1 - flags_[col];
    last_ = col;
    sortGridRows(list, col, flags_[col] == 1);
    return true;
}

bool isHit(const std::string& combination, BetKind kind, const BetRace& race) {
    if (isBlank(combination)) return false;
    if (kind == BetKind::Win || kind == BetKind::Place) {
        const int horse = cellInt(combination);
        if (horse <= 0) return false;
        if (kind == BetKind::Win)
            return std::find(race.winHorses.begin(), race.winHorses.end(), horse) != race.winHorses.end();
        return std::find(race.placeHorses.begin(), race.placeHorses.begin() + 3, horse) != race.placeHorses.begin() + 3;
    }
    const auto& labels = race.paidLabels[static_cast<int>(kind)];
    return std::find(labels.begin(), labels.end(), combination) != labels.end();
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

#include "stats/stats_tables.h"

#include <cstdio>

#include "store/zone.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

std::string percentText(long long part, long long whole) {
    if (whole == 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", 100.0 * static_cast<double>(part) / static_cast<double>(whole));
    return text;
}

namespace {

std::vector<std::string> recordCells(const BetRecord& r) {
    return {std::to_string(r.runners), std::to_string(r.wins), std::to_string(r.topThree),
            percentText(r.wins, r.runners), percentText(r.topThree, r.runners),
            percentText(r.winPaid, r.winStake), percentText(r.placePaid, r.placeStake)};
}

TextGrid recordTable(const std::string& firstCaption, const std::vector<std::string>& extraCaptions,
                     const std::vector<std::vector<std::string>>& leadingCells, const BetRecord* records) {
    std::vector<std::string> header{firstCaption};
    header.insert(header.end(), extraCaptions.begin(), extraCaptions.end());
    for (const char* caption : {"頭数", "1着", "3着内", "勝率", "複勝率", "単回収率", "複回収率"})
        header.push_back(sj(caption));
    TextGrid grid(static_cast<int>(leadingCells.size()) + 1, static_cast<int>(header.size()));
    grid.setRow(0, header);
    for (std::size_t i = 0; i < leadingCells.size(); ++i) {
        std::vector<std::string> row = leadingCells[i];
        std::vector<std::string> cells = recordCells(records[i]);
        row.insert(row.end(), cells.begin(), cells.end());
        grid.setRow(static_cast<int>(i) + 1, row);
    }
    return grid;
}

TextGrid rankedTable(const char* caption, const std::array<BetRecord, 19>& records) {
    std::vector<std::vector<std::string>> leading;
    for (int rank = 1; rank <= 18; ++rank) leading.push_back({std::to_string(rank)});
    return recordTable(sj(caption), {}, leading, &records[1]);
}

}  // namespace

TextGrid compiRankTable(const Analysis& analysis) { return rankedTable("順位", analysis.byCompiRank); }

TextGrid popularityTable(const Analysis& analysis) { return rankedTable("人気", analysis.byPopularity); }

TextGrid zoneTable(const Analysis& analysis) {
    std::vector<std::vector<std::string>> leading;
    for (int row = 0; row < kZoneRows; ++row) {
        std::string label = row < kZoneRows - 1 ? zoneLabel(row + 1) : sj("なし");
        leading.push_back({label, std::to_string(analysis.zoneRaces[static_cast<std::size_t>(row)])});
    }
    return recordTable(sj("ゾーン"), {sj("レース数")}, leading, analysis.zoneRecommended.data());
}

TextGrid strategyTable(const StrategyResult& r) {
    TextGrid grid(2, 7);
    grid.setRow(0, {sj("対象レース"), sj("買い目数"), sj("投票金額"), sj("払戻金額"), sj("回収率"), sj("最大連敗"),
                    sj("最大ドローダウン")});
    grid.setRow(1, {std::to_string(r.races), std::to_string(r.bets), GroupedDigits(r.stake), GroupedDigits(r.paid),
                    percentText(r.paid, r.stake), std::to_string(r.longestLosingRun),
                    GroupedDigits(r.worstDrawdown)});
    return grid;
}

std::string coverageText(const Analysis& analysis) {
    return std::to_string(analysis.days) + sj("日 ") + std::to_string(analysis.races) + sj("レース");
}

std::string tableAsTsv(const TextGrid& table) {
    std::string out;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.colCount(); ++c) {
            if (c > 0) out += '\t';
            out += table.cell(c, r);
        }
        out += '\n';
    }
    return out;
}

namespace {
std::string csvCell(const std::string& cell) {
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}
}  // namespace

std::string tableAsCsv(const TextGrid& table) {
    std::string out;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.colCount(); ++c) {
            if (c > 0) out += ',';
            out += csvCell(table.cell(c, r));
        }
        out += '\n';
    }
    return out;
}

}  // namespace vex

#include "betting/race_card_grid.h"

#include <cstdio>
#include <exception>

#include "store/race_table.h"
#include "store/record_reader.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

// A rank, position or popularity: blank when there is none.
std::string rankText(int n) { return n >= 1 ? formatText("%2d", n) : std::string(); }

// CP932 text without leading and trailing blanks (ASCII and full-width), minding character boundaries.
std::string trimmed(std::string_view s) {
    std::size_t first = std::string_view::npos, end = 0, i = 0;
    while (i < s.size()) {
        const bool lead = isLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
        const std::size_t len = lead ? 2 : 1;
        const bool blank = lead ? (s[i] == '\x81' && s[i + 1] == '\x40') : s[i] == ' ';
        if (!blank) {
            if (first == std::string_view::npos) first = i;
            end = i + len;
        }
        i += len;
    }
    return first == std::string_view::npos ? std::string() : std::string(s.substr(first, end - first));
}

std::string compiText(int value) {
    if (value >= 40) return formatText("%3d", value);
    if (value == 11) return sj("消");
    if (value == 12) return sj("除");
    if (value == 13) return sj("止");
    return {};
}

std::string surfaceText(int course) {
    if (course >= 10 && course <= 22) return sj("芝");
    if (course >= 23 && course <= 29) return sj("ダ");
    if (course >= 51 && course <= 59) return sj("障");
    return {};
}

// Rank of `h` by a value where higher is better, among horses 1..runners with a value above 0;
// equal values share the better rank. 0 when `h` has no value.
template <class Values>
int rankAmong(const Values& values, int runners, int h) {
    if (!(values[h] > 0)) return 0;
    int rank = 1;
    for (int o = 1; o <= runners; ++o)
        if (values[o] > values[h]) ++rank;
    return rank;
}

void writePastRun(TextGrid& grid, int row, const SeRecord& se, const RaRecord& ra, int k) {
    if (isEmptyYear(se.field(Common::Year)) || fieldNumber(se.field(Common::RaceNumber)) < 1) return;
    const int col = kRcPastRun + 3 * (k - 1);
    std::string_view md = se.field(Common::MonthDay);
    grid.setCell(col, row, std::to_string(fieldNumber(md.substr(0, 2))) + "." + std::to_string(fieldNumber(md.substr(2))) +
                               trimmed(TrackName(se.field(Common::Track), 2)));
    const int distance = fieldNumber(ra.field(RA::Distance));
    if (distance > 0) grid.setCell(col + 1, row, surfaceText(fieldNumber(ra.field(RA::Surface))) + std::to_string(distance));
    const int finish = fieldNumber(se.field(SE::FinishPosition));
    const int runners = registeredRunners(ra);
    if (finish >= 1) grid.setCell(col + 2, row, formatText("%2d", finish) + (runners > 0 ? "/" + std::to_string(runners) : ""));
}

}  // namespace

TextGrid buildRaceCardGrid(const RaceTable& table, int slot) {
    static const char* headers[kRaceCardColumns] = {
        "枠",   "馬",   "馬名", "性齢", "騎手", "斤量", "間隔", "ｺﾝﾋﾟ", "順",   "単OZ", "人",
        "複OZ", "人",   "複率", "順",   "前着", "前人", "前走", "距離", "着順", "前走2", "距離",
        "着順", "前走3", "距離", "着順", "成績", "該当", "着",   "人",   "ﾀｲﾑ"};
    TextGrid grid(1, kRaceCardColumns);
    for (int c = 0; c < kRaceCardColumns; ++c) grid.setCell(c, 0, sj(headers[c]));
    if (slot < 0 || slot >= kMaxRaces) return grid;

    const RaceRecord& rec = table.races[slot];
    const RawRecords& raw = table.raw[slot];
    const int runners = registeredRunners(raw.ra);
    grid.resize(runners + 1, kRaceCardColumns);
    for (int row = 1; row <= runners; ++row) {
        const SeRecord& se = raw.se[row - 1];
        const int frame = fieldNumber(se.field(SE::Frame));
        const int horse = fieldNumber(se.field(SE::Horse));
        if (frame >= 1) grid.setCell(kRcFrame, row, formatText("%2d", frame));
        if (horse >= 1) grid.setCell(kRcHorse, row, formatText("%2d", horse));
        grid.setCell(kRcName, row, trimmed(se.field(SE::HorseName)));
        const int age = fieldNumber(se.field(SE::Age));
        const std::string sex = SexName(se.field(SE::Sex));
        if (!sex.empty() || age > 0) grid.setCell(kRcSexAge, row, sex + (age > 0 ? std::to_string(age) : ""));
        grid.setCell(kRcJockey, row, trimmed(se.field(SE::Jockey)));
        grid.setCell(kRcWeight, row, trimmed(TenthsText(se.field(SE::WeightCarried))));
        try {
            grid.setCell(kRcTime, row, trimmed(RaceTimeText(se.field(SE::Time))));
        } catch (const std::exception&) {
            // A damaged time field leaves the cell blank rather than the whole grid unbuilt.
        }

        // The race table's values are by horse number; a record without a valid one shows none.
        if (horse < 1 || horse > kMaxRunners) continue;
        const int h = horse;
        if (rec.intervalDays[h][1] > 0) grid.setCell(kRcInterval, row, formatText("%3d", rec.intervalDays[h][1]));
        grid.setCell(kRcCompi, row, compiText(rec.compiValue[h]));
        grid.setCell(kRcCompiRank, row, rankText(rec.compiRank[h]));
        if (rec.winOdds[h] > 0) grid.setCell(kRcWinOdds, row, formatText("%5.1f", rec.winOdds[h]));
        grid.setCell(kRcWinPopularity, row, rankText(rec.winPopularity[h]));
        if (rec.placeOddsLower[h] > 0) grid.setCell(kRcPlaceOdds, row, formatText("%4.1f", rec.placeOddsLower[h]));
        grid.setCell(kRcPlacePopularity, row, rankText(rec.placeLowerPopularity[h]));
        if (rec.topThreeRate[h] > 0) grid.setCell(kRcTopThreeRate, row, formatText("%5.1f", rec.topThreeRate[h]));
        grid.setCell(kRcTopThreeRank, row, rankText(rankAmong(rec.topThreeRate, runners, h)));

        const SeRecord& last = raw.pastSe[h - 1][0];
        if (!isEmptyYear(last.field(Common::Year))) {
            grid.setCell(kRcLastFinish, row, rankText(fieldNumber(last.field(SE::FinishPosition))));
            grid.setCell(kRcLastPopularity, row, rankText(fieldNumber(last.field(SE::WinPopularity))));
        }
        for (int k = 1; k <= kPastRuns; ++k) writePastRun(grid, row, raw.pastSe[h - 1][k - 1], raw.pastRa[h - 1][k - 1], k);
        const auto& fc = rec.finishCounts[h];
        if (fc[0] + fc[1] + fc[2] + fc[3] > 0)
            grid.setCell(kRcRecord, row, std::to_string(fc[0]) + "-" + std::to_string(fc[1]) + "-" +
                                             std::to_string(fc[2]) + "-" + std::to_string(fc[3]));
        if (rec.zoneFlag[h] > 0) grid.setCell(kRcZone, row, sj("☆"));
        grid.setCell(kRcFinish, row, rankText(rec.finalPosition[h]));
        grid.setCell(kRcFinalPopularity, row, rankText(rec.finalPopularity[h]));
    }
    return grid;
}

}  // namespace vex

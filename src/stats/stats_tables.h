#pragma once
// The analysis as tables of text (CP932), header row first: what the analysis window shows and
// what vexmora-cli stats prints, so both give the same figures. Rates and returns are percentages
// with one decimal; "-" where nothing was staked; yen grouped by thousands.
#include <string>

#include "stats/analysis.h"
#include "stats/strategy.h"
#include "vocabulary/text_grid.h"

namespace vex {

TextGrid compiRankTable(const Analysis& analysis);
TextGrid popularityTable(const Analysis& analysis);
TextGrid zoneTable(const Analysis& analysis);
TextGrid strategyTable(const StrategyResult& result);

// "150日 1800レース": what the tables cover.
std::string coverageText(const Analysis& analysis);

// percent of part over whole, one decimal; "-" for a whole of 0.
std::string percentText(long long part, long long whole);

// Rows joined by TAB (cells as held) or as CSV (cells with a comma, quote or line break quoted),
// each line ended by LF.
std::string tableAsTsv(const TextGrid& table);
std::string tableAsCsv(const TextGrid& table);

}  // namespace vex

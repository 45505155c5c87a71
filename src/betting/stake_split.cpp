#include "betting/stake_split.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex {

namespace {

void clearStakes(BetList& list) {
    for (BetLine& line : list.lines) {
        line.stake = 0;
        line.ifHit.reset();
    }
}

// 均等2 lists no odds, and its split leaves the odds column empty rather than blank.
void emptyOdds(BetList& list) {
    for (BetLine& line : list.lines) line.odds.reset();
    list.oddsEmptied = true;
}

// The lines the split shares the amount among: not erased and, where the mode uses odds, with odds
// above 0.
std::vector<bool> takingPart(const BetList& list, bool usesOdds) {
    std::vector<bool> part;
    part.reserve(list.lines.size());
    for (const BetLine& line : list.lines)
        part.push_back(!line.erased && (!usesOdds || (line.odds && *line.odds > 0)));
    return part;
}

long long atLeast100(long long stake) { return stake < 100 ? 100 : stake; }

// 均等 (and 均等2): the amount shared evenly, each share rounded up to 100 yen from 10 yen on;
// 均一 (and 均一2): the whole amount on every line. Returns the total.
long long evenOrFlatStakes(StakeMode mode, long long amount, BetList& list, const std::vector<bool>& part, int count) {
    long long stake = amount;
    if (mode == StakeMode::Even || mode == StakeMode::Even2)
        stake = static_cast<long long>(std::trunc(static_cast<double>(amount) / count / 100.0 + 0.9)) * 100;
    stake = atLeast100(stake);
    for (std::size_t i = 0; i < list.lines.size(); ++i)
        if (part[i]) list.lines[i].stake = stake;
    return stake * count;
}

// 比例: stakes in inverse proportion to the odds, each share rounded up to 100 yen from 5 yen on.
// Weights are scaled by 100 times the first line's odds, as the shares have always been computed;
// the scale cancels out. A listed line with odds of 0 takes no share but still buys 100 yen.
// Returns the total.
long long proportionalStakes(long long amount, BetList& list, const std::vector<bool>& part) {
    const double scale = 100.0 * *list.lines.front().odds;
    std::vector<double> weight(list.lines.size(), 0.0);
    double sum = 0;
    for (std::size_t i = 0; i < list.lines.size(); ++i)
        if (part[i]) {
            weight[i] = scale / *list.lines[i].odds;
            sum += weight[i];
        }
    long long total = 0;
    for (std::size_t i = 0; i < list.lines.size() && sum > 0; ++i) {
        BetLine& line = list.lines[i];
        if (line.erased || !line.odds) continue;
        const double share = weight[i] / sum * 100.0;
        line.stake = atLeast100(static_cast<long long>(std::trunc(static_cast<double>(amount) * share / 10000.0 + 0.95)) * 100);
        total += line.stake;
    }
    return total;
}

// What each staked line returns on a hit, and the expected rate: the mean of those returns as a
// percentage of the total stake.
double fillReturns(BetList& list, const std::vector<bool>& part, int count, long long total) {
    double returns = 0;
    for (std::size_t i = 0; i < list.lines.size(); ++i) {
        BetLine& line = list.lines[i];
        if (!part[i] || line.stake == 0) continue;
        const double back = static_cast<double>(line.stake) * *line.odds;
        line.ifHit = HitReturn{back, back / static_cast<double>(total) * 100.0};
        returns += std::trunc(back);
    }
    return returns / count / static_cast<double>(total) * 100.0;
}

}  // namespace

std::string stakeModeCaption(StakeMode m) {
    static const char* c[kStakeModeCount] = {"均等", "均等2", "均一", "均一2", "比例"};
    return sj(c[static_cast<int>(m)]);
}

namespace {

std::string refusalNote(SplitRefusal refusal) {
    switch (refusal) {
        case SplitRefusal::AmountBelow100:
            return sj("入力投票金額が100円未満のため、購入額を割り振れません。100円以上を入力してください。");
        case SplitRefusal::TooManyLines:
            return sj("買い目が") + GroupedDigits(static_cast<long long>(kMaxBetLines)) +
                   sj("点を超えるため、購入額を割り振れません。");
        case SplitRefusal::None: break;
    }
    return {};
}

}  // namespace

SplitLabels splitLabels(const StakeSummary& summary, long long amount, SplitRefusal refusal) {
    SplitLabels labels;
    labels.note = refusalNote(refusal);
    if (summary.total && *summary.total > 0) {
        labels.totalBesideAmount = sj("合計 ") + GroupedDigits(*summary.total) + sj("円");
        labels.totalAboveAmount = amount > 0 && *summary.total > amount;
        if (labels.totalAboveAmount)
            labels.totalBesideAmount += sj("（入力額より") + GroupedDigits(*summary.total - amount) + sj("円多い）");
    }
    if (summary.lines) labels.count = formatText("%3d", *summary.lines);
    if (summary.total) labels.total = formatText("%6lld", *summary.total);
    if (summary.rate) {
        const double rate = *summary.rate;
        labels.rate = formatText("%7.1f", rate);
        labels.colour = rate > 100 ? RateColour::Black : rate > 0 ? RateColour::Red : RateColour::None;
    }
    return labels;
}

SplitRefusal splitStakes(StakeMode mode, long long amount, BetList& list, StakeSummary& summary) {
    if (list.lines.size() > kMaxBetLines) return SplitRefusal::TooManyLines;
    if (amount < 100) {
        // No stake below 100 yen: the previous amount's stakes must not stay to be voted.
        clearStakes(list);
        summary = {};
        return SplitRefusal::AmountBelow100;
    }
    if (mode == StakeMode::Proportional && (list.lines.empty() || !list.lines.front().odds)) return SplitRefusal::None;

    clearStakes(list);
    if (mode == StakeMode::Even2) emptyOdds(list);
    const bool usesOdds = !ignoresOdds(mode);
    const std::vector<bool> part = takingPart(list, usesOdds);
    const int count = static_cast<int>(std::count(part.begin(), part.end(), true));

    long long total = 0;
    if (mode == StakeMode::Proportional) {
        total = proportionalStakes(amount, list, part);
    } else {
        if (count == 0) return SplitRefusal::None;
        total = evenOrFlatStakes(mode, amount, list, part, count);
    }
    summary.lines = count;
    summary.total = total;
    if (!usesOdds || total < 1 || count == 0) return SplitRefusal::None;
    summary.rate = fillReturns(list, part, count, total);
    return SplitRefusal::None;
}

}  // namespace vex

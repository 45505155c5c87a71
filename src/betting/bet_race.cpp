#include "betting/bet_race.h"

namespace vex {

void BetRace::sizeTables() {
    for (int c = 1; c <= kBetKindCount; ++c) {
        const int size = CombinationCount(static_cast<BetKind>(c));
        odds[c].assign(size + 1, 0.0);
        popularity[c].assign(size + 1, 0);
    }
}
double BetRace::oddsOf(BetKind kind, int k) const {
    const auto& t = odds[static_cast<int>(kind)];
    return k > 0 && k < static_cast<int>(t.size()) ? t[k] : 0.0;
}

int BetRace::popularityOf(BetKind kind, int k) const {
    const auto& t = popularity[static_cast<int>(kind)];
    return k > 0 && k < static_cast<int>(t.size()) ? t[k] : 0;
}

}  // namespace vex

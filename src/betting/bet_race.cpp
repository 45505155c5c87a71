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

namespace {

int startersInFrame(const BetRace& race, int frame) {
    int starters = 0;
    for (const BetRunner& r : race.cardRows)
        if (r.frame == frame && r.horse >= 1 && r.horse <= kMaxHorse && !race.nonStarter[r.horse]) ++starters;
    return starters;
}

}  // namespace

bool BetRace::canBet(BetKind kind, const Combination& numbers) const {
    const BetKindInfo& info = betKindInfo(kind);
    const int n[3] = {numbers.a, numbers.b, numbers.c};
    for (int i = 0; i < info.picks; ++i) {
        if (info.frames) {
            const int needed = info.picks == 2 && numbers.a == numbers.b ? 2 : 1;
            if (startersInFrame(*this, n[i]) < needed) return false;
        } else if (n[i] >= 1 && n[i] <= kMaxHorse && nonStarter[n[i]]) {
            return false;
        }
    }
    return true;
}

}  // namespace vex

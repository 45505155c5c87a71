#include "betting/bet_generator.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "betting/grid_sort.h"
#include "vocabulary/codes.h"

namespace vex {

namespace {

// The four mark columns of the card, in order: ◎ ○ ▲ 相手.
enum Mark { kFirstMark = 0, kSecondMark = 1, kThirdMark = 2, kPartnerMark = 3 };

// A card row as the generator reads it: the horse and which marks it carries.
struct MarkedRow {
    int horse;
    std::array<bool, 4> marks;
    bool has(Mark m) const { return marks[m]; }
};

std::vector<MarkedRow> markedRows(const IndexCard& card, int runners) {
    const int n = std::max(0, std::min(runners, card.dataRows()));
    std::vector<MarkedRow> rows;
    rows.reserve(n);
    for (int r = 1; r <= n; ++r)
        rows.push_back({card.horseOfRow(r), {card.hasMark(kCardMark1, r), card.hasMark(kCardMark2, r),
                                             card.hasMark(kCardMark3, r), card.hasMark(kCardPartner, r)}});
    return rows;
}

// 単勝 and 複勝: every ◎ horse.
void addSingles(std::vector<Combination>& out, const std::vector<MarkedRow>& rows) {
    for (const MarkedRow& a : rows)
        if (a.has(kFirstMark)) out.push_back({a.horse, 0, 0});
}

// Pair kinds: Box (method 0) pairs ◎ horses with each other, 軸流し (1) pairs ◎ with 相手. Frame kinds
// bet the horses' frames; the exactas add the reverse order of a wheel with マルチ.
void addPairs(std::vector<Combination>& out, const std::vector<MarkedRow>& rows, int runners, const BetChoice& choice) {
    const int method = choice.method;
    if (method != 0 && method != 1) return;
    const bool wheel = method == 1;
    const bool reverseToo = wheel && choice.multiOn(Multi::All);
    const Mark secondMark = wheel ? kPartnerMark : kFirstMark;
    auto frame = [&](int horse) { return FrameOfHorse(runners, horse); };
    for (const MarkedRow& a : rows) {
        if (!a.has(kFirstMark)) continue;
        for (const MarkedRow& b : rows) {
            if (!b.has(secondMark) || a.horse == b.horse) continue;
            const int lo = std::min(a.horse, b.horse), hi = std::max(a.horse, b.horse);
            switch (choice.kind) {
                case BetKind::Quinella:
                case BetKind::QuinellaPlace: out.push_back({lo, hi, 0}); break;
                case BetKind::BracketQuinella: out.push_back({frame(lo), frame(hi), 0}); break;
                case BetKind::Exacta:
                    out.push_back({a.horse, b.horse, 0});
                    if (reverseToo) out.push_back({b.horse, a.horse, 0});
                    break;
                case BetKind::BracketExacta: {
                    const int fa = frame(a.horse), fb = frame(b.horse);
                    if (fa == fb) break;
                    out.push_back({fa, fb, 0});
                    if (reverseToo) out.push_back({fb, fa, 0});
                    break;
                }
                default: break;
            }
        }
    }
}

// The mark each place of a triple needs, by method: Box ◎◎◎, 1軸流し ◎ 相手 相手, 2軸流し ◎◎ 相手
// (３連複) or ◎ ○ ▲ (３連単), ﾌｫｰﾒｰｼｮﾝ ◎ ○ ▲.
std::optional<std::array<Mark, 3>> tripleMarks(BetKind kind, int method) {
    switch (method) {
        case 0: return std::array{kFirstMark, kFirstMark, kFirstMark};
        case 1: return std::array{kFirstMark, kPartnerMark, kPartnerMark};
        case 2:
            if (kind == BetKind::Trio) return std::array{kFirstMark, kFirstMark, kPartnerMark};
            return std::array{kFirstMark, kSecondMark, kThirdMark};
        case 3: return std::array{kFirstMark, kSecondMark, kThirdMark};
        default: return std::nullopt;
    }
}

// ３連単: the order (a, b, c) drawn from the marks, and the other orders the multi boxes add.
void addTrifectaOrders(std::vector<Combination>& out, int a, int b, int c, const BetChoice& choice) {
    const bool multi = choice.multiOn(Multi::All);
    out.push_back({a, b, c});
    if (choice.method == 1 && multi) {
        out.insert(out.end(), {{b, a, c}, {b, c, a}});
    } else if (choice.method == 2 && multi) {
        out.insert(out.end(), {{a, c, b}, {b, a, c}, {b, c, a}, {c, b, a}, {c, a, b}});
    } else if (choice.method == 3) {
        if (multi || choice.multiOn(Multi::First12)) out.push_back({b, a, c});
        if (multi || choice.multiOn(Multi::Second23)) out.push_back({a, c, b});
        if (multi || choice.multiOn(Multi::Ends13)) out.push_back({c, b, a});
        if (multi) out.insert(out.end(), {{c, a, b}, {b, c, a}});
    }
}

// Triple kinds: every three different horses whose marks fit the method's places; ３連複 bets them
// ascending.
void addTriples(std::vector<Combination>& out, const std::vector<MarkedRow>& rows, const BetChoice& choice) {
    const auto marks = tripleMarks(choice.kind, choice.method);
    if (!marks) return;
    for (const MarkedRow& a : rows) {
        if (!a.has((*marks)[0])) continue;
        for (const MarkedRow& b : rows) {
            if (!b.has((*marks)[1]) || b.horse == a.horse) continue;
            for (const MarkedRow& c : rows) {
                if (!c.has((*marks)[2]) || c.horse == a.horse || c.horse == b.horse) continue;
                if (choice.kind == BetKind::Trio) {
                    int v[3] = {a.horse, b.horse, c.horse};
                    std::sort(v, v + 3);
                    out.push_back({v[0], v[1], v[2]});
                } else {
                    addTrifectaOrders(out, a.horse, b.horse, c.horse, choice);
                }
            }
        }
    }
}

bool combinationBefore(const Combination& x, const Combination& y) {
    return std::tie(x.a, x.b, x.c) < std::tie(y.a, y.b, y.c);
}

// 連人気: the win popularity of each horse, when every one has one.
std::optional<Combination> winRanksOf(const Combination& numbers, int picks, const BetRace& race) {
    const int n[3] = {numbers.a, numbers.b, numbers.c};
    int rank[3] = {0, 0, 0};
    for (int i = 0; i < picks; ++i) {
        if (n[i] < 1 || n[i] > kMaxHorse || race.winPopularity[n[i]] <= 0) return std::nullopt;
        rank[i] = race.winPopularity[n[i]];
    }
    return Combination{rank[0], rank[1], rank[2]};
}

// Whether the race lists odds for the combination: 単勝 and 複勝 by the horse's win popularity (a
// place bet may have odds of 0), the others by odds above 0.
bool hasOdds(BetKind kind, const Combination& numbers, double odds, const BetRace& race) {
    if (kind != BetKind::Win && kind != BetKind::Place) return odds > 0;
    return numbers.a >= 1 && numbers.a <= kMaxHorse && race.winPopularity[numbers.a] > 0;
}

// The list shows odds to the tenth and splits the amount by what it shows.
double toTenth(double odds) { return std::round(odds * 10.0) / 10.0; }

}  // namespace

std::vector<Combination> candidates(const IndexCard& card, int runners, const BetChoice& choice) {
    const std::vector<MarkedRow> rows = markedRows(card, runners);
    std::vector<Combination> list;
    switch (betKindInfo(choice.kind).picks) {
        case 1: addSingles(list, rows); break;
        case 2: addPairs(list, rows, runners, choice); break;
        default: addTriples(list, rows, choice); break;
    }
    std::sort(list.begin(), list.end(), combinationBefore);
    list.erase(std::unique(list.begin(), list.end()), list.end());
    return list;
}

double filterValue(const std::string& text) { return cellNumber(text); }

std::vector<BetLine> acceptLines(const std::vector<Combination>& list, const BetRace& race, BetKind kind,
                                 const OddsFilter& filter) {
    const bool ranks = hasRankColumn(kind);
    const int picks = betKindInfo(kind).picks;
    std::vector<BetLine> lines;
    lines.reserve(list.size());
    for (const Combination& numbers : list) {
        const int k = CombinationIndex(kind, numbers.a, numbers.b, numbers.c);
        // Odds or not, a line with a runner that does not start gets the whole batch refused.
        if (k <= 0 || !race.canBet(kind, numbers)) continue;
        const double odds = race.oddsOf(kind, k);
        BetLine line;
        line.numbers = numbers;
        if (!filter.ignoreOdds) {
            if (!hasOdds(kind, numbers, odds, race) || odds < filter.lower || odds > filter.upper) continue;
            line.odds = toTenth(odds);
        }
        line.popularity = race.popularityOf(kind, k);
        if (ranks) line.winRanks = winRanksOf(numbers, picks, race);
        line.number = static_cast<int>(lines.size()) + 1;
        lines.push_back(line);
    }
    return lines;
}

}  // namespace vex

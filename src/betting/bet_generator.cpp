#include "betting/bet_generator.h"

#include <algorithm>
#include <cstdio>

#include "betting/grid_sort.h"
#include "vocabulary/codes.h"

namespace vex {

namespace {

std::string label1(int a) {
    char b[16];
    std::snprintf(b, sizeof b, "%2d", a);
    return b;
}
std::string label2(int a, int b) {
    char t[16];
    std::snprintf(t, sizeof t, "%2d-%2d", a, b);
    return t;
}
std::string label3(int a, int b, int c) {
    char t[24];
    std::snprintf(t, sizeof t, "%2d-%2d-%2d", a, b, c);
    return t;
}

// Collects candidates; sorted and made unique at the end.
struct Collector {
    std::vector<Candidate> list;
    void add1(int a) { list.push_back({label1(a), a, 0, 0}); }
    void add2(int a, int b) { list.push_back({label2(a, b), a, b, 0}); }
    void add3(int a, int b, int c) { list.push_back({label3(a, b, c), a, b, c}); }
    void add3Ascending(int a, int b, int c) {
        int v[3] = {a, b, c};
        std::sort(v, v + 3);
        add3(v[0], v[1], v[2]);
    }
};

}  // namespace

std::vector<Candidate> candidates(const IndexCard& card, int runners, const BetChoice& choice) {
    const int n = std::max(0, std::min(runners, card.dataRows()));
    // Per row: horse number and its four marks.
    struct Row {
        int horse;
        bool m1, m2, m3, partner;
    };
    std::vector<Row> rows;
    rows.reserve(n);
    for (int r = 1; r <= n; ++r)
        rows.push_back({card.horseOfRow(r), card.hasMark(kCardMark1, r), card.hasMark(kCardMark2, r),
                        card.hasMark(kCardMark3, r), card.hasMark(kCardPartner, r)});

    Collector out;
    const BetKind kind = choice.kind;
    const int method = choice.method;
    const bool multi = choice.multiOn(Multi::All);
    auto frame = [&](int horse) { return FrameOfHorse(runners, horse); };

    switch (kind) {
        case BetKind::Win:
        case BetKind::Place:
            for (const Row& a : rows)
                if (a.m1) out.add1(a.horse);
            break;

        case BetKind::Quinella:
        case BetKind::QuinellaPlace:
        case BetKind::BracketQuinella:
        case BetKind::Exacta:
        case BetKind::BracketExacta: {
            const bool wheel = method == 1;
            if (method != 0 && method != 1) break;
            for (const Row& a : rows) {
                if (!a.m1) continue;
                for (const Row& b : rows) {
                    if (!(wheel ? b.partner : b.m1) || a.horse == b.horse) continue;
                    const int lo = std::min(a.horse, b.horse), hi = std::max(a.horse, b.horse);
                    if (kind == BetKind::Quinella || kind == BetKind::QuinellaPlace) {
                        out.add2(lo, hi);
                    } else if (kind == BetKind::BracketQuinella) {
                        out.add2(frame(lo), frame(hi));
                    } else if (kind == BetKind::Exacta) {
                        out.add2(a.horse, b.horse);
                        if (wheel && multi) out.add2(b.horse, a.horse);
                    } else {  // 枠単
                        const int fa = frame(a.horse), fb = frame(b.horse);
                        if (fa == fb) continue;
                        out.add2(fa, fb);
                        if (wheel && multi) out.add2(fb, fa);
                    }
                }
            }
            break;
        }

        case BetKind::Trio:
        case BetKind::Trifecta: {
            const bool trio = kind == BetKind::Trio;
            // Marks required at the first, second and third position.
            auto need = [&](const Row& r, int which) {
                switch (which) {
                    case 1: return r.m1;
                    case 2: return r.m2;
                    case 3: return r.m3;
                    default: return r.partner;
                }
            };
            int pa, pb, pc;  // 1 ◎, 2 ○, 3 ▲, 4 相手
            switch (method) {
                case 0: pa = pb = pc = 1; break;
                case 1: pa = 1, pb = pc = 4; break;
                case 2:
                    if (trio) pa = pb = 1, pc = 4;
                    else pa = 1, pb = 2, pc = 3;
                    break;
                case 3: pa = 1, pb = 2, pc = 3; break;
                default: return {};
            }
            const bool m12 = multi || choice.multiOn(Multi::First12);
            const bool m23 = multi || choice.multiOn(Multi::Second23);
            const bool m13 = multi || choice.multiOn(Multi::Ends13);
            for (const Row& a : rows) {
                if (!need(a, pa)) continue;
                for (const Row& b : rows) {
                    if (!need(b, pb) || b.horse == a.horse) continue;
                    for (const Row& c : rows) {
                        if (!need(c, pc) || c.horse == a.horse || c.horse == b.horse) continue;
                        const int A = a.horse, B = b.horse, C = c.horse;
                        if (trio) {
                            out.add3Ascending(A, B, C);
                            continue;
                        }
                        out.add3(A, B, C);
                        if (method == 1 && multi) {
                            out.add3(B, A, C);
                            out.add3(B, C, A);
                        } else if (method == 2 && multi) {
                            out.add3(A, C, B);
                            out.add3(B, A, C);
                            out.add3(B, C, A);
                            out.add3(C, B, A);
                            out.add3(C, A, B);
                        } else if (method == 3) {
                            if (m12) out.add3(B, A, C);
                            if (m23) out.add3(A, C, B);
                            if (m13) out.add3(C, B, A);
                            if (multi) {
                                out.add3(C, A, B);
                                out.add3(B, C, A);
                            }
                        }
                    }
                }
            }
            break;
        }
    }
    auto& list = out.list;
    std::sort(list.begin(), list.end(), [](const Candidate& x, const Candidate& y) { return x.text < y.text; });
    list.erase(std::unique(list.begin(), list.end(),
                           [](const Candidate& x, const Candidate& y) { return x.text == y.text; }),
               list.end());
    return list;
}

double filterValue(const std::string& text) { return cellNumber(text); }

LineWidths lineWidths(BetKind kind) {
    switch (kind) {
        case BetKind::Win:
        case BetKind::Place: return {2, 6, 2};
        case BetKind::Trifecta: return {4, 8, 4};
        default: return {3, 7, 3};
    }
}

bool hasRankColumn(BetKind kind) {
    return kind == BetKind::Quinella || kind == BetKind::QuinellaPlace || kind == BetKind::Exacta ||
           kind == BetKind::Trio || kind == BetKind::Trifecta;
}

std::vector<BetLine> acceptLines(const std::vector<Candidate>& list, const BetRace& race, BetKind kind,
                                 const OddsFilter& filter) {
    const BetKind code = kind;
    const LineWidths w = lineWidths(kind);
    const bool single = kind == BetKind::Win || kind == BetKind::Place;
    const bool ranks = hasRankColumn(kind);
    std::vector<BetLine> lines;
    lines.reserve(list.size());
    char buf[64];
    for (const Candidate& cand : list) {
        const int k = single ? CombinationIndex(code, cand.a) : CombinationIndex(code, cand.a, cand.b, cand.c);
        if (k <= 0) continue;
        const double odds = race.oddsOf(code, k);
        BetLine line;
        line.combination = cand.text;
        if (filter.ignoreOdds) {
            line.odds.assign(w.odds, ' ');
        } else {
            const bool present =
                single ? (cand.a >= 1 && cand.a <= 18 && race.winPopularity[cand.a] > 0) : odds > 0;
            if (!present || odds < filter.lower || odds > filter.upper) continue;
            std::snprintf(buf, sizeof buf, "%*.1f", w.odds, odds);
            line.odds = buf;
        }
        std::snprintf(buf, sizeof buf, "%*d", w.popularity, race.popularityOf(code, k));
        line.popularity = buf;
        if (ranks) {
            const int nums[3] = {cand.a, cand.b, cand.c};
            const int count = cand.c > 0 ? 3 : 2;
            bool all = true;
            for (int i = 0; i < count; ++i)
                all = all && nums[i] >= 1 && nums[i] <= 18 && race.winPopularity[nums[i]] > 0;
            if (all)
                line.ranks = count == 3 ? label3(race.winPopularity[nums[0]], race.winPopularity[nums[1]],
                                                 race.winPopularity[nums[2]])
                                        : label2(race.winPopularity[nums[0]], race.winPopularity[nums[1]]);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace vex

#pragma once
// Bet lists computed the other way round: every combination of the kind is tested against the
// marked sets and the choices, instead of scanning the card in nested loops.
#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "betting/bet_generator.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"

namespace vex::test {

using Set = std::set<int>;

struct Marks {
    Set m1, m2, m3, partner;
};

inline std::string label(BetKind kind, const Combination& c) {
    char b[32];
    const int picks = betKindInfo(kind).picks;
    if (picks == 1) std::snprintf(b, sizeof b, "%2d", c.a);
    else if (picks == 2) std::snprintf(b, sizeof b, "%2d-%2d", c.a, c.b);
    else std::snprintf(b, sizeof b, "%2d-%2d-%2d", c.a, c.b, c.c);
    return b;
}

// Whether combination c of the kind should be listed for these marks and choices.
inline bool expected(BetKind kind, int method, const std::array<bool, 4>& multi, const Marks& m, int runners,
              const Combination& c) {
    auto in = [](const Set& s, int h) { return s.count(h) > 0; };
    const Set& second = method == 0 ? m.m1 : m.partner;
    const bool wheel = method == 1;
    switch (kind) {
        case BetKind::Win:
        case BetKind::Place: return in(m.m1, c.a);
        case BetKind::Quinella:
        case BetKind::QuinellaPlace:
            return (in(m.m1, c.a) && in(second, c.b)) || (in(m.m1, c.b) && in(second, c.a));
        case BetKind::Exacta: return (in(m.m1, c.a) && in(second, c.b)) || (wheel && multi[0] && in(m.m1, c.b) && in(second, c.a));
        case BetKind::BracketQuinella:
        case BetKind::BracketExacta:
            for (int x : m.m1)
                for (int y : second) {
                    if (x == y) continue;
                    const int fx = FrameOfHorse(runners, x), fy = FrameOfHorse(runners, y);
                    if (kind == BetKind::BracketQuinella) {
                        if (std::min(x, y) == x ? (fx == c.a && fy == c.b) : (fy == c.a && fx == c.b)) return true;
                    } else if (fx != fy) {
                        if (fx == c.a && fy == c.b) return true;
                        if (wheel && multi[0] && fy == c.a && fx == c.b) return true;
                    }
                }
            return false;
        default: break;
    }
    // Triples: the position sets each pattern asks for.
    using Pattern = std::array<const Set*, 3>;
    std::vector<Pattern> patterns;
    const Set *A = &m.m1, *B = &m.m2, *C = &m.m3, *P = &m.partner;
    if (method == 0) patterns = {{A, A, A}};
    if (kind == BetKind::Trio) {
        if (method == 1) patterns = {{A, P, P}};
        if (method == 2) patterns = {{A, A, P}};
        if (method == 3) patterns = {{A, B, C}};
        // Unordered: any arrangement of the three numbers may fit.
        int v[3] = {c.a, c.b, c.c};
        std::sort(v, v + 3);
        do {
            for (const Pattern& p : patterns)
                if (in(*p[0], v[0]) && in(*p[1], v[1]) && in(*p[2], v[2])) return true;
        } while (std::next_permutation(v, v + 3));
        return false;
    }
    if (method == 1) {
        patterns = {{A, P, P}};
        if (multi[0]) patterns.insert(patterns.end(), {{P, A, P}, {P, P, A}});
    } else if (method == 2) {
        patterns = {{A, B, C}};
        if (multi[0]) patterns.insert(patterns.end(), {{A, C, B}, {B, A, C}, {B, C, A}, {C, B, A}, {C, A, B}});
    } else if (method == 3) {
        patterns = {{A, B, C}};
        if (multi[0] || multi[1]) patterns.push_back({B, A, C});
        if (multi[0] || multi[2]) patterns.push_back({A, C, B});
        if (multi[0] || multi[3]) patterns.push_back({C, B, A});
        if (multi[0]) patterns.insert(patterns.end(), {{C, A, B}, {B, C, A}});
    }
    for (const Pattern& p : patterns)
        if (in(*p[0], c.a) && in(*p[1], c.b) && in(*p[2], c.c)) return true;
    (void)kind;
    return false;
}

struct Expected {
    std::vector<std::string> labels;
    std::vector<int> indexes;
};

inline Expected expectedList(BetKind kind, int method, const std::array<bool, 4>& multi, const Marks& m, int runners) {
    std::vector<std::pair<std::string, int>> all;
    for (int k = 1; k <= CombinationCount(kind); ++k) {
        const Combination c = CombinationAt(kind, k);
        const int picks = betKindInfo(kind).picks;
        const int maxNumber = betKindInfo(kind).frames ? 8 : runners;
        if (c.a > maxNumber || (picks > 1 && c.b > maxNumber) || (picks > 2 && c.c > maxNumber)) continue;
        if (expected(kind, method, multi, m, runners, c)) all.push_back({label(kind, c), k});
    }
    std::sort(all.begin(), all.end());
    Expected e;
    for (auto& [l, k] : all) {
        e.labels.push_back(l);
        e.indexes.push_back(k);
    }
    return e;
}

}  // namespace vex::test

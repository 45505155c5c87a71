#include "vocabulary/bet_kinds.h"

#include <algorithm>
#include <vector>

#include "vocabulary/cp932.h"

namespace vex {
namespace {

constexpr BetKindInfo kInfo[kBetKindCount] = {
    {BetKind::Win, "TAN", 1, false, false, 18, "O1", 3},
    {BetKind::Place, "FUKU", 1, false, false, 18, "O1", 5},
    {BetKind::BracketQuinella, "WAKU", 2, false, true, 36, "O1", 3},
    {BetKind::BracketExacta, "WAKUTAN", 2, true, true, 64, "OA", 3},
    {BetKind::Quinella, "UMAFUKU", 2, false, false, 153, "O2", 3},
    {BetKind::Exacta, "UMATAN", 2, true, false, 306, "O4", 6},
    {BetKind::QuinellaPlace, "WIDE", 2, false, false, 153, "O3", 7},
    {BetKind::Trio, "SANFUKU", 3, false, false, 816, "O5", 3},
    {BetKind::Trifecta, "SANTAN", 3, true, false, 4896, "O6", 6},
};

bool validKind(BetKind kind) { return code(kind) >= 1 && code(kind) <= kBetKindCount; }

int maxNumber(const BetKindInfo& info) { return info.frames ? kMaxFrame : kMaxHorse; }

constexpr int choose2(int n) { return n * (n - 1) / 2; }
constexpr int choose3(int n) { return n * (n - 1) * (n - 2) / 6; }

// Closed forms. The numbers must already be in the kind's own order: ascending for unordered kinds.
int canonicalIndex(BetKind kind, int a, int b, int c) {
    const BetKindInfo& info = betKindInfo(kind);
    const int top = maxNumber(info);
    const int n[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        bool used = i < info.picks;
        if (used ? (n[i] < 1 || n[i] > top) : n[i] != 0) return 0;
    }
    switch (kind) {
    case BetKind::Win:
    case BetKind::Place:
        return a;
    case BetKind::BracketQuinella:
        return a <= b ? (a - 1) * (18 - a) / 2 + (b - a + 1) : 0;
    case BetKind::BracketExacta:
        return (a - 1) * 8 + b;
    case BetKind::Quinella:
    case BetKind::QuinellaPlace:
        return a < b ? (a - 1) * (36 - a) / 2 + (b - a) : 0;
    case BetKind::Exacta:
        return a != b ? (a - 1) * 17 + b - (b > a ? 1 : 0) : 0;
    case BetKind::Trio:
        if (!(a < b && b < c)) return 0;
        return choose3(18) - choose3(19 - a) + choose2(18 - a) - choose2(19 - b) + (c - b);
    case BetKind::Trifecta: {
        if (a == b || a == c || b == c) return 0;
        const int b1 = b - (b > a ? 1 : 0);
        const int c1 = c - (c > a ? 1 : 0) - (c > b ? 1 : 0);
        return (a - 1) * 272 + (b1 - 1) * 16 + c1;
    }
    }
    return 0;
}

void appendNumber(std::string& out, int n) {
    out += n < 10 ? ' ' : static_cast<char>('0' + n / 10);
    out += static_cast<char>('0' + n % 10);
}

std::string labelOfCanonical(int picks, const Combination& c) {
    std::string out;
    appendNumber(out, c.a);
    if (picks >= 2) { out += '-'; appendNumber(out, c.b); }
    if (picks >= 3) { out += '-'; appendNumber(out, c.c); }
    return out;
}

// Every combination of every kind in index order, with its label, enumerated once. The closed forms
// above must agree with this order; the tests hold them to it.
struct KindTable {
    std::vector<Combination> combinations;  // [k - 1]
    std::vector<std::string> labels;
};

const KindTable& kindTable(BetKind kind) {
    static const auto tables = [] {
        std::array<KindTable, kBetKindCount> t;
        for (const BetKindInfo& info : kInfo) {
            KindTable& table = t[code(info.kind) - 1];
            const int top = maxNumber(info);
            auto add = [&](int a, int b, int c) {
                table.combinations.push_back({a, b, c});
                table.labels.push_back(labelOfCanonical(info.picks, {a, b, c}));
            };
            for (int a = 1; a <= top; ++a) {
                if (info.picks == 1) { add(a, 0, 0); continue; }
                for (int b = info.ordered ? 1 : a; b <= top; ++b) {
                    if (b == a && info.kind != BetKind::BracketQuinella && info.kind != BetKind::BracketExacta)
                        continue;
                    if (info.picks == 2) { add(a, b, 0); continue; }
                    for (int c = info.ordered ? 1 : b + 1; c <= top; ++c)
                        if (c != a && c != b) add(a, b, c);
                }
            }
        }
        return t;
    }();
    return tables[code(kind) - 1];
}

// One "%2d" field: " 1".." 9" or "10".."99"; 0 for anything else ("01", " 0", "1 ", ...).
int twoDigitLabelNumber(char hi, char lo) {
    if (lo < '0' || lo > '9') return 0;
    if (hi == ' ') return lo == '0' ? 0 : lo - '0';
    if (hi < '1' || hi > '9') return 0;
    return (hi - '0') * 10 + (lo - '0');
}

int indexOfLabel(BetKind kind, std::string_view label) {
    const int picks = betKindInfo(kind).picks;
    if (label.size() != static_cast<std::size_t>(picks * 3 - 1)) return 0;
    int n[3] = {0, 0, 0};
    for (int i = 0; i < picks; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * 3;
        if (i > 0 && label[at - 1] != '-') return 0;
        n[i] = twoDigitLabelNumber(label[at], label[at + 1]);
        if (n[i] == 0) return 0;
    }
    return canonicalIndex(kind, n[0], n[1], n[2]);
}

}  // namespace

const BetKindInfo& betKindInfo(BetKind kind) { return kInfo[validKind(kind) ? code(kind) - 1 : 0]; }

std::optional<BetKind> betKindFromCode(int c) {
    if (c < 1 || c > kBetKindCount) return std::nullopt;
    return static_cast<BetKind>(c);
}

std::optional<BetKind> betKindFromCodeText(std::string_view codeText) {
    if (codeText.size() != 1) return std::nullopt;
    return betKindFromCode(codeText[0] - '0');
}

std::string_view BetKindToken(BetKind kind) { return validKind(kind) ? betKindInfo(kind).token : ""; }

std::optional<BetKind> BetKindFromToken(std::string_view token) {
    for (const BetKindInfo& info : kInfo)
        if (token == info.token) return info.kind;
    return std::nullopt;
}

std::string TokenToCode(std::string_view token) {
    auto kind = BetKindFromToken(token);
    return kind ? std::string(1, static_cast<char>('0' + code(*kind))) : std::string();
}

const std::string& BetKindName(BetKind kind) {
    static const auto names = [] {
        const char* utf8[kBetKindCount] = {"単勝", "複勝", "枠連", "枠単", "馬連", "馬単", "ワイド", "３連複", "３連単"};
        std::array<std::string, kBetKindCount> t;
        for (int i = 0; i < kBetKindCount; ++i) t[i] = sj(utf8[i]);
        return t;
    }();
    static const std::string none;
    return validKind(kind) ? names[code(kind) - 1] : none;
}

bool CodeToName(std::string_view codeText, std::string& out) {
    static const std::string trio = sj("3連複"), trifecta = sj("3連単");
    auto kind = betKindFromCodeText(codeText);
    if (!kind) return false;
    out = *kind == BetKind::Trio ? trio : *kind == BetKind::Trifecta ? trifecta : BetKindName(*kind);
    return true;
}

std::string CodeToName(std::string_view codeText) {
    std::string out;
    CodeToName(codeText, out);
    return out;
}

std::optional<BetKind> betKindOfSelectorItem(int item) {
    if (item < 0 || item >= kBetKindCount) return std::nullopt;
    return kKindSelectorItems[item];
}

int selectorItemOf(BetKind kind) {
    auto it = std::find(kKindSelectorItems.begin(), kKindSelectorItems.end(), kind);
    return it == kKindSelectorItems.end() ? -1 : static_cast<int>(it - kKindSelectorItems.begin());
}

int CombinationCount(BetKind kind) { return validKind(kind) ? betKindInfo(kind).combinations : 0; }

int CombinationIndex(BetKind kind, int a, int b, int c) {
    if (!validKind(kind)) return 0;
    const BetKindInfo& info = betKindInfo(kind);
    if (!info.ordered) {
        if (info.picks == 2 && a > b) std::swap(a, b);
        if (info.picks == 3) {
            if (a > b) std::swap(a, b);
            if (b > c) std::swap(b, c);
            if (a > b) std::swap(a, b);
        }
    }
    return canonicalIndex(kind, a, b, c);
}

Combination CombinationAt(BetKind kind, int k) {
    if (k < 1 || k > CombinationCount(kind)) return {};
    return kindTable(kind).combinations[k - 1];
}

std::string CombinationLabel(BetKind kind, int k) {
    if (k < 1 || k > CombinationCount(kind)) return {};
    return kindTable(kind).labels[k - 1];
}

std::string CombinationLabelOf(BetKind kind, int a, int b, int c) {
    return CombinationLabel(kind, CombinationIndex(kind, a, b, c));
}

int CombinationIndexOfLabel(BetKind kind, std::string_view label) {
    if (!validKind(kind)) return 0;
    if (kind == BetKind::Trifecta) return TrifectaIndex(label);
    return indexOfLabel(kind, label);
}

int BracketQuinellaIndex(std::string_view label) { return indexOfLabel(BetKind::BracketQuinella, label); }
int BracketExactaIndex(std::string_view label) { return indexOfLabel(BetKind::BracketExacta, label); }
int QuinellaIndex(std::string_view label) { return indexOfLabel(BetKind::Quinella, label); }
int ExactaIndex(std::string_view label) { return indexOfLabel(BetKind::Exacta, label); }
int TrioIndex(std::string_view label) { return indexOfLabel(BetKind::Trio, label); }
int TrifectaIndex(std::string_view label) { return indexOfLabel(BetKind::Trifecta, label.substr(0, 8)); }

}  // namespace vex

#pragma once
// The nine bet kinds, their codes, tokens and names, and the combination index: the 1-based position
// of a combination within its kind. The index is also the position of the combination's entry in the
// data service's odds records, so odds tables are plain arrays addressed by it.
//
// Order: unordered kinds list each combination once with its numbers ascending (frames of the bracket
// quinella may repeat) in lexicographic order; ordered kinds list every tuple of distinct numbers (the
// bracket exacta allows equal frames) in lexicographic order of (first, second, third).
#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vex {

enum class BetKind : int {
    Win = 1,              // 単勝
    Place = 2,            // 複勝
    BracketQuinella = 3,  // 枠連
    BracketExacta = 4,    // 枠単
    Quinella = 5,         // 馬連
    Exacta = 6,           // 馬単
    QuinellaPlace = 7,    // ワイド
    Trio = 8,             // ３連複
    Trifecta = 9,         // ３連単
};

struct BetKindInfo {
    BetKind kind;
    const char* token;       // names the kind in the bet lines sent for voting
    int picks;               // numbers per combination: 1, 2 or 3
    bool ordered;            // order of the numbers matters
    bool frames;             // numbers are frames 1-8, not horses 1-18
    int combinations;        // 18, 36, 64, 153, 306, 816 or 4896
    const char* oddsRecord;  // record kind holding its odds: "O1" ... "O6", "OA"
    int payoutEntries;       // payout slots in the payout record
};

constexpr int kBetKindCount = 9;
constexpr int kMaxHorse = 18;
constexpr int kMaxFrame = 8;

// A kind outside 1..9 (a bad cast) reads as Win here; every function below gives "", 0 or nullopt
// for it instead.
const BetKindInfo& betKindInfo(BetKind kind);
inline int code(BetKind kind) { return static_cast<int>(kind); }
// 1..9; nullopt otherwise.
std::optional<BetKind> betKindFromCode(int code);
// "1".."9" exactly; nullopt otherwise.
std::optional<BetKind> betKindFromCodeText(std::string_view codeText);

// ---- tokens and names (names are CP932)

std::string_view BetKindToken(BetKind kind);
std::optional<BetKind> BetKindFromToken(std::string_view token);
// "TAN" -> "1" ... "SANTAN" -> "9"; "" for a text that is no token.
std::string TokenToCode(std::string_view token);
// The name shown in the windows: "単勝" ... "３連単" (full-width digit).
const std::string& BetKindName(BetKind kind);
// The bet-file viewer's name for a code text "1".."9": as above but "3連複" and "3連単" with an ASCII
// digit. Any other text returns false and leaves `out` unchanged.
bool CodeToName(std::string_view codeText, std::string& out);
std::string CodeToName(std::string_view codeText);  // "" for any other text

// ---- the kind selector 馬券種 of the bet page: items 0..8 list the kinds in another order than their
// codes (単勝 複勝 枠連 馬連 ワイド 馬単 ３連複 ３連単 枠単), so an item is never a code. The item is what
// the settings keep and what vexmora-cli's --kind takes.
constexpr std::array<BetKind, kBetKindCount> kKindSelectorItems = {
    BetKind::Win,           BetKind::Place, BetKind::BracketQuinella, BetKind::Quinella, BetKind::QuinellaPlace,
    BetKind::Exacta,        BetKind::Trio,  BetKind::Trifecta,        BetKind::BracketExacta,
};
std::optional<BetKind> betKindOfSelectorItem(int item);
int selectorItemOf(BetKind kind);

// ---- combinations

struct Combination {
    int a = 0, b = 0, c = 0;  // unused places are 0
    bool operator==(const Combination&) const = default;
};

int CombinationCount(BetKind kind);

// Index 1..CombinationCount of the numbers, 0 when they are out of range, repeat where the kind does
// not allow it, or have the wrong count. Unordered kinds take the numbers in any order.
int CombinationIndex(BetKind kind, int a, int b = 0, int c = 0);

// The k-th combination; all zero when k is out of range.
Combination CombinationAt(BetKind kind, int k);

// " 1- 2" style label ("%2d" numbers joined by "-"; win and place: the number alone) of the k-th
// combination; "" when k is out of range.
std::string CombinationLabel(BetKind kind, int k);
// Label of the numbers themselves (unordered kinds written ascending); "" when they are no combination.
std::string CombinationLabelOf(BetKind kind, int a, int b = 0, int c = 0);

// Label to index: 0 unless the text is exactly a label of that kind (" 2- 1" is no quinella label,
// "1-2" no label at all). The trifecta lookup reads the first 8 characters only.
int CombinationIndexOfLabel(BetKind kind, std::string_view label);
int BracketQuinellaIndex(std::string_view label);
int BracketExactaIndex(std::string_view label);
int QuinellaIndex(std::string_view label);  // also the quinella-place index
int ExactaIndex(std::string_view label);
int TrioIndex(std::string_view label);
int TrifectaIndex(std::string_view label);

}  // namespace vex

#include <gtest/gtest.h>

#include <set>

#include "vocabulary/bet_kinds.h"
#include "vocabulary/cp932.h"

using namespace vex;

namespace {
constexpr BetKind kAllKinds[] = {BetKind::Win,      BetKind::Place,  BetKind::BracketQuinella,
                                 BetKind::BracketExacta, BetKind::Quinella, BetKind::Exacta,
                                 BetKind::QuinellaPlace, BetKind::Trio, BetKind::Trifecta};
}

TEST(BetKinds, CodesTokensAndNames) {
    const char* tokens[] = {"TAN", "FUKU", "WAKU", "WAKUTAN", "UMAFUKU", "UMATAN", "WIDE", "SANFUKU", "SANTAN"};
    const char* names[] = {"単勝", "複勝", "枠連", "枠単", "馬連", "馬単", "ワイド", "３連複", "３連単"};
    const char* viewerNames[] = {"単勝", "複勝", "枠連", "枠単", "馬連", "馬単", "ワイド", "3連複", "3連単"};
    for (int c = 1; c <= 9; ++c) {
        BetKind kind = *betKindFromCode(c);
        EXPECT_EQ(BetKindToken(kind), tokens[c - 1]);
        EXPECT_EQ(BetKindFromToken(tokens[c - 1]), kind);
        EXPECT_EQ(TokenToCode(tokens[c - 1]), std::to_string(c));
        EXPECT_EQ(BetKindName(kind), sj(names[c - 1]));
        EXPECT_EQ(CodeToName(std::to_string(c)), sj(viewerNames[c - 1]));
        EXPECT_EQ(betKindFromCodeText(std::to_string(c)), kind);
    }
    EXPECT_EQ(TokenToCode("tan"), "");
    EXPECT_EQ(TokenToCode("TAN "), "");
    EXPECT_FALSE(betKindFromCode(0));
    EXPECT_FALSE(betKindFromCode(10));
    EXPECT_FALSE(betKindFromCodeText("10"));
    EXPECT_FALSE(betKindFromCodeText(":"));
    std::string out = "keep";
    EXPECT_FALSE(CodeToName("0", out));
    EXPECT_FALSE(CodeToName("", out));
    EXPECT_FALSE(CodeToName("11", out));
    EXPECT_EQ(out, "keep");
    EXPECT_EQ(BetKindName(static_cast<BetKind>(12)), "");
    EXPECT_EQ(CombinationCount(static_cast<BetKind>(0)), 0);
}

TEST(BetKinds, SelectorOrderIsNotTheCodeOrder) {
    const char* items[] = {"単勝", "複勝", "枠連", "馬連", "ワイド", "馬単", "３連複", "３連単", "枠単"};
    for (int i = 0; i < 9; ++i) {
        BetKind kind = *betKindOfSelectorItem(i);
        EXPECT_EQ(BetKindName(kind), sj(items[i])) << i;
        EXPECT_EQ(selectorItemOf(kind), i);
    }
    EXPECT_EQ(code(*betKindOfSelectorItem(8)), 4);
    EXPECT_FALSE(betKindOfSelectorItem(9));
    EXPECT_FALSE(betKindOfSelectorItem(-1));
}

// Every combination of every kind: index -> label -> index and index -> numbers -> index are the
// identity, labels are distinct and well formed, and the enumeration is in ascending lexicographic
// order (which is what the odds records rely on).
TEST(Combinations, LabelAndIndexRoundTripOverEveryCombination) {
    const int expectedCounts[] = {18, 18, 36, 64, 153, 306, 153, 816, 4896};
    int total = 0;
    for (BetKind kind : kAllKinds) {
        const BetKindInfo& info = betKindInfo(kind);
        const int count = CombinationCount(kind);
        EXPECT_EQ(count, expectedCounts[code(kind) - 1]);
        std::set<std::string> seen;
        Combination previous;
        for (int k = 1; k <= count; ++k) {
            const std::string label = CombinationLabel(kind, k);
            ASSERT_EQ(label.size(), static_cast<size_t>(info.picks * 3 - 1)) << label;
            ASSERT_EQ(CombinationIndexOfLabel(kind, label), k) << code(kind) << " " << label;
            const Combination c = CombinationAt(kind, k);
            ASSERT_EQ(CombinationIndex(kind, c.a, c.b, c.c), k) << code(kind) << " " << label;
            ASSERT_EQ(CombinationLabelOf(kind, c.a, c.b, c.c), label);
            ASSERT_TRUE(seen.insert(label).second) << label;
            if (k > 1) {
                ASSERT_TRUE(std::tie(previous.a, previous.b, previous.c) < std::tie(c.a, c.b, c.c)) << label;
            }
            previous = c;
            ++total;
        }
        EXPECT_EQ(CombinationLabel(kind, 0), "");
        EXPECT_EQ(CombinationLabel(kind, count + 1), "");
        EXPECT_EQ(CombinationAt(kind, count + 1), Combination{});
    }
    EXPECT_EQ(total, 6460);
}

TEST(Combinations, IndexExamples) {
    EXPECT_EQ(BracketQuinellaIndex(" 1- 1"), 1);
    EXPECT_EQ(BracketQuinellaIndex(" 1- 8"), 8);
    EXPECT_EQ(BracketQuinellaIndex(" 2- 2"), 9);
    EXPECT_EQ(BracketQuinellaIndex(" 8- 8"), 36);
    EXPECT_EQ(BracketExactaIndex(" 8- 8"), 64);
    EXPECT_EQ(BracketExactaIndex(" 2- 1"), 9);
    EXPECT_EQ(QuinellaIndex(" 1- 2"), 1);
    EXPECT_EQ(QuinellaIndex("17-18"), 153);
    EXPECT_EQ(ExactaIndex(" 1- 2"), 1);
    EXPECT_EQ(ExactaIndex(" 2- 1"), 18);
    EXPECT_EQ(ExactaIndex("18-17"), 306);
    EXPECT_EQ(TrioIndex(" 1- 2- 3"), 1);
    EXPECT_EQ(TrioIndex("16-17-18"), 816);
    EXPECT_EQ(TrifectaIndex(" 1- 2- 3"), 1);
    EXPECT_EQ(TrifectaIndex("10- 1- 2"), 2449);
    EXPECT_EQ(TrifectaIndex("18-17-16"), 4896);
    EXPECT_EQ(TrifectaIndex("18-17-15"), 4895);
    EXPECT_EQ(TrifectaIndex("18-16-17"), 4880);
    EXPECT_EQ(CombinationLabel(BetKind::Trifecta, 2449), "10- 1- 2");
    EXPECT_EQ(CombinationLabel(BetKind::Win, 7), " 7");
    EXPECT_EQ(CombinationLabel(BetKind::Place, 18), "18");
    EXPECT_EQ(CombinationIndexOfLabel(BetKind::Place, "18"), 18);
    // Quinella place shares the quinella order.
    for (int k = 1; k <= 153; ++k)
        EXPECT_EQ(CombinationLabel(BetKind::QuinellaPlace, k), CombinationLabel(BetKind::Quinella, k));
}

TEST(Combinations, TextsThatAreNoLabelGiveZero) {
    EXPECT_EQ(QuinellaIndex(" 8- 8"), 0);       // a horse cannot pair with itself
    EXPECT_EQ(QuinellaIndex(" 2- 1"), 0);       // unordered labels are written ascending
    EXPECT_EQ(TrioIndex(" 1- 3- 2"), 0);
    EXPECT_EQ(BracketQuinellaIndex(" 2- 1"), 0);
    EXPECT_EQ(QuinellaIndex("1-2"), 0);         // "%2d" fields only
    EXPECT_EQ(QuinellaIndex("01-02"), 0);
    EXPECT_EQ(QuinellaIndex(" 1 - 2"), 0);
    EXPECT_EQ(QuinellaIndex(" 1- 2 "), 0);
    EXPECT_EQ(QuinellaIndex(" 1+ 2"), 0);
    EXPECT_EQ(QuinellaIndex(" 0- 2"), 0);
    EXPECT_EQ(QuinellaIndex(" 1-19"), 0);
    EXPECT_EQ(ExactaIndex("19- 1"), 0);
    EXPECT_EQ(TrifectaIndex(" 1- 2-19"), 0);
    EXPECT_EQ(TrifectaIndex(" 1- 1- 2"), 0);
    EXPECT_EQ(BracketExactaIndex(" 9- 1"), 0);  // frames stop at 8
    EXPECT_EQ(BracketQuinellaIndex(" 1-10"), 0);
    EXPECT_EQ(CombinationIndexOfLabel(BetKind::Win, " 0"), 0);
    EXPECT_EQ(CombinationIndexOfLabel(BetKind::Win, "19"), 0);
    EXPECT_EQ(CombinationIndexOfLabel(BetKind::Win, "7"), 0);
    EXPECT_EQ(TrioIndex(""), 0);
    EXPECT_EQ(TrifectaIndex("18-17"), 0);
    // The trifecta lookup reads eight characters; the others want the exact text.
    EXPECT_EQ(TrifectaIndex("18-17-16   trailing"), 4896);
    EXPECT_EQ(TrioIndex("16-17-18 "), 0);
}

TEST(Combinations, NumbersToIndex) {
    EXPECT_EQ(CombinationIndex(BetKind::Quinella, 2, 1), 1);  // unordered kinds take any order
    EXPECT_EQ(CombinationIndex(BetKind::Trio, 18, 16, 17), 816);
    EXPECT_EQ(CombinationIndex(BetKind::Exacta, 2, 1), 18);
    EXPECT_EQ(CombinationIndex(BetKind::QuinellaPlace, 5, 9), CombinationIndex(BetKind::Quinella, 5, 9));
    EXPECT_EQ(CombinationIndex(BetKind::Exacta, 3, 3), 0);
    EXPECT_EQ(CombinationIndex(BetKind::BracketExacta, 3, 3), 19);
    EXPECT_EQ(CombinationIndex(BetKind::Win, 3, 4), 0);        // wrong count of numbers
    EXPECT_EQ(CombinationIndex(BetKind::Quinella, 3), 0);
    EXPECT_EQ(CombinationIndex(BetKind::Trifecta, 1, 2, 0), 0);
    EXPECT_EQ(CombinationIndex(BetKind::Trifecta, -1, 2, 3), 0);
    EXPECT_EQ(CombinationLabelOf(BetKind::Trio, 9, 3, 12), " 3- 9-12");
    EXPECT_EQ(CombinationLabelOf(BetKind::Trio, 9, 9, 12), "");
}

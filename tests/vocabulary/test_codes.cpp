#include <gtest/gtest.h>

#include <algorithm>

#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

using namespace vex;

TEST(TrackName, BothStylesHaveFixedWidths) {
    EXPECT_EQ(TrackName("44", 2), sj("大井"));
    EXPECT_EQ(TrackName("44", 0), sj("大井") + "  ");
    EXPECT_EQ(TrackName("32", 2), sj("岩見"));
    EXPECT_EQ(TrackName("32", 0), sj("岩見沢"));
    EXPECT_EQ(TrackName("A4", 0), sj("ｱﾒﾘｶ") + "  ");  // half-width kana count one byte each
    EXPECT_EQ(TrackName("L0", 0), sj("タイ　"));
    EXPECT_EQ(TrackName("M2", 2), sj("澳門"));
    for (const char* code : {"01", "42", "45", "58", "84", "A0", "C7", "H0", "M0", "L0"}) {
        EXPECT_EQ(TrackName(code, 0).size(), 6u) << code;
        EXPECT_EQ(TrackName(code, 2).size(), 4u) << code;
    }
}

TEST(TrackName, BlankUnknownAndMiscasedCodesGiveSpaces) {
    for (const char* code : {"99", "C4", "G8", "", "4", "044", "l0", " 44"}) {
        EXPECT_EQ(TrackName(code, 0), "      ") << code;
        EXPECT_EQ(TrackName(code, 2), "    ") << code;
    }
}

TEST(TrackName, UnknownStyleLeavesOutputUnchanged) {
    std::string out = "keep";
    EXPECT_FALSE(TrackName("44", 5, out));
    EXPECT_EQ(out, "keep");
    EXPECT_TRUE(TrackName("44", 2, out));
    EXPECT_EQ(out, sj("大井"));
    EXPECT_EQ(TrackName("44", 1), "");
}

TEST(CircledNumbers, OneToEighteenElseDash) {
    EXPECT_EQ(CircledNumber(1), sj("①"));
    EXPECT_EQ(CircledNumber(18), sj("⑱"));
    EXPECT_EQ(CircledNumber(1).size(), 2u);
    EXPECT_EQ(CircledNumber(0), sj("－"));
    EXPECT_EQ(CircledNumber(19), sj("－"));
    EXPECT_EQ(CircledNumber(-3), sj("－"));
    EXPECT_EQ(CircledNumberText("07"), sj("⑦"));
    EXPECT_EQ(CircledNumberText(" 12"), sj("⑫"));
    EXPECT_EQ(CircledNumberText("  "), sj("－"));
    EXPECT_EQ(CircledNumberText("x1"), sj("－"));
    EXPECT_EQ(CircledNumberText("99999999999999999999999"), sj("－"));
}

// Frame sizes as the draw assigns them: from the outside in, the last frames take the extra horses.
TEST(FrameOfHorse, MatchesTheDrawForEveryFieldSize) {
    EXPECT_EQ(FrameOfHorse(8, 8), 8);
    EXPECT_EQ(FrameOfHorse(16, 1), 1);
    EXPECT_EQ(FrameOfHorse(18, 15), 7);
    EXPECT_EQ(FrameOfHorse(17, 15), 8);
    for (int n = 1; n <= 18; ++n) {
        int frameSize[9] = {};
        int previous = 1;
        for (int h = 1; h <= n; ++h) {
            int f = FrameOfHorse(n, h);
            ASSERT_GE(f, previous) << n << " runners, horse " << h;  // frames never go back
            ASSERT_LE(f, 8);
            ++frameSize[f];
            previous = f;
        }
        // Up to 8 runners: one horse per frame. Above: every frame used, sizes differ by at most one,
        // and the larger frames are the outer ones.
        int used = 0, lo = 99, hi = 0;
        for (int f = 1; f <= 8; ++f) {
            if (frameSize[f]) ++used;
            if (n < 8) continue;
            lo = std::min(lo, frameSize[f]);
            hi = std::max(hi, frameSize[f]);
            if (f > 1) { EXPECT_GE(frameSize[f], frameSize[f - 1]) << n; }
        }
        EXPECT_EQ(used, std::min(n, 8)) << n;
        if (n >= 8) { EXPECT_LE(hi - lo, 1) << n; }
    }
    EXPECT_EQ(FrameOfHorse(10, 11), 0);
    EXPECT_EQ(FrameOfHorse(19, 19), 0);
    EXPECT_EQ(FrameOfHorse(10, 0), 0);
}

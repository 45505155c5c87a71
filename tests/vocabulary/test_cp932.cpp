#include <gtest/gtest.h>

#include <random>

#include "vocabulary/cp932.h"

using namespace vex;

TEST(Cp932, RoundTripsJapaneseAndCountsBytes) {
    const std::string utf8 = "2024年05月12日 大井 ﾊﾟﾄﾞｯｸ　";
    std::string cp = toCp932(utf8);
    EXPECT_EQ(cp.size(), 14u + 1 + 4 + 1 + 6 + 2);  // half-width kana (and their sound marks) are one byte each
    EXPECT_EQ(toUtf8(cp), utf8);
    EXPECT_EQ(widthOf(sj("2009年01月05日")), 14u);
}

TEST(Cp932, InvalidBytesDecodeToReplacementAndUnencodableToQuestionMark) {
    // 0x81 at the end is half a character; 0xA0 and 0xFD are not CP932 at all.
    EXPECT_EQ(toUtf8(std::string("A\xA0" "B\x81", 4)), "A\xEF\xBF\xBD" "B\xEF\xBF\xBD");
    EXPECT_EQ(toUtf8(std::string("\xFD" "C")), "\xEF\xBF\xBD" "C");
    EXPECT_EQ(toCp932("a😀b"), "a?b");
    EXPECT_EQ(toCp932(std::string("x\xC3", 2)), "x?");
}

// The command line writes in its terminal's encoding when that is not UTF-8.
TEST(Cp932, Utf8GoesIntoATerminalsEncoding) {
    EXPECT_EQ(fromUtf8To("EUC-JP", "大井 1R"), "\xC2\xE7\xB0\xE6 1R");
    EXPECT_EQ(fromUtf8To("SHIFT_JIS", "大井"), sj("大井"));
    EXPECT_EQ(fromUtf8To("EUC-JP", "a😀b"), "a?b");  // one '?' for a character it cannot hold
    EXPECT_EQ(fromUtf8To("EUC-JP", "大井"), "\xC2\xE7\xB0\xE6");  // the kept converter, again
    EXPECT_EQ(fromUtf8To("NO-SUCH-ENCODING", "大井"), "大井");
}

TEST(Cp932, CutAndPadNeverSplitACharacter) {
    std::string name = sj("サクラ");  // 6 bytes
    EXPECT_EQ(cutToWidth(name, 5), sj("サク"));
    EXPECT_EQ(padRight(name, 5), sj("サク") + " ");
    EXPECT_EQ(padLeft(name, 8), "  " + name);
    EXPECT_EQ(padRight("ab", 4), "ab  ");
    EXPECT_EQ(padLeft(sj("あいう"), 3), " " + sj("あ"));
    // A lone lead byte at the end counts as one byte and is kept.
    EXPECT_EQ(cutToWidth(std::string("ab\x81", 3), 3), std::string("ab\x81", 3));
}

TEST(Cp932, RandomBytesNeverCrash) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255), len(0, 64);
    for (int i = 0; i < 20000; ++i) {
        std::string s(len(rng), '\0');
        for (auto& c : s) c = static_cast<char>(byte(rng));
        std::string u = toUtf8(s);
        std::string back = toCp932(u);
        EXPECT_LE(cutToWidth(s, 10).size(), 10u);
        EXPECT_EQ(padRight(s, 17).size(), 17u);
        (void)back;
    }
}

#include <gtest/gtest.h>

#include <tuple>

#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

using namespace vex;

TEST(Formatters, DigitsAndTenthsKeepTheFieldWidth) {
    EXPECT_EQ(DigitsText("07"), " 7");
    EXPECT_EQ(DigitsText("00"), "  ");
    EXPECT_EQ(DigitsText("480"), "480");
    EXPECT_EQ(DigitsText(" 12x4"), "   12");
    EXPECT_EQ(DigitsText("ab"), "  ");
    EXPECT_EQ(DigitsText(""), "");
    EXPECT_EQ(TenthsText("0570"), " 57.0");
    EXPECT_EQ(TenthsText("0000"), "    ");
    EXPECT_EQ(TenthsText("0005"), "  0.5");
    EXPECT_EQ(TenthsText("1234"), "123.4");
    EXPECT_EQ(TenthsText("5"), "0.5");  // wider than its field, but never cut
}

TEST(Formatters, DigitsGroupedByThousands) {
    EXPECT_EQ(GroupedDigits(0), "0");
    EXPECT_EQ(GroupedDigits(999), "999");
    EXPECT_EQ(GroupedDigits(1000), "1,000");
    EXPECT_EQ(GroupedDigits(100000000), "100,000,000");
    EXPECT_EQ(GroupedDigits(-123), "-123");
    EXPECT_EQ(GroupedDigits(-1234567), "-1,234,567");
}

TEST(Formatters, RaceTime) {
    EXPECT_EQ(RaceTimeText("1234"), "123.4");
    EXPECT_EQ(RaceTimeText("1057"), "1 5.7");
    EXPECT_EQ(RaceTimeText("0589"), "058.9");
    for (const char* t : {"9999", "0000", "1999", "2   ", "    ", ""}) EXPECT_EQ(RaceTimeText(t), "     ") << t;
    EXPECT_THROW(RaceTimeText("12a4"), ConversionError);
    EXPECT_THROW(RaceTimeText("1 34"), ConversionError);
    EXPECT_THROW(RaceTimeText("123"), ConversionError);
    try {
        RaceTimeText("1x34");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("1x34"), std::string::npos);
    }
    try {  // a field of record bytes is named in UTF-8, as every error text is
        RaceTimeText(sj("1５"));
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_NE(std::string(e.what()).find("'1５'"), std::string::npos) << e.what();
    }
}

TEST(Formatters, WeightChange) {
    EXPECT_EQ(WeightChangeText("+", "000"), "+-0");
    EXPECT_EQ(WeightChangeText("+", "999"), "-");
    EXPECT_EQ(WeightChangeText("-", "   "), "-");
    EXPECT_EQ(WeightChangeText("+", "012"), "+12");
    EXPECT_EQ(WeightChangeText("-", "004"), "-4");
}

TEST(Formatters, RaceClass) {
    const std::string name = sj("東京大賞典");
    EXPECT_EQ(RaceClassText("999", "A", name), sj("GⅠ") + name);
    EXPECT_EQ(RaceClassText("abc", "C", name), sj("GⅢ") + name);  // graded races never read the class
    EXPECT_EQ(RaceClassText("701", "-", ""), sj("新馬"));
    EXPECT_EQ(RaceClassText("703", "-", name), sj("未勝利"));
    EXPECT_EQ(RaceClassText("999", "-", ""), sj("ｵｰﾌﾟﾝ"));
    EXPECT_EQ(RaceClassText("005", "-", name), " 500" + sj("下"));
    EXPECT_EQ(RaceClassText("100", "-", name), "10000" + sj("下"));
    // Nothing from the class: the name, unless it is only full-width blanks.
    EXPECT_EQ(RaceClassText("000", "-", name), name);
    EXPECT_EQ(RaceClassText("   ", "-", name), name);
    EXPECT_EQ(RaceClassText("000", "D", sj("　　")), sj("重賞"));
    EXPECT_EQ(RaceClassText("   ", "E", ""), sj("特別"));
    EXPECT_EQ(RaceClassText("   ", "-", sj("　")), " ");
    EXPECT_THROW(RaceClassText("7O1", "-", name), ConversionError);
}

TEST(Formatters, PaceBeforeTheLast600) {
    // 1:23.4 over 1400 m with 37.5 in the last 600: (834 - 375) / 8 * 6 = 344.25.
    EXPECT_EQ(Pace600Text("1234", "375", "1400"), "344");
    EXPECT_EQ(Pace600Text("1237", "375", "1400"), "347");  // 346.5 rounds away from zero
    EXPECT_EQ(Pace600Text("0300", "375", "1400"), "-56");
    EXPECT_EQ(Pace600Text("9999", "001", "0700"), "383");  // 38388 cut to three characters
    EXPECT_EQ(Pace600Text("1234", "375", "1230"), "437");  // 459 * 600 / 630 = 437.14
    for (auto [t, l, d] : {std::tuple{"0000", "375", "1400"}, {"1234", "000", "1400"}, {"1234", "375", "0000"},
                           {"    ", "375", "1400"}, {"1234", "   ", "1400"}, {"1234", "375", "    "},
                           {"0360", "350", "0600"}, {"0300", "350", "0400"}})
        EXPECT_EQ(Pace600Text(t, l, d), "   ") << t << " " << l << " " << d;
    EXPECT_THROW(Pace600Text("12x4", "375", "1400"), ConversionError);
    EXPECT_THROW(Pace600Text("1234", "3-5", "1400"), ConversionError);
    EXPECT_THROW(Pace600Text("1234", "375", "14OO"), ConversionError);
}

TEST(Formatters, AddMinutesAndSeconds) {
    EXPECT_EQ(AddMinutes("2350", 20), "2410");  // hours are not wrapped
    EXPECT_EQ(AddMinutes("1505", -10), "1455");
    EXPECT_EQ(AddMinutes("0905", 0), "0905");
    EXPECT_EQ(AddMinutes("0005", -10), "0000");
    EXPECT_EQ(AddMinutes("    ", 5), "");
    EXPECT_EQ(AddMinutes("", 5), "");
    EXPECT_EQ(AddSeconds("235930", 45), "240015");
    EXPECT_EQ(AddSeconds("100000", -1), "095959");
    EXPECT_EQ(AddSeconds("000000", 360000), "1000000");
    EXPECT_EQ(AddSeconds("      ", 1), "");
}

TEST(Formatters, StripFullWidthSpacesWalksWholeCharacters) {
    EXPECT_EQ(StripFullWidthSpaces(sj("　東京　大賞典　")), sj("東京大賞典"));
    EXPECT_EQ(StripFullWidthSpaces(sj("　　")), "");
    // "\x88\x81" is one character; the '@' after it must survive.
    const std::string tricky = std::string("\x88\x81") + "@" + sj("　");
    EXPECT_EQ(StripFullWidthSpaces(tricky), std::string("\x88\x81") + "@");
    EXPECT_EQ(StripFullWidthSpaces(" a "), " a ");
}

TEST(Formatters, OverwriteAtKeepsTheLength) {
    EXPECT_EQ(OverwriteAt("RA1234567890XYZ", "000000000", 3), "RA000000000" "0XYZ");
    EXPECT_EQ(OverwriteAt("RA12345", "000000000", 3), "RA00000");
    EXPECT_EQ(OverwriteAt("abc", "X", 1), "Xbc");
    EXPECT_EQ(OverwriteAt("abc", "X", 3), "abX");
    EXPECT_EQ(OverwriteAt("abc", "X", 4), "abc");
    EXPECT_EQ(OverwriteAt("abc", "X", 0), "abc");
    EXPECT_EQ(OverwriteAt("", "X", 1), "");
}

#include <gtest/gtest.h>

#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

using namespace vex;

TEST(TrackGroup, CentralLocalOverseasAndTheRest) {
    EXPECT_EQ(TrackGroup("05"), sj("東京") + "  ");
    EXPECT_EQ(TrackGroup("30"), sj("地方  "));
    EXPECT_EQ(TrackGroup("44"), sj("地方  "));
    EXPECT_EQ(TrackGroup("61"), sj("地方  "));
    EXPECT_EQ(TrackGroup("A0"), sj("海外  "));
    EXPECT_EQ(TrackGroup("H2"), sj("海外  "));
    for (const char* code : {"C5", "H4", "M2", "80", "84", "11", "29", "62", "00", "A1", "", "5"})
        EXPECT_EQ(TrackGroup(code), "      ") << code;
}

TEST(CodeTables, FixedWidthTablesKeepTheirWidthForEveryCode) {
    for (const char* code : {"11", "18", "01", "07", "09", "47", "49", "99", "", "1"})
        EXPECT_EQ(RaceKindName(code).size(), 8u) << code;
    EXPECT_EQ(RaceKindName("13"), sj("サラ３上"));
    EXPECT_EQ(RaceKindName("99"), sj("　　　　"));
    for (const char* code : {"1", "4", "5", "7", "8", "", "x"}) EXPECT_EQ(AbnormalityName(code).size(), 8u) << code;
    EXPECT_EQ(AbnormalityName("5"), "\x8e\xb8\x8a\x69    ");  // 失格 + 4 spaces
    EXPECT_EQ(AbnormalityName("7"), sj("降着　　"));
    EXPECT_EQ(GradeName("A"), "G1   ");
    EXPECT_EQ(GradeName("-"), sj("普通 "));
    EXPECT_EQ(GradeName("P"), sj("地区限定1"));
    EXPECT_EQ(GradeName("a"), sj("　　 "));  // codes are case-sensitive
}

TEST(CodeTables, UnknownStylesLeaveTheOutputAlone) {
    std::string out = "prev";
    EXPECT_FALSE(RaceKindName("11", 1, out));
    EXPECT_FALSE(GradeName("A", 4, out));
    EXPECT_FALSE(BreedName("1", 0, out));
    EXPECT_FALSE(MarginText("12", 0, out));
    EXPECT_FALSE(GoingName("1", 3, out));
    EXPECT_FALSE(WeekdayName("1", 2, out));
    EXPECT_FALSE(WeekdayName("9", 1, out));  // the weekday table also keeps it for unknown codes
    EXPECT_FALSE(WeekdayName("", 1, out));
    EXPECT_EQ(out, "prev");
    EXPECT_TRUE(GoingName("9", 1, out));     // a known style with an unknown code does write
    EXPECT_EQ(out, "");
    EXPECT_EQ(GradeName("A", 4), "");
}

TEST(CodeTables, CodesReadAsNumbers) {
    EXPECT_EQ(WeekdayName("0"), sj("　"));
    EXPECT_EQ(WeekdayName("1"), sj("土"));
    EXPECT_EQ(WeekdayName("08"), sj("金"));
    EXPECT_EQ(HorseMarkText("03"), sj("(父)"));
    EXPECT_EQ(HorseMarkText("41"), sj("(父)(外)[地]"));
    EXPECT_EQ(HorseMarkText("13"), sj("　"));
    EXPECT_EQ(HorseMarkText("0"), sj("　"));
    EXPECT_EQ(HorseMarkText("3x"), sj("　"));
    EXPECT_EQ(CourseName("23"), sj("ﾀﾞｰﾄ 左回り"));
    EXPECT_EQ(CourseName("51"), sj("障害 芝　襷"));
    EXPECT_EQ(CourseName("30"), "");
    EXPECT_EQ(CourseShortName("14"), sj("芝左"));
    EXPECT_EQ(CourseShortName("26"), sj("ダ右外"));
    EXPECT_EQ(CourseShortName("58"), sj("障害"));
    EXPECT_EQ(CourseShortName("25"), "");
    EXPECT_EQ(CourseShortName("27"), "");
}

TEST(CodeTables, SmallTablesAndFallbacks) {
    EXPECT_EQ(BreedName("2"), sj("サラ系"));
    EXPECT_EQ(BreedName("I"), sj("アノ"));
    EXPECT_EQ(BreedName("9"), "");
    EXPECT_EQ(WeightRuleName("6"), sj("騎手ﾊﾝﾃﾞ"));
    EXPECT_EQ(WeightRuleName("5"), "");
    EXPECT_EQ(CoatColourName("39"), sj("薄墨毛"));
    EXPECT_EQ(CoatColourName("1"), sj("－"));
    EXPECT_EQ(WeatherName("4"), sj("小雨"));
    EXPECT_EQ(WeatherName("7"), "");
    EXPECT_EQ(GoingName("2", 0), sj("稍重"));
    EXPECT_EQ(GoingName("4", 1), sj("芝:不良"));
    EXPECT_EQ(GoingName("1", 2), sj("ダ:良"));
    EXPECT_EQ(GoingName("5", 2), "");
    EXPECT_EQ(SexName("3"), sj("ｾﾝ"));
    EXPECT_EQ(SexName("4"), "");
}

TEST(CodeTables, MarginTrimsItsCode) {
    EXPECT_EQ(MarginText(" 12"), "1/2");
    EXPECT_EQ(MarginText("112"), "1_1/2");
    EXPECT_EQ(MarginText("7  "), "7");
    EXPECT_EQ(MarginText("Z"), "10");
    EXPECT_EQ(MarginText("H"), sj("ハナ"));
    EXPECT_EQ(MarginText("B"), "");
    EXPECT_EQ(MarginText("   "), "");
}

TEST(CodeTables, WeightAllowanceDependsOnTheTrack) {
    EXPECT_EQ(WeightAllowanceText("44", "3"), sj("3kg減"));
    EXPECT_EQ(WeightAllowanceText("44", "5"), sj("　"));
    EXPECT_EQ(WeightAllowanceText("83", "2"), sj("20kg減"));
    EXPECT_EQ(WeightAllowanceText("83", "3"), sj("　"));
}

TEST(CodeTables, RaceSymbolJoinsThreePartsAlways) {
    EXPECT_EQ(RaceSymbolText("44", "e3X"), sj("千葉県産馬 牡・セン 南関東交流"));
    EXPECT_EQ(RaceSymbolText("44", "  A"), sj("  地方全国交流"));
    EXPECT_EQ(RaceSymbolText("44", "   "), "  ");
    EXPECT_EQ(RaceSymbolText("44", "N"), sj("(国際)") + "  ");  // a short code gives empty parts
    EXPECT_EQ(RaceSymbolText("44", "a1a"), sj("奨励馬・抽選馬 牡 南関東・北陸・東海・近畿・中国・四国交流"));
    // The heavy-horse courses read the same characters differently.
    EXPECT_EQ(RaceSymbolText("82", "A1Q"), sj("決勝 牡 ファン投票選抜"));
    EXPECT_EQ(RaceSymbolText("82", "M1A"), sj(" 牡 釧路・根室管内産駒選抜"));
    EXPECT_EQ(RaceSymbolText("44", "A1Q"), sj(" 牡 東北・北陸・東海交流"));
}

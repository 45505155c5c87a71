// The data service's code tables other than the tracks.
#include "vocabulary/codes.h"

#include "vocabulary/codes_detail.h"
#include "vocabulary/cp932.h"

namespace vex {

using detail::NumberCodeTable;
using detail::TextCodeTable;

namespace {

std::string lookup(const TextCodeTable& table, std::string_view code, const std::string& fallback) {
    const std::string* text = table.find(code);
    return text ? *text : fallback;
}

std::string lookupNumber(const NumberCodeTable& table, std::string_view code, const std::string& fallback) {
    auto n = strictNumber(code);
    const std::string* text = n ? table.find(*n) : nullptr;
    return text ? *text : fallback;
}

std::string_view trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool isHeavyHorseTrack(std::string_view trackCode) {
    return trackCode == "81" || trackCode == "82" || trackCode == "83" || trackCode == "84";
}

}  // namespace

bool RaceKindName(std::string_view code, int style, std::string& out) {
    static const TextCodeTable table = {
        {"11", "サラ２歳"}, {"12", "サラ３歳"}, {"13", "サラ３上"}, {"14", "サラ４上"}, {"18", "障害３上"},
        {"19", "障害４上"}, {"21", "アラ２歳"}, {"22", "アラ３歳"}, {"23", "アラ３上"}, {"24", "アラ４上"},
        {"01", "混合２歳"}, {"02", "混合３歳"}, {"03", "混合４歳"}, {"04", "混合３上"}, {"05", "混合４上"},
        {"06", "混合５上"}, {"07", "混２・３"}, {"08", "混３・４"}, {"09", "混合一般"}, {"43", "サラ４歳"},
        {"46", "サラ５上"}, {"47", "サ２・３"}, {"48", "サ３・４"}, {"49", "サラ一般"},
    };
    static const std::string fallback = sj("　　　　");
    if (style != 4) return false;
    out = lookup(table, code, fallback);
    return true;
}
std::string RaceKindName(std::string_view code, int style) {
    std::string out;
    RaceKindName(code, style, out);
    return out;
}

bool GradeName(std::string_view code, int style, std::string& out) {
    static const TextCodeTable table = {
        {"A", "G1   "},  {"B", "G2   "},  {"C", "G3   "},      {"D", "重賞 "},      {"E", "特別 "},   {"-", "普通 "},
        {"P", "地区限定1"}, {"Q", "地区限定2"}, {"R", "地区限定3"}, {"S", "地区限定"}, {"T", "準重賞"},
    };
    static const std::string fallback = sj("　　 ");
    if (style != 1) return false;
    out = lookup(table, code, fallback);
    return true;
}
std::string GradeName(std::string_view code, int style) {
    std::string out;
    GradeName(code, style, out);
    return out;
}

bool WeekdayName(std::string_view code, int style, std::string& out) {
    static const NumberCodeTable table = {
        {0, "　"}, {1, "土"}, {2, "日"}, {3, "祝"}, {4, "月"}, {5, "火"}, {6, "水"}, {7, "木"}, {8, "金"},
    };
    if (style != 1) return false;
    auto n = strictNumber(code);
    const std::string* text = n ? table.find(*n) : nullptr;
    if (!text) return false;
    out = *text;
    return true;
}
std::string WeekdayName(std::string_view code, int style) {
    std::string out;
    WeekdayName(code, style, out);
    return out;
}

bool BreedName(std::string_view code, int style, std::string& out) {
    static const TextCodeTable table = {
        {"1", "サラ"}, {"2", "サラ系"}, {"3", "準サラ"}, {"4", "軽半"},   {"5", "アア"},   {"6", "アラ系"},
        {"7", "アラブ"}, {"8", "中半"},   {"A", "半血"},   {"B", "日輓"},   {"C", "ペル"},   {"D", "ペル系"},
        {"E", "ベルジ"}, {"F", "ベル系"}, {"G", "ブル"},   {"H", "ブル系"}, {"I", "アノ"},
    };
    if (style != 1) return false;
    out = lookup(table, code, {});
    return true;
}
std::string BreedName(std::string_view code, int style) {
    std::string out;
    BreedName(code, style, out);
    return out;
}

std::string WeightRuleName(std::string_view code) {
    static const TextCodeTable table = {
        {"1", "ﾊﾝﾃﾞ"}, {"2", "別定"}, {"3", "馬齢"},     {"4", "定量"},
        {"6", "騎手ﾊﾝﾃﾞ"}, {"7", "賞金ﾊﾝﾃﾞ"}, {"8", "規定"}, {"9", "見込"},
    };
    return lookup(table, code, {});
}

std::string HorseMarkText(std::string_view code) {
    static const NumberCodeTable table = {
        {1, "(抽)"},         {2, "[抽]"},         {3, "(父)"},         {4, "(市)"},       {5, "(地)"},
        {6, "(外)"},         {7, "(父)(抽)"},     {8, "(父)(市)"},     {9, "(父)(地)"},   {10, "(市)(地)"},
        {11, "(外)(地)"},    {12, "(父)(市)(地)"}, {15, "(招)"},        {16, "(招)(外)"},  {17, "(招)(父)"},
        {18, "(招)(市)"},    {19, "(招)(父)(市)"}, {20, "(父)(外)"},    {21, "[地]"},      {22, "(外)[地]"},
        {23, "(父)[地]"},    {24, "(市)[地]"},    {25, "(父)(市)[地]"}, {26, "[外]"},      {27, "(父)[外]"},
        {31, "(特)"},        {40, "(父)(外)(地)"}, {41, "(父)(外)[地]"},
    };
    static const std::string fallback = sj("　");
    return lookupNumber(table, code, fallback);
}

std::string AbnormalityName(std::string_view code) {
    static const TextCodeTable table = {
        {"1", "出走取消"}, {"2", "発走除外"}, {"3", "競走除外"}, {"4", "競走中止"},
        {"5", "失格    "}, {"6", "落馬再騎"}, {"7", "降着　　"},
    };
    static const std::string fallback(8, ' ');
    return lookup(table, code, fallback);
}

std::string CoatColourName(std::string_view code) {
    static const TextCodeTable table = {
        {"01", "栗毛"},   {"02", "栃栗毛"}, {"03", "鹿毛"},   {"04", "黒鹿毛"}, {"05", "青鹿毛"}, {"06", "青毛"},
        {"07", "芦毛"},   {"08", "栗粕毛"}, {"09", "鹿粕毛"}, {"10", "青粕毛"}, {"11", "白毛"},   {"30", "栗駁毛"},
        {"31", "鹿駁毛"}, {"32", "青駁毛"}, {"33", "駁栗毛"}, {"34", "駁鹿毛"}, {"35", "駁青毛"}, {"36", "月毛"},
        {"37", "川原毛"}, {"38", "佐目毛"}, {"39", "薄墨毛"},
    };
    static const std::string fallback = sj("－");
    return lookup(table, code, fallback);
}

bool MarginText(std::string_view code, int style, std::string& out) {
    static const TextCodeTable table = {
        {"12", "1/2"},    {"34", "3/4"}, {"1", "1"},     {"112", "1_1/2"}, {"114", "1_1/4"}, {"134", "1_3/4"},
        {"2", "2"},       {"212", "2_1/2"}, {"3", "3"},  {"312", "3_1/2"}, {"4", "4"},       {"5", "5"},
        {"6", "6"},       {"7", "7"},    {"8", "8"},     {"9", "9"},       {"A", "ｱﾀﾏ"},     {"D", "同着"},
        {"H", "ハナ"},    {"K", "クビ"}, {"T", "大差"},  {"Z", "10"},
    };
    if (style != 1) return false;
    out = lookup(table, trimBlanks(code), {});
    return true;
}
std::string MarginText(std::string_view code, int style) {
    std::string out;
    MarginText(code, style, out);
    return out;
}

std::string CourseName(std::string_view code) {
    static const NumberCodeTable table = {
        {10, "芝 直線"},
        {11, "芝 左回り"},
        {12, "芝 左回り 外回り"},
        {13, "芝 左回り 内→外回り"},
        {14, "芝 左回り 外→内回り"},
        {15, "芝 左回り 内２周"},
        {16, "芝 左回り 外２周"},
        {17, "芝 右回り"},
        {18, "芝 右回り 外回り"},
        {19, "芝 右回り 内→外回り"},
        {20, "芝 右回り 外→内回り"},
        {21, "芝 右回り 内２周"},
        {22, "芝 右回り 外２周"},
        {23, "ﾀﾞｰﾄ 左回り"},
        {24, "ﾀﾞｰﾄ 右回り"},
        {25, "ﾀﾞｰﾄ 左回り 内回り"},
        {26, "ﾀﾞｰﾄ 右回り 外回り"},
        {27, "ｻﾝﾄﾞ 左回り"},
        {28, "ｻﾝﾄﾞ 右回り"},
        {29, "ﾀﾞｰﾄ 直線"},
        {51, "障害 芝　襷"},
        {52, "障害 芝→ﾀﾞｰﾄ"},
        {53, "障害 芝　左"},
        {54, "障害 芝"},
        {55, "障害 芝 外回り"},
        {56, "障害 芝 外→内回り"},
        {57, "障害 芝 内→外回り"},
        {58, "障害 内２周"},
        {59, "障害 外２周"},
        {90, "ばんえい障害"},
    };
    return lookupNumber(table, code, {});
}

std::string CourseShortName(std::string_view code) {
    static const NumberCodeTable table = {
        {10, "芝直"}, {11, "芝左"}, {12, "芝左"}, {13, "芝左"}, {14, "芝左"}, {15, "芝左"}, {16, "芝左"},
        {17, "芝右"}, {18, "芝右"}, {19, "芝右"}, {20, "芝右"}, {21, "芝右"}, {22, "芝右"}, {23, "ダ左"},
        {24, "ダ右"}, {26, "ダ右外"}, {29, "ダ直"}, {51, "障害"}, {52, "障害"}, {53, "障害"}, {54, "障害"},
        {55, "障害"}, {56, "障害"}, {57, "障害"}, {58, "障害"}, {59, "障害"}, {90, "ばんえい障害"},
    };
    return lookupNumber(table, code, {});
}

std::string WeatherName(std::string_view code) {
    static const TextCodeTable table = {
        {"1", "晴"}, {"2", "曇"}, {"3", "雨"}, {"4", "小雨"}, {"5", "雪"}, {"6", "小雪"},
    };
    return lookup(table, code, {});
}

bool GoingName(std::string_view code, int style, std::string& out) {
    static const TextCodeTable plainNames = {{"1", "良"}, {"2", "稍重"}, {"3", "重"}, {"4", "不良"}};
    static const std::string turf = sj("芝:"), dirt = sj("ダ:");
    if (style < 0 || style > 2) return false;
    const std::string* name = plainNames.find(code);
    if (!name)
        out.clear();
    else
        out = (style == 1 ? turf : style == 2 ? dirt : std::string()) + *name;
    return true;
}
std::string GoingName(std::string_view code, int style) {
    std::string out;
    GoingName(code, style, out);
    return out;
}

std::string SexName(std::string_view code) {
    static const TextCodeTable table = {{"1", "牡"}, {"2", "牝"}, {"3", "ｾﾝ"}};
    return lookup(table, code, {});
}

std::string WeightAllowanceText(std::string_view trackCode, std::string_view code) {
    static const TextCodeTable heavy = {{"1", "10kg減"}, {"2", "20kg減"}};
    static const TextCodeTable other = {{"1", "1kg減"}, {"2", "2kg減"}, {"3", "3kg減"}, {"4", "4kg減"}};
    static const std::string fallback = sj("　");
    return lookup(isHeavyHorseTrack(trackCode) ? heavy : other, code, fallback);
}

std::string RaceSymbolText(std::string_view trackCode, std::string_view code) {
    static const TextCodeTable part1 = {
        {"M", "九州産馬"},     {"N", "(国際)"},       {"a", "奨励馬・抽選馬"},       {"b", "補助馬"},
        {"c", "北海道産馬"},   {"d", "東北産馬"},     {"e", "千葉県産馬"},           {"f", "熊本県産馬"},
        {"g", "門別・平取産馬"}, {"h", "浦賀・荻伏・様似産馬"}, {"i", "新冠・静内・三石産馬"},
        {"j", "青毛・青鹿毛・黒鹿毛"}, {"k", "栗毛"},  {"l", "栗毛・栃栗毛"}, {"m", "芦毛"},
        {"n", "白毛・芦毛"},   {"o", "地元デビュー馬"},
    };
    static const TextCodeTable part2 = {
        {"1", "牡"}, {"2", "牝"}, {"3", "牡・セン"}, {"4", "牡・牝"}, {"A", "選抜牝馬"}, {"B", "選定牝馬"},
    };
    static const TextCodeTable part3 = {
        {"1", "(指定)"},
        {"7", "認定競走"},
        {"8", "指定競走"},
        {"9", "選定競走"},
        {"A", "地方全国交流"},
        {"B", "北海道・東北交流"},
        {"C", "北海道・東北・北関東交流"},
        {"D", "北海道・東北・南関東交流"},
        {"E", "北海道・東北・九州交流"},
        {"F", "北海道・東北・北関東・南関東交流"},
        {"G", "北海道・東北・北関東・南関東・九州交流"},
        {"M", "東北交流"},
        {"N", "東北・南関東交流"},
        {"O", "東北・九州交流"},
        {"P", "東北・南関東・東海交流"},
        {"Q", "東北・北陸・東海交流"},
        {"V", "北関東交流"},
        {"W", "北関東・南関東交流"},
        {"X", "南関東交流"},
        {"Y", "南関東・北陸・東海・近畿交流"},
        {"Z", "南関東・北陸・東海・近畿・中国交流"},
        {"a", "南関東・北陸・東海・近畿・中国・四国交流"},
        {"e", "北陸・東海交流"},
        {"f", "北陸・近畿交流"},
        {"g", "北陸・中国交流"},
        {"h", "北陸・東海・近畿交流"},
        {"i", "北陸・東海・近畿・中国交流"},
        {"j", "北陸・東海・近畿・中国・四国・九州交流"},
        {"m", "東海・近畿交流"},
        {"q", "近畿・中国交流"},
        {"r", "近畿・四国交流"},
        {"s", "近畿・中国・四国交流"},
        {"v", "中国交流"},
        {"w", "中国・四国交流"},
        {"y", "四国・九州交流"},
        {"z", "九州交流"},
    };
    static const TextCodeTable heavy1 = {
        {"A", "決勝"}, {"B", "勝入"}, {"C", "選抜"}, {"D", "混合"}, {"E", "決勝混合"}, {"F", "勝入混合"}, {"G", "選抜混合"},
    };
    static const TextCodeTable heavy2 = {{"1", "牡"}, {"2", "牝"}, {"3", "牡・セン"}, {"4", "牡・牝"}};
    static const TextCodeTable heavy3 = {
        {"A", "釧路・根室管内産駒選抜"}, {"B", "十勝管内産駒選抜"}, {"C", "網走管内産駒選抜"},
        {"D", "足寄町産駒選抜"},         {"E", "幕別町産駒選抜"},   {"F", "南北海道産駒選抜"},
        {"G", "産駒特別競走選抜"},       {"H", "芦毛馬選抜"},       {"I", "栗毛馬選抜"},
        {"J", "鹿毛馬選抜"},             {"K", "青毛馬選抜"},       {"L", "重馬体重馬選抜"},
        {"M", "指定特別競走優勝馬"},     {"N", "重賞特別競走優勝馬"}, {"O", "馬齢選抜"},
        {"P", "騎手指定選抜"},           {"Q", "ファン投票選抜"},
    };
    const bool heavyTrack = isHeavyHorseTrack(trackCode);
    const TextCodeTable* tables[3] = {heavyTrack ? &heavy1 : &part1, heavyTrack ? &heavy2 : &part2,
                                      heavyTrack ? &heavy3 : &part3};
    std::string out;
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0) out += ' ';
        if (i < code.size()) out += lookup(*tables[i], code.substr(i, 1), {});
    }
    return out;
}

}  // namespace vex

#include "vocabulary/codes.h"

#include <array>
#include <map>
#include <utility>

#include "vocabulary/codes_detail.h"
#include "vocabulary/cp932.h"

namespace vex {
namespace {

struct TrackNames {
    std::string style0;  // 6 bytes
    std::string style2;  // 4 bytes
};

// Style 2 / style 0 as the data service names them; "" marks a code with no name.
struct TrackRow {
    const char* code;
    const char* style2;
    const char* style0;
};
constexpr TrackRow kTrackRows[] = {
    {"01", "札幌", "札幌"},
    {"02", "函館", "函館"},
    {"03", "福島", "福島"},
    {"04", "新潟", "新潟"},
    {"05", "東京", "東京"},
    {"06", "中山", "中山"},
    {"07", "中京", "中京"},
    {"08", "京都", "京都"},
    {"09", "阪神", "阪神"},
    {"10", "小倉", "小倉"},
    {"30", "門別", "門別"},
    {"31", "北見", "北見"},
    {"32", "岩見", "岩見沢"},
    {"33", "帯広", "帯広"},
    {"34", "旭川", "旭川"},
    {"35", "盛岡", "盛岡"},
    {"36", "水沢", "水沢"},
    {"37", "上山", "上山"},
    {"38", "三条", "三条"},
    {"39", "足利", "足利"},
    {"40", "宇都", "宇都宮"},
    {"41", "高崎", "高崎"},
    {"42", "浦和", "浦和"},
    {"43", "船橋", "船橋"},
    {"44", "大井", "大井"},
    {"45", "川崎", "川崎"},
    {"46", "金沢", "金沢"},
    {"47", "笠松", "笠松"},
    {"48", "名古", "名古屋"},
    {"49", "紀三", "紀三井"},
    {"50", "園田", "園田"},
    {"51", "姫路", "姫路"},
    {"52", "益田", "益田"},
    {"53", "福山", "福山"},
    {"54", "高知", "高知"},
    {"55", "佐賀", "佐賀"},
    {"56", "荒尾", "荒尾"},
    {"57", "中津", "中津"},
    {"58", "札幌", "札幌"},
    {"59", "函館", "函館"},
    {"60", "新潟", "新潟"},
    {"61", "中京", "中京"},
    {"80", "春木", "春木"},
    {"81", "北ば", "北見ば"},
    {"82", "岩ば", "岩見ば"},
    {"83", "帯ば", "帯広ば"},
    {"84", "旭ば", "旭川ば"},
    {"A0", "他外", "他外国"},
    {"A2", "日本", "日本"},
    {"A4", "アメ", "ｱﾒﾘｶ"},
    {"A6", "イギ", "ｲｷﾞﾘｽ"},
    {"A8", "フラ", "ﾌﾗﾝｽ"},
    {"B0", "イン", "インド"},
    {"B2", "アイ", "ｱｲﾙﾗﾝﾄ"},
    {"B4", "ニュ", "ﾆｭｰｼﾞｰ"},
    {"B6", "オー", "ｵｰｽﾄﾗﾘ"},
    {"B8", "カナ", "カナダ"},
    {"C0", "イタ", "ｲﾀﾘｱ"},
    {"C2", "ドイ", "ドイツ"},
    {"C4", "", ""},
    {"C5", "オマ", "ｵﾏｰﾝ"},
    {"C6", "イラ", "イラク"},
    {"C7", "ア首", "ｱﾗﾌﾞ首"},
    {"C8", "シリ", "シリア"},
    {"D0", "スウ", "ｽｳｪｰﾃﾞ"},
    {"D2", "ハン", "ﾊﾝｶﾞﾘｰ"},
    {"D4", "ポル", "ﾎﾟﾙﾄｶﾞ"},
    {"D6", "ロシ", "ロシア"},
    {"D8", "ウル", "ｳﾙｸﾞｱｲ"},
    {"E0", "ペル", "ペルー"},
    {"E2", "アル", "ｱﾙｾﾞﾝﾁ"},
    {"E4", "ブラ", "ﾌﾞﾗｼﾞﾙ"},
    {"E6", "ベル", "ﾍﾞﾙｷﾞｰ"},
    {"E8", "トル", "トルコ"},
    {"F0", "韓国", "韓国"},
    {"F1", "中国", "中国"},
    {"F2", "チリ", "チリ"},
    {"F4", "", ""},
    {"F6", "", ""},
    {"F8", "パナ", "パナマ"},
    {"G0", "香港", "香港"},
    {"G2", "スペ", "ｽﾍﾟｲﾝ"},
    {"G4", "", ""},
    {"G6", "", ""},
    {"G8", "", ""},
    {"H0", "西独", "西ﾄﾞｲﾂ"},
    {"H2", "南ア", "南ｱﾌﾘｶ"},
    {"H4", "スイ", "スイス"},
    {"H6", "モナ", "モナコ"},
    {"H8", "フィ", "ﾌｨﾘﾋﾟﾝ"},
    {"I0", "プエ", "ﾌﾟｴﾙﾄﾘ"},
    {"I2", "コロ", "ｺﾛﾝﾋﾞｱ"},
    {"I4", "チェ", "ﾁｪｺｽﾛﾊ"},
    {"I6", "チェ", "チェコ"},
    {"I8", "スロ", "ｽﾛﾊﾞｷｱ"},
    {"J0", "エク", "ｴｸｱﾄﾞﾙ"},
    {"J2", "ギリ", "ｷﾞﾘｼｬ"},
    {"J4", "マレ", "ﾏﾚｰｼｱ"},
    {"J6", "メキ", "ﾒｷｼｺ"},
    {"J8", "モロ", "ﾓﾛｯｺ"},
    {"K0", "パキ", "ﾊﾟｷｽﾀﾝ"},
    {"K2", "ポー", "ﾎﾟｰﾗﾝﾄ"},
    {"K4", "パラ", "ﾊﾟﾗｸﾞｱ"},
    {"K6", "サウ", "ｻｳｼﾞｱﾗ"},
    {"K8", "キプ", "ｷﾌﾟﾛｽ"},
    {"L0", "タイ", "タイ"},
    {"L2", "ウク", "ｳｸﾗｲﾅ"},
    {"L4", "ベネ", "ﾍﾞﾈｽﾞｴ"},
    {"L6", "ユー", "ﾕｰｺﾞｽﾗ"},
    {"L8", "デン", "ﾃﾞﾝﾏｰｸ"},
    {"M0", "シン", "ｼﾝｶﾞﾎﾟ"},
    {"M2", "澳門", "マカオ"},
};

const std::map<std::string, TrackNames, std::less<>>& trackTable() {
    static const auto table = [] {
        std::map<std::string, TrackNames, std::less<>> t;
        for (const TrackRow& row : kTrackRows) {
            TrackNames names{padRight(sj(row.style0), 6), padRight(sj(row.style2), 4)};
            t.emplace(row.code, std::move(names));
        }
        // The one style-0 name padded with a full-width space rather than ASCII ones.
        t["L0"].style0 = sj("タイ　");
        return t;
    }();
    return table;
}

}  // namespace

bool TrackName(std::string_view trackCode, int style, std::string& out) {
    if (style != 0 && style != 2) return false;
    const auto& table = trackTable();
    auto it = table.find(trackCode);
    if (it == table.end())
        out.assign(style == 0 ? 6 : 4, ' ');
    else
        out = style == 0 ? it->second.style0 : it->second.style2;
    return true;
}

std::string TrackName(std::string_view trackCode, int style) {
    std::string out;
    TrackName(trackCode, style, out);
    return out;
}

std::string TrackGroup(std::string_view trackCode) {
    static const std::string local = sj("地方  "), overseas = sj("海外  ");
    if (trackCode.size() != 2) return std::string(6, ' ');
    const char c0 = trackCode[0], c1 = trackCode[1];
    if (isDigit(c0) && isDigit(c1)) {
        const int n = (c0 - '0') * 10 + (c1 - '0');
        if (n >= 1 && n <= 10) return TrackName(trackCode, 0);
        if (n >= 30 && n <= 61) return local;
        return std::string(6, ' ');
    }
    // Overseas: only codes the service lists, A0 to H2, and C5 was never put in the group.
    const bool listed = trackTable().count(trackCode) > 0;
    if (listed && trackCode >= "A0" && trackCode <= "H2" && trackCode != "C5") return overseas;
    return std::string(6, ' ');
}

std::string CircledNumber(int n) {
    // Slot 0 holds the fallback.
    static const auto table = [] {
        const char* utf8[] = {"－", "①", "②", "③", "④", "⑤", "⑥", "⑦", "⑧", "⑨",
                              "⑩", "⑪", "⑫", "⑬", "⑭", "⑮", "⑯", "⑰", "⑱"};
        std::array<std::string, 19> t;
        for (int i = 0; i < 19; ++i) t[i] = sj(utf8[i]);
        return t;
    }();
    return table[n >= 1 && n <= 18 ? n : 0];
}

std::string CircledNumberText(std::string_view digits) {
    auto n = strictNumber(digits);
    return CircledNumber(n && *n <= 18 ? static_cast<int>(*n) : 0);
}

int FrameOfHorse(int runners, int horse) {
    if (runners < 1 || runners > 18 || horse < 1 || horse > runners) return 0;
    const int n = runners, h = horse;
    if (n <= 16) {
        const int q = (n - h) / 2;
        return q < n - 8 ? 8 - q : h;
    }
    int f = 8 - (16 - h) / 2;  // C++ division truncates toward zero, as the rule wants
    if (h > 16) f -= 1;
    if (h == 15 && n == 18) f -= 1;
    if (h == 17) f += 1;
    return f;
}

}  // namespace vex

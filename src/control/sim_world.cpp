#include "control/sim_world.h"

#include <algorithm>
#include <map>

#include "control/sim_util.h"
#include "vocabulary/cp932.h"

namespace vex::sim {

const std::vector<TrackSpec>& trackSpecs() {
    static const std::vector<TrackSpec> specs = {
        {42, true, false, 1045, 30, 23, {800, 1300, 1400, 1400, 1500, 1500, 1600, 1900, 2000}, 0, {}, 0.8, 11, 110},
        {43, true, false, 1050, 30, 23, {1000, 1200, 1200, 1500, 1600, 1700, 1800, 2200}, 0, {}, 0.85, 12, 110},
        {44, true, true, 1430, 35, 26, {1000, 1200, 1200, 1400, 1600, 1650, 1800, 2000}, 0, {}, 1.0, 13, 250},
        {45, true, true, 1420, 35, 23, {900, 1400, 1400, 1500, 1500, 1600, 2000, 2100}, 0, {}, 0.9, 12, 250},
        {30, false, true, 1500, 35, 24, {1000, 1100, 1200, 1200, 1500, 1600, 1700, 1800, 2000}, 0, {}, 0.4, 11, 210},
        {35, false, false, 1040, 30, 23, {1000, 1200, 1400, 1600, 1800, 2000}, 11, {1000, 1600, 1700, 2400}, 0.3, 10, 100},
        {36, false, false, 1040, 30, 24, {850, 1300, 1400, 1600, 1800, 1900, 2000}, 0, {}, 0.25, 10, 100},
        {46, false, false, 1050, 30, 24, {900, 1400, 1500, 1700, 1900, 2000, 2100}, 0, {}, 0.3, 10, 215},
        {47, false, false, 1045, 30, 24, {800, 1400, 1400, 1600, 1800, 1900, 2500}, 0, {}, 0.25, 10, 155},
        {48, false, false, 1050, 30, 24, {920, 1500, 1500, 1700, 2000, 2100}, 0, {}, 0.3, 10, 205},
        {50, false, false, 1040, 30, 24, {820, 1230, 1400, 1400, 1700, 1870, 2400}, 0, {}, 0.4, 11, 215},
        {54, false, true, 1450, 35, 24, {800, 1300, 1400, 1400, 1600, 1800, 1900, 2400}, 0, {}, 0.2, 10, 120},
        {55, false, false, 1050, 30, 24, {900, 1300, 1400, 1400, 1750, 1800, 1860, 2000, 2500}, 0, {}, 0.25, 10, 120},
        // Central courses race at weekends; their young horses move to local tracks later.
        {5, false, false, 1000, 35, 23, {1300, 1400, 1600, 2100}, 11, {1400, 1600, 1800, 2000, 2400}, 6.0, 14, 600, true},
        {6, false, false, 1000, 35, 24, {1200, 1800}, 17, {1200, 1600, 2000, 2500}, 6.0, 14, 600, true},
        {4, false, false, 1000, 35, 23, {1200, 1800}, 11, {1000, 1400, 1600, 1800, 2000}, 5.0, 14, 150, true},
    };
    return specs;
}

const TrackSpec* trackSpec(int code) {
    for (const auto& t : trackSpecs())
        if (t.code == code) return &t;
    return nullptr;
}

namespace {

// Southern-Kanto meetings follow a four-week cycle: each track holds five-day meetings, the two
// night tracks twice a cycle; a day track often races in daylight beside a night track.
struct CycleSlot {
    int track;
    int firstOffset;  // days after Monday
};
const std::vector<CycleSlot>& cycleWeek(int cw) {
    static const std::vector<CycleSlot> weeks[4] = {
        {{44, 0}},
        {{45, 0}, {42, 2}},
        {{44, 0}, {43, 0}},
        {{45, 1}},
    };
    return weeks[cw];
}

int monthOf(int day) { return civilDate(day).month; }

// Weekly tracks: offsets from Monday, season months, which weeks.
struct WeeklyRule {
    int track;
    std::vector<int> offsets;
    std::vector<int> months;  // empty: all year
    int parity;               // -1 every week, 0 even weeks, 1 odd weeks
};
const std::vector<WeeklyRule>& weeklyRules() {
    static const std::vector<WeeklyRule> rules = {
        {30, {1, 2, 3}, {4, 5, 6, 7, 8, 9, 10, 11}, -1},
        {35, {0, 5, 6}, {4, 5, 6, 7, 8, 9, 10, 11}, 0},
        {36, {0, 5, 6}, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 1},
        {46, {0, 1, 6}, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, -1},
        {47, {1, 2, 3, 4}, {}, 0},
        {48, {0, 1, 2, 3, 4}, {}, 1},
        {50, {2, 3, 4}, {}, -1},
        {54, {5, 6}, {}, -1},
        {55, {5, 6}, {}, -1},
        {5, {5, 6}, {2, 5, 6, 10, 11}, -1},
        {6, {5, 6}, {1, 3, 4, 9, 12}, -1},
        {4, {5, 6}, {7, 8}, -1},
    };
    return rules;
}

int cycleOf(std::uint64_t seed, int week) { return static_cast<int>((week + static_cast<int>(seed % 4) + 400000) % 4); }

// Running index of the blocks a horse of `track` can race in (-1: none that week).
int blockIndex(std::uint64_t seed, int track, int week) {
    const TrackSpec* trackInfo = trackSpec(track);
    if (!trackInfo) return -1;
    if (trackInfo->southKanto) {
        int cw = cycleOf(seed, week);
        for (const auto& s : cycleWeek(cw))
            if (s.track == track) {
                int cycle = (week - cw + 400000) / 4;
                bool twice = track == 44 || track == 45;
                return twice ? cycle * 2 + (cw >= 2 ? 1 : 0) : cycle;
            }
        return -1;
    }
    for (const auto& r : weeklyRules())
        if (r.track == track) return r.parity < 0 ? week : week / 2;
    return -1;
}

const char* kClassNames[8] = {"Ｃ３", "Ｃ２", "Ｃ１", "Ｂ３", "Ｂ２", "Ｂ１", "Ａ２", "Ａ１"};
const char* kNumerals[6] = {"一", "二", "三", "四", "五", "六"};
const char* kSpecialWords[] = {"スプリング", "サマー",   "オータム",   "ウィンター", "ムーンライト", "スターダスト",
                               "ブルーバード", "ホワイトローズ", "サファイア", "エメラルド", "ルビー", "オリオン",
                               "シリウス",   "ペガサス", "アルタイル", "ポラリス",   "カシオペア", "アンタレス",
                               "ミモザ",     "アカシア", "ライラック", "マリーゴールド", "コスモス", "ひまわり",
                               "あじさい",   "すずらん", "はまなす",   "しらさぎ",   "かもめ",     "つばめ"};
const char* kGradedWords[] = {"ゴールド", "シルバー", "クラウン", "ロイヤル", "グランド", "ダイヤモンド", "プラチナ"};

// Name parts written as UTF-8 in the source, kept as CP932 like every text of the records.
std::vector<std::string> cp932Texts(std::initializer_list<const char*> utf8) {
    std::vector<std::string> out;
    for (const char* text : utf8) out.push_back(sj(text));
    return out;
}

// Katakana name parts.
const std::vector<std::string>& nameParts() {
    static const std::vector<std::string> parts = cp932Texts({
                              "スター", "ゴールド", "シルバー", "ブルー", "レッド", "サクラ", "ミラクル", "ドリーム",
                              "ファイン", "ウイン", "キング", "クイーン", "ライト", "ソング", "ハート", "ロード",
                              "マイ", "プリンス", "ダンス", "フラワー", "ムーン", "サン", "スカイ", "ストーム",
                              "ラッキー", "グランド", "ビッグ", "リトル", "ホープ", "ジャスト", "エース", "カフェ",
                              "レディ", "ボス", "ナイト", "フォース", "メモリー", "トップ", "エンジェル", "ベル",
                              "ハヤテ", "カゼ", "ミライ", "ヒカリ", "ユメ", "ソラ", "ホシ", "ツバサ", "アサヒ",
                              "コマチ", "リュウ", "タイガ", "ミツバ", "ノゾミ", "ハルカ", "アオイ", "ルナ", "レオ",
                              "マリン", "シャイン", "ブライト", "ファースト", "ワン", "ゼロ", "セブン", "ロック",
                              "ジェット", "ウェーブ", "フレア", "ノヴァ", "オーラ", "アイ", "モモ", "キララ", "テン",
                              "ヤマト", "カイ", "ジン", "ライジン", "サムライ"});
    return parts;
}

const std::vector<std::string>& familyNames() {
    static const std::vector<std::string> names = cp932Texts({
                              "佐藤", "鈴木", "高橋", "田中", "伊藤", "渡辺", "山本", "中村", "小林", "加藤",
                              "吉田", "山田", "山口", "松本", "井上", "木村", "斎藤", "清水", "山崎", "池田",
                              "橋本", "阿部", "石川", "山下", "中島", "石井", "小川", "前田", "岡田", "藤田",
                              "後藤", "近藤", "村上", "遠藤", "青木", "坂本", "森田", "今野", "本橋", "矢野"});
    return names;
}
const std::vector<std::string>& givenInitials() {
    static const std::vector<std::string> names = cp932Texts({
                              "一", "二", "三", "健", "誠", "和", "正", "博", "隆", "修",
                              "亮", "大", "翔", "拓", "達", "秀", "勇", "信", "英", "真"});
    return names;
}

std::string personName(std::uint64_t h) {
    const auto& f = familyNames();
    const auto& g = givenInitials();
    return f[h % f.size()] + g[(h >> 20) % g.size()];
}

HorseId makeId(int pool, int birthYear, int serial) {
    return static_cast<HorseId>(((pool * 64 + (birthYear - 1990)) << 12) | serial);
}

int ageGroup(int age, int month) {
    if (age <= 2) return 0;
    if (age == 3 && month <= 6) return 1;
    return 2;
}

}  // namespace

double ageEffect(int age, int month) {
    if (age <= 2) return -0.9;
    if (age == 3) return -0.45 + 0.04 * month;
    if (age <= 5) return 0.0;
    if (age == 6) return -0.1;
    if (age == 7) return -0.3;
    return -0.6;
}

std::string trainerName(int track, int index) { return personName(hashOf(77, track, index, 1)); }
std::string jockeyName(int track, int index) { return personName(hashOf(78, track, index, 2)); }

std::vector<int> meetingDaysInWeek(std::uint64_t seed, int track, int week) {
    std::vector<int> days;
    int monday = mondayOfWeek(week);
    const TrackSpec* trackInfo = trackSpec(track);
    if (!trackInfo) return days;
    if (trackInfo->southKanto) {
        for (const auto& s : cycleWeek(cycleOf(seed, week)))
            if (s.track == track)
                for (int i = 0; i < 5; ++i) days.push_back(monday + s.firstOffset + i);
        return days;
    }
    for (const auto& r : weeklyRules()) {
        if (r.track != track) continue;
        if (r.parity >= 0 && ((week % 2) + 2) % 2 != r.parity) return days;
        for (int off : r.offsets) {
            int d = monday + off;
            int m = monthOf(d);
            if (r.months.empty() || std::find(r.months.begin(), r.months.end(), m) != r.months.end()) days.push_back(d);
        }
        std::sort(days.begin(), days.end());
    }
    return days;
}

void meetingNumberOf(std::uint64_t seed, int track, int day, int& meeting, int& dayOfMeeting) {
    int year = civilDate(day).year;
    int jan1 = dayNumber(year, 1, 1);
    meeting = 0;
    dayOfMeeting = 1;
    for (int w = weekOf(jan1); w <= weekOf(day); ++w) {
        auto days = meetingDaysInWeek(seed, track, w);
        if (days.empty() || days.front() < jan1) continue;
        if (days.front() > day) break;
        ++meeting;
        auto it = std::find(days.begin(), days.end(), day);
        if (it != days.end()) dayOfMeeting = static_cast<int>(it - days.begin()) + 1;
    }
    if (meeting == 0) meeting = 1;  // a meeting that began in the old year
}

Horse World::horse(HorseId id) const {
    Horse h;
    h.id = id;
    int serial = static_cast<int>(id & 0xFFF);
    int rest = static_cast<int>(id >> 12);
    int pool = rest / 64;
    h.birthYear = 1990 + rest % 64;
    const auto& specs = trackSpecs();
    const TrackSpec& home = specs[static_cast<std::size_t>(pool)];
    Rng r(hashOf(seed_, 0x4852ull, id));
    // A track's foals per year stay below a thousand, so three digits of serial keep numbers unique.
    h.regNo = digits(h.birthYear, 4) + h.breed + digits(home.code, 2) + digits(serial, 3);
    // Names of two or three parts, at most nine katakana.
    const auto& parts = nameParts();
    std::string name = parts[static_cast<std::size_t>(r.below(static_cast<int>(parts.size())))];
    for (int tries = 0; tries < 4; ++tries) {
        const std::string& p = parts[static_cast<std::size_t>(r.below(static_cast<int>(parts.size())))];
        if (name.size() + p.size() <= 18 && p != name) {
            name += p;
            if (r.uniform() < 0.7) break;
        }
    }
    h.name = name;
    double u = r.uniform();
    h.sex = u < 0.55 ? 1 : (u < 0.95 ? 2 : 3);
    u = r.uniform();
    h.coat = u < 0.40 ? 3 : u < 0.63 ? 1 : u < 0.78 ? 4 : u < 0.86 ? 7 : u < 0.93 ? 5 : u < 0.97 ? 2 : 6;
    h.ability = r.normal() + (home.southKanto ? 0.5 : home.central ? 1.2 : 0.0);
    h.style = r.below(4);
    h.baseWeight = static_cast<int>(470 + 22 * r.normal() - (h.sex == 2 ? 18 : 0));
    h.baseWeight = std::clamp(h.baseWeight, 390, 560);
    int jan1 = dayNumber(h.birthYear + 2, 1, 1);
    h.debutDay = jan1 + 140 + r.below(420);
    h.retireDay = h.debutDay + static_cast<int>(365 * (1.5 + 5.5 * r.uniform()));
    h.homeBefore = h.homeAfter = home.code;
    h.transferDay = h.retireDay + 1;
    if (home.central) {
        // A few months to a year and a half at a central course, then on to a local track.
        h.transferDay = h.debutDay + 120 + r.below(420);
        int target;
        do {
            target = specs[static_cast<std::size_t>(r.below(static_cast<int>(specs.size())))].code;
        } while (trackSpec(target)->central);
        h.homeAfter = target;
    } else if (r.uniform() < 0.22) {
        h.transferDay = h.debutDay + static_cast<int>((h.retireDay - h.debutDay) * r.uniform());
        int target;
        do {
            target = specs[static_cast<std::size_t>(r.below(static_cast<int>(specs.size())))].code;
        } while (target == home.code || trackSpec(target)->central ||
                 (home.southKanto && trackSpec(target)->southKanto && r.uniform() < 0.5));
        h.homeAfter = target;
    }
    h.trainerBefore = r.below(30);
    h.trainerAfter = r.below(30);
    h.jockey = r.below(24);
    return h;
}

World::World(std::uint64_t seed, int firstDay, int lastDay) : seed_(seed), firstDay_(firstDay), lastDay_(lastDay) {
    buildCards();
}

int World::findTrackDay(int day, int track) const {
    auto it = trackDayIndex_.find(static_cast<std::uint64_t>(day) * 100 + static_cast<std::uint64_t>(track));
    return it == trackDayIndex_.end() ? -1 : it->second;
}

const std::vector<RunRef>& World::runsOf(HorseId id) const {
    static const std::vector<RunRef> none;
    auto it = runs_.find(id);
    return it == runs_.end() ? none : it->second;
}

namespace {

using Proposals = std::map<std::pair<int, int>, std::vector<HorseId>>;  // (day, track) -> horses
using HorseTable = std::unordered_map<HorseId, Horse>;

// Meeting days of a track in a week, worked out once each: every horse of the track asks for them.
class MeetingDays {
public:
    explicit MeetingDays(std::uint64_t seed) : seed_(seed) {}
    const std::vector<int>& of(int track, int week) {
        auto key = std::make_pair(track, week);
        auto it = days_.find(key);
        if (it == days_.end()) it = days_.emplace(key, meetingDaysInWeek(seed_, track, week)).first;
        return it->second;
    }

private:
    std::uint64_t seed_;
    std::map<std::pair<int, int>, std::vector<int>> days_;
};

// The days one horse proposes to race on; the rhythm depends on its home track.
void proposeRunDays(std::uint64_t seed, HorseId id, const Horse& h, int firstDay, int lastDay, MeetingDays& meetingDays,
                    Proposals& proposals) {
    Rng r(hashOf(seed, 0x5259ull, id));
    int k = 0, phase = r.below(60), rhythm = r.below(6);
    int from = weekOf(std::max(firstDay, h.debutDay)), to = weekOf(std::min(lastDay, h.retireDay));
    for (int w = from; w <= to; ++w) {
        int home = h.homeOn(mondayOfWeek(w));
        const TrackSpec* trackInfo = trackSpec(home);
        int bi = blockIndex(seed, home, w);
        if (bi < 0) continue;
        const auto& days = meetingDays.of(home, w);
        if (days.empty()) continue;
        double u = unit(hashOf(seed, 0x5755ull, id, w));
        bool run;
        if (trackInfo->southKanto) {
            k = (home == 44 || home == 45) ? 2 : 1;
            run = ((bi + phase) % k == 0 && u > 0.15) || u < 0.08;
        } else {
            bool alternate = home == 35 || home == 36 || home == 47 || home == 48;
            k = alternate ? 2 + rhythm % 2 : 3 + rhythm % 3;
            run = ((bi + phase) % k == 0 && u > 0.1) || u < 0.02;
        }
        if (!run) continue;
        int day = days[hashOf(seed, 0x4459ull, id, w) % days.size()];
        if (day < firstDay || day > lastDay || day < h.debutDay || day > h.retireDay) continue;
        proposals[{day, home}].push_back(id);
    }
}

void drawWeather(TrackDay& td, const CivilDate& ymd, int track, Rng& r) {
    double wu = r.uniform();
    bool snowy = (ymd.month == 12 || ymd.month <= 2) && (track == 30 || track == 35 || track == 36 || track == 46);
    td.weather = snowy && wu < 0.12 ? 5 : wu < 0.55 ? 1 : wu < 0.85 ? 2 : wu < 0.92 ? 4 : 3;
    double gu = r.uniform();
    if (td.weather == 1) td.going = gu < 0.7 ? 1 : gu < 0.95 ? 2 : 3;
    else if (td.weather == 2) td.going = gu < 0.5 ? 1 : gu < 0.85 ? 2 : 3;
    else td.going = gu < 0.2 ? 2 : gu < 0.65 ? 3 : 4;
}

// Age group and rating of the entrants on the race day.
struct EntrantView {
    const HorseTable& horses;
    CivilDate ymd;
    auto ratingOf(HorseId id) const {
        const Horse& h = horses.at(id);
        return h.ability + ageEffect(ymd.year - h.birthYear, ymd.month);
    }
    int groupOf(HorseId id) const { return ageGroup(ymd.year - horses.at(id).birthYear, ymd.month); }
};

// Fields of similar horses: by age group, then rating, cut into `races` chunks, weakest first.
std::vector<std::vector<HorseId>> fieldsByStrength(std::vector<HorseId>& entrants, int races, const EntrantView& view) {
    std::stable_sort(entrants.begin(), entrants.end(), [&](HorseId a, HorseId b) {
        int ga = view.groupOf(a), gb = view.groupOf(b);
        if (ga != gb) return ga < gb;
        return view.ratingOf(a) < view.ratingOf(b);
    });
    std::vector<std::vector<HorseId>> chunks;
    std::size_t pos = 0;
    for (int i = 0; i < races; ++i) {
        std::size_t size = entrants.size() / races + (static_cast<std::size_t>(i) >= races - entrants.size() % races ? 1 : 0);
        chunks.emplace_back(entrants.begin() + static_cast<long>(pos), entrants.begin() + static_cast<long>(pos + size));
        pos += size;
    }
    return chunks;
}

// Night tracks fix the last post, day tracks the first.
int drawFirstPost(const TrackSpec& trackInfo, int races, Rng& r) {
    if (trackInfo.night) {
        int last = 2040 + 5 * r.below(3);
        int lastMin = last / 100 * 60 + last % 100 - (races - 1) * trackInfo.interval;
        return lastMin / 60 * 100 + lastMin % 60;
    }
    int m = trackInfo.firstPost / 100 * 60 + trackInfo.firstPost % 100 + 5 * r.below(4);
    return m / 60 * 100 + m % 60;
}

void drawCourse(RaceCard& rc, const TrackSpec& trackInfo, Rng& dr) {
    bool turf = trackInfo.turfCourse != 0 && dr.uniform() < (trackInfo.central ? 0.55 : 0.25);
    const auto& dists = turf ? trackInfo.turfDistances : trackInfo.distances;
    rc.distance = dists[static_cast<std::size_t>(dr.below(static_cast<int>(dists.size())))];
    rc.course = turf ? trackInfo.turfCourse : trackInfo.course;
    if (trackInfo.code == 44 && rc.distance == 1650) rc.course = 24;
}

// Name, short name, condition text, weight rule and class code of a race.
void nameRace(RaceCard& rc, const TrackSpec& trackInfo, int group, Rng& dr) {
    std::string cls = group == 0 ? "２歳" : group == 1 ? "３歳" : kClassNames[rc.classRank];
    if (trackInfo.central) {
        // Central classes: maidens and the lowest winners' class.
        bool maiden = group < 2 || dr.uniform() < 0.4;
        cls = maiden ? "未勝利" : "１勝クラス";
        rc.classCode = maiden ? "703" : "005";
    }
    std::string condition = group == 0 ? "サラ系２歳" : group == 1 ? "サラ系３歳" : "サラ系３歳以上";
    std::string name, shortName;
    if (rc.graded) {
        rc.edition = 5 + dr.below(60);
        std::string word = kGradedWords[dr.below(7)];
        name = word + (dr.uniform() < 0.5 ? "カップ" : "記念");
        condition += "　オープン";
        rc.weightRule = '2';
    } else if (rc.special) {
        std::string word = kSpecialWords[dr.below(30)];
        name = word + (dr.uniform() < 0.6 ? "特別" : "賞");
        condition += "　" + cls + "以上";
        rc.weightRule = dr.uniform() < 0.3 ? '1' : '2';
    } else if (trackInfo.central) {
        name = (group == 0 ? "２歳" : group == 1 ? "３歳" : "３歳以上") + cls;
        condition += "　" + cls;
        rc.weightRule = group < 2 ? '3' : '4';
    } else {
        name = cls + "（" + kNumerals[dr.below(6)] + "）";
        condition += "　" + cls;
        rc.weightRule = group < 2 ? '3' : '2';
    }
    rc.name = sj(name);
    rc.condition = sj(condition);
    std::string shortSrc = rc.special || rc.graded ? name : trackInfo.central ? cls : cls + "　";
    rc.shortName = std::string(cutToWidth(sj(shortSrc), 6));
}

int firstPrize(const RaceCard& rc, const TrackSpec& trackInfo, int group) {
    int base = static_cast<int>(8000 * (1.0 + 0.35 * rc.classRank) * trackInfo.prizeScale);
    if (group < 2) base = static_cast<int>(9000 * trackInfo.prizeScale);
    if (rc.special) base = base * 13 / 10;
    if (rc.graded) base *= 4;
    if (trackInfo.central) base = rc.classCode == "703" ? 55000 : 80000;
    return base / 10 * 10;
}

// Race `rn` of the day, run by chunk `chunk` of `races` (the higher, the stronger).
RaceCard makeCard(std::uint64_t seed, int day, const TrackSpec& trackInfo, int rn, int races, int chunk,
                  const std::vector<HorseId>& field, int firstPost, const EntrantView& view, int& specialsLeft) {
    RaceCard rc;
    rc.number = rn;
    int pm = firstPost / 100 * 60 + firstPost % 100 + (rn - 1) * trackInfo.interval;
    rc.post = pm / 60 * 100 + pm % 60;
    rc.field = field;
    // The draw: horse numbers in random order.
    Rng dr(hashOf(seed, 0x4452ull, day, trackInfo.code, rn));
    for (std::size_t i = rc.field.size(); i > 1; --i)
        std::swap(rc.field[i - 1], rc.field[static_cast<std::size_t>(dr.below(static_cast<int>(i)))]);
    int group = 2;
    for (HorseId id : rc.field) group = std::min(group, view.groupOf(id));
    rc.category = group == 0 ? 11 : group == 1 ? 12 : 13;
    rc.classRank = std::min(7, chunk * 8 / races);
    bool isMain = chunk == races - 1;
    drawCourse(rc, trackInfo, dr);
    rc.graded = isMain && group == 2 && !trackInfo.central && dr.uniform() < (trackInfo.southKanto ? 0.07 : 0.04);
    rc.special = !rc.graded && group == 2 &&
                 ((isMain && dr.uniform() < (trackInfo.southKanto ? 0.8 : 0.5)) ||
                  (rc.classRank >= 4 && specialsLeft > 0 && dr.uniform() < 0.3));
    if (rc.special && !isMain) --specialsLeft;
    nameRace(rc, trackInfo, group, dr);
    rc.prize1 = firstPrize(rc, trackInfo, group);
    return rc;
}

// The day's weather and races at one track from the horses that proposed it.
TrackDay buildTrackDay(std::uint64_t seed, int day, const TrackSpec& trackInfo, std::vector<HorseId> entrants,
                       const HorseTable& horses) {
    Rng r(hashOf(seed, 0x5444ull, day, trackInfo.code));
    TrackDay td;
    td.day = day;
    td.track = trackInfo.code;
    meetingNumberOf(seed, trackInfo.code, day, td.meeting, td.dayOfMeeting);
    CivilDate ymd = civilDate(day);
    drawWeather(td, ymd, trackInfo.code, r);

    int races = std::clamp(static_cast<int>((entrants.size() + trackInfo.fieldTarget / 2) / trackInfo.fieldTarget), 10, 12);
    // Too many entrants: the ones drawn last stand down.
    std::sort(entrants.begin(), entrants.end(), [&](HorseId a, HorseId b) {
        return hashOf(seed, 0x5052ull, day, a) < hashOf(seed, 0x5052ull, day, b);
    });
    if (static_cast<int>(entrants.size()) > races * 16) entrants.resize(static_cast<std::size_t>(races * 16));
    if (static_cast<int>(entrants.size()) < races * 6) races = static_cast<int>(entrants.size()) / 6;
    const EntrantView view{horses, ymd};
    std::vector<std::vector<HorseId>> chunks = fieldsByStrength(entrants, races, view);
    // The strongest field runs as the main race (second to last).
    std::vector<int> order(static_cast<std::size_t>(races));
    for (int i = 0; i < races; ++i) order[static_cast<std::size_t>(i)] = i;
    if (races >= 3) std::swap(order[static_cast<std::size_t>(races - 1)], order[static_cast<std::size_t>(races - 2)]);

    int firstPost = drawFirstPost(trackInfo, races, r);
    int specialsLeft = 1 + r.below(2);
    for (int rn = 1; rn <= races; ++rn) {
        int chunk = order[static_cast<std::size_t>(rn - 1)];
        td.races.push_back(makeCard(seed, day, trackInfo, rn, races, chunk, chunks[static_cast<std::size_t>(chunk)],
                                    firstPost, view, specialsLeft));
    }
    return td;
}

}  // namespace

void World::buildCards() {
    const auto& specs = trackSpecs();
    int firstYear = civilDate(firstDay_).year, lastYear = civilDate(lastDay_).year;
    MeetingDays meetingDays(seed_);

    // Every horse proposes the days it races on.
    Proposals proposals;
    HorseTable horses;
    for (std::size_t pool = 0; pool < specs.size(); ++pool) {
        for (int by = firstYear - 10; by <= lastYear - 2; ++by) {
            for (int serial = 0; serial < specs[pool].poolPerYear; ++serial) {
                HorseId id = makeId(static_cast<int>(pool), by, serial);
                Horse h = horse(id);
                if (h.retireDay < firstDay_ || h.debutDay > lastDay_) continue;
                proposeRunDays(seed_, id, h, firstDay_, lastDay_, meetingDays, proposals);
                horses.emplace(id, std::move(h));
            }
        }
    }

    for (int day = firstDay_; day <= lastDay_; ++day) {
        for (const auto& trackInfo : specs) {
            const auto& days = meetingDays.of(trackInfo.code, weekOf(day));
            if (std::find(days.begin(), days.end(), day) == days.end()) continue;
            auto pit = proposals.find({day, trackInfo.code});
            if (pit == proposals.end() || pit->second.size() < 36) continue;
            TrackDay td = buildTrackDay(seed_, day, trackInfo, pit->second, horses);
            trackDayIndex_[static_cast<std::uint64_t>(day) * 100 + static_cast<std::uint64_t>(trackInfo.code)] =
                static_cast<int>(trackDays_.size());
            int tdIndex = static_cast<int>(trackDays_.size());
            for (std::size_t i = 0; i < td.races.size(); ++i)
                for (HorseId id : td.races[i].field) runs_[id].push_back({day, tdIndex, static_cast<int>(i)});
            trackDays_.push_back(std::move(td));
        }
    }
}

}  // namespace vex::sim

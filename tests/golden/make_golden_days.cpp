// Writes the golden days of tests/data/golden/<day>/home: small stores made by hand, whose every
// odds value follows a rule simple enough to check the expected outputs by eye:
//   pairs (a, b):       quinella a·10+b, exacta a·10+b+0.5, wide (a·10+b)/10, popularity a+b
//   triples (a, b, c):  trio and trifecta a·100+b·10+c, popularity a+b+c
//   frames (a, b):      bracket quinella and exacta a·10+b, popularity a+b
// Combination indexes are counted here in the service's order (lexicographic), not taken from the
// code under test. Usage: make_golden_days <tests/data/golden>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "compi/compi_file.h"
#include "support/records.h"
#include "vocabulary/codes.h"

using namespace vex;
using vex::test::Record;
using vex::test::StoreDay;
using vex::test::raceKey;

namespace {

// Calls visit(k, a, b, c) for every combination of a kind over 18 horses (8 frames) in order.
void pairsUnordered(int max, bool same, const std::function<void(int, int, int)>& visit) {
    int k = 0;
    for (int a = 1; a <= max; ++a)
        for (int b = same ? a : a + 1; b <= max; ++b) visit(++k, a, b);
}
void pairsOrdered(int max, bool same, const std::function<void(int, int, int)>& visit) {
    int k = 0;
    for (int a = 1; a <= max; ++a)
        for (int b = 1; b <= max; ++b)
            if (same || a != b) visit(++k, a, b);
}
void triples(bool ordered, const std::function<void(int, int, int, int)>& visit) {
    int k = 0;
    for (int a = 1; a <= 18; ++a)
        for (int b = ordered ? 1 : a + 1; b <= 18; ++b)
            for (int c = ordered ? 1 : b + 1; c <= 18; ++c)
                if (!ordered || (a != b && b != c && a != c)) visit(++k, a, b, c);
}

struct Horse {
    int number;
    const char* name;
    int win;          // tenths; Record::kCancelled for a scratched runner
    int placeLower;   // tenths
    int placeUpper;
    int finish = 0;
    bool scratched = false;
};

// Odds of every kind for the horses 1..runners (frames 1..frames); combinations with a scratched
// horse are cancelled.
void addOdds(StoreDay& day, const std::string& key, const std::vector<Horse>& horses, int frames, bool allKinds) {
    const int n = static_cast<int>(horses.size());
    auto out = [&](int h) { return h > n || horses[static_cast<std::size_t>(h - 1)].scratched; };
    Record o1 = Record::of("O1", key);
    for (const Horse& h : horses) {
        o1.odds(Odds::Win, h.number, h.win);
        o1.odds(Odds::PlaceLower, h.number, h.scratched ? Record::kCancelled : h.placeLower);
        o1.odds(Odds::PlaceUpper, h.number, h.scratched ? Record::kCancelled : h.placeUpper);
    }
    pairsUnordered(8, true, [&](int k, int a, int b) {
        if (b <= frames) o1.odds(Odds::BracketQuinella, k, (a * 10 + b) * 10, a + b);
    });
    day.add(o1);
    Record o2 = Record::of("O2", key);
    pairsUnordered(18, false, [&](int k, int a, int b) {
        if (b > n) return;
        o2.odds(Odds::Quinella, k, out(a) || out(b) ? Record::kCancelled : (a * 10 + b) * 10, a + b);
    });
    day.add(o2);
    if (!allKinds) return;
    Record o3 = Record::of("O3", key), o4 = Record::of("O4", key), o5 = Record::of("O5", key),
           o6 = Record::of("O6", key), oa = Record::of("OA", key);
    pairsUnordered(18, false, [&](int k, int a, int b) {
        if (b > n) return;
        o3.odds(Odds::Wide, k, a * 10 + b, a + b).odds(Odds::WideUpper, k, a * 10 + b + 5, a + b);
    });
    pairsOrdered(18, false, [&](int k, int a, int b) {
        if (a <= n && b <= n) o4.odds(Odds::Exacta, k, (a * 10 + b) * 10 + 5, a + b);
    });
    triples(false, [&](int k, int a, int b, int c) {
        if (c <= n) o5.odds(Odds::Trio, k, (a * 100 + b * 10 + c) * 10, a + b + c);
    });
    triples(true, [&](int k, int a, int b, int c) {
        if (a <= n && b <= n && c <= n) o6.odds(Odds::Trifecta, k, (a * 100 + b * 10 + c) * 10, a + b + c);
    });
    pairsOrdered(8, true, [&](int k, int a, int b) {
        if (a <= frames && b <= frames) oa.odds(Odds::BracketExacta, k, (a * 10 + b) * 10, a + b);
    });
    day.add(o3).add(o4).add(o5).add(o6).add(oa);
}

// The race record and its runners (frames as the service numbers them for the field size).
void addRace(StoreDay& day, const std::string& key, const char* post, const std::vector<Horse>& horses,
             const std::vector<int>& frames, const char* regPrefix) {
    day.add(Record::ra(key).runners(static_cast<int>(horses.size())).post(post).text(RA::RaceName, "ゴールデン賞"));
    for (const Horse& h : horses) {
        Record se = Record::se(key);
        se.frame(frames[static_cast<std::size_t>(h.number - 1)]).horse(h.number).name(h.name).finish(h.finish);
        se.reg(std::string(regPrefix) + vex::test::digits(h.number, 2)).num(SE::BodyWeight, 470);
        if (h.scratched) se.set(SE::Abnormality, "1");
        day.add(se);
    }
}

std::vector<int> framesOf(int n) {
    std::vector<int> f;
    for (int h = 1; h <= n; ++h) f.push_back(h <= 8 ? h : 8);
    return f;
}

// Two tracks: 大井 1R with a scratched runner and a dead heat for first, 大井 2R cancelled (every
// odds "----", no payout), 川崎 11R with a Compi file, past runs and a zone pattern.
void twoTrackDay(const std::filesystem::path& home) {
    StoreDay day("20260315");
    const std::string oi1 = raceKey("20260315", "44", 1), oi2 = raceKey("20260315", "44", 2),
                      ka11 = raceKey("20260315", "45", 11);
    std::vector<Horse> oi1Horses = {{1, "アオバ", 45, 14, 20, 4},  {2, "イナホ", 23, 11, 13, 1},
                                    {3, "ウミカゼ", 120, 30, 45, 5}, {4, "エニシ", 23, 12, 15, 1},
                                    {5, "オボロ", 78, 19, 26, 3},   {6, "カスミ", Record::kCancelled, 0, 0, 0, true}};
    addRace(day, oi1, "1015", oi1Horses, framesOf(6), "20220001");
    addOdds(day, oi1, oi1Horses, 6, false);
    day.add(Record::hr(oi1)
                .num(HR::Registered, 6).num(HR::Starters, 5)
                .payout(HR::Win, 1, "02", 230, 1).payout(HR::Win, 2, "04", 230, 2)
                .payout(HR::Place, 1, "02", 110, 1).payout(HR::Place, 2, "04", 120, 2)
                .payout(HR::Place, 3, "05", 190, 4).payout(HR::Quinella, 1, "0204", 310, 6));

    std::vector<Horse> oi2Horses = {{1, "キキョウ", Record::kCancelled, Record::kCancelled, Record::kCancelled},
                                    {2, "クチナシ", Record::kCancelled, Record::kCancelled, Record::kCancelled},
                                    {3, "ケヤキ", Record::kCancelled, Record::kCancelled, Record::kCancelled},
                                    {4, "コブシ", Record::kCancelled, Record::kCancelled, Record::kCancelled},
                                    {5, "サツキ", Record::kCancelled, Record::kCancelled, Record::kCancelled}};
    addRace(day, oi2, "1045", oi2Horses, framesOf(5), "20220002");
    addOdds(day, oi2, oi2Horses, 5, false);

    std::vector<Horse> ka11Horses = {{1, "シグレ", 31, 11, 21, 3},  {2, "スバル", 56, 12, 22, 1},
                                     {3, "セキレイ", 250, 13, 23, 5}, {4, "ソヨカゼ", Record::kCancelled, 0, 0, 0, true},
                                     {5, "タチバナ", 19, 15, 25, 2}, {6, "チドリ", 999, 16, 26, 7},
                                     {7, "ツバキ", 84, 17, 27, 4},   {8, "テマリ", 150, 18, 28, 6}};
    addRace(day, ka11, "1620", ka11Horses, framesOf(8), "20210003");
    addOdds(day, ka11, ka11Horses, 8, false);
    day.add(Record::hr(ka11).payout(HR::Win, 1, "02", 560, 3).payout(HR::Place, 1, "02", 120, 2));

    // Compi: slot m names horse and value; the scratched horse last with 11 (消). Top 89 in a race
    // numbered 10 or more: pattern C (compi ranks 2 and 3 may match).
    const std::string line = vex::test::compiLine(
        "20260315", "45", 11, {{5, 89}, {2, 80}, {7, 74}, {1, 66}, {3, 58}, {8, 52}, {6, 47}, {4, 11}}, 5);
    std::vector<std::string> compiLines(10, std::string(kCompiLineWidth, ' '));
    compiLines.push_back(line);
    day.compi("45", compiLines);

    // Past runs: horse 2 (compi rank 2) ran last at 480 kg from the front (third of 12 = 4, fourth
    // corner 3: 先), so it matches; its older run at 400 kg and a run after today must not count.
    // Horse 7 (rank 3) ran from the front too but at 410 kg: no match.
    auto past = [&](const char* date, int horse, int weight, int corner4, int finish) {
        return Record::se(raceKey(date, "45", 9)).horse(horse % 12 + 1).reg("202100030" + std::to_string(horse))
            .num(SE::BodyWeight, weight).corners(5, 3, 3, corner4).finish(finish).str();
    };
    day.pastRun(past("20260201", 2, 400, 3, 2)).pastRun(past("20260301", 2, 480, 3, 2))
        .pastRun(past("20260401", 2, 500, 9, 9));
    day.pastRun(past("20260301", 7, 410, 2, 1));
    for (const char* date : {"20260201", "20260301", "20260401"})
        day.pastRace(Record::ra(raceKey(date, "45", 9)).runners(12));
    day.write(home);
}

// One race of 船橋 with odds of every kind and no payout file.
void dayWithoutPayouts(const std::filesystem::path& home) {
    StoreDay day("20260316");
    const std::string key = raceKey("20260316", "43", 5);
    std::vector<Horse> horses = {{1, "ナギサ", 52, 15, 21}, {2, "ニシキ", 34, 12, 16}, {3, "ヌマタ", 88, 22, 30},
                                 {4, "ネムノキ", 27, 11, 14}, {5, "ノギク", 143, 35, 52}, {6, "ハヤテ", 61, 17, 24},
                                 {7, "ヒバリ", 205, 41, 60}};
    addRace(day, key, "1300", horses, framesOf(7), "20200005");
    addOdds(day, key, horses, 7, true);
    day.write(home);
}

// 帯広 (draft horses), 10R of ten runners: frames 7 and 8 hold two each.
void draftHorseDay(const std::filesystem::path& home) {
    StoreDay day("20260317");
    const std::string key = raceKey("20260317", "83", 10);
    std::vector<Horse> horses = {{1, "マサカリ", 25, 11, 15, 1},  {2, "ミナモト", 40, 12, 18, 3},
                                 {3, "ムサシ", 63, 13, 20, 2},    {4, "メイゲツ", 102, 14, 25, 7},
                                 {5, "モモタロウ", 33, 15, 19, 4}, {6, "ヤマト", 550, 16, 40, 10},
                                 {7, "ユキグニ", 77, 17, 22, 5},  {8, "ヨシツネ", 199, 18, 33, 6},
                                 {9, "ライデン", 310, 19, 36, 8}, {10, "リキオウ", 1205, 20, 70, 9}};
    addRace(day, key, "1840", horses, {1, 2, 3, 4, 5, 6, 7, 7, 8, 8}, "20190010");
    addOdds(day, key, horses, 8, true);
    day.add(Record::hr(key).payout(HR::Win, 1, "01", 250, 1).payout(HR::BracketExacta, 1, "17", 1230, 4));
    day.write(home);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_golden_days <tests/data/golden>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    twoTrackDay(root / "two-tracks" / "home");
    dayWithoutPayouts(root / "no-payouts" / "home");
    draftHorseDay(root / "draft-horses" / "home");
    return 0;
}

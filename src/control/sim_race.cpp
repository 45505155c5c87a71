#include "control/sim_race.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "store/record_layout.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::sim {
namespace {

// Data kinds (position 3): the stage of the race a record reports, on a scale of its own per record
// kind. Race and runner records go from the card to the final results, a payout record is only
// sent once the payouts are confirmed, and odds are interim until the post and final from then on.
constexpr char kCardKind = '2', kResultKind = '7';
constexpr char kPayoutKind = '2';
constexpr char kInterimOddsKind = '1', kFinalOddsKind = '5';

// What each pool pays back of the money staked in it.
constexpr double kReturnWin = 0.80, kReturnPlace = 0.80, kReturnBracketQuinella = 0.775, kReturnQuinella = 0.775,
                 kReturnWide = 0.775, kReturnBracketExacta = 0.75, kReturnExacta = 0.75, kReturnTrio = 0.75,
                 kReturnTrifecta = 0.725;

// The combinations of every kind and the trifecta index of every triple, looked up once: the odds
// loops run through them for every race.
struct ComboTables {
    std::array<std::vector<Combination>, 10> at;
    std::vector<int> trifecta;
    ComboTables() : trifecta(19 * 19 * 19, 0) {
        for (int kind = 1; kind <= 9; ++kind)
            for (int k = 1; k <= CombinationCount(static_cast<BetKind>(kind)); ++k)
                at[static_cast<std::size_t>(kind)].push_back(CombinationAt(static_cast<BetKind>(kind), k));
        for (int a = 1; a <= 18; ++a)
            for (int b = 1; b <= 18; ++b)
                for (int c = 1; c <= 18; ++c)
                    trifecta[static_cast<std::size_t>((a * 19 + b) * 19 + c)] = CombinationIndex(BetKind::Trifecta, a, b, c);
    }
};
const ComboTables& tables() {
    static const ComboTables t;
    return t;
}
const Combination& combo(BetKind kind, int k) {
    return tables().at[static_cast<std::size_t>(kind)][static_cast<std::size_t>(k - 1)];
}
int trifectaIndex(int a, int b, int c) { return tables().trifecta[static_cast<std::size_t>((a * 19 + b) * 19 + c)]; }

int maxTenths(int width) {
    int m = 1;
    for (int i = 0; i < width; ++i) m *= 10;
    return m - 1;
}

int oddsTenths(double ret, double share, int width) {
    if (share <= 0) return maxTenths(width);
    double v = std::floor(ret / share * 10.0 + 1e-9);
    if (v < 10) v = 10;
    if (v > maxTenths(width)) v = maxTenths(width);
    return static_cast<int>(v);
}

// Odds from a payout formula when several combinations share a pool's winnings: the pool after
// takeout minus the winning stakes is split evenly between the winning combinations.
int splitPayout(double ret, double sumWinning, int winners, double share) {
    double v = 1.0 + (ret - sumWinning) / (winners * share);
    int yen = static_cast<int>(std::floor(v * 10.0 + 1e-9)) * 10;
    return std::max(100, yen);
}

// Popularity: 1 for the lowest odds; ties go to the lower tie-break value, then the lower index.
void rank(OddsTable& t, const std::vector<int>* tieBreak = nullptr) {
    std::vector<std::uint64_t> keys;
    keys.reserve(t.odds.size());
    for (std::size_t k = 0; k < t.odds.size(); ++k) {
        if (t.odds[k] <= 0) continue;
        std::uint64_t tie = tieBreak ? static_cast<std::uint64_t>(std::max(0, (*tieBreak)[k])) : 0;
        keys.push_back((static_cast<std::uint64_t>(t.odds[k]) << 40) | (tie << 16) | k);
    }
    std::sort(keys.begin(), keys.end());
    t.popularity.assign(t.odds.size(), 0);
    for (std::size_t r = 0; r < keys.size(); ++r) t.popularity[keys[r] & 0xFFFF] = static_cast<int>(r + 1);
}

// Writes `v` zero-padded into the field, without building strings.
void putNum(std::string& rec, Field f, long long v) {
    if (f.pos - 1 + f.len > static_cast<int>(rec.size())) return;
    char* p = rec.data() + f.pos - 1;
    if (v < 0) v = -v;
    for (int i = f.len - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
}
void putChars(std::string& rec, Field f, char c) {
    if (f.pos - 1 + f.len > static_cast<int>(rec.size())) return;
    std::fill(rec.begin() + f.pos - 1, rec.begin() + f.pos - 1 + f.len, c);
}
void putOdds(std::string& rec, Field f, int v) {
    if (v == kCancelled) putChars(rec, f, '-');
    else if (v == kNotSold) putChars(rec, f, '*');
    else if (v <= 0) putChars(rec, f, ' ');
    else putNum(rec, f, v);
}

std::string num(long long v, int width) { return digits(v, width); }

std::string padFull(const std::string& cp932, int width) {
    std::string s(cutToWidth(cp932, static_cast<std::size_t>(width)));
    while (static_cast<int>(s.size()) + 2 <= width) s += "\x81\x40";
    while (static_cast<int>(s.size()) < width) s += ' ';
    return s;
}

std::string oddsText(int v, int width) {
    if (v == kCancelled) return std::string(static_cast<std::size_t>(width), '-');
    if (v == kNotSold) return std::string(static_cast<std::size_t>(width), '*');
    if (v <= 0) return std::string(static_cast<std::size_t>(width), ' ');
    return num(v, width);
}

std::string marginCode(int gap, Rng& r) {
    static const char* zero[] = {"H  ", "A  ", "K  "};
    switch (gap) {
        case 0: return zero[r.below(3)];
        case 1: return r.uniform() < 0.5 ? "12 " : "34 ";
        case 2: return r.uniform() < 0.6 ? "1  " : "114";
        case 3: return r.uniform() < 0.5 ? "112" : "134";
        case 4: return "2  ";
        case 5: return "212";
        case 6: return "3  ";
        case 7: return "312";
        default: break;
    }
    if (gap <= 19) return std::string(1, static_cast<char>('0' + std::min(9, gap / 2))) + "  ";
    return gap <= 25 ? "Z  " : "T  ";
}

std::string signedTenths(int v) { return std::string(1, v < 0 ? '-' : '+') + num(std::abs(v), 3); }

std::string timeText(int tenths) {
    if (tenths <= 0) return "0000";
    int minutes = tenths / 600, rest = tenths % 600;
    return num(minutes, 1) + num(rest / 10, 2) + num(rest % 10, 1);
}

}  // namespace

int OddsTable::popularityOf(int k) const {
    if (k < 1 || k > static_cast<int>(odds.size())) return 0;
    if (!popularity.empty()) return popularity[static_cast<std::size_t>(k - 1)];
    int v = odds[static_cast<std::size_t>(k - 1)];
    if (v <= 0) return 0;
    int rank = 1;
    for (int j = 0; j < static_cast<int>(odds.size()); ++j) {
        int w = odds[static_cast<std::size_t>(j)];
        if (w > 0 && (w < v || (w == v && j < k - 1))) ++rank;
    }
    return rank;
}

namespace {

// The public's picks: each place in proportion to the win shares of the horses left.
struct PublicPicks {
    const std::vector<double>& shares;
    int n;
    bool running(int h) const { return h >= 1 && h <= n && shares[static_cast<std::size_t>(h - 1)] > 0; }
    double p(int h) const { return shares[static_cast<std::size_t>(h - 1)]; }
    // Ordered finishing probabilities.
    double first2(int a, int b) const { return p(a) * p(b) / std::max(1e-12, 1.0 - p(a)); }
    double first3(int a, int b, int c) const { return first2(a, b) * p(c) / std::max(1e-12, 1.0 - p(a) - p(b)); }
};

struct FinishChances {
    std::vector<double> top2, top3;          // of a horse finishing in the first two / three
    std::vector<std::vector<double>> pair3;  // of both horses of a pair (lower first) in the first three
    std::vector<double> tri;                 // of each trifecta, by index - 1
};

FinishChances finishChances(const PublicPicks& pk) {
    const int n = pk.n;
    FinishChances f;
    f.top2.assign(static_cast<std::size_t>(n + 1), 0.0);
    f.top3.assign(static_cast<std::size_t>(n + 1), 0.0);
    f.pair3.assign(static_cast<std::size_t>(n + 1), std::vector<double>(static_cast<std::size_t>(n + 1), 0.0));
    f.tri.assign(static_cast<std::size_t>(CombinationCount(BetKind::Trifecta)), 0.0);
    for (int a = 1; a <= n; ++a) {
        if (!pk.running(a)) continue;
        for (int b = 1; b <= n; ++b) {
            if (b == a || !pk.running(b)) continue;
            double e = pk.first2(a, b);
            f.top2[static_cast<std::size_t>(a)] += e;
            f.top2[static_cast<std::size_t>(b)] += e;
            for (int c = 1; c <= n; ++c) {
                if (c == a || c == b || !pk.running(c)) continue;
                double t = pk.first3(a, b, c);
                f.tri[static_cast<std::size_t>(trifectaIndex(a, b, c) - 1)] = t;
                f.top3[static_cast<std::size_t>(a)] += t;
                f.top3[static_cast<std::size_t>(b)] += t;
                f.top3[static_cast<std::size_t>(c)] += t;
                f.pair3[static_cast<std::size_t>(std::min(a, b))][static_cast<std::size_t>(std::max(a, b))] += t;
                f.pair3[static_cast<std::size_t>(std::min(a, c))][static_cast<std::size_t>(std::max(a, c))] += t;
                f.pair3[static_cast<std::size_t>(std::min(b, c))][static_cast<std::size_t>(std::max(b, c))] += t;
            }
        }
    }
    return f;
}

OddsTable tableFor(BetKind kind) {
    OddsTable t;
    t.odds.assign(static_cast<std::size_t>(CombinationCount(kind)), kBlank);
    return t;
}

// Place odds run from the most to the least the other placed horses may take of the pool.
void setPlaceOdds(OddsSet& o, const PublicPicks& pk, const std::vector<double>& q, int h) {
    std::size_t k = static_cast<std::size_t>(h - 1);
    std::vector<double> others;
    for (int j = 1; j <= pk.n; ++j)
        if (j != h && pk.running(j)) others.push_back(q[static_cast<std::size_t>(j)]);
    std::sort(others.begin(), others.end(), std::greater<>());
    double big = 0, small = 0;
    for (int m = 0; m < o.places - 1; ++m) {
        big += others[static_cast<std::size_t>(m)];
        small += others[others.size() - 1 - static_cast<std::size_t>(m)];
    }
    double qi = q[static_cast<std::size_t>(h)];
    o.place.odds[k] = std::max(10, splitPayout(kReturnPlace, qi + big, o.places, qi) / 10);
    o.place.upper[k] = std::min(maxTenths(4), std::max(o.place.odds[k], splitPayout(kReturnPlace, qi + small, o.places, qi) / 10));
}

void setWinPlaceOdds(OddsSet& o, const PublicPicks& pk, const FinishChances& f) {
    const int n = pk.n;
    o.win = tableFor(BetKind::Win);
    o.place = tableFor(BetKind::Place);
    o.place.upper.assign(o.place.odds.size(), kBlank);
    std::vector<double> q(static_cast<std::size_t>(n + 1), 0.0);
    for (int h = 1; h <= n; ++h)
        if (pk.running(h)) q[static_cast<std::size_t>(h)] = (o.places == 3 ? f.top3 : f.top2)[static_cast<std::size_t>(h)] / std::max(1, o.places);
    for (int h = 1; h <= n; ++h) {
        std::size_t k = static_cast<std::size_t>(h - 1);
        if (!pk.running(h)) {
            o.win.odds[k] = o.place.odds[k] = o.place.upper[k] = kBlank;
            continue;
        }
        o.win.odds[k] = oddsTenths(kReturnWin, pk.p(h), 4);
        if (o.places == 0) {
            o.place.odds[k] = o.place.upper[k] = kNotSold;
            continue;
        }
        setPlaceOdds(o, pk, q, h);
    }
    o.place.sold = o.places > 0;
    rank(o.place);
    rank(o.win, &o.place.odds);
}

struct FrameCounts {
    int maxFrame = 0;
    std::vector<int> registered = std::vector<int>(9, 0), running = std::vector<int>(9, 0);
    bool sold = false;  // bracket kinds are sold for fields of nine or more
};

FrameCounts countFrames(const PublicPicks& pk, const std::vector<int>& frames) {
    FrameCounts fc;
    for (int h = 1; h <= pk.n; ++h) {
        int f = frames[static_cast<std::size_t>(h - 1)];
        fc.maxFrame = std::max(fc.maxFrame, f);
        ++fc.registered[static_cast<std::size_t>(f)];
        if (pk.running(h)) ++fc.running[static_cast<std::size_t>(f)];
    }
    fc.sold = pk.n >= 9;
    return fc;
}

// Wide: the pool is split between the three pairs of the first three; the range runs over the
// possible third horses.
void setWideOdds(OddsTable& wide, std::size_t i, const Combination& c, const PublicPicks& pk, const FinishChances& f) {
    double w = f.pair3[static_cast<std::size_t>(c.a)][static_cast<std::size_t>(c.b)] / 3.0;
    double lo = 1e9, hi = -1;
    for (int x = 1; x <= pk.n; ++x) {
        if (x == c.a || x == c.b || !pk.running(x)) continue;
        double v = (f.pair3[static_cast<std::size_t>(std::min(c.a, x))][static_cast<std::size_t>(std::max(c.a, x))] +
                    f.pair3[static_cast<std::size_t>(std::min(c.b, x))][static_cast<std::size_t>(std::max(c.b, x))]) / 3.0;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    if (hi < 0) {
        wide.odds[i] = wide.upper[i] = kNotSold;
    } else {
        wide.odds[i] = std::min(maxTenths(5), splitPayout(kReturnWide, w + hi, 3, w) / 10);
        wide.upper[i] = std::min(maxTenths(5), std::max(wide.odds[i], splitPayout(kReturnWide, w + lo, 3, w) / 10));
    }
}

// Quinella and wide odds; the pairs' chances add up to the bracket chances `bq` and `be`.
void setPairOdds(OddsSet& o, const PublicPicks& pk, const FinishChances& f, const std::vector<int>& frames,
                 std::vector<double>& bq, std::vector<double>& be) {
    for (int k = 1; k <= CombinationCount(BetKind::Quinella); ++k) {
        const Combination& c = combo(BetKind::Quinella, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (c.b > pk.n) continue;
        if (!pk.running(c.a) || !pk.running(c.b)) {
            o.quinella.odds[i] = o.wide.odds[i] = o.wide.upper[i] = kBlank;
            continue;
        }
        double sq = pk.first2(c.a, c.b) + pk.first2(c.b, c.a);
        o.quinella.odds[i] = oddsTenths(kReturnQuinella, sq, 6);
        int fa = frames[static_cast<std::size_t>(c.a - 1)], fb = frames[static_cast<std::size_t>(c.b - 1)];
        bq[static_cast<std::size_t>(CombinationIndex(BetKind::BracketQuinella, fa, fb) - 1)] += sq;
        be[static_cast<std::size_t>(CombinationIndex(BetKind::BracketExacta, fa, fb) - 1)] += pk.first2(c.a, c.b);
        be[static_cast<std::size_t>(CombinationIndex(BetKind::BracketExacta, fb, fa) - 1)] += pk.first2(c.b, c.a);
        setWideOdds(o.wide, i, c, pk, f);
    }
}

void setOrderOdds(OddsSet& o, const PublicPicks& pk, const FinishChances& f) {
    const int n = pk.n;
    for (int k = 1; k <= CombinationCount(BetKind::Exacta); ++k) {
        const Combination& c = combo(BetKind::Exacta, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (std::max(c.a, c.b) > n) continue;
        o.exacta.odds[i] = pk.running(c.a) && pk.running(c.b) ? oddsTenths(kReturnExacta, pk.first2(c.a, c.b), 6) : kBlank;
    }
    for (int k = 1; k <= CombinationCount(BetKind::Trio); ++k) {
        const Combination& c = combo(BetKind::Trio, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (c.c > n) continue;
        if (!pk.running(c.a) || !pk.running(c.b) || !pk.running(c.c)) {
            o.trio.odds[i] = kBlank;
            continue;
        }
        double s = 0;
        int v[3] = {c.a, c.b, c.c};
        std::sort(v, v + 3);
        do s += f.tri[static_cast<std::size_t>(trifectaIndex(v[0], v[1], v[2]) - 1)];
        while (std::next_permutation(v, v + 3));
        o.trio.odds[i] = oddsTenths(kReturnTrio, s, 6);
    }
    for (int k = 1; k <= CombinationCount(BetKind::Trifecta); ++k) {
        const Combination& c = combo(BetKind::Trifecta, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (std::max({c.a, c.b, c.c}) > n) continue;
        o.trifecta.odds[i] = pk.running(c.a) && pk.running(c.b) && pk.running(c.c) ? oddsTenths(kReturnTrifecta, f.tri[i], 7) : kBlank;
    }
}

// Odds of one bracket combination: not sold for small fields or a pair of a one-horse frame.
int bracketOdds(const Combination& c, const FrameCounts& fc, double ret, double share, int width) {
    if (!fc.sold || (c.a == c.b && fc.registered[static_cast<std::size_t>(c.a)] < 2)) return kNotSold;
    if (fc.running[static_cast<std::size_t>(c.a)] == 0 || fc.running[static_cast<std::size_t>(c.b)] == 0 ||
        (c.a == c.b && fc.running[static_cast<std::size_t>(c.a)] < 2))
        return kCancelled;
    return oddsTenths(ret, share, width);
}

void setBracketOdds(OddsSet& o, const FrameCounts& fc, const std::vector<double>& bq, const std::vector<double>& be) {
    for (int k = 1; k <= 36; ++k) {
        const Combination& c = combo(BetKind::BracketQuinella, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (c.b > fc.maxFrame) continue;
        o.bracketQuinella.odds[i] = bracketOdds(c, fc, kReturnBracketQuinella, bq[i], 5);
    }
    for (int k = 1; k <= 64; ++k) {
        const Combination& c = combo(BetKind::BracketExacta, k);
        std::size_t i = static_cast<std::size_t>(k - 1);
        if (std::max(c.a, c.b) > fc.maxFrame) continue;
        // A frame of one horse cannot come first and second: the pair does not exist and stays blank.
        if (c.a == c.b && fc.registered[static_cast<std::size_t>(c.a)] < 2) continue;
        o.bracketExacta.odds[i] = bracketOdds(c, fc, kReturnBracketExacta, be[i], 6);
    }
    o.bracketQuinella.sold = o.bracketExacta.sold = fc.sold;
}

// Vote totals: each pool in a fixed ratio to the win pool.
void setTotals(OddsSet& o, double poolScale, bool bracketSold) {
    auto total = [&](double ratio) { return static_cast<long long>(poolScale * ratio); };
    o.win.total = total(1.0);
    o.place.total = o.places ? total(0.7) : 0;
    o.bracketQuinella.total = bracketSold ? total(0.3) : 0;
    o.quinella.total = total(1.6);
    o.wide.total = total(0.9);
    o.exacta.total = total(1.5);
    o.trio.total = total(2.2);
    o.trifecta.total = total(6.0);
    o.bracketExacta.total = bracketSold ? total(0.4) : 0;
}

}  // namespace

OddsSet computeOdds(const std::vector<double>& shares, const std::vector<int>& frames, double poolScale, bool rankAll) {
    const PublicPicks pk{shares, static_cast<int>(frames.size())};
    OddsSet o;
    int starters = 0;
    for (double s : shares)
        if (s > 0) ++starters;
    o.places = starters >= 8 ? 3 : starters >= 5 ? 2 : 0;

    const FinishChances f = finishChances(pk);
    setWinPlaceOdds(o, pk, f);
    const FrameCounts fc = countFrames(pk, frames);

    o.quinella = tableFor(BetKind::Quinella);
    o.wide = tableFor(BetKind::QuinellaPlace);
    o.wide.upper.assign(o.wide.odds.size(), kBlank);
    o.exacta = tableFor(BetKind::Exacta);
    o.trio = tableFor(BetKind::Trio);
    o.trifecta = tableFor(BetKind::Trifecta);
    o.bracketQuinella = tableFor(BetKind::BracketQuinella);
    o.bracketExacta = tableFor(BetKind::BracketExacta);
    std::vector<double> bq(36, 0.0), be(64, 0.0);
    setPairOdds(o, pk, f, frames, bq, be);
    setOrderOdds(o, pk, f);
    setBracketOdds(o, fc, bq, be);
    if (rankAll)
        for (OddsTable* t : {&o.quinella, &o.wide, &o.exacta, &o.trio, &o.trifecta, &o.bracketQuinella, &o.bracketExacta})
            rank(*t);
    setTotals(o, poolScale, fc.sold);
    return o;
}

SimRace::SimRace(const World& world, int trackDay, int raceIndex)
    : world_(&world), td_(&world.trackDays()[static_cast<std::size_t>(trackDay)]),
      card_(&td_->races[static_cast<std::size_t>(raceIndex)]) {
    key_ = hashOf(world.seed(), 0x5243ull, td_->day, td_->track, card_->number);
    run();
}

std::string SimRace::raceKey() const {
    return ymdText(td_->day) + num(td_->track, 2) + num(td_->meeting, 2) + num(td_->dayOfMeeting, 2) +
           num(card_->number, 2);
}

Minute SimRace::cardTime() const { return static_cast<Minute>(td_->day - 2) * 1440 + 12 * 60; }
Minute SimRace::scratchTime() const { return static_cast<Minute>(td_->day) * 1440 + 8 * 60 + 30; }
Minute SimRace::saleOpen() const { return static_cast<Minute>(td_->day - 1) * 1440 + 17 * 60; }
Minute SimRace::postTime() const {
    return static_cast<Minute>(td_->day) * 1440 + card_->post / 100 * 60 + card_->post % 100;
}
Minute SimRace::resultTime() const { return postTime() + 4; }

namespace {

// The race model. A runner's true strength on the day is its rating (ability and age) plus its form,
// less the weight it carries. The result follows the true strengths; the public and the Compi index
// each judge them with errors of their own, so neither is the truth and each knows something the
// other does not. The values put the favourite's win rate near 37 % and the returns after takeout
// near 75 %, as southern-Kanto racing has them.
// Form in units of ability: most of what separates the horses of one field, as the day's cards
// group them by rating.
constexpr double kFormSpread = 0.75;
// Log-odds of winning per unit of strength: how much strength counts against the luck of the running.
constexpr double kDecisiveness = 1.75;
// How far the public misjudges a runner's strength: small, the market knows the horses well.
constexpr double kPublicError = 0.22;
// The public's chances are raised to this power (below 1): longshots draw more money than their
// chance and favourites less, the favourite-longshot bias of every pari-mutuel market.
constexpr double kLongshotBias = 0.9;
// The Compi index errs a little more than the public, and on its own: its rank 1 is the favourite
// in about six races of ten and wins nearly as often.
constexpr double kCompiError = 0.3;
// Strength lost per kilogram carried above the usual 56 kg: the allowances of fillies, young horses
// and apprentices are worth something.
constexpr double kPerKilo = 0.06;
// Strengths count for less in each later place: 1st, 2nd, 3rd, the rest.
constexpr double kPlaceDiscount[] = {1.0, 0.8, 0.65, 0.5};
// A stopped runner (abnormality 4): rare in any race.
constexpr double kStopChance = 0.004;

// How far form spreads a field at each track: the tight turns of the small tracks string a field
// out, the big night track's full fields and long straight keep it closest together.
double formScaleOf(int track) {
    switch (track) {
        case 42: return 1.05;
        case 44: return 0.85;
        case 45: return 1.1;
        default: return 1.0;
    }
}

// Compi values from the index's own chances: 90 for an even-money favourite, 40 at the bottom.
int compiValueOfChance(double chance) {
    return std::clamp(static_cast<int>(std::lround(40 + 50 * std::sqrt(chance / 0.5))), 40, 90);
}

}  // namespace

void SimRace::run() {
    Rng r(key_);
    std::vector<double> rating = drawRunners(r);
    drawScratches(r);
    const Judgements judged = drawJudgements(rating, r);
    setShares(judged.publicView);
    setCompiValues(judged.compiView);
    std::vector<int> order = drawFinishingOrder(judged.strength, r);
    int tie = drawPositions(order, r);
    drawTimes(order, tie, r);
    drawCorners(order, r);
    showFinalOdds();
}

std::vector<double> SimRace::drawRunners(Rng& r) {
    const int n = static_cast<int>(card_->field.size());
    CivilDate ymd = civilDate(td_->day);
    runners_.resize(static_cast<std::size_t>(n));
    std::vector<double> rating(static_cast<std::size_t>(n));
    std::vector<bool> jockeyTaken(24, false);
    for (int i = 0; i < n; ++i) {
        Runner& x = runners_[static_cast<std::size_t>(i)];
        x.horse = world_->horse(card_->field[static_cast<std::size_t>(i)]);
        x.number = i + 1;
        x.frame = FrameOfHorse(n, i + 1);
        rating[static_cast<std::size_t>(i)] = x.horse.ability + ageEffect(ymd.year - x.horse.birthYear, ymd.month);
        int j = r.uniform() < 0.65 ? x.horse.jockey : r.below(24);
        while (jockeyTaken[static_cast<std::size_t>(j)]) j = (j + 1) % 24;
        jockeyTaken[static_cast<std::size_t>(j)] = true;
        x.jockey = j;
        x.apprentice = (j >= 20) ? 1 + (j - 20) % 3 : 0;
        x.trainer = x.horse.trainerOn(td_->day);
        int carried = x.horse.sex == 2 ? 540 : 560;
        if (card_->category == 11) carried -= 20;
        else if (card_->category == 12) carried -= 10;
        if (card_->weightRule == '1')
            carried = std::clamp(540 + static_cast<int>(std::lround(rating[static_cast<std::size_t>(i)] * 2)) * 5, 500, 590);
        x.weightCarried = carried - 10 * x.apprentice;
        setBodyWeight(x);
    }
    return rating;
}

// Body weight on the day and the change since the previous run (a month ago for a first run).
void SimRace::setBodyWeight(Runner& x) const {
    auto weightOn = [&](int day) {
        Rng wr(hashOf(world_->seed(), 0x4257ull, x.horse.id, day));
        double phase = unit(hashOf(world_->seed(), 0x5048ull, x.horse.id)) * 6.28;
        return x.horse.baseWeight + static_cast<int>(std::lround(7 * std::sin(phase + day / 45.0) + 2 * wr.normal()));
    };
    x.bodyWeight = weightOn(td_->day);
    int previous = -1;
    for (const RunRef& run : world_->runsOf(x.horse.id)) {
        if (run.day >= td_->day) break;
        previous = run.day;
    }
    x.debut = previous < 0 && td_->day - x.horse.debutDay < 14;
    x.weightChange = x.bodyWeight - weightOn(previous >= 0 ? previous : td_->day - 30);
}

// Scratches, announced on the morning of the race.
void SimRace::drawScratches(Rng& r) {
    const int n = registered();
    double su = r.uniform();
    int scratches = su < 0.07 ? 1 : su < 0.085 ? 2 : 0;
    while (scratches > 0 && n - scratches < 5) --scratches;
    for (int s = 0; s < scratches; ++s) {
        int i = r.below(n);
        while (runners_[static_cast<std::size_t>(i)].scratched) i = (i + 1) % n;
        runners_[static_cast<std::size_t>(i)].scratched = true;
    }
}

SimRace::Judgements SimRace::drawJudgements(const std::vector<double>& rating, Rng& r) const {
    const double formSpread = kFormSpread * formScaleOf(td_->track);
    Judgements j;
    for (std::size_t i = 0; i < runners_.size(); ++i) {
        double strength = rating[i] + formSpread * r.normal() - kPerKilo * (runners_[i].weightCarried - 560) / 10.0;
        j.strength.push_back(strength);
        j.publicView.push_back(strength + kPublicError * r.normal());
        j.compiView.push_back(strength + kCompiError * r.normal());
    }
    return j;
}

// The public's win shares, with a floor for every starter: someone always backs the outsider.
void SimRace::setShares(const std::vector<double>& publicView) {
    const int n = registered();
    finalShares_.assign(static_cast<std::size_t>(n), 0.0);
    const double top = *std::max_element(publicView.begin(), publicView.end());
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        if (runners_[static_cast<std::size_t>(i)].scratched) continue;
        double& share = finalShares_[static_cast<std::size_t>(i)];
        share = std::exp(kDecisiveness * kLongshotBias * (publicView[static_cast<std::size_t>(i)] - top));
        sum += share;
    }
    for (int pass = 0; pass < 2; ++pass) {
        double s2 = 0;
        for (double& s : finalShares_)
            if (s > 0) s2 += (s = std::max(s / sum, 0.002));
        sum = s2;
    }
    for (double& s : finalShares_) s /= sum;
}

void SimRace::setCompiValues(const std::vector<double>& compiView) {
    const std::size_t n = compiView.size();
    const double top = *std::max_element(compiView.begin(), compiView.end());
    std::vector<double> chance(n);
    for (std::size_t i = 0; i < n; ++i) chance[i] = std::exp(kDecisiveness * (compiView[i] - top));
    const double sum = std::accumulate(chance.begin(), chance.end(), 0.0);
    std::vector<std::size_t> byRank(n);
    std::iota(byRank.begin(), byRank.end(), 0);
    std::sort(byRank.begin(), byRank.end(), [&](std::size_t a, std::size_t b) { return chance[a] > chance[b]; });
    compiValues_.assign(n, 40);
    int above = 91;  // the value of the rank above
    for (std::size_t i : byRank) {
        int value = std::max(40, std::min(compiValueOfChance(chance[i] / sum), above - 1));
        compiValues_[i] = above = value;
    }
}

// The race itself, place by place: each place goes to one of the runners left in proportion to its
// chance, the later places with the strengths discounted (a horse beaten for the win is eased, the
// places are more open than the win); a stopped runner does not finish.
std::vector<int> SimRace::drawFinishingOrder(const std::vector<double>& strength, Rng& r) {
    std::vector<int> left;
    for (int i = 0; i < registered(); ++i) {
        Runner& x = runners_[static_cast<std::size_t>(i)];
        if (x.scratched) continue;
        ++starters_;
        if (r.uniform() < kStopChance) x.stopped = true;
        else left.push_back(i);
    }
    std::vector<int> order;
    while (!left.empty()) {
        const double discount = kPlaceDiscount[std::min<std::size_t>(order.size(), std::size(kPlaceDiscount) - 1)];
        const double top = strength[static_cast<std::size_t>(*std::max_element(left.begin(), left.end(), [&](int a, int b) {
            return strength[static_cast<std::size_t>(a)] < strength[static_cast<std::size_t>(b)];
        }))];
        std::vector<double> weight;
        for (int i : left) weight.push_back(std::exp(discount * kDecisiveness * (strength[static_cast<std::size_t>(i)] - top)));
        double u = r.uniform() * std::accumulate(weight.begin(), weight.end(), 0.0);
        std::size_t pick = 0;
        while (pick + 1 < left.size() && (u -= weight[pick]) >= 0) ++pick;
        order.push_back(left[pick]);
        left.erase(left.begin() + static_cast<long>(pick));
    }
    finishers_ = static_cast<int>(order.size());
    return order;
}

// Positions, with the rare dead heat in the first three; returns the index in `order` of the first
// horse of the dead heat, or -1.
int SimRace::drawPositions(const std::vector<int>& order, Rng& r) {
    int tie = -1;
    for (int k = 0; k + 1 < std::min(4, finishers_); ++k)
        if (r.uniform() < 0.004) {
            tie = k;
            break;
        }
    for (int k = 0; k < finishers_; ++k) {
        Runner& x = runners_[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])];
        x.position = (k == tie + 1 && tie >= 0) ? tie + 1 : k + 1;
        x.arrival = x.position;
        x.deadHeat = tie >= 0 && (k == tie || k == tie + 1);
    }
    return tie;
}

// The winner's time split into laps of 200 m; returns the winner's time.
int SimRace::drawLaps(Rng& r) {
    double dist = card_->distance;
    double secs = dist * (0.0595 + 0.0000025 * dist) + (3.5 - card_->classRank) * 0.25;
    if (card_->course < 23) secs *= 0.97;
    else secs -= td_->going == 2 ? 0.3 : td_->going == 3 ? 0.7 : td_->going == 4 ? 1.0 : 0.0;
    secs += 0.6 * r.normal();
    int winner = static_cast<int>(std::lround(secs * 10));
    int laps = (card_->distance + 199) / 200;
    double firstLen = card_->distance - 200.0 * (laps - 1);
    std::vector<double> raw;
    for (int l = 0; l < laps; ++l) {
        double base = l == 0 ? 0.95 : (l < laps / 2 ? 0.96 : 1.0 + 0.02 * (l - laps / 2));
        raw.push_back((l == 0 ? firstLen / 200.0 : 1.0) * base * (1 + 0.01 * r.normal()));
    }
    double rawSum = std::accumulate(raw.begin(), raw.end(), 0.0);
    laps_.clear();
    int acc = 0;
    for (int l = 0; l < laps; ++l) {
        int v = l + 1 == laps ? winner - acc : static_cast<int>(std::lround(winner * raw[static_cast<std::size_t>(l)] / rawSum));
        laps_.push_back(v);
        acc += v;
    }
    return winner;
}

// Times: laps of the winner, then the margins behind.
void SimRace::drawTimes(const std::vector<int>& order, int tie, Rng& r) {
    int winner = drawLaps(r);
    const int laps = static_cast<int>(laps_.size());
    int lastThree = 0;
    for (int l = std::max(0, laps - 3); l < laps; ++l) lastThree += laps_[static_cast<std::size_t>(l)];

    int t = winner;
    for (int k = 0; k < finishers_; ++k) {
        Runner& x = runners_[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])];
        if (k > 0) {
            int gap = 0;
            if (!(x.deadHeat && k == tie + 1)) {
                double u = r.uniform();
                gap = u < 0.22 ? 0 : u < 0.45 ? 1 : u < 0.62 ? 2 : u < 0.74 ? 3 : u < 0.82 ? 4 : u < 0.88 ? 5 : 6 + r.below(8);
                if (k > finishers_ / 2) gap += r.below(4);
                x.margin = marginCode(gap, r);
            } else {
                x.margin = "D  ";
            }
            t += gap;
        } else {
            x.margin = "   ";
        }
        x.time = t;
        x.timeDiff = t - winner;
        int style = x.horse.style;
        x.last3f = k == 0 ? lastThree
                          : lastThree + static_cast<int>(std::lround((t - winner) * 0.6 + (1.5 - style) * 3 + 3 * r.normal()));
        x.last3f = std::clamp(x.last3f, 330, 520);
        x.last4f = x.last3f + 120 + r.below(12);
    }
    if (finishers_ > 1) {
        Runner& w = runners_[static_cast<std::size_t>(order[0])];
        w.timeDiff = -(runners_[static_cast<std::size_t>(order[1])].time - w.time);
    }
}

// Corners: early positions follow the running style and move towards the finishing order.
void SimRace::drawCorners(const std::vector<int>& order, Rng& r) {
    const int n = registered();
    std::vector<double> early(static_cast<std::size_t>(n), 0.0);
    std::vector<double> finishRank(static_cast<std::size_t>(n), 0.0);
    for (int i = 0; i < n; ++i) early[static_cast<std::size_t>(i)] = runners_[static_cast<std::size_t>(i)].horse.style + 0.8 * r.normal();
    for (int k = 0; k < finishers_; ++k) finishRank[static_cast<std::size_t>(order[static_cast<std::size_t>(k)])] = k;
    for (int i = 0; i < n; ++i)
        if (runners_[static_cast<std::size_t>(i)].stopped) finishRank[static_cast<std::size_t>(i)] = n + 1;
    bool fourCorners = card_->distance >= 1400;
    const double weight[4] = {0.15, 0.35, 0.6, 0.85};
    for (int c = 0; c < 4; ++c) {
        if (!fourCorners && c < 2) continue;
        std::vector<std::pair<double, int>> score;
        for (int i = 0; i < n; ++i) {
            const Runner& x = runners_[static_cast<std::size_t>(i)];
            if (x.scratched || (x.stopped && c >= 2)) continue;
            double e = early[static_cast<std::size_t>(i)] * (starters_ / 4.0);
            score.push_back({(1 - weight[c]) * e + weight[c] * finishRank[static_cast<std::size_t>(i)], i});
        }
        std::sort(score.begin(), score.end());
        for (std::size_t k = 0; k < score.size(); ++k)
            runners_[static_cast<std::size_t>(score[k].second)].corners[static_cast<std::size_t>(c)] = static_cast<int>(k + 1);
    }
}

// Final odds and popularity shown in the runner records.
void SimRace::showFinalOdds() {
    const OddsSet& fin = finalOdds();
    for (std::size_t i = 0; i < runners_.size(); ++i) {
        Runner& x = runners_[i];
        if (x.scratched) continue;
        x.winOdds = fin.win.odds[i];
        x.popularity = fin.win.popularity[i];
    }
}

std::vector<double> SimRace::sharesAt(Minute t) const {
    if (t >= postTime()) return finalShares_;
    double sigma = 0.05 + 0.40 * std::min(1.0, static_cast<double>(postTime() - t) / 1440.0);
    Minute knot = t / 10;
    double frac = static_cast<double>(t % 10) / 10.0;
    std::vector<double> s = finalShares_;
    double sum = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] <= 0) continue;
        double z0 = Rng(hashOf(key_, 0x4b4eull, i, knot)).normal();
        double z1 = Rng(hashOf(key_, 0x4b4eull, i, knot + 1)).normal();
        s[i] *= std::exp(sigma * (z0 + (z1 - z0) * frac));
        sum += s[i];
    }
    for (double& v : s) v /= sum;
    return s;
}

namespace {
double poolScaleOf(const TrackDay& td, const RaceCard& card) {
    const TrackSpec* trackInfo = trackSpec(td.track);
    double scale = 20000.0 * (trackInfo ? trackInfo->prizeScale : 0.3) * (1.0 + 0.2 * card.classRank);
    if (card.special) scale *= 1.3;
    if (card.graded) scale *= 3;
    return scale;
}
}  // namespace

OddsSet SimRace::oddsAt(Minute t) const {
    if (t >= postTime()) return finalOdds();
    std::vector<int> frames;
    for (const Runner& x : runners_) frames.push_back(x.frame);
    double progress = std::clamp(static_cast<double>(t - saleOpen()) / static_cast<double>(postTime() - saleOpen()), 0.0, 1.0);
    double filled = 0.03 + 0.97 * std::pow(progress, 4);
    std::vector<double> shares = sharesAt(t);
    if (t < scratchTime()) {
        // Before the morning announcement the scratched runners are still on sale.
        for (std::size_t i = 0; i < shares.size(); ++i)
            if (shares[i] <= 0) shares[i] = 0.01;
        double sum = std::accumulate(shares.begin(), shares.end(), 0.0);
        for (double& v : shares) v /= sum;
    }
    return computeOdds(shares, frames, poolScaleOf(*td_, *card_) * filled);
}

const OddsSet& SimRace::finalOdds() const {
    if (!final_) {
        std::vector<int> frames;
        for (const Runner& x : runners_) frames.push_back(x.frame);
        // Full popularity ranks only where the odds records are delivered.
        const TrackSpec* trackInfo = trackSpec(td_->track);
        final_ = std::make_unique<OddsSet>(computeOdds(finalShares_, frames, poolScaleOf(*td_, *card_), trackInfo && trackInfo->southKanto));
    }
    return *final_;
}

namespace {

using Order = std::array<int, 3>;  // horse numbers of the first three, 0 for none

// Every finishing order of the first three the result allows (a dead heat lets either horse be first).
std::vector<Order> finishingOrders(const std::vector<Runner>& runners) {
    std::vector<const Runner*> fin;
    for (const Runner& x : runners)
        if (x.position > 0) fin.push_back(&x);
    std::sort(fin.begin(), fin.end(), [](const Runner* a, const Runner* b) {
        return a->position != b->position ? a->position < b->position : a->number < b->number;
    });
    std::vector<Order> orders;
    Order cur{};
    std::vector<bool> used(fin.size(), false);
    auto extend = [&](auto&& self, int depth) -> void {
        if (depth == 3 || depth == static_cast<int>(fin.size())) {
            orders.push_back(cur);
            return;
        }
        int best = 1 << 30;
        for (std::size_t i = 0; i < fin.size(); ++i)
            if (!used[i]) best = std::min(best, fin[i]->position);
        for (std::size_t i = 0; i < fin.size(); ++i) {
            if (used[i] || fin[i]->position != best) continue;
            used[i] = true;
            cur[static_cast<std::size_t>(depth)] = fin[i]->number;
            self(self, depth + 1);
            cur[static_cast<std::size_t>(depth)] = 0;
            used[i] = false;
        }
    };
    extend(extend, 0);
    return orders;
}

// The winning combinations of each kind, over all the allowed finishing orders.
struct Winners {
    std::vector<Order> win, quin, ex, wide, trio, trif, bqc, bec;
};

Winners winnersOf(const std::vector<Order>& orders, const std::vector<Runner>& runners) {
    auto frameOf = [&](int h) { return runners[static_cast<std::size_t>(h - 1)].frame; };
    Winners w;
    for (auto& ord : orders) {
        w.win.push_back({ord[0], 0, 0});
        if (ord[1]) {
            w.quin.push_back({ord[0], ord[1], 0});
            w.ex.push_back({ord[0], ord[1], 0});
            w.bqc.push_back({frameOf(ord[0]), frameOf(ord[1]), 0});
            w.bec.push_back({frameOf(ord[0]), frameOf(ord[1]), 0});
        }
        if (ord[2]) {
            w.trio.push_back({ord[0], ord[1], ord[2]});
            w.trif.push_back(ord);
            w.wide.push_back({ord[0], ord[1], 0});
            w.wide.push_back({ord[0], ord[2], 0});
            w.wide.push_back({ord[1], ord[2], 0});
        }
    }
    return w;
}

double shareOfOdds(double ret, int tenths) { return ret / (tenths / 10.0); }

// The distinct combination indexes of `kind` among the winning orders, ascending.
std::vector<int> winningIndexes(BetKind kind, const std::vector<Order>& combos) {
    std::vector<int> ks;
    for (auto& c : combos) {
        int k = CombinationIndex(kind, c[0], c[1], c[2]);
        if (k > 0 && std::find(ks.begin(), ks.end(), k) == ks.end()) ks.push_back(k);
    }
    std::sort(ks.begin(), ks.end());
    return ks;
}

// Builds the entries of one kind from its winning combinations; the stakes behind each come from
// its final odds.
void settle(BetKind kind, const OddsTable& table, double ret, const std::vector<Order>& combos,
            std::vector<PayoutEntry>& out, std::size_t limit) {
    std::vector<int> ks = winningIndexes(kind, combos);
    double sum = 0;
    for (int k : ks) {
        int v = table.odds[static_cast<std::size_t>(k - 1)];
        if (v <= 0) return;  // not sold or cancelled: nothing paid
        sum += shareOfOdds(ret, v);
    }
    for (int k : ks) {
        if (out.size() >= limit) break;
        Combination c = CombinationAt(kind, k);
        PayoutEntry e{c.a, c.b, c.c, 0, table.popularityOf(k)};
        int v = table.odds[static_cast<std::size_t>(k - 1)];
        e.payout = ks.size() == 1 ? v * 10 : splitPayout(ret, sum, static_cast<int>(ks.size()), shareOfOdds(ret, v));
        out.push_back(e);
    }
}

// Shares of the place and wide pools, by the same model as the odds.
struct PlaceShares {
    std::vector<double> q;                   // of each horse in the place pool
    std::vector<std::vector<double>> pair3;  // of both horses of a pair (lower first) in the first three
};

PlaceShares placeShares(const std::vector<double>& shares, int n, int places) {
    PlaceShares ps;
    ps.q.assign(static_cast<std::size_t>(n + 1), 0.0);
    ps.pair3.assign(static_cast<std::size_t>(n + 1), std::vector<double>(static_cast<std::size_t>(n + 1), 0.0));
    std::vector<double>& q = ps.q;
    std::vector<std::vector<double>>& pair3 = ps.pair3;
    auto p = [&](int h) { return shares[static_cast<std::size_t>(h - 1)]; };
    for (int a = 1; a <= n; ++a) {
        if (p(a) <= 0) continue;
        for (int b = 1; b <= n; ++b) {
            if (b == a || p(b) <= 0) continue;
            double e = p(a) * p(b) / std::max(1e-12, 1 - p(a));
            if (places == 2) {
                q[static_cast<std::size_t>(a)] += e;
                q[static_cast<std::size_t>(b)] += e;
            }
            for (int c = 1; c <= n; ++c) {
                if (c == a || c == b || p(c) <= 0) continue;
                double t3 = e * p(c) / std::max(1e-12, 1 - p(a) - p(b));
                if (places == 3) {
                    q[static_cast<std::size_t>(a)] += t3;
                    q[static_cast<std::size_t>(b)] += t3;
                    q[static_cast<std::size_t>(c)] += t3;
                }
                pair3[static_cast<std::size_t>(std::min(a, b))][static_cast<std::size_t>(std::max(a, b))] += t3;
                pair3[static_cast<std::size_t>(std::min(a, c))][static_cast<std::size_t>(std::max(a, c))] += t3;
                pair3[static_cast<std::size_t>(std::min(b, c))][static_cast<std::size_t>(std::max(b, c))] += t3;
            }
        }
    }
    if (places > 0)
        for (double& v : q) v /= places;
    return ps;
}

// Wide: the pairs among the first three share the pool.
void settleWide(const OddsTable& table, const std::vector<Order>& wide,
                const std::vector<std::vector<double>>& pair3, std::vector<PayoutEntry>& out) {
    std::vector<int> ks;
    for (auto& c : wide) {
        int k = CombinationIndex(BetKind::QuinellaPlace, c[0], c[1]);
        if (k > 0 && std::find(ks.begin(), ks.end(), k) == ks.end()) ks.push_back(k);
    }
    std::sort(ks.begin(), ks.end());
    auto w = [&](int k) {
        Combination c = CombinationAt(BetKind::QuinellaPlace, k);
        return pair3[static_cast<std::size_t>(c.a)][static_cast<std::size_t>(c.b)] / 3.0;
    };
    double sum = 0;
    bool ok = !ks.empty();
    for (int k : ks) {
        sum += w(k);
        ok = ok && table.odds[static_cast<std::size_t>(k - 1)] > 0;
    }
    for (std::size_t j = 0; ok && j < ks.size() && j < 7; ++j) {
        Combination c = CombinationAt(BetKind::QuinellaPlace, ks[j]);
        out.push_back({c.a, c.b, 0, splitPayout(kReturnWide, sum, static_cast<int>(ks.size()), w(ks[j])),
                       table.popularityOf(ks[j])});
    }
}

// Place: the pool is split between the placed horses (one more after a dead heat).
void settlePlace(const OddsSet& o, const std::vector<Runner>& runners, const std::vector<double>& q,
                 std::vector<PayoutEntry>& out) {
    std::vector<int> placed;
    double sum = 0;
    for (const Runner& x : runners)
        if (x.position > 0 && x.position <= o.places) placed.push_back(x.number);
    std::sort(placed.begin(), placed.end(), [&](int a, int b) {
        const Runner& ra = runners[static_cast<std::size_t>(a - 1)];
        const Runner& rb = runners[static_cast<std::size_t>(b - 1)];
        return ra.position != rb.position ? ra.position < rb.position : a < b;
    });
    for (int h : placed) sum += q[static_cast<std::size_t>(h)];
    for (int h : placed) {
        if (out.size() >= 5) break;
        PayoutEntry e{h, 0, 0, 0, o.place.popularity[static_cast<std::size_t>(h - 1)]};
        e.payout = splitPayout(kReturnPlace, sum, static_cast<int>(placed.size()), q[static_cast<std::size_t>(h)]);
        out.push_back(e);
    }
}

}  // namespace

const Payouts& SimRace::payouts() const {
    if (payouts_) return *payouts_;
    payouts_ = std::make_unique<Payouts>();
    Payouts& pay = *payouts_;
    const OddsSet& o = finalOdds();

    const Winners w = winnersOf(finishingOrders(runners_), runners_);
    settle(BetKind::Win, o.win, kReturnWin, w.win, pay.win, 3);
    settle(BetKind::Quinella, o.quinella, kReturnQuinella, w.quin, pay.quinella, 3);
    settle(BetKind::Exacta, o.exacta, kReturnExacta, w.ex, pay.exacta, 6);
    settle(BetKind::Trio, o.trio, kReturnTrio, w.trio, pay.trio, 3);
    settle(BetKind::Trifecta, o.trifecta, kReturnTrifecta, w.trif, pay.trifecta, 6);
    settle(BetKind::BracketQuinella, o.bracketQuinella, kReturnBracketQuinella, w.bqc, pay.bracketQuinella, 3);
    settle(BetKind::BracketExacta, o.bracketExacta, kReturnBracketExacta, w.bec, pay.bracketExacta, 3);
    const PlaceShares ps = placeShares(finalShares_, registered(), o.places);
    settleWide(o.wide, w.wide, ps.pair3, pay.wide);
    if (o.places > 0) settlePlace(o, runners_, ps.q, pay.place);
    return pay;
}

std::string SimRace::header(const char* kind, char category, int made, int length) const {
    std::string rec(static_cast<std::size_t>(length), ' ');
    rec[static_cast<std::size_t>(length - 2)] = '\r';
    rec[static_cast<std::size_t>(length - 1)] = '\n';
    setField(rec, Common::Kind, kind);
    rec[2] = category;
    setField(rec, Common::MakeDate, ymdText(made));
    setField(rec, Common::RaceKey, raceKey());
    return rec;
}

std::string SimRace::raRecord(bool results, bool scratchesKnown, int made) const {
    std::string rec = header("RA", results ? kResultKind : kCardKind, made, RecordLength::RA);
    static const char kWeekday[7] = {'2', '4', '5', '6', '7', '8', '1'};  // Sunday first
    rec[static_cast<std::size_t>(RA::Weekday.pos - 1)] = kWeekday[weekdayOf(td_->day)];
    setField(rec, RA::SpecialNumber, "0000");
    setField(rec, RA::RaceName, padFull(card_->name, RA::RaceName.len));
    setField(rec, RA::ShortName10, padFull(card_->name, RA::ShortName10.len));
    setField(rec, RA::ShortName6, padFull(card_->name, RA::ShortName6.len));
    setField(rec, RA::ShortName, padFull(card_->shortName, RA::ShortName.len));
    setField(rec, RA::Edition, num(card_->edition, 3));
    setField(rec, RA::Grade, card_->graded ? "D" : card_->special ? "E" : " ");
    setField(rec, RA::Category, num(card_->category, 2));
    setField(rec, RA::Symbol, card_->special && trackSpec(td_->track)->southKanto ? "00X" : "000");
    setField(rec, RA::WeightRule, std::string(1, card_->weightRule));
    for (int k = 1; k <= 5; ++k)
        setField(rec, RA::AgeCondition.at(k, 3), k < 5 ? "000" : card_->graded ? "999" : card_->classCode);
    setField(rec, RA::ConditionName, padFull(card_->condition, RA::ConditionName.len));
    setField(rec, RA::Distance, num(card_->distance, 4));
    setField(rec, {702, 4}, "0000");
    setField(rec, RA::Surface, num(card_->course, 2));
    setField(rec, {708, 2}, "00");
    static const int kPrizeShare[5] = {100, 40, 25, 15, 10};
    for (int k = 1; k <= 7; ++k)
        setField(rec, RA::Prize.at(k, 8), num(k <= 5 ? card_->prize1 * kPrizeShare[k - 1] / 100 : 0, 8));
    for (int k = 1; k <= 5; ++k) setField(rec, {770 + 8 * (k - 1), 8}, num(0, 8));
    for (int k = 1; k <= 5; ++k) setField(rec, RA::AddedPrize.at(k, 8), num(0, 8));
    for (int k = 1; k <= 3; ++k) setField(rec, {850 + 8 * (k - 1), 8}, num(0, 8));
    setField(rec, RA::PostTime, num(card_->post, 4));
    setField(rec, {878, 4}, "0000");
    int registered = static_cast<int>(runners_.size());
    int starters = registered;
    if (scratchesKnown)
        for (const Runner& x : runners_) starters -= x.scratched ? 1 : 0;
    setField(rec, RA::Registered, num(registered, 2));
    setField(rec, RA::Starters, num(starters, 2));
    setField(rec, RA::Finishers, num(results ? finishers_ : 0, 2));
    bool known = results || scratchesKnown;  // the day's weather is known on the day
    setField(rec, RA::Weather, known ? std::to_string(td_->weather) : "0");
    bool turf = card_->course < 23;
    setField(rec, RA::TurfGoing, known && turf ? std::to_string(td_->going) : "0");
    setField(rec, RA::DirtGoing, known && !turf ? std::to_string(td_->going) : "0");
    for (int k = 1; k <= 25; ++k)
        setField(rec, RA::LapTime.at(k, 3),
                 num(results && k <= static_cast<int>(laps_.size()) ? laps_[static_cast<std::size_t>(k - 1)] : 0, 3));
    setField(rec, {966, 4}, "0000");
    if (results && laps_.size() >= 4) {
        int f3 = laps_[0] + laps_[1] + laps_[2], l3 = 0, l4 = 0;
        std::size_t m = laps_.size();
        l3 = laps_[m - 1] + laps_[m - 2] + laps_[m - 3];
        l4 = l3 + laps_[m - 4];
        setField(rec, RA::First3F, num(f3, 3));
        setField(rec, RA::First4F, num(f3 + laps_[3], 3));
        setField(rec, RA::Last3F, num(l3, 3));
        setField(rec, RA::Last4F, num(l4, 3));
    } else {
        for (Field f : {RA::First3F, RA::First4F, RA::Last3F, RA::Last4F}) setField(rec, f, "000");
    }
    if (results) {
        for (int c = 1; c <= 4; ++c) {
            std::vector<std::pair<int, int>> at;
            for (const Runner& x : runners_)
                if (x.corners[static_cast<std::size_t>(c - 1)] > 0) at.push_back({x.corners[static_cast<std::size_t>(c - 1)], x.number});
            if (at.empty()) continue;
            std::sort(at.begin(), at.end());
            std::string text;
            for (auto& [pos, h] : at) text += (text.empty() ? "" : ",") + std::to_string(h);
            setField(rec, RA::CornerOrder.at(c, 72), std::to_string(c) + "1" + text);
        }
    }
    setField(rec, {1270, 1}, "0");
    return rec;
}

std::vector<std::string> SimRace::seRecords(bool results, bool scratchesKnown, int made) const {
    std::vector<std::string> out;
    for (const Runner& x : runners_) {
        std::string rec = header("SE", results ? kResultKind : kCardKind, made, RecordLength::SE);
        putEntry(rec, x);
        const bool scratched = x.scratched && scratchesKnown;
        putBodyWeight(rec, x, results, scratched);
        putResult(rec, x, results, scratched);
        out.push_back(std::move(rec));
    }
    return out;
}

// The card part of a runner record: horse, trainer, weight carried and jockey.
void SimRace::putEntry(std::string& rec, const Runner& x) const {
    const CivilDate ymd = civilDate(td_->day);
    setField(rec, SE::Frame, std::to_string(x.frame));
    setField(rec, SE::Horse, num(x.number, 2));
    setField(rec, SE::RegistrationNumber, x.horse.regNo);
    setField(rec, SE::HorseName, padFull(x.horse.name, SE::HorseName.len));
    setField(rec, SE::HorseSymbol, x.horse.homeBefore != x.horse.homeAfter && td_->day >= x.horse.transferDay ? "05" : "00");
    setField(rec, SE::Sex, std::to_string(x.horse.sex));
    setField(rec, SE::Breed, std::string(1, x.horse.breed));
    setField(rec, SE::Coat, num(x.horse.coat, 2));
    setField(rec, SE::Age, num(ymd.year - x.horse.birthYear, 2));
    setField(rec, {85, 1}, "0");
    setField(rec, SE::TrainerCode, num(td_->track * 1000 + x.trainer, 5));
    setField(rec, SE::Trainer, padFull(trainerName(x.horse.homeOn(td_->day), x.trainer), SE::Trainer.len));
    setField(rec, SE::WeightCarried, num(x.weightCarried, 3));
    setField(rec, {292, 3}, "000");
    setField(rec, {295, 1}, "0");
    setField(rec, SE::JockeyCode, num(td_->track * 1000 + x.jockey, 5));
    setField(rec, {302, 5}, "00000");
    setField(rec, SE::Jockey, padFull(jockeyName(td_->track, x.jockey), SE::Jockey.len));
    setField(rec, SE::Apprentice, std::to_string(x.apprentice));
    setField(rec, {324, 1}, "0");
}

// Body weight and its change: weighed runners in the results; a scratched runner is never weighed.
void SimRace::putBodyWeight(std::string& rec, const Runner& x, bool results, bool scratched) const {
    if (results && !x.scratched) {
        setField(rec, SE::BodyWeight, num(x.bodyWeight, 3));
        if (x.debut) {
            setField(rec, SE::BodyWeightSign, " ");
            setField(rec, SE::BodyWeightChange, "   ");
        } else {
            setField(rec, SE::BodyWeightSign, x.weightChange > 0 ? "+" : x.weightChange < 0 ? "-" : " ");
            setField(rec, SE::BodyWeightChange, num(std::abs(x.weightChange), 3));
        }
    } else if (scratched) {
        setField(rec, SE::BodyWeight, "000");
    }
}

// Finish, time, corners, odds, prize and the placed-horse list (blank or zero before the results).
void SimRace::putResult(std::string& rec, const Runner& x, bool results, bool scratched) const {
    static const int kPrizeShare[5] = {100, 40, 25, 15, 10};
    setField(rec, SE::Abnormality, scratched ? "1" : (results && x.stopped) ? "4" : "0");
    setField(rec, SE::ArrivalOrder, num(results ? x.arrival : 0, 2));
    setField(rec, SE::FinishPosition, num(results ? x.position : 0, 2));
    setField(rec, SE::DeadHeat, results && x.deadHeat ? "1" : "0");
    int tiedWith = 0;  // the other horses of the dead heat
    if (results && x.deadHeat)
        for (const Runner& y : runners_) tiedWith += &y != &x && y.deadHeat && y.position == x.position ? 1 : 0;
    setField(rec, SE::DeadHeatCount, std::to_string(tiedWith));
    setField(rec, SE::Time, results && x.position > 0 ? timeText(x.time) : "0000");
    // A winner has no horse ahead and no margin, except the second of a dead heat for the win.
    setField(rec, SE::Margin, results && x.position > 0 ? x.margin : "   ");
    setField(rec, {346, 6}, "      ");
    for (int c = 1; c <= 4; ++c)
        setField(rec, SE::Corner.at(c, 2), num(results ? x.corners[static_cast<std::size_t>(c - 1)] : 0, 2));
    setField(rec, SE::WinOdds, num(results && !x.scratched ? x.winOdds : 0, 4));
    setField(rec, SE::WinPopularity, num(results && !x.scratched ? x.popularity : 0, 2));
    int prize = results && x.position >= 1 && x.position <= 5 ? card_->prize1 * kPrizeShare[x.position - 1] / 100 : 0;
    setField(rec, SE::Prize, num(prize, 8));
    setField(rec, SE::AddedPrize, num(0, 8));
    setField(rec, {382, 6}, "000000");
    setField(rec, SE::Last4F, results && x.position > 0 ? num(x.last4f, 3) : "999");
    setField(rec, SE::Last3F, results && x.position > 0 ? num(x.last3f, 3) : "999");
    if (results && x.position > 0) {
        // The placed-horse list: the winner, or the second when this horse won.
        int entry = 1;
        for (const Runner& y : runners_) {
            if (&y == &x || entry > 3) continue;
            bool listed = x.position == 1 ? y.position == 2 || (y.position == 1) : y.position == 1;
            if (!listed) continue;
            setField(rec, SE::PlacedHorse.at(entry, 46), y.horse.regNo + padFull(y.horse.name, 36));
            ++entry;
        }
        setField(rec, SE::TimeDifference, signedTenths(x.timeDiff));
    } else {
        // No time behind the winner for a runner that did not run or did not finish.
        setField(rec, SE::TimeDifference, scratched || (results && x.stopped) ? "9999" : "+000");
    }
    setField(rec, {536, 17}, "00000000000000000");
    setField(rec, SE::RunningStyle, results && x.position > 0 ? std::to_string(x.horse.style + 1) : "0");
}

std::string SimRace::hrRecord(int made) const {
    std::string rec = header("HR", kPayoutKind, made, RecordLength::HR);
    const Payouts& pay = payouts();
    const int n = registered();
    int scratched = 0;
    std::string refundHorses(28, '0'), refundFrames(8, '0'), sameFrame(8, '0');
    std::vector<int> frameRegistered(9, 0), frameRunning(9, 0);
    for (const Runner& x : runners_) {
        ++frameRegistered[static_cast<std::size_t>(x.frame)];
        if (x.scratched) {
            ++scratched;
            refundHorses[static_cast<std::size_t>(x.number - 1)] = '1';
        } else {
            ++frameRunning[static_cast<std::size_t>(x.frame)];
        }
    }
    for (int f = 1; f <= 8; ++f) {
        if (frameRegistered[static_cast<std::size_t>(f)] > 0 && frameRunning[static_cast<std::size_t>(f)] == 0)
            refundFrames[static_cast<std::size_t>(f - 1)] = '1';
        if (frameRegistered[static_cast<std::size_t>(f)] >= 2 && frameRunning[static_cast<std::size_t>(f)] < 2)
            sameFrame[static_cast<std::size_t>(f - 1)] = '1';
    }
    setField(rec, HR::Registered, num(n, 2));
    setField(rec, HR::Starters, num(n - scratched, 2));
    setField(rec, HR::NotEstablished, "000000000");
    setField(rec, HR::SpecialPayout, "000000000");
    setField(rec, HR::Refund, scratched ? "111111111" : "000000000");
    setField(rec, HR::RefundHorses, refundHorses);
    setField(rec, HR::RefundFrames, refundFrames);
    setField(rec, HR::RefundSameFrame, sameFrame);
    auto put = [&](const PayoutBlock& block, const std::vector<PayoutEntry>& entries, int numbers, bool frames) {
        for (std::size_t j = 0; j < entries.size() && static_cast<int>(j) < block.entries; ++j) {
            const PayoutEntry& e = entries[j];
            std::string combo;
            int v[3] = {e.a, e.b, e.c};
            for (int i = 0; i < numbers; ++i) combo += frames ? std::to_string(v[i]) : num(v[i], 2);
            int entry = static_cast<int>(j) + 1;
            setField(rec, block.combination(entry), combo);
            setField(rec, block.payout(entry), num(e.payout, 9));
            setField(rec, block.popularity(entry), num(e.popularity, block.popularityLength));
        }
    };
    put(HR::Win, pay.win, 1, false);
    put(HR::Place, pay.place, 1, false);
    put(HR::BracketQuinella, pay.bracketQuinella, 2, true);
    put(HR::Quinella, pay.quinella, 2, false);
    put(HR::Wide, pay.wide, 2, false);
    put(HR::BracketExacta, pay.bracketExacta, 2, true);
    put(HR::Exacta, pay.exacta, 2, false);
    put(HR::Trio, pay.trio, 3, false);
    put(HR::Trifecta, pay.trifecta, 3, false);
    return rec;
}

namespace {

// Writes the combinations, odds (and upper odds) and popularity of one table into an odds record.
// A combination with a horse beyond the field (`highest`) does not exist: it stays blank, key too.
void putOddsTable(std::string& rec, BetKind kind, const OddsTable& table, const OddsBlock& block, Field comboField,
                  int stride, bool frames, const OddsBlock* upper, int highest) {
    for (int k = 1; k <= static_cast<int>(table.odds.size()); ++k) {
        const Combination& c = combo(kind, k);
        if (std::max({c.a, c.b, c.c}) > highest) continue;
        Field cf = comboField.at(k, stride);
        int digitsEach = frames ? 1 : 2, at = 0;
        for (int v : {c.a, c.b, c.c})
            if (v > 0) {
                putNum(rec, {cf.pos + at, digitsEach}, v);
                at += digitsEach;
            }
        int v = table.odds[static_cast<std::size_t>(k - 1)];
        putOdds(rec, block.odds(k), v);
        if (upper) putOdds(rec, upper->odds(k), table.upper[static_cast<std::size_t>(k - 1)]);
        if (block.popularityLength && v > 0) putNum(rec, block.popularity(k), table.popularity[static_cast<std::size_t>(k - 1)]);
    }
}

// The O1 body: win, place and bracket quinella.
void putWinPlaceBracket(std::string& o1, const OddsSet& o, int n) {
    setField(o1, Odds::SaleFlag.at(1, 1), "7");
    setField(o1, Odds::SaleFlag.at(2, 1), o.place.sold ? "7" : "0");
    setField(o1, Odds::SaleFlag.at(3, 1), o.bracketQuinella.sold ? "7" : "0");
    setField(o1, Odds::PlacePayKey, std::to_string(o.places));
    for (int h = 1; h <= n; ++h) {
        std::size_t i = static_cast<std::size_t>(h - 1);
        setField(o1, Odds::WinHorse.at(h, 8), num(h, 2));
        setField(o1, Odds::Win.odds(h), oddsText(o.win.odds[i], 4));
        setField(o1, Odds::WinRank.at(h, 8), o.win.odds[i] > 0 ? num(o.win.popularity[i], 2) : "  ");
        setField(o1, Odds::PlaceHorse.at(h, 12), num(h, 2));
        setField(o1, Odds::PlaceLower.odds(h), oddsText(o.place.odds[i], 4));
        setField(o1, Odds::PlaceUpper.odds(h), oddsText(o.place.upper[i], 4));
        setField(o1, Odds::PlaceRank.at(h, 12), o.place.odds[i] > 0 ? num(o.place.popularity[i], 2) : "  ");
    }
    putOddsTable(o1, BetKind::BracketQuinella, o.bracketQuinella, Odds::BracketQuinella, Odds::BracketQuinellaCombination, 9,
                 true, nullptr, 8);
    setField(o1, Odds::TotalWin, num(o.win.total, 11));
    setField(o1, Odds::TotalPlace, num(o.place.total, 11));
    setField(o1, Odds::TotalBracketQuinella, num(o.bracketQuinella.total, 11));
}

}  // namespace

std::vector<std::string> SimRace::oddsRecords(Minute t, int made) const {
    std::vector<std::string> out;
    if (t < saleOpen()) return out;
    bool final = t >= postTime();
    OddsSet o = oddsAt(t);
    for (OddsTable* tb : {&o.quinella, &o.wide, &o.exacta, &o.trio, &o.trifecta, &o.bracketQuinella, &o.bracketExacta})
        if (tb->popularity.empty()) rank(*tb);
    char cat = final ? kFinalOddsKind : kInterimOddsKind;
    Minute at = final ? postTime() : t;
    int mod = static_cast<int>(((at % 1440) + 1440) % 1440);
    CivilDate ymd = civilDate(static_cast<int>((at - mod) / 1440));
    std::string announce = num(ymd.month, 2) + num(ymd.day, 2) + num(mod / 60, 2) + num(mod % 60, 2);
    const int n = registered();
    int starters = 0;
    for (const Runner& x : runners_) starters += (x.scratched && t >= scratchTime()) ? 0 : 1;

    auto start = [&](const char* kind, int length) {
        std::string rec = header(kind, cat, made, length);
        setField(rec, Odds::AnnounceTime, announce);
        setField(rec, Odds::Registered, num(n, 2));
        setField(rec, Odds::Starters, num(starters, 2));
        return rec;
    };

    std::string o1 = start("O1", RecordLength::O1);
    putWinPlaceBracket(o1, o, n);
    out.push_back(std::move(o1));

    struct OddsRecordPlan {
        const char* kind;
        int length;
        BetKind bet;
        const OddsTable* table;
        const OddsBlock* block;
        Field combo;
        int stride;
        bool frames;
        const OddsBlock* upper;
    };
    const OddsRecordPlan pools[] = {
        {"O2", RecordLength::O2, BetKind::Quinella, &o.quinella, &Odds::Quinella, Odds::PairCombination, 13, false, nullptr},
        {"O3", RecordLength::O3, BetKind::QuinellaPlace, &o.wide, &Odds::Wide, Odds::PairCombination, 17, false, &Odds::WideUpper},
        {"O4", RecordLength::O4, BetKind::Exacta, &o.exacta, &Odds::Exacta, Odds::PairCombination, 13, false, nullptr},
        {"O5", RecordLength::O5, BetKind::Trio, &o.trio, &Odds::Trio, Odds::TripleCombination, 15, false, nullptr},
        {"O6", RecordLength::O6, BetKind::Trifecta, &o.trifecta, &Odds::Trifecta, Odds::TripleCombination, 17, false, nullptr},
        {"OA", RecordLength::OA, BetKind::BracketExacta, &o.bracketExacta, &Odds::BracketExacta,
         Odds::BracketExactaCombination, 10, true, nullptr},
    };
    for (const OddsRecordPlan& s : pools) {
        std::string rec = start(s.kind, s.length);
        setField(rec, Odds::SaleFlag, s.table->sold ? "7" : "0");
        putOddsTable(rec, s.bet, *s.table, *s.block, s.combo, s.stride, s.frames, s.upper, s.frames ? 8 : n);
        setField(rec, Odds::totalOf(s.length), num(s.table->total, 11));
        out.push_back(std::move(rec));
    }
    return out;
}

}  // namespace vex::sim

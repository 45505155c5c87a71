#include "store/odds_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace vex {

OddsFiles::OddsFiles(const DayPaths& p, bool indexed)
    : o1(p.o1, RecordLength::O1, indexed ? RecordFile::Indexed : RecordFile::Seek),
      o2(p.o2, RecordLength::O2, indexed ? RecordFile::Indexed : RecordFile::Seek),
      o3(p.o3, RecordLength::O3, indexed ? RecordFile::Indexed : RecordFile::Seek),
      o4(p.o4, RecordLength::O4, indexed ? RecordFile::Indexed : RecordFile::Seek),
      o5(p.o5, RecordLength::O5, indexed ? RecordFile::Indexed : RecordFile::Seek),
      o6(p.o6, RecordLength::O6, indexed ? RecordFile::Indexed : RecordFile::Seek),
      oa(p.oa, RecordLength::OA, indexed ? RecordFile::Indexed : RecordFile::Seek) {}

namespace {

// Copies the slot's record of one odds kind into its raw copy; no match keeps the previous copy.
// True when the copy was cleared (all spaces).
template <int N>
bool loadRaw(const RecordFile& file, bool lookUp, std::string_view key4, RawRecord<N>& raw, bool clearMissing) {
    std::optional<std::size_t> n;
    if (lookUp && file.exists()) n = file.findTrackRace(key4);
    if (n) {
        file.read(*n, raw.bytes.data());
        return false;
    }
    if (clearMissing) raw.clear();
    return clearMissing;
}

// Odds and popularity of a combination kind from its raw copy.
// A cleared copy holds only blank fields: no data, no popularity. The day load clears most slots
// (days have far fewer than 96 races), so this skips parsing thousands of blanks per slot. The
// block's widths are constants here, so the field readers unroll: over half a million
// combinations a day load.
template <const OddsBlock& Block, int N, std::size_t M>
void parseCombinations(const RawRecord<N>& raw, bool cleared, std::array<double, M>& odds,
                       std::array<int, M>& popularity, int& malformed) {
    static_assert(Block.odds(static_cast<int>(M) - 1).pos - 1 + Block.oddsLength <= N);
    static_assert(Block.popularityLength == 0 ||
                  Block.popularity(static_cast<int>(M) - 1).pos - 1 + Block.popularityLength <= N);
    if (cleared) {
        static const std::array<double, M> noData = [] {
            std::array<double, M> a;
            a.fill(NoData);
            return a;
        }();
        std::copy(noData.begin() + 1, noData.end(), odds.begin() + 1);  // one memmove
        std::fill(popularity.begin() + 1, popularity.end(), 0);         // one memset
        return;
    }
    const char* record = raw.bytes.data();
    for (int k = 1; k < static_cast<int>(M); ++k) {
        bool bad = false;
        const double v = oddsValue({record + Block.odds(k).pos - 1, Block.oddsLength}, &bad);
        if (bad) ++malformed;
        odds[k] = v;
        popularity[k] = v >= 0 ? fieldNumber({record + Block.popularity(k).pos - 1, Block.popularityLength}) : 0;
    }
}

// "%6.1f" of odds read from tenths; written by hand because the day load makes thousands.
void putOdds(std::string& out, double v) {
    long tenths = std::lround(v * 10);
    if (tenths < 0 || tenths > 99999) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%6.1f", v);
        out += buf;
        return;
    }
    char buf[6] = {' ', ' ', ' ', '0', '.', '0'};
    buf[5] = static_cast<char>('0' + tenths % 10);
    long whole = tenths / 10;
    int at = 3;
    do {
        buf[at--] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole > 0 && at >= 0);
    out.append(buf, 6);
}

std::string sortKey(double first, double second, int horse) {
    std::string key;
    key.reserve(14);
    putOdds(key, first);
    putOdds(key, second);
    key += static_cast<char>(horse >= 10 ? '0' + horse / 10 : ' ');
    key += static_cast<char>('0' + horse % 10);
    return key;
}

// Ranks by the text order of the keys, as the working lists do: characters 13-14 name the horse.
void rankKeys(std::vector<std::string>& keys, OneBased<int, kMaxRunners>& popularity) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    for (std::size_t j = 0; j < keys.size(); ++j) {
        int h = fieldNumber(std::string_view(keys[j]).substr(12, 2));
        if (h >= 1 && h <= kMaxRunners) popularity[h] = static_cast<int>(j) + 1;
    }
}

}  // namespace

int readOdds(RaceTable& table, int slot, const OddsFiles& files, bool clearMissing) {
    if (slot < 0 || slot >= kMaxRaces) return 0;
    RaceRecord& race = table.races[static_cast<std::size_t>(slot)];
    RawRecords& raw = table.raw[static_cast<std::size_t>(slot)];
    int malformed = 0;

    // Runner tables back to 0; every combination entry is written below.
    race.winOdds.fill(0);
    race.placeOddsLower.fill(0);
    race.placeOddsUpper.fill(0);
    race.winPopularity.fill(0);
    race.placeLowerPopularity.fill(0);
    race.placeUpperPopularity.fill(0);

    std::string key4;
    key4 += raw.ra.field(Common::Track);
    key4 += raw.ra.field(Common::RaceNumber);
    bool lookUp = raceNumber(raw.ra) > 0 && key4 != "    ";
    bool clearedO1 = loadRaw(files.o1, lookUp, key4, raw.o1, clearMissing);
    bool clearedO2 = loadRaw(files.o2, lookUp, key4, raw.o2, clearMissing);

    std::vector<std::string> winKeys, lowerKeys, upperKeys;
    std::string_view o1 = raw.o1.view();
    int runners = registeredRunners(raw.ra);
    for (int i = 0; i < runners; ++i) {
        int h = i + 1;
        bool badWin = false, badLower = false, badUpper = false;
        double win = oddsValue(fieldOf(o1, Odds::Win.odds(h)), &badWin);
        race.winOdds[h] = win;
        if (win > 0) race.supportRate[h] = 80.0 / win;

        double lower = oddsValue(fieldOf(o1, Odds::PlaceLower.odds(h)), &badLower);
        double upper = lower;
        if (lower >= 0) upper = oddsValue(fieldOf(o1, Odds::PlaceUpper.odds(h)), &badUpper);
        race.placeOddsLower[h] = lower;
        race.placeOddsUpper[h] = upper;
        malformed += badWin + badLower + badUpper;
        if (lower < 0) continue;  // place cancelled or without data: the runner is not ranked
        if (win > 0) winKeys.push_back(sortKey(win, lower, h));
        if (lower > 0) lowerKeys.push_back(sortKey(lower, upper, h));
        if (upper > 0) upperKeys.push_back(sortKey(upper, lower, h));
    }
    parseCombinations<Odds::BracketQuinella>(raw.o1, clearedO1, race.bracketQuinellaOdds,
                      race.bracketQuinellaPopularity, malformed);
    parseCombinations<Odds::Quinella>(raw.o2, clearedO2, race.quinellaOdds, race.quinellaPopularity, malformed);
    rankKeys(winKeys, race.winPopularity);
    rankKeys(lowerKeys, race.placeLowerPopularity);
    rankKeys(upperKeys, race.placeUpperPopularity);
    race.oddsAnnounceTime.assign(fieldOf(o1, Odds::AnnounceHour));
    race.oddsAnnounceTime.append(fieldOf(o1, Odds::AnnounceMinute));

    bool clearedO3 = loadRaw(files.o3, lookUp, key4, raw.o3, clearMissing);
    bool clearedO4 = loadRaw(files.o4, lookUp, key4, raw.o4, clearMissing);
    bool clearedO5 = loadRaw(files.o5, lookUp, key4, raw.o5, clearMissing);
    bool clearedO6 = loadRaw(files.o6, lookUp, key4, raw.o6, clearMissing);
    bool clearedOA = loadRaw(files.oa, lookUp, key4, raw.oa, clearMissing);
    parseCombinations<Odds::Wide>(raw.o3, clearedO3, race.wideOdds, race.widePopularity, malformed);
    parseCombinations<Odds::Exacta>(raw.o4, clearedO4, race.exactaOdds, race.exactaPopularity, malformed);
    parseCombinations<Odds::Trio>(raw.o5, clearedO5, race.trioOdds, race.trioPopularity, malformed);
    parseCombinations<Odds::Trifecta>(raw.o6, clearedO6, race.trifectaOdds, race.trifectaPopularity, malformed);
    parseCombinations<Odds::BracketExacta>(raw.oa, clearedOA, race.bracketExactaOdds, race.bracketExactaPopularity, malformed);
    return malformed;
}

int readOdds(RaceTable& table) {
    table.takeSlot(table.oddsTargetSlot);
    OddsFiles files(table.paths);
    return readOdds(table, table.oddsTargetSlot, files);
}

}  // namespace vex

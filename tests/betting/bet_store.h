#pragma once
// A small store built by hand for the command-line tests: one day (2024年01月15日) at 大井 with race
// 10 (8 runners) and race 11 (14 runners), runner records and odds of every kind. The odds written
// are given by storedOdds(), so tests can recompute every list from them.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/records.h"
#include "vocabulary/bet_kinds.h"
#include "vocabulary/codes.h"

namespace vex::test {

inline constexpr const char* kStoreDate = "20240115";
inline constexpr int kStoreRunners = 14;

// Odds of combination k of a kind in race 11, in tenths; -1 cancelled ("----"), -2 no data (blank).
inline int storedOddsTenths(BetKind kind, int k) {
    if (kind == BetKind::Quinella && k == 2) return -1;
    if (kind == BetKind::Trifecta && k == 5) return -2;
    if (kind == BetKind::Exacta && k == 3) return -1;
    return 10 + (k * 37 + static_cast<int>(kind) * 11) % 400;
}
inline int storedPopularity(BetKind kind, int k, int width) {
    int mod = 1;
    for (int i = 0; i < width; ++i) mod *= 10;
    return (k * 7 + static_cast<int>(kind)) % (mod - 1) + 1;
}
// Win odds: distinct per horse, so the popularity is the rank of the odds.
inline int winOddsTenths(int h) { return 20 + ((h * 5) % 14) * 10; }
inline int winPopularityOf(int h) { return (h * 5) % 14 + 1; }
inline int placeLowerTenths(int h) { return 11 + h; }

namespace store_detail {

inline std::string key(int race) { return raceKey(kStoreDate, "44", race, 3, 5); }
inline Record& putOdds(Record& r, const OddsBlock& block, BetKind kind, int k) {
    const int tenths = storedOddsTenths(kind, k);
    return r.odds(block, k, tenths == -1 ? Record::kCancelled : tenths == -2 ? Record::kNoOdds : tenths,
                  tenths > 0 ? storedPopularity(kind, k, block.popularityLength) : 0);
}

}  // namespace store_detail

struct BetStoreRecords {
    std::vector<std::string> ras, o1s;
    std::map<int, std::string> slots;  // runner records by .nvSEr slot
};

inline BetStoreRecords betStoreRecords(const std::string& postTime11) {
    using namespace store_detail;
    BetStoreRecords out;
    auto& ras = out.ras;
    auto& slots = out.slots;
    auto& o1s = out.o1s;
    for (int race : {10, 11}) {
        const int runners = race == 11 ? kStoreRunners : 8;
        ras.push_back(Record::ra(key(race)).runners(runners).post(race == 11 ? postTime11 : "1600"));
        Record o1 = Record::of("O1", key(race));
        for (int h = 1; h <= runners; ++h) {
            slots[(race - 1) * 18 + h - 1] =
                Record::se(key(race)).frame(FrameOfHorse(runners, h)).horse(h).reg(digits(2020000000 + race * 100 + h, 10));
            o1.odds(Odds::Win, h, winOddsTenths(h))
                .odds(Odds::PlaceLower, h, placeLowerTenths(h))
                .odds(Odds::PlaceUpper, h, placeLowerTenths(h) + 9);
        }
        if (race == 11)
            for (int k = 1; k <= 36; ++k) putOdds(o1, Odds::BracketQuinella, BetKind::BracketQuinella, k);
        o1s.push_back(o1);
    }
    return out;
}

// The race and runner records as a feed's difference file, for the control's feed replay (whose
// betting account takes its race facts from them).
inline void writeFeedDiff(const std::filesystem::path& file, const std::string& postTime11 = "1630") {
    const BetStoreRecords records = betStoreRecords(postTime11);
    std::vector<std::string> all = records.ras;
    for (const auto& [slot, se] : records.slots) all.push_back(se);
    writeRecords(file, all);
}

// Writes the store into the application folder (VEXMORA_HOME must point at it).
inline void writeBetStore(const std::string& postTime11 = "1630") {
    const BetStoreRecords records = betStoreRecords(postTime11);
    StoreDay day(kStoreDate);
    for (const auto& r : records.ras) day.add(r);
    for (const auto& r : records.o1s) day.add(r);
    for (const auto& [slot, se] : records.slots) day.add(se);
    const std::pair<OddsBlock, BetKind> kinds[] = {
        {Odds::Quinella, BetKind::Quinella}, {Odds::Wide, BetKind::QuinellaPlace}, {Odds::Exacta, BetKind::Exacta},
        {Odds::Trio, BetKind::Trio},         {Odds::Trifecta, BetKind::Trifecta}, {Odds::BracketExacta, BetKind::BracketExacta}};
    for (const auto& [block, bet] : kinds) {
        Record r = Record::of(betKindInfo(bet).oddsRecord, store_detail::key(11));
        for (int k = 1; k <= CombinationCount(bet); ++k) store_detail::putOdds(r, block, bet, k);
        day.add(r);
    }
    day.write();
}

}  // namespace vex::test

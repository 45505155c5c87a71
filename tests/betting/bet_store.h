#pragma once
// A small store built by hand for the command-line tests: one day (2024年01月15日) at 大井 with race
// 10 (8 runners) and race 11 (14 runners), runner records and odds of every kind. The odds written
// are given by storedOdds(), so tests can recompute every list from them.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
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

inline std::string key(int race) {
    char b[32];
    std::snprintf(b, sizeof b, "%s440305%02d", kStoreDate, race);
    return b;
}
inline std::string record(const char* kind, int length, int race) {
    std::string r(static_cast<std::size_t>(length - 2), ' ');
    r += "\r\n";
    setField(r, Common::Kind, kind);
    setField(r, Common::CategoryAndDate, "000000000");
    setField(r, Common::RaceKey, key(race));
    return r;
}
inline std::string number(int v, int width) { return formatText("%0*d", width, v); }
inline void putOdds(std::string& r, const OddsBlock& block, BetKind kind, int k) {
    const int tenths = storedOddsTenths(kind, k);
    if (tenths == -1) setField(r, block.odds(k), std::string(block.oddsLength, '-'));
    else if (tenths == -2) setField(r, block.odds(k), std::string(block.oddsLength, ' '));
    else setField(r, block.odds(k), number(tenths, block.oddsLength));
    if (block.popularityLength > 0 && tenths > 0)
        setField(r, block.popularity(k), number(storedPopularity(kind, k, block.popularityLength), block.popularityLength));
}
inline void write(const std::filesystem::path& file, const std::vector<std::string>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += r;
    std::filesystem::create_directories(file.parent_path());
    writeFileAtomic(file, bytes);
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
        std::string ra = record("RA", RecordLength::RA, race);
        setField(ra, RA::Registered, number(runners, 2));
        setField(ra, RA::PostTime, race == 11 ? postTime11 : "1600");
        ras.push_back(ra);
        std::string o1 = record("O1", RecordLength::O1, race);
        for (int h = 1; h <= runners; ++h) {
            std::string se = record("SE", RecordLength::SE, race);
            setField(se, SE::Frame, std::to_string(FrameOfHorse(runners, h)));
            setField(se, SE::Horse, number(h, 2));
            setField(se, SE::RegistrationNumber, number(2020000000 + race * 100 + h, 10));
            slots[(race - 1) * 18 + h - 1] = se;
            setField(o1, Odds::Win.odds(h), number(winOddsTenths(h), 4));
            setField(o1, Odds::PlaceLower.odds(h), number(placeLowerTenths(h), 4));
            setField(o1, Odds::PlaceUpper.odds(h), number(placeLowerTenths(h) + 9, 4));
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
    store_detail::write(file, all);
}

// Writes the store into the application folder (VEXMORA_HOME must point at it).
inline void writeBetStore(const std::string& postTime11 = "1630") {
    using namespace store_detail;
    const std::string stamp = dayStamp(kStoreDate);
    const BetStoreRecords records = betStoreRecords(postTime11);
    const auto& ras = records.ras;
    const auto& o1s = records.o1s;
    const auto& slots = records.slots;
    write(dayFilePath(stamp, DayFile::RA), ras);
    write(dayFilePath(stamp, DayFile::O1), o1s);
    std::string empty(RecordLength::SE - 2, ' ');
    empty += "\r\n";
    std::vector<std::string> runnerSlots(216, empty);
    for (auto& [slot, se] : slots) runnerSlots[static_cast<std::size_t>(slot)] = se;
    write(runnerFilePath(stamp, "44"), runnerSlots);

    struct OddsFile {
        DayFile file;
        const char* kind;
        int length;
        OddsBlock block;
        BetKind bet;
    } files[] = {{DayFile::O2, "O2", RecordLength::O2, Odds::Quinella, BetKind::Quinella},
                 {DayFile::O3, "O3", RecordLength::O3, Odds::Wide, BetKind::QuinellaPlace},
                 {DayFile::O4, "O4", RecordLength::O4, Odds::Exacta, BetKind::Exacta},
                 {DayFile::O5, "O5", RecordLength::O5, Odds::Trio, BetKind::Trio},
                 {DayFile::O6, "O6", RecordLength::O6, Odds::Trifecta, BetKind::Trifecta},
                 {DayFile::OA, "OA", RecordLength::OA, Odds::BracketExacta, BetKind::BracketExacta}};
    for (const OddsFile& f : files) {
        std::string r = record(f.kind, f.length, 11);
        for (int k = 1; k <= CombinationCount(f.bet); ++k) putOdds(r, f.block, f.bet, k);
        write(dayFilePath(stamp, f.file), {r});
    }
}

}  // namespace vex::test

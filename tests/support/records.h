#pragma once
// The one way tests (and benchmarks) build the data service's fixed-width CP932 records and the
// store files made of them. Header-only and free of test frameworks, so window tests, benchmarks
// and fuzz targets use it too.
//
//   std::string ra = Record::ra(raceKey("20240512", "44", 11)).runners(12).post("1630");
//   std::string se = Record::se(key).horse(3).frame(2).reg("2019000003").name("テストホース");
//   StoreDay day("20240512");  day.add(ra).add(se);  day.write();   // into the application folder
//
// A record starts blank (spaces) with its kind and race key and "000000000" where the store keeps
// the category and the make date; sent(c) gives it the category and make date of a record as the
// service sends it. Text values are UTF-8 source literals, turned into CP932.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/race_table.h"
#include "store/record_layout.h"
#include "store/store_paths.h"
#include "vocabulary/codes.h"
#include "vocabulary/cp932.h"

namespace vex::test {

// `v` right-aligned in `width` digits with leading zeros.
inline std::string digits(long long v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return s;
}
inline std::string two(int v) { return digits(v, 2); }

// yyyymmdd + track + meeting + day + race.
inline std::string raceKey(std::string_view yyyymmdd, std::string_view track, int race, int meeting = 1,
                           int day = 1) {
    return std::string(yyyymmdd) + std::string(track) + two(meeting) + two(day) + two(race);
}

inline int recordLengthOf(std::string_view kind) {
    static const std::map<std::string, int, std::less<>> lengths = {
        {"RA", RecordLength::RA}, {"SE", RecordLength::SE}, {"HR", RecordLength::HR},
        {"O1", RecordLength::O1}, {"O2", RecordLength::O2}, {"O3", RecordLength::O3},
        {"O4", RecordLength::O4}, {"O5", RecordLength::O5}, {"O6", RecordLength::O6},
        {"OA", RecordLength::OA}};
    auto it = lengths.find(kind);
    return it == lengths.end() ? 0 : it->second;
}

class Record {
public:
    // A record of `length` bytes, CR LF included.
    Record(std::string_view kind, int length, std::string_view key) : bytes_(static_cast<std::size_t>(length - 2), ' ') {
        bytes_ += "\r\n";
        set(Common::Kind, kind).set(Common::CategoryAndDate, "000000000").set(Common::RaceKey, key);
    }
    // An existing record, to change fields of.
    explicit Record(std::string bytes) : bytes_(std::move(bytes)) {}
    // A record of a kind the store keeps, at its fixed length.
    static Record of(std::string_view kind, std::string_view key) { return {kind, recordLengthOf(kind), key}; }
    static Record ra(std::string_view key) { return of("RA", key); }
    static Record se(std::string_view key) { return of("SE", key); }
    static Record hr(std::string_view key) { return of("HR", key); }

    // As the service sends it: data category and the day it was made.
    Record& sent(char category, std::string_view madeOn = "20240101") {
        bytes_[2] = category;
        return set(Common::MakeDate, madeOn);
    }
    Record& set(Field f, std::string_view raw) {
        setField(bytes_, f, raw);
        return *this;
    }
    Record& text(Field f, std::string_view utf8) { return set(f, sj(utf8)); }
    Record& num(Field f, long long v) { return set(f, digits(v, f.len)); }
    // Every byte after the common header replaced by a pattern that changes with the position, so
    // copies of fields nobody reads can be checked byte for byte. Call before setting fields.
    Record& patterned(int seed, char first = 'A', int range = 26, int from = 2) {
        const std::string kind(field(Common::Kind)), key(field(Common::RaceKey));
        for (std::size_t i = static_cast<std::size_t>(from); i + 2 < bytes_.size(); ++i)
            bytes_[i] = static_cast<char>(first + (static_cast<int>(i) * 7 + seed) % range);
        return set(Common::CategoryAndDate, "000000000").set(Common::Kind, kind).set(Common::RaceKey, key);
    }

    // ---- race (RA)
    Record& runners(int n) { return num(RA::Registered, n); }
    Record& post(std::string_view hhmm) { return set(RA::PostTime, hhmm); }

    // ---- runner (SE)
    Record& frame(int f) { return set(SE::Frame, std::to_string(f)); }
    Record& horse(int h) { return num(SE::Horse, h); }
    Record& reg(std::string_view number) { return set(SE::RegistrationNumber, number); }
    Record& name(std::string_view utf8) { return text(SE::HorseName, utf8); }
    Record& finish(int position) { return num(SE::FinishPosition, position); }
    Record& corners(int c1, int c2, int c3, int c4) {
        const int c[4] = {c1, c2, c3, c4};
        for (int k = 1; k <= 4; ++k) num(SE::Corner.at(k, 2), c[k - 1]);
        return *this;
    }

    // ---- odds (O1..O6, OA): tenths, or kCancelled ("----") or kNoOdds (blank)
    static constexpr int kCancelled = -1, kNoOdds = -2;
    Record& odds(const OddsBlock& block, int k, int tenths, int popularity = 0) {
        if (tenths == kCancelled) set(block.odds(k), std::string(static_cast<std::size_t>(block.oddsLength), '-'));
        else if (tenths == kNoOdds) set(block.odds(k), "");
        else set(block.odds(k), digits(tenths, block.oddsLength));
        if (block.popularityLength > 0 && popularity > 0)
            set(block.popularity(k), digits(popularity, block.popularityLength));
        return *this;
    }

    // ---- payouts (HR): combination digits, yen, popularity
    Record& payout(const PayoutBlock& block, int j, std::string_view combination, long long yen, int popularity) {
        set(block.combination(j), combination);
        set(block.payout(j), digits(yen, 9));
        return set(block.popularity(j), digits(popularity, block.popularityLength));
    }

    std::string_view field(Field f) const { return fieldOf(bytes_, f); }
    const std::string& str() const { return bytes_; }
    operator const std::string&() const { return bytes_; }

private:
    std::string bytes_;
};

// A Compi line (CP932, no CR LF): date, track short name, race, the (horse, value) pairs in rank
// order, the recommended horse, the (frame, value) pairs and the recommended frame; 0 leaves a
// recommendation blank.
inline std::string compiLine(std::string_view date8, std::string_view trackCode, int race,
                             const std::vector<std::pair<int, int>>& horses, int recommended,
                             const std::vector<std::pair<int, int>>& frames = {}, int recommendedFrame = 0) {
    auto pairs = [](const std::vector<std::pair<int, int>>& list, std::size_t count) {
        std::string out;
        char b[16];
        for (std::size_t k = 0; k < count; ++k) {
            if (k < list.size()) std::snprintf(b, sizeof b, "%2d%2d", list[k].first, list[k].second);
            out += k < list.size() ? b : "    ";
        }
        return out;
    };
    auto number = [](int v) { return v > 0 ? std::string(v < 10 ? " " : "") + std::to_string(v) : std::string("  "); };
    return std::string(date8) + TrackName(trackCode, 2) + number(race) + pairs(horses, 18) + number(recommended) +
           pairs(frames, 8) + number(recommendedFrame);
}

// An empty slot of a runner file: a blank SE-length line.
inline std::string emptyRunnerSlot() { return std::string(RecordLength::SE - 2, ' ') + "\r\n"; }

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string joined(const std::vector<std::string>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += r;
    return bytes;
}

inline void writeRecords(const std::filesystem::path& file, const std::vector<std::string>& records) {
    writeBytes(file, joined(records));
}
// A .nvSEr file: every slot empty but the given ones.
inline void writeRunnerFile(const std::filesystem::path& file, const std::map<int, std::string>& bySlot) {
    std::vector<std::string> slotRecords(kSlotCount, emptyRunnerSlot());
    for (const auto& [slot, record] : bySlot) slotRecords.at(static_cast<std::size_t>(slot)) = record;
    writeRecords(file, slotRecords);
}

// One race day of the store, collected record by record and written into the application folder
// (or any folder given to write). Races and payouts go to the day files in the order added; odds
// to their kind's file; runners into their .nvSEr slot ((race - 1) × 18 + horse - 1, or the slot
// given); past runs and past races into SEI/ and SEIR/.
class StoreDay {
public:
    explicit StoreDay(std::string_view yyyymmdd) : date_(yyyymmdd), stamp_(dayStamp(yyyymmdd)) {}
    const std::string& stamp() const { return stamp_; }

    StoreDay& add(const std::string& record) {
        const std::string kind(fieldOf(record, Common::Kind));
        if (kind == "SE") return runner(record);
        if (kind == "RA") dayFiles_[DayFile::RA] += record;
        else if (kind == "HR") dayFiles_[DayFile::HR] += record;
        else if (auto odds = oddsDayFileOfKind(kind)) dayFiles_[*odds] += record;
        return *this;
    }
    StoreDay& runner(const std::string& se, int slot = -1) {
        const std::string track(fieldOf(se, Common::Track));
        if (slot < 0) slot = (fieldNumber(fieldOf(se, Common::RaceNumber)) - 1) * kSlotHorses +
                             fieldNumber(fieldOf(se, SE::Horse)) - 1;
        auto& slotRecords = runnerSlots_[track];
        if (slotRecords.empty()) slotRecords.assign(kSlotCount, emptyRunnerSlot());
        slotRecords.at(static_cast<std::size_t>(slot)) = se;
        return *this;
    }
    // A run on the horse's own file (SEI/), in the order added.
    StoreDay& pastRun(const std::string& se) {
        pastRuns_[std::string(fieldOf(se, SE::RegistrationNumber))] += se;
        return *this;
    }
    // A race of another day (SEIR/ of its date and track).
    StoreDay& pastRace(const std::string& ra) {
        pastRaces_[std::string(fieldOf(ra, Common::Date)) + std::string(fieldOf(ra, Common::Track))] += ra;
        return *this;
    }
    // A Compi file of a track (lines without their CR LF, CP932).
    StoreDay& compi(std::string_view track, const std::vector<std::string>& lines) {
        std::string bytes;
        for (const auto& l : lines) bytes += l + "\r\n";
        compi_[std::string(track)] = bytes;
        return *this;
    }

    // Every file of the day: path under the application folder `root` -> bytes.
    std::map<std::filesystem::path, std::string> files(const std::filesystem::path& root) const {
        namespace fs = std::filesystem;
        std::map<fs::path, std::string> out;
        // The store's path functions name files under the application folder; taken relative to
        // it, they can be put under any root.
        const fs::path home = dataFolder().parent_path();
        auto under = [&](const fs::path& p) { return root / p.lexically_relative(home); };
        for (const auto& [kind, bytes] : dayFiles_) out[under(dayFilePath(stamp_, kind))] = bytes;
        for (const auto& [track, slotRecords] : runnerSlots_) out[under(runnerFilePath(stamp_, track))] = joined(slotRecords);
        for (const auto& [reg, bytes] : pastRuns_) out[under(pastRunFilePath(reg))] = bytes;
        for (const auto& [dateTrack, bytes] : pastRaces_)
            out[under(pastRaceFilePath(dateTrack.substr(0, 8), dateTrack.substr(8)))] = bytes;
        for (const auto& [track, bytes] : compi_) out[under(compiFilePath(stamp_, track))] = bytes;
        return out;
    }
    // Writes the files; `root` defaults to the application folder (VEXMORA_HOME).
    std::vector<std::filesystem::path> write(std::filesystem::path root = {}) const {
        if (root.empty()) root = dataFolder().parent_path();
        std::vector<std::filesystem::path> written;
        for (const auto& [path, bytes] : files(root)) {
            writeBytes(path, bytes);
            written.push_back(path);
        }
        return written;
    }

private:
    std::string date_, stamp_;
    std::map<DayFile, std::string> dayFiles_;
    std::map<std::string, std::vector<std::string>> runnerSlots_;
    std::map<std::string, std::string> pastRuns_, pastRaces_, compi_;
};

}  // namespace vex::test

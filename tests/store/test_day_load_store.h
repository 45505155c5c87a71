#pragma once
// A hand-built store for the day-load tests: records of the fixed layouts written into the files
// of a temporary application folder.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/atomic_file.h"
#include "store/record_layout.h"
#include "vocabulary/cp932.h"

namespace vex::test {

// A record of `length` bytes (CR LF included): the body filled with a position-dependent pattern
// so that copies of unread fields can be checked byte for byte, then kind and race key.
inline std::string patterned(std::string_view kind, int length, std::string_view key, int seed) {
    std::string r(static_cast<std::size_t>(length - 2), ' ');
    for (int i = 2; i < length - 2; ++i) r[static_cast<std::size_t>(i)] = static_cast<char>('A' + (i * 7 + seed) % 26);
    r += "\r\n";
    setField(r, Common::Kind, kind);
    setField(r, Common::CategoryAndDate, "000000000");
    setField(r, Common::RaceKey, key);
    return r;
}

inline std::string blankRecord(std::string_view kind, int length, std::string_view key) {
    std::string r(static_cast<std::size_t>(length - 2), ' ');
    r += "\r\n";
    setField(r, Common::Kind, kind);
    setField(r, Common::CategoryAndDate, "000000000");
    setField(r, Common::RaceKey, key);
    return r;
}

inline std::string key16(std::string_view date8, std::string_view track, int race) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", race);
    return std::string(date8) + std::string(track) + "0305" + buf;
}

inline std::string two(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

inline std::string ra(std::string_view date8, std::string_view track, int race, int runners, std::string_view post,
                      int seed = 1) {
    std::string r = patterned("RA", RecordLength::RA, key16(date8, track, race), seed);
    setField(r, RA::Registered, two(runners));
    setField(r, RA::PostTime, post);
    return r;
}

struct Runner {
    int horse = 1, frame = 1;
    std::string reg;             // 10 characters
    int finish = 0;              // 0 = none
    std::string weight = "470";  // body weight
    int corner2 = 5, corner3 = 5, corner4 = 5;
    std::string winOdds = "0035";
};

inline std::string se(std::string_view date8, std::string_view track, int race, const Runner& x, int seed = 3) {
    std::string r = patterned("SE", RecordLength::SE, key16(date8, track, race), seed + x.horse);
    setField(r, Common::Category, "7");
    setField(r, SE::Frame, std::to_string(x.frame));
    setField(r, SE::Horse, two(x.horse));
    setField(r, SE::RegistrationNumber, x.reg);
    setField(r, SE::BodyWeight, x.weight);
    setField(r, SE::FinishPosition, two(x.finish));
    setField(r, SE::Corner.at(1, 2), "09");
    setField(r, SE::Corner.at(2, 2), two(x.corner2));
    setField(r, SE::Corner.at(3, 2), two(x.corner3));
    setField(r, SE::Corner.at(4, 2), two(x.corner4));
    setField(r, SE::WinOdds, x.winOdds);
    setField(r, SE::WinPopularity, two(x.horse));
    return r;
}

inline void writeRecords(const std::filesystem::path& file, const std::vector<std::string>& records) {
    std::string bytes;
    for (const auto& r : records) bytes += r;
    std::filesystem::create_directories(file.parent_path());
    writeFileAtomic(file, bytes);
}

// A .nvSEr file: 216 slots, the given runners in theirs, the rest empty.
inline void writeRunnerFile(const std::filesystem::path& file, const std::map<int, std::string>& bySlot) {
    std::string empty(553, ' ');
    empty += "\r\n";
    std::vector<std::string> slots(216, empty);
    for (const auto& [slot, record] : bySlot) slots[static_cast<std::size_t>(slot)] = record;
    writeRecords(file, slots);
}

// An HR entry: combination digits, payout (9 digits), popularity.
inline void setPayout(std::string& hr, const PayoutBlock& block, int j, std::string_view combination, int payout,
                      int popularity) {
    setField(hr, block.combination(j), combination);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%09d", payout);
    setField(hr, block.payout(j), buf);
    std::snprintf(buf, sizeof buf, "%0*d", block.popularityLength, popularity);
    setField(hr, block.popularity(j), buf);
}

}  // namespace vex::test

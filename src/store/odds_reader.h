#pragma once
// The odds reader: turns the day's odds files into the numeric odds and popularity tables of one
// race slot. The day load reads every slot; the real-time and timed refreshes read one slot after
// they have stored fresh odds.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <array>

#include "store/race_table.h"

namespace vex {

// A store file seen as an array of fixed-size records (record n at byte n × length). A missing file
// has no records. Reads go through seeks, or through memory when the file was loaded whole (the
// day load does that once per file instead of scanning it 96 times). A trailing partial record is
// not a record. An existing file that cannot be opened or read raises std::runtime_error.
//
// Beside the store's RecordFile this one reads single fields and can serve from memory: scanning
// for keys must not read whole records, and the day load must not read the trifecta file 96 times.
class RecordArray {
public:
    enum Mode {
        Seek,     // every read is a positioned read
        Whole,    // the file is read at once; reads are served from memory (small files)
        Indexed,  // the race keys are read once; records are read straight into their copies
    };
    RecordArray(std::filesystem::path file, int recordLength, Mode mode = Seek);
    RecordArray(std::filesystem::path file, int recordLength, bool wholeInMemory)
        : RecordArray(std::move(file), recordLength, wholeInMemory ? Whole : Seek) {}
    ~RecordArray();
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    bool exists() const { return exists_; }
    int count() const { return count_; }
    int recordLength() const { return length_; }
    // Copies `len` bytes from `offset` of record n into `out`; false when n is out of range.
    bool read(int n, int offset, int len, char* out) const;
    bool readRecord(int n, char* out) const { return read(n, 0, length_, out); }
    // First record (in file order) whose track code and race number (positions 20-21, 26-27)
    // equal `key4`; -1 when none.
    int findTrackRace(std::string_view key4) const;
    // First record whose 16-byte race key (positions 12-27) equals `key`; -1 when none.
    int findRaceKey(std::string_view key) const;

private:
    std::filesystem::path file_;
    int length_;
    int fd_ = -1;
    bool exists_ = false;
    int count_ = 0;
    std::string bytes_;  // whole file when loaded in memory
    bool inMemory_ = false;
    std::vector<std::array<char, 16>> keys_;  // Indexed: positions 12-27 of every record
};

// The day's seven odds files, opened once for a series of slot reads.
struct OddsFiles {
    // `indexed`: for a series of slot reads (the day load), each file's keys are read once.
    explicit OddsFiles(const DayPaths& paths, bool indexed = false);
    RecordArray o1, o2, o3, o4, o5, o6, oa;
};

// How one odds field reads: Cancelled for all hyphens or all asterisks, NoData for blank, odds ÷ 10
// for digits. A field that is none of these (a stray byte, a sign, a point) is NoData too: one bad
// field must not stop the rest of the race from being read. `malformed` is set in that case.
double oddsValue(std::string_view field, bool* malformed = nullptr);

// Reads the odds of slot `slot` from `files` (the day load passes its open set).
// Returns the number of malformed odds fields met (read as NoData).
// `clearMissing`: a copy whose record is not found becomes spaces (the day load, which leaves the
// clearing of the odds copies to this read) instead of keeping its previous content.
int readOdds(RaceTable& table, int slot, const OddsFiles& files, bool clearMissing = false);
// Reads the odds of table.OddsTargetRace from the loaded day's files (the refreshes' entry point).
int readOdds(RaceTable& table);

}  // namespace vex

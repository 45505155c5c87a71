#pragma once
// Reading the store's record files: fields by the layout table, lenient numbers, fixed-size record
// files (read with seeks or from memory), the lookups and the past-run rules. A missing file is
// never an error here: it simply yields nothing. Short or malformed records yield blanks and zeros,
// never a crash.
#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/file_read.h"
#include "store/record_layout.h"
#include "vocabulary/fields.h"

namespace vex {

// ---- numbers

// Blank or "0000": the year of an empty race slot.
bool isEmptyYear(std::string_view yearField);

// ---- one record

// A record's bytes, not owned. Fields past the end of a short record read as empty (blank, 0).
class RecordView {
public:
    RecordView() = default;
    RecordView(std::string_view bytes) : bytes_(bytes) {}  // NOLINT: views convert freely

    std::string_view bytes() const { return bytes_; }
    std::string_view text(Field f) const { return fieldOf(bytes_, f); }
    // Lenient: blank or non-digits give 0.
    long long number(Field f) const { return vex::strictNumber(text(f)).value_or(0); }
    std::optional<long long> strictNumber(Field f) const { return vex::strictNumber(text(f)); }
    bool blank(Field f) const { return isSpaces(text(f)); }

    std::string_view kind() const { return text(Common::Kind); }
    std::string_view raceKey() const { return text(Common::RaceKey); }
    std::string_view trackCode() const { return text(Common::Track); }
    int track() const { return static_cast<int>(number(Common::Track)); }
    int race() const { return static_cast<int>(number(Common::RaceNumber)); }
    // yyyymmdd as a number, 0 when not digits.
    long long date() const { return number(Common::Date); }
    // Track code + race number, the 4 characters that find a race's odds record.
    std::string trackAndRace() const;
    bool emptyYear() const { return isEmptyYear(text(Common::Year)); }

private:
    std::string_view bytes_;
};

// A record line: the record up to its first line end (CR LF, LF), without it.
std::string_view recordLine(std::string_view received);

// ---- fixed-size record files

// Raised for a record file that exists but cannot be opened or read (also when it shrinks while
// being read): the day load must not take an unreadable file for an empty one.
using RecordFileError = FileReadError;

// A record file read as an array of fixed-size records (record n starts at byte n * length). A
// missing file (or a folder of that name) has no records; a cut last record is not a record. An
// existing file that cannot be opened or read raises RecordFileError.
class RecordFile {
public:
    // Chosen for the way the file is used; every mode reads the same records.
    enum Mode {
        Seek,     // the file is opened once; every read is a positioned read
        Whole,    // the file is read at once and reads are served from memory (small files, and
                  // files read record after record)
        Indexed,  // positioned reads, but the race keys are read once up front, so that a series of
                  // lookups does not read the file again (the day load's 96 odds lookups per file)
    };
    RecordFile(const std::filesystem::path& file, int recordLength, Mode mode = Seek);
    ~RecordFile();
    RecordFile(RecordFile&& other) noexcept;
    RecordFile& operator=(RecordFile&& other) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    const std::filesystem::path& file() const { return file_; }
    // The file exists as a regular file (it may still hold no complete record).
    bool exists() const { return exists_; }
    int recordLength() const { return length_; }
    // Number of complete records.
    std::size_t count() const { return count_; }
    // Bytes after the last complete record: not 0 when the file was cut inside a record.
    std::size_t strayBytes() const { return stray_; }

    // Copies `len` bytes from `offset` of record n into `dest`; false, and `dest` untouched, when
    // there is no such record or the span leaves the record.
    bool read(std::size_t n, int offset, int len, char* dest) const;
    // Copies record n, CR LF included, to `dest` (recordLength bytes).
    bool read(std::size_t n, char* dest) const { return read(n, 0, length_, dest); }
    // Record n into `out` (resized to recordLength); `out` untouched when absent.
    bool read(std::size_t n, std::string& out) const;

    // First record, in file order, whose track code + race number (positions 20-21 + 26-27) equal
    // `trackAndRace` (4 characters).
    std::optional<std::size_t> findTrackRace(std::string_view trackAndRace) const;
    // First record, in file order, whose 16-character race key (positions 12-27) equals `raceKey`.
    std::optional<std::size_t> findRaceKey(std::string_view raceKey) const;

private:
    // The race key span of record n: from the index, or read into `buffer`.
    const char* raceKeyOf(std::size_t n, char* buffer) const;
    void close();

    std::filesystem::path file_;  // for the error texts
    int length_ = 0;
    int fd_ = -1;
    bool exists_ = false;
    std::size_t count_ = 0;
    std::size_t stray_ = 0;
    std::string bytes_;                        // Whole: the file
    bool inMemory_ = false;
    std::vector<std::array<char, 16>> keys_;  // Indexed: positions 12-27 of every record
};

// Calls `visit` with each complete record of the file in file order until it returns false.
// Nothing happens for a missing or unreadable file.
void forEachRecord(const std::filesystem::path& file, int recordLength,
                   const std::function<bool(std::string_view record)>& visit);

// ---- the lookups

// The lookups below open the file for one look: a missing or unreadable file gives nullopt.
// First record, in file order, whose track code + race number (positions 20-21 + 26-27) equal
// `trackAndRace` (4 characters). For the odds day files.
std::optional<std::string> findOddsRecord(const std::filesystem::path& file, int recordLength,
                                          std::string_view trackAndRace);
// First record, in file order, whose 16-character race key equals `raceKey`. For the payout file.
std::optional<std::string> findRecordByKey(const std::filesystem::path& file, int recordLength,
                                           std::string_view raceKey);
// Slot of horse index `slot` (0-based) of race `raceNumber` in a .nvSEr file; nullopt when the
// race or slot is outside the file's 12 x 18 slots.
std::optional<std::size_t> runnerSlotIndex(int raceNumber, int slot);
// The runner record of that slot (CR LF included), nullopt when the file or slot is missing.
std::optional<std::string> readRunnerSlot(const std::filesystem::path& file, int raceNumber, int slot);

// ---- past runs

// The .nvSEI file of the runner of `seRecord`; nullopt when its registration number cannot name a
// file.
std::optional<std::filesystem::path> pastRunFileOf(RecordView seRecord);

// Indexes of the past runs in a .nvSEI file, most recent first, at most `limit`: scanning from the
// last record to the first, a record counts when its date is above 0 and below `currentDate`
// (yyyymmdd), and `currentDate` is above 0. A record that cannot be read is passed over.
std::vector<std::size_t> pastRunIndexes(const RecordFile& file, long long currentDate, int limit = 3);
// The past runs themselves (records with CR LF), most recent first.
std::vector<std::string> pastRuns(const std::filesystem::path& seiFile, long long currentDate, int limit = 3);

// Central tracks (01-10): their day files hold every track's races.
bool isCentralTrack(int track);

// The race record of a past run (an SE record): for central tracks 01-10 the first record of
// Data/<day stamp>.nvRA with the same track and race number; otherwise the first record of
// SEIR/<year>/<date + track>.nvSERA with the same race number. nullopt when not found.
std::optional<std::string> pastRaceRecord(RecordView pastRun);
// Where pastRaceRecord looks; nullopt when the record's bytes cannot name a file.
std::optional<std::filesystem::path> pastRaceFileOf(RecordView pastRun);

}  // namespace vex

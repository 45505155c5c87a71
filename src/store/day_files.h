#pragma once
// The store files of one race day as the readers meet them: the day stamp, the runner files of the
// day's tracks, and the files found cut inside a record.
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "store/race_table.h"

namespace vex {

class RecordFile;

// The store files of a load found cut inside a record; noted from the loading threads.
class DamagedFiles {
public:
    void note(const RecordFile& file);
    // A file by its path and size (those the load does not open itself).
    void note(const std::filesystem::path& file, int recordLength);
    // The message for the user, empty when every file was whole.
    std::string message() const;

private:
    mutable std::mutex mutex_;
    void add(const std::filesystem::path& file, std::size_t stray, int recordLength);
    std::vector<std::string> lines_;  // one per file, in the order found
};

// True for a well-formed day stamp of a real date: four digits 年 two digits 月 two digits 日.
bool isDayStamp(std::string_view stamp);

std::string damagedFilesMessage();  // "データファイルが壊れています。..."

// The runner files (.nvSEr) of a day's tracks, opened once each.
class RunnerFiles {
public:
    // Cut files are noted in `damaged` when given.
    explicit RunnerFiles(std::string dayStamp, DamagedFiles* damaged = nullptr);
    ~RunnerFiles();
    // Reads the race's runner records (slot (race number - 1) × 18 + m for m below the registered
    // count, 18 at most) into raw.se; false when the track has no runner file.
    bool read(RawRecords& raw);

private:
    std::string dayStamp_;
    DamagedFiles* damaged_;
    std::map<std::string, std::unique_ptr<RecordFile>> byTrack_;
};

}  // namespace vex

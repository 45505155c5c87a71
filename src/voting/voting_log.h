#pragma once
// The voting log VovoVaro.log. A run cuts the file to its last 100 lines at its first entry; every
// addition rereads the file and rewrites it whole under the file's lock, so two runs voting at once
// (vexmora-cli beside the desktop program) both keep their entries. A file that exists but cannot
// be read is never replaced (FileReadError).
#include <filesystem>
#include <string>
#include <vector>

namespace vex {

class VotingLog {
public:
    // `file` defaults to VovoVaro.log in the application folder.
    explicit VotingLog(std::filesystem::path file = {});

    // Reads the file (its last 100 lines) without writing it.
    void load();
    // Appends and saves. The lines count as added even when the save throws, so that what the
    // vote did can still be shown.
    void add(const std::string& line);
    void add(const std::vector<std::string>& lines);
    // The file's lines as last read or written here.
    const std::vector<std::string>& lines() const { return lines_; }
    // Every line this log added, in order.
    const std::vector<std::string>& added() const { return added_; }
    const std::filesystem::path& file() const { return file_; }

    static constexpr std::size_t kKeptAtStart = 100;

private:
    std::filesystem::path file_;
    std::vector<std::string> lines_, added_;
    bool cut_ = false;  // the file was cut to its last 100 lines in this run
};

}  // namespace vex

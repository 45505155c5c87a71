#pragma once
// The voting log: the lines of VovoVaro.log held in memory. Loaded once at start and cut to its last
// 100 lines in memory only; every addition rewrites the whole file, so the file is cut at the first
// entry of a run.
#include <filesystem>
#include <string>
#include <vector>

namespace vex {

class VotingLog {
public:
    // `file` defaults to VovoVaro.log in the application folder.
    explicit VotingLog(std::filesystem::path file = {});

    void load();
    void add(const std::string& line);            // appends and saves
    void add(const std::vector<std::string>& lines);  // appends all, saves once
    const std::vector<std::string>& lines() const { return lines_; }
    const std::filesystem::path& file() const { return file_; }

    static constexpr std::size_t kKeptAtStart = 100;

private:
    void save() const;
    std::filesystem::path file_;
    std::vector<std::string> lines_;
};

}  // namespace vex

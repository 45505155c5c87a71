#pragma once
// ErrorLog.txt: one line per program start (plus the folder line after it) and one per data-service
// failure of unattended work, so failures can be read later. The file is cut to its last 100 lines
// only at start-up; between starts it grows by one line per error. Every save rereads and rewrites
// the whole file atomically under the file's lock; a file that exists but cannot be read is never
// replaced (FileReadError). Lines are CP932.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace vex {

// The last `keep` of `lines` (all of them when fewer).
std::vector<std::string> lastLines(std::vector<std::string> lines, std::size_t keep);

class ErrorLog {
public:
    static constexpr std::size_t kKeptAtStart = 100;

    // Default file: appFolder()/ErrorLog.txt.
    ErrorLog();
    explicit ErrorLog(std::filesystem::path file);

    // Start-up: load the file, keep its last 100 lines, append "ソフト起動：" + now and the
    // application folder path, save.
    void startUp(const std::string& folderLine);
    // One failure: reload the file (others may have written it), append
    // "【エラー】" + hh:nn:ss + "：" + message, save.
    void addError(const std::string& message);

    const std::vector<std::string>& lines() const { return lines_; }
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::vector<std::string> lines_;
};

}  // namespace vex

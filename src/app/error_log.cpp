#include "app/error_log.h"

#include <cstdio>

#include "app/app_folder.h"
#include "app/atomic_file.h"
#include "app/clock.h"
#include "vocabulary/cp932.h"

namespace vex {

std::vector<std::string> readLastLines(const std::filesystem::path& file, std::size_t keep) {
    std::vector<std::string> lines = readLines(file);
    if (lines.size() > keep) lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(keep));
    return lines;
}

ErrorLog::ErrorLog() : ErrorLog(appFolder() / "ErrorLog.txt") {}
ErrorLog::ErrorLog(std::filesystem::path file) : file_(std::move(file)) {}

void ErrorLog::startUp(const std::string& folderLine) {
    lines_ = readLastLines(file_, kKeptAtStart);
    lines_.push_back(sj("ソフト起動：") + formatDateTime(now()));
    lines_.push_back(folderLine);
    writeLinesAtomic(file_, lines_);
}

void ErrorLog::addError(const std::string& message) {
    lines_ = readLines(file_);
    DateTime t = now();
    char hms[16];
    std::snprintf(hms, sizeof hms, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    lines_.push_back(sj("【エラー】") + hms + sj("：") + message);
    writeLinesAtomic(file_, lines_);
}

}  // namespace vex
